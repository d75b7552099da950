// The magnetic anomaly formula against independent methods: a numerical
// integration of the dipole field over the prism's volume, the two-
// dimensional polygon formula for long strike, and the invariants any
// correct formula keeps.
#include "model/magnetic.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;

namespace {

constexpr double PiValue = 3.141592653589793;

Tbody makeBody(const Corners& corners, double y1, double y2, double K, double M = 0,
               double IM = 0, double DM = 0)
{
    auto m = makeModel();
    test::setBody(*m, 1, corners, 0, y1, y2);
    Tbody body = m->Bodies[1];
    body.Susceptibility = K;
    body.Remanence = M;
    body.RemanentInclination = IM;
    body.RemanentDeclination = DM;
    return body;
}

std::vector<double> reference(const Tbody& body, const EarthField& field,
                              const std::vector<double>& x, const std::vector<double>& h = {},
                              bool km = true)
{
    std::vector<double> out(x.size());
    referenceMagnetic(body, field, x.data(), h.empty() ? nullptr : h.data(),
                      static_cast<int>(x.size()), km, out.data());
    return out;
}

std::vector<double> engine(const Tbody& body, const EarthField& field,
                           const std::vector<double>& x, const std::vector<double>& h = {},
                           bool km = true)
{
    std::vector<double> out(x.size());
    bodyMagnetic(body, field, x.data(), h.empty() ? nullptr : h.data(),
                 static_cast<int>(x.size()), km, out.data());
    return out;
}

double peak(const std::vector<double>& v)
{
    double p = 0;
    for (double a : v)
        p = std::max(p, std::fabs(a));
    return p;
}

// Unit vector of a direction in profile axes, written from the geometry of
// the axes rather than from the program's formula: north, east and down
// components first, then x at azimuth A and y at azimuth A - 90.
struct Vec {
    double x, y, z;
};
Vec unit(double inc, double dec, double azimuth)
{
    const double r = PiValue / 180;
    const double north = std::cos(inc * r) * std::cos(dec * r);
    const double east = std::cos(inc * r) * std::sin(dec * r);
    const double down = std::sin(inc * r);
    const double ax = azimuth * r, ay = (azimuth - 90) * r;
    return {north * std::cos(ax) + east * std::sin(ax), north * std::cos(ay) + east * std::sin(ay),
            down};
}

// Magnetisation (A/m) of the body in the field, from the same geometry.
Vec magnetisation(const Tbody& b, const EarthField& f)
{
    const Vec e = unit(f.Inclination, f.Declination, f.Azimuth);
    const Vec r = unit(b.RemanentInclination, b.RemanentDeclination, f.Azimuth);
    const double mu0 = 4e-7 * PiValue;
    const double k = b.Susceptibility * f.Intensity * 1e-9 / mu0;
    return {k * e.x + b.Remanence * r.x, k * e.y + b.Remanence * r.y,
            k * e.z + b.Remanence * r.z};
}

// ---- numerical integration of the dipole field ----------------------------
// The total-field anomaly of a volume element dV with magnetisation M at
// offset d from the station is (mu0 / 4 pi) (3 (M.d)(f.d) / d^5 - M.f / d^3)
// dV, in tesla; the prism is the polygon (a fan of signed triangles, each
// split into four, several times) swept from y = -y2 to y1 (panels that double
// in length away from the profile), with Gauss-Legendre rules throughout.

struct Rule {
    std::vector<double> x, w;   // on [0, 1]
};

Rule legendre(int n)
{
    Rule rule;
    for (int i = 0; i < n; ++i) {
        double x = std::cos(PiValue * (i + 0.75) / (n + 0.5));
        double d = 1;
        for (int it = 0; it < 60; ++it) {
            double a = 1, b = x;   // P0, P1
            for (int k = 2; k <= n; ++k) {
                const double c = ((2 * k - 1) * x * b - (k - 1) * a) / k;
                a = b;
                b = c;
            }
            d = n * (a - x * b) / (1 - x * x);   // P_n'
            const double step = b / d;
            x -= step;
            if (std::fabs(step) < 1e-17)
                break;
        }
        rule.x.push_back((1 + x) / 2);
        rule.w.push_back(1 / ((1 - x * x) * d * d));
    }
    return rule;
}

struct Setup {
    Vec f, M;
    double S, H;
};

// The y integral of the kernel at one point of the cross-section.
double alongStrike(const Setup& s, double dx, double dz, double y1, double y2, const Rule& rule)
{
    double sum = 0;
    for (double side : {y1, -y2}) {
        const double len = std::fabs(side);
        double a = 0, b = std::min(len, 0.25);
        while (a < len) {
            for (std::size_t i = 0; i < rule.x.size(); ++i) {
                const double y = (side > 0 ? 1 : -1) * (a + (b - a) * rule.x[i]);
                const double d2 = dx * dx + y * y + dz * dz;
                const double d = std::sqrt(d2);
                const double md = s.M.x * dx + s.M.y * y + s.M.z * dz;
                const double fd = s.f.x * dx + s.f.y * y + s.f.z * dz;
                const double mf = s.M.x * s.f.x + s.M.y * s.f.y + s.M.z * s.f.z;
                sum += rule.w[i] * (b - a) * (3 * md * fd / (d2 * d2 * d) - mf / (d2 * d));
            }
            a = b;
            b = std::min(len, 2 * b);
        }
    }
    return sum;
}

double triangle(const Setup& s, const double* a, const double* b, const double* c, double y1,
                double y2, const Rule& rule, int depth)
{
    if (depth > 0) {
        const double ab[2] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
        const double bc[2] = {(b[0] + c[0]) / 2, (b[1] + c[1]) / 2};
        const double ca[2] = {(c[0] + a[0]) / 2, (c[1] + a[1]) / 2};
        return triangle(s, a, ab, ca, y1, y2, rule, depth - 1) +
               triangle(s, ab, b, bc, y1, y2, rule, depth - 1) +
               triangle(s, ca, bc, c, y1, y2, rule, depth - 1) +
               triangle(s, ab, bc, ca, y1, y2, rule, depth - 1);
    }
    // Signed area: positive for corners clockwise on the screen.
    const double area2 = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
    double sum = 0;
    for (std::size_t i = 0; i < rule.x.size(); ++i)
        for (std::size_t j = 0; j < rule.x.size(); ++j) {
            const double u = rule.x[i], v = rule.x[j] * (1 - u);
            const double x = a[0] + u * (b[0] - a[0]) + v * (c[0] - a[0]);
            const double z = a[1] + u * (b[1] - a[1]) + v * (c[1] - a[1]);
            sum += rule.w[i] * rule.w[j] * (1 - u) *
                   alongStrike(s, x - s.S, z + s.H, y1, y2, rule);
        }
    return sum * area2;
}

// Total-field anomaly in nT by quadrature; level sets the subdivision.
double quadrature(const Corners& corners, double y1, double y2, const Vec& f, const Vec& M,
                  double S, double H, int level)
{
    static const Rule rule = legendre(12);
    const Setup s{f, M, S, H};
    double total = 0;
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        const double a[2] = {corners[0].first, corners[0].second};
        const double b[2] = {corners[k].first, corners[k].second};
        const double c[2] = {corners[k + 1].first, corners[k + 1].second};
        total += triangle(s, a, b, c, y1, y2, rule, level);
    }
    return 1e-7 * 1e9 * total;   // mu0 / 4 pi, tesla to nT
}

