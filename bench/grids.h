#pragma once
// The grids the map benchmarks read: a 1,000 x 1,000 GeoTIFF made once, and
// VRTs of copies x copies of it, so that a big grid decodes real tiles
// without a file of gigabytes.
#include "map/gdal_session.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace corvane::bench {

inline constexpr int Tile = 1000;
inline constexpr double West = 300000, North = 6500000, Cell = 10;

inline std::string folder()
{
    const auto d = std::filesystem::temp_directory_path() / "corvane_bench_map";
    std::filesystem::create_directories(d);
    return d.string();
}

inline const std::string& smallGrid()
{
    static const std::string path = [] {
        map::registerGdal();
        const std::string p = folder() + "/small.tif";
        const char* options[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
        GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        GDALDatasetUniquePtr ds(gtiff->Create(p.c_str(), Tile, Tile, 1, GDT_Float32, const_cast<char**>(options)));
        double gt[6] = {West, Cell, 0, North, 0, -Cell};
        ds->SetGeoTransform(gt);
        OGRSpatialReference srs;
        srs.SetFromUserInput("EPSG:32633");
        ds->SetSpatialRef(&srs);
        std::vector<float> row(Tile);
        for (int r = 0; r < Tile; ++r) {
            for (int c = 0; c < Tile; ++c)
                row[static_cast<std::size_t>(c)] = static_cast<float>(std::sin(0.01 * c) * std::cos(0.013 * r));
            if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, r, Tile, 1, row.data(), Tile, 1, GDT_Float32, 0, 0,
                                               nullptr) != CE_None)
                return std::string();
        }
        return p;
    }();
    return path;
}

// copies x copies of the small grid, west to east and north to south.
inline std::string tiledGrid(int copies)
{
    const std::string p = folder() + "/tiled" + std::to_string(copies) + ".vrt";
    if (!std::filesystem::exists(p)) {
        const int size = Tile * copies;
        std::ofstream vrt(p);
        vrt << "<VRTDataset rasterXSize=\"" << size << "\" rasterYSize=\"" << size << "\">\n"
            << "<SRS>EPSG:32633</SRS>\n<GeoTransform>" << West << "," << Cell << ",0," << North << ",0," << -Cell
            << "</GeoTransform>\n<VRTRasterBand dataType=\"Float32\" band=\"1\">\n";
        for (int j = 0; j < copies; ++j)
            for (int i = 0; i < copies; ++i)
                vrt << "<SimpleSource><SourceFilename relativeToVRT=\"0\">" << smallGrid()
                    << "</SourceFilename><SourceBand>1</SourceBand><SrcRect xOff=\"0\" yOff=\"0\" xSize=\"" << Tile
                    << "\" ySize=\"" << Tile << "\"/><DstRect xOff=\"" << i * Tile << "\" yOff=\"" << j * Tile
                    << "\" xSize=\"" << Tile << "\" ySize=\"" << Tile << "\"/></SimpleSource>\n";
        vrt << "</VRTRasterBand>\n</VRTDataset>\n";
    }
    return p;
}

}  // namespace corvane::bench
