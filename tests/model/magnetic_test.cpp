// The magnetic anomaly formula against independent methods: a numerical
// integration of the dipole field over the prism's volume, the two-
// dimensional polygon formula for long strike, and the invariants any
// correct formula keeps.
#include "model/magnetic.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;

namespace {

constexpr double PiValue = 3.141592653589793;

// A body of the given shape, strike lengths and magnetisation, with the
// field and the stations' height.
struct Case {
    const Corners* shape;
    double y1, y2;
    EarthField field;
    double K, M = 0, IM = 0, DM = 0, H = 0;
};

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

Tbody makeBody(const Case& c) { return makeBody(*c.shape, c.y1, c.y2, c.K, c.M, c.IM, c.DM); }

// (x, z) to (k x, |k| z + dz).
Corners mapped(const Corners& corners, double k, double dz)
{
    Corners out;
    for (auto [x, z] : corners)
        out.push_back({k * x, std::fabs(k) * z + dz});
    return out;
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
// Its last edge points straight at the station at x = 0: that station lies
// on the edge's line, behind it.
const Corners aimed = {{1, 1}, {3, 1}, {2, 2}};

// Both engines against an independent value at each station, to tol times
// the profile's largest value.
template <typename Want>
void compare(const Case& c, const std::vector<double>& stations, Want want, double tol)
{
    const Tbody body = makeBody(c);
    const std::vector<double> h(stations.size(), c.H);
    const auto got = reference(body, c.field, stations, h);
    const auto fast = engine(body, c.field, stations, h);
    const Vec f = unit(c.field.Inclination, c.field.Declination, c.field.Azimuth);
    const Vec M = magnetisation(body, c.field);
    std::vector<double> expected;
    for (double S : stations)
        expected.push_back(want(f, M, S));
    const double scale = peak(expected);
    ASSERT_GT(scale, 0.1);
    for (std::size_t i = 0; i < stations.size(); ++i) {
        EXPECT_NEAR(got[i], expected[i], tol * scale) << "station " << stations[i];
        EXPECT_NEAR(fast[i], expected[i], tol * scale) << "station " << stations[i];
    }
}

}  // namespace

TEST(Magnetic, MatchesTheIntegratedDipoleField)
{
    const Case cases[] = {
        {&rectangle, 2, 2, {50000, 60, 0, 90}, 0.01},
        {&rectangle, 3, 0.7, {48000, 35, 12, 40}, 0.02},
        {&hook, 1.5, 4, {52000, -45, -20, 130}, 0.05, 1.5, 70, 200, 0.3},
        {&hook, 0, 2.5, {50000, 75, 5, 10}, 0, 2, -30, 45},
        {&wedge, 5, 0.4, {60000, 10, 80, 0}, 0.03, 0.8, 10, -100, 0.8},
        {&wedge, 0.6, 0, {40000, 90, 0, 90}, 0.1},
        {&aimed, 5, 0, {50000, 40, 30, 60}, 0.05, 1, 10, 80},
        {&aimed, 0, 3, {50000, 40, 30, 60}, 0.05, 1, 10, 80},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index++);
        compare(c, {-4, -1, 0, 0.2, 1, 1.7, 3.5}, [&](const Vec& f, const Vec& M, double S) {
            const double coarse = quadrature(*c.shape, c.y1, c.y2, f, M, S, c.H, 2);
            const double fine = quadrature(*c.shape, c.y1, c.y2, f, M, S, c.H, 3);
            // The integration itself has converged far below the tolerance.
            EXPECT_NEAR(coarse, fine, 1e-8 * std::fabs(fine) + 1e-10);
            return fine;
        }, 1e-8);
    }
}

// ---- long strike: the two-dimensional polygon formula -------------------------
// In two dimensions Txx - i Txz is the area integral of 2 / w^2, w = (x - S) +
// i (z + H), and by Green's theorem -i times the sum over the edges of
// exp(-2 i alpha) Log(w_next / w), alpha the edge's direction; Tzz = -Txx and
// the y components vanish.

