// Station heights read from field data and kept as extras items.
#include "io/field_data.h"
#include "io/model_file.h"
#include "model/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace corvane;

TEST(FieldDataHeights, HeightColumnOrOneHeightForEveryStation)
{
    // Three comment lines, then x, gravity, height; one line lacks its height
    // and one is out of order.
    const FieldDataTable t = readFieldDataText(
        "profile\nx g h\n--\n0 1.5 120\n20 2.5 80\n10 2.0\n30 3.0 95.5\n15 1.0 60\n").value();
    struct Case {
        const char* name;
        ColumnChoice choice;
        std::vector<double> x, h;
    };
    ColumnChoice column;
    column.heightData = true;
    column.heightColumn = 3;
    ColumnChoice constant;
    constant.constantHeight = 250;
    ColumnChoice datum;
    const Case cases[] = {
        {"column", column, {0, 15, 20, 30}, {120, 60, 80, 95.5}},
        {"constant", constant, {0, 10, 15, 20, 30}, {250, 250, 250, 250, 250}},
        {"datum", datum, {0, 10, 15, 20, 30}, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StationList s = stationsFromTable(t, c.choice);
        EXPECT_TRUE(s.sorted);
        EXPECT_EQ(s.x, c.x);
        EXPECT_EQ(s.h, c.h);
        ASSERT_EQ(s.g.size(), s.x.size());
    }
    // With x-y data the height column still belongs to each station.
    ColumnChoice xy = column;
    xy.xyData = true;
    xy.yColumn = 2;
    xy.gravityColumn = 3;
    xy.heightColumn = 4;
    const StationList s = stationsFromTable(readFieldDataText("a\nb\nc\n0 0 1 5\n3 4 2 7\n").value(), xy);
    EXPECT_EQ(s.x, (std::vector<double>{0, 5}));
    EXPECT_EQ(s.h, (std::vector<double>{5, 7}));
}

namespace {

// A model of five stations over one triangle, saved as a model file.
std::string fiveStationModel(const double (&heights)[5])
{
    Workspace src;
    Model& m = src.model;
    m.NumStations = 5;
    for (int i = 1; i <= 5; ++i) {
        m.StationX[i] = i - 1;
        m.StationHeight[i] = heights[i - 1];
    }
    m.NumBodies = 1;
    Tbody& b = m.Bodies[1];
    b.NumCorners = 4;
    const double c[][2] = {{0, 1}, {2, 1}, {1, 3}, {0, 1}};
    for (int k = 1; k <= 4; ++k) {
        b.CornerX[k] = c[k - 1][0];
        b.CornerZ[k] = c[k - 1][1];
    }
    b.Density = 0.5;
    b.StrikeLength1 = b.StrikeLength2 = 10;
    const auto out = modelFileBytes(src);
    EXPECT_TRUE(out) << out.message();
    return out.value_or("");
}

}  // namespace

TEST(ElevationItems, SavedLoadedAndSavedAgainAlikeWithBadLinesReported)
{
    const std::string bytes = fiveStationModel({0, 0.1, 0, -1234.5678901234567, 0});
    EXPECT_NE(bytes.find("\r\nelevation 2 0.1\r\nelevation 4 -1234.5678901234567\r\n"), std::string::npos);

    Workspace ws;
    ws.model.StationHeight[3] = 50;   // a height of the model before goes
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");
    const double expected[] = {0, 0.1, 0, -1234.5678901234567, 0};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(ws.model.StationHeight[i], expected[i - 1]) << i;
    // The bodies were calculated where the stations stand.
    Workspace again;
    ASSERT_EQ(loadModelBytes(again, bytes).message(), "");
    again.model.RecalculateModel();
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(ws.model.CalculatedGravity[i], again.model.CalculatedGravity[i]) << i;
    EXPECT_EQ(modelFileBytes(ws).value_or(""), bytes);

    // Lines that name no station or no number are reported; the others hold.
    const std::string flat = fiveStationModel({0, 0, 0, 0, 0});
    const std::string block = "\r\n#CORVANE-EXTRAS 1\r\nelevation 6 1\r\nelevation 0 1\r\nelevation 2 nan\r\n"
                              "elevation 2.0 1\r\nelevation 3 7\r\n#END\r\n";
    Workspace bad;
    std::vector<std::string> notes;
    ASSERT_EQ(loadModelBytes(bad, flat + block, &notes).message(), "");
    EXPECT_EQ(notes.size(), 4u);
    EXPECT_NE(std::find(notes.begin(), notes.end(), "Line 2 of the extras could not be read: there is no station 6."),
              notes.end());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(bad.model.StationHeight[i], i == 3 ? 7 : 0) << i;
}

TEST(ElevationItems, AModelFileLoadedOverRaisedStationsPutsThemOnTheDatum)
{
    Workspace ws;
    std::string bytes;
    {
        Workspace src;
        src.model.NumStations = 3;
        src.model.NumBodies = 1;
        Tbody& b = src.model.Bodies[1];
        b.NumCorners = 4;
        const double c[][2] = {{0, 1}, {2, 1}, {1, 3}, {0, 1}};
        for (int k = 1; k <= 4; ++k) {
            b.CornerX[k] = c[k - 1][0];
            b.CornerZ[k] = c[k - 1][1];
        }
        b.Density = 0.5;
        b.StrikeLength1 = b.StrikeLength2 = 10;
        const auto out = modelFileBytes(src);
        ASSERT_TRUE(out) << out.message();
        bytes = *out;
    }
    ws.model.StationHeight[2] = 50;
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");
    for (int i = 1; i <= MaxStations; ++i)
        ASSERT_EQ(ws.model.StationHeight[i], 0) << i;
}
