// Field data at the edge of the number range: values the model file could not
// hold are read like words, and a profile that is taken gives a finite view,
// grid and first body.
#include "app/newmodel_data.h"
#include "io/real48.h"

#include "../../fuzz/first_body.h"
#include "../../fuzz/model_invariants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace corvane;

namespace {

// Every line is data.
ColumnChoice noComments()
{
    ColumnChoice c;
    c.commentLines = 0;
    return c;
}

// The new-model journey the window takes, with a body in the middle third.
void newModelWithBody(Workspace& ws, const StationList& s)
{
    NewModelInput in;
    applyNewModel(ws, in, &s);
    check::drawFirstBody(ws, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
}

}  // namespace

TEST(FieldDataRange, NumbersBeyondTheFileRangeReadAsWords)
{
    const FieldDataTable t = readFieldDataText("1.7e38 -1.7e38 1.8e38 -1e308 12\n1e300\n").value();
    ASSERT_EQ(t.lines.size(), 2u);
    const SplitLine& line = t.lines[0];
    EXPECT_EQ(fieldNumber(line, 1), 1.7e38);
    EXPECT_EQ(fieldNumber(line, 2), -1.7e38);
    EXPECT_EQ(fieldNumber(line, 3), std::nullopt);
    EXPECT_EQ(fieldNumber(line, 4), std::nullopt);
    EXPECT_EQ(fieldNumber(line, 5), 12.0);
    EXPECT_TRUE(hasNonNumber(line));
    EXPECT_EQ(fieldNumber(t.lines[1], 1), std::nullopt);
    EXPECT_FALSE(hasNonNumber(readFieldDataText("-1.7e38 1.7e38\n").value().lines[0]));
}

TEST(FieldDataRange, PositionsAcrossTheWholeRangeAreSkipped)
{
    // The fuzzer's file: stations from -1e308 to 1e308 around usable ones.
    const FieldDataTable t =
        readFieldDataText("-1e308 1\n0 2\n10 3\n1e308 4\n20 5 \n30 1e300\n").value();
    const StationList s = stationsFromTable(t, noComments());
    ASSERT_EQ(s.x.size(), 3u);
    EXPECT_EQ(s.x.front(), 0);
    EXPECT_EQ(s.x.back(), 20);

    Workspace ws;
    newModelWithBody(ws, s);
    EXPECT_EQ(ws.display.ViewXMax - ws.display.ViewXMin, 20);
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(FieldDataRange, WidestStorableProfileGivesAFiniteModel)
{
    const FieldDataTable t = readFieldDataText("-1.7e38 1\n0 2\n1.7e38 3\n").value();
    const StationList s = stationsFromTable(t, noComments());
    ASSERT_EQ(s.x.size(), 3u);
    Workspace ws;
    newModelWithBody(ws, s);
    EXPECT_TRUE(std::isfinite(ws.display.ViewXMax - ws.display.ViewXMin));
    EXPECT_TRUE(std::isfinite(ws.display.GridStepX));
    EXPECT_GT(ws.display.GridStepX, 0);
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(FieldDataRange, CoordinatePairsFartherApartThanTheFileHoldsAreSkipped)
{
    ColumnChoice xy = noComments();
    xy.xColumn = 1;
    xy.yColumn = 2;
    xy.gravityColumn = 3;
    xy.xyData = true;
    // Each coordinate is storable, but the distance from the origin is not.
    const FieldDataTable t =
        readFieldDataText("-1.7e38 -1.7e38 1\n-1.7e38 -1.6e38 2\n1.7e38 1.7e38 3\n").value();
    const StationList s = stationsFromTable(t, xy);
    ASSERT_EQ(s.x.size(), 2u);
    for (double x : s.x)
        EXPECT_LE(std::fabs(x), Real48Max);
}

TEST(FieldDataRange, GridStepOfAnyFiniteProfileIsFinite)
{
    // Stations given directly, as the station editor may: their span
    // overflows, the grid step must not.
    StationList s;
    s.x = {-1e308, 1e308};
    s.g = {0, 0};
    Workspace ws;
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_TRUE(std::isfinite(ws.display.GridStepX));
    EXPECT_GT(ws.display.GridStepX, 1e306);
}

TEST(FieldDataRange, EditedStationsBeyondTheFileRangeAreLeftOut)
{
    Workspace ws;
    StationList s;
    s.x = {0, 10};
    s.g = {1, 2};
    applyNewModel(ws, NewModelInput{}, &s);
    const std::vector<StationRow> rows = {{"-1e308", "1"}, {"5", "2"}, {"7", "1e39"}, {"9", "3"}};
    const StationList got = stationsFromRows(rows, ws.model);
    ASSERT_EQ(got.x.size(), 2u);
    EXPECT_EQ(got.x[0], 5);
    EXPECT_EQ(got.x[1], 9);
}

TEST(FieldDataRange, EvenProfileStaysWithinTheFileRange)
{
    // The fuzzer's boxes: a spacing of 1.001e307 over ten stations left the
    // last at 9e307, and two thirds of the view's width overflowed.
    const std::vector<double> x = evenProfile("1", "1001e304");
    ASSERT_EQ(x.size(), 10u);
    EXPECT_EQ(x[1], 10.0);
    const std::vector<double> widest = evenProfile("10", "1.8e37");
    EXPECT_EQ(widest[1], 1.8e37);
    EXPECT_LE(widest.back(), Real48Max);

    Workspace ws;
    NewModelInput in;
    in.readFieldData = false;
    in.density = "0";
    in.strike1 = "1";
    in.strike2 = "0.1";
    in.spacing = "1001e304";
    in.points = "1";
    applyNewModel(ws, in, nullptr);
    const int b = prepareFirstBody(ws);
    const Display& d = ws.display;
    const double x0 = d.ViewXMin + (d.ViewXMax - d.ViewXMin) / 3;
    const double x1 = d.ViewXMin + (d.ViewXMax - d.ViewXMin) * 2 / 3;
    Tbody& body = ws.model.Bodies[b];
    body.NumCorners = 4;
    body.setCorner(1, x0, 10);
    body.setCorner(2, x1, 20);
    body.setCorner(3, x0, 20);
    body.setCorner(4, x0, 10);
    finishFirstBody(ws);
    EXPECT_EQ(check::modelViolation(ws), "");
}
