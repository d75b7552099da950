#pragma once
// The largest models the program holds, for the benchmarks.
#include "model/model.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane::bench {

// Body b: a 50-corner star-shaped (concave) polygon, clockwise on screen.
inline void fillBody(Model& m, int b, int corners, bool equalStrike)
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
    body.StrikeLength1 = 5 + b;   // unequal strike: the full 2.5-D path
    body.StrikeLength2 = equalStrike ? 5 + b : 2;
}

inline std::unique_ptr<Model> bigModel(int bodies, int stations = MaxStations, bool equalStrike = false)
{
    auto m = makeModel();
    m->NumStations = stations;
    for (int i = 1; i <= stations; ++i)
        m->StationX[i] = -100 + 200.0 * (i - 1) / std::max(stations - 1, 1);
    m->NumBodies = bodies;
    for (int b = 1; b <= bodies; ++b)
        fillBody(*m, b, 50, equalStrike);
    return m;
}

}  // namespace corvane::bench