const Corners rectangle = test::unitRectangle;
// Concave, with slanted edges and a vertical one.
const Corners hook = {{-2, 0.5}, {1.5, 1.0}, {2.0, 3.0}, {0.5, 2.5}, {0.2, 1.4}, {-1.2, 1.6},
                      {-1.2, 2.8}};
const Corners wedge = {{0, 0.3}, {3, 2}, {-0.5, 2}};

}  // namespace

// ---- the formula against the integrated dipole field -------------------------

TEST(Magnetic, MatchesTheIntegratedDipoleField)
{
    struct Case {
        const Corners* shape;
        double y1, y2;
        EarthField field;
        double K, M, IM, DM;
        double H;   // station height
    };
    const Case cases[] = {
        {&rectangle, 2, 2, {50000, 60, 0, 90}, 0.01, 0, 0, 0, 0},
        {&rectangle, 3, 0.7, {48000, 35, 12, 40}, 0.02, 0, 0, 0, 0},
        {&hook, 1.5, 4, {52000, -45, -20, 130}, 0.05, 1.5, 70, 200, 0.3},
        {&hook, 0, 2.5, {50000, 75, 5, 10}, 0, 2, -30, 45, 0},
        {&wedge, 5, 0.4, {60000, 10, 80, 0}, 0.03, 0.8, 10, -100, 0.8},
        {&wedge, 0.6, 0, {40000, 90, 0, 90}, 0.1, 0, 0, 0, 0},
    };
    const std::vector<double> stations = {-4, -1, 0, 0.2, 1, 1.7, 3.5};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index++);
        const Tbody body = makeBody(*c.shape, c.y1, c.y2, c.K, c.M, c.IM, c.DM);
        const std::vector<double> h(stations.size(), c.H);
        const auto got = reference(body, c.field, stations, h);
        const auto fast = engine(body, c.field, stations, h);
        const Vec f = unit(c.field.Inclination, c.field.Declination, c.field.Azimuth);
        const Vec M = magnetisation(body, c.field);
        std::vector<double> want;
        for (double S : stations) {
            const double coarse = quadrature(*c.shape, c.y1, c.y2, f, M, S, c.H, 2);
            const double fine = quadrature(*c.shape, c.y1, c.y2, f, M, S, c.H, 3);
            want.push_back(fine);
            // The integration itself has converged far below the tolerance.
            EXPECT_NEAR(coarse, fine, 1e-8 * std::fabs(fine) + 1e-10);
        }
        const double scale = peak(want);
        ASSERT_GT(scale, 0.1);
        for (std::size_t i = 0; i < stations.size(); ++i) {
            EXPECT_NEAR(got[i], want[i], 1e-6 * scale) << "station " << stations[i];
            EXPECT_NEAR(fast[i], want[i], 1e-6 * scale) << "station " << stations[i];
        }
    }
}
