// View mapping: layout, the three transforms with their rounding, the read-out
// text and the gravity range that every drawing of the curves computes.
#include "display/view.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using corvane::test::setStations;

namespace {

const QRect window(0, 0, 652, 486);   // Rx 647, By 471, Mid 235

Display viewOf(double x0, double x1, double z0, double z1)
{
    Display d;
    d.ViewXMin = x0;
    d.ViewXMax = x1;
    d.ViewDepthMin = z0;
    d.ViewDepthMax = z1;
    return d;
}

}  // namespace

TEST(ViewLayout, WindowQuantitiesAndTruncatingDivision)
{
    const ViewLayout L = viewLayout(window, Display{});
    EXPECT_EQ(L.Rx, 647);
    EXPECT_EQ(L.By, 471);
    EXPECT_EQ(L.Mid, 235);
    EXPECT_EQ(L.SectionLeft, 40);

    // Top + By = -61: div truncates toward zero (-30), unlike a floor (-31).
    const ViewLayout N = viewLayout(QRect(0, -30, 100, 14), Display{});
    EXPECT_EQ(N.By, -31);
    EXPECT_EQ(N.Mid, -30);
}

TEST(ViewTransforms, SectionRoundsHalvesToEvenAndClampsToDivider)
{
    // 607 columns for 1214 units and 235 rows for 470 units: half a pixel per unit.
    Display d = viewOf(0, 1214, 0, 470);
    EXPECT_EQ(SectionToScreen(window, d, 0, 0), QPoint(40, 235));
    EXPECT_EQ(SectionToScreen(window, d, 1, 1), QPoint(40, 235));     // 0.5 -> 0
    EXPECT_EQ(SectionToScreen(window, d, 3, 3), QPoint(42, 237));     // 1.5 -> 2
    EXPECT_EQ(SectionToScreen(window, d, 5, 5), QPoint(42, 237));     // 2.5 -> 2
    EXPECT_EQ(SectionToScreen(window, d, 1214, 470), QPoint(647, 470));

    // A corner above the displayed depth range lands on the divider row.
    d.ViewDepthMin = 50;
    EXPECT_EQ(SectionToScreen(window, d, 0, 10).y(), 235);
    // Left of the view the column is not clamped by the transform itself.
    EXPECT_LT(SectionToScreen(window, d, -100, 60).x(), 40);
    const ViewLayout L = viewLayout(window, d);
    EXPECT_EQ(clampColumn(L, SectionToScreen(L, d, -100, 60).x()), 40);
    EXPECT_EQ(clampColumn(L, SectionToScreen(L, d, 5000, 60).x()), 647);
}

TEST(ViewTransforms, ProfileMapsGravityRangeOntoPanel)
{
    Display d = viewOf(0, 100, 0, 100);
    d.GravityMin = -2;
    d.GravityMax = 6;
    EXPECT_EQ(ProfileToScreen(window, d, 0, -2), QPoint(40, 235));
    EXPECT_EQ(ProfileToScreen(window, d, 100, 6), QPoint(647, 0));
    // 0 lies a quarter of the way up: 235 - round(2 * 235 / 8) = 235 - 59.
    EXPECT_EQ(ProfileToScreen(window, d, 50, 0).y(), 235 - 59);
    EXPECT_EQ(ProfileToScreen(window, d, 50, 0).x(), 40 + 304);   // 303.5 -> 304
}

TEST(ViewTransforms, InverseReturnsCornerWithinOnePixel)
{
    const Display d = viewOf(-37.5, 812.25, 3, 41.7);
    const ViewLayout L = viewLayout(window, d);
    const double pxX = (d.ViewXMax - d.ViewXMin) / (L.Rx - L.SectionLeft);
    const double pxZ = (d.ViewDepthMax - d.ViewDepthMin) / L.Mid;
    for (double x : {-37.5, 0.0, 123.456, 812.25})
        for (double z : {3.0, 7.77, 41.7}) {
            const QPointF back = ScreenToSection(L, d, SectionToScreen(L, d, x, z));
            EXPECT_NEAR(back.x(), x, pxX);
            EXPECT_NEAR(back.y(), z, pxZ);
        }
    // Exact on pixel centres of the transform.
    EXPECT_EQ(ScreenToSection(L, d, QPoint(40, 235)), QPointF(-37.5, 3));
}

