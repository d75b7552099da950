#pragma once
// The end of the new-model journey, as the window takes it once the profile
// is in: the first body drawn in the middle third of the profile, a tenth to
// a fifth of the section deep. Shared by the fuzz targets and the tests.
#include "app/newmodel_data.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace corvane::check {

// `corners` are fractions of that box (0,0 its upper left), clockwise on
// screen; the closing copy of corner 1 is added here.
inline void drawFirstBody(Workspace& ws, std::initializer_list<std::pair<double, double>> corners)
{
    const int b = prepareFirstBody(ws);
    const Display& d = ws.display;
    const double x0 = d.ViewXMin + (d.ViewXMax - d.ViewXMin) / 3;
    const double x1 = d.ViewXMin + (d.ViewXMax - d.ViewXMin) * 2 / 3;
    const double z0 = d.ViewDepthMax * 0.1, z1 = d.ViewDepthMax * 0.2;
    Tbody& body = ws.model.Bodies[b];
    body.NumCorners = static_cast<int>(corners.size()) + 1;
    int k = 0;
    for (const auto& [fx, fz] : corners)
        body.setCorner(++k, std::lerp(x0, x1, fx), std::lerp(z0, z1, fz));   // exact at 0 and 1
    body.setCorner(k + 1, body.CornerX[1], body.CornerZ[1]);
    finishFirstBody(ws);
}

}  // namespace corvane::check
