// Cutting the profile: line rules, the kept stations and the model after a cut.
#include "model/gravity.h"
#include "regional/abstract.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

// Stations 0, 10, ..., 100 on a plot whose data width is 600 pixels, so one
// station every 60 pixels from column 48.
struct Fixture {
    std::unique_ptr<Model> m = makeModel();
    AbstractPlot p{656, 400};
    Fixture()
    {
        test::setStations(*m, 11, 0, 100);
        for (int i = 1; i <= 11; ++i)
            m->ObservedGravity[i] = i * 1.5;
    }
};

TEST(AbstractLines, OpeningPutsTheLinesAtThirds)
{
    Fixture f;
    AbstractState s;
    resetCutLines(s, *f.m, f.p);
    EXPECT_EQ(s.LeftColumn, 218);
    EXPECT_EQ(s.RightColumn, 437);
    EXPECT_DOUBLE_EQ(s.LeftCut, 100.0 * (218 - 48) / 600);
    EXPECT_DOUBLE_EQ(s.RightCut, 100.0 * (437 - 48) / 600);
    EXPECT_EQ(openingLeftLabel(s.LeftCut), "Left =       28.3");
    EXPECT_EQ(openingRightLabel(s.RightCut), "Right =       64.8");
    EXPECT_EQ(leftLabel(-3.25), "Left=    -3.2");
    EXPECT_EQ(rightLabel(1234.5), "Right=  1234.5");

    // OK at once: from one station left of the one-third mark (20 <= 28.3)
    // to one station right of the two-thirds mark (70 >= 64.8).
    const KeptRange r = keptStations(*f.m, s.LeftCut, s.RightCut);
    EXPECT_EQ(r.first, 3);
    EXPECT_EQ(r.last, 8);
}

TEST(AbstractLines, HoldingRules)
{
    Fixture f;
    AbstractState s;
    resetCutLines(s, *f.m, f.p);
    EXPECT_FALSE(pressMovesLine(f.p, 47, 100));
    EXPECT_FALSE(pressMovesLine(f.p, 200, 305));
    EXPECT_TRUE(pressMovesLine(f.p, 48, 304));

    // The left line is held to three quarters of (width - 8) = 486 ...
    s.RightColumn = 600;
    EXPECT_EQ(placeLeftLine(s, *f.m, f.p, 550), 486);
    // ... and right of the right line it goes to half the right line's column.
    s.RightColumn = 300;
    EXPECT_EQ(placeLeftLine(s, *f.m, f.p, 400), 150);
    EXPECT_DOUBLE_EQ(s.LeftCut, 100.0 * (150 - 48) / 600);

    // The right line is held to at least a quarter (162) ...
    s.LeftColumn = 60;
    EXPECT_EQ(placeRightLine(s, *f.m, f.p, 100), 162);
    // ... and at or left of the left line it goes to three quarters.
    s.LeftColumn = 200;
    EXPECT_EQ(placeRightLine(s, *f.m, f.p, 200), 486);
    EXPECT_EQ(placeRightLine(s, *f.m, f.p, 640), 640);
    EXPECT_DOUBLE_EQ(s.RightCut, 100.0 * (640 - 48) / 600);
}

TEST(AbstractCut, LinesBeyondTheStationsKeepTheEnds)
{
    Fixture f;
    // Left of every station keeps from station 1; right of every station keeps
    // up to the last (never an index outside the profile).
    EXPECT_EQ(keptStations(*f.m, -50, 35).first, 1);
    EXPECT_EQ(keptStations(*f.m, -50, 35).last, 5);
    EXPECT_EQ(keptStations(*f.m, 42, 500).first, 5);
    EXPECT_EQ(keptStations(*f.m, 42, 500).last, 11);
    // A line exactly on a station keeps that station as the outside one.
    EXPECT_EQ(keptStations(*f.m, 30, 60).first, 4);
    EXPECT_EQ(keptStations(*f.m, 30, 60).last, 7);
    // A left line between the last two stations keeps from the last but one.
    EXPECT_EQ(keptStations(*f.m, 95, 99).first, 10);
    EXPECT_EQ(keptStations(*f.m, 95, 99).last, 11);
    // No station right of the left line: the whole profile stays.
    EXPECT_EQ(keptStations(*f.m, 150, 160).first, 1);
    EXPECT_EQ(keptStations(*f.m, 150, 160).last, 11);
}

