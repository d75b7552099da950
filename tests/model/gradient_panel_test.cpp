// The gradient panel's rules: which components it shows, their list in the
// model file, its round axis over the values in view, and its place among
// the curve panels.
#include "model/gradient_panel.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

TEST(GradientPanel, ComponentsShownToggledAndListed)
{
    constexpr int xx = 1, xy = 2, xz = 4, yy = 8, zz = 32;
    struct Case {
        const char* name;
        int chosen;
        TensorFrame frame;
        TensorFlags observed;   // at one station
        int shown;
        int toggle, afterToggle;
    };
    const Case cases[] = {
        {"nothing observed: zz", 0, TensorFrame::Profile, {}, zz, 5, zz},
        {"observed xz joins zz", 0, TensorFrame::Profile, {false, false, true}, xz | zz, 0, xx | xz | zz},
        // On an east-west profile north is y: T_NN alone gives T_yy alone.
        {"geographic NN is yy", 0, TensorFrame::Geographic, {true}, yy | zz, 3, zz},
        {"a choice stands", xz, TensorFrame::Profile, {true, true}, xz, 2, xz},
        {"a choice grows", xz, TensorFrame::Profile, {}, xz, 5, xz | zz},
        {"all six", 63, TensorFrame::Profile, {}, 63, 1, 63 & ~xy},
    };
    for (const Case& c : cases) {
        auto m = std::make_unique<Model>();
        m->Mag.FieldAzimuth = 90;
        m->Grad.Num = 2;
        m->Grad.Frame = c.frame;
        m->Grad.HasObserved[2] = c.observed;
        EXPECT_EQ(componentBits(gradientComponentsShown(*m, c.chosen)), c.shown) << c.name;
        EXPECT_EQ(withComponentToggled(*m, c.chosen, c.toggle), c.afterToggle) << c.name;
    }

    const std::pair<int, const char*> lists[] = {{zz, "zz"}, {xz | zz, "xz,zz"}, {63, "xx,xy,xz,yy,yz,zz"}};
    for (const auto& [bits, text] : lists) {
        EXPECT_EQ(componentList(bits), text);
        EXPECT_EQ(parseComponentList(text), bits) << text;
    }
    EXPECT_EQ(parseComponentList("zz,xz"), xz | zz);
    for (const char* bad : {"", "zz,", ",zz", "zz,zz", "Tzz", "ZZ", "zz xz"})
        EXPECT_FALSE(parseComponentList(bad)) << bad;
}

TEST(GradientPanel, AxisIsRoundOverTheShownValuesInView)
{
    auto m = std::make_unique<Model>();
    GradientStations& g = m->Grad;
    g.Num = 5;
    const double zzs[] = {1, 3, 9, 17, 2}, xzs[] = {-6, -2, 0, 2, 6};
    for (int i = 1; i <= 5; ++i) {
        g.X[i] = 10.0 * (i - 1);
        g.Calculated[i].zz = zzs[i - 1];
        g.Calculated[i].xz = xzs[i - 1];
    }
    g.HasObserved[2][5] = true;
    g.Observed[2].zz = 23;
    g.Observed[3].xz = -50;   // not observed: left out

    const TensorFlags zz{false, false, false, false, false, true}, xz{false, false, true};
    const TensorFlags both{false, false, true, false, false, true}, xx{true};
    struct Case {
        const char* name;
        TensorFlags shown;
        double xMin, xMax;
        int first, last;
        double lo, hi, step;
    };
    const Case cases[] = {
        {"zz with its observed value", zz, 0, 40, 1, 5, 0, 25, 5},
        {"zz and xz", both, 0, 40, 1, 5, -10, 25, 5},
        {"xz alone", xz, 0, 40, 1, 5, -6, 6, 2},
        {"zoomed in: to the first station past the view", zz, 15, 25, 3, 4, 8, 18, 2},
        {"a flat component", xx, 0, 40, 1, 5, 0, 1, 1},
    };
    for (const Case& c : cases) {
        const GradientAxis a = gradientAxis(*m, c.xMin, c.xMax, c.shown);
        EXPECT_EQ(a.first, c.first) << c.name;
        EXPECT_EQ(a.last, c.last) << c.name;
        EXPECT_DOUBLE_EQ(a.lo, c.lo) << c.name;
        EXPECT_DOUBLE_EQ(a.hi, c.hi) << c.name;
        EXPECT_DOUBLE_EQ(a.step, c.step) << c.name;
    }
    g.Num = 0;
    const GradientAxis none = gradientAxis(*m, 0, 40, zz);
    EXPECT_LT(none.last, none.first);

    const std::pair<double, int> decimals[] = {{5, 0}, {2, 0}, {0.5, 1}, {0.2, 1}, {0.05, 2}, {0.001, 3}, {0, 0}};
    for (const auto& [step, d] : decimals)
        EXPECT_EQ(labelDecimals(step), d) << step;
}

TEST(GradientPanel, PanelsShareTheProfileHalfInEqualParts)
{
    struct Case {
        bool magnetic, gradient;
        int count, magPlace, gradPlace, gravityPlace;
        std::vector<int> screenEdges;       // rows from Top 0 to Mid 235
        std::vector<double> plotEdges;      // plotter units from 7500 down to 3750
    };
    const Case cases[] = {
        {false, false, 1, -1, -1, 0, {0, 235}, {7500, 3750}},
        {true, false, 2, 0, -1, 1, {0, 117, 235}, {7500, 5625, 3750}},
        {false, true, 2, -1, 0, 1, {0, 117, 235}, {7500, 5625, 3750}},
        {true, true, 3, 0, 1, 2, {0, 78, 156, 235}, {7500, 6250, 5000, 3750}},
    };
    for (const Case& c : cases) {
        const CurvePanels p = curvePanels(c.magnetic, c.gradient);
        EXPECT_EQ(p.count, c.count);
        EXPECT_EQ(p.magnetic, c.magPlace);
        EXPECT_EQ(p.gradient, c.gradPlace);
        EXPECT_EQ(p.gravity, c.gravityPlace);
        for (int k = 0; k <= p.count; ++k) {
            EXPECT_EQ(p.edge(0, 235, k), c.screenEdges[static_cast<std::size_t>(k)]) << c.count << " " << k;
            EXPECT_EQ(p.edge(7500.0, 3750.0, k), c.plotEdges[static_cast<std::size_t>(k)]) << c.count << " " << k;
        }
    }
}
