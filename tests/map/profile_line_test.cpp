// The profile line on the map: distances along it and from it in the model's
// unit, its azimuth from true north with the grid convergence, and the
// systems it refuses.
#include "map/profile_line.h"

#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace corvane::map {
namespace {

constexpr double Deg = std::numbers::pi / 180;

// Longitude and latitude of a point of a system, and back, through OGR (a
// path apart from the code under test).
struct Ogr {
    OGRSpatialReference map, geo;
    std::unique_ptr<OGRCoordinateTransformation> toGeo, fromGeo;
    explicit Ogr(const char* crs)
    {
        map.SetFromUserInput(crs);
        geo.CopyGeogCSFrom(&map);
        map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        geo.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        toGeo.reset(OGRCreateCoordinateTransformation(&map, &geo));
        fromGeo.reset(OGRCreateCoordinateTransformation(&geo, &map));
    }
};

TEST(ProfileLine, DistancesAlongAndFromTheLineInTheModelsUnit)
{
    struct Case {
        const char* crs;
        bool km;
        double e1, n1, e2, n2;
        double metresPerMapUnit;
    };
    const Case cases[] = {
        {"EPSG:32633", true, 500000, 6000000, 503000, 6004000, 1},   // 5 km, 3-4-5
        {"EPSG:32633", false, 500000, 6000000, 497000, 5996000, 1},
        {"EPSG:2263", true, 1000000, 200000, 1030000, 240000, 0.3048006096012192},   // US survey feet
        {"-", false, 10, 20, 13, 24, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.crs);
        const auto line = ProfileLine::make({c.e1, c.n1, c.e2, c.n2, c.crs}, c.km);
        ASSERT_TRUE(line) << line.error;
        const double unit = c.metresPerMapUnit / (c.km ? 1000 : 1);
        const double mapLength = std::hypot(c.e2 - c.e1, c.n2 - c.n1);
        EXPECT_NEAR(line.value.length(), mapLength * unit, 1e-9 * mapLength);
        // A point a quarter along and 0.1 of the length to the left.
        const double x = line.value.length() / 4, off = line.value.length() / 10;
        const MapPoint p = line.value.at(x, off);
        const double ux = (c.e2 - c.e1) / mapLength, uy = (c.n2 - c.n1) / mapLength;
        EXPECT_NEAR(p.E, c.e1 + (x * ux - off * uy) / unit, 1e-6);
        EXPECT_NEAR(p.N, c.n1 + (x * uy + off * ux) / unit, 1e-6);
        EXPECT_NEAR(line.value.xOf(p), x, 1e-9 * mapLength);
        EXPECT_NEAR(line.value.offsetOf(p), off, 1e-9 * mapLength);
        EXPECT_NEAR(line.value.xOf(line.value.end()), line.value.length(), 1e-9 * mapLength);
    }
}

TEST(ProfileLine, AzimuthIsTheGridBearingTurnedByTheConvergenceAtTheMidpoint)
{
    struct Case {
        const char* crs;
        double lon, lat;       // the line's midpoint
        double gridBearing;    // of the line
    };
    const Case cases[] = {
        {"EPSG:32633", 17, 60, 90},     // east of the central meridian, north: positive
        {"EPSG:32633", 12.5, 45, 30},   // west of it: negative
        {"EPSG:32733", 17, -30, 200},   // south: the sign turns
        {"EPSG:32633", 15, 50, 300},    // on the central meridian: none
        {"EPSG:3035", 25, 62, 135},     // Lambert azimuthal equal area, northing first
        {"EPSG:2263", -73, 40.8, 45},   // Lambert conformal conic in US survey feet
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.crs << " " << c.lon << " " << c.lat);
        Ogr ogr(c.crs);
        double e = c.lon, n = c.lat;
        ASSERT_TRUE(ogr.fromGeo->Transform(1, &e, &n));
        const double half = 2000, b = c.gridBearing * Deg;
        const ProfileLineRecord r{e - half * std::sin(b), n - half * std::cos(b), e + half * std::sin(b),
                                  n + half * std::cos(b), c.crs};
        const auto line = ProfileLine::make(r, true);
        ASSERT_TRUE(line) << line.error;
        // True north's grid bearing from a step along the meridian: minus the convergence.
        double e2 = c.lon, n2 = c.lat + 1e-6;
        ASSERT_TRUE(ogr.fromGeo->Transform(1, &e2, &n2));
        const double convergence = -std::atan2(e2 - e, n2 - n) / Deg;
        EXPECT_NEAR(line.value.convergence(), convergence, 1e-6);
        EXPECT_NEAR(line.value.gridBearing(), c.gridBearing, 1e-9);
        EXPECT_NEAR(line.value.azimuth(), std::fmod(c.gridBearing + convergence + 360, 360), 1e-6);
    }
    // The textbook series for transverse Mercator at 17 E, 60 N (zone 33,
    // central meridian 15 E): dl sin(phi) (1 + dl^2 cos^2(phi) (1 + 3 eta^2) / 3).
    const double dl = 2 * Deg, phi = 60 * Deg, eta2 = 0.00673949674228 * std::pow(std::cos(phi), 2);
    const double series = dl * std::sin(phi) * (1 + dl * dl * std::pow(std::cos(phi), 2) * (1 + 3 * eta2) / 3);
    Ogr ogr("EPSG:32633");
    double e = 17, n = 60;
    ASSERT_TRUE(ogr.fromGeo->Transform(1, &e, &n));
    const auto line = ProfileLine::make({e - 1000, n, e + 1000, n, "EPSG:32633"}, true);
    ASSERT_TRUE(line) << line.error;
    EXPECT_NEAR(line.value.convergence(), series / Deg, 1e-5);
    EXPECT_NEAR(line.value.azimuth(), 90 + series / Deg, 1e-5);
}

