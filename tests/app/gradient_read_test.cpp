// "Read in gradient data": the stations placed on the profile and the
// message after the reading.
#include "app/gradient_read.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(GradientRead, StationsArePlacedOnTheProfile)
{
    auto read = [](std::vector<std::pair<double, double>> en) {
        GradientRead r;
        r.eastNorth = true;
        for (std::size_t i = 0; i < en.size(); ++i) {
            r.stations.push_back({en[i].first, 0, {.zz = static_cast<double>(i)}, {}});   // zz: which station
            r.north.push_back(en[i].second);
        }
        return r;
    };
    GradientRead positions = read({{5, 0}, {2, 0}});
    positions.eastNorth = false;   // read with a position column
    const ProfileLineRecord eastWest{1000, 2000, 3000, 2000, "-"};   // 2 km towards the east, map in metres
    struct Case {
        GradientRead read;
        std::optional<ProfileLineRecord> line;
        bool km;
        std::vector<double> x, station;
        int tooFar, outside;
    };
    const Case cases[] = {
        {positions, eastWest, true, {5, 2}, {0, 1}, 0, 0},
        // 600 m off the line is too far; one before its start is kept.
        {read({{1500, 2050}, {2500, 1800}, {2000, 2600}, {500, 2000}}), eastWest, true, {-0.5, 0.5, 1.5}, {3, 0, 1}, 1, 0},
        {read({{1500, 2050}, {2000, 2600}}), eastWest, false, {500}, {0}, 1, 0},
        // No line: distances from the first station.
        {read({{10, 20}, {13, 24}, {4, 12}}), std::nullopt, true, {0, 5, 10}, {0, 1, 2}, 0, 0},
        {read({{0, 0}, {2e9, 0}}), std::nullopt, true, {0}, {0}, 0, 1},
    };
    for (const Case& c : cases) {
        auto m = makeModel();
        m->ProfileLine = c.line;
        m->UnitsKm = c.km;
        const GradientPlacement p = placeGradientStations(c.read, *m, c.km ? 0.25 : 250);
        EXPECT_EQ(p.error, "");
        ASSERT_EQ(p.stations.size(), c.x.size());
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(p.stations[i].x, c.x[i], 1e-9) << i;
            EXPECT_EQ(p.stations[i].observed.zz, c.station[i]) << i;
        }
        EXPECT_EQ(p.tooFar, c.tooFar);
        EXPECT_EQ(p.outside, c.outside);
    }

    // The message after the reading.
    GradientPlacement p;
    p.stations.resize(4);
    EXPECT_EQ(gradientReadText(p, 0.25, true, ""), "4 gradient stations were read.");
    p.tooFar = 1;
    p.outside = 2;
    EXPECT_EQ(gradientReadText(p, 250, false, "1 line of the gradient data was skipped (line 4)."),
              "4 gradient stations were read. 1 was left out: farther than 250 m from the profile line. 2 were left "
              "out: beyond the positions a model holds. 1 line of the gradient data was skipped (line 4).");
}
