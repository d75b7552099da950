#include "model/airborne.h"

#include "support/bodies.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvane;

namespace {

struct Station {
    double x, height;
};

std::vector<std::vector<double>> runXs(const Model& m)
{
    std::vector<std::vector<double>> out;
    for (const auto& run : airborneRuns(m)) {
        out.emplace_back();
        for (const SectionPoint& p : run)
            out.back().push_back(p.x);
    }
    return out;
}

}  // namespace

// Runs of magnetic stations above the ground, which is the datum or the
// line through the gravity stations' heights; a station on or under the
// ground breaks the line, and a lone airborne station makes no line.
TEST(Airborne, RunsOfStationsAboveTheGroundInPositionOrder)
{
    const struct {
        const char* name;
        std::vector<double> groundHeights;   // at gravity stations 0, 50, 100
        std::vector<Station> stations;
        std::vector<std::vector<double>> runs;
    } cases[] = {
        {"on the datum", {0, 0, 0}, {{0, 0}, {50, 0}, {100, 0}}, {}},
        {"flown over the datum", {0, 0, 0}, {{0, 0.3}, {50, 0.3}, {100, 0.3}}, {{0, 50, 100}}},
        {"listed out of order", {0, 0, 0}, {{100, 0.3}, {0, 0.3}, {50, 0.3}}, {{0, 50, 100}}},
        {"landed in the middle", {0, 0, 0}, {{0, 0.3}, {25, 0.3}, {50, 0}, {75, 0.2}, {100, 0.2}},
         {{0, 25}, {75, 100}}},
        {"a lone station above", {0, 0, 0}, {{0, 0.3}, {50, 0}, {100, 0}}, {}},
        // Ground rising to 0.4 at x = 50: a station 0.3 high there is under it.
        {"under a ridge", {0, 0.4, 0}, {{0, 0.3}, {10, 0.3}, {50, 0.3}, {90, 0.3}, {100, 0.3}},
         {{0, 10}, {90, 100}}},
        {"on the ground exactly", {0.1, 0.2, 0.3}, {{0, 0.1}, {25, 0.15}, {50, 0.2}}, {}},
        {"below the datum on a low ground", {-0.5, -0.5, -0.5}, {{0, -0.2}, {100, -0.2}}, {{0, 100}}},
    };
    for (const auto& c : cases) {
        auto m = makeModel();
        test::setStations(*m, 3, 0, 100);
        for (int i = 1; i <= 3; ++i)
            m->StationHeight[i] = c.groundHeights[static_cast<std::size_t>(i - 1)];
        m->Mag.Num = static_cast<int>(c.stations.size());
        for (int i = 1; i <= m->Mag.Num; ++i) {
            m->Mag.X[i] = c.stations[static_cast<std::size_t>(i - 1)].x;
            m->Mag.Height[i] = c.stations[static_cast<std::size_t>(i - 1)].height;
        }
        EXPECT_EQ(runXs(*m), c.runs) << c.name;
    }
}

TEST(Airborne, GroundPointsOnlyWhereStationsStandOffTheDatum)
{
    auto m = makeModel();
    test::setStations(*m, 3, 0, 100);
    EXPECT_TRUE(groundPoints(*m).empty());
    m->StationHeight[2] = 0.25;
    const std::vector<SectionPoint> g = groundPoints(*m);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[1].x, 50);
    EXPECT_EQ(g[1].z, -0.25);
    EXPECT_EQ(g[2].z, 0);
}
