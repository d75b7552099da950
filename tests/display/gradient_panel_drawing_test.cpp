// The gradient panel on the screen: off, or without stations, the picture of
// before; on, the section as it was and the panels split where the rule says.
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

TEST(GradientPanelDrawing, OffDrawsAsBeforeOnSplitsOnlyTheProfileHalf)
{
    auto model = [](bool stations, bool magnetic) {
        auto ws = std::make_unique<Workspace>();
        Model& m = ws->model;
        test::setStations(m, 101, 0, 100);
        test::setBody(m, 1, {{30, 10}, {60, 10}, {60, 40}, {30, 40}}, 0.3);
        m.NumBodies = 1, m.HaveObserved = false, m.Bodies[1].Susceptibility = 0.05;
        std::vector<MagneticStationValue> mag;
        std::vector<GradientStationValue> grad;
        for (int i = 0; i <= 50; ++i)
            mag.push_back({2.0 * i, 0, std::nullopt}), grad.push_back({2.0 * i, 0, {}, {}});
        setMagneticStations(m, mag);
        setGradientStations(m, stations ? grad : std::vector<GradientStationValue>{}, TensorFrame::Profile);
        ws->display.ModelLoaded = true, ws->display.ShowMagnetic = magnetic;
        return ws;
    };
    auto render = [](Workspace& ws) {
        QImage img(652, 486, QImage::Format_RGB32);
        QPainter p(&img);
        PaintModel(p, img.rect(), ws);
        return img;
    };
    for (const bool magnetic : {false, true}) {
        auto without = model(false, magnetic), ws = model(true, magnetic);
        const QImage before = render(*without);
        EXPECT_EQ(render(*ws), before) << magnetic;
        without->display.ShowGradient = ws->display.ShowGradient = true;
        EXPECT_EQ(render(*without), before) << magnetic;
        const QImage with = render(*ws);
        const ViewLayout L = viewLayout(with.rect(), ws->display);
        const QRect section(0, L.Mid + 2, with.width(), with.height() - L.Mid - 2);
        EXPECT_EQ(with.copy(section), before.copy(section)) << magnetic;
        EXPECT_NE(with, before);
        const CurvePanels p = curvePanels(magnetic, true);
        for (int k = 1; k < p.count; ++k)
            EXPECT_EQ(with.pixelColor(L.Rx / 2, p.edge(L.Top, L.Mid, k)), QColor(Qt::black)) << k;
    }
}
