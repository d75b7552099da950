// The regional field: fits, spline and removal.
#include "regional/regional.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace corvane {
namespace {

std::unique_ptr<Model> profile(int n, double x0, double x1, double (*g)(double))
{
    auto m = makeModel();
    test::setStations(*m, n, x0, x1);
    for (int i = 1; i <= n; ++i)
        m->ObservedGravity[i] = g(m->StationX[i]);
    return m;
}

TEST(RegionalConstant, RemovingTheMeanLeavesMeanZero)
{
    auto m = profile(37, 0, 90, [](double x) { return 3.0 + 0.1 * x + std::sin(x); });
    const double c = meanObserved(*m);
    RegionalState s;
    s.RegionalC = c;
    subtractRegional(*m, s);
    EXPECT_NEAR(meanObserved(*m), 0.0, 1e-12);
    // A second removal subtracts again from the reduced data.
    subtractRegional(*m, s);
    EXPECT_NEAR(meanObserved(*m), -c, 1e-12);
}

// The record the model file keeps says exactly what a removal took off.
TEST(RegionalRecord, RebuildsTheRegionalThatWasRemoved)
{
    RegionalState s;
    s.RegionalC = -52.2;
    s.RegionalM = 0.156361;
    for (int j = 0; j < NumKnots; ++j) {
        s.KnotX[static_cast<std::size_t>(j)] = 5.0 * j + 1;
        s.KnotG[static_cast<std::size_t>(j)] = std::cos(j) * 3;
    }
    for (const RegionalKind kind : {RegionalKind::Constant, RegionalKind::Linear, RegionalKind::Spline}) {
        s.RegionalMode = kind;
        auto m = profile(31, 2, 32, [](double x) { return std::sin(x); });
        const auto before = std::make_unique<Model>(*m);
        subtractRegional(*m, s);
        const RegionalRecord r = regionalRecord(s);
        const auto& c = r.Coefficients;
        std::vector<double> kx, kg;
        for (std::size_t i = 0; r.Kind == "spline" && i + 1 < c.size(); i += 2) {
            kx.push_back(c[i]);
            kg.push_back(c[i + 1]);
        }
        ASSERT_EQ(c.size(), r.Kind == "constant" ? 1u : r.Kind == "linear" ? 2u : 14u) << r.Kind;
        const CubicSpline spline(kx, kg);
        for (int i = 1; i <= m->NumStations; ++i) {
            const double x = m->StationX[i];
            const double removed = r.Kind == "constant" ? c[0]
                                 : r.Kind == "linear"   ? c[0] * (x - m->StationX[1]) + c[1]
                                                        : spline(x);
            ASSERT_DOUBLE_EQ(before->ObservedGravity[i] - removed, m->ObservedGravity[i]) << r.Kind << " " << i;
        }
    }
}

TEST(RegionalLine, PointsOnALineGiveThatLineWithNoDeviation)
{
    // Odd and even counts (the median rule differs), first station at 0 and not.
    for (int n : {2, 3, 10, 11}) {
        auto m = profile(n, 0, 50, [](double x) { return 2.5 * x - 7.0; });
        auto fit = fitRegionalLine(*m);
        ASSERT_TRUE(fit) << n;
        EXPECT_NEAR(fit->M, 2.5, 1e-9) << n;
        EXPECT_NEAR(fit->C, -7.0, 1e-9) << n;
        EXPECT_NEAR(fit->Dev, 0.0, 1e-9) << n;
    }
    // The intercept is taken at the first station, where the removal measures
    // x from: removing the fitted line leaves nothing.
    auto m = profile(21, 100, 300, [](double x) { return -0.04 * x + 12.0; });
    auto fit = fitRegionalLine(*m);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->M, -0.04, 1e-12);
    EXPECT_NEAR(fit->C, 8.0, 1e-9);
    subtractLinear(*m, fit->M, fit->C);
    for (int i = 1; i <= 21; ++i)
        EXPECT_NEAR(m->ObservedGravity[i], 0.0, 1e-9) << i;
}

