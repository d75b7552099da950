// The anomaly formula: check values, invariants, special cases, and an
// independent numerical integration of the prism's attraction.
#include "model/gravity.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;
using Corners = std::vector<std::pair<double, double>>;

namespace {

std::vector<double> anomaly(const Tbody& body, const std::vector<double>& stations, bool km = true)
{
    std::vector<double> g(stations.size());
    referenceAnomaly(body, stations.data(), static_cast<int>(stations.size()), km, g.data());
    return g;
}

Tbody makeBody(const Corners& corners, double density = 1, double y1 = 1000, double y2 = 1000)
{
    auto m = makeModel();
    setBody(*m, 1, corners, density, y1, y2);
    return m->Bodies[1];
}

// ---- independent method -------------------------------------------------
// Vertical attraction of the prism, integrated over y analytically:
//   g(S) = G rho * integral over the polygon of
//          z / r^2 * (y1 / sqrt(r^2 + y1^2) + y2 / sqrt(r^2 + y2^2)) dx dz,
// with r^2 = (x - S)^2 + z^2; the polygon is split into a fan of signed
// triangles from its first corner, each integrated by collapsed Gauss-Legendre
// quadrature after subdivision.

struct Rule {
    std::vector<double> x, w;   // nodes and weights on [0, 1]
};

Rule gaussLegendre(int n)
{
    Rule r;
    for (int i = 1; i <= n; ++i) {
        double x = std::cos(3.141592653589793 * (i - 0.25) / (n + 0.5));
        double dp = 0;
        for (int it = 0; it < 100; ++it) {
            double p0 = 1, p1 = x;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2.0 * k - 1) * x * p1 - (k - 1.0) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (x * p1 - p0) / (x * x - 1);
            const double dx = p1 / dp;
            x -= dx;
            if (std::abs(dx) < 1e-16)
                break;
        }
        r.x.push_back(0.5 * (x + 1));
        r.w.push_back(1.0 / ((1 - x * x) * dp * dp));
    }
    return r;
}

double integrand(double x, double z, double S, double y1, double y2)
{
    const double dx = x - S;
    const double r2 = dx * dx + z * z;
    return z / r2 * (y1 / std::sqrt(r2 + y1 * y1) + y2 / std::sqrt(r2 + y2 * y2));
}

// Signed integral over triangle (a, b, c): positive when a, b, c run clockwise
// on screen (x right, z down), which is anticlockwise in (x, z) axes... the
// sign follows the cross product so that the fan of any simple polygon sums.
double triangle(const double a[2], const double b[2], const double c[2], double S, double y1,
                double y2, const Rule& rule, int depth)
{
    if (depth > 0) {
        const double ab[2] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
        const double bc[2] = {(b[0] + c[0]) / 2, (b[1] + c[1]) / 2};
        const double ca[2] = {(c[0] + a[0]) / 2, (c[1] + a[1]) / 2};
        return triangle(a, ab, ca, S, y1, y2, rule, depth - 1) +
               triangle(ab, b, bc, S, y1, y2, rule, depth - 1) +
               triangle(ca, bc, c, S, y1, y2, rule, depth - 1) +
               triangle(ab, bc, ca, S, y1, y2, rule, depth - 1);
    }
    const double cross = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
    double sum = 0;
    for (std::size_t i = 0; i < rule.x.size(); ++i)
        for (std::size_t j = 0; j < rule.x.size(); ++j) {
            const double u = rule.x[i], v = rule.x[j] * (1 - u);   // collapsed square
            const double x = a[0] + u * (b[0] - a[0]) + v * (c[0] - a[0]);
            const double z = a[1] + u * (b[1] - a[1]) + v * (c[1] - a[1]);
            sum += rule.w[i] * rule.w[j] * (1 - u) * integrand(x, z, S, y1, y2);
        }
    return sum * cross;
}

double quadrature(const Corners& corners, double density, double y1, double y2, double S)
{
    static const Rule rule = gaussLegendre(20);
    double total = 0;
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        const double a[2] = {corners[0].first, corners[0].second};
        const double b[2] = {corners[k].first, corners[k].second};
        const double c[2] = {corners[k + 1].first, corners[k + 1].second};
        total += triangle(a, b, c, S, y1, y2, rule, 3);
    }
    return GravityFactor * density * total;
}

}  // namespace

