// Bodies whose density contrast changes with depth, against the closed-form
// constant-density engine and against the body cut into thin slices.
#include "model/density_law.h"
#include "model/gravity.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;

namespace {

struct Case {
    const char* name;
    Corners corners;
    double y1, y2, x0, x1;   // strike sides, first and last station
    double lift;             // station heights lift * (1 + sin i)
};

const Case cases[] = {
    {"rectangle", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 1000, 1000, -10, 10, 0},
    {"dipping triangle, unequal strikes", {{0, 0.2}, {3, 4}, {-1, 3}}, 5, 0.8, -8, 12, 0},
    {"basin, one side, heights", {{-6, 0.1}, {6, 0.1}, {3, 2.5}, {0, 3.2}, {-4, 1.8}}, 20, 0, -15, 15, 0.4},
    {"deep wedge, short strikes, heights", {{2, 5}, {9, 6}, {1, 11}}, 2, 3, -5, 20, 1.5},
    {"far stations", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 30, 10, -150, 150, 0},
    {"beside the station's level", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 4, 7, 3, 10, -0.75},
};

Tbody body(const Corners& corners, const Case& c, DensityLaw law, double density, double rate, double z0 = 0,
           double scale = 1)
{
    static const std::unique_ptr<Model> m = makeModel();
    test::setBody(*m, 1, corners, density, c.y1 * scale, c.y2 * scale);
    m->Bodies[1].Law = law, m->Bodies[1].LawRate = rate, m->Bodies[1].LawZ0 = z0;
    return m->Bodies[1];
}

// The anomaly at 25 stations (times scale: a model in metres).
std::vector<double> calc(const Tbody& b, const Case& c, double scale = 1)
{
    std::vector<double> x, h, g(25);
    for (int i = 0; i < 25; ++i)
        x.push_back(scale * (c.x0 + (c.x1 - c.x0) * i / 24)), h.push_back(scale * c.lift * (1 + std::sin(i)));
    bodyAnomaly(b, x.data(), 25, scale == 1, g.data(), h.data());
    return g;
}

// The body as slices of constant density (the law's at each slice's middle
// depth), each band between corner depths cut into split * its share of n.
std::vector<double> sliced(const Tbody& law, const Case& c, int n, int split)
{
    std::vector<double> z, sum(25, 0.0);
    for (const auto& k : c.corners)
        z.push_back(k.second);
    std::sort(z.begin(), z.end());
    for (std::size_t j = 0; j + 1 < z.size(); ++j) {
        const int k = split * static_cast<int>(std::ceil(n * (z[j + 1] - z[j]) / (z.back() - z.front())));
        for (int i = 0; i < k; ++i) {
            const double za = z[j] + (z[j + 1] - z[j]) * i / k, zb = z[j] + (z[j + 1] - z[j]) * (i + 1) / k;
            Corners slice;   // the polygon clipped to za <= z <= zb, corner by corner
            for (std::size_t e = 0; e < c.corners.size(); ++e) {
                const auto a = c.corners[e], b = c.corners[(e + 1) % c.corners.size()];
                if (a.second >= za && a.second <= zb)
                    slice.push_back(a);
                std::vector<std::pair<double, double>> cuts;   // (t, level) where a->b crosses one
                for (double level : {za, zb})
                    if ((a.second - level) * (b.second - level) < 0)
                        cuts.push_back({(level - a.second) / (b.second - a.second), level});
                std::sort(cuts.begin(), cuts.end());
                for (const auto& [t, level] : cuts)
                    slice.push_back({a.first + t * (b.first - a.first), level});
            }
            const std::vector<double> g =
                calc(body(slice, c, DensityLaw::Constant, densityAt(law, 0.5 * (za + zb)), 0), c);
            for (std::size_t s = 0; s < 25; ++s)
                sum[s] += g[s];
        }
    }
    return sum;
}

// The largest difference over the profile, relative to the peak of b.
double worst(const std::vector<double>& a, const std::vector<double>& b)
{
    double peak = 0, d = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        peak = std::max(peak, std::fabs(b[i])), d = std::max(d, std::fabs(a[i] - b[i]));
    return d / peak;
}

}  // namespace

// A decay of 1e-300 changes no digit of the contrast but takes the
// quadrature: within 1e-9 of the closed form (or 1e-9 mGal, as the fast
// engine is held: 150 km off, the closed form's own error is 1e-9, the
// quadrature's 3e-11). A zero rate is the constant body to the last bit.
TEST(DensityLaw, QuadratureWithinBillionthAndZeroRateBitForBit)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> exact = calc(body(c.corners, c, DensityLaw::Constant, 0.4, 0), c);
        const std::vector<double> quad = calc(body(c.corners, c, DensityLaw::Exponential, 0.4, 1e-300), c);
        for (std::size_t i = 0; i < exact.size(); ++i)
            EXPECT_NEAR(quad[i], exact[i], std::max(1e-9 * std::fabs(exact[i]), 1e-9)) << "station " << i;
        for (DensityLaw law : {DensityLaw::Linear, DensityLaw::Exponential}) {
            const std::vector<double> flat = calc(body(c.corners, c, law, 0.4, 0.0, 7.5), c);
            EXPECT_EQ(0, std::memcmp(flat.data(), exact.data(), exact.size() * sizeof(double)));
        }
    }
}

