// The fast engine against the reference transcription: its elementary
// functions, thousands of random bodies, the special cases, and the threads.
#include "model/gravity.h"
#include "model/gravity_fast.h"
#include "model/gravity_pool.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;

namespace {

std::vector<double> reference(const Tbody& body, const std::vector<double>& stations, bool km)
{
    std::vector<double> g(stations.size());
    referenceAnomaly(body, stations.data(), static_cast<int>(stations.size()), km, g.data());
    return g;
}

std::vector<double> engine(const Tbody& body, const std::vector<double>& stations, bool km)
{
    std::vector<double> g(stations.size());
    bodyAnomaly(body, stations.data(), static_cast<int>(stations.size()), km, g.data());
    return g;
}

// 1e-9 relative, or 1e-9 mGal where the value is near 0.
bool close(double fast, double ref)
{
    return std::abs(fast - ref) <= std::max(1e-9 * std::abs(ref), 1e-9);
}

// The formula in quadruple precision (113-bit mantissa): the referee where
// far stations, million-kilometre and micrometre strike lengths leave the
// double-precision reference itself only good to about 1e-9 mGal, or worse
// where t + R cancels. Quadruple, not long double: a strike 1e-10 of the
// distance cancels beyond long double's 64 bits.
using Quad = __float128;

double extendedAnomaly(const Tbody& body, double station, bool km)
{
    const Quad y[2] = {body.StrikeLength1, body.StrikeLength2};
    Quad E = 0, F = 0, H = 0, K = 0;
    auto corner = [&](int k, Quad& x, Quad& z, Quad& r, Quad* big) {
        x = Quad(body.CornerX[k]) - Quad(station);
        z = body.CornerZ[k];
        r = sqrtq(x * x + z * z);
        if (r < Quad(RadiusFloor))
            r = RadiusFloor;
        for (int j = 0; j < 2; ++j)
            big[j] = sqrtq(r * r + y[j] * y[j]);
    };
    const int n = body.NumCorners;
    Quad x1, z1, r1, R1[2], x2, z2, r2, R2[2];
    corner(1, x1, z1, r1, R1);
    for (int k = 1; k <= n; ++k) {
        corner(k == n ? 1 : k + 1, x2, z2, r2, R2);
        const Quad dx = x2 - x1, dz = z2 - z1, L = sqrtq(dx * dx + dz * dz);
        if (L > 0) {
            const Quad c = dx / L, s = dz / L;
            const Quad t1 = c * x1 + s * z1, t2 = c * x2 + s * z2, p = c * z1 - s * x1;
            for (int j = 0; j < 2; ++j) {
                const Quad q = (t2 + R2[j]) / (t1 + R1[j]);
                if (y[j] != 0 && q > 0 && finiteq(q))
                    E -= c * y[j] * logq(q);
                if (p != 0)
                    F -= c * p * (atanq(t2 * y[j] / (p * R2[j])) - atanq(t1 * y[j] / (p * R1[j])));
                H -= c * t2 * logq((y[j] + R2[j]) / r2);
                K -= c * t1 * logq((y[j] + R1[j]) / r1);
            }
        }
        x1 = x2, z1 = z2, r1 = r2, R1[0] = R2[0], R1[1] = R2[1];
    }
    const Quad g = -Quad(body.Density) * Quad(GravityFactor) * (E - F + H - K);
    return static_cast<double>(km ? g : g * Quad(MetreFactor));
}

// Within 1e-9 of the reference, or, where the reference itself is that far
// from the quadruple-precision value, about as close to it as the reference.
bool agrees(double fast, double ref, double extended)
{
    return close(fast, ref) || std::abs(fast - extended) <= 2 * std::abs(ref - extended) + 1e-9;
}

class ThreadsGuard {
public:
    explicit ThreadsGuard(int n) { StationPool::instance().setThreads(n); }
    ~ThreadsGuard() { StationPool::instance().setThreads(0); }
};

// ---- random bodies --------------------------------------------------------

struct Case {
    std::string kind;
    Corners corners;
    double y1 = 0, y2 = 0;
    std::vector<double> stations;
    bool km = true;
};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    Case next()
    {
        Case c;
        // Size and place of the body.
        double size = uniform(0.2, 5), cx = uniform(-10, 10), cz = uniform(0.5, 6);
        switch (pick(6)) {
        case 0: c.kind = "tiny"; size = uniform(1e-4, 1e-2); cz = uniform(1e-4, 0.05); break;
        case 1: c.kind = "huge"; size = uniform(500, 5000); cz = size * uniform(0.3, 2); break;
        case 2: c.kind = "far"; cx = uniform(300, 3000) * (pick(2) ? 1 : -1); break;
        case 3: c.kind = "under the station"; cx = 0; break;
        default: c.kind = "ordinary"; break;
        }
        // Shape.
        const int n = 3 + pick(48);
        switch (pick(5)) {
        case 0:   // convex
            for (int k = 0; k < n; ++k) {
                const double a = -2 * Pi * k / n;
                c.corners.push_back({cx + size * std::cos(a), cz - 0.5 * size * std::sin(a)});
            }
            c.kind += ", convex";
            break;
        case 1:   // star: concave
            for (int k = 0; k < n; ++k) {
                const double a = -2 * Pi * k / n;
                const double r = size * (k % 2 ? 0.3 : 1.0) * uniform(0.7, 1);
                c.corners.push_back({cx + r * std::cos(a), cz - 0.5 * r * std::sin(a)});
            }
            c.kind += ", concave";
            break;
        case 2:   // box with vertical edges
            c.corners = {{cx - size, cz}, {cx + size, cz}, {cx + size, cz + size}, {cx - size, cz + size}};
            c.kind += ", box";
            break;
        case 3:   // random corners: crossing edges, either orientation
            for (int k = 0; k < n; ++k)
                c.corners.push_back({cx + uniform(-size, size), cz + uniform(-size, size)});
            c.kind += ", scribble";
            break;
        default:   // a body reaching up to the surface
            for (int k = 0; k < n; ++k) {
                const double a = -Pi * k / (n - 1);
                c.corners.push_back({cx + size * std::cos(a), size * std::sin(-a)});
            }
            c.kind += ", at the surface";
            break;
        }
        for (auto& [x, z] : c.corners)
            z = std::max(z, MinDepth);
        if (pick(4) == 0) {   // duplicate corners
            const auto k = static_cast<std::size_t>(pick(static_cast<int>(c.corners.size())));
            c.corners.insert(c.corners.begin() + static_cast<long>(k), c.corners[k]);
            c.kind += ", duplicate corner";
        }
        if (c.corners.size() > 50)
            c.corners.resize(50);

        // Strike lengths.
        switch (pick(6)) {
        case 0: c.y1 = c.y2 = 0; break;
        case 1: c.y1 = c.y2 = uniform(0.01, 50); break;
        case 2: c.y1 = uniform(0.01, 50); c.y2 = 0; break;
        case 3: c.y1 = 1e6; c.y2 = pick(2) ? 1e6 : uniform(0.1, 10); break;
        default: c.y1 = uniform(0.01, 50); c.y2 = uniform(0.01, 50); break;
        }
        if (pick(2))
            std::swap(c.y1, c.y2);

        // Stations: a spread, and the awkward places.
        const double spread = std::max(30.0, 4 * size) + std::abs(cx);
        for (int i = 0; i < 24; ++i)
            c.stations.push_back(uniform(-spread, spread));
        c.stations.push_back(0);
        for (std::size_t k = 0; k < c.corners.size(); ++k) {
            const auto [x1, z1] = c.corners[k];
            const auto [x2, z2] = c.corners[(k + 1) % c.corners.size()];
            c.stations.push_back(x1);   // above a corner
            // Where the edge's line meets the surface, if that is on the profile.
            const double cross = z1 != z2 ? x1 - z1 * (x2 - x1) / (z2 - z1) : INFINITY;
            if (std::abs(cross) <= spread)
                c.stations.push_back(cross);
        }

        // Metres: the same body read in metres.
        c.km = pick(3) != 0;
        if (!c.km) {
            for (auto& [x, z] : c.corners) {
                x *= 1000;
                z *= 1000;
            }
            for (double& s : c.stations)
                s *= 1000;
            c.y1 *= 1000;
            c.y2 *= 1000;
        }
        return c;
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace

// ---- elementary functions -------------------------------------------------

TEST(FastEngine, LogarithmOfAQuotientWithinAnUlpOrTwo)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0, 1);
    // The range the engine calls it with, and its ends.
    std::vector<std::pair<double, double>> args = {
        {1, 1}, {2, 1}, {1, 2}, {0.5, 1}, {std::sqrt(2.0), 1}, {1, std::sqrt(2.0)},
        {std::sqrt(0.5), 1}, {std::nextafter(1.0, 2.0), 1}, {1, std::nextafter(1.0, 2.0)},
        {std::nextafter(1.0, 0.0), 1}, {1e-150, 1}, {1e150, 1}, {1e-150, 1e150},
        {1e150, 1e-150}, {1.5, 1.0607}, {1.0607, 1.5}, {3, 3}, {1.5, 1}, {1, 1.5},
        {1.51, 1}, {1, 1.51}, {1.99999, 1}, {1, 1.99999}};
    for (int i = 0; i < 200000; ++i) {
        const double a = std::ldexp(0.5 + unit(rng), static_cast<int>(unit(rng) * 990) - 495);
        args.push_back({a, std::ldexp(0.5 + unit(rng), static_cast<int>(unit(rng) * 990) - 495)});
        // Long-strike quotients near 1, where rounding the quotient first
        // would cost the logarithm its digits.
        args.push_back({a, a * (1 + (unit(rng) - 0.5) * 1e-6)});
        args.push_back({a * (1 + (unit(rng) - 0.5) * 1e-12), a});
        // Where the reduction's estimate of log2 is at its worst.
        args.push_back({a * (1.4 + 0.2 * unit(rng)), a});
    }
    for (auto [num, den] : args) {
        // Near 1, log1p of the exact difference: the quotient in long double
        // would itself be off by more than an ulp of a logarithm near 0.
        const long double q = static_cast<long double>(num) / den;
        const long double want =
            q > 0.5L && q < 2 ? std::log1p((static_cast<long double>(num) - den) / den)
                              : std::log(q);
        const double got = fast::logRatio(num, den);
        const double w = static_cast<double>(std::abs(want));
        const double ulp = w > 0 ? std::nextafter(w, INFINITY) - w : 0;
        ASSERT_LE(std::abs(got - want), 2 * ulp) << "ln " << num << " / " << den;
    }
}

