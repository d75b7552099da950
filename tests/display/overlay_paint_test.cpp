// Point data and the backdrop picture drawn into a window-sized image; pixels
// are probed at positions computed with the section transform.
#include "display/backdrop.h"
#include "display/paint.h"
#include "display/point_layer.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
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
    // Two hypocentres a pixel apart: the labels would overprint, and the one
    // of the larger magnitude is kept; a point far away keeps its label.
    auto ws = twoBodies();
    auto drawn = [&](const char* second, const char* far, const char* first = "M2.3") {
        ws->overlays.pointSets = {{"a", {{25, 40, first}, {25.3, 40.3, second}, {75, 80, far}},
                                   PointSymbol::Circle, 0xd00000, false}};
        return render(*ws);
    };
    EXPECT_NE(drawn("M2.6", "M1.1"), drawn("", "M1.1"));
    EXPECT_NE(drawn("M2.6", "M1.1"), drawn("M2.6", ""));
    // The one kept is M2.6, as if drawn alone; the other way round, M2.3.
    EXPECT_EQ(drawn("M2.6", "M1.1"), drawn("M2.6", "M1.1", ""));
    EXPECT_EQ(drawn("M2.0", "M1.1"), drawn("", "M1.1"));
}

TEST(PointLayer, OfOverprintingLabelsTheLargerValueIsKept)
{
    const QRect a(0, 0, 30, 10), overA(20, 5, 30, 10), apart(100, 0, 30, 10);
    struct Case {
        const char* what;
        std::vector<LabelBox> labels;
        std::vector<bool> kept;
    };
    const Case cases[] = {
        {"larger first", {{a, 4.5}, {overA, 2.1}}, {true, false}},
        {"larger later", {{a, 2.1}, {overA, 4.5}}, {false, true}},
        {"no values: the later", {{a, NAN}, {overA, NAN}}, {false, true}},
        {"equal: the later", {{a, 3}, {overA, 3}}, {false, true}},
        {"a value beats none", {{a, -1}, {overA, NAN}}, {true, false}},
        {"apart: both", {{a, 1}, {apart, 2}}, {true, true}},
        {"a chain: the middle gives way", {{a, 5}, {overA, 1}, {QRect(45, 0, 30, 10), 4}}, {true, false, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keptLabels(c.labels), c.kept) << c.what;
    // The value is the label's first word.
    EXPECT_EQ(labelValue("3.25 Quake A"), 3.25);
    EXPECT_EQ(labelValue("Mw5 deep"), 5);
    EXPECT_TRUE(std::isnan(labelValue("Quake")));
    EXPECT_TRUE(std::isnan(labelValue("M")));
    EXPECT_EQ(hiddenLabelsText(2), QStringLiteral("2 point labels hidden at this zoom"));
}

TEST(Backdrop, BodiesOverItOutlinedTranslucentOrOpaque)
{
    Backdrop shown{"s.png", 0, 1, 0, 1, 60, 98, false, std::make_shared<BackdropImage>()}, unread = shown;
    unread.image.reset();
    const struct {
        const Backdrop* backdrop;
        BodyFill fill;
        Qt::BrushStyle style;
        int alpha;
    } cases[] = {
        {nullptr, BodyFill::Outlines, Qt::SolidPattern, 255}, {&unread, BodyFill::Outlines, Qt::SolidPattern, 255},
        {&shown, BodyFill::Outlines, Qt::NoBrush, 255},       {&shown, BodyFill::Translucent, Qt::SolidPattern, TranslucentAlpha},
        {&shown, BodyFill::Opaque, Qt::SolidPattern, 255},
    };
    for (const auto& c : cases) {
        Backdrop b = c.backdrop ? *c.backdrop : Backdrop{};
        b.bodies = c.fill;
        const QBrush brush = bodyBrush(QColor(200, 200, 200), c.backdrop ? &b : nullptr);
        EXPECT_EQ(brush.style(), c.style) << static_cast<int>(c.fill) << " " << (c.backdrop == &shown);
        EXPECT_EQ(brush.color().alpha(), c.style == Qt::NoBrush ? 255 : c.alpha);
    }
    // Drawn: inside body 1 the red picture shows through the default fill.
    QTemporaryDir dir;
    auto ws = twoBodies();
    ws->overlays.backdrop = Backdrop{halves(dir), 0, 100, 0, 100, 100, 98, false, {}};
    ASSERT_EQ(loadBackdropImage(*ws->overlays.backdrop), "");
    const QColor translucent = at(render(*ws), *ws, 30, 40);
    EXPECT_GT(translucent.red(), translucent.green() + 60);
}

TEST(Backdrop, ADensePictureDrawnSmallIsAveragedNotPicked)
{
    // One black line in every ten (in a section, a thin wavelet on mid-grey):
    // drawn small, a picture is averaged, not picked (all white or all
    // black), and a section keeps its reflectors black.
    struct Case {
        QSize source;
        QSizeF drawn;
        QSize reduced;
        bool section;
        int grey;   // of every reduced pixel
    };
    const Case cases[] = {
        {{60, 1000}, {60, 100}, {60, 100}, false, 230},
        {{1000, 50}, {97, 400}, {97, 50}, false, 230},   // narrowed only
        {{60, 100}, {120, 300}, {60, 100}, false, -1},   // enlarged: the source itself
        {{60, 1000}, {60, 100}, {60, 100}, true, 0},
        {{60, 1000}, {30, 100}, {30, 100}, true, 0},     // the traces averaged too
    };
    for (const Case& c : cases) {
        BackdropImage im;
        im.source = QImage(c.source, QImage::Format_ARGB32_Premultiplied);
        im.source.fill(c.section ? qRgb(128, 128, 128) : qRgb(255, 255, 255));
        if (c.section)
            im.sectionZero = qRgb(128, 128, 128);
        const bool rows = c.source.height() > c.source.width();
        for (int y = 0; y < c.source.height(); ++y)
            for (int x = 0; x < c.source.width(); ++x) {
                const int k = (rows ? y : x) % 10;
                if (k == 3)
                    im.source.setPixel(x, y, qRgb(0, 0, 0));
                else if (c.section && (k == 2 || k == 4))
                    im.source.setPixel(x, y, qRgb(255, 255, 255));
            }
        const QImage& r = reducedFor(im, c.drawn);
        ASSERT_EQ(r.size(), c.reduced);
        if (c.grey < 0) {
            EXPECT_EQ(r.cacheKey(), im.source.cacheKey());
            continue;
        }
        for (int y = 1; y < r.height() - 1; y += 7)
            for (int x = 1; x < r.width() - 1; x += 5)
                ASSERT_NEAR(qGray(r.pixel(x, y)), c.grey, 30) << x << " " << y << " " << c.section;
    }
}

TEST(Backdrop, LargePicturesAreReducedAndBrokenOnesReported)
{
    const QSize sizes[][2] = {{{800, 600}, {800, 600}}, {{16000, 16000}, {4096, 4096}},
                              {{20000, 1000}, {8192, 409}}, {{3, 100000}, {1, 8192}}};
    for (const auto& s : sizes)
        EXPECT_EQ(keptPictureSize(s[0]), s[1]) << s[0].width();
    // Files of a few hundred bytes whose headers claim 16,000 by 16,000
    // pixels: the JPEG is decoded at a quarter, and its data said to end
    // early; the PNG, which would be decoded whole, is refused.
    const std::string seeds = std::string(CORVANE_TEST_DATA) + "/../../fuzz/seeds/picture/";
    const struct {
        const char* file;
        QSize size;   // empty: refused
        const char* says;
    } cases[] = {
        {"claims_16000.jpg", {4000, 4000}, "ends early"}, {"claims_16000.png", {}, "16000 x 16000 pixels"},
        {"cut.png", {}, "ends early"},                    {"small.png", {40, 30}, ""},
    };
    for (const auto& c : cases) {
        Backdrop b{seeds + c.file, 0, 1, 0, 1, 60, 98, false, {}};
        const std::string err = loadBackdropImage(b);
        EXPECT_EQ(err.empty(), !c.size.isEmpty()) << c.file << ": " << err;
        const std::string said = b.image ? b.image->note : err;
        EXPECT_EQ(said.find(c.says) != std::string::npos, true) << c.file << ": " << said;
        EXPECT_EQ(*c.says == 0, said.empty()) << c.file;
        EXPECT_EQ(b.image ? b.image->source.size() : QSize(), c.size) << c.file;
    }
}