// Thinner slices converge on the law, and two slicings extrapolated meet it
// to a few parts in a billion of the peak; the same model in metres (rates
// per metre, the reference depth in metres) gives the same figures.
TEST(DensityLaw, SlicesConvergeOnTheLawInKilometresAndMetres)
{
    struct Law {
        DensityLaw law;
        double density, rate, z0;
    };
    const Law laws[] = {{DensityLaw::Linear, -0.45, 0.08, 0}, {DensityLaw::Linear, 0.2, -0.03, 2.5},
                        {DensityLaw::Exponential, -0.5, 0.45, 0}, {DensityLaw::Exponential, 0.3, 0.2, 3}};
    for (const Case& c : cases)
        for (const Law& l : laws) {
            SCOPED_TRACE(std::string(c.name) + ", rate " + std::to_string(l.rate));
            const Tbody b = body(c.corners, c, l.law, l.density, l.rate, l.z0);
            const std::vector<double> g = calc(b, c), coarse = sliced(b, c, 120, 1), fine = sliced(b, c, 120, 2);
            std::vector<double> extrapolated(g.size());
            for (std::size_t i = 0; i < g.size(); ++i)
                extrapolated[i] = (4 * fine[i] - coarse[i]) / 3;
            EXPECT_LT(worst(fine, g), 0.3 * worst(coarse, g));
            // A linear law's slices converge faster than the square, and
            // their extrapolation then overshoots: the better of the two counts.
            EXPECT_LT(std::min(worst(fine, g), worst(extrapolated, g)), 5e-9);

            Corners metres = c.corners;
            for (auto& k : metres)
                k = {k.first * 1000, k.second * 1000};
            const Tbody m = body(metres, c, l.law, l.density, l.rate / 1000, l.z0 * 1000, 1000);
            EXPECT_LT(worst(calc(m, c, 1000), g), 1e-12);
        }
}

// The linear law's closed form and the exponential law's quadrature over
// blocks of stations (the program's engines) against the quadrature station
// by station (the reference engine, held to 1e-9 above), rising and falling
// contrasts, in kilometres and in metres.
TEST(DensityLaw, FastEnginesMeetTheReferenceQuadrature)
{
    struct Law {
        DensityLaw law;
        double density, rate, z0;
    };
    const Law laws[] = {{DensityLaw::Linear, -0.45, 0.08, 0},     {DensityLaw::Linear, 0.2, -0.03, 2.5},
                        {DensityLaw::Linear, 0.0, 0.1, -1},       {DensityLaw::Exponential, -0.5, 0.45, 0},
                        {DensityLaw::Exponential, 0.3, -0.2, 3}, {DensityLaw::Exponential, 0.3, 4, 1}};
    for (const Case& c : cases)
        for (const Law& l : laws)
            for (double scale : {1.0, 1000.0}) {
                SCOPED_TRACE(std::string(c.name) + ", rate " + std::to_string(l.rate) + ", scale " +
                             std::to_string(scale));
                Corners corners = c.corners;
                for (auto& k : corners)
                    k = {k.first * scale, k.second * scale};
                const Tbody b = body(corners, c, l.law, l.density, l.rate / scale, l.z0 * scale, scale);
                std::vector<double> x, h, quad(25);
                for (int i = 0; i < 25; ++i)
                    x.push_back(scale * (c.x0 + (c.x1 - c.x0) * i / 24)), h.push_back(scale * c.lift * (1 + std::sin(i)));
                referenceAnomaly(b, x.data(), 25, scale == 1, quad.data(), h.data());
                EXPECT_LT(worst(calc(b, c, scale), quad), 1e-9);
            }
}