TEST(ViewTransforms, ZeroExtentsStayFinite)
{
    Display d = viewOf(5, 5, 20, 20);
    d.GravityMin = d.GravityMax = 3;
    const QPoint s = SectionToScreen(window, d, 7, 30);
    const QPoint p = ProfileToScreen(window, d, 7, 4);
    const QPointF back = ScreenToSection(window, d, QPoint(100, 300));
    EXPECT_GE(s.y(), 235);
    EXPECT_LE(p.y(), 235);
    EXPECT_TRUE(std::isfinite(back.x()) && std::isfinite(back.y()));
    // A huge magnification saturates instead of overflowing.
    d = viewOf(0, 1e-300, 0, 1e-300);
    EXPECT_LT(std::abs(SectionToScreen(window, d, 1e10, 1e10).x()), 20000000);
}

TEST(ViewReadout, TextInsideAndOutsideModelPanel)
{
    // x = (sx - 40) / 2 and z = (sy - 235) / 4.
    const Display d = viewOf(0, 303.5, 0, 58.75);
    Readout r = readoutAt(window, d, QPoint(65, 248), -1);
    EXPECT_EQ(r.text, QStringLiteral("    Position (    12.50,     3.25 )"));
    EXPECT_TRUE(r.inModelPanel);
    EXPECT_DOUBLE_EQ(r.model.x(), 12.5);
    EXPECT_DOUBLE_EQ(r.model.y(), 3.25);

    r = readoutAt(window, d, QPoint(65, 248), 7);
    EXPECT_EQ(r.text, QStringLiteral(" Corner 7    Position (    12.50,     3.25 )"));

    r = readoutAt(window, d, QPoint(300, 234), 7);   // profile panel
    EXPECT_EQ(r.text, QStringLiteral(" "));
    EXPECT_FALSE(r.inModelPanel);
    r = readoutAt(window, d, QPoint(39, 300), -1);   // axis strip
    EXPECT_EQ(r.text, QStringLiteral(" "));
    EXPECT_FALSE(r.inModelPanel);
    EXPECT_TRUE(readoutAt(window, d, QPoint(40, 235), -1).inModelPanel);
}

TEST(ViewCurves, StationRangeReachesPastTheRightEdge)
{
    auto m = makeModel();
    setStations(*m, 11, 0, 100);   // 0, 10, ..., 100
    Display d = viewOf(15, 45, 0, 100);
    StationRange r = stationsInView(*m, d);
    EXPECT_EQ(r.i1, 3);   // x = 20
    EXPECT_EQ(r.i2, 6);   // x = 50, first station at or past 45
    d.ViewXMin = 20;
    d.ViewXMax = 40;
    r = stationsInView(*m, d);
    EXPECT_EQ(r.i1, 3);
    EXPECT_EQ(r.i2, 5);
    d.ViewXMin = 200;   // nothing in view
    d.ViewXMax = 300;
    r = stationsInView(*m, d);
    EXPECT_EQ(r.i1, 11);
    EXPECT_EQ(r.i2, 11);
}

TEST(ViewCurves, GravityRangePerMode)
{
    auto m = makeModel();
    setStations(*m, 4, 0, 30);
    const double obs[] = {2, 8, 5, 4};
    const double calc[] = {3, 5, 6.5, 4};
    for (int i = 1; i <= 4; ++i) {
        m->ObservedGravity[i] = obs[i - 1];
        m->CalculatedGravity[i] = calc[i - 1];
    }
    Display d = viewOf(0, 30, 0, 10);
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMin, 0);   // 2..8 starts the axis at 0
    EXPECT_EQ(d.GravityMax, 8);

    // Zoomed onto the last two stations only.
    d.ViewXMin = 20;
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMax, 6.5);

    d = viewOf(0, 30, 0, 10);
    d.ShowDifference = true;
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMin, -3);
    EXPECT_EQ(d.GravityMax, 1.5);

    // Individual contributions and observed values; the total does not count.
    d.ShowDifference = false;
    d.ShowIndividual = true;
    m->NumBodies = 2;
    m->Bodies[1].Gravity.fill(-1);
    m->Bodies[2].Gravity.fill(0.5);
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMin, -1);
    EXPECT_EQ(d.GravityMax, 8);
    m->HaveObserved = false;
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMax, 0.5);

    // Every value equal (here all zero): the axis still has an extent.
    d.ShowIndividual = false;
    for (int i = 1; i <= 4; ++i)
        m->CalculatedGravity[i] = 0;
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMin, 0);
    EXPECT_GT(d.GravityMax, d.GravityMin);
    // Above 10 mGal the minimum is kept.
    for (int i = 1; i <= 4; ++i)
        m->CalculatedGravity[i] = 12 + i;
    computeGravityRange(*m, d);
    EXPECT_EQ(d.GravityMin, 13);
}

