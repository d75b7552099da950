// PaintModel drawn into a window-sized image; pixels are probed at positions
// computed with the view transforms.
#include "display/paint.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

const QRect window(0, 0, 652, 486);   // Rx 647, By 471, Mid 235

// Two boxes side by side, stations 0..100, the whole profile in view.
std::unique_ptr<Workspace> twoBodies(double dens1 = -0.2, double dens2 = 0.3)
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    setStations(m, 101, 0, 100);
    setBody(m, 1, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}, dens1);
    setBody(m, 2, {{60, 20}, {90, 20}, {90, 60}, {60, 60}}, dens2);
    m.NumBodies = 2;
    m.CurrentBody = 1;
    m.HaveObserved = false;
    m.ModelExists = true;
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

QImage render(Workspace& ws, std::optional<QString>* status = nullptr)
{
    QImage img(window.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    auto s = PaintModel(p, window, ws);
    p.end();
    if (status)
        *status = s;
    return img;
}

QColor at(const QImage& img, QPoint s)
{
    return img.pixelColor(s);
}

QPoint centre(const Workspace& ws, double x, double z)
{
    return SectionToScreen(window, ws.display, x, z);
}

bool isBlack(QColor c)
{
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}

// The texts PaintModel draws, with the places they cover.
std::vector<DrawnText> drawnTexts(Workspace& ws, const QRect& rect = window, const PrintOptions& print = {},
                                  QImage* picture = nullptr)
{
    QImage img(rect.right() + 200, rect.bottom() + 200, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    std::vector<DrawnText> texts;
    QPainter p(&img);
    PaintModel(p, rect, ws, print, &texts);
    p.end();
    if (picture)
        *picture = img;
    return texts;
}

// The texts whose top row lies within rows top..bottom and columns up to
// right, in the order drawn, each followed by "|".
std::string textsIn(const std::vector<DrawnText>& texts, int top, int bottom, int right = 1 << 20)
{
    std::string out;
    for (const DrawnText& t : texts)
        if (t.rect.top() >= top && t.rect.top() <= bottom && t.rect.left() <= right)
            out += t.text.toStdString() + "|";
    return out;
}

// A one-body model over an 81-station profile from 0 to 40 km with a
// basin-shaped observed anomaly down to -28 mGal, as a first model is.
std::unique_ptr<Workspace> basinProfile()
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    setStations(m, 81, 0, 40);
    setBody(m, 1, {{6, 0.1}, {18, 0.1}, {14, 3}, {10, 3}}, -0.3, 100, 100);
    m.NumBodies = 1;
    m.CurrentBody = 1;
    m.HaveObserved = true;
    m.ModelExists = true;
    m.RecalculateModel();
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = -28 * std::exp(-std::pow((m.StationX[i] - 12) / 5, 2)) + 1;
    Display& d = ws->display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 40;
    d.ViewDepthMax = 20;
    d.DepthTickStep = 5;
    d.GravityTickStep = 7.61;   // a quarter of the range, as older versions set it
    return ws;
}

// A line's pixel may fall one row or column off the exact point.
bool blackNear(const QImage& img, QPoint s)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (img.rect().contains(s + QPoint(dx, dy)) && isBlack(img.pixelColor(s + QPoint(dx, dy))))
                return true;
    return false;
}

}  // namespace

TEST(PaintModel, ColourSchemesFillBodies)
{
    auto ws = twoBodies();
    // -0.2 and 0.3: mean 0.05, half 0.25; no green band.
    QImage img = render(*ws);
    EXPECT_EQ(at(img, centre(*ws, 25, 40)), QColor(0, 0, 255));
    EXPECT_EQ(at(img, centre(*ws, 75, 40)), QColor(255, 0, 0));

    ws->display.ColourScheme = 3;
    img = render(*ws);
    EXPECT_EQ(at(img, centre(*ws, 25, 40)), QColor(0, 0, 0));
    EXPECT_EQ(at(img, centre(*ws, 75, 40)), QColor(200, 200, 200));

    ws->display.ColourScheme = 2;
    img = render(*ws);
    EXPECT_EQ(at(img, centre(*ws, 25, 40)), QColor(200, 200, 200));
    ws->display.ColourScheme = 1;
    img = render(*ws);
    EXPECT_EQ(at(img, centre(*ws, 75, 40)), QColor(255, 255, 255));

    // Equal densities: the scales have no range.
    auto same = twoBodies(0.4, 0.4);
    same->display.ColourScheme = 3;
    img = render(*same);
    EXPECT_EQ(at(img, centre(*same, 25, 40)), QColor(150, 150, 150));
    same->display.ColourScheme = 4;
    img = render(*same);
    EXPECT_EQ(at(img, centre(*same, 75, 40)), QColor(0, 200, 0));
}

