// Speed of the gravity gradient tensor (all six components) on the largest
// model the program holds, against the reference transcription in the same
// run, and of the gradients with the magnetic anomaly at the same stations in
// one pass against the two engines one after the other.
// Wall-clock time; bench/run.sh prints the ratios.
#include "big_model.h"
#include "model/gradient.h"
#include "model/gravity_pool.h"
#include "model/magnetic.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::bench;

namespace {

// The largest model, every body magnetised, with per-body arrays of both fields.
struct GradientModel {
    std::unique_ptr<Model> m = bigModel(MaxBodies);
    EarthField field{50000, 60, 5, 70};
    std::vector<std::vector<GravityTensor>> tensors{MaxBodies + 1, std::vector<GravityTensor>(MaxStations)};
    std::vector<std::vector<double>> mags{MaxBodies + 1, std::vector<double>(MaxStations)};
    std::vector<GravityTensor*> gradOut = std::vector<GravityTensor*>(MaxBodies + 1);
    std::vector<double*> magOut = std::vector<double*>(MaxBodies + 1);
    std::vector<GravityTensor> total = std::vector<GravityTensor>(MaxStations);
    std::vector<double> magTotal = std::vector<double>(MaxStations);

    GradientModel()
    {
        for (int b = 1; b <= MaxBodies; ++b) {
            m->Bodies[b].Susceptibility = 0.01 + 0.001 * b;
            gradOut[static_cast<std::size_t>(b)] = tensors[static_cast<std::size_t>(b)].data();
            magOut[static_cast<std::size_t>(b)] = mags[static_cast<std::size_t>(b)].data();
        }
    }
    const double* x() const { return m->StationX.data(); }
};

class Threads {
public:
    explicit Threads(int n) { StationPool::instance().setThreads(n); }
    ~Threads() { StationPool::instance().setThreads(0); }
};

// ---- whole model: 51 bodies x 50 corners x 4096 stations, six components ----

void BM_GradModelReference(benchmark::State& state)
{
    GradientModel gm;
    for (auto _ : state) {
        std::fill(gm.total.begin(), gm.total.end(), GravityTensor{});
        for (int b = 1; b <= MaxBodies; ++b) {
            GravityTensor* v = gm.gradOut[static_cast<std::size_t>(b)];
            referenceGradient(gm.m->Bodies[b], gm.x(), nullptr, MaxStations, v);
            for (int i = 0; i < MaxStations; ++i)
                for (int c = 0; c < TensorComponents; ++c)
                    gm.total[static_cast<std::size_t>(i)][c] += v[i][c];
        }
        benchmark::DoNotOptimize(gm.total.data());
    }
}
BENCHMARK(BM_GradModelReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_GradRecalculateModel(benchmark::State& state)
{
    GradientModel gm;
    const Threads threads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        modelGradient(gm.m->Bodies, MaxBodies, gm.x(), nullptr, MaxStations, gm.gradOut.data(),
                      gm.total.data());
        benchmark::DoNotOptimize(gm.total.data());
    }
}
// Argument: threads (0 = one per core, the program's setting).
BENCHMARK(BM_GradRecalculateModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- both fields at the same stations -----------------------------------------

void BM_MagneticThenGradient(benchmark::State& state)
{
    GradientModel gm;
    for (auto _ : state) {
        modelMagnetic(gm.m->Bodies, MaxBodies, gm.field, gm.x(), nullptr, MaxStations,
                      true, gm.magOut.data(), gm.magTotal.data());
        modelGradient(gm.m->Bodies, MaxBodies, gm.x(), nullptr, MaxStations, gm.gradOut.data(),
                      gm.total.data());
        benchmark::DoNotOptimize(gm.total.data());
        benchmark::DoNotOptimize(gm.magTotal.data());
    }
}
BENCHMARK(BM_MagneticThenGradient)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MagneticGradientOnePass(benchmark::State& state)
{
    GradientModel gm;
    for (auto _ : state) {
        modelMagneticGradient(gm.m->Bodies, MaxBodies, gm.field, gm.x(), nullptr, MaxStations,
                              gm.magOut.data(), gm.magTotal.data(), gm.gradOut.data(),
                              gm.total.data());
        benchmark::DoNotOptimize(gm.total.data());
        benchmark::DoNotOptimize(gm.magTotal.data());
    }
}
BENCHMARK(BM_MagneticGradientOnePass)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
