// The example grids cut along the line the examples' README gives: what the
// stations read is the anomaly of the field profile's true bodies, with the
// strike lengths the README gives them, to within the grids' noise.
#include "map/grid_sampling.h"
#include "model/gravity.h"
#include "model/magnetic.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace corvane;

namespace {

const std::filesystem::path examplesDir = std::filesystem::path(CORVANE_TEST_DATA) / ".." / ".." / "examples";

// The true model: basin and gabbro, strike lengths to the left (north-west)
// and right of the line.
void trueBodies(Model& m)
{
    test::setBody(m, 1, {{8.0, 0.05}, {33.0, 0.05}, {28.0, 1.2}, {21.0, 2.6}, {14.5, 3.6}, {10.5, 3.2}}, -0.35, 26, 100);
    test::setBody(m, 2, {{33.5, 2.8}, {37.5, 3.2}, {39.5, 6.5}, {36.5, 9.0}, {32.5, 7.0}}, 0.28, 100, 30);
    m.Bodies[2].Susceptibility = 0.04;
    m.NumBodies = 2;
}

}  // namespace

TEST(ExampleGrids, TheReadmeLineGivesTheTrueBodiesAnomaly)
{
    std::ifstream in(examplesDir / "README.md");
    std::ostringstream readme;
    readme << in.rdbuf();
    ASSERT_NE(readme.str().find("342000 5638000 380400 5666800"), std::string::npos);
    const auto line = map::ProfileLine::make({342000, 5638000, 380400, 5666800, "EPSG:32633"}, true);
    ASSERT_TRUE(line) << line.error;

    Model m;
    trueBodies(m);
    const struct {
        const char* grid;
        double noise;   // the noise the script adds
    } grids[] = {{"field_gravity.asc", 0.12}, {"field_magnetic.asc", 1.0}};
    for (const auto& [grid, noise] : grids) {
        SCOPED_TRACE(grid);
        map::SampleOptions options;
        options.count = 401;
        const auto s = map::sampleGrid((examplesDir / grid).string(), line.value, options);
        ASSERT_TRUE(s) << s.error;
        ASSERT_EQ(s.value.stations.size(), 401u);
        std::vector<double> x, want(401, 0.0), one(401);
        for (const map::GridStation& st : s.value.stations)
            x.push_back(st.x);
        const bool gravity = noise < 1;
        if (gravity) {
            for (int b = 1; b <= m.NumBodies; ++b) {
                bodyAnomaly(m.Bodies[b], x.data(), 401, true, one.data());
                for (int i = 0; i < 401; ++i)
                    want[i] += one[i] + (b == 1 ? -18.0 + 0.16 * x[i] : 0.0);
            }
        } else {
            // The field of the README, the azimuth the line gives.
            bodyMagnetic(m.Bodies[2], {49200, 66.5, 4.5, line.value.azimuth()}, x.data(), nullptr, 401, true,
                         want.data());
        }
        double sum = 0, squares = 0, largest = 0;
        for (int i = 0; i < 401; ++i) {
            const double d = s.value.stations[i].value - want[i];
            sum += d;
            squares += d * d;
            largest = std::max(largest, std::fabs(d));
        }
        // Interpolated between nodes the noise is a little smaller than at them.
        EXPECT_NEAR(sum / 401, 0.0, 0.25 * noise);
        EXPECT_LT(std::sqrt(squares / 401), 1.2 * noise);
        EXPECT_GT(std::sqrt(squares / 401), 0.4 * noise);
        EXPECT_LT(largest, 5 * noise);
    }
}