TEST(PaintModel, ColourScaleValues)
{
    EXPECT_EQ(bodyColour(3, 0.25, 0, 1), QColor(50, 50, 50));
    EXPECT_EQ(bodyColour(3, 0.5, 0, 1), QColor(100, 100, 100));   // 100 exactly
    // Green band 0.75 Mean .. 1.4 Mean with positive densities.
    EXPECT_EQ(bodyColour(4, 0.5, 0.2, 0.8), QColor(0, 150, 0));
    EXPECT_EQ(bodyColour(4, 0.8, 0.2, 0.8), QColor(255, 0, 0));
    EXPECT_EQ(bodyColour(4, 0.2, 0.2, 0.8), QColor(0, 0, 255));
    EXPECT_EQ(bodyColour(4, 0.65, 0.2, 0.8), QColor(128, 150, 0));   // 127.5 -> 128
}

TEST(PaintModel, CurrentBodyOutlineAndHiddenBody)
{
    auto ws = twoBodies();
    ws->display.HighlightCorners = false;
    const ViewLayout L = viewLayout(window, ws->display);
    const QPoint tl = SectionToScreen(L, ws->display, 10, 20);
    const QPoint tr = SectionToScreen(L, ws->display, 40, 20);

    // A visible current body: solid outline two pixels wide along its top edge.
    QImage img = render(*ws);
    int solid = 0;
    for (int x = tl.x() + 5; x < tr.x() - 5; ++x)
        solid += isBlack(at(img, {x, tl.y()})) ? 1 : 0;
    EXPECT_EQ(solid, tr.x() - tl.x() - 10);
    const bool twoRows = isBlack(at(img, {tl.x() + 20, tl.y() - 1})) || isBlack(at(img, {tl.x() + 20, tl.y() + 1}));
    EXPECT_TRUE(twoRows);

    // Hidden and current: white inside, dotted outline still two pixels wide.
    ws->model.setHidden(1, true);
    img = render(*ws);
    EXPECT_EQ(at(img, centre(*ws, 25, 40)), QColor(255, 255, 255));
    int black = 0, white = 0;
    for (int x = tl.x() + 5; x < tr.x() - 5; ++x) {
        const QColor c = at(img, {x, tl.y()});
        black += isBlack(c) ? 1 : 0;
        white += c == QColor(255, 255, 255) ? 1 : 0;
    }
    EXPECT_GT(black, 5);
    EXPECT_GT(white, 5);
    // Hidden but not current: a dotted outline one pixel wide.
    ws->model.CurrentBody = 2;
    img = render(*ws);
    int thick = 0;
    for (int x = tl.x() + 5; x < tr.x() - 5; ++x)
        thick += isBlack(at(img, {x, tl.y()})) && (isBlack(at(img, {x, tl.y() - 1})) || isBlack(at(img, {x, tl.y() + 1}))) ? 1 : 0;
    EXPECT_EQ(thick, 0);
}

