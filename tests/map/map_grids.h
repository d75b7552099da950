#pragma once
// Small grids made for the map tests with GDAL itself: values of a known
// function at each cell centre, in a given format and coordinate system.
#include "map/gdal_session.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace corvane::map::test {

inline std::filesystem::path scratch()
{
    const auto dir = std::filesystem::temp_directory_path() / ("corvane-map-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

struct GridSpec {
    std::string driver;   // "GTiff", "AAIGrid", "netCDF", "GSBG"
    std::string file;
    std::string crs;      // "" for none
    double west = 0, north = 0, cell = 100;   // the top-left corner and the cell size
    int width = 50, height = 40;
    std::function<double(double e, double n)> value;
    std::vector<std::pair<int, int>> holes;   // (column, row) of no-data cells
};

inline constexpr double GridNoData = -9999;

// The grid written to the scratch folder; its path.
inline std::string makeGrid(const GridSpec& g)
{
    registerGdal();
    GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDatasetUniquePtr src(mem->Create("", g.width, g.height, 1, GDT_Float64, nullptr));
    double gt[6] = {g.west, g.cell, 0, g.north, 0, -g.cell};
    src->SetGeoTransform(gt);
    if (!g.crs.empty()) {
        OGRSpatialReference srs;
        srs.SetFromUserInput(g.crs.c_str());
        src->SetSpatialRef(&srs);
    }
    std::vector<double> v(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
    for (int r = 0; r < g.height; ++r)
        for (int c = 0; c < g.width; ++c)
            v[static_cast<std::size_t>(r * g.width + c)] =
                g.value(g.west + (c + 0.5) * g.cell, g.north - (r + 0.5) * g.cell);
    for (auto [c, r] : g.holes)
        v[static_cast<std::size_t>(r * g.width + c)] = GridNoData;
    GDALRasterBand* band = src->GetRasterBand(1);
    band->SetNoDataValue(GridNoData);
    if (band->RasterIO(GF_Write, 0, 0, g.width, g.height, v.data(), g.width, g.height, GDT_Float64, 0, 0,
                       nullptr) != CE_None)
        return {};
    const std::string path = (scratch() / g.file).string();
    GDALDriver* out = GetGDALDriverManager()->GetDriverByName(g.driver.c_str());
    if (!out)
        return {};
    GDALDatasetUniquePtr copy(out->CreateCopy(path.c_str(), src.get(), FALSE, nullptr, nullptr, nullptr));
    return copy ? path : std::string();
}

}  // namespace corvane::map::test
