// Station heights read from field data and kept as extras items.
#include "display/workspace.h"
#include "io/elevation.h"
#include "io/field_data.h"
#include "io/model_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvane;

TEST(FieldDataHeights, HeightColumnOrOneHeightForEveryStation)
{
    // Three comment lines, then x, gravity, height; one line lacks its height
    // and one is out of order.
    const FieldDataTable t = readFieldDataText(
        "profile\nx g h\n--\n0 1.5 120\n20 2.5 80\n10 2.0\n30 3.0 95.5\n15 1.0 60\n");
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
    const StationList s = stationsFromTable(readFieldDataText("a\nb\nc\n0 0 1 5\n3 4 2 7\n"), xy);
    EXPECT_EQ(s.x, (std::vector<double>{0, 5}));
    EXPECT_EQ(s.h, (std::vector<double>{5, 7}));
}

TEST(ElevationItems, WrittenForRaisedStationsAndReadBackExactly)
{
    Model m;
    m.NumStations = 5;
    m.StationHeight[2] = 0.1;
    m.StationHeight[4] = -1234.5678901234567;
    m.StationHeight[6] = 9;   // beyond the stations: not written
    const std::string lines = elevationLines(m);
    EXPECT_EQ(lines, "elevation 2 0.1\nelevation 4 -1234.5678901234567\n");

    Model back;
    back.NumStations = 5;
    std::size_t at = 0;
    while (at < lines.size()) {
        const std::size_t eol = lines.find('\n', at);
        const std::string line = lines.substr(at, eol - at);
        const std::size_t a = line.find(' '), b = line.find(' ', a + 1);
        EXPECT_EQ(line.substr(0, a), ElevationKey);
        EXPECT_TRUE(readElevation(line.substr(a + 1, b - a - 1), line.substr(b + 1), back));
        at = eol + 1;
    }
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(back.StationHeight[i], m.StationHeight[i]) << i;

    struct Bad {
        const char* station;
        const char* height;
    };
    for (const Bad b : {Bad{"0", "1"}, Bad{"6", "1"}, Bad{"x", "1"}, Bad{"2", "nan"},
                        Bad{"2", "inf"}, Bad{"2", "1.5m"}, Bad{"2.0", "1"}, Bad{"", "1"}}) {
        Model one;
        one.NumStations = 5;
        EXPECT_FALSE(readElevation(b.station, b.height, one)) << b.station << " " << b.height;
        for (int i = 1; i <= MaxStations; ++i)
            ASSERT_EQ(one.StationHeight[i], 0);
    }
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
        std::string reason;
        const auto out = modelFileBytes(src, reason);
        ASSERT_TRUE(out) << reason;
        bytes = *out;
    }
    ws.model.StationHeight[2] = 50;
    ASSERT_EQ(loadModelBytes(ws, bytes), "");
    for (int i = 1; i <= MaxStations; ++i)
        ASSERT_EQ(ws.model.StationHeight[i], 0) << i;
}
