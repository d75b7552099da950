#include "model/airborne.h"
#include "model/ground.h"

#include "support/bodies.h"

#include <gtest/gtest.h>

using namespace corvane;

// Runs of magnetic stations above the ground (the datum, or the line through
// the gravity stations' heights at 0, 50, 100); a station on or under the
// ground breaks the line, and a lone airborne station makes none.
TEST(Airborne, RunsOfStationsAboveTheGroundInPositionOrder)
{
    using Runs = std::vector<std::vector<double>>;
    const struct {
        const char* name;
        std::vector<double> ground;
        std::vector<std::pair<double, double>> stations;   // x, height
        Runs runs;
    } cases[] = {
        {"flown, listed out of order", {0, 0, 0}, {{100, 0.3}, {0, 0.3}, {50, 0.3}}, {{0, 50, 100}}},
        {"landed, and a lone one", {0, 0, 0}, {{0, 0.3}, {25, 0.3}, {50, 0}, {75, 0.2}, {90, 0}, {100, 0.2}}, {{0, 25}}},
        {"under a ridge", {0, 0.4, 0}, {{0, 0.3}, {10, 0.3}, {50, 0.3}, {90, 0.3}, {100, 0.3}}, {{0, 10}, {90, 100}}},
        {"on the ground", {0.1, 0.2, 0.3}, {{0, 0.1}, {25, 0.15}, {50, 0.2}}, {}},
        {"over a low ground", {-0.5, -0.5, -0.5}, {{0, -0.2}, {100, -0.2}}, {{0, 100}}},
    };
    for (const auto& c : cases) {
        auto m = makeModel();
        test::setStations(*m, 3, 0, 100);
        for (int i = 1; i <= 3; ++i)
            m->StationHeight[i] = c.ground[i - 1u];
        m->Mag.Num = static_cast<int>(c.stations.size());
        for (int i = 1; i <= m->Mag.Num; ++i)
            std::tie(m->Mag.X[i], m->Mag.Height[i]) = c.stations[i - 1u];
        Runs got;
        for (const auto& run : airborneRuns(*m))
            for (std::size_t k = 0; k < run.size(); ++k)
                (k == 0 ? got.emplace_back() : got.back()).push_back(run[k].x);
        EXPECT_EQ(got, c.runs) << c.name;
        // The section shown starts above the highest station, flown or not.
        double top = 0;
        for (int i = 1; i <= m->Mag.Num; ++i)
            top = std::max({top, m->Mag.Height[i], m->StationHeight[std::min(i, 3)]});
        EXPECT_LT(sectionTop(*m, 10), -top) << c.name;
    }
}
