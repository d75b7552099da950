// Grids sampled along the profile line: exact on planes in every format,
// bicubic exact on quadratics, no-data and off-grid stations left out and
// counted, grids in another system reached through PROJ, and a huge grid
// read only near the line.
#include "map/grid_sampling.h"
#include "map_grids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace corvane::map {
namespace {

// The grids go with the test program.
class Scratch : public testing::Environment {
public:
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(test::scratch(), ec);
    }
};
const testing::Environment* const scratch = testing::AddGlobalTestEnvironment(new Scratch);

using test::GridSpec;
using test::makeGrid;

constexpr double West = 500000, North = 6004000;   // 50 x 40 cells of 100 m, EPSG:32633

double plane(double e, double n) { return 100 + 0.002 * (e - West) - 0.003 * (n - North); }

ProfileLine utmLine(double e1, double n1, double e2, double n2, bool km = true)
{
    auto line = ProfileLine::make({e1, n1, e2, n2, "EPSG:32633"}, km);
    EXPECT_TRUE(line) << line.error;
    return line.value;
}

TEST(GridSampling, StationPositionsBySpacingOrCount)
{
    const struct {
        double length;
        SampleOptions options;
        std::vector<double> xs;
        const char* error;
    } cases[] = {
        {10, {2.5, 0}, {0, 2.5, 5, 7.5, 10}, ""},
        {10, {3, 0}, {0, 3, 6, 9}, ""},
        {10, {0, 3}, {0, 5, 10}, ""},
        {10, {0.001, 0}, {}, "A profile holds at most 4096 stations: the spacing must be wider."},
        {10, {0, 1}, {}, "The number of stations must be from 2 to 4096."},
        {10, {0, 4097}, {}, "The number of stations must be from 2 to 4096."},
    };
    for (const auto& c : cases) {
        const auto xs = stationPositions(c.length, c.options);
        EXPECT_EQ(xs.error, c.error);
        EXPECT_EQ(xs.value, c.xs);
    }
}

TEST(GridSampling, ExactOnAPlaneInEveryFormat)
{
    const struct {
        const char* driver;
        const char* file;
        const char* crs;
        double tolerance;   // the format's own precision
    } formats[] = {
        {"GTiff", "plane.tif", "EPSG:32633", 1e-9},
        {"AAIGrid", "plane.asc", "EPSG:32633", 1e-4},   // read as floats
        {"netCDF", "plane.nc", "EPSG:32633", 1e-9},
        {"GSBG", "plane.grd", "", 1e-4},   // Surfer: floats, no system (taken as the line's)
    };
    const ProfileLine line = utmLine(500300, 6000300, 504700, 6003700);
    for (const auto& f : formats) {
        SCOPED_TRACE(f.driver);
        if (!GetGDALDriverManager()->GetDriverByName(f.driver) && std::string(f.driver) == "netCDF")
            continue;   // a GDAL built without netCDF
        GridSpec g{f.driver, f.file, f.crs, West, North, 100, 50, 40, plane, {}};
        const std::string path = makeGrid(g);
        ASSERT_FALSE(path.empty());
        for (Interpolation method : {Interpolation::Bilinear, Interpolation::Bicubic}) {
            const auto s = sampleGrid(path, line, {0, 25, method});
            ASSERT_TRUE(s) << s.error;
            ASSERT_EQ(s.value.stations.size(), 25u);
            EXPECT_EQ(s.value.noData + s.value.outside, 0);
            for (const GridStation& st : s.value.stations) {
                const MapPoint p = line.at(st.x);
                EXPECT_NEAR(st.value, plane(p.E, p.N), f.tolerance) << st.x;
            }
        }
    }
}

TEST(GridSampling, BicubicIsExactOnAQuadraticWhereBilinearIsNot)
{
    auto quadratic = [](double e, double n) {
        const double u = (e - 502500) / 1000, v = (n - 6002000) / 1000;
        return u * u - 2 * u * v + 3 * v * v + u;
    };
    const std::string path = makeGrid({"GTiff", "quadratic.tif", "EPSG:32633", West, North, 100, 50, 40, quadratic, {}});
    const ProfileLine line = utmLine(500330, 6000420, 504610, 6003590);
    double worst[2] = {0, 0};
    for (Interpolation method : {Interpolation::Bilinear, Interpolation::Bicubic}) {
        const auto s = sampleGrid(path, line, {0, 40, method});
        ASSERT_TRUE(s) << s.error;
        ASSERT_EQ(s.value.stations.size(), 40u);
        for (const GridStation& st : s.value.stations) {
            const MapPoint p = line.at(st.x);
            worst[method == Interpolation::Bicubic] =
                std::max(worst[method == Interpolation::Bicubic], std::fabs(st.value - quadratic(p.E, p.N)));
        }
    }
    EXPECT_GT(worst[0], 1e-3);
    EXPECT_LT(worst[1], 1e-9);
}

