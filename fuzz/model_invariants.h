#pragma once
// What must hold of a workspace after any reader or dialog has run, whatever
// it was given: counts within their limits, every body closed, every link
// answered by its partner, and only finite numbers in the model and the view.
// Used by the fuzz targets (which abort on a violation) and by the tests.
#include "io/text_lines.h"
#include "model/workspace.h"

#include <cmath>
#include <string>

namespace corvane::check {

// The corner a link record names, with the closing copy read as corner 1.
inline int canonicalCorner(const Tbody& b, int k) { return k == b.NumCorners ? 1 : k; }

// Empty when the workspace is sound, otherwise what is wrong with it.
inline std::string modelViolation(const Workspace& ws)
{
    const Model& m = ws.model;
    const Display& d = ws.display;
    auto at = [](const char* what, int b, int k = 0) {
        std::string s = std::string(what) + " (body " + std::to_string(b);
        if (k)
            s += ", corner " + std::to_string(k);
        return s + ")";
    };
    if (m.NumStations < 1 || m.NumStations > MaxStations)
        return "station count " + std::to_string(m.NumStations);
    if (m.NumBodies < 0 || m.NumBodies > MaxBodies)
        return "body count " + std::to_string(m.NumBodies);
    if (m.NumHoles < 0 || m.NumHoles > MaxHoles)
        return "borehole count " + std::to_string(m.NumHoles);
    if (m.CurrentBody < 1 || m.CurrentBody > MaxBodies)
        return "current body " + std::to_string(m.CurrentBody);

    for (int i = 1; i <= m.NumStations; ++i)
        if (!std::isfinite(m.StationX[i]) || !std::isfinite(m.ObservedGravity[i]) ||
            !std::isfinite(m.CalculatedGravity[i]))
            return "station " + std::to_string(i) + " not finite";

    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        const int n = body.NumCorners;
        if (n < 1 || n > MaxCorners)
            return at("corner count", b) + " " + std::to_string(n);
        if (!std::isfinite(body.Density) || !std::isfinite(body.StrikeLength1) ||
            !std::isfinite(body.StrikeLength2))
            return at("density or strike not finite", b);
        for (int k = 1; k <= n; ++k)
            if (!std::isfinite(body.CornerX[k]) || !std::isfinite(body.CornerZ[k]))
                return at("corner not finite", b, k);
        if (body.CornerX[n] != body.CornerX[1] || body.CornerZ[n] != body.CornerZ[1])
            return at("not closed", b);
        for (int k = 1; k <= n; ++k) {
            if (!body.Linked[k])
                continue;
            const int pb = body.LinkBody[k], pk = body.LinkCorner[k];
            if (pb < 1 || pb > m.NumBodies || pb == b || pk < 1 || pk > m.Bodies[pb].NumCorners)
                return at("link to nowhere", b, k);
            const Tbody& partner = m.Bodies[pb];
            const int back = canonicalCorner(partner, pk);
            if (!partner.Linked[back] || partner.LinkBody[back] != b ||
                canonicalCorner(body, partner.LinkCorner[back]) != canonicalCorner(body, k))
                return at("link not answered", b, k);
            if (partner.CornerX[pk] != body.CornerX[k] || partner.CornerZ[pk] != body.CornerZ[k])
                return at("linked corners apart", b, k);
        }
        for (int i = 1; i <= m.NumStations; ++i)
            if (!std::isfinite(body.Gravity[i]))
                return at("anomaly not finite", b);
    }

    // The total is the sum of the visible bodies.
    for (int i = 1; i <= m.NumStations; ++i) {
        double sum = 0, scale = 1;
        for (int b = 1; b <= m.NumBodies; ++b)
            if (!m.Bodies[b].Hidden) {
                sum += m.Bodies[b].Gravity[i];
                scale += std::fabs(m.Bodies[b].Gravity[i]);
            }
        if (std::fabs(sum - m.CalculatedGravity[i]) > 1e-9 * scale)
            return "total anomaly at station " + std::to_string(i) + " is not the sum of the bodies";
    }

    for (int h = 1; h <= m.NumHoles; ++h) {
        const THole& hole = m.Holes[h];
        if (hole.NumDepths < 0 || hole.NumDepths > MaxHoleDepths || hole.NumLabels < 0 ||
            hole.NumLabels > MaxHoleLabels)
            return "borehole " + std::to_string(h) + " counts";
        if (firstCharacters(hole.Name, 20) != hole.Name)
            return "borehole " + std::to_string(h) + " name too long";
        for (int r = 1; r <= hole.NumDepths; ++r)
            if (!std::isfinite(hole.HoleX[r]) || !std::isfinite(hole.HoleDepth[r]))
                return "borehole " + std::to_string(h) + " not finite";
        for (int l = 1; l <= hole.NumLabels; ++l) {
            if (hole.LabelRow[l] < 1 || hole.LabelRow[l] > hole.NumDepths)
                return "borehole " + std::to_string(h) + " label row";
            if (firstCharacters(hole.Label[l], 15) != hole.Label[l])
                return "borehole " + std::to_string(h) + " label too long";
        }
    }

    for (double v : {d.ViewXMin, d.ViewXMax, d.ViewDepthMin, d.ViewDepthMax, d.GridStepX,
                     d.GridStepZ, d.DepthTickStep, d.GravityTickStep})
        if (!std::isfinite(v))
            return "display value not finite";
    if (!(d.ViewDepthMax > d.ViewDepthMin))
        return "empty depth range";
    return {};
}

}  // namespace corvane::check
