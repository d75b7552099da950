// The gradient panel in the plot files: byte for byte, alone (the magnetic
// curves then over the gravity curves' panel) and with the magnetic panel
// (three panels); with the panel off, the plots of a model without gradients.
#include "io/hpgl.h"
#include "output/dxf.h"

#include "support/bodies.h"
#include "support/golden.h"
#include "support/result.h"

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

// Gravity stations 0..5 and one body; magnetic stations 0..5; gradient
// stations -1..6 (the ends off the plot) with T_zz from -8 to 20 E and T_xz
// from 12 to -9, observed in the profile frame at every other station
// (T_zz at 2 and 4, T_xz at 3).
std::unique_ptr<Workspace> plotModel()
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 3, 0, 5);
    for (int i = 1; i <= 3; ++i) {
        m.CalculatedGravity[i] = i;
        m.ObservedGravity[i] = i + 0.5;
    }
    m.NumBodies = 1;
    test::setBody(m, 1, {{1, 1}, {3, 1}, {2, 2}}, 0.2);
    m.Mag.Num = 6;
    for (int i = 1; i <= 6; ++i) {
        m.Mag.X[i] = i - 1;
        m.Mag.Calculated[i] = 10.0 * i;
    }
    GradientStations& g = m.Grad;
    g.Num = 8;
    for (int i = 1; i <= 8; ++i) {
        g.X[i] = i - 2;
        g.Calculated[i].zz = -8 + 4.0 * (i - 1);
        g.Calculated[i].xz = 12 - 3.0 * (i - 1);
        g.Calculated[i].xx = 1000;   // not shown, so no part of the axis
    }
    g.HasObserved[2][5] = g.HasObserved[4][5] = g.HasObserved[3][2] = true;
    g.Observed[2].zz = -3, g.Observed[4].zz = 5, g.Observed[3].xz = 7.5;
    ws->display.ViewDepthMin = 0;
    ws->display.ViewDepthMax = 4;
    ws->display.GravityMin = 0;
    ws->display.GravityMax = 4;
    ws->display.GradientComponents = 4 | 32;   // xz, zz
    return ws;
}

}  // namespace

TEST(GradientPlots, PanelByteForByteAndNothingWhenOff)
{
    struct Case {
        const char* name;
        bool magneticPanel;
    };
    for (const Case c : {Case{"gradient_panel", false}, Case{"gradient_magnetic_panels", true}}) {
        auto ws = plotModel();
        ws->display.ShowGradient = true;
        ws->display.ShowMagnetic = c.magneticPanel;
        std::string problem;
        test::expectGolden(std::string(c.name) + ".hpg", test::bytesOf(hpglBytes(*ws), problem));
        test::expectGolden(std::string(c.name) + ".dxf", test::bytesOf(dxfBytes(*ws), problem));
        EXPECT_EQ(problem, "") << c.name;

        // Off, or shown without stations: the plots of a model without gradients.
        auto plain = plotModel();
        plain->model.Grad.Num = 0;
        plain->display.ShowMagnetic = c.magneticPanel;
        const std::string hpgl = test::bytesOf(hpglBytes(*plain), problem);
        const std::string dxf = test::bytesOf(dxfBytes(*plain), problem);
        ws->display.ShowGradient = false;
        EXPECT_EQ(test::bytesOf(hpglBytes(*ws), problem), hpgl) << c.name;
        EXPECT_EQ(test::bytesOf(dxfBytes(*ws), problem), dxf) << c.name;
        plain->display.ShowGradient = true;
        EXPECT_EQ(test::bytesOf(hpglBytes(*plain), problem), hpgl) << c.name;
        EXPECT_EQ(test::bytesOf(dxfBytes(*plain), problem), dxf) << c.name;
    }
}