TEST(RegionalLine, OutliersDoNotMoveTheLeastAbsoluteDeviationLine)
{
    std::vector<double> x, y;
    for (int i = 0; i < 21; ++i) {
        x.push_back(i * 5.0);
        y.push_back(1.5 * x.back() + 4.0);
    }
    y[3] += 400;    // far off, on both sides
    y[17] -= 250;
    y[10] += 90;
    auto fit = fitLineLAD(x, y);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->M, 1.5, 0.01 * 1.5);
    EXPECT_NEAR(fit->C, 4.0, 1.0);
    EXPECT_NEAR(fit->Dev, (400.0 + 250.0 + 90.0) / 21.0, 2.0);

    // Least squares would have been dragged far away by the same points.
    double sx = 0, sy = 0, sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i]; sy += y[i]; sxy += x[i] * y[i]; sxx += x[i] * x[i];
    }
    const double n = static_cast<double>(x.size());
    const double bLs = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    EXPECT_GT(std::fabs(bLs - 1.5), 10 * std::fabs(fit->M - 1.5));
}

TEST(RegionalLine, MedianOfEvenCountAndDeviation)
{
    // Four points with an even median; the slope search must end and give a
    // mean absolute deviation consistent with M and C.
    std::vector<double> x{0, 1, 2, 3}, y{0, 10, 0, 10};
    auto fit = fitLineLAD(x, y);
    ASSERT_TRUE(fit);
    double dev = 0;
    for (std::size_t i = 0; i < 4; ++i)
        dev += std::fabs(y[i] - (fit->C + fit->M * x[i]));
    EXPECT_NEAR(fit->Dev, dev / 4, 1e-12);
    // The best line runs through (0, 0) and (3, 10): mean deviation 10/3.
    EXPECT_NEAR(fit->Dev, 10.0 / 3.0, 0.05);
}

TEST(RegionalLine, UndefinedFitsAreRefused)
{
    EXPECT_FALSE(fitLineLAD({5}, {1}));
    EXPECT_FALSE(fitLineLAD({5, 5, 5}, {1, 2, 3}));
    EXPECT_FALSE(fitLineLAD({1, 2}, {1, NAN}));
    auto m = profile(1, 10, 10, [](double) { return 3.0; });
    EXPECT_FALSE(fitRegionalLine(*m));
    m = profile(4, 10, 10, [](double) { return 3.0; });
    EXPECT_FALSE(fitRegionalLine(*m));
}

TEST(RegionalLine, TextOfTheLine)
{
    EXPECT_EQ(linearText(1.234, 5.67, 0.26), " Y =   1.23 X + 5.670  ( Dev =    0.3 )");
    EXPECT_EQ(linearText(-0.5, -12.34), " Y =  -0.50 X -12.340");
    EXPECT_EQ(linearText(0, 0), " Y =   0.00 X + 0.000");
    // Over 48 km five decimals of the slope, over 48000 m eight.
    EXPECT_EQ(linearText(0.156361234, -18.2004, std::nullopt, 0, 48), " Y = 0.15636 X -18.200");
    EXPECT_EQ(linearText(0.000156361234, -18.2004, std::nullopt, 0, 48000),
              " Y = 0.00015636 X -18.200");
    EXPECT_EQ(linearText(-0.02, 1, std::nullopt, 100, 200), " Y = -0.020000 (X - 100) + 1.000");
    EXPECT_EQ(stepText(1, 6), "  1.00");
    EXPECT_EQ(stepText(1.0 * 0.1 * 0.1 * 0.1, 6), " 0.001");
    EXPECT_EQ(stepText(1e-5, 6), "0.00001");
}

TEST(RegionalLine, ZeroSlopeRemovalEqualsConstantRemoval)
{
    auto a = profile(15, 3, 45, [](double x) { return x * x * 0.01; });
    auto b = profile(15, 3, 45, [](double x) { return x * x * 0.01; });
    subtractLinear(*a, 0.0, 4.25);
    subtractConstant(*b, 4.25);
    for (int i = 1; i <= 15; ++i)
        EXPECT_EQ(a->ObservedGravity[i], b->ObservedGravity[i]);
}

