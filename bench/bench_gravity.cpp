// Speed of the anomaly calculation on the largest models the program holds,
// against the reference transcription of the formula in the same run.
// Wall-clock time is what the user waits for, so it is the time reported;
// bench/run.sh prints the ratios.
#include "big_model.h"
#include "model/gravity.h"
#include "model/gravity_pool.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::bench;

namespace {

// The whole-model recalculation as the reference transcription does it.
void referenceRecalculate(Model& m)
{
    for (int i = 1; i <= m.NumStations; ++i)
        m.CalculatedGravity[i] = 0;
    for (int b = 1; b <= m.NumBodies; ++b) {
        Tbody& body = m.Bodies[b];
        referenceAnomaly(body, m.StationX.data(), m.NumStations, m.UnitsKm, body.Gravity.data());
        if (!body.Hidden)
            for (int i = 1; i <= m.NumStations; ++i)
                m.CalculatedGravity[i] += body.Gravity[i];
    }
}

// The drag of one corner: move it a little, then the editing step.
void dragStep(Model& m, int& step)
{
    Tbody& body = m.Bodies[1];
    const double dx = (step++ % 2) ? 0.01 : -0.01;
    body.setCorner(7, body.CornerX[7] + dx, body.CornerZ[7]);
}

class Threads {
public:
    explicit Threads(int n) { StationPool::instance().setThreads(n); }
    ~Threads() { StationPool::instance().setThreads(0); }
};

// ---- whole model: 51 bodies x 50 corners x 4096 stations ------------------

void BM_ModelReference(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    for (auto _ : state) {
        referenceRecalculate(*m);
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_ModelReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_RecalculateModel(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    const Threads threads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
// Argument: threads (0 = one per core, the program's setting).
BENCHMARK(BM_RecalculateModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same model with every station on a smooth topography: the kernel that
// takes each corner's depth from its station.
void BM_RecalculateModelHeights(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    for (int i = 1; i <= m->NumStations; ++i)
        m->StationHeight[i] = 0.5 + 0.4 * std::sin(m->StationX[i] / 20.0);
    const Threads threads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_RecalculateModelHeights)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecalculateModelEqualStrike(benchmark::State& state)
{
    auto m = bigModel(MaxBodies, MaxStations, true);
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_RecalculateModelEqualStrike)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- one body: the corner drag ---------------------------------------------

void BM_BodyReference(benchmark::State& state)
{
    auto m = bigModel(1);
    int step = 0;
    for (auto _ : state) {
        dragStep(*m, step);
        Tbody& body = m->Bodies[1];
        for (int i = 1; i <= m->NumStations; ++i)
            m->CalculatedGravity[i] -= body.Gravity[i];
        referenceAnomaly(body, m->StationX.data(), m->NumStations, true, body.Gravity.data());
        for (int i = 1; i <= m->NumStations; ++i)
            m->CalculatedGravity[i] += body.Gravity[i];
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_BodyReference)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UpdateBody(benchmark::State& state)
{
    auto m = bigModel(1);
    const Threads threads(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        dragStep(*m, step);
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_UpdateBody)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- a short profile: no thread may be woken for it ------------------------

void BM_SmallProfileReference(benchmark::State& state)
{
    auto m = bigModel(1, 10);
    for (auto _ : state) {
        Tbody& body = m->Bodies[1];
        referenceAnomaly(body, m->StationX.data(), m->NumStations, true, body.Gravity.data());
        benchmark::DoNotOptimize(body.Gravity.data());
    }
}
BENCHMARK(BM_SmallProfileReference)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SmallProfileUpdateBody(benchmark::State& state)
{
    auto m = bigModel(1, 10);
    for (auto _ : state) {
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_SmallProfileUpdateBody)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
