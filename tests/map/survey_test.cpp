// Scattered stations projected onto the profile line: x along it, offset from
// it, the distance cut and the ends, in profile order; a survey in another
// system is carried into the line's first.
#include "map/survey.h"

#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <memory>

namespace corvane::map {
namespace {

TEST(Survey, StationsProjectedOntoTheLineWithinTheDistance)
{
    // The line runs east for 10 km; offsets are positive to the north.
    const auto line = ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, true);
    ASSERT_TRUE(line) << line.error;
    const std::vector<SurveyPoint> points = {
        {505000, 5999500, 2.0, 130.0}, {502000, 6000300, 1.0, std::nullopt}, {507000, 6001200, 3.0, {}},
        {511000, 6000100, 4.0, {}},    {499000, 6000000, 5.0, {}},           {509000, 5999001, 6.0, {}},
    };
    const struct {
        SurveyOptions options;
        std::vector<double> x, offset, value;
        int tooFar, beyond;
    } cases[] = {
        {{1.0, false, {}}, {2, 5, 9}, {0.3, -0.5, -0.999}, {1, 2, 6}, 1, 2},
        {{1.0, true, {}}, {-1, 2, 5, 9, 11}, {0, 0.3, -0.5, -0.999, 0.1}, {5, 1, 2, 6, 4}, 1, 0},
        {{0.4, false, {}}, {2}, {0.3}, {1}, 3, 2},
        {{2.0, false, {}}, {2, 5, 7, 9}, {0.3, -0.5, 1.2, -0.999}, {1, 2, 3, 6}, 0, 2},
    };
    for (const auto& c : cases) {
        const auto p = projectSurvey(points, line.value, c.options);
        ASSERT_TRUE(p) << p.error;
        EXPECT_EQ(p.value.tooFar, c.tooFar);
        EXPECT_EQ(p.value.beyondEnds, c.beyond);
        ASSERT_EQ(p.value.stations.size(), c.x.size());
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(p.value.stations[i].x, c.x[i], 1e-9);
            EXPECT_NEAR(p.value.stations[i].offset, c.offset[i], 1e-9);
            EXPECT_EQ(p.value.stations[i].value, c.value[i]);
        }
    }
    const auto withHeights = projectSurvey(points, line.value, {1.0, false, {}});
    EXPECT_EQ(withHeights.value.stations[1].elevation, 130.0);   // it travels with its station
    EXPECT_FALSE(withHeights.value.stations[0].elevation);
    const auto negative = projectSurvey(points, line.value, {-1, false, {}});
    EXPECT_EQ(negative.error, "The distance from the line must be a number not below 0.");
}

TEST(Survey, ASurveyInLongitudeAndLatitudeIsCarriedOntoAUtmLine)
{
    OGRSpatialReference utm, geo;
    utm.SetFromUserInput("EPSG:32633");
    geo.SetFromUserInput("EPSG:4326");
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geo.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toGeo(OGRCreateCoordinateTransformation(&utm, &geo));
    double e[2] = {503000, 504000}, n[2] = {6000200, 5998000};
    ASSERT_TRUE(toGeo->Transform(2, e, n));
    const auto line = ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, false);
    ASSERT_TRUE(line) << line.error;
    auto wgs84 = Crs::fromText("EPSG:4326");
    ASSERT_TRUE(wgs84);
    const auto p = projectSurvey({{e[0], n[0], 7, {}}, {e[1], n[1], 8, {}}}, line.value, {500, false, wgs84.value});
    ASSERT_TRUE(p) << p.error;
    ASSERT_EQ(p.value.stations.size(), 1u);
    EXPECT_EQ(p.value.tooFar, 1);
    EXPECT_NEAR(p.value.stations[0].x, 3000, 1e-6);   // metres: the model's unit
    EXPECT_NEAR(p.value.stations[0].offset, 200, 1e-6);
}

}  // namespace
}  // namespace corvane::map