TEST(RegionalSpline, InterpolatesWithFlatEnds)
{
    const std::vector<double> kx{0, 10, 20, 30, 40, 50, 60};
    const std::vector<double> ky{1, 4, -2, 0, 3, 3, 8};
    CubicSpline s(kx, ky);
    for (std::size_t j = 0; j < kx.size(); ++j)
        EXPECT_NEAR(s(kx[j]), ky[j], 1e-12);
    const double h = 1e-6;
    EXPECT_NEAR((s(0 + h) - s(0)) / h, 0.0, 1e-4);
    EXPECT_NEAR((s(60) - s(60 - h)) / h, 0.0, 1e-4);
    // Smooth at an inner knot: the same slope from both sides.
    EXPECT_NEAR((s(20 + h) - s(20)) / h, (s(20) - s(20 - h)) / h, 1e-4);
    // Flat beyond the ends.
    EXPECT_EQ(s(-5), 1.0);
    EXPECT_EQ(s(75), 8.0);
    // Knots that do not increase cannot be interpolated; they give a constant.
    CubicSpline bad({0, 0, 0}, {2, 5, 7});
    EXPECT_EQ(bad(1.0), 2.0);
}

TEST(RegionalSpline, SevenEqualKnotsRemoveAConstant)
{
    auto m = profile(30, 0, 60, [](double x) { return std::cos(x / 9); });
    auto ref = profile(30, 0, 60, [](double x) { return std::cos(x / 9); });
    RegionalState s;
    s.RegionalMode = RegionalKind::Spline;
    const PlotArea area{48, 60, 600, 400};
    s.KnotRow.fill(230);
    knotsToModel(s, area, *m, -2.0, 8.0);
    const double value = 8.0 - (230.0 - 60.0) / 340.0 * 10.0;
    for (double g : s.KnotG)
        EXPECT_NEAR(g, value, 1e-12);
    subtractRegional(*m, s);
    for (int i = 1; i <= 30; ++i)
        EXPECT_NEAR(m->ObservedGravity[i], ref->ObservedGravity[i] - value, 1e-12) << i;
}

TEST(RegionalSpline, KnotSlotsAndModelUnits)
{
    const PlotArea area{48, 60, 48 + 600, 400};   // width 600: spacing 100
    EXPECT_EQ(knotSpacing(area), 100);
    EXPECT_EQ(knotColumn(area, 1), 48);
    EXPECT_EQ(knotColumn(area, 7), 648);
    EXPECT_EQ(knotAt(area, 48, 100), 1);
    EXPECT_EQ(knotAt(area, 147, 100), 1);
    EXPECT_EQ(knotAt(area, 148, 100), 2);
    EXPECT_EQ(knotAt(area, 648, 100), 7);
    EXPECT_EQ(knotAt(area, 47, 100), 0);    // left of the plot
    EXPECT_EQ(knotAt(area, 300, 59), 0);    // above it
    EXPECT_EQ(knotAt(area, 300, 401), 0);   // below it

    auto m = profile(11, 20, 80, [](double) { return 0.0; });
    RegionalState s;
    s.KnotRow = {60, 400, 230, 60, 60, 60, 400};
    knotsToModel(s, area, *m, -1.0, 3.0);
    EXPECT_DOUBLE_EQ(s.KnotX[0], 20.0);
    EXPECT_DOUBLE_EQ(s.KnotX[3], 50.0);
    EXPECT_DOUBLE_EQ(s.KnotX[6], 80.0);
    EXPECT_DOUBLE_EQ(s.KnotG[0], 3.0);    // top row: GravityMax
    EXPECT_DOUBLE_EQ(s.KnotG[1], -1.0);   // bottom row: GravityMin
    EXPECT_DOUBLE_EQ(s.KnotG[2], 1.0);
}

TEST(RegionalRange, ObservedRangeTakesSmallPositiveMinimumToZero)
{
    auto m = profile(5, 0, 4, [](double x) { return 2.0 + x; });
    double lo = 0, hi = 0;
    observedRange(*m, lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 6.0);
    m = profile(5, 0, 4, [](double x) { return -3.0 + x; });
    observedRange(*m, lo, hi);
    EXPECT_EQ(lo, -3.0);
    EXPECT_EQ(hi, 1.0);
}

}  // namespace
}  // namespace corvane
