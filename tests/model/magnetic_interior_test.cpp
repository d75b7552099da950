// The field at a station inside a magnetised body: what a magnetometer there
// reads, B = mu0 (H + M), against the body cut into small cubes, each a point
// dipole, with the cube that holds the station taken whole.
#include "model/magnetic.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace corvane;

namespace {

constexpr double PiValue = 3.141592653589793;

// A parallelogram section: the top edge from xa to xb at depth z0, the bottom
// at z1 shifted by shear * (z1 - z0); cells of side h. The strike runs over
// ny cells with the profile through the middle of cell ky (counted from -y).
struct Prism {
    double xa, xb, z0, z1, shear, h;
    int ny, ky;
    double y2() const { return (ky + 0.5) * h; }
    double y1() const { return ny * h - y2(); }
};

Tbody prismBody(const Prism& p, double K, double M, double IM, double DM)
{
    auto m = makeModel();
    const double dx = p.shear * (p.z1 - p.z0);
    test::setBody(*m, 1, {{p.xa, p.z0}, {p.xb, p.z0}, {p.xb + dx, p.z1}, {p.xa + dx, p.z1}}, 0,
                  p.y1(), p.y2());
    Tbody body = m->Bodies[1];
    body.Susceptibility = K;
    body.Remanence = M;
    body.RemanentInclination = IM;
    body.RemanentDeclination = DM;
    return body;
}

// f . B (nT) at the centre (S, 0, z) of a cell: every other cell a dipole of
// moment M h^3, the cell itself the uniformly magnetised cube, whose field at
// its centre is H = -M/3; then + mu0 M. mu0 / 4 pi is 100 nT m/A.
double dipoleCells(const Prism& p, const Vector3& f, const Vector3& M, double S, double z)
{
    auto dot = [](const Vector3& a, double x, double y, double z) { return a.x * x + a.y * y + a.z * z; };
    const double h = p.h, Mf = dot(M, f.x, f.y, f.z);
    double sum = 0;
    for (double cz = p.z0 + h / 2; cz < p.z1; cz += h) {
        const double left = p.xa + p.shear * (cz - p.z0), right = left + p.xb - p.xa;
        for (double cx = p.xa + (std::floor((left - p.xa) / h) + 0.5) * h; cx <= right; cx += h)
            for (int l = 0; l < p.ny; ++l) {
                const double dx = cx - S, dy = (l + 0.5) * h - p.y2(), dz = cz - z, rr = dx * dx + dy * dy + dz * dz;
                if (cx >= left && rr >= 0.25 * h * h)   // not the station's own cell
                    sum += (3 * dot(M, dx, dy, dz) * dot(f, dx, dy, dz) / rr - Mf) / (rr * std::sqrt(rr));
            }
    }
    return 100 * (sum * h * h * h + 4 * PiValue * (1 - 1.0 / 3) * Mf);
}

double at(bool fast, const Tbody& b, const EarthField& e, double S, double H)
{
    double out = 0;
    (fast ? bodyMagnetic : referenceMagnetic)(b, e, &S, &H, 1, true, &out);
    return out;
}

}  // namespace

TEST(MagneticInterior, FieldInsideIsMu0TimesHPlusM)
{
    const Prism box{-1, 1, 0.5, 1.5, 0, 0.025, 80, 41};
    const Prism slanted{-1, 1, 0.5, 1.5, 0.5, 0.025, 64, 20};
    struct Case {
        const char* what;
        const Prism* prism;
        int i, j;   // the station's cell: x from xa, depth from z0
        EarthField field;
        double K, M, IM, DM;
    };
    const Case cases[] = {
        {"box, middle, induced", &box, 40, 20, {50000, 60, 0, 90}, 0.05, 0, 0, 0},
        {"box, near a corner, remanent", &box, 9, 31, {48000, -35, 12, 40}, 0.01, 2, -30, 140},
        {"slanted, middle, both", &slanted, 52, 18, {55000, 75, -8, 300}, 0.03, 1.5, 60, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Prism& p = *c.prism;
        const Tbody body = prismBody(p, c.K, c.M, c.IM, c.DM);
        const Vector3 f = fieldDirection(c.field.Inclination, c.field.Declination, c.field.Azimuth);
        const Vector3 M = bodyMagnetisation(body, c.field);
        const double S = p.xa + (c.i + 0.5) * p.h, z = p.z0 + (c.j + 0.5) * p.h;
        ASSERT_EQ(stationWinding(body, S, -z), 1);
        const double want = dipoleCells(p, f, M, S, z);
        const double ref = at(false, body, c.field, S, -z);
        const double mu0M = 400 * PiValue * std::sqrt(M.x * M.x + M.y * M.y + M.z * M.z);
        EXPECT_NEAR(ref, want, 5e-5 * mu0M);
        EXPECT_NEAR(at(true, body, c.field, S, -z), ref, 1e-9 * mu0M);
    }
}

TEST(MagneticInterior, WindingOfTheOutline)
{
    auto m = makeModel();
    test::setBody(*m, 1, test::unitRectangle, 0, 2, 3);   // x -1..1, z 1..2
    test::setBody(*m, 2, {{-1, 2}, {1, 2}, {1, 1}, {-1, 1}}, 0, 2, 3);
    test::setBody(*m, 3, test::unitRectangle, 0, 2, 0);
    test::setBody(*m, 4, {{-1, 1}, {1, 2}, {1, 1}, {-1, 2}}, 0, 2, 2);   // a figure of eight
    const int cases[][4] = {{1, 0, 15, 1},  {2, 0, 15, -1}, {1, 0, 0, 0},   {1, 10, 15, 0}, {1, 0, 10, 0},
                            {3, 0, 15, 0},  {4, -5, 15, 1}, {4, 5, 15, -1}, {4, 0, 15, 0}};   // x, depth in tenths
    for (const auto& c : cases)
        EXPECT_EQ(stationWinding(m->Bodies[c[0]], c[1] / 10.0, -c[2] / 10.0), c[3]) << c[0] << " " << c[1];
}
