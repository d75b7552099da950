// Point data and the backdrop picture drawn into a window-sized image; pixels
// are probed at positions computed with the section transform.
#include "display/backdrop.h"
#include "display/paint.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;

namespace {

const QRect window(0, 0, 652, 486);

std::unique_ptr<Workspace> twoBodies()
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 101, 0, 100);
    test::setBody(m, 1, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}, -0.2);
    test::setBody(m, 2, {{60, 20}, {90, 20}, {90, 60}, {60, 60}}, 0.3);
    m.NumBodies = 2;
    m.CurrentBody = 1;
    m.ModelExists = true;
    m.RecalculateModel();
    Display& d = ws->display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 100;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 100;
    d.ShowDensities = false;
    d.ShowBodyNumbers = false;
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

QColor at(const QImage& img, const Workspace& ws, double x, double z)
{
    return img.pixelColor(SectionToScreen(window, ws.display, x, z));
}

bool near(QColor a, QColor b, int tol = 6)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}

// A picture whose left half is red and right half green, top to bottom.
std::string halves(const QTemporaryDir& dir)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::green);
    QPainter(&img).fillRect(0, 0, 100, 100, Qt::red);
    const std::string path = dir.filePath("halves.png").toStdString();
    EXPECT_TRUE(img.save(QString::fromStdString(path)));
    return path;
}

}  // namespace

TEST(PointLayer, SymbolsAtTheirPlacesOverTheBodiesHiddenSetsLeftOut)
{
    auto ws = twoBodies();
    const QColor blue(0, 0, 255), orange(255, 128, 0);
    ws->overlays.pointSets = {
        {"a", {{25, 40, "in body"}, {50, 10, ""}, {50, -10, ""}}, PointSymbol::Square, 0x0000ff, false},
        {"b", {{75, 40, ""}}, PointSymbol::Circle, 0xff8000, true},
    };
    const QImage img = render(*ws);
    EXPECT_TRUE(near(at(img, *ws, 25, 40), blue));   // over body 1
    EXPECT_TRUE(near(at(img, *ws, 50, 10), blue));
    EXPECT_FALSE(near(at(img, *ws, 75, 40), orange));   // hidden
    // A point above the view is not drawn on the divider.
    const QPoint above = SectionToScreen(window, ws->display, 50, -10);
    for (int dy = 0; dy <= 4; ++dy)
        EXPECT_FALSE(near(img.pixelColor(above.x(), above.y() + dy), blue)) << dy;

    // Shown again, and zoomed in: the points follow the view.
    ws->overlays.pointSets[1].hidden = false;
    ws->display.ViewXMin = 20;
    ws->display.ViewXMax = 80;
    ws->display.ViewDepthMax = 50;
    const QImage zoomed = render(*ws);
    EXPECT_TRUE(near(at(zoomed, *ws, 25, 40), blue));
    EXPECT_TRUE(near(at(zoomed, *ws, 75, 40), orange));
    // In plan view nothing of them is drawn.
    ws->display.PlanView = true;
    const QImage plan = render(*ws);
    EXPECT_FALSE(near(at(plan, *ws, 75, 40), orange));
}

TEST(Backdrop, PlacedScaledBlendedBeneathTheBodies)
{
    QTemporaryDir dir;
    auto ws = twoBodies();
    const QColor white(255, 255, 255), red(255, 0, 0), green(0, 255, 0);
    Backdrop b{halves(dir), 20, 80, 10, 70, 100, 98, false, {}};
    ASSERT_EQ(loadBackdropImage(b), "");
    ws->overlays.backdrop = b;

    struct Probe {
        double x, z;
        QColor colour;
    };
    const Probe full[] = {
        {25, 15, red}, {45, 65, red}, {55, 15, green}, {78, 65, green},   // between and beside the bodies
        {15, 15, white}, {85, 15, white}, {50, 8, white}, {50, 75, white},   // outside the picture
    };
    QImage img = render(*ws);
    for (const Probe& p : full)
        EXPECT_TRUE(near(at(img, *ws, p.x, p.z), p.colour)) << p.x << " " << p.z;
    // The bodies are drawn over it.
    EXPECT_FALSE(near(at(img, *ws, 30, 40), red));

    // The default opacity lets 40 % of the white show through.
    ws->overlays.backdrop->opacity = 60;
    img = render(*ws);
    EXPECT_TRUE(near(at(img, *ws, 25, 15), QColor(255, 102, 102), 3));
    EXPECT_TRUE(near(at(img, *ws, 55, 15), QColor(102, 255, 102), 3));

    // Zoomed in, the picture stays at its model positions; the part beyond
    // the view is cut off at the panel's edges.
    ws->overlays.backdrop->opacity = 100;
    ws->display.ViewXMin = 40;
    ws->display.ViewXMax = 60;
    ws->display.ViewDepthMin = 30;
    ws->display.ViewDepthMax = 80;
    img = render(*ws);
    EXPECT_TRUE(near(at(img, *ws, 45, 65), red));
    EXPECT_TRUE(near(at(img, *ws, 55, 65), green));
    EXPECT_TRUE(near(at(img, *ws, 55, 75), white));
    const QPoint divider = SectionToScreen(window, ws->display, 45, 30);
    EXPECT_FALSE(near(img.pixelColor(divider.x(), divider.y() - 3), red));   // profile panel untouched

    // Edges typed right to left mirror it.
    ws->overlays.backdrop->xLeft = 80;
    ws->overlays.backdrop->xRight = 20;
    img = render(*ws);
    EXPECT_TRUE(near(at(img, *ws, 45, 65), green));
    EXPECT_TRUE(near(at(img, *ws, 55, 65), red));
}

