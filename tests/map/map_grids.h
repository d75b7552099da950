#pragma once
// What the map tests share: a scratch folder that goes with the program, grids
// made with GDAL (a known function at each cell centre), and points carried
// between systems through OGR, a path apart from the code under test.
#include "map/gdal_session.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane::map::test {

inline std::filesystem::path scratch()
{
    registerGdal();   // a test run alone makes its files first
    static const auto dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("corvane-map-" + std::to_string(::getpid()));
        struct Cleanup : testing::Environment {
            explicit Cleanup(std::filesystem::path p) : d(std::move(p)) {}
            std::filesystem::path d;
            void TearDown() override { std::filesystem::remove_all(d); }
        };
        testing::AddGlobalTestEnvironment(new Cleanup(d));
        return d;
    }();
    std::filesystem::create_directories(dir);
    return dir;
}

struct GridSpec {
    std::string driver, file, crs;   // crs "" for none
    double west = 0, north = 0, cell = 100;   // top-left corner, cell size
    int width = 50, height = 40;
    std::function<double(double e, double n)> value;
    std::vector<std::pair<int, int>> holes;   // (column, row) of no-data cells
};

inline constexpr double GridNoData = -9999;

inline std::string makeGrid(const GridSpec& g)
{
    registerGdal();
    GDALDatasetUniquePtr src(
        GetGDALDriverManager()->GetDriverByName("MEM")->Create("", g.width, g.height, 1, GDT_Float64, nullptr));
    double gt[6] = {g.west, g.cell, 0, g.north, 0, -g.cell};
    src->SetGeoTransform(gt);
    OGRSpatialReference srs;
    if (!g.crs.empty() && srs.SetFromUserInput(g.crs.c_str()) == OGRERR_NONE)
        src->SetSpatialRef(&srs);
    std::vector<double> v;
    for (int r = 0; r < g.height; ++r)
        for (int c = 0; c < g.width; ++c)
            v.push_back(g.value(g.west + (c + 0.5) * g.cell, g.north - (r + 0.5) * g.cell));
    for (auto [c, r] : g.holes)
        v[static_cast<std::size_t>(r * g.width + c)] = GridNoData;
    src->GetRasterBand(1)->SetNoDataValue(GridNoData);
    if (src->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, g.width, g.height, v.data(), g.width, g.height, GDT_Float64,
                                        0, 0, nullptr) != CE_None)
        return {};
    const std::string path = (scratch() / g.file).string();
    GDALDatasetUniquePtr copy(GetGDALDriverManager()->GetDriverByName(g.driver.c_str())
                                  ->CreateCopy(path.c_str(), src.get(), FALSE, nullptr, nullptr, nullptr));
    return copy ? path : std::string();
}

// Points of one system carried into another, in place (easting or longitude first).
inline void transform(const char* from, const char* to, double* e, double* n, int count = 1)
{
    OGRSpatialReference a, b;
    a.SetFromUserInput(from);
    b.SetFromUserInput(to);
    a.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    b.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> t(OGRCreateCoordinateTransformation(&a, &b));
    ASSERT_TRUE(t && t->Transform(count, e, n));
}

}  // namespace corvane::map::test