TEST(Magnetic, LongStrikeGivesThePolygonFormula)
{
    const Case cases[] = {
        {&rectangle, 1e6, 1e6, {50000, 60, 0, 90}, 0.01},
        {&hook, 1e6, 3e6, {50000, 30, 25, 70}, 0.02, 3, -60, 150, 0.5},
        {&wedge, 4e6, 2e6, {45000, -70, -10, 200}, 0, 1, 40, 300},
    };
    for (const Case& c : cases) {
        compare(c, {-10, -2, -0.5, 0, 0.5, 1.2, 2, 5}, [&](const Vec& f, const Vec& M, double S) {
            const Corners& corners = *c.shape;
            std::complex<double> sum = 0;
            for (std::size_t k = 0; k < corners.size(); ++k) {
                const auto& [xa, za] = corners[k];
                const auto& [xb, zb] = corners[(k + 1) % corners.size()];
                const std::complex<double> wa(xa - S, za + c.H), wb(xb - S, zb + c.H);
                const std::complex<double> dir = (wb - wa) / std::abs(wb - wa);
                sum += std::conj(dir * dir) * std::log(wb / wa);
            }
            const std::complex<double> t = -std::complex<double>(0, 1) * sum;
            const double txx = t.real(), txz = -t.imag(), tzz = -txx;
            return 100 * (f.x * (txx * M.x + txz * M.z) + f.z * (txz * M.x + tzz * M.z));
        }, 1e-9);
    }
}

// ---- invariants ------------------------------------------------------------------

TEST(Magnetic, Invariants)
{
    const Case cases[] = {
        {&rectangle, 2, 7, {50000, 60, 0, 90}, 0.01, 0, 0, 0, 0.7},
        {&hook, 1.5, 0, {52000, -45, -20, 130}, 0.05, 1.5, 70, 200, 0.05},
        {&wedge, 30, 0.4, {60000, 10, 80, 0}, 0, 0.8, 10, -100, 7.5},
    };
    std::vector<double> stations, negated, large;
    for (int i = 0; i <= 40; ++i) {
        stations.push_back(-6 + 0.3 * i);
        negated.push_back(-stations.back());
        large.push_back(1000 * stations.back());
    }
    for (const Case& c : cases) {
        const Tbody body = makeBody(c);
        const auto base = reference(body, c.field, stations);
        const double scale = peak(base);
        ASSERT_GT(scale, 0.1);
        auto with = [&](const Corners& shape, double y1, double y2, double DM) {
            return makeBody(shape, y1, y2, c.K, c.M, c.IM, DM);
        };
        // Corners in the opposite order: the sign flips.
        const Corners reversed(c.shape->rbegin(), c.shape->rend());
        const auto flipped = reference(with(reversed, c.y1, c.y2, c.DM), c.field, stations);
        // Metres: the same corner numbers give the same nT, and so does the
        // model drawn 1000 times larger.
        const auto metres = reference(body, c.field, stations, {}, false);
        const auto scaled = reference(with(mapped(*c.shape, 1000, 0), 1000 * c.y1, 1000 * c.y2, c.DM),
                                      c.field, large, {}, false);
        // The strike sides exchanged with every direction mirrored in the
        // profile's vertical plane: the same body seen from the other side.
        EarthField mirrored = c.field;
        mirrored.Declination = 2 * c.field.Azimuth - c.field.Declination;
        const auto swapped =
            reference(with(*c.shape, c.y2, c.y1, 2 * c.field.Azimuth - c.DM), mirrored, stations);
        // The profile walked the other way: x, azimuth and corner order
        // reverse, and the strike sides change places.
        EarthField back = c.field;
        back.Azimuth += 180;
        const Corners turned = mapped(reversed, -1, 0);
        const auto walked = reference(with(turned, c.y2, c.y1, c.DM), back, negated);
        // Stations at height H: the body moved down by H.
        const std::vector<double> h(stations.size(), c.H);
        const auto high = reference(body, c.field, stations, h);
        const auto fastHigh = engine(body, c.field, stations, h);
        const auto low = reference(with(mapped(*c.shape, 1, c.H), c.y1, c.y2, c.DM), c.field, stations);
        for (std::size_t i = 0; i < stations.size(); ++i) {
            EXPECT_NEAR(flipped[i], -base[i], 1e-12 * scale);
            EXPECT_EQ(metres[i], base[i]);
            EXPECT_NEAR(scaled[i], base[i], 1e-12 * scale);
            EXPECT_NEAR(swapped[i], base[i], 1e-12 * scale);
            EXPECT_NEAR(walked[i], base[i], 1e-12 * scale);
            EXPECT_NEAR(high[i], low[i], 1e-12 * peak(low));
            EXPECT_NEAR(fastHigh[i], low[i], 1e-9 * peak(low));
        }
        // No magnetisation, no anomaly.
        const Tbody none = makeBody(*c.shape, c.y1, c.y2, 0, 0, c.IM, c.DM);
        for (const auto& profile : {reference(none, c.field, stations), engine(none, c.field, stations)})
            EXPECT_EQ(peak(profile), 0);
    }
}

