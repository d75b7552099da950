// The one-call update of a dragged body in a model with magnetic stations:
// gravity at 4096 stations and the magnetic anomaly at 4096 magnetic
// stations, against the gravity-only update of the same body; and the same
// with the six gradient components at 4096 gradient stations as well.
#include "big_model.h"
#include "model/gradient_data.h"
#include "model/magnetic_data.h"

#include <benchmark/benchmark.h>

namespace {

using namespace corvane;
using namespace corvane::bench;

std::unique_ptr<Model> magneticBigModel(int bodies)
{
    auto m = bigModel(bodies);
    std::vector<MagneticStationValue> s(MaxStations);
    for (int i = 0; i < MaxStations; ++i)
        s[static_cast<std::size_t>(i)] = {-100 + 200.0 * i / (MaxStations - 1), 0.1, std::nullopt};
    for (int b = 1; b <= bodies; ++b)
        m->Bodies[b].Susceptibility = 0.01 * b;
    setMagneticStations(*m, s);
    m->RecalculateModel();
    return m;
}

void BM_UpdateBodyGravityAndMagnetic(benchmark::State& state)
{
    auto m = magneticBigModel(1);
    int step = 0;
    for (auto _ : state) {
        Tbody& body = m->Bodies[1];
        body.setCorner(7, body.CornerX[7] + ((step++ % 2) ? 0.01 : -0.01), body.CornerZ[7]);
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->Mag.Calculated.data());
    }
}
BENCHMARK(BM_UpdateBodyGravityAndMagnetic)->Unit(benchmark::kMillisecond)->UseRealTime();

// Gradient stations at the magnetic stations' positions and height, so the
// update takes the terms both fields share once.
void BM_UpdateBodyGravityMagneticGradient(benchmark::State& state)
{
    auto m = magneticBigModel(1);
    std::vector<GradientStationValue> g(MaxStations);
    for (int i = 0; i < MaxStations; ++i)
        g[static_cast<std::size_t>(i)] = {m->Mag.X[i + 1], m->Mag.Height[i + 1], {}, {}};
    setGradientStations(*m, g, TensorFrame::Profile);
    int step = 0;
    for (auto _ : state) {
        Tbody& body = m->Bodies[1];
        body.setCorner(7, body.CornerX[7] + ((step++ % 2) ? 0.01 : -0.01), body.CornerZ[7]);
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->Grad.Calculated.data());
    }
}
BENCHMARK(BM_UpdateBodyGravityMagneticGradient)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecalculateModelGravityAndMagnetic(benchmark::State& state)
{
    auto m = magneticBigModel(MaxBodies);
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->Mag.Calculated.data());
    }
}
BENCHMARK(BM_RecalculateModelGravityAndMagnetic)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