TEST(FastEngine, ArcTangentInEveryQuadrant)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::vector<std::pair<double, double>> args = {
        {0, 0},   {0, 1},  {0, -1}, {1, 0},  {-1, 0}, {1, 1},      {-1, 1},    {1, -1},
        {-1, -1}, {-0.0, -1}, {0.0, -1}, {1e-300, 1}, {1, 1e-300}, {-1e-300, -1},
        {std::tan(Pi / 8), 1}, {1, std::tan(Pi / 8)}, {1e200, -1e-200}};
    for (int i = 0; i < 200000; ++i)
        args.push_back({std::ldexp(unit(rng), static_cast<int>(unit(rng) * 60)),
                        std::ldexp(unit(rng), static_cast<int>(unit(rng) * 60))});
    for (auto [y, x] : args) {
        const double want = std::atan2(y, x);
        const double got = fast::arcTan2(y, x);
        // Absolute error: the angle is multiplied by a distance, not divided.
        ASSERT_LE(std::abs(got - want), 4.5e-16) << "atan2(" << y << ", " << x << ")";
        if (x > 0 || y != 0) {
            ASSERT_EQ(std::signbit(got), std::signbit(want)) << "atan2(" << y << ", " << x << ")";
        }
    }
    EXPECT_EQ(fast::arcTan2(0, 0), 0);
}