TEST(Magnetic, VerticalFieldOverASymmetricBodyGivesASymmetricProfile)
{
    // A trapezoid symmetric about x = 1.5, unequal strike lengths.
    const Corners trapezoid = {{0.5, 1}, {2.5, 1}, {3.5, 2.5}, {-0.5, 2.5}};
    const EarthField vertical{50000, 90, 17, 63};
    std::vector<double> left, right;
    for (int i = 0; i <= 30; ++i) {
        left.push_back(1.5 - 0.25 * i);
        right.push_back(1.5 + 0.25 * i);
    }
    // Induced, remanent down or up, both.
    for (auto [K, M, IM] : {std::array{0.02, 0.0, 0.0}, std::array{0.0, 2.0, 90.0},
                            std::array{0.0, 1.5, -90.0}, std::array{0.01, 1.0, 90.0}}) {
        const Tbody body = makeBody(trapezoid, 4, 0.5, K, M, IM, 123);
        for (auto calc : {reference, engine}) {
            const auto a = calc(body, vertical, left, {}, true);
            const auto b = calc(body, vertical, right, {}, true);
            ASSERT_GT(peak(a), 1);
            for (std::size_t i = 0; i < left.size(); ++i)
                EXPECT_NEAR(a[i], b[i], 1e-12 * peak(a));
        }
    }
}

TEST(Magnetic, DirectionsInProfileAxes)
{
    const double c60 = 0.5, s60 = std::sqrt(3.0) / 2;
    // Inclination, declination, azimuth; the expected x, y, z.
    const std::array<double, 6> cases[] = {
        {90, 0, 0, 0, 0, 1},          // vertical, any azimuth
        {0, 0, 0, 1, 0, 0},           // north along a northward profile
        {0, 0, 90, 0, 1, 0},          // north is to the left when walking east
        {0, 90, 0, 0, -1, 0},         // east is to the right when walking north
        {0, 180, 90, 0, -1, 0},
        {60, 30, 30, c60, 0, s60},    // along the profile, dipping
        {-60, 210, 30, -c60, 0, -s60},
    };
    for (const auto& c : cases) {
        const Vector3 v = fieldDirection(c[0], c[1], c[2]);
        EXPECT_NEAR(v.x, c[3], 1e-15);
        EXPECT_NEAR(v.y, c[4], 1e-15);
        EXPECT_NEAR(v.z, c[5], 1e-15);
    }
}

// ---- the fast engine against the reference ------------------------------------

