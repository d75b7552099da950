// Loading the largest model (51 bodies of 50 corners over 4096 stations)
// from its bytes, without extras and with a full block (every kind of item,
// as many as the model can hold), in the same run: the block must cost
// nothing beside reading the records and recalculating every body. Reading
// the block alone is timed too.
#include "big_model.h"
#include "io/model_file.h"
#include "model/workspace.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

using namespace corvane;

namespace {

// The largest model with every kind of extra item.
void fillExtras(Workspace& ws)
{
    Model& m = ws.model;
    for (int b = 1; b < MaxBodies; ++b) {
        // Body b + 1's first corner onto body b's second, linked.
        Tbody& next = m.Bodies[b + 1];
        next.setCorner(1, m.Bodies[b].CornerX[2], m.Bodies[b].CornerZ[2]);
        m.Bodies[b].Linked[2] = next.Linked[1] = true;
        m.Bodies[b].LinkBody[2] = b + 1;
        m.Bodies[b].LinkCorner[2] = 1;
        next.LinkBody[1] = b;
        next.LinkCorner[1] = 2;
        m.Bodies[b].Hidden = b % 2 == 0;
    }
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = m.Bodies[b];
        body.InvertDensity = body.InvertDepth = true;
        body.DensMin = 0.01 * b;
        body.DepthMax = 20 + b;
        for (int k = 1; k < body.NumCorners; ++k)
            body.CornerInvertX[k] = body.CornerInvertZ[k] = true;
    }
    ws.inversion.InversionBody = 7;
    ws.inversion.NumIterations = 30;
    ws.extras.KeepLinkedCorners = true;
    ws.extras.RegionalRemoved = RegionalRecord{"linear", {0.0123, -4.5}};
    for (int h = 1; h <= MaxHoles; ++h) {
        THole& hole = m.Holes[h];
        hole.Name = "borehole " + std::to_string(h);
        hole.NumDepths = MaxHoleDepths;
        for (int r = 1; r <= MaxHoleDepths; ++r) {
            hole.HoleX[r] = -50 + 20 * h + 0.01 * r;
            hole.HoleDepth[r] = 0.1 * r;
        }
        hole.NumLabels = MaxHoleLabels;
        for (int l = 1; l <= MaxHoleLabels; ++l) {
            hole.Label[l] = "layer " + std::to_string(l);
            hole.LabelRow[l] = 5 * l;
        }
    }
    m.NumHoles = MaxHoles;
    ws.display.ShowBodyNumbers = ws.display.DrawGrid = ws.display.PlotPoints = true;
    ws.display.ColourScheme = 3;
    ws.display.ObsCurveColour = Rgb{200, 0, 0};
    ws.app.Title1 = "The largest model";
    ws.app.Title2 = "with every extra";
    m.RecalculateModel();
}

// The magnetic and station-height items, kept as read: one field, a
// magnetisation per body, a height per station, a magnetic station per station.
std::string magneticItems(const Model& m)
{
    std::string s = "field 48000 62.5 -1.5 90\r\n";
    for (int b = 1; b <= m.NumBodies; ++b)
        s += "magnetisation " + std::to_string(b) + " 0.0" + std::to_string(b % 10) + " 1.2 60 5\r\n";
    for (int i = 1; i <= m.NumStations; ++i)
        s += "elevation " + std::to_string(i) + " " + extrasNumber(0.001 * i) + "\r\n";
    for (int i = 1; i <= m.NumStations; ++i)
        s += "magstation " + extrasNumber(m.StationX[i]) + " 0.05 " + extrasNumber(12.5 - 0.01 * i) + "\r\n";
    return s;
}

const std::string& fileBytes(bool withExtras)
{
    static const auto files = [] {
        std::array<std::string, 2> out;
        for (int full = 0; full <= 1; ++full) {
            Workspace ws;
            ws.model = *bench::bigModel(MaxBodies);
            if (full)
                fillExtras(ws);
            out[static_cast<std::size_t>(full)] = modelFileBytes(ws).value_or("");
        }
        std::string& full = out[1];
        full.insert(full.find("invert "), magneticItems(*bench::bigModel(MaxBodies)));
        return out;
    }();
    return files[withExtras ? 1 : 0];
}

// Arg 0: the records alone; 1: with the full block.
void BM_LoadLargestModel(benchmark::State& state)
{
    const std::string& bytes = fileBytes(state.range(0) != 0);
    Workspace ws;
    std::vector<std::string> notes;
    for (auto _ : state) {
        if (!loadModelBytes(ws, bytes, &notes) || !notes.empty()) {
            state.SkipWithError("the model did not load cleanly");
            return;
        }
        benchmark::DoNotOptimize(ws.model.CalculatedGravity.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadLargestModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The full block read on its own, without touching a model.
void BM_ReadFullExtras(benchmark::State& state)
{
    const std::string& bytes = fileBytes(true);
    ModelFileContents records;
    if (!parseModelFile(fileBytes(false), records)) {
        state.SkipWithError("the records do not read");
        return;
    }
    ExtrasReading reading;
    for (auto _ : state) {
        auto x = readExtras(bytes, records.RecordBytes, reading);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ReadFullExtras)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
