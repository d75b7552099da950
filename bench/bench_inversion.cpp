// Speed of the least-squares inversion at the program's limits: ten unknowns,
// 4096 stations, a 50-corner body; one iteration, and a whole run of 10
// against one reference calculation of the same body in the same run.
#include "inversion/least_squares.h"
#include "model/gravity.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace {

std::unique_ptr<Model> invertibleModel()
{
    auto m = makeModel();
    m->NumStations = MaxStations;
    for (int i = 1; i <= MaxStations; ++i)
        m->StationX[i] = -100 + 200.0 * (i - 1) / (MaxStations - 1);
    Tbody& body = m->Bodies[1];
    const int corners = 50;
    body.NumCorners = corners + 1;
    for (int k = 1; k <= corners; ++k) {
        const double a = -2 * 3.141592653589793 * (k - 1) / corners;   // clockwise on screen
        const double r = 8 + 2 * std::sin(3.0 * a);
        body.CornerX[k] = 5 + r * std::cos(a);
        body.CornerZ[k] = 15 - r * std::sin(a);
    }
    body.CornerX[corners + 1] = body.CornerX[1];
    body.CornerZ[corners + 1] = body.CornerZ[1];
    body.Density = 0.25;
    body.StrikeLength1 = 40;
    body.StrikeLength2 = 25;
    m->NumBodies = 1;
    m->RecalculateModel();
    for (int i = 1; i <= MaxStations; ++i)   // data from a slightly different body
        m->ObservedGravity[i] = 1.1 * m->CalculatedGravity[i] + 0.2;
    body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = true;
    body.XPosMin = -100;
    for (int k : {3, 17, 30})
        body.CornerInvertX[k] = true;
    for (int k : {8, 25, 41})
        body.CornerInvertZ[k] = true;
    return m;
}

void BM_InversionIteration(benchmark::State& state)
{
    auto m = invertibleModel();
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 40;
    Inversion run(*m, d, 1);
    if (run.unknowns().size() != 10)
        state.SkipWithError("expected 10 unknowns");
    int t = 0;
    for (auto _ : state) {
        run.iterate(++t);
        benchmark::DoNotOptimize(m->CalculatedGravity[1]);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InversionIteration)->Unit(benchmark::kMillisecond);

// What the user waits for: OK in "Invert the Model" with 10 iterations, the
// final standard errors included.
void BM_InversionRun(benchmark::State& state)
{
    const auto start = invertibleModel();
    auto m = std::make_unique<Model>(*start);
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 40;
    InversionState inv;
    for (auto _ : state) {
        state.PauseTiming();
        *m = *start;
        state.ResumeTiming();
        RunReport report;
        runInversion(*m, inv, d, 1, 10, {}, &report);
        benchmark::DoNotOptimize(report.rms.back());
    }
}
BENCHMARK(BM_InversionRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: the reference transcription of the formula, once, for the
// same body at the same stations.
void BM_InversionBodyReference(benchmark::State& state)
{
    const auto m = invertibleModel();
    std::vector<double> g(MaxStations);
    for (auto _ : state) {
        referenceAnomaly(m->Bodies[1], m->StationX.data(), m->NumStations, m->UnitsKm, g.data());
        benchmark::DoNotOptimize(g[0]);
    }
}
BENCHMARK(BM_InversionBodyReference)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// Five 20-corner bodies side by side on 4096 stations, every body with ten
// corners free horizontally and ten vertically: 100 unknowns over all bodies.
std::unique_ptr<Model> fiveBodyModel()
{
    auto m = makeModel();
    m->NumStations = MaxStations;
    for (int i = 1; i <= MaxStations; ++i)
        m->StationX[i] = -100 + 200.0 * (i - 1) / (MaxStations - 1);
    const int corners = 20;
    m->NumBodies = 5;
    for (int b = 1; b <= 5; ++b) {
        Tbody& body = m->Bodies[b];
        body.NumCorners = corners + 1;
        for (int k = 1; k <= corners; ++k) {
            const double a = -2 * 3.141592653589793 * (k - 1) / corners;
            const double r = 6 + 1.5 * std::sin(3.0 * a);
            body.CornerX[k] = -60 + 30 * (b - 1) + r * std::cos(a);
            body.CornerZ[k] = 12 - r * std::sin(a);
        }
        body.CornerX[corners + 1] = body.CornerX[1];
        body.CornerZ[corners + 1] = body.CornerZ[1];
        body.Density = 0.1 + 0.05 * b;
        body.StrikeLength1 = 40;
        body.StrikeLength2 = 25;
        for (int k = 1; k <= corners; ++k)
            (k % 2 ? body.CornerInvertX : body.CornerInvertZ)[k] = true;
    }
    m->RecalculateModel();
    for (int i = 1; i <= MaxStations; ++i)
        m->ObservedGravity[i] = 1.1 * m->CalculatedGravity[i] + 0.2;
    return m;
}

Display fiveBodySection()
{
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 40;
    return d;
}

// The first iteration from the same start each time, so the bodies do not
// wander over the repetitions.
void BM_AllBodiesIteration(benchmark::State& state)
{
    const auto start = fiveBodyModel();
    auto m = std::make_unique<Model>(*start);
    const Display d = fiveBodySection();
    for (auto _ : state) {
        state.PauseTiming();
        *m = *start;
        Inversion run(*m, d, 1, {.allBodies = true});
        if (run.unknowns().size() != 100)
            state.SkipWithError("expected 100 unknowns");
        state.ResumeTiming();
        run.iterate(1);
        benchmark::DoNotOptimize(m->CalculatedGravity[1]);
    }
}
BENCHMARK(BM_AllBodiesIteration)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Jacobian alone: every column of the 100.
void BM_AllBodiesJacobian(benchmark::State& state)
{
    auto m = fiveBodyModel();
    const Display d = fiveBodySection();
    Inversion run(*m, d, 1, {.allBodies = true});
    for (auto _ : state)
        for (int k = 0; k < static_cast<int>(run.unknowns().size()); ++k)
            benchmark::DoNotOptimize(run.column(k)[0]);
}
BENCHMARK(BM_AllBodiesJacobian)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick of a column: UpdateBody of one of those bodies.
void BM_UpdateBody20Corners(benchmark::State& state)
{
    auto m = fiveBodyModel();
    for (auto _ : state) {
        m->UpdateBody(3);
        benchmark::DoNotOptimize(m->CalculatedGravity[1]);
    }
}
BENCHMARK(BM_UpdateBody20Corners)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