TEST(AbstractCut, RenumbersSetsTheViewAndKeepsTheAnomalyInvariant)
{
    Fixture f;
    Model& m = *f.m;
    m.NumBodies = 2;
    test::setBody(m, 1, {{20, 2}, {40, 2}, {40, 6}, {20, 6}}, 0.3);
    test::setBody(m, 2, {{60, 1}, {70, 1}, {70, 3}, {60, 3}}, -0.2);
    m.Bodies[2].Hidden = true;
    m.RecalculateModel();
    Display d;
    d.ViewXMin = 0;
    d.ViewXMax = 100;

    cutProfile(m, d, 25, 55);   // keeps 20..60: stations 3..7
    ASSERT_EQ(m.NumStations, 5);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(m.StationX[i], 10.0 * (i + 1)) << i;
        EXPECT_EQ(m.ObservedGravity[i], (i + 2) * 1.5) << i;
    }
    EXPECT_EQ(d.ViewXMin, 20.0);
    EXPECT_EQ(d.ViewXMax, 60.0);

    // The total is again the sum of the visible bodies, each computed at the
    // stations kept: compare with a model built on those stations directly.
    auto ref = makeModel();
    test::setStations(*ref, 5, 20, 60);
    ref->NumBodies = 2;
    ref->Bodies[1] = m.Bodies[1];
    ref->Bodies[2] = m.Bodies[2];
    ref->RecalculateModel();
    for (int i = 1; i <= 5; ++i) {
        EXPECT_DOUBLE_EQ(m.CalculatedGravity[i], m.Bodies[1].Gravity[i]) << i;
        EXPECT_NEAR(m.CalculatedGravity[i], ref->CalculatedGravity[i], 1e-12) << i;
        EXPECT_NE(m.Bodies[1].Gravity[i], 0.0);
    }
}

TEST(AbstractPlotMapping, DegenerateRangesStayFinite)
{
    Fixture f;
    EXPECT_EQ(plotColumn(*f.m, f.p, 0), 48);
    EXPECT_EQ(plotColumn(*f.m, f.p, 100), 648);
    EXPECT_EQ(plotRow(f.p, -1, -1, 3), 304);
    EXPECT_EQ(plotRow(f.p, 3, -1, 3), 10);
    // Equal smallest and largest values: a flat line in the middle, no division by zero.
    EXPECT_EQ(plotRow(f.p, 2, 2, 2), 157);
    // All stations at one position.
    test::setStations(*f.m, 3, 5, 5);
    EXPECT_EQ(plotColumn(*f.m, f.p, 5), 48);
    EXPECT_EQ(cutValueAt(*f.m, f.p, 300), 5.0);
}

TEST(AbstractCut, StationHeightsGoWithTheirStations)
{
    Fixture f;
    Model& m = *f.m;
    for (int i = 1; i <= m.NumStations; ++i)
        m.StationHeight[i] = 0.5 * i;
    m.NumBodies = 1;
    test::setBody(m, 1, {{20, 2}, {40, 2}, {40, 6}, {20, 6}}, 0.3);
    m.RecalculateModel();
    Display d;
    cutProfile(m, d, 25, 55);   // stations 3..7 kept
    ASSERT_EQ(m.NumStations, 5);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(m.StationHeight[i], 0.5 * (i + 2)) << i;
    for (int i = 6; i <= 11; ++i)
        EXPECT_EQ(m.StationHeight[i], 0) << i;
    // The anomaly is that of the kept stations at their heights.
    std::vector<double> g(5);
    referenceAnomaly(m.Bodies[1], m.StationX.data(), 5, true, g.data(), m.StationHeight.data());
    for (int i = 1; i <= 5; ++i)
        EXPECT_NEAR(m.CalculatedGravity[i], g[static_cast<std::size_t>(i - 1)], 1e-9) << i;
}

}  // namespace
}  // namespace corvane
