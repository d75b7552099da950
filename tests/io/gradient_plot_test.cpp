// The gradient panel in the plots byte for byte, alone and with the magnetic
// panel; off, or without stations, the plots of a model without gradients.
#include "io/hpgl.h"
#include "output/dxf.h"
#include "support/bodies.h"
#include "support/golden.h"
#include "support/result.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

// Gravity and magnetic stations 0..5, gradient stations -1..6 (the ends off
// the plot) with T_zz and T_xz shown, T_zz observed at 2 and 4, T_xz at 3.
std::unique_ptr<Workspace> plotModel(bool magneticPanel)
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 3, 0, 5);
    for (int i = 1; i <= 3; ++i)
        m.CalculatedGravity[i] = i, m.ObservedGravity[i] = i + 0.5;
    m.NumBodies = 1;
    test::setBody(m, 1, {{1, 1}, {3, 1}, {2, 2}}, 0.2);
    m.Mag.Num = 6;
    for (int i = 1; i <= 6; ++i)
        m.Mag.X[i] = i - 1, m.Mag.Calculated[i] = 10.0 * i;
    GradientStations& g = m.Grad;
    g.Num = 8;
    for (int i = 1; i <= 8; ++i) {
        g.X[i] = i - 2;
        g.Calculated[i] = {1000, 0, 12 - 3.0 * (i - 1), 0, 0, -8 + 4.0 * (i - 1)};   // xx not shown
    }
    g.HasObserved[2][5] = g.HasObserved[4][5] = g.HasObserved[3][2] = true;
    g.Observed[2].zz = -3, g.Observed[4].zz = 5, g.Observed[3].xz = 7.5;
    Display& d = ws->display;
    d.ViewDepthMax = 4, d.GravityMin = 0, d.GravityMax = 4;
    d.GradientComponents = 4 | 32, d.ShowMagnetic = magneticPanel;
    return ws;
}

}  // namespace

TEST(GradientPlots, PanelByteForByteAndNothingWhenOff)
{
    for (const auto& [name, magnetic] : {std::pair{"gradient_panel", false}, {"gradient_magnetic_panels", true}}) {
        auto ws = plotModel(magnetic), plain = plotModel(magnetic);
        std::string problem;
        const std::string hpgl = test::bytesOf(hpglBytes(*ws), problem), dxf = test::bytesOf(dxfBytes(*ws), problem);
        plain->model.Grad.Num = 0;
        EXPECT_EQ(test::bytesOf(hpglBytes(*plain), problem), hpgl) << name;
        EXPECT_EQ(test::bytesOf(dxfBytes(*plain), problem), dxf) << name;
        plain->display.ShowGradient = ws->display.ShowGradient = true;
        EXPECT_EQ(test::bytesOf(hpglBytes(*plain), problem), hpgl) << name;
        test::expectGolden(std::string(name) + ".hpg", test::bytesOf(hpglBytes(*ws), problem));
        test::expectGolden(std::string(name) + ".dxf", test::bytesOf(dxfBytes(*ws), problem));
        EXPECT_EQ(problem, "") << name;
    }
}