TEST(PaintModel, CornerAboveViewLiesOnDivider)
{
    auto ws = twoBodies(0.5, 0.5);
    ws->display.ViewDepthMin = 30;   // the bodies' tops (z = 20) are above the view
    ws->display.HighlightCorners = false;
    QImage img = render(*ws);
    const int mid = viewLayout(window, ws->display).Mid;
    const int col = centre(*ws, 25, 40).x();
    EXPECT_EQ(SectionToScreen(window, ws->display, 10, 20).y(), mid);
    EXPECT_EQ(at(img, {col, mid + 2}), QColor(0, 200, 0));   // fill reaches the divider
    EXPECT_TRUE(isBlack(at(img, {col, mid})));
    // Nothing of the body above the divider.
    for (int y = mid - 12; y < mid - 2; ++y)
        EXPECT_NE(at(img, {col, y}), QColor(0, 200, 0)) << y;
}

TEST(PaintModel, CornerDotsOnlyInsidePanel)
{
    auto ws = twoBodies();
    ws->model.NumBodies = 1;
    ws->display.ColourScheme = 1;
    ws->display.ViewXMin = 20;   // corner x = 10 lies left of the view
    QImage img = render(*ws);
    const QPoint inside = centre(*ws, 40, 60);
    // The current body's dot is five pixels across.
    EXPECT_TRUE(isBlack(at(img, inside + QPoint(2, 0))));
    EXPECT_TRUE(isBlack(at(img, inside + QPoint(0, 2))));
    // The corner left of the view gets no dot on the panel edge.
    const QPoint outside = centre(*ws, 10, 60);
    EXPECT_FALSE(isBlack(at(img, {41, outside.y() + 2})));
    ws->display.HighlightCorners = false;
    img = render(*ws);
    EXPECT_FALSE(isBlack(at(img, inside + QPoint(2, 0))));
    EXPECT_FALSE(isBlack(at(img, inside + QPoint(0, 2))));
}

TEST(PaintModel, CurveRunsToRightEdgeAndMisfitText)
{
    auto ws = twoBodies();
    Model& m = ws->model;
    setStations(m, 11, 0, 100);
    m.NumBodies = 0;
    for (int i = 1; i <= 11; ++i)
        m.CalculatedGravity[i] = 10 - m.StationX[i] / 10;   // 10 .. 0
    ws->display.ViewXMax = 45;                             // next station at 50
    std::optional<QString> status;
    QImage img = render(*ws, &status);
    // In view 10..5 (with the station at 50): the axis runs from 0 to 10.
    EXPECT_EQ(ws->display.GravityMin, 0);
    EXPECT_EQ(ws->display.GravityMax, 10);
    const int yEnd = ProfileToScreen(window, ws->display, 50, 5).y();
    EXPECT_EQ(yEnd, 235 - 118);
    EXPECT_TRUE(blackNear(img, {646, yEnd}));
    bool found = false;
    for (int y = yEnd - 6; y <= yEnd; ++y)
        found = found || isBlack(at(img, {640, y}));
    EXPECT_TRUE(found);
    // Without observed data the misfit read-out is empty.
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->isEmpty());

    m.HaveObserved = true;
    for (int i = 1; i <= 11; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i] + (i == 1 ? 1.1 : 0);
    render(*ws, &status);
    EXPECT_EQ(*status, QStringLiteral(" Misfit =  3.32"));   // 10 sqrt(1.21 / 11)
}

