// Speed of the anomaly calculation on the largest models the program holds.
#include "model/gravity.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace corvane;

namespace {

// Body b: a 50-corner star-shaped polygon, clockwise on screen.
void fillBody(Model& m, int b, int corners)
{
    Tbody& body = m.Bodies[b];
    body.NumCorners = corners + 1;
    const double cx = -80 + 3.2 * b, cz = 4 + 0.2 * b;
    for (int k = 1; k <= corners; ++k) {
        const double a = -2 * 3.141592653589793 * (k - 1) / corners;
        const double r = 1.5 + 0.5 * std::sin(5.0 * a);
        body.CornerX[k] = cx + r * std::cos(a);
        body.CornerZ[k] = cz - r * std::sin(a);
    }
    body.CornerX[corners + 1] = body.CornerX[1];
    body.CornerZ[corners + 1] = body.CornerZ[1];
    body.Density = 0.1 + 0.01 * b;
    body.StrikeLength1 = 5 + b;   // unequal strike: the 2.5-D path
    body.StrikeLength2 = 2;
}

std::unique_ptr<Model> bigModel(int bodies)
{
    auto m = makeModel();
    m->NumStations = MaxStations;
    for (int i = 1; i <= MaxStations; ++i)
        m->StationX[i] = -100 + 200.0 * (i - 1) / (MaxStations - 1);
    m->NumBodies = bodies;
    for (int b = 1; b <= bodies; ++b)
        fillBody(*m, b, 50);
    return m;
}

void BM_ReferenceBody(benchmark::State& state)
{
    auto m = bigModel(1);
    for (auto _ : state) {
        referenceAnomaly(m->Bodies[1], m->StationX.data(), m->NumStations, true,
                         m->Bodies[1].Gravity.data());
        benchmark::DoNotOptimize(m->Bodies[1].Gravity.data());
    }
}
BENCHMARK(BM_ReferenceBody)->Unit(benchmark::kMillisecond);

void BM_CalculateBody(benchmark::State& state)
{
    auto m = bigModel(1);
    for (auto _ : state) {
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_CalculateBody)->Unit(benchmark::kMillisecond);

void BM_RecalculateModel(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_RecalculateModel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
