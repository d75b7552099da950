#pragma once
// A copy of everything an undo brings back, compared bit for bit: every body
// slot, the station arrays, the magnetic stations and field, the counts, the boreholes, the current and
// inversion bodies and the view settings.
#include "model/workspace.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <sstream>

namespace corvane::test {

struct ModelState {
    std::unique_ptr<Model> model;
    std::array<double, 8> view{};
    bool zoomed = false;
    int inversionBody = 0;

    explicit ModelState(const Workspace& ws) : model(std::make_unique<Model>(ws.model))
    {
        const Display& d = ws.display;
        view = {d.ViewXMin, d.ViewXMax, d.ViewDepthMin, d.ViewDepthMax,
                d.GridStepX, d.GridStepZ, d.DepthTickStep, d.GravityTickStep};
        zoomed = d.Zoomed;
        inversionBody = ws.inversion.InversionBody;
    }
};

template <class T>
bool sameBits(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// countSelection false: the current and inversion bodies may differ.
inline ::testing::AssertionResult sameState(const ModelState& x, const ModelState& y, bool countSelection = true)
{
    const Model& a = *x.model;
    const Model& b = *y.model;
    std::ostringstream err;
    for (int s = 1; s <= MaxBodies; ++s)
        if (!sameBits(a.Bodies[s], b.Bodies[s])) {
            const Tbody &p = a.Bodies[s], &q = b.Bodies[s];
            err << "body slot " << s << " differs (corners " << p.NumCorners << "/" << q.NumCorners
                << ", density " << p.Density << "/" << q.Density
                << (sameBits(p.Gravity, q.Gravity) ? "" : ", anomaly") << "); ";
        }
    if (!sameBits(a.StationX, b.StationX))
        err << "station positions differ; ";
    if (!sameBits(a.ObservedGravity, b.ObservedGravity))
        err << "observed anomaly differs; ";
    if (!sameBits(a.CalculatedGravity, b.CalculatedGravity))
        err << "total anomaly differs; ";
    if (!sameBits(a.Mag, b.Mag))
        err << "magnetic stations or field differ; ";
    if (a.NumStations != b.NumStations || a.NumBodies != b.NumBodies || a.HaveObserved != b.HaveObserved ||
        a.UnitsKm != b.UnitsKm || a.ModelExists != b.ModelExists || a.NumHoles != b.NumHoles)
        err << "counts or flags differ (bodies " << a.NumBodies << "/" << b.NumBodies << ", stations "
            << a.NumStations << "/" << b.NumStations << "); ";
    if (countSelection && (a.CurrentBody != b.CurrentBody || x.inversionBody != y.inversionBody))
        err << "current body " << a.CurrentBody << "/" << b.CurrentBody << ", inversion body "
            << x.inversionBody << "/" << y.inversionBody << "; ";
    for (int h = 1; h <= MaxHoles; ++h) {
        const THole &p = a.Holes[h], &q = b.Holes[h];
        if (p.Name != q.Name || p.NumDepths != q.NumDepths || p.NumLabels != q.NumLabels ||
            !sameBits(p.HoleX, q.HoleX) || !sameBits(p.HoleDepth, q.HoleDepth) || p.Label != q.Label ||
            p.LabelRow != q.LabelRow)
            err << "borehole " << h << " differs; ";
    }
    if (!sameBits(x.view, y.view) || x.zoomed != y.zoomed)
        err << "view settings differ; ";
    const std::string s = err.str();
    if (s.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << s;
}

}  // namespace corvane::test