TEST(GridSampling, NoDataAndOffTheGridAreLeftOutAndCounted)
{
    // Row 20 of the grid, stations on the cell centres from column 0 on,
    // 100 m apart, five of them past the east edge.
    const int row = 20;
    const double n = North - (row + 0.5) * 100;
    GridSpec g{"GTiff", "holes.tif", "EPSG:32633", West, North, 100, 50, 40, plane, {{3, row}, {10, row}, {11, row + 1}}};
    const std::string path = makeGrid(g);
    for (bool km : {false, true}) {
        const ProfileLine line = utmLine(West + 50, n, West + 5450, n, km);
        const auto s = sampleGrid(path, line, {km ? 0.1 : 100, 0});
        ASSERT_TRUE(s) << s.error;
        EXPECT_EQ(s.value.outside, 5);
        EXPECT_EQ(s.value.noData, 2);   // the cell below a station's is not used
        ASSERT_EQ(s.value.stations.size(), 48u);
        EXPECT_NEAR(s.value.stations[3].x, km ? 0.4 : 400, 1e-9);
        for (const GridStation& st : s.value.stations)
            EXPECT_NEAR(st.value, plane(line.at(st.x).E, n), 1e-7);
    }
    // A station between the hole's centre and its neighbour's needs it.
    const ProfileLine between = utmLine(West + 300, n, West + 400, n);
    const auto s = sampleGrid(path, between, {0, 3});
    ASSERT_TRUE(s) << s.error;
    EXPECT_EQ(s.value.noData, 3);
}

TEST(GridSampling, GridInLongitudeAndLatitudeSampledAlongAUtmLine)
{
    auto lonLatPlane = [](double lon, double lat) { return 10 + 3 * (lon - 16) - 2 * (lat - 50); };
    const std::string path =
        makeGrid({"GTiff", "geographic.tif", "EPSG:4326", 15.5, 50.5, 0.01, 100, 100, lonLatPlane, {}});
    OGRSpatialReference utm, geo;
    utm.SetFromUserInput("EPSG:32633");
    geo.SetFromUserInput("EPSG:4326");
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geo.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toUtm(OGRCreateCoordinateTransformation(&geo, &utm));
    std::unique_ptr<OGRCoordinateTransformation> toGeo(OGRCreateCoordinateTransformation(&utm, &geo));
    double e[2] = {15.7, 16.3}, n[2] = {49.8, 50.2};
    ASSERT_TRUE(toUtm->Transform(2, e, n));
    const ProfileLine line = utmLine(e[0], n[0], e[1], n[1]);
    const auto s = sampleGrid(path, line, {0, 30});
    ASSERT_TRUE(s) << s.error;
    ASSERT_EQ(s.value.stations.size(), 30u);
    for (const GridStation& st : s.value.stations) {
        MapPoint p = line.at(st.x);
        ASSERT_TRUE(toGeo->Transform(1, &p.E, &p.N));
        EXPECT_NEAR(st.value, lonLatPlane(p.E, p.N), 1e-9);
    }
}

TEST(GridSampling, AHugeGridIsReadOnlyNearTheLine)
{
    // 100,000 x 100,000 cells of 10 m (40 GB as it stands), sparse: only the
    // cells around the stations hold values, the rest is no-data on no disk.
    const int size = 100000;
    const double west = 200000, north = 7000000, cell = 10;
    const std::string path = (test::scratch() / "huge.tif").string();
    const ProfileLine line = utmLine(210000, 6010000, 1190000, 6990000);
    const int count = 9;
    {
        const char* options[] = {"TILED=YES", "BLOCKXSIZE=256", "BLOCKYSIZE=256", "SPARSE_OK=TRUE", "BIGTIFF=YES",
                                 nullptr};
        GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        GDALDatasetUniquePtr ds(gtiff->Create(path.c_str(), size, size, 1, GDT_Float64, const_cast<char**>(options)));
        ASSERT_TRUE(ds);
        double gt[6] = {west, cell, 0, north, 0, -cell};
        ds->SetGeoTransform(gt);
        OGRSpatialReference srs;
        srs.SetFromUserInput("EPSG:32633");
        ds->SetSpatialRef(&srs);
        GDALRasterBand* band = ds->GetRasterBand(1);
        band->SetNoDataValue(test::GridNoData);
        for (int i = 0; i < count; ++i) {
            const MapPoint p = line.at(line.length() * i / (count - 1));
            const int c = static_cast<int>((p.E - west) / cell) - 4, r = static_cast<int>((north - p.N) / cell) - 4;
            double v[64];
            for (int k = 0; k < 64; ++k)
                v[k] = plane(west + (c + k % 8 + 0.5) * cell, north - (r + k / 8 + 0.5) * cell);
            ASSERT_EQ(band->RasterIO(GF_Write, c, r, 8, 8, v, 8, 8, GDT_Float64, 0, 0, nullptr), CE_None);
        }
    }
    ASSERT_LT(std::filesystem::file_size(path), 20u << 20);
    GDALSetCacheMax64(64 << 20);
    const GIntBig before = GDALGetCacheUsed64();
    const auto s = sampleGrid(path, line, {0, count});
    ASSERT_TRUE(s) << s.error;
    ASSERT_EQ(s.value.stations.size(), static_cast<std::size_t>(count));
    for (const GridStation& st : s.value.stations)
        EXPECT_NEAR(st.value, plane(line.at(st.x).E, line.at(st.x).N), 1e-7);
    EXPECT_LE(s.value.pixelsRead, 4u * count);
    // GDAL held the blocks of the stations, no more: a few tiles each.
    EXPECT_LT(GDALGetCacheUsed64() - before, static_cast<GIntBig>(4 * count) * 256 * 256 * 8);
}

}  // namespace
}  // namespace corvane::map