TEST(Anomaly, CheckValuesOfTheRectangle)
{
    const Tbody body = makeBody(test::unitRectangle);
    const auto g = anomaly(body, {0, 5, -5});
    EXPECT_NEAR(g[0], 16.0163, 5e-5);
    EXPECT_NEAR(g[1], 1.5056, 5e-5);
    EXPECT_NEAR(g[2], 1.5056, 5e-5);

    Corners reversed(test::unitRectangle.rbegin(), test::unitRectangle.rend());
    const auto r = anomaly(makeBody(reversed), {0, 5, -5});
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(r[static_cast<std::size_t>(i)], -g[static_cast<std::size_t>(i)], 1e-10);

    // The same values from the engine the program uses, body by body and in
    // the total: the rectangle clockwise (body 1) and anticlockwise (body 2).
    auto m = makeModel();
    m->NumStations = 3;
    const double at[] = {-5, 0, 5};
    for (int i = 1; i <= 3; ++i)
        m->StationX[i] = at[i - 1];
    setBody(*m, 1, test::unitRectangle);
    setBody(*m, 2, reversed);
    m->NumBodies = 2;
    m->CalculateBody(1);
    EXPECT_NEAR(m->Bodies[1].Gravity[1], 1.5056, 5e-5);
    EXPECT_NEAR(m->Bodies[1].Gravity[2], 16.0163, 5e-5);
    EXPECT_NEAR(m->Bodies[1].Gravity[3], 1.5056, 5e-5);
    EXPECT_NEAR(m->CalculatedGravity[2], 16.0163, 5e-5);
    m->CalculateBody(2);
    EXPECT_NEAR(m->Bodies[2].Gravity[1], -1.5056, 5e-5);
    EXPECT_NEAR(m->Bodies[2].Gravity[2], -16.0163, 5e-5);
    EXPECT_NEAR(m->Bodies[2].Gravity[3], -1.5056, 5e-5);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NEAR(m->CalculatedGravity[i], 0, 1e-10) << i;
}

TEST(Anomaly, UnitsStrikeAndDuplicateCorners)
{
    const std::vector<double> stations = {-30, -7.5, -1, 0, 0.3, 2, 11, 40};
    const Corners poly = {{-3, 1}, {2, 0.5}, {4, 3}, {1, 6}, {-2, 4}};
    const Tbody body = makeBody(poly, 0.35, 7, 7);
    const auto km = anomaly(body, stations, true);
    const auto m = anomaly(body, stations, false);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_NEAR(m[i], 0.001 * km[i], 1e-15 * std::abs(km[i]) + 1e-300);

    // Equal strike lengths y on both sides give twice the one-sided result.
    const auto oneSided = anomaly(makeBody(poly, 0.35, 7, 0), stations);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_NEAR(km[i], 2 * oneSided[i], 1e-10 * std::abs(km[i]));

    // A duplicated first corner changes nothing.
    Corners dup = poly;
    dup.insert(dup.begin(), poly.front());
    const auto d = anomaly(makeBody(dup, 0.35, 7, 7), stations);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_NEAR(d[i], km[i], 1e-12 * std::abs(km[i]));

    // Long strike tends to the two-dimensional value.
    const auto twoD = anomaly(makeBody(poly, 0.35, 1e7, 1e7), stations);
    const auto longer = anomaly(makeBody(poly, 0.35, 1e5, 1e5), stations);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_NEAR(longer[i], twoD[i], 1e-3 * std::abs(twoD[i]));
}

TEST(Anomaly, DegenerateGeometryStaysFinite)
{
    // Station exactly above a vertical edge (x1 = x2 = 0), and on corners' verticals.
    const Tbody vertical = makeBody({{0, 1}, {2, 1}, {2, 3}, {0, 3}}, 1, 5, 2);
    for (double g : anomaly(vertical, {0, 2, 1, -1}))
        EXPECT_TRUE(std::isfinite(g));

    // Strike length 0: no prism at all, and no NaN even on the backward extension
    // of an edge (the top edge's line passes through the station when z = 0 is
    // approached; use a corner at the floor depth straight below the station).
    const Tbody flat = makeBody({{1, MinDepth}, {3, MinDepth}, {3, 1}, {1, 1}}, 1, 0, 0);
    for (double g : anomaly(flat, {0, 1, 2, 5, -1})) {
        EXPECT_TRUE(std::isfinite(g));
        EXPECT_NEAR(g, 0, 1e-12);
    }
    const Tbody oneSide = makeBody({{1, MinDepth}, {3, MinDepth}, {3, 1}, {1, 1}}, 1, 0, 10);
    for (double g : anomaly(oneSide, {0, 1, 2, 5, -1}))
        EXPECT_TRUE(std::isfinite(g));

    // Station on a corner at the radius floor, zero-area bodies, all corners on one point.
    const Tbody tiny = makeBody({{0, 1e-12}, {1, 1}, {-1, 1}}, 1, 3, 3);
    for (double g : anomaly(tiny, {0, 1e-13}))
        EXPECT_TRUE(std::isfinite(g));
    const Tbody point = makeBody({{2, 2}, {2, 2}, {2, 2}}, 1, 3, 3);
    for (double g : anomaly(point, {0, 2}))
        EXPECT_EQ(g, 0);
    const Tbody line = makeBody({{0, 1}, {1, 2}, {2, 3}}, 1, 3, 3);
    for (double g : anomaly(line, {-1, 0, 1, 5}))
        EXPECT_NEAR(g, 0, 1e-9);

    // Absurd coordinates must not poison the total.
    const Tbody huge = makeBody({{-1e300, 1}, {1e300, 1}, {1e300, 1e300}}, 1, 1e300, 1);
    for (double g : anomaly(huge, {0, 1}))
        EXPECT_TRUE(std::isfinite(g));
}

