// Bodies whose density contrast changes with depth: the quadrature against
// the exact constant-density engine, against the body cut into thin slices
// of constant density, and the laws that are the constant body.
#include "model/density_law.h"
#include "model/gravity.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;

namespace {

struct Case {
    const char* name;
    Corners corners;
    double y1, y2;
    double x0, x1;   // stations
    double lift;     // station heights: lift * (1 + sin i); 0 for none
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> c = {
        {"rectangle, long equal strikes", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 1000, 1000, -10, 10, 0},
        {"dipping triangle, unequal strikes", {{0, 0.2}, {3, 4}, {-1, 3}}, 5, 0.8, -8, 12, 0},
        {"basin, one side only, stations at heights", {{-6, 0.1}, {6, 0.1}, {3, 2.5}, {0, 3.2}, {-4, 1.8}},
         20, 0, -15, 15, 0.4},
        {"deep wedge, short strikes, stations at heights", {{2, 5}, {9, 6}, {1, 11}}, 2, 3, -5, 20, 1.5},
        {"far stations", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 30, 10, -150, 150, 0},
        {"beside the station's level", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 4, 7, 3, 10, -0.75},
    };
    return c;
}

Tbody body(const Corners& corners, double y1, double y2, DensityLaw law = DensityLaw::Constant,
           double density = 0.4, double rate = 0, double z0 = 0)
{
    auto m = makeModel();
    test::setBody(*m, 1, corners, density, y1, y2);
    Tbody b = m->Bodies[1];
    b.Law = law;
    b.LawRate = rate;
    b.LawZ0 = z0;
    return b;
}

struct Profile {
    std::vector<double> x, h;
};

Profile profile(const Case& c, int n = 25)
{
    Profile p;
    for (int i = 0; i < n; ++i) {
        p.x.push_back(c.x0 + (c.x1 - c.x0) * i / (n - 1));
        p.h.push_back(c.lift * (1 + std::sin(i)));
    }
    return p;
}

std::vector<double> calc(const Tbody& b, const Profile& p, bool km = true)
{
    std::vector<double> g(p.x.size());
    bodyAnomaly(b, p.x.data(), static_cast<int>(g.size()), km, g.data(), p.h.data());
    return g;
}

// The polygon's part between depths za and zb.
Corners band(const Corners& poly, double za, double zb)
{
    auto clip = [](const Corners& in, double level, bool below) {
        Corners out;
        for (std::size_t i = 0; i < in.size(); ++i) {
            const auto& a = in[i];
            const auto& b = in[(i + 1) % in.size()];
            const bool ina = below ? a.second >= level : a.second <= level;
            const bool inb = below ? b.second >= level : b.second <= level;
            if (ina)
                out.push_back(a);
            if (ina != inb) {
                const double t = (level - a.second) / (b.second - a.second);
                out.push_back({a.first + t * (b.first - a.first), level});
            }
        }
        return out;
    };
    return clip(clip(poly, za, true), zb, false);
}

// The body as slices of constant density, each its law's contrast at the
// slice's middle depth. Each band between corner depths is cut into slices
// of its own (split times as many as its share of n), so that every slice is
// a trapezoid and the error falls as the square of the thickness.
std::vector<double> sliced(const Tbody& law, const Corners& poly, const Profile& p, int n, int split)
{
    std::vector<double> depths;
    for (const auto& c : poly)
        depths.push_back(c.second);
    std::sort(depths.begin(), depths.end());
    depths.erase(std::unique(depths.begin(), depths.end()), depths.end());
    const double thickness = depths.back() - depths.front();
    std::vector<double> sum(p.x.size(), 0.0);
    for (std::size_t j = 0; j + 1 < depths.size(); ++j) {
        const double gap = depths[j + 1] - depths[j];
        const int k = split * static_cast<int>(std::ceil(n * gap / thickness));
        for (int i = 0; i < k; ++i) {
            const double za = depths[j] + gap * i / k, zb = depths[j] + gap * (i + 1) / k;
            const Corners slice = band(poly, za, zb);
            const std::vector<double> g =
                calc(body(slice, law.StrikeLength1, law.StrikeLength2, DensityLaw::Constant,
                          densityAt(law, 0.5 * (za + zb))),
                     p);
            for (std::size_t s = 0; s < g.size(); ++s)
                sum[s] += g[s];
        }
    }
    return sum;
}

double worst(const std::vector<double>& a, const std::vector<double>& b)
{
    double peak = 0, d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        peak = std::max(peak, std::fabs(b[i]));
        d = std::max(d, std::fabs(a[i] - b[i]));
    }
    return d / peak;
}

}  // namespace

// With a decay too small to change a digit of the contrast, the quadrature
// meets the closed-form constant-density engine: its own error is below 1e-9
// (or 1e-9 mGal, as the fast engine is held: 150 km from the body the
// constant engine's own figure is 1e-9 off, the quadrature's 3e-11).
TEST(DensityLaw, QuadratureMatchesTheClosedFormWithinBillionth)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const Profile p = profile(c, 61);
        const Tbody law = body(c.corners, c.y1, c.y2, DensityLaw::Exponential, 0.4, 1e-300);
        ASSERT_TRUE(variesWithDepth(law));
        const std::vector<double> exact = calc(body(c.corners, c.y1, c.y2), p);
        const std::vector<double> quad = calc(law, p);
        for (std::size_t i = 0; i < exact.size(); ++i)
            EXPECT_NEAR(quad[i], exact[i], std::max(1e-9 * std::fabs(exact[i]), 1e-9)) << "station " << i;
    }
}

