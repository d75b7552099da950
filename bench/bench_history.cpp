// Undo and redo on the largest model the program holds (51 bodies of 50
// corners over 4096 stations). bench/run.sh sets them against one
// recalculation of that model in the same run (BM_RecalculateModel/0).
#include "app/history.h"
#include "edit/body_ops.h"
#include "support/full_model.h"

#include <benchmark/benchmark.h>

using namespace corvane;

namespace {

// The largest model with body 2's leftmost corner linked to body 1's rightmost.
struct Largest {
    Workspace ws;
    ModelHistory history{ws};

    Largest()
    {
        test::fullModel(ws);
        Model& m = ws.model;
        m.Bodies[2].setCorner(26, m.Bodies[1].CornerX[1], m.Bodies[1].CornerZ[1]);
        m.Bodies[1].Linked[1] = m.Bodies[2].Linked[26] = true;
        m.Bodies[1].LinkBody[1] = 2;
        m.Bodies[1].LinkCorner[1] = 26;
        m.Bodies[2].LinkBody[26] = 1;
        m.Bodies[2].LinkCorner[26] = 1;
        m.UpdateBody(2);
        m.CurrentBody = 1;
    }
    void undoAndRedo(benchmark::State& state)
    {
        for (auto _ : state) {
            history.undo();
            history.redo();
            benchmark::DoNotOptimize(ws.model.CalculatedGravity.data());
        }
        state.counters["step_bytes"] = static_cast<double>(history.newestStepBytes());
    }
};

// Body 1 moved: it, its linked neighbour and the total change.
void BM_UndoRedoLinkedMove(benchmark::State& state)
{
    Largest l;
    l.history.begin(QStringLiteral("Move a body"));
    moveCurrentBody(l.ws.model, 0.5, 0.25);
    l.history.end();
    l.undoAndRedo(state);
}
BENCHMARK(BM_UndoRedoLinkedMove)->Unit(benchmark::kMillisecond)->UseRealTime();

// The units changed: every body's anomaly and the total change.
void BM_UndoRedoChangeUnits(benchmark::State& state)
{
    Largest l;
    l.history.begin(QStringLiteral("Change units"));
    changeUnits(l.ws.model, false);
    l.history.end();
    l.undoAndRedo(state);
}
BENCHMARK(BM_UndoRedoChangeUnits)->Unit(benchmark::kMillisecond)->UseRealTime();

// What every command pays to be recorded: the copy when it begins and the
// comparison when it ends (here a step of one changed value, then undone).
void BM_RecordStep(benchmark::State& state)
{
    Largest l;
    for (auto _ : state) {
        l.history.begin(QStringLiteral("Change body properties"));
        l.ws.model.Bodies[7].Density += 1e-3;
        l.history.end();
        l.history.undo();
    }
}
BENCHMARK(BM_RecordStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