TEST(ViewCurves, MisfitTexts)
{
    auto m = makeModel();
    setStations(*m, 4, 0, 3);
    for (int i = 1; i <= 4; ++i) {
        m->ObservedGravity[i] = 1;
        m->CalculatedGravity[i] = i % 2 ? 1.3 : 0.7;   // every error 0.3
    }
    EXPECT_NEAR(misfit(*m), 3.0, 1e-12);
    EXPECT_EQ(misfitText(*m, 0), QStringLiteral(" Misfit =  3.00"));
    EXPECT_EQ(misfitText(*m, 4), QStringLiteral(" Iteration 4    Misfit =  3.00   "));
    m->HaveObserved = false;
    EXPECT_EQ(misfitText(*m, 0), QString());
    // A magnetic survey alone shows its own misfit.
    m->Mag.Num = 1;
    m->Mag.HasObserved[1] = true;
    m->Mag.Observed[1] = 12.5;
    EXPECT_EQ(misfitText(*m, 0), QStringLiteral(" Mag. misfit = 12.50 nT"));
    EXPECT_EQ(misfitText(*m, 2), QStringLiteral(" Iteration 2    Mag. misfit = 12.50 nT"));
}

TEST(ViewCurves, GradientMisfitsFollowTheOthers)
{
    struct Value {
        int station, k;
        double observed, calculated;   // calculated in the profile frame
    };
    struct Case {
        int stations;
        TensorFrame frame;
        std::vector<Value> values;
        bool gravity;
        int iteration;
        const char* text;
    };
    constexpr int xx = 0, xz = 2, yy = 3, zz = 5;
    const Case cases[] = {
        {0, TensorFrame::Profile, {}, true, 0, " Misfit =  3.00"},
        {2, TensorFrame::Profile, {}, true, 0, " Misfit =  3.00"},   // stations without data
        {2, TensorFrame::Profile, {{1, zz, 3, 1}, {2, zz, 5, 1}, {1, xz, 1, 0}}, true, 0,
         " Misfit =  3.00 Grad. misfit = Txz 1.00 E, Tzz 3.16 E"},
        // On a profile towards the east, T_NN is T_yy and T_EE is T_xx.
        {1, TensorFrame::Geographic, {{1, xx, 2, 0}, {1, yy, 1, 0.5}}, true, 0,
         " Misfit =  3.00 Grad. misfit = Txx 1.00 E, Tyy 1.50 E"},
        {2, TensorFrame::Profile, {{2, zz, 5, 1}}, false, 2,
         " Iteration 2    Mag. misfit = 12.50 nT Grad. misfit = Tzz 4.00 E"},
    };
    for (const Case& c : cases) {
        auto m = makeModel();
        setStations(*m, 4, 0, 3);
        for (int i = 1; i <= 4; ++i) {
            m->ObservedGravity[i] = 1;
            m->CalculatedGravity[i] = i % 2 ? 1.3 : 0.7;   // a misfit of 3.00
        }
        m->HaveObserved = c.gravity;
        m->Mag.Num = c.gravity ? 0 : 1;
        m->Mag.HasObserved[1] = true;
        m->Mag.Observed[1] = 12.5;
        m->Mag.FieldAzimuth = 90;
        m->Grad.Num = c.stations;
        m->Grad.Frame = c.frame;
        for (const Value& v : c.values) {
            m->Grad.Observed[v.station][v.k] = v.observed;
            m->Grad.HasObserved[v.station][static_cast<std::size_t>(v.k)] = true;
            m->Grad.Calculated[v.station][v.k] = v.calculated;
        }
        EXPECT_EQ(misfitText(*m, c.iteration), QString::fromUtf8(c.text)) << c.text;
    }
}