// ---- against the reference -------------------------------------------------

TEST(FastEngine, MatchesReferenceOnThousandsOfRandomBodies)
{
    Generator gen(20261208);
    auto m = makeModel();
    int checked = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const Case c = gen.next();
        test::setBody(*m, 1, c.corners, 0.1 + 0.01 * (trial % 50), c.y1, c.y2);
        const Tbody& body = m->Bodies[1];
        const auto ref = reference(body, c.stations, c.km);
        const auto got = engine(body, c.stations, c.km);
        for (std::size_t i = 0; i < ref.size(); ++i) {
            ASSERT_TRUE(std::isfinite(got[i]));
            ASSERT_TRUE(close(got[i], ref[i]) ||
                        agrees(got[i], ref[i], extendedAnomaly(body, c.stations[i], c.km)))
                << "trial " << trial << " (" << c.kind << ", strike " << c.y1 << "/" << c.y2
                << (c.km ? ", km" : ", m") << ") at S = " << c.stations[i] << ": fast "
                << got[i] << ", reference " << ref[i] << ", extended "
                << extendedAnomaly(body, c.stations[i], c.km);
            ++checked;
        }
    }
    EXPECT_GT(checked, 100000);
}

TEST(FastEngine, SpecialCasesStayExact)
{
    const std::vector<double> stations = {-20, -3, -1, -0.5, 0, 0.25, 1, 2, 3.5, 7, 40};
    const Corners poly = {{-1, 1}, {1, 1}, {1.5, 2.5}, {0, 3}, {-1, 2}};
    auto m = makeModel();

    // Strike length 0 on both sides: no prism, exactly 0 at every station.
    test::setBody(*m, 1, poly, 0.7, 0, 0);
    for (double g : engine(m->Bodies[1], stations, true))
        EXPECT_EQ(g, 0);

    // The metre factor: exactly 0.001 times the figure in km.
    test::setBody(*m, 1, poly, 0.7, 3, 9);
    const auto km = engine(m->Bodies[1], stations, true);
    const auto metres = engine(m->Bodies[1], stations, false);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_EQ(metres[i], km[i] * MetreFactor);

    // Zero-length edges, anywhere in the ring, change nothing.
    Corners dup = {{-1, 1}, {-1, 1}, {1, 1}, {1.5, 2.5}, {1.5, 2.5}, {1.5, 2.5}, {0, 3}, {-1, 2}};
    test::setBody(*m, 2, dup, 0.7, 3, 9);
    const auto dupG = engine(m->Bodies[2], stations, true);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_NEAR(dupG[i], km[i], 1e-13 * std::abs(km[i]));

    // A body that is not closed (still being drawn) gets its closing edge.
    Tbody open = m->Bodies[1];
    open.NumCorners = 5;   // the closing copy left out
    const auto openRef = reference(open, stations, true);
    const auto openFast = engine(open, stations, true);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_TRUE(close(openFast[i], openRef[i])) << stations[i];

    // Stations on the lines of edges (p = 0) and right above a vertical edge
    // and at the radius floor.
    const Corners diamond = {{0, 1}, {1, 2}, {0, 3}, {-1, 2}};   // edges on x = +-z +- 1
    const Corners vertical = {{0, MinDepth}, {2, MinDepth}, {2, 2}, {0, 2}};
    const std::vector<double> onLines = {-1, 1, 0, 2, 3, -3, 1e-12, -1e-12};
    for (const Corners& shape : {diamond, vertical})
        for (auto [y1, y2] : {std::pair{0.0, 5.0}, {5.0, 5.0}, {0.5, 1e6}, {1e-3, 2e-3}}) {
            test::setBody(*m, 1, shape, 1.3, y1, y2);
            const auto r = reference(m->Bodies[1], onLines, true);
            const auto f = engine(m->Bodies[1], onLines, true);
            for (std::size_t i = 0; i < onLines.size(); ++i) {
                EXPECT_TRUE(std::isfinite(f[i]));
                EXPECT_TRUE(close(f[i], r[i]))
                    << "S = " << onLines[i] << ", strike " << y1 << "/" << y2 << ": " << f[i]
                    << " vs " << r[i];
            }
        }
}

