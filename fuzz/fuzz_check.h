#pragma once
// Shared by the fuzz targets: abort with a reason when the model is unsound,
// a fingerprint of everything a refused input must leave alone, and a small
// model to read into.
#include "model_invariants.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace corvane::fuzz {

[[noreturn]] inline void fail(const std::string& why)
{
    std::fprintf(stderr, "model invariant violated: %s\n", why.c_str());
    std::abort();
}

inline void require(bool ok, const char* why)
{
    if (!ok)
        fail(why);
}

inline void requireSound(const Workspace& ws)
{
    if (const std::string why = check::modelViolation(ws); !why.empty())
        fail(why);
}

// The bytes of every value a reader may change (NaN compares by its bits).
inline std::string snapshot(const Workspace& ws)
{
    std::string s;
    auto put = [&s](const auto& v) { s.append(reinterpret_cast<const char*>(&v), sizeof v); };
    const Model& m = ws.model;
    put(m.NumStations), put(m.NumBodies), put(m.NumHoles), put(m.CurrentBody), put(m.UnitsKm),
        put(m.HaveObserved), put(m.ModelExists);
    for (int i = 1; i <= MaxStations; ++i)
        put(m.StationX[i]), put(m.ObservedGravity[i]), put(m.CalculatedGravity[i]);
    for (int b = 1; b <= MaxBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        put(body.NumCorners), put(body.Density), put(body.StrikeLength1), put(body.StrikeLength2),
            put(body.Hidden);
        for (int k = 1; k <= MaxCorners; ++k)
            put(body.CornerX[k]), put(body.CornerZ[k]), put(body.Linked[k]), put(body.LinkBody[k]),
                put(body.LinkCorner[k]);
        for (int i = 1; i <= m.NumStations && i <= MaxStations; ++i)
            put(body.Gravity[i]);
    }
    for (int h = 1; h <= MaxHoles; ++h) {
        const THole& hole = m.Holes[h];
        put(hole.NumDepths), put(hole.NumLabels);
        s += hole.Name + '\0';
    }
    const Display& d = ws.display;
    put(d.ViewXMin), put(d.ViewXMax), put(d.ViewDepthMin), put(d.ViewDepthMax), put(d.GridStepX),
        put(d.GridStepZ), put(d.ModelLoaded);
    return s;
}

// Eleven stations 0..100 and one square body, calculated.
inline void loadSeedModel(Workspace& ws)
{
    Model& m = ws.model;
    m.NumStations = 11;
    for (int i = 1; i <= 11; ++i) {
        m.StationX[i] = (i - 1) * 10.0;
        m.ObservedGravity[i] = i * 0.5;
    }
    m.NumBodies = 1;
    Tbody& b = m.Bodies[1];
    b.Density = 0.2;
    b.StrikeLength1 = b.StrikeLength2 = 100;
    b.NumCorners = 5;
    const double xs[] = {40, 60, 60, 40}, zs[] = {5, 5, 15, 15};
    for (int k = 1; k <= 4; ++k)
        b.setCorner(k, xs[k - 1], zs[k - 1]);
    b.setCorner(5, xs[0], zs[0]);
    m.ModelExists = true;
    m.RecalculateModel();
    ws.display.ModelLoaded = true;
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 100;
}

}  // namespace corvane::fuzz