// Thinner slices converge on the law's anomaly, and the extrapolation of two
// slicings meets it to a few parts in a billion of the peak.
TEST(DensityLaw, SlicesConvergeOnTheLaw)
{
    struct Law {
        DensityLaw law;
        double density, rate, z0;
    };
    const Law laws[] = {{DensityLaw::Linear, -0.45, 0.08, 0}, {DensityLaw::Linear, 0.2, -0.03, 2.5},
                        {DensityLaw::Exponential, -0.5, 0.45, 0}, {DensityLaw::Exponential, 0.3, 0.2, 3}};
    for (const Case& c : cases())
        for (const Law& l : laws) {
            SCOPED_TRACE(std::string(c.name) + ", law " + std::to_string(static_cast<int>(l.law)) +
                         " rate " + std::to_string(l.rate));
            const Profile p = profile(c);
            const Tbody b = body(c.corners, c.y1, c.y2, l.law, l.density, l.rate, l.z0);
            const std::vector<double> g = calc(b, p);
            const std::vector<double> coarse = sliced(b, c.corners, p, 120, 1);
            const std::vector<double> fine = sliced(b, c.corners, p, 120, 2);
            std::vector<double> extrapolated(g.size());
            for (std::size_t i = 0; i < g.size(); ++i)
                extrapolated[i] = (4 * fine[i] - coarse[i]) / 3;
            const double e1 = worst(coarse, g), e2 = worst(fine, g), e3 = worst(extrapolated, g);
            EXPECT_LT(e2, 0.3 * e1);
            // A linear law's slices converge faster than the square, and
            // their extrapolation then overshoots: the better of the two counts.
            EXPECT_LT(std::min(e2, e3), 5e-9);
        }
}

// A law that does not change with depth is the constant body, to the last bit,
// in either engine and in the model's totals.
TEST(DensityLaw, ZeroRateIsTheConstantBodyBitForBit)
{
    for (const Case& c : cases())
        for (DensityLaw law : {DensityLaw::Linear, DensityLaw::Exponential}) {
            SCOPED_TRACE(c.name);
            const Profile p = profile(c, 70);
            const Tbody constant = body(c.corners, c.y1, c.y2);
            const Tbody flat = body(c.corners, c.y1, c.y2, law, 0.4, 0.0, 7.5);
            EXPECT_FALSE(variesWithDepth(flat));
            const std::vector<double> a = calc(constant, p), b = calc(flat, p);
            EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(double)));
            std::vector<double> ra(p.x.size()), rb(p.x.size());
            referenceAnomaly(constant, p.x.data(), 70, true, ra.data(), p.h.data());
            referenceAnomaly(flat, p.x.data(), 70, true, rb.data(), p.h.data());
            EXPECT_EQ(0, std::memcmp(ra.data(), rb.data(), ra.size() * sizeof(double)));
        }
}

// The same model in metres: rates per metre, the reference depth in metres.
TEST(DensityLaw, MetresAndKilometresAgree)
{
    for (const Case& c : cases())
        for (DensityLaw law : {DensityLaw::Linear, DensityLaw::Exponential}) {
            SCOPED_TRACE(c.name);
            const Profile p = profile(c);
            Profile pm = p;
            Corners cm = c.corners;
            for (double& v : pm.x)
                v *= 1000;
            for (double& v : pm.h)
                v *= 1000;
            for (auto& k : cm)
                k = {k.first * 1000, k.second * 1000};
            const std::vector<double> km = calc(body(c.corners, c.y1, c.y2, law, -0.3, 0.15, 1.2), p);
            const std::vector<double> m =
                calc(body(cm, c.y1 * 1000, c.y2 * 1000, law, -0.3, 0.15 / 1000, 1200), pm, false);
            EXPECT_LT(worst(m, km), 1e-12);
        }
}

// Through the model: a hidden law body stays out of the total, and an
// update gives what a full recalculation gives.
TEST(DensityLaw, ModelTotalsKeepTheirRules)
{
    auto m = makeModel();
    test::setStations(*m, 50, -10, 10);
    m->NumBodies = 2;
    test::setBody(*m, 1, cases()[1].corners, 0.3, 5, 0.8);
    test::setBody(*m, 2, test::unitRectangle, -0.2, 10, 10);
    m->Bodies[1].Law = DensityLaw::Exponential;
    m->Bodies[1].LawRate = 0.3;
    m->RecalculateModel();
    std::vector<double> total(m->CalculatedGravity.data(), m->CalculatedGravity.data() + 50);
    m->Bodies[1].LawRate = 0.2;
    m->UpdateBody(1);
    m->Bodies[1].LawRate = 0.3;
    m->UpdateBody(1);
    for (int i = 1; i <= 50; ++i) {
        EXPECT_NEAR(m->CalculatedGravity[i], total[static_cast<std::size_t>(i - 1)], 1e-12);
        EXPECT_NE(m->Bodies[1].Gravity[i], 0);
    }
    m->setHidden(1, true);
    for (int i = 1; i <= 50; ++i)
        EXPECT_DOUBLE_EQ(m->CalculatedGravity[i], m->Bodies[2].Gravity[i]);
}