TEST(FastEngine, NeverNaNAndHostileBodiesGoToTheReference)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> stations = {-5, 0, 1, 2, 5};
    struct Hostile {
        Corners corners;
        double y1, y2;
    };
    const std::vector<Hostile> bodies = {
        {{{-1e300, 1}, {1e300, 1}, {1e300, 1e300}}, 1e300, 1},
        {{{0, 1}, {nan, 2}, {1, 3}}, 2, 2},
        {{{0, 1}, {inf, 2}, {1, 3}}, 2, 2},
        {{{0, 1}, {1, 2}, {1, 3}}, -4, 2},     // negative strike length
        {{{0, 1}, {1, 2}, {1, 3}}, nan, 2},
        {{{0, 1}, {1, 2}, {1, 3}}, 2e10, 1},   // beyond the fast engine's range
        {{{0, 0}, {1, 0}, {1, -1}}, 2, 2},     // depths typed in as 0 and below:
        {{{0, 0}, {1, 0}, {1, -1}}, 1e-9, 0},  // the radius floor at work
        {{{0, 1}, {1, 2}, {1, 3}}, 2, 2},      // then stations far beyond any survey
    };
    auto m = makeModel();
    for (const Hostile& h : bodies) {
        test::setBody(*m, 1, h.corners, 1, h.y1, h.y2);
        if (&h == &bodies.back())
            stations = {-1e12, 0, 1e12};
        const auto r = reference(m->Bodies[1], stations, true);
        const auto f = engine(m->Bodies[1], stations, true);
        for (std::size_t i = 0; i < stations.size(); ++i) {
            EXPECT_FALSE(std::isnan(f[i]));
            // Where the reference cancels (a micrometre strike at the radius
            // floor), the quadruple-precision formula decides.
            EXPECT_TRUE(close(f[i], r[i]) || (std::isinf(r[i]) && f[i] == r[i]) ||
                        agrees(f[i], r[i], extendedAnomaly(m->Bodies[1], stations[i], true)))
                << "S = " << stations[i] << ": " << f[i] << " vs " << r[i] << ", extended "
                << extendedAnomaly(m->Bodies[1], stations[i], true);
        }
    }
    // Bodies that are not yet polygons: nothing, or a line there and back.
    Tbody& b = m->Bodies[1];
    test::setBody(*m, 1, {{0, 1}, {3, 2}, {1, 4}}, 1, 2, 5);
    for (int n : {0, 1}) {
        b.NumCorners = n;
        for (double g : engine(b, stations, true))
            EXPECT_EQ(g, 0);
    }
    b.NumCorners = 2;
    const auto r = reference(b, stations, true);
    const auto f = engine(b, stations, true);
    for (std::size_t i = 0; i < stations.size(); ++i)
        EXPECT_TRUE(close(f[i], r[i])) << f[i] << " vs " << r[i];
}

