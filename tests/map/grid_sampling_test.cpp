// Grids sampled along the profile line: exact on planes in every format,
// bicubic exact on quadratics, no-data and off-grid stations left out and
// counted, a grid in longitude and latitude reached through PROJ, and a huge
// grid read only near the line.
#include "map/grid_sampling.h"
#include "map_grids.h"

#include <cmath>

namespace corvane::map {
namespace {

using test::makeGrid;

constexpr double West = 500000, North = 6004000;   // 50 x 40 cells of 100 m in EPSG:32633

double plane(double e, double n) { return 100 + 0.002 * (e - West) - 0.003 * (n - North); }

ProfileLine utmLine(double e1, double n1, double e2, double n2, bool km = true)
{
    auto line = ProfileLine::make({e1, n1, e2, n2, "EPSG:32633"}, km);
    EXPECT_TRUE(line) << line.error;
    return line.value;
}

// Each station's value against f at its place (carried into the grid's
// system by to, when given).
void expectValues(const GridSamples& s, const ProfileLine& line, const std::function<double(double, double)>& f,
                  double tolerance, const char* to = nullptr)
{
    for (const GridStation& st : s.stations) {
        MapPoint p = line.at(st.x);
        if (to)
            test::transform("EPSG:32633", to, &p.E, &p.N);
        EXPECT_NEAR(st.value, f(p.E, p.N), tolerance) << st.x;
    }
}

TEST(GridSampling, StationPositionsBySpacingOrCount)
{
    const std::tuple<SampleOptions, std::vector<double>, const char*> cases[] = {
        {{3, 0}, {0, 3, 6, 9}, ""},
        {{0, 3}, {0, 5, 10}, ""},
        {{0.001, 0}, {}, "A profile holds at most 4096 stations: the spacing must be wider."},
        {{0, 4097}, {}, "The number of stations must be from 2 to 4096."},
    };
    for (const auto& [options, xs, error] : cases) {
        EXPECT_EQ(stationPositions(10, options).value, xs);
        EXPECT_EQ(stationPositions(10, options).error, error);
    }
}

TEST(GridSampling, ExactOnAPlaneInEveryFormat)
{
    const struct {
        const char *driver, *file, *crs;
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
        const std::string path = makeGrid({f.driver, f.file, f.crs, West, North, 100, 50, 40, plane, {}});
        ASSERT_FALSE(path.empty());
        for (Interpolation method : {Interpolation::Bilinear, Interpolation::Bicubic}) {
            const auto s = sampleGrid(path, line, {0, 25, method});
            ASSERT_TRUE(s) << s.error;
            EXPECT_EQ(s.value.stations.size(), 25u);
            expectValues(s.value, line, plane, f.tolerance);
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
    const auto cubic = sampleGrid(path, line, {0, 40, Interpolation::Bicubic});
    ASSERT_EQ(cubic.value.stations.size(), 40u);
    expectValues(cubic.value, line, quadratic, 1e-9);
    const auto linear = sampleGrid(path, line, {0, 40, Interpolation::Bilinear});
    const MapPoint p = line.at(linear.value.stations[7].x);
    EXPECT_GT(std::fabs(linear.value.stations[7].value - quadratic(p.E, p.N)), 1e-3);
}

TEST(GridSampling, NoDataAndOffTheGridAreLeftOutAndCounted)
{
    // Along row 20 on the cell centres from column 0, 100 m apart, five past the east edge.
    const int row = 20;
    const double n = North - (row + 0.5) * 100;
    const std::string path =
        makeGrid({"GTiff", "holes.tif", "EPSG:32633", West, North, 100, 50, 40, plane, {{3, row}, {10, row}, {11, row + 1}}});
    for (bool km : {false, true}) {
        const ProfileLine line = utmLine(West + 50, n, West + 5450, n, km);
        const auto s = sampleGrid(path, line, {km ? 0.1 : 100, 0});
        ASSERT_TRUE(s) << s.error;
        EXPECT_EQ(s.value.outside, 5);
        EXPECT_EQ(s.value.noData, 2);   // the cell below a station's is not used
        ASSERT_EQ(s.value.stations.size(), 48u);
        EXPECT_NEAR(s.value.stations[3].x, km ? 0.4 : 400, 1e-9);
        expectValues(s.value, line, plane, 1e-9);
    }
    // Stations between the hole's centre and its neighbours' need it.
    EXPECT_EQ(sampleGrid(path, utmLine(West + 300, n, West + 400, n), {0, 3}).value.noData, 3);
}

TEST(GridSampling, GridInLongitudeAndLatitudeSampledAlongAUtmLine)
{
    auto lonLatPlane = [](double lon, double lat) { return 10 + 3 * (lon - 16) - 2 * (lat - 50); };
    const std::string path = makeGrid({"GTiff", "geographic.tif", "EPSG:4326", 15.5, 50.5, 0.01, 100, 100, lonLatPlane, {}});
    double e[2] = {15.7, 16.3}, n[2] = {49.8, 50.2};
    test::transform("EPSG:4326", "EPSG:32633", e, n, 2);
    const ProfileLine line = utmLine(e[0], n[0], e[1], n[1]);
    const auto s = sampleGrid(path, line, {0, 30});
    ASSERT_TRUE(s) << s.error;
    EXPECT_EQ(s.value.stations.size(), 30u);
    expectValues(s.value, line, lonLatPlane, 1e-9, "EPSG:4326");
}

TEST(GridSampling, AHugeGridIsReadOnlyNearTheLine)
{
    // 100,000 x 100,000 cells of 10 m (80 GB as it stands), sparse: values
    // only round the stations, the rest no-data on no disk.
    const std::string path = (test::scratch() / "huge.tif").string();
    const ProfileLine line = utmLine(210000, 6010000, 1190000, 6990000);
    const int count = 9;
    const char* options[] = {"TILED=YES", "SPARSE_OK=TRUE", "BIGTIFF=YES", nullptr};
    GDALDatasetUniquePtr ds(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        path.c_str(), 100000, 100000, 1, GDT_Float64, const_cast<char**>(options)));
    double gt[6] = {200000, 10, 0, 7000000, 0, -10}, v[64];
    ds->SetGeoTransform(gt);
    ds->GetRasterBand(1)->SetNoDataValue(test::GridNoData);
    for (int i = 0; i < count; ++i) {
        const MapPoint p = line.at(line.length() * i / (count - 1));
        const int c = static_cast<int>((p.E - gt[0]) / 10) - 4, r = static_cast<int>((gt[3] - p.N) / 10) - 4;
        for (int k = 0; k < 64; ++k)
            v[k] = plane(gt[0] + (c + k % 8 + 0.5) * 10, gt[3] - (r + k / 8 + 0.5) * 10);
        ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Write, c, r, 8, 8, v, 8, 8, GDT_Float64, 0, 0, nullptr), CE_None);
    }
    ds.reset();
    GDALSetCacheMax64(64 << 20);
    const GIntBig before = GDALGetCacheUsed64();
    const auto s = sampleGrid(path, line, {0, count});
    EXPECT_EQ(s.value.stations.size(), static_cast<std::size_t>(count));
    expectValues(s.value, line, plane, 1e-9);
    EXPECT_LE(s.value.pixelsRead, 4u * count);
    // GDAL held the blocks round the stations, no more.
    EXPECT_LT(GDALGetCacheUsed64() - before, GIntBig{4} * count * 256 * 256 * 8);
}

}  // namespace
}  // namespace corvane::map