TEST(Backdrop, TheScaledPictureIsKeptWhileTheViewStays)
{
    QTemporaryDir dir;
    auto ws = twoBodies();
    Backdrop b{halves(dir), 20, 80, 10, 70, 60, 98, false, {}};
    ASSERT_EQ(loadBackdropImage(b), "");
    ws->overlays.backdrop = b;
    render(*ws);
    const qint64 first = b.image->scaled.cacheKey();
    render(*ws);
    EXPECT_EQ(b.image->scaled.cacheKey(), first);
    ws->display.ViewXMax = 90;
    render(*ws);
    EXPECT_NE(b.image->scaled.cacheKey(), first);

    Backdrop missing{dir.filePath("none.png").toStdString(), 0, 1, 0, 1, 60, 98, false, {}};
    EXPECT_NE(loadBackdropImage(missing), "");
    EXPECT_FALSE(missing.image);
}

TEST(Backdrop, EdgesFromTwoTiePoints)
{
    // Edges chosen, the tie points' model positions computed from them, and
    // the edges found again (mirrored pictures included).
    struct Case {
        BackdropEdges edges;
        QPointF p1, p2;
    };
    const QSizeF size(200, 100);
    const Case cases[] = {
        {{0, 40, 0, 20}, {10.5, 20.5}, {150.5, 80.5}},
        {{-3.5, 12.25, 1, 7}, {199.5, 0.5}, {0.5, 99.5}},
        {{40, 0, 20, 0}, {30, 60}, {31, 61}},   // close points, mirrored both ways
    };
    for (const Case& c : cases) {
        auto model = [&](QPointF p) {
            return QPointF(c.edges.xLeft + (c.edges.xRight - c.edges.xLeft) * p.x() / size.width(),
                           c.edges.zTop + (c.edges.zBottom - c.edges.zTop) * p.y() / size.height());
        };
        const auto e = edgesFromTiePoints(size, c.p1, c.p2, model(c.p1), model(c.p2));
        ASSERT_TRUE(e);
        EXPECT_NEAR(e->xLeft, c.edges.xLeft, 1e-9);
        EXPECT_NEAR(e->xRight, c.edges.xRight, 1e-9);
        EXPECT_NEAR(e->zTop, c.edges.zTop, 1e-9);
        EXPECT_NEAR(e->zBottom, c.edges.zBottom, 1e-9);
    }
    // Points in one column or row, in the picture or in the model, place nothing.
    EXPECT_FALSE(edgesFromTiePoints(size, {10, 20}, {10, 80}, {0, 0}, {5, 5}));
    EXPECT_FALSE(edgesFromTiePoints(size, {10, 20}, {30, 20}, {0, 0}, {5, 5}));
    EXPECT_FALSE(edgesFromTiePoints(size, {10, 20}, {30, 80}, {5, 0}, {5, 5}));
    EXPECT_FALSE(edgesFromTiePoints(size, {10, 20}, {30, 80}, {0, 5}, {5, 5}));
    EXPECT_FALSE(edgesFromTiePoints(size, {10, 20}, {30, 80}, {0, NAN}, {5, 5}));
}

TEST(PointLayer, ALabelThatWouldOverprintAnotherIsLeftOut)
{
    // Two hypocentres a pixel apart: the second label would fall on the first
    // and is dropped; a point far away keeps its label.
    auto ws = twoBodies();
    auto drawn = [&](const char* second, const char* far) {
        ws->overlays.pointSets = {{"a", {{25, 40, "M2.3"}, {25.3, 40.3, second}, {75, 80, far}},
                                   PointSymbol::Circle, 0xd00000, false}};
        return render(*ws);
    };
    EXPECT_EQ(drawn("M2.6", "M1.1"), drawn("", "M1.1"));
    EXPECT_NE(drawn("M2.6", "M1.1"), drawn("M2.6", ""));
}
