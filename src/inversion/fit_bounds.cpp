// The ranges the fits and the inversion keep a body's parameters in.
#include "inversion/fits.h"

#include "model/bounds.h"
#include "model/density_law.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane {

double Bounds::limit(double v, Bound& held) const
{
    if (v > max) {
        v = max;
        held = Bound::Maximum;
    }
    if (v < min) {
        v = min;
        held = Bound::Minimum;
    }
    return v;
}

namespace {

// The default pair widened to hold v.
Bounds holding(double lo, double hi, double v)
{
    if (!std::isfinite(v))
        return {lo, hi};
    return {std::min(lo, v), std::max(hi, v)};
}

// The shallowest and deepest of the body's distinct corners.
std::pair<double, double> depthExtent(const Tbody& body)
{
    double top = body.CornerZ[1], bottom = body.CornerZ[1];
    for (int k = 2; k <= body.NumCorners - 1; ++k) {
        top = std::min(top, body.CornerZ[k]);
        bottom = std::max(bottom, body.CornerZ[k]);
    }
    return {top, bottom};
}

}  // namespace

Bounds densityBounds(const Tbody& body)
{
    if (densityBoundsTyped(body))
        return {body.DensMin, body.DensMax};
    // The density column divides by the density: the bounds must not cross 0.
    // Under a linear law the contrast at z is Density + G (z - z0), which
    // must keep that sign at the body's top and bottom as well.
    double shift = 0;   // the most the law takes away from the sign, at either end
    if (body.Law == DensityLaw::Linear && variesWithDepth(body)) {
        const auto [top, bottom] = depthExtent(body);
        const double s = body.Density < 0 ? -1 : 1;
        shift = std::max({0.0, -s * body.LawRate * (top - body.LawZ0), -s * body.LawRate * (bottom - body.LawZ0)});
    }
    if (body.Density < 0)
        return holding(std::min(-1.0, -0.0001 - shift), -0.0001 - shift, body.Density);
    return holding(0.0001 + shift, std::max(1.0, 0.0001 + shift), body.Density);
}

Bounds positionBounds(const Model& m, const Tbody& body)
{
    if (positionBoundsTyped(body) || m.NumStations < 1)
        return {body.XPosMin, body.XPosMax};
    return holding(m.StationX[1], m.StationX[m.NumStations], body.CornerX[1]);
}

Bounds depthBounds(DepthRange view, const Tbody& body)
{
    if (depthBoundsTyped(body))
        return {body.DepthMin, body.DepthMax};
    return holding(view.min, view.max, body.CornerZ[1]);
}

Bounds lawRateBounds(const Tbody& body)
{
    const auto [top, bottom] = depthExtent(body);
    const double thick = bottom - top;
    const double v = body.LawRate;
    Bounds r{0, 0};
    if (!(thick > 0)) {
        r = {v, v};   // a flat body: no depth range for the rate to act over
    } else if (body.Law == DensityLaw::Exponential) {
        r = {-30 / thick, 30 / thick};   // the exponential keeps its sign
    } else if (body.Law == DensityLaw::Linear && body.Density != 0) {
        // s G between -a / (bottom - z0) and a / (z0 - top): the contrast
        // a s + G (z - z0) keeps the sign s at both ends.
        const double a = std::abs(body.Density);
        const double cap = 10 * a / thick;
        const double z0 = body.LawZ0;
        const double lo = bottom > z0 ? std::max(-cap, -a / (bottom - z0)) : -cap;
        const double hi = top < z0 ? std::min(cap, a / (z0 - top)) : cap;
        r = body.Density > 0 ? Bounds{lo, hi} : Bounds{-hi, -lo};
    }
    if (std::isfinite(v))
        r = {std::min(r.min, v), std::max(r.max, v)};
    return r;
}

}  // namespace corvane
