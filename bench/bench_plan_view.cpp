// One repaint of the map view with a 4,000 x 4,000 grid shown under the
// largest model's footprints and 4,096 stations: from the picture of the
// grid kept since the last repaint (a body edited), and with the picture
// read afresh (a pan or a zoom), against the same view without a grid.
#include "application.h"
#include "big_model.h"
#include "grids.h"
#include "map_ui/map_paint.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

using namespace corvane;
using namespace corvane::bench;
using namespace corvane::mapui;

namespace {

constexpr int Copies = 4;   // 4 x 4 tiles of 1,000 cells

void BM_PaintPlanView(benchmark::State& state)
{
    ensureApplication();
    auto ws = std::make_unique<Workspace>();
    ws->model = *bigModel(MaxBodies);
    const double extent = Tile * Copies * Cell;
    // Across the grid's middle, west to east: the big model's bodies lie
    // from 0 to 160 km along it, most of them off the grid.
    const auto line = map::ProfileLine::make({West - 80000, North - extent / 2, West + 120000, North - extent / 2,
                                              "EPSG:32633"}, true).value;
    auto grid = GridImage::open(tiledGrid(Copies));
    if (!grid) {
        state.SkipWithError(grid.error.c_str());
        return;
    }
    QImage image(1000, 800, QImage::Format_RGB32);
    const MapTransform t = MapTransform::fit(grid.value.extent(), image.size());
    const int mode = static_cast<int>(state.range(0));
    GridPicture picture = grid.value.render(t.visible(), image.size(), false);
    MapScene scene;
    scene.ws = ws.get();
    scene.line = &line;
    scene.grid = mode == 0 ? nullptr : &picture;
    scene.gridLow = grid.value.low();
    scene.gridHigh = grid.value.high();
    for (auto _ : state) {
        if (mode == 2)
            picture = grid.value.render(t.visible(), image.size(), false);
        QPainter p(&image);
        paintMap(p, t, scene);
    }
    const char* labels[] = {"no grid", "grid picture kept", "grid read afresh"};
    state.SetLabel(labels[mode]);
}
BENCHMARK(BM_PaintPlanView)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