// ---- threads and whole-model recalculation ----------------------------------

namespace {

std::unique_ptr<Model> bigModel(int bodies, int stations)
{
    auto m = makeModel();
    test::setStations(*m, stations, -60, 60);
    m->NumBodies = bodies;
    Generator gen(99);
    for (int b = 1; b <= bodies; ++b) {
        Corners corners;
        const int n = 50;
        for (int k = 0; k < n; ++k) {
            const double a = -2 * Pi * k / n;
            const double r = 1.5 + 0.5 * std::sin(5 * a);
            corners.push_back({-50 + 2 * b + r * std::cos(a), 3 + 0.1 * b - r * std::sin(a)});
        }
        test::setBody(*m, b, corners, 0.05 * b - 0.6, 5 + b, b % 3 == 0 ? 5 + b : 2);
    }
    return m;
}

}  // namespace

TEST(FastEngine, ThreadsGiveTheSameBitsAsOneThread)
{
    auto m = bigModel(12, MaxStations);
    m->Bodies[4].Hidden = true;
    m->Bodies[9].NumCorners = 1;   // a slot whose body is being drawn

    std::vector<double> serialBody(MaxStations), serialTotal(MaxStations);
    {
        const ThreadsGuard one(1);
        bodyAnomaly(m->Bodies[2], m->StationX.data(), MaxStations, true, serialBody.data());
        m->RecalculateModel();
        std::copy_n(m->CalculatedGravity.data(), MaxStations, serialTotal.begin());
    }
    const ThreadsGuard two(2);
    std::vector<double> parallelBody(MaxStations);
    bodyAnomaly(m->Bodies[2], m->StationX.data(), MaxStations, true, parallelBody.data());
    EXPECT_EQ(parallelBody, serialBody);

    m->CalculatedGravity.fill(123);
    m->RecalculateModel();
    for (int i = 1; i <= MaxStations; ++i)
        ASSERT_EQ(m->CalculatedGravity[i], serialTotal[static_cast<std::size_t>(i - 1)]) << i;

    // The whole-model pass is the same, bit for bit, as one body at a time,
    // hidden bodies left out of the total.
    std::vector<double> total(MaxStations, 0.0);
    for (int b = 1; b <= m->NumBodies; ++b) {
        std::vector<double> g(MaxStations);
        referenceAnomaly(m->Bodies[b], m->StationX.data(), MaxStations, true, g.data());
        for (int i = 1; i <= MaxStations; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            ASSERT_TRUE(close(m->Bodies[b].Gravity[i], g[k])) << "body " << b << " station " << i;
            if (!m->Bodies[b].Hidden)
                total[k] += m->Bodies[b].Gravity[i];
        }
    }
    for (int i = 1; i <= MaxStations; ++i)
        ASSERT_EQ(m->CalculatedGravity[i], total[static_cast<std::size_t>(i - 1)]) << i;
}