TEST(ProfileLine, RefusesWhatGivesNoDistancesOnTheMap)
{
    const struct {
        ProfileLineRecord record;
        const char* error;
    } cases[] = {
        {{0, 0, 1, 1, "EPSG:999999"}, "The coordinate system \"EPSG:999999\" is not known."},
        {{10, 50, 11, 51, "EPSG:4326"},
         "The profile line needs a projected coordinate system: distances along it are taken on the map."},
        {{500000, 6000000, 500000, 6000000, "EPSG:32633"}, "The profile line's end points must differ."},
        {{0, 0, 1, 1, "EPSG:5773"}, "The coordinate system \"EPSG:5773\" is not one of map coordinates."},
    };
    for (const auto& c : cases) {
        const auto line = ProfileLine::make(c.record, true);
        EXPECT_FALSE(line);
        EXPECT_EQ(line.error, c.error);
    }
}

TEST(ProfileLine, PlacingTheProfileSetsTheMagneticAzimuth)
{
    auto m = makeModel();
    m->NumStations = 2;
    m->NumBodies = 1;
    Tbody& b = m->Bodies[1];
    b.NumCorners = 4;
    b.setCorner(1, 1, 1), b.setCorner(2, 2, 1), b.setCorner(3, 1.5, 2);
    b.StrikeLength1 = b.StrikeLength2 = 10;
    b.Susceptibility = 0.05;
    m->Mag.Num = 3;
    for (int i = 1; i <= 3; ++i)
        m->Mag.X[i] = i;
    auto same = makeModel();
    *same = *m;
    const ProfileLineRecord northEast{500000, 6000000, 503000, 6003000, "EPSG:32633"};
    const auto placed = placeProfile(*m, northEast);
    ASSERT_TRUE(placed) << placed.error;
    EXPECT_EQ(m->ProfileLine, northEast);
    EXPECT_NEAR(m->Mag.FieldAzimuth, 45 + placed.value.convergence(), 1e-9);
    same->Mag.FieldAzimuth = m->Mag.FieldAzimuth;
    same->RecalculateMagnetic();
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(m->Mag.Calculated[i], same->Mag.Calculated[i]);
    // A line that cannot be made changes nothing.
    EXPECT_FALSE(placeProfile(*m, {0, 0, 0, 0, "EPSG:32633"}));
    EXPECT_EQ(m->ProfileLine, northEast);
    EXPECT_EQ(m->Mag.FieldAzimuth, same->Mag.FieldAzimuth);
}

}  // namespace
}  // namespace corvane::map
