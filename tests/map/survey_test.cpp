// Scattered stations projected onto the profile line: x along it, offset from
// it, the distance cut and the ends, in profile order; a survey file in
// another system is carried into the line's first.
#include "map/survey.h"
#include "map/survey_file.h"
#include "map_grids.h"

#include <ogrsf_frmts.h>

namespace corvane::map {
namespace {

// Eastwards for 10 km: offsets are positive to the north.
ProfileLine eastwards(bool km)
{
    return ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, km).value;
}

TEST(Survey, StationsProjectedOntoTheLineWithinTheDistance)
{
    const std::vector<SurveyPoint> points = {
        {505000, 5999500, 2, 130.0}, {502000, 6000300, 1, {}}, {507000, 6001200, 3, {}},
        {511000, 6000100, 4, {}},    {499000, 6000000, 5, {}}, {509000, 5999001, 6, {}},
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
        const auto p = projectSurvey(points, eastwards(true), c.options);
        ASSERT_TRUE(p) << p.error;
        EXPECT_EQ(p.value.tooFar, c.tooFar);
        EXPECT_EQ(p.value.beyondEnds, c.beyond);
        ASSERT_EQ(p.value.stations.size(), c.x.size());
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(p.value.stations[i].x, c.x[i], 1e-9);
            EXPECT_NEAR(p.value.stations[i].offset, c.offset[i], 1e-9);
            EXPECT_EQ(p.value.stations[i].value, c.value[i]);
            EXPECT_EQ(p.value.stations[i].elevation.has_value(), c.value[i] == 2);   // it travels with its station
        }
    }
    EXPECT_EQ(projectSurvey(points, eastwards(true), {-1, false, {}}).error,
              "The distance from the line must be a number not below 0.");
}

TEST(Survey, ASurveyFileInLongitudeAndLatitudeIsCarriedOntoAUtmLine)
{
    double e[3] = {503000, 504000, 505000}, n[3] = {6000200, 5998000, 6000000};
    test::transform("EPSG:32633", "EPSG:4326", e, n, 3);
    // A GeoPackage of three points, the last without its value.
    const std::string path = (test::scratch() / "survey.gpkg").string();
    GDALDatasetUniquePtr ds(GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference geo;
    geo.SetFromUserInput("EPSG:4326");
    OGRLayer* l = ds->CreateLayer("survey", &geo, wkbPoint, nullptr);
    OGRFieldDefn g("gravity", OFTReal), h("elev", OFTReal);
    l->CreateField(&g), l->CreateField(&h);
    for (int i = 0; i < 3; ++i) {
        OGRFeature f(l->GetLayerDefn());
        OGRPoint p(e[i], n[i]);
        f.SetGeometry(&p), f.SetField("elev", 100.0 * i);
        if (i < 2)
            f.SetField("gravity", 7.0 + i);
        ASSERT_EQ(l->CreateFeature(&f), OGRERR_NONE);
    }
    ds.reset();
    const auto file = readSurveyFile(path, "gravity", "elev");
    ASSERT_TRUE(file) << file.error;
    EXPECT_EQ(file.value.skipped, 1);
    EXPECT_EQ(readSurveyFile(path, "bouguer").error,
              "The survey \"" + path + "\" cannot be read: it has no attribute \"bouguer\".");
    const auto p = projectSurvey(file.value.points, eastwards(false), {500, false, file.value.crs});
    ASSERT_EQ(p.value.stations.size(), 1u);
    EXPECT_EQ(p.value.tooFar, 1);
    EXPECT_NEAR(p.value.stations[0].x, 3000, 1e-6);   // metres: the model's unit
    EXPECT_NEAR(p.value.stations[0].offset, 200, 1e-6);
    EXPECT_EQ(p.value.stations[0].elevation, 0.0);
}

}  // namespace
}  // namespace corvane::map
