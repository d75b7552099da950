// The cost of a density that changes with depth: the same bodies with the
// constant, linear and exponential laws, in UpdateBody and in the whole
// recalculation, measured in one run so that the ratios are fair.
#include "big_model.h"
#include "model/model.h"

#include <benchmark/benchmark.h>

using namespace corvane;
using namespace corvane::bench;

namespace {

void giveLaw(Model& m, int law)
{
    for (int b = 1; b <= m.NumBodies; ++b) {
        m.Bodies[b].Law = static_cast<DensityLaw>(law);
        m.Bodies[b].LawRate = law == 1 ? -0.01 : law == 2 ? 0.2 : 0.0;
        m.Bodies[b].LawZ0 = 2;
    }
}

// Argument: the law (0 constant, 1 linear, 2 exponential).
void BM_DensityLawUpdateBody(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    giveLaw(*m, static_cast<int>(state.range(0)));
    m->RecalculateModel();
    int step = 0;
    for (auto _ : state) {
        Tbody& body = m->Bodies[1];
        body.setCorner(7, body.CornerX[7] + ((step++ % 2) ? 0.01 : -0.01), body.CornerZ[7]);
        m->UpdateBody(1);
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_DensityLawUpdateBody)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DensityLawRecalculateModel(benchmark::State& state)
{
    auto m = bigModel(MaxBodies);
    giveLaw(*m, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        m->RecalculateModel();
        benchmark::DoNotOptimize(m->CalculatedGravity.data());
    }
}
BENCHMARK(BM_DensityLawRecalculateModel)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