namespace {

struct RandomCase {
    Tbody body;
    EarthField field;
    std::vector<double> x, h;
};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}
    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    RandomCase next()
    {
        RandomCase c;
        double size = uniform(0.2, 5), cx = uniform(-10, 10), cz = uniform(0.5, 6);
        switch (pick(6)) {
        case 0: size = uniform(1e-3, 1e-2); cz = uniform(0.011, 0.05); break;   // tiny, shallow
        case 1: size = uniform(500, 5000); cz = size * uniform(1.1, 2); break;   // huge
        case 2: cx = uniform(300, 3000) * (pick(2) ? 1 : -1); break;             // far
        default: break;
        }
        Corners corners;
        const int n = 3 + pick(48);
        if (pick(4) == 0) {
            // Random corners: crossing edges, either orientation.
            for (int k = 0; k < n; ++k)
                corners.push_back({cx + uniform(-size, size), cz + uniform(-0.9, 0.9) * size});
        } else {
            // Star-shaped, clockwise on screen, often concave.
            for (int k = 0; k < n; ++k) {
                const double a = -2 * PiValue * (k + uniform(0, 0.8)) / n;
                const double r = size * (k % 2 && pick(2) ? 0.3 : 1.0) * uniform(0.7, 1);
                corners.push_back({cx + r * std::cos(a), cz - 0.9 * r * std::sin(a)});
            }
        }
        if (pick(5) == 0) {
            // A repeated corner: a zero-length edge.
            const int k = pick(n);
            corners.insert(corners.begin() + k, corners[static_cast<std::size_t>(k)]);
        }
        double y1 = uniform(0.01, 50), y2 = uniform(0.01, 50);
        switch (pick(6)) {
        case 0: y2 = y1; break;
        case 1: y2 = 0; break;
        case 2: y1 = 0; break;
        case 3: y1 = 1e6; y2 = pick(2) ? 1e6 : uniform(0.1, 10); break;
        case 4: y1 = y2 = 0; break;
        default: break;
        }
        c.body = makeBody(corners, y1, y2, pick(4) ? uniform(0, 0.2) : 0,
                          pick(2) ? uniform(0, 5) : 0, uniform(-90, 90), uniform(-180, 360));
        if (c.body.Susceptibility == 0 && c.body.Remanence == 0)
            c.body.Susceptibility = 0.01;
        c.field = {uniform(20000, 65000), uniform(-90, 90), uniform(-180, 180), uniform(0, 360)};
        const int count = pick(8) == 0 ? 700 + pick(200) : 1 + pick(150);
        const double spread = std::max(4 * size, 20.0);
        const int heights = pick(4);   // 0: none given, 1: zeros, 2: above, 3: some inside
        for (int i = 0; i < count; ++i) {
            c.x.push_back(cx + uniform(-spread, spread));
            if (heights == 1)
                c.h.push_back(0);
            else if (heights == 2)
                c.h.push_back(uniform(0, 2 * size));
            else if (heights == 3)
                c.h.push_back(pick(10) ? uniform(0, size) : -uniform(0, cz));
        }
        return c;
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace

TEST(Magnetic, FastEngineMatchesTheReferenceOnRandomBodies)
{
    Generator gen(20261209);
    long checked = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        const RandomCase c = gen.next();
        const auto ref = reference(c.body, c.field, c.x, c.h);
        const auto got = engine(c.body, c.field, c.x, c.h);
        // Relative to the body's anomaly, its largest value on a profile
        // across it: where the anomaly passes through 0, or far from a small
        // body where the edges' terms cancel to a millionth, single values
        // have no relative precision in any arrangement of the formula.
        std::vector<double> across;
        double left = c.body.CornerX[1], right = left;
        for (int k = 1; k <= c.body.NumCorners; ++k) {
            left = std::min(left, c.body.CornerX[k]);
            right = std::max(right, c.body.CornerX[k]);
        }
        for (int i = 0; i <= 40; ++i)
            across.push_back(left + (right - left) * (i - 10) / 20.0);
        const double scale = std::max(peak(ref), peak(reference(c.body, c.field, across)));
        for (std::size_t i = 0; i < ref.size(); ++i) {
            ASSERT_TRUE(std::isfinite(got[i]));
            ASSERT_NEAR(got[i], ref[i], 1e-9 * scale)
                << "trial " << trial << " strike " << c.body.StrikeLength1 << "/"
                << c.body.StrikeLength2 << " at x = " << c.x[i] << ", height "
                << (c.h.empty() ? 0.0 : c.h[i]);
            ++checked;
        }
    }
    EXPECT_GT(checked, 100000);
}