TEST(FastEngine, CallersOnSeveralThreadsAtOnce)
{
    const ThreadsGuard two(2);
    auto a = bigModel(3, 2000);
    auto b = bigModel(5, 3000);
    std::vector<double> wantA(2000), wantB(3000);
    a->RecalculateModel();
    b->RecalculateModel();
    std::copy_n(a->CalculatedGravity.data(), 2000, wantA.begin());
    std::copy_n(b->CalculatedGravity.data(), 3000, wantB.begin());

    // One caller gets the pool, the other works alone; both get their figures.
    std::thread other([&] {
        for (int r = 0; r < 5; ++r)
            b->RecalculateModel();
    });
    for (int r = 0; r < 5; ++r)
        a->RecalculateModel();
    other.join();
    EXPECT_TRUE(std::equal(wantA.begin(), wantA.end(), a->CalculatedGravity.data()));
    EXPECT_TRUE(std::equal(wantB.begin(), wantB.end(), b->CalculatedGravity.data()));
}

TEST(FastEngine, UpdateBodyKeepsTheTotal)
{
    auto m = bigModel(6, 1500);
    m->Bodies[3].Hidden = true;
    m->RecalculateModel();
    m->Bodies[2].setCorner(7, m->Bodies[2].CornerX[7] + 0.4, m->Bodies[2].CornerZ[7] + 0.3);
    m->UpdateBody(2);
    m->Bodies[3].Density = 2;
    m->UpdateBody(3);   // hidden: the total does not move

    std::vector<double> want(1500, 0.0);
    for (int b = 1; b <= 6; ++b) {
        std::vector<double> g(1500);
        referenceAnomaly(m->Bodies[b], m->StationX.data(), 1500, true, g.data());
        for (std::size_t i = 0; i < g.size(); ++i) {
            ASSERT_TRUE(close(m->Bodies[b].Gravity[static_cast<int>(i) + 1], g[i]));
            if (!m->Bodies[b].Hidden)
                want[i] += g[i];
        }
    }
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(m->CalculatedGravity[static_cast<int>(i) + 1], want[i], 1e-9 * (1 + std::abs(want[i])));
}