TEST(PaintModel, ObservedPointsFromZeroAndDifferenceMode)
{
    auto ws = twoBodies();
    Model& m = ws->model;
    setStations(m, 5, 0, 100);
    m.NumBodies = 0;
    m.HaveObserved = true;
    const double obs[] = {2, 8, 5, 4, 3};
    const double calc[] = {3, 6.5, 4, 4, 4.5};
    for (int i = 1; i <= 5; ++i) {
        m.ObservedGravity[i] = obs[i - 1];
        m.CalculatedGravity[i] = calc[i - 1];
    }
    ws->display.PlotPoints = true;
    QImage img = render(*ws);
    EXPECT_EQ(ws->display.GravityMin, 0);   // 2..8 mGal: the axis starts at 0
    const QPoint star = ProfileToScreen(window, ws->display, 50, 5);
    EXPECT_EQ(star.y(), 235 - 147);   // 5 * 235 / 8 = 146.875
    EXPECT_EQ(at(img, star), QColor(0, 150, 0));
    EXPECT_EQ(at(img, star + QPoint(2, 0)), QColor(0, 150, 0));   // horizontal stroke
    EXPECT_EQ(at(img, star + QPoint(0, -2)), QColor(0, 150, 0));  // vertical
    EXPECT_EQ(at(img, star + QPoint(2, 2)), QColor(0, 150, 0));   // diagonal
    EXPECT_EQ(at(img, star + QPoint(2, -2)), QColor(0, 150, 0));  // the other diagonal

    // Difference: 1, -1.5, -1, 0, 1.5; the station at 100 plots at +1.5.
    ws->display.ShowDifference = true;
    img = render(*ws);
    EXPECT_EQ(ws->display.GravityMin, -1.5);
    EXPECT_EQ(ws->display.GravityMax, 1.5);
    const QPoint d2 = ProfileToScreen(window, ws->display, 25, -1.5);
    const QPoint d5 = ProfileToScreen(window, ws->display, 100, 1.5);
    EXPECT_EQ(d5.y(), 0);
    EXPECT_EQ(d2.y(), 235);
    EXPECT_TRUE(blackNear(img, ProfileToScreen(window, ws->display, 87.5, 0.75)));
    // Neither the observed nor the calculated curve is drawn in this mode.
    EXPECT_NE(at(img, ProfileToScreen(window, ws->display, 50, 0)), QColor(0, 150, 0));
}

TEST(PaintModel, LabelRightOfLastStationStandsAtLastStation)
{
    auto ws = twoBodies();
    Model& m = ws->model;
    setBody(m, 2, {{150, 20}, {190, 20}, {190, 60}, {150, 60}}, 0.3);   // anchor 0.95 * 170
    m.RecalculateModel();
    ws->display.ViewXMax = 200;
    ws->display.ShowDensities = true;
    ws->display.ColourScheme = 1;
    ws->display.HighlightCorners = false;
    QImage img = render(*ws);
    const QPoint s = centre(*ws, 100, 40);   // the last station's column, mean depth
    int dark = 0;
    for (int x = s.x(); x < s.x() + 40; ++x)
        for (int y = s.y(); y < s.y() + 14; ++y)
            dark += isBlack(at(img, {x, y})) ? 1 : 0;
    EXPECT_GT(dark, 10);
    // Nothing written where the unclamped anchor would have put it.
    const QPoint wrong = centre(*ws, 0.95 * 170, 40);
    int darkWrong = 0;
    for (int x = wrong.x() + 2; x < wrong.x() + 30; ++x)
        for (int y = wrong.y() + 2; y < wrong.y() + 12; ++y)
            darkWrong += isBlack(at(img, {x, y})) ? 1 : 0;
    EXPECT_EQ(darkWrong, 0);
}

TEST(PaintModel, NothingBeforeModelAndPlanViewShades)
{
    auto ws = twoBodies();
    ws->display.ModelLoaded = false;
    std::optional<QString> status;
    QImage img = render(*ws, &status);
    EXPECT_FALSE(status.has_value());
    EXPECT_EQ(at(img, centre(*ws, 25, 40)), QColor(255, 255, 255));
    EXPECT_TRUE(isBlack(at(img, {300, 235})));   // the divider is there

    // Plan view: body 2 deeper, hence drawn darkest; body 1 grey (f = 0.5).
    ws->display.ModelLoaded = true;
    ws->display.PlanView = true;
    setBody(ws->model, 2, {{60, 20}, {90, 20}, {90, 80}, {60, 80}}, 0.3, 100, 100);
    setBody(ws->model, 1, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}, -0.2, 100, 50);
    const ViewLayout L = viewLayout(window, ws->display);
    const int C = (L.Mid + L.By) / 2;
    img = render(*ws);
    EXPECT_EQ(at(img, {centre(*ws, 75, 0).x(), C + 20}), QColor(0, 0, 0));
    EXPECT_EQ(at(img, {centre(*ws, 25, 0).x(), C + 20}), QColor(200, 200, 200));
    // Strike length 2 of body 1 is half: above C + the rectangle ends earlier.
    const int yB1 = C - static_cast<int>(std::lround(50 * (L.By - L.Mid - 3) / 200.0));
    EXPECT_EQ(at(img, {centre(*ws, 25, 0).x(), yB1 - 5}), QColor(255, 255, 255));
}