TEST(Anomaly, AgreesWithNumericalIntegration)
{
    struct Case {
        const char* name;
        Corners corners;
        double density, y1, y2;
    };
    const std::vector<Case> cases = {
        {"rectangle", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 1, 1000, 1000},
        {"short strike 1/20", {{-2, 0.8}, {3, 1.2}, {2.5, 4}, {-1.5, 3}}, 0.4, 1, 20},
        {"unequal 5/0.5", {{4, 2}, {9, 2.5}, {8, 6}, {5, 5}}, -0.25, 5, 0.5},
        {"concave", {{-4, 1}, {4, 1}, {4, 5}, {2, 5}, {0, 2}, {-2, 5}, {-4, 5}}, 0.7, 3, 8},
        {"deep under station", {{-0.5, 8}, {0.5, 8}, {0.5, 9}, {-0.5, 9}}, 2.0, 2, 2},
    };
    const std::vector<double> stations = {-60, -12, -3, -0.7, 0, 0.25, 1.5, 4, 6.5, 25, 200};
    for (const Case& c : cases) {
        const auto g = anomaly(makeBody(c.corners, c.density, c.y1, c.y2), stations);
        for (std::size_t i = 0; i < stations.size(); ++i) {
            const double q = quadrature(c.corners, c.density, c.y1, c.y2, stations[i]);
            EXPECT_NEAR(g[i], q, 1e-6 * std::abs(q) + 1e-13)
                << c.name << " at S = " << stations[i];
        }
    }
}

TEST(Anomaly, EngineInUseMatchesReference)
{
    auto m = makeModel();
    setStations(*m, 257, -40, 60);
    setBody(*m, 1, {{-3, 1}, {2, 0.5}, {4, 3}, {1, 6}, {-2, 4}, {-2, 4}}, 0.35, 7, 0.25);
    std::vector<double> ref(257), fast(257);
    referenceAnomaly(m->Bodies[1], m->StationX.data(), 257, true, ref.data());
    bodyAnomaly(m->Bodies[1], m->StationX.data(), 257, true, fast.data());
    for (std::size_t i = 0; i < ref.size(); ++i)
        EXPECT_NEAR(fast[i], ref[i], 1e-9 * std::abs(ref[i]) + 1e-9);
}

// ---- stations above or below the datum ------------------------------------

TEST(StationHeights, AgainstQuadratureTheLoweredBodyAndTheFastEngine)
{
    // A station at height H sees the body as a station on the datum sees the
    // body lowered by H: against the integral of that lowered body, against
    // the reference for it, and the fast engine against the reference.
    const Corners corners = {{-3, 1.5}, {0.5, 0.8}, {4, 2.0}, {2.5, 4.5}, {-2, 3.5}};
    const std::vector<double> stations = {-12, -4, -1, 0, 0.5, 2, 3.3, 7, 15};
    const int n = static_cast<int>(stations.size());
    for (const double H : {-0.6, 0.25, 1.0, 3.5, 40.0}) {
        auto m = makeModel();
        setBody(*m, 1, corners, 0.4, 30, 8);
        Corners lowered = corners;
        for (auto& c : lowered)
            c.second += H;
        setBody(*m, 2, lowered, 0.4, 30, 8);
        const std::vector<double> heights(stations.size(), H);
        std::vector<double> atHeight(stations.size()), onDatum(stations.size()), fast(stations.size());
        referenceAnomaly(m->Bodies[1], stations.data(), n, true, atHeight.data(), heights.data());
        referenceAnomaly(m->Bodies[2], stations.data(), n, true, onDatum.data());
        bodyAnomaly(m->Bodies[1], stations.data(), n, true, fast.data(), heights.data());
        for (std::size_t i = 0; i < stations.size(); ++i) {
            SCOPED_TRACE("H " + std::to_string(H) + " station " + std::to_string(stations[i]));
            const double q = quadrature(lowered, 0.4, 30, 8, stations[i]);
            EXPECT_NEAR(atHeight[i], q, 1e-6 * std::abs(q) + 1e-9);
            EXPECT_EQ(atHeight[i], onDatum[i]);
            EXPECT_NEAR(fast[i], atHeight[i], 1e-9 * std::abs(atHeight[i]) + 1e-12);
        }
    }
}

