#pragma once
// The largest model the program holds: 51 bodies of 50 corners each over 4096
// stations, every count at its limit.
#include "model/workspace.h"
#include "support/bodies.h"

#include <cmath>
#include <utility>
#include <vector>

namespace corvane::test {

inline void fullModel(Workspace& ws)
{
    Model& m = ws.model;
    setStations(m, MaxStations, 0, 409.5);
    for (int i = 1; i <= MaxStations; ++i)
        m.ObservedGravity[i] = std::sin(i * 0.01);
    m.NumBodies = MaxBodies;
    for (int b = 1; b <= MaxBodies; ++b) {
        std::vector<std::pair<double, double>> corners;
        const double cx = b * 8.0, cz = 2 + b % 5;
        for (int k = 0; k < MaxCorners - 1; ++k) {
            // Clockwise on screen: x right, z down.
            const double a = -2 * M_PI * k / (MaxCorners - 1);
            corners.push_back({cx + 3 * std::cos(a), cz + 1.5 * std::sin(a)});
        }
        setBody(m, b, corners, 0.01 * (b - 25), 50, 80);
    }
    m.ModelExists = true;
    m.RecalculateModel();
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 409.5;
    ws.display.ViewDepthMax = 10;
}

}  // namespace corvane::test
