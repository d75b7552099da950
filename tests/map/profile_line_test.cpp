// The profile line on the map: distances along and from it in the model's
// unit, its azimuth from true north with the grid convergence, the systems
// it refuses, and placing it sets the magnetic azimuth.
#include "map/profile_line.h"
#include "map_grids.h"

#include <cmath>
#include <numbers>

namespace corvane::map {
namespace {

constexpr double Deg = std::numbers::pi / 180;

TEST(ProfileLine, DistancesAlongAndFromTheLineInTheModelsUnit)
{
    const struct {
        ProfileLineRecord r;
        bool km;
        double metresPerMapUnit;
    } cases[] = {
        {{500000, 6000000, 503000, 6004000, "EPSG:32633"}, true, 1},
        {{500000, 6000000, 497000, 5996000, "EPSG:32633"}, false, 1},
        {{1000000, 200000, 1030000, 240000, "EPSG:2263"}, true, 0.3048006096012192},   // US survey feet
        {{10, 20, 13, 24, "-"}, false, 1},
    };
    for (const auto& c : cases) {
        const auto line = ProfileLine::make(c.r, c.km);
        ASSERT_TRUE(line) << line.error;
        const double unit = c.metresPerMapUnit / (c.km ? 1000 : 1), map = std::hypot(c.r.E2 - c.r.E1, c.r.N2 - c.r.N1);
        EXPECT_NEAR(line.value.length(), map * unit, 1e-9 * map);
        // A quarter along and a tenth of the length to the left.
        const double x = line.value.length() / 4, off = line.value.length() / 10;
        const double ux = (c.r.E2 - c.r.E1) / map, uy = (c.r.N2 - c.r.N1) / map;
        const MapPoint p = line.value.at(x, off);
        EXPECT_NEAR(p.E, c.r.E1 + (x * ux - off * uy) / unit, 1e-6);
        EXPECT_NEAR(p.N, c.r.N1 + (x * uy + off * ux) / unit, 1e-6);
        EXPECT_NEAR(line.value.xOf(p), x, 1e-9 * map);
        EXPECT_NEAR(line.value.offsetOf(p), off, 1e-9 * map);
    }
}

TEST(ProfileLine, AzimuthIsTheGridBearingTurnedByTheConvergenceAtTheMidpoint)
{
    const struct {
        const char *crs, *base;
        double lon, lat, gridBearing;   // the line's midpoint and bearing
    } cases[] = {
        {"EPSG:32633", "EPSG:4326", 17, 60, 90},     // east of the central meridian, north: positive
        {"EPSG:32633", "EPSG:4326", 12.5, 45, 30},   // west of it: negative
        {"EPSG:32733", "EPSG:4326", 17, -30, 200},   // south: the sign turns
        {"EPSG:32633", "EPSG:4326", 15, 50, 300},    // on the central meridian: none
        {"EPSG:3035", "EPSG:4258", 25, 62, 135},     // azimuthal, northing first
        {"EPSG:2263", "EPSG:4269", -73, 40.8, 45},   // conic, in US survey feet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.crs);
        double e[2] = {c.lon, c.lon}, n[2] = {c.lat, c.lat + 1e-6};
        test::transform(c.base, c.crs, e, n, 2);
        const double h = 2000, b = c.gridBearing * Deg;
        const auto line = ProfileLine::make(
            {e[0] - h * std::sin(b), n[0] - h * std::cos(b), e[0] + h * std::sin(b), n[0] + h * std::cos(b), c.crs},
            true);
        ASSERT_TRUE(line) << line.error;
        // True north's grid bearing is minus the convergence.
        const double convergence = -std::atan2(e[1] - e[0], n[1] - n[0]) / Deg;
        EXPECT_NEAR(line.value.convergence(), convergence, 1e-6);
        EXPECT_NEAR(line.value.azimuth(), std::fmod(c.gridBearing + convergence + 360, 360), 1e-6);
    }
    // The textbook series of transverse Mercator at 17 E, 60 N (zone 33,
    // central meridian 15 E): dl sin(phi) (1 + dl^2 cos^2(phi) (1 + 3 eta^2) / 3).
    const double dl = 2 * Deg, phi = 60 * Deg, c2 = std::pow(std::cos(phi), 2);
    const double series = dl * std::sin(phi) * (1 + dl * dl * c2 * (1 + 3 * 0.00673949674228 * c2) / 3) / Deg;
    double e = 17, n = 60;
    test::transform("EPSG:4326", "EPSG:32633", &e, &n);
    const auto line = ProfileLine::make({e - 1000, n, e + 1000, n, "EPSG:32633"}, true);
    EXPECT_NEAR(line.value.azimuth(), 90 + series, 1e-5);
}

TEST(ProfileLine, RefusesWhatGivesNoDistancesOnTheMap)
{
    const std::pair<ProfileLineRecord, const char*> cases[] = {
        {{0, 0, 1, 1, "EPSG:999999"}, "The coordinate system \"EPSG:999999\" is not known."},
        {{10, 50, 11, 51, "EPSG:4326"},
         "The profile line needs a projected coordinate system: distances along it are taken on the map."},
        {{5, 6, 5, 6, "EPSG:32633"}, "The profile line's end points must differ."},
        {{0, 0, 1, 1, "EPSG:5773"}, "The coordinate system \"EPSG:5773\" is not one of map coordinates."},
    };
    for (const auto& [record, error] : cases)
        EXPECT_EQ(ProfileLine::make(record, true).error, error);
}

TEST(ProfileLine, PlacingTheProfileSetsTheMagneticAzimuth)
{
    auto m = makeModel(), same = makeModel();
    Tbody& b = m->Bodies[1];
    b.NumCorners = 4, b.StrikeLength1 = b.StrikeLength2 = 10, b.Susceptibility = 0.05;
    b.setCorner(1, 1, 1), b.setCorner(2, 2, 1), b.setCorner(3, 1.5, 2);
    m->Mag.Num = 2, m->Mag.X[1] = 1, m->Mag.X[2] = 2;
    *same = *m;
    const ProfileLineRecord northEast{500000, 6000000, 503000, 6003000, "EPSG:32633"};
    const auto placed = placeProfile(*m, northEast);
    EXPECT_EQ(m->ProfileLine, northEast);
    EXPECT_NEAR(m->Mag.FieldAzimuth, 45 + placed.value.convergence(), 1e-9);
    same->Mag.FieldAzimuth = m->Mag.FieldAzimuth;
    same->RecalculateMagnetic();
    EXPECT_EQ(m->Mag.Calculated[2], same->Mag.Calculated[2]);   // and the anomaly with it
    EXPECT_FALSE(placeProfile(*m, {0, 0, 0, 0, "EPSG:32633"}));   // changes nothing
    EXPECT_EQ(m->ProfileLine, northEast);
}

}  // namespace
}  // namespace corvane::map