TEST(StationHeights, AHillStationSeesLessThanAValleyStation)
{
    // The same body under a station on a hill and one in a valley at the same
    // place: the hill station is further away and sees less; each sees what a
    // datum station sees of the body moved by its height.
    const Corners corners = {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}};
    auto m = makeModel();
    setBody(*m, 1, corners);
    const double x[] = {0.3, 0.3};
    const double h[] = {0.7, -0.4};   // hill, valley
    double g[2];
    for (bool fastEngine : {false, true}) {
        if (fastEngine)
            bodyAnomaly(m->Bodies[1], x, 2, true, g, h);
        else
            referenceAnomaly(m->Bodies[1], x, 2, true, g, h);
        EXPECT_LT(g[0], g[1]);
        for (int s = 0; s < 2; ++s) {
            Corners moved = corners;
            for (auto& c : moved)
                c.second += h[s];
            const double q = quadrature(moved, 1, 1000, 1000, x[s]);
            EXPECT_NEAR(g[s], q, 1e-6 * std::abs(q)) << "fast " << fastEngine << " station " << s;
        }
    }
}

TEST(StationHeights, StationsOnTheDatumKeepTheirFiguresToTheLastBit)
{
    // 300 stations: four full blocks of the fast engine and a short tail. With
    // heights all 0, and where only some stations are raised, every station
    // on the datum whose block is all on the datum (the reference: every
    // station on the datum) gets exactly the figure it had without heights.
    auto m = makeModel();
    setStations(*m, 300, -40, 40);
    setBody(*m, 1, {{-6, 0.5}, {3, 1.2}, {8, 6}, {-2, 9}, {-9, 4}}, 0.3, 12, 3);
    const Tbody& body = m->Bodies[1];
    const int N = 300;
    std::vector<double> flatRef(N), flatFast(N), ref(N), fast(N), heights(N, 0.0);
    referenceAnomaly(body, m->StationX.data(), N, true, flatRef.data());
    bodyAnomaly(body, m->StationX.data(), N, true, flatFast.data());

    struct Case {
        const char* name;
        int firstRaised, lastRaised;   // 0-based, inclusive; none when first > last
    };
    for (const Case c : {Case{"all on the datum", 1, 0}, Case{"second block raised", 64, 127},
                         Case{"tail raised", 290, 299}, Case{"one station raised", 200, 200}}) {
        SCOPED_TRACE(c.name);
        std::fill(heights.begin(), heights.end(), 0.0);
        for (int i = c.firstRaised; i <= c.lastRaised; ++i)
            heights[static_cast<std::size_t>(i)] = 0.5;
        referenceAnomaly(body, m->StationX.data(), N, true, ref.data(), heights.data());
        bodyAnomaly(body, m->StationX.data(), N, true, fast.data(), heights.data());
        for (int i = 0; i < N; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const bool raised = i >= c.firstRaised && i <= c.lastRaised;
            const int block = i < 256 ? i / 64 : 4 + (i - 256) / 8;
            const int from = block < 4 ? block * 64 : 256 + (block - 4) * 8;
            const int to = block < 4 ? from + 63 : std::min(from + 7, N - 1);
            const bool blockFlat = c.lastRaised < from || c.firstRaised > to;
            if (!raised) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(ref[at]), std::bit_cast<std::uint64_t>(flatRef[at])) << i;
            } else {
                EXPECT_NE(ref[at], flatRef[at]) << i;
            }
            if (blockFlat) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(fast[at]), std::bit_cast<std::uint64_t>(flatFast[at])) << i;
            }
            EXPECT_NEAR(fast[at], ref[at], 1e-9 * std::abs(ref[at]) + 1e-12) << i;
        }
    }

    // The model's own upkeep, whole-model and body by body, takes the heights.
    std::fill(heights.begin(), heights.end(), 0.0);
    for (int i = 64; i < 128; ++i)
        heights[static_cast<std::size_t>(i)] = 0.5;
    bodyAnomaly(body, m->StationX.data(), N, true, fast.data(), heights.data());
    m->NumBodies = 1;
    for (int i = 1; i <= N; ++i)
        m->StationHeight[i] = heights[static_cast<std::size_t>(i - 1)];
    m->RecalculateModel();
    for (int i = 1; i <= N; ++i)
        EXPECT_EQ(m->CalculatedGravity[i], fast[static_cast<std::size_t>(i - 1)]) << i;
    m->CalculatedGravity.fill(0);
    m->CalculateBody(1);
    for (int i = 1; i <= N; ++i)
        EXPECT_EQ(m->Bodies[1].Gravity[i], fast[static_cast<std::size_t>(i - 1)]) << i;
}
