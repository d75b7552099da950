// The ground line drawn through the stations' heights, probed at computed
// positions.
#include "display/ground_line.h"
#include "display/paint.h"
#include "model/ground.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QRect window(0, 0, 652, 486);

void hill(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 5, 20, 80);   // 20, 35, 50, 65, 80
    const double h[] = {0, 10, 25, 10, 5};
    for (int i = 1; i <= 5; ++i)
        m.StationHeight[i] = h[i - 1];
    test::setBody(m, 1, {{30, 20}, {70, 20}, {70, 60}, {30, 60}}, 0.2);
    m.NumBodies = 1;
    m.HaveObserved = false;
    m.ModelExists = true;
    m.RecalculateModel();
    Display& d = ws.display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 100;
    d.ViewDepthMax = 100;
    d.ViewDepthMin = sectionTop(m, d.ViewDepthMax);
    d.ShowDensities = false;
}

QImage render(Workspace& ws)
{
    QImage img(window.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    PaintModel(p, window, ws);
    return img;
}

int groundPixelsNear(const QImage& img, QPoint s)
{
    int n = 0;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            n += img.pixelColor(s + QPoint(dx, dy)) == GroundColour;
    return n;
}

}  // namespace

TEST(GroundLine, DrawnThroughTheStationsFlatBeyondTheEndsAndNoneOnTheDatum)
{
    Workspace ws;
    hill(ws);
    const QImage img = render(ws);
    const ViewLayout L = viewLayout(window, ws.display);
    struct Probe {
        double x, depth;
    };
    // At stations, between them, beyond both ends at the end stations'
    // heights.
    for (const Probe p : {Probe{20, 0}, Probe{50, -25}, Probe{42.5, -17.5}, Probe{5, 0}, Probe{95, -5},
                          Probe{72.5, -7.5}})
        EXPECT_GT(groundPixelsNear(img, SectionToScreen(L, ws.display, p.x, p.depth)), 0)
            << p.x << " " << p.depth;
    // Not where the ground is not: the datum under the hill's top, and the
    // profile half.
    EXPECT_EQ(groundPixelsNear(img, SectionToScreen(L, ws.display, 50, 0)), 0);
    int inProfile = 0;
    for (int y = L.Top; y < L.Mid - 1; ++y)
        for (int x = L.Left; x < L.Rx; ++x)
            inProfile += img.pixelColor(x, y) == GroundColour;
    EXPECT_EQ(inProfile, 0);
    // The depth axis starts above the highest station.
    EXPECT_LT(ws.display.ViewDepthMin, -25);
    EXPECT_GT(SectionToScreen(L, ws.display, 50, -25).y(), L.Mid);

    // With every station on the datum there is no ground line at all.
    ws.model.StationHeight.fill(0);
    ws.display.ViewDepthMin = 0;
    EXPECT_TRUE(groundLinePoints(viewLayout(window, ws.display), ws.display, ws.model).isEmpty());
    const QImage flat = render(ws);
    int ground = 0;
    for (int y = 0; y < flat.height(); ++y)
        for (int x = 0; x < flat.width(); ++x)
            ground += flat.pixelColor(x, y) == GroundColour;
    EXPECT_EQ(ground, 0);
}

// Magnetic stations flown over the hill draw the airborne line through them
// in the section, broken where one stands on the ground (65 and 80); on the
// ground they leave the picture as it was.
TEST(AirborneLine, DrawnThroughTheFlownStationsOnly)
{
    Workspace ws;
    hill(ws);
    const QImage before = render(ws);
    Model& m = ws.model;
    m.Mag.Num = 6;
    const double x[] = {20, 35, 50, 65, 80, 95}, h[] = {15, 20, 30, 10, 5, 5};
    for (int i = 1; i <= 6; ++i)
        m.Mag.X[i] = x[i - 1], m.Mag.Height[i] = h[i - 1];
    const QImage img = render(ws);
    const ViewLayout L = viewLayout(window, ws.display);
    const std::tuple<double, double, bool> probes[] = {{20, -15, true}, {42.5, -25, true}, {50, -30, true},
                                                       {57.5, -20, false}, {87.5, -5, false}};
    for (const auto& [px, depth, drawn] : probes) {
        int n = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                n += img.pixelColor(SectionToScreen(L, ws.display, px, depth) + QPoint(dx, dy)) == AirborneColour;
        EXPECT_EQ(n > 0, drawn) << px;
    }
    for (int i = 1; i <= 6; ++i)
        m.Mag.Height[i] = i == 5 ? 5 : 0;   // on the ground at 80
    EXPECT_EQ(render(ws), before);
}