TEST(PaintModel, GridAndBorehole)
{
    auto ws = twoBodies();
    ws->model.NumBodies = 0;
    ws->display.DrawGrid = true;
    ws->display.GridStepX = 20;
    ws->display.GridStepZ = 20;
    ws->display.GridDotFrequency = 2;
    THole& h = ws->model.Holes[1];
    h.Name = "BH1";
    h.NumDepths = 2;
    h.HoleX[1] = 50;
    h.HoleDepth[1] = 0;
    h.HoleX[2] = 50;
    h.HoleDepth[2] = 90;
    ws->model.NumHoles = 1;
    QImage img = render(*ws);
    // Dot (i, j) = (2, 2) is bold, (1, 1) is not: grid starts at 20.
    const QPoint bold = centre(*ws, 40, 40);
    const QPoint plain = centre(*ws, 20, 20);
    EXPECT_TRUE(isBlack(at(img, bold)));
    EXPECT_TRUE(isBlack(at(img, plain)));
    EXPECT_TRUE(isBlack(at(img, bold + QPoint(1, 1))));
    EXPECT_FALSE(isBlack(at(img, plain + QPoint(2, 2))));
    // The borehole's path down the section.
    EXPECT_TRUE(isBlack(at(img, centre(*ws, 50, 70))));
    ws->display.DrawGrid = false;
    img = render(*ws);
    EXPECT_FALSE(isBlack(at(img, bold)));
}

