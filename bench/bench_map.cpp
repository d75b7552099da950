// Sampling a grid along the profile line, 4096 stations: the same line of
// 1,000 cells across a grid of 1,000 x 1,000 and one of 20,000 x 20,000
// (only the windows near the line are read, so the two should take as long),
// and the big grid's whole diagonal (20 times the cells to pass). The big
// grid is a VRT of 400 copies of the small GeoTIFF, so every read decodes
// real tiles and the bench makes no 1.6 GB file.
#include "grids.h"
#include "map/grid_sampling.h"

#include <benchmark/benchmark.h>

using namespace corvane;
using namespace corvane::bench;
using namespace corvane::map;

namespace {

constexpr int Copies = 20;   // the big grid: 20 x 20 tiles

// 4096 stations along a diagonal from a cell in from the grid's top-left
// corner: the small grid's (0), the same on the big grid (1), the big
// grid's own (2).
void BM_SampleGrid(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    const std::string path = big ? tiledGrid(Copies) : smallGrid();
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
