// The magnetic panel: the profile panel splits, the section stays as it was,
// and the magnetic curves stand where the panel's own scale puts them.
#include "display/paint.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

const QRect window(0, 0, 652, 486);   // Mid 235

std::unique_ptr<Workspace> magneticModel()
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 101, 0, 100);
    test::setBody(m, 1, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}, -0.2);
    test::setBody(m, 2, {{60, 20}, {90, 20}, {90, 60}, {60, 60}}, 0.3);
    m.NumBodies = 2;
    m.HaveObserved = false;
    m.ModelExists = true;
    m.Bodies[2].Susceptibility = 0.05;
    std::vector<MagneticStationValue> s;
    for (int i = 0; i <= 50; ++i)
        s.push_back({2.0 * i, 0, std::nullopt});
    setMagneticStations(m, s);
    m.RecalculateModel();
    Display& d = ws->display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 100;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 100;
    d.ShowDensities = false;
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

TEST(MagneticPanel, SplitsTheProfilePanelAndLeavesTheSectionAlone)
{
    auto ws = magneticModel();
    const QImage without = render(*ws);
    ws->display.ShowMagnetic = true;
    const QImage with = render(*ws);
    const ViewLayout L = viewLayout(window, ws->display);
    // The section, below the divider, pixel for pixel.
    EXPECT_EQ(with.copy(0, L.Mid + 2, window.width(), window.height() - L.Mid - 2),
              without.copy(0, L.Mid + 2, window.width(), window.height() - L.Mid - 2));
    EXPECT_NE(with.copy(0, 0, window.width(), L.Mid), without.copy(0, 0, window.width(), L.Mid));
    // The split line, and the highest magnetic value at the top of the upper half.
    const int split = L.Top + (L.Mid - L.Top) / 2;
    EXPECT_EQ(with.pixelColor((L.Left + L.Rx) / 2, split), QColor(Qt::black));
    const MagneticRange r = magneticRange(ws->model, ws->display);
    int peak = 1;
    for (int i = 1; i <= ws->model.Mag.Num; ++i)
        if (ws->model.Mag.Calculated[i] > ws->model.Mag.Calculated[peak])
            peak = i;
    EXPECT_LE(ws->model.Mag.Calculated[peak], r.hi);
    EXPECT_GT(ws->model.Mag.Calculated[peak], r.hi - r.step);
    const int x = ProfileToScreen(L, ws->display, ws->model.Mag.X[peak], 0).x();
    bool curveInUpperHalf = false;
    for (int y = L.Top; y < split; ++y)
        curveInUpperHalf = curveInUpperHalf || with.pixelColor(x, y) == ws->display.CalcCurveColour;
    EXPECT_TRUE(curveInUpperHalf);

    // Without magnetic stations the switch changes nothing.
    ws->model.Mag.Num = 0;
    const QImage none = render(*ws);
    ws->display.ShowMagnetic = false;
    EXPECT_EQ(render(*ws), none);
}

TEST(MagneticPanel, RangeIsRoundAndFollowsTheDisplayMode)
{
    auto ws = magneticModel();
    Model& m = ws->model;
    for (int i = 1; i <= m.Mag.Num; i += 5) {
        m.Mag.HasObserved[i] = true;
        m.Mag.Observed[i] = m.Mag.Calculated[i] + 7;
    }
    struct Case {
        const char* name;
        bool difference, individual;
    };
    for (const Case c : {Case{"normal", false, false}, Case{"difference", true, false}, Case{"individual", false, true}}) {
        ws->display.ShowDifference = c.difference;
        ws->display.ShowIndividual = c.individual;
        const MagneticRange r = magneticRange(m, ws->display);
        EXPECT_GT(r.step, 0) << c.name;
        EXPECT_DOUBLE_EQ(r.lo / r.step, std::round(r.lo / r.step)) << c.name;
        EXPECT_DOUBLE_EQ(r.hi / r.step, std::round(r.hi / r.step)) << c.name;
        for (int i = 1; i <= m.Mag.Num; ++i) {
            if (c.difference) {
                if (m.Mag.HasObserved[i]) {
                    EXPECT_NEAR(m.Mag.Calculated[i] - m.Mag.Observed[i], -7, 1e-9);
                }
                continue;
            }
            EXPECT_GE(m.Mag.Calculated[i], r.lo) << c.name;
            EXPECT_LE(m.Mag.Calculated[i], r.hi) << c.name;
        }
        if (c.difference) {
            EXPECT_LE(r.lo, -7) << c.name;
            EXPECT_GT(r.lo, -7 - 1e-9 - r.step) << c.name;   // -7 up to rounding
        }
    }
}