TEST(PaintModel, PrintingLayoutKeepsBodiesUnderCurves)
{
    auto ws = twoBodies();
    ws->display.Printing = true;
    PrintOptions o;
    o.u = 100;
    o.v = 100;
    o.plotWidth = 700;
    o.plotHeight = 500;
    o.legend = true;
    QImage img(1000, 1000, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    EXPECT_FALSE(PaintModel(p, img.rect(), *ws, o).has_value());
    p.end();
    const ViewLayout L = printLayout(o);
    EXPECT_EQ(L.Left, 10);
    EXPECT_EQ(L.Top, 20);
    EXPECT_EQ(L.Rx, 710);
    EXPECT_EQ(L.Mid, 270);
    EXPECT_EQ(ws->display.SectionLeft, 50);
    EXPECT_EQ(ws->display.TickLength, 6);
    // Station 100 lies on the plot's right edge in both panels.
    EXPECT_EQ(SectionToScreen(L, ws->display, 100, 50).x(), 710);
    EXPECT_EQ(ProfileToScreen(L, ws->display, 100, 0).x(), 710);
    EXPECT_EQ(img.pixelColor(SectionToScreen(L, ws->display, 25, 40)), QColor(0, 0, 255));
    EXPECT_NE(img.pixelColor(5, 5), QColor(Qt::magenta));   // page cleared
}

TEST(PaintModel, TickSteps)
{
    // Round label steps: the largest 1, 2 or 5 times a power of ten not above.
    EXPECT_EQ(roundTickStep(7.6075), 5);
    EXPECT_EQ(roundTickStep(2.5), 2);
    EXPECT_EQ(roundTickStep(19.99), 10);
    EXPECT_EQ(roundTickStep(1000), 1000);
    EXPECT_EQ(roundTickStep(0.3), 0.2);
    EXPECT_EQ(roundTickStep(0.075), 0.05);
    EXPECT_EQ(roundTickStep(0), 0);
    EXPECT_EQ(roundTickStep(-3), 0);
    EXPECT_EQ(roundTickStep(HUGE_VAL), 0);
    EXPECT_EQ(autoGravityTickStep(-28.43, 2), 5);
    EXPECT_EQ(autoGravityTickStep(3, 3), 1);   // flat: still a step to count in

    EXPECT_DOUBLE_EQ(distanceTickStep(1000).step, 100);
    EXPECT_EQ(distanceTickStep(1000).count, 10);
    // 250: 100 gives 2 ticks, so 20 (12 ticks), more than 10, so 40.
    EXPECT_DOUBLE_EQ(distanceTickStep(250).step, 40);
    EXPECT_EQ(distanceTickStep(250).count, 6);
    EXPECT_DOUBLE_EQ(distanceTickStep(100).step, 10);   // 1 tick of 100 -> 10 ticks of 10
    EXPECT_EQ(distanceTickStep(100).count, 10);
    EXPECT_EQ(distanceTickStep(0).count, 0);
}

TEST(PaintModel, ProfileLabelsStayInTheirPanelClearOfEachOther)
{
    // On screen and on the printed page alike.
    PrintOptions print;
    print.u = 100;
    print.v = 100;
    print.plotWidth = 700;
    print.plotHeight = 500;
    for (const bool printing : {false, true}) {
        SCOPED_TRACE(printing ? "printed" : "window");
        auto ws = basinProfile();
        ws->display.Printing = printing;
        const auto texts = drawnTexts(*ws, printing ? QRect(0, 0, 1000, 1000) : window, print);
        const ViewLayout L = printing ? printLayout(print) : viewLayout(window, ws->display);
        QStringList profile, all;
        for (const DrawnText& t : texts) {
            all << t.text;
            if (t.rect.top() > L.Mid || t.rect.top() < L.Top)
                continue;   // the section and the page around the plot
            profile << t.text;
            // Inside the profile panel: above the divider, not cut at either edge.
            EXPECT_GE(t.rect.left(), L.Left) << t.text.toStdString();
            EXPECT_LE(t.rect.right(), L.Rx) << t.text.toStdString();
            EXPECT_LT(t.rect.bottom(), L.Mid - 1) << t.text.toStdString();
        }
        // Each label whole, apart from every other one.
        for (std::size_t i = 0; i < texts.size(); ++i)
            for (std::size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE(texts[i].rect.intersects(texts[j].rect))
                    << texts[i].text.toStdString() << " / " << texts[j].text.toStdString();
        // The last distance label and the unit are there; no tick is labelled
        // past the bottom of the axis (the range ends at -27), in the section.
        EXPECT_TRUE(profile.contains("40.0"));
        EXPECT_TRUE(profile.contains("mG"));
        EXPECT_TRUE(profile.contains("-22.83"));
        EXPECT_FALSE(all.contains("-30.44"));
    }
}

TEST(PaintModel, ZoomedDepthAxisAndDifferenceCurvesAreLabelled)
{
    auto ws = basinProfile();
    Display& d = ws->display;
    const int mid = viewLayout(window, d).Mid;
    // Zoomed to 12.3 .. 18.1 km the set step of 5 km gives one tick only;
    // the axis is labelled at round depths instead, as precisely as needed.
    d.ViewDepthMin = 12.3;
    d.ViewDepthMax = 18.1;
    d.Zoomed = true;
    EXPECT_EQ(textsIn(drawnTexts(*ws), mid, 1000, 39), "13.0|14.0|15.0|16.0|17.0|18.0|Km|");
    d.ViewDepthMin = 3.05;
    d.ViewDepthMax = 3.3;
    EXPECT_EQ(textsIn(drawnTexts(*ws), mid, 1000, 39), "3.10|3.15|3.20|3.25|3.30|Km|");
    // The view's own step is kept wherever it gives labels.
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 20;
    EXPECT_EQ(textsIn(drawnTexts(*ws), mid, 1000, 39), "5.0|10.0|15.0|20.0|Km|");
    // A section that starts above the datum, as for stations on a ridge:
    // the step of a quarter of the range (5.3) is not round; the ticks fall
    // on round depths from the datum instead of at -1.3, 4.0, 9.3 ...
    d.ViewDepthMin = -1.3;
    d.DepthTickStep = (d.ViewDepthMax - d.ViewDepthMin) * 0.25;
    EXPECT_EQ(textsIn(drawnTexts(*ws), mid, 1000, 39), "0.0|5.0|10.0|15.0|20.0|Km|");

    // The difference of the curves spans -1.5 .. 1.5 mGal, less than the set
    // step of 7.61: labelled every 0.5 mGal.
    Model& m = ws->model;
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i] + 1.5 * std::cos(m.StationX[i] * M_PI / 20);
    d.ShowDifference = true;
    EXPECT_EQ(textsIn(drawnTexts(*ws), 0, mid, 39), "-0.50|-1.00|-1.50|0.50|1.00|1.50|mG|");
}

TEST(PaintModel, BoreholeLabelsDrawnLastApartOnWhite)
{
    auto ws = basinProfile();
    Model& m = ws->model;
    m.HaveObserved = false;
    ws->display.CalcCurveColour = QColor(0, 0, 255);
    // The calculated curve dips to the bottom of the panel at the well.
    for (int i = 1; i <= m.NumStations; ++i)
        m.CalculatedGravity[i] = -20 * std::exp(-std::pow((m.StationX[i] - 12) / 2, 2));
    THole& h = m.Holes[1];
    h.Name = "Well A-1";
    h.NumDepths = 3;
    const double x[] = {12, 12, 12}, z[] = {0, 0.05, 6};
    for (int k = 1; k <= 3; ++k) {
        h.HoleX[k] = x[k - 1];
        h.HoleDepth[k] = z[k - 1];
    }
    h.NumLabels = 2;   // two layers a pixel apart, both inside the basin's fill
    h.Label[1] = "Quaternary";
    h.LabelRow[1] = 1;
    h.Label[2] = "Sandstone";
    h.LabelRow[2] = 2;
    m.NumHoles = 1;
    QImage img;
    const auto texts = drawnTexts(*ws, window, {}, &img);
    ASSERT_GE(texts.size(), 3u);
    // The name and the labels are the last texts, apart from each other and
    // from the body's label.
    const auto last = texts.end() - 3;
    EXPECT_EQ(last[0].text, "Well A-1");
    EXPECT_EQ(last[1].text, "Quaternary");
    EXPECT_EQ(last[2].text, "Sandstone");
    for (auto a = texts.begin(); a != texts.end(); ++a)
        for (auto b = a + 1; b != texts.end(); ++b)
            EXPECT_FALSE(a->rect.intersects(b->rect)) << a->text.toStdString() << " / " << b->text.toStdString();
    // On their white ground: neither the curve nor the body's fill shows through.
    for (auto t = last; t != texts.end(); ++t) {
        int white = 0, showing = 0;
        for (int y = t->rect.top(); y <= t->rect.bottom(); ++y)
            for (int xx = t->rect.left(); xx <= t->rect.right(); ++xx) {
                const QColor c = img.pixelColor(xx, y);
                white += c == QColor(Qt::white) ? 1 : 0;
                showing += (c.blue() > 150 && c.red() < 100) ? 1 : 0;
            }
        EXPECT_GT(white, t->rect.width() * t->rect.height() / 2) << t->text.toStdString();
        EXPECT_EQ(showing, 0) << t->text.toStdString();
    }
}

TEST(PaintModel, IndividualContributionsLeaveOutHiddenBodiesAndTheTotal)
{
    auto ws = twoBodies(0.4, 0.4);
    Display& d = ws->display;
    d.ShowIndividual = true;
    d.CalcCurveColour = QColor(0, 0, 255);
    const Model& m = ws->model;
    // Station 26 (x = 25) over the middle of body 1, where every curve is
    // nearly flat: body 1's anomaly, body 2's and their sum stand apart.
    const int i = 26;
    auto row = [&](double g) { return ProfileToScreen(window, d, m.StationX[i], g).y(); };
    auto curveAt = [&](const QImage& img, double g) {
        const QPoint s = ProfileToScreen(window, d, m.StationX[i], g);
        for (int dy = -1; dy <= 1; ++dy)
            if (img.pixelColor(s + QPoint(0, dy)) == d.CalcCurveColour)
                return true;
        return false;
    };
    QImage img = render(*ws);
    const double g1 = m.Bodies[1].Gravity[i], g2 = m.Bodies[2].Gravity[i];
    ASSERT_GT(row(g2) - row(g1 + g2), 5);
    ASSERT_GT(row(g2) - row(g1), 5);
    ASSERT_GT(row(g1) - row(g1 + g2), 5);
    EXPECT_TRUE(curveAt(img, g1));
    EXPECT_TRUE(curveAt(img, g2));
    EXPECT_FALSE(curveAt(img, m.CalculatedGravity[i]));   // the total
    // Body 2 hidden: its curve goes, body 1's stays.
    ws->model.setHidden(2, true);
    img = render(*ws);
    EXPECT_TRUE(curveAt(img, g1));
    EXPECT_FALSE(curveAt(img, g2));
}

TEST(PaintModel, AxisAndBodyLabelTexts)
{
    auto ws = twoBodies(-0.25, 0.1);
    Display& d = ws->display;
    d.ShowDensities = true;
    d.GravityTickStep = 20;
    d.GravityDecimals = 1;
    d.DepthTickStep = 25;
    const auto texts = drawnTexts(*ws);
    const int mid = viewLayout(window, d).Mid;
    // Distance labels every 10 km with one decimal, then the axis name; gravity
    // labels, downwards and then upwards from zero, with the set decimals.
    ASSERT_NEAR(d.GravityMin, -88, 0.5);
    EXPECT_EQ(textsIn(texts, 0, mid),
              "10.0|20.0|30.0|40.0|50.0|60.0|70.0|80.0|90.0|100.0|Distance|-20.0|-40.0|-60.0|-80.0|mG|");
    // Depth labels every 25 km with one decimal, the unit, and the bodies'
    // densities cut to six characters.
    EXPECT_EQ(textsIn(texts, mid, 1000), "25.0|50.0|75.0|100.0|Km|-0.250|0.1000|");
    d.ShowDensities = false;
    d.ShowBodyNumbers = true;
    ws->model.UnitsKm = false;
    EXPECT_EQ(textsIn(drawnTexts(*ws), mid, 1000), "25.0|50.0|75.0|100.0|m| 1| 2|");
}

TEST(PaintModel, GravityLabelsStandAtTheValuesTheyName)
{
    // Zoomed onto stretches of the profile where every value is negative,
    // where the values cross zero, and with the whole profile in view: each
    // gravity label covers the row of its value on the axis drawn (one value
    // stood 59 px from its row, at the top of an axis it was not on).
    struct Case {
        double xmin, xmax;
        bool zoomed;
    };
    const Case cases[] = {{8, 16, true}, {10, 13, true}, {0, 10, true}, {0, 40, false}, {30, 40, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.xmin) + " .. " + std::to_string(c.xmax));
        auto ws = basinProfile();
        Display& d = ws->display;
        d.ViewXMin = c.xmin;
        d.ViewXMax = c.xmax;
        d.Zoomed = c.zoomed;
        d.GravityTickStep = 5;
        const auto texts = drawnTexts(*ws);   // sets the gravity range in view
        const ViewLayout L = viewLayout(window, d);
        int labels = 0;
        for (const DrawnText& t : texts) {
            if (t.rect.left() >= L.Left + L.SectionLeft || t.rect.top() >= L.Mid)
                continue;   // not left of the gravity axis
            bool ok = false;
            const double value = t.text.toDouble(&ok);
            if (!ok)
                continue;   // the unit
            ++labels;
            EXPECT_GE(value, d.GravityMin - 1e-9) << t.text.toStdString();
            EXPECT_LE(value, d.GravityMax + 1e-9) << t.text.toStdString();
            const int row = ProfileToScreen(window, d, d.ViewXMin, value).y();
            // At the ends of the axis a label keeps inside the panel, a
            // pixel or two off its row.
            EXPECT_LE(t.rect.top() - 2, row) << t.text.toStdString();
            EXPECT_GE(t.rect.bottom() + 2, row) << t.text.toStdString();
        }
        EXPECT_GE(labels, 2);
    }
}
