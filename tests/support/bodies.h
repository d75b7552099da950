#pragma once
// Small builders for test models.
#include "model/model.h"

#include <utility>
#include <vector>

namespace corvane::test {

// Fills body b with the given distinct corners (clockwise on screen for a
// positive anomaly) and the closing copy of corner 1.
inline void setBody(Model& m, int b, const std::vector<std::pair<double, double>>& corners,
                    double density = 1.0, double y1 = 1000, double y2 = 1000)
{
    Tbody& body = m.Bodies[b];
    body.NumCorners = static_cast<int>(corners.size()) + 1;
    for (int k = 1; k <= static_cast<int>(corners.size()); ++k) {
        body.CornerX[k] = corners[static_cast<std::size_t>(k - 1)].first;
        body.CornerZ[k] = corners[static_cast<std::size_t>(k - 1)].second;
    }
    body.CornerX[body.NumCorners] = body.CornerX[1];
    body.CornerZ[body.NumCorners] = body.CornerZ[1];
    body.Density = density;
    body.StrikeLength1 = y1;
    body.StrikeLength2 = y2;
}

// Stations from x0 to x1 in equal steps.
inline void setStations(Model& m, int n, double x0, double x1)
{
    m.NumStations = n;
    for (int i = 1; i <= n; ++i)
        m.StationX[i] = n == 1 ? x0 : x0 + (x1 - x0) * (i - 1) / (n - 1);
}

// The rectangle x -1..1, z 1..2, clockwise on screen (x right, z down).
inline const std::vector<std::pair<double, double>> unitRectangle = {
    {-1, 1}, {1, 1}, {1, 2}, {-1, 2}};

}  // namespace corvane::test
