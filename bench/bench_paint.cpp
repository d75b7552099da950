// Speed of one full repaint at the program's limits: 51 bodies of 50 corners,
// 4096 stations, three boreholes with ten labels each, every body labelled;
// and of a repaint over a 4000 x 2000 backdrop picture.
#include "application.h"
#include "display/backdrop.h"
#include "display/paint.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cmath>

using namespace corvane;
using corvane::bench::ensureApplication;

namespace {

void fullModel(Workspace& ws)
{
    Model& m = ws.model;
    m.NumStations = MaxStations;
    for (int i = 1; i <= MaxStations; ++i) {
        m.StationX[i] = 409.5 * (i - 1) / (MaxStations - 1);
        m.ObservedGravity[i] = 20 * std::sin(i * 0.003);
    }
    m.HaveObserved = true;
    m.NumBodies = MaxBodies;
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = m.Bodies[b];
        const int corners = MaxCorners - 1;
        body.NumCorners = MaxCorners;
        for (int k = 1; k <= corners; ++k) {
            const double a = -2 * M_PI * (k - 1) / corners;   // clockwise on screen
            body.CornerX[k] = b * 8.0 + 3 * std::cos(a);
            body.CornerZ[k] = 2 + b % 5 + 1.5 * std::sin(a);
        }
        body.CornerX[MaxCorners] = body.CornerX[1];
        body.CornerZ[MaxCorners] = body.CornerZ[1];
        body.Density = 0.01 * (b - 25);
        body.StrikeLength1 = body.StrikeLength2 = 50;
    }
    m.NumHoles = MaxHoles;
    for (int h = 1; h <= MaxHoles; ++h) {
        THole& hole = m.Holes[h];
        hole.Name = "Well " + std::to_string(h);
        hole.NumDepths = MaxHoleLabels;
        hole.NumLabels = MaxHoleLabels;
        for (int k = 1; k <= MaxHoleLabels; ++k) {
            hole.HoleX[k] = 100.0 * h;
            hole.HoleDepth[k] = 0.4 * (k - 1);
            hole.Label[k] = "Layer " + std::to_string(k);
            hole.LabelRow[k] = k;
        }
    }
    m.ModelExists = true;
    m.RecalculateModel();
    corvane::Display& d = ws.display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 409.5;
    d.ViewDepthMax = 10;
    d.DepthTickStep = 2.5;
    d.GravityTickStep = 5;
}

void BM_PaintFullModel(benchmark::State& state)
{
    ensureApplication();
    auto ws = std::make_unique<Workspace>();
    fullModel(*ws);
    QImage image(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        benchmark::DoNotOptimize(PaintModel(p, image.rect(), *ws));
    }
}
BENCHMARK(BM_PaintFullModel)->Unit(benchmark::kMillisecond);

// A window-sized repaint of a small model (three bodies, 201 stations) with
// no backdrop (0), over a 4000 x 2000 backdrop at 60 % as repaints find it
// with its scaled copy kept (1), and with the scaled copy made afresh each
// time, as after a zoom (2).
void BM_PaintBackdrop(benchmark::State& state)
{
    ensureApplication();
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    m.NumStations = 201;
    for (int i = 1; i <= m.NumStations; ++i)
        m.StationX[i] = 100.0 * (i - 1) / 200;
    m.NumBodies = 3;
    for (int b = 1; b <= 3; ++b) {
        Tbody& body = m.Bodies[b];
        const double xs[] = {10 + 30.0 * (b - 1), 30 + 30.0 * (b - 1)};
        body.NumCorners = 5;
        const double cx[] = {xs[0], xs[1], xs[1], xs[0], xs[0]}, cz[] = {2, 2, 5, 5, 2};
        for (int k = 1; k <= 5; ++k) {
            body.CornerX[k] = cx[k - 1];
            body.CornerZ[k] = cz[k - 1];
        }
        body.Density = 0.1 * b;
        body.StrikeLength1 = body.StrikeLength2 = 50;
    }
    m.ModelExists = true;
    m.RecalculateModel();
    corvane::Display& d = ws->display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 100;
    d.ViewDepthMax = 10;

    const int mode = static_cast<int>(state.range(0));
    if (mode > 0) {
        auto image = std::make_shared<BackdropImage>();
        image->source = QImage(4000, 2000, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 2000; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image->source.scanLine(y));
            for (int x = 0; x < 4000; ++x)
                row[x] = qRgb((x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255);
        }
        ws->overlays.backdrop = Backdrop{"bench.png", -5, 105, 0, 12, 60, 98, false, image};
    }
    QImage window(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        if (mode == 2)
            ws->overlays.backdrop->image->scaled = QImage();
        QPainter p(&window);
        benchmark::DoNotOptimize(PaintModel(p, window.rect(), *ws));
    }
}
BENCHMARK(BM_PaintBackdrop)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
