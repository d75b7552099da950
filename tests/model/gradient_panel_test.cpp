// The gradient panel's rules: components shown and listed, axis, place.
#include "model/gradient_panel.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>
#include <vector>

using namespace corvane;

TEST(GradientPanel, ComponentsShownToggledAndListed)
{
    constexpr int xx = 1, xy = 2, xz = 4, yy = 8, zz = 32;
    // chosen, frame of the data, observed at one station: shown, toggled, after
    const std::tuple<int, TensorFrame, TensorFlags, int, int, int> cases[] = {
        {0, TensorFrame::Profile, {}, zz, 5, zz},   // the last one stays
        {0, TensorFrame::Profile, {false, false, true}, xz | zz, 0, xx | xz | zz},
        {0, TensorFrame::Geographic, {true}, yy | zz, 3, zz},   // east-west profile: T_NN is T_yy
        {xz, TensorFrame::Profile, {true, true}, xz, 5, xz | zz},
        {63, TensorFrame::Profile, {}, 63, 1, 63 & ~xy},
    };
    for (const auto& [chosen, frame, observed, shown, toggle, after] : cases) {
        auto m = std::make_unique<Model>();
        m->Mag.FieldAzimuth = 90;
        m->Grad.Num = 2, m->Grad.Frame = frame, m->Grad.HasObserved[2] = observed;
        EXPECT_EQ(componentBits(gradientComponentsShown(*m, chosen)), shown) << chosen;
        EXPECT_EQ(withComponentToggled(*m, chosen, toggle), after) << chosen;
    }
    for (const auto& [bits, text] : {std::pair{zz, "zz"}, {xz | zz, "xz,zz"}, {63, "xx,xy,xz,yy,yz,zz"}}) {
        EXPECT_EQ(componentList(bits), text);
        EXPECT_EQ(parseComponentList(text), bits) << text;
    }
    EXPECT_EQ(parseComponentList("zz,xz"), xz | zz);
    for (const char* bad : {"", "zz,", "zz,zz", "Tzz", "ZZ", "zz xz"})
        EXPECT_FALSE(parseComponentList(bad)) << bad;
}

TEST(GradientPanel, AxisIsRoundOverTheShownValuesInView)
{
    auto m = std::make_unique<Model>();
    GradientStations& g = m->Grad;
    g.Num = 5;
    for (int i = 1; i <= 5; ++i) {
        g.X[i] = 10.0 * (i - 1);
        g.Calculated[i].zz = std::array{1, 3, 9, 17, 2}[static_cast<std::size_t>(i - 1)];
        g.Calculated[i].xz = -6 + 3 * (i - 1);
    }
    g.HasObserved[2][5] = true, g.Observed[2].zz = 23;
    g.Observed[3].xz = -50;   // not observed: left out
    const TensorFlags zz{false, false, false, false, false, true}, xz{false, false, true};
    // shown, view from, to: first, last station, axis lo, hi, step
    const std::tuple<TensorFlags, double, double, int, int, double, double, double> cases[] = {
        {zz, 0, 40, 1, 5, 0, 25, 5},                                           // with the observed 23
        {{false, false, true, false, false, true}, 0, 40, 1, 5, -10, 25, 5},   // zz and xz
        {xz, 0, 40, 1, 5, -6, 6, 2},
        {zz, 15, 25, 3, 4, 8, 18, 2},    // to the first station past the view
        {{true}, 0, 40, 1, 5, 0, 1, 1},  // flat xx
    };
    for (const auto& [shown, xMin, xMax, first, last, lo, hi, step] : cases) {
        const GradientAxis a = gradientAxis(*m, xMin, xMax, shown);
        EXPECT_EQ(std::tuple(a.first, a.last, a.lo, a.hi, a.step), std::tuple(first, last, lo, hi, step))
            << componentBits(shown) << " " << xMin;
    }
}

TEST(GradientPanel, PanelsShareTheProfileHalfInEqualParts)
{
    // magnetic, gradient: places of magnetic, gradient, gravity; edges on the
    // screen from Top 0 to Mid 235, and in plotter units from 7500 to 3750
    using Ints = std::vector<int>;
    const std::tuple<bool, bool, Ints, Ints, std::vector<double>> cases[] = {
        {false, false, {-1, -1, 0}, {0, 235}, {7500, 3750}},
        {true, false, {0, -1, 1}, {0, 117, 235}, {7500, 5625, 3750}},
        {false, true, {-1, 0, 1}, {0, 117, 235}, {7500, 5625, 3750}},
        {true, true, {0, 1, 2}, {0, 78, 156, 235}, {7500, 6250, 5000, 3750}},
    };
    for (const auto& [magnetic, gradient, places, screenEdges, plotEdges] : cases) {
        const CurvePanels p = curvePanels(magnetic, gradient);
        EXPECT_EQ(Ints({p.magnetic, p.gradient, p.gravity}), places);
        std::vector<int> rows;
        std::vector<double> plot;
        for (int k = 0; k <= p.count; ++k)
            rows.push_back(p.edge(0, 235, k)), plot.push_back(p.edge(7500.0, 3750.0, k));
        EXPECT_EQ(rows, screenEdges);
        EXPECT_EQ(plot, plotEdges);
    }
}
