// Speed of the magnetic anomaly calculation on the largest models the
// program holds, against the reference transcription in the same run.
// Wall-clock time; bench/run.sh prints the ratios.
#include "big_model.h"
#include "model/gravity_pool.h"
#include "model/magnetic.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::bench;

namespace {

// The largest model, every body magnetised (induced and remanent), with its
// magnetic arrays and total.
struct MagneticModel {
    std::unique_ptr<Model> m;
    EarthField field{50000, 60, 5, 70};
    std::vector<std::vector<double>> bodyArrays;
    std::vector<double*> out;
    std::vector<double> total;

    explicit MagneticModel(int bodies, int stations = MaxStations, bool equalStrike = false)
        : m(bigModel(bodies, stations, equalStrike)),
          bodyArrays(static_cast<std::size_t>(bodies) + 1,
                     std::vector<double>(static_cast<std::size_t>(stations))),
          out(static_cast<std::size_t>(bodies) + 1, nullptr),
          total(static_cast<std::size_t>(stations))
    {
        for (int b = 1; b <= bodies; ++b) {
            Tbody& body = m->Bodies[b];
            body.Susceptibility = 0.01 + 0.001 * b;
            body.Remanence = b % 3 == 0 ? 1.5 : 0;
            body.RemanentInclination = -40;
            body.RemanentDeclination = 170;
            out[static_cast<std::size_t>(b)] = bodyArrays[static_cast<std::size_t>(b)].data();
        }
    }
    const double* x() const { return m->StationX.data(); }
    int n() const { return m->NumStations; }
};

class Threads {
public:
    explicit Threads(int n) { StationPool::instance().setThreads(n); }
    ~Threads() { StationPool::instance().setThreads(0); }
};

void dragStep(Model& m, int& step)
{
    Tbody& body = m.Bodies[1];
    const double dx = (step++ % 2) ? 0.01 : -0.01;
    body.setCorner(7, body.CornerX[7] + dx, body.CornerZ[7]);
}

// The editing step's magnetic half: remove the body's old values from the
// total, recalculate them, add them back.
template <typename Calc>
void updateMagnetic(MagneticModel& mm, Calc calc)
{
    double* v = mm.out[1];
    for (int i = 0; i < mm.n(); ++i)
        mm.total[static_cast<std::size_t>(i)] -= v[i];
    calc(mm.m->Bodies[1], mm.field, mm.x(), nullptr, mm.n(), true, v);
    for (int i = 0; i < mm.n(); ++i)
        mm.total[static_cast<std::size_t>(i)] += v[i];
}

// ---- whole model: 51 bodies x 50 corners x 4096 stations ------------------

void BM_MagModelReference(benchmark::State& state)
{
    MagneticModel mm(MaxBodies);
    for (auto _ : state) {
        std::fill(mm.total.begin(), mm.total.end(), 0.0);
        for (int b = 1; b <= MaxBodies; ++b) {
            double* v = mm.out[static_cast<std::size_t>(b)];
            referenceMagnetic(mm.m->Bodies[b], mm.field, mm.x(), nullptr, mm.n(), true, v);
            for (int i = 0; i < mm.n(); ++i)
                mm.total[static_cast<std::size_t>(i)] += v[i];
        }
        benchmark::DoNotOptimize(mm.total.data());
    }
}
BENCHMARK(BM_MagModelReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

void BM_MagRecalculateModel(benchmark::State& state)
{
    MagneticModel mm(MaxBodies);
    const Threads threads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        modelMagnetic(mm.m->Bodies, MaxBodies, mm.field, mm.x(), nullptr, mm.n(), true,
                      mm.out.data(), mm.total.data());
        benchmark::DoNotOptimize(mm.total.data());
    }
}
// Argument: threads (0 = one per core, the program's setting).
BENCHMARK(BM_MagRecalculateModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MagRecalculateModelEqualStrike(benchmark::State& state)
{
    MagneticModel mm(MaxBodies, MaxStations, true);
    for (auto _ : state) {
        modelMagnetic(mm.m->Bodies, MaxBodies, mm.field, mm.x(), nullptr, mm.n(), true,
                      mm.out.data(), mm.total.data());
        benchmark::DoNotOptimize(mm.total.data());
    }
}
BENCHMARK(BM_MagRecalculateModelEqualStrike)->Unit(benchmark::kMillisecond)->UseRealTime();

// Stations at different heights above the datum (a draped survey).
void BM_MagRecalculateModelHeights(benchmark::State& state)
{
    MagneticModel mm(MaxBodies);
    std::vector<double> h(static_cast<std::size_t>(mm.n()));
    for (std::size_t i = 0; i < h.size(); ++i)
        h[i] = 0.05 * static_cast<double>(i % 17);
    for (auto _ : state) {
        modelMagnetic(mm.m->Bodies, MaxBodies, mm.field, mm.x(), h.data(), mm.n(), true,
                      mm.out.data(), mm.total.data());
        benchmark::DoNotOptimize(mm.total.data());
    }
}
BENCHMARK(BM_MagRecalculateModelHeights)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- one body: the corner drag ---------------------------------------------

void BM_MagBodyReference(benchmark::State& state)
{
    MagneticModel mm(1);
    int step = 0;
    for (auto _ : state) {
        dragStep(*mm.m, step);
        updateMagnetic(mm, referenceMagnetic);
        benchmark::DoNotOptimize(mm.total.data());
    }
}
BENCHMARK(BM_MagBodyReference)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MagUpdateBody(benchmark::State& state)
{
    MagneticModel mm(1);
    const Threads threads(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        dragStep(*mm.m, step);
        updateMagnetic(mm, bodyMagnetic);
        benchmark::DoNotOptimize(mm.total.data());
    }
}
BENCHMARK(BM_MagUpdateBody)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both fields, as an edit recalculates a body.
void BM_GravityMagneticUpdateBody(benchmark::State& state)
{
    MagneticModel mm(1);
    int step = 0;
    for (auto _ : state) {
        dragStep(*mm.m, step);
        mm.m->UpdateBody(1);
        updateMagnetic(mm, bodyMagnetic);
        benchmark::DoNotOptimize(mm.total.data());
        benchmark::DoNotOptimize(mm.m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_GravityMagneticUpdateBody)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
