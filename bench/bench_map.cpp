// Sampling a grid along the profile line, 4096 stations: the same line of
// 1,000 cells across a grid of 1,000 x 1,000 and one of 20,000 x 20,000
// (only the windows near the line are read, so the two should take as long),
// and the big grid's whole diagonal (20 times the cells to pass). The big
// grid is a VRT of 400 copies of the small GeoTIFF, so every read decodes
// real tiles and the bench makes no 1.6 GB file.
#include "map/gdal_session.h"
#include "map/grid_sampling.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::map;

namespace {

constexpr int Tile = 1000, Copies = 20;   // the big grid: 20 x 20 tiles
constexpr double West = 300000, North = 6500000, Cell = 10;

std::string folder()
{
    const auto d = std::filesystem::temp_directory_path() / "corvane_bench_map";
    std::filesystem::create_directories(d);
    return d.string();
}

const std::string& smallGrid()
{
    static const std::string path = [] {
        registerGdal();
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

const std::string& bigGrid()
{
    static const std::string path = [] {
        const std::string p = folder() + "/big.vrt";
        const int size = Tile * Copies;
        std::ofstream vrt(p);
        vrt << "<VRTDataset rasterXSize=\"" << size << "\" rasterYSize=\"" << size << "\">\n"
            << "<SRS>EPSG:32633</SRS>\n<GeoTransform>" << West << "," << Cell << ",0," << North << ",0," << -Cell
            << "</GeoTransform>\n<VRTRasterBand dataType=\"Float32\" band=\"1\">\n";
        for (int j = 0; j < Copies; ++j)
            for (int i = 0; i < Copies; ++i)
                vrt << "<SimpleSource><SourceFilename relativeToVRT=\"0\">" << smallGrid()
                    << "</SourceFilename><SourceBand>1</SourceBand><SrcRect xOff=\"0\" yOff=\"0\" xSize=\"" << Tile
                    << "\" ySize=\"" << Tile << "\"/><DstRect xOff=\"" << i * Tile << "\" yOff=\"" << j * Tile
                    << "\" xSize=\"" << Tile << "\" ySize=\"" << Tile << "\"/></SimpleSource>\n";
        vrt << "</VRTRasterBand>\n</VRTDataset>\n";
        return p;
    }();
    return path;
}

// 4096 stations along a diagonal from a cell in from the grid's top-left
// corner: the small grid's (0), the same on the big grid (1), the big
// grid's own (2).
void BM_SampleGrid(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    const std::string& path = big ? bigGrid() : smallGrid();
    const double extent = (state.range(0) == 2 ? Tile * Copies : Tile) * Cell;
    const auto line = ProfileLine::make({West + Cell, North - Cell, West + extent - Cell, North - extent + Cell,
                                         "EPSG:32633"}, true);
    const GIntBig cache = GDALGetCacheMax64();
    for (auto _ : state) {
        // Every run decodes its tiles anew: GDAL's block cache emptied.
        state.PauseTiming();
        GDALSetCacheMax64(0);
        GDALSetCacheMax64(cache);
        state.ResumeTiming();
        const auto s = sampleGrid(path, line.value, {0, 4096, Interpolation::Bilinear});
        if (!s || s.value.stations.size() != 4096)
            state.SkipWithError(s.error.c_str());
        benchmark::DoNotOptimize(s.value.stations.data());
    }
    const char* labels[] = {"1000 x 1000", "20000 x 20000, same line", "20000 x 20000, its diagonal"};
    state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_SampleGrid)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
