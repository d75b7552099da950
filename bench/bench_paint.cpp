// Speed of one full repaint at the program's limits: 51 bodies of 50 corners,
// 4096 stations, three boreholes with ten labels each, every body labelled.
#include "display/paint.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>

using namespace corvane;

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
    // Text needs the application's fonts; no window is shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "corvane_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);

    auto ws = std::make_unique<Workspace>();
    fullModel(*ws);
    QImage image(1280, 1024, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        benchmark::DoNotOptimize(PaintModel(p, image.rect(), *ws));
    }
}
BENCHMARK(BM_PaintFullModel)->Unit(benchmark::kMillisecond);

}  // namespace