// Places where the closed form's terms cancel or change branch, and where the
// block quadrature cuts for its nearest station: on the line of an edge behind
// it, at a corner, straight above one, at the level of a level edge, inside
// the body, a strike far longer than the body, and a profile long enough for
// the fast engine's full blocks. Both laws against the station-by-station
// quadrature.
TEST(DensityLaw, FastEnginesHoldAtHardStations)
{
    struct Hard {
        const char* name;
        Corners corners;
        double y1, y2;
        std::vector<std::pair<double, double>> stations;   // (x, height); none: a long profile
    };
    const Hard hards[] = {
        {"on the lines of edges", {{0, 1}, {2, 3}, {-1, 3}}, 6, 2, {{-1, 0}, {-3, 0}, {-0.5, 0.5}, {6, 2}}},
        {"at and above corners", {{0, 1}, {2, 3}, {-1, 3}}, 6, 6, {{0, -1}, {2, -3}, {0, 0}, {2, 0}, {-1, -2.5}}},
        {"level with a level edge", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 3, 0, {{4, -1}, {-9, -2}, {1.5, -1}}},
        {"inside the body", {{-2, 1}, {2, 1}, {2, 3}, {-2, 3}}, 5, 5, {{0, -2}, {1.9, -1.1}}},
        {"strike far longer than the body", {{-1, 1}, {1, 1}, {1, 2}, {-1, 2}}, 1e5, 3e4, {{0, 0}, {0.5, 0}, {40, 0}}},
        {"long profile", {{-5, 0.5}, {5, 0.5}, {2, 3}, {-3, 2}}, 12, 7, {}},
    };
    const double rates[][2] = {{1, 0.07}, {2, 0.3}};   // law, rate
    for (const Hard& c : hards)
        for (const auto& r : rates) {
            const DensityLaw law = r[0] == 1 ? DensityLaw::Linear : DensityLaw::Exponential;
            SCOPED_TRACE(std::string(c.name) + (law == DensityLaw::Linear ? ", linear" : ", exponential"));
            std::vector<double> x, h;
            for (const auto& [sx, sh] : c.stations)
                x.push_back(sx), h.push_back(sh);
            for (int i = 0; c.stations.empty() && i < 150; ++i)   // two full blocks and a short one
                x.push_back(-20 + 40.0 * i / 149), h.push_back(i % 3 == 0 ? 0.3 : 0.0);
            static const std::unique_ptr<Model> m = makeModel();
            test::setBody(*m, 1, c.corners, 0.35, c.y1, c.y2);
            Tbody& b = m->Bodies[1];
            b.Law = law, b.LawRate = r[1], b.LawZ0 = 1.2;
            const int n = static_cast<int>(x.size());
            std::vector<double> fast(x.size()), quad(x.size());
            bodyAnomaly(b, x.data(), n, true, fast.data(), h.data());
            referenceAnomaly(b, x.data(), n, true, quad.data(), h.data());
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(fast[i], quad[i], 1e-9 * std::max(std::fabs(quad[i]), 1.0)) << "station " << i;
        }
}

// Corners that run the other way round turn the constant body's anomaly over;
// the closed form's moment and the block quadrature turn with it, to the last
// few digits.
TEST(DensityLaw, ReversedCornersTurnWithTheConstantBody)
{
    for (const Case& c : cases) {
        const Corners reversed(c.corners.rbegin(), c.corners.rend());
        const auto turned = [&](DensityLaw law) {
            std::vector<double> back = calc(body(reversed, c, law, -0.3, 0.15, 1), c);
            const std::vector<double> forward = calc(body(c.corners, c, law, -0.3, 0.15, 1), c);
            const double sign = back[3] * forward[3] < 0 ? -1.0 : 1.0;
            for (double& g : back)
                g *= sign;
            EXPECT_LT(worst(back, forward), 1e-12) << c.name << ", law " << static_cast<int>(law);
            return sign;
        };
        const double constant = turned(DensityLaw::Constant);
        EXPECT_EQ(turned(DensityLaw::Linear), constant) << c.name;
        EXPECT_EQ(turned(DensityLaw::Exponential), constant) << c.name;
    }
}

TEST(DensityLaw, LabelTextGivesTheLaw)
{
    struct Case { DensityLaw law; double density, rate, z0; const char* text; };
    const Case cases[] = {
        {DensityLaw::Exponential, -0.45, 0.3, 0, "\u22120.45 e^\u22120.3z"},
        {DensityLaw::Exponential, 0.25, -0.012, 2, "0.25 e^0.012(z\u22122)"},
        {DensityLaw::Linear, 0.3, -0.02, 4, "0.3 \u2212 0.02(z\u22124)"},
        {DensityLaw::Linear, -0.3, 0.0001234, -1.5, "\u22120.3 + 0.000123(z+1.5)"},
        {DensityLaw::Linear, 0.3, 0, 4, ""},   // no gradient: the constant body's label
        {DensityLaw::Constant, 0.3, 0.5, 4, ""},
    };
    for (const Case& c : cases) {
        auto b = std::make_unique<Tbody>();
        b->Law = c.law;
        b->Density = c.density;
        b->LawRate = c.rate;
        b->LawZ0 = c.z0;
        EXPECT_EQ(densityLawText(*b), c.text);
    }
}