TEST(Magnetic, WholeModelPassEqualsBodyByBody)
{
    Generator gen(99);
    auto m = makeModel();
    const int bodies = 7;
    std::vector<double> x, h;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(-30 + 0.06 * i);
        h.push_back(0.001 * (i % 37));
    }
    const int n = static_cast<int>(x.size());
    std::vector<std::vector<double>> each(bodies + 1, std::vector<double>(x.size(), -1));
    std::vector<double*> out(bodies + 1, nullptr);
    const EarthField field{50000, 65, 3, 80};
    for (int b = 1; b <= bodies; ++b) {
        RandomCase c = gen.next();
        while (!c.h.empty() && *std::min_element(c.h.begin(), c.h.end()) < 0)
            c = gen.next();
        m->Bodies[b] = c.body;
        out[static_cast<std::size_t>(b)] = each[static_cast<std::size_t>(b)].data();
    }
    m->Bodies[3].Hidden = true;
    m->Bodies[5].Susceptibility = m->Bodies[5].Remanence = 0;
    std::vector<double> total(x.size(), -1);
    modelMagnetic(m->Bodies, bodies, field, x.data(), h.data(), n, true, out.data(), total.data());
    std::vector<double> sum(x.size(), 0);
    for (int b = 1; b <= bodies; ++b) {
        std::vector<double> one(x.size());
        bodyMagnetic(m->Bodies[b], field, x.data(), h.data(), n, true, one.data());
        EXPECT_EQ(one, each[static_cast<std::size_t>(b)]) << "body " << b;
        if (!m->Bodies[b].Hidden)
            for (std::size_t i = 0; i < x.size(); ++i)
                sum[i] += one[i];
    }
    EXPECT_EQ(sum, total);
    EXPECT_EQ(each[5], std::vector<double>(x.size(), 0));
    EXPECT_GT(peak(each[3]), 0);
}

TEST(Magnetic, UnusableInputsAddNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> stations = {-3, 0, 0.5, 2, 9};
    struct Case {
        const char* what;
        double K, M, F, y1, H, cornerScale;
    };
    const Case cases[] = {
        {"susceptibility NaN", nan, 0, 50000, 3, 0, 1},
        {"remanence infinite", 0.01, inf, 50000, 3, 0, 1},
        {"field infinite", 0.01, 0, inf, 3, 0, 1},
        {"strike NaN", 0.01, 0, 50000, nan, 0, 1},
        {"height NaN", 0.01, 0, 50000, 3, nan, 1},
        {"corners beyond any survey", 0.01, 1, 50000, 3, 0, 1e200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Corners corners;
        for (auto [x, z] : hook)
            corners.push_back({c.cornerScale * x, c.cornerScale * z});
        const Tbody body = makeBody(corners, c.y1, 2, c.K, c.M, 30, 40);
        const EarthField field{c.F, 60, 0, 90};
        const std::vector<double> h(stations.size(), c.H);
        const auto ref = reference(body, field, stations, h);
        const auto got = engine(body, field, stations, h);
        for (std::size_t i = 0; i < stations.size(); ++i) {
            EXPECT_TRUE(std::isfinite(ref[i]));
            EXPECT_TRUE(std::isfinite(got[i]));
            EXPECT_EQ(got[i], ref[i]);
        }
    }
}
