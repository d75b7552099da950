// The gradient panel on the screen: a model without it draws as before, the
// section stays as it was, and the panels split the profile half as the
// layout rule says, each component's curve in its panel.
#include "display/colour.h"
#include "display/paint.h"
#include "model/gradient_data.h"
#include "model/gradient_panel.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

const QRect window(0, 0, 652, 486);   // Mid 235

std::unique_ptr<Workspace> gradientModel(bool stations)
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 101, 0, 100);
    test::setBody(m, 1, {{30, 10}, {60, 10}, {60, 40}, {30, 40}}, 0.3);
    m.NumBodies = 1;
    m.HaveObserved = false;
    m.ModelExists = true;
    std::vector<MagneticStationValue> mag;
    for (int i = 0; i <= 50; ++i)
        mag.push_back({2.0 * i, 0, std::nullopt});
    setMagneticStations(m, mag);
    m.Bodies[1].Susceptibility = 0.05;
    std::vector<GradientStationValue> grad;
    for (int i = 0; stations && i <= 50; ++i)
        grad.push_back({2.0 * i, 0, {}, {}});
    setGradientStations(m, grad, TensorFrame::Profile);
    m.RecalculateModel();
    Display& d = ws->display;
    d.ModelLoaded = true;
    d.ViewXMax = 100;
    d.ViewDepthMax = 100;
    return ws;
}

QImage render(Workspace& ws)
{
    QImage img(window.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    PaintModel(p, window, ws);
    return img;
}

}  // namespace

TEST(GradientPanelDrawing, OffDrawsAsBeforeOnSplitsOnlyTheProfileHalf)
{
    for (const bool magnetic : {false, true}) {
        auto without = gradientModel(false), ws = gradientModel(true);
        without->display.ShowMagnetic = ws->display.ShowMagnetic = magnetic;
        const QImage before = render(*without);
        EXPECT_EQ(render(*ws), before) << magnetic;   // stations, panel off
        without->display.ShowGradient = true;
        EXPECT_EQ(render(*without), before) << magnetic;   // panel on, no stations

        ws->display.ShowGradient = true;
        const QImage with = render(*ws);
        const ViewLayout L = viewLayout(window, ws->display);
        const int below = L.Mid + 2, rows = window.height() - below;
        EXPECT_EQ(with.copy(0, below, window.width(), rows), before.copy(0, below, window.width(), rows));
        const CurvePanels p = curvePanels(magnetic, true);
        for (int k = 1; k < p.count; ++k)
            EXPECT_EQ(with.pixelColor((L.Left + L.Rx) / 2, p.edge(L.Top, L.Mid, k)), QColor(Qt::black)) << k;
        // T_zz over the body's middle, in its colour, inside the gradient panel.
        const int x = ProfileToScreen(L, ws->display, 45, 0).x();
        const QColor zz = toQColor(gradientColour(5));
        bool inPanel = false, outside = false;
        for (int y = L.Top; y < L.Mid; ++y) {
            const bool panel = y >= p.edge(L.Top, L.Mid, p.gradient) && y < p.edge(L.Top, L.Mid, p.gradient + 1);
            (panel ? inPanel : outside) |= with.pixelColor(x, y) == zz;
        }
        EXPECT_TRUE(inPanel) << magnetic;
        EXPECT_FALSE(outside) << magnetic;
    }
}
