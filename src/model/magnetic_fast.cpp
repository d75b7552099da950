#include "magnetic_fast.h"
#include "face_kernel.h"

#include <algorithm>
#include <cmath>

namespace corvane::magfast {

namespace {

using namespace facekernel;

// One sum: the field along f of the magnetisation M.
using MagPlan = Plan<1>;

CORVANE_CLONES
void blockMagnetic(const MagPlan& plan, const double* S, const double* H, double (*out)[BlockSize])
{
    anyBlock<BlockSize>(plan, S, H, out);
}

CORVANE_CLONES
void smallBlockMagnetic(const MagPlan& plan, const double* S, const double* H,
                        double (*out)[SmallBlock])
{
    anyBlock<SmallBlock>(plan, S, H, out);
}

bool sane(double v) { return std::fabs(v) <= MaxMagnitude; }   // false for NaN too

// The station's distance from the nearest edge of the body in the section.
double clearOfEdges(const Tbody& body, double x, double z)
{
    const int n = body.NumCorners;
    double nearest = MaxMagnitude;
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double ax = body.CornerX[k] - x, az = body.CornerZ[k] - z;
        const double dx = body.CornerX[next] - body.CornerX[k], dz = body.CornerZ[next] - body.CornerZ[k];
        const double ll = dx * dx + dz * dz;
        const double t = ll > 0 ? std::clamp(-(ax * dx + az * dz) / ll, 0.0, 1.0) : 0.0;
        nearest = std::min(nearest, std::hypot(ax + t * dx, az + t * dz));
    }
    return nearest;
}

}  // namespace

bool fastDomain(const Tbody& body, const double* stationX, const double* stationHeight,
                int numStations)
{
    const int n = body.NumCorners;
    if (n < 1 || n > MaxCorners)
        return false;
    double top = MaxMagnitude;
    for (int k = 1; k <= n; ++k) {
        if (!sane(body.CornerX[k]) || !sane(body.CornerZ[k]))
            return false;
        top = std::min(top, body.CornerZ[k]);
    }
    for (double y : {body.StrikeLength1, body.StrikeLength2})
        if (!(y == 0 || (y >= MinLength && sane(y))))
            return false;
    for (int i = 0; i < numStations; ++i) {
        const double H = stationHeight ? stationHeight[i] : 0.0;
        if (!sane(stationX[i]) || !sane(H))
            return false;
        // Stations well above the body: no distance is ever near 0. Lower
        // down (in a borehole, inside the body) each edge must stay clear.
        if (!(top + H >= MinLength) && !(clearOfEdges(body, stationX[i], -H) >= MinLength))
            return false;
    }
    return true;
}

void fastMagnetic(const Tbody& body, const Vector3& f, const Vector3& M, const double* stationX,
                  const double* stationHeight, int numStations, double* out)
{
    MagPlan plan;
    planGeometry(body, plan);
    for (int k = 1; k <= plan.n; ++k)
        if (!plan.same[k])
            plan.w[k][0] = magneticWeights(plan.c[k], plan.s[k], plan.side, f, M);
    // mu0/4pi in nT, both sides for Equal.
    plan.scale[0] = plan.sides == Sides::Equal ? 200.0 : 100.0;
    forBlocks(plan, stationX, stationHeight, numStations, blockMagnetic, smallBlockMagnetic,
              [&](int first, int count, const auto& v) {
                  for (int i = 0; i < count; ++i)
                      out[first + i] = v[0][i];
              });
    addInteriorField(body, f, M, stationX, stationHeight, numStations, out);
}

void addInteriorField(const Tbody& body, const Vector3& f, const Vector3& M,
                      const double* stationX, const double* stationHeight, int numStations,
                      double* out)
{
    // Stations below the body's top may be inside it: there the
    // magnetometer reads mu0 (H + M).
    double top = MaxMagnitude;
    for (int k = 1; k <= body.NumCorners; ++k)
        top = std::min(top, body.CornerZ[k]);
    for (int i = 0; i < numStations; ++i) {
        const double h = stationHeight ? stationHeight[i] : 0.0;
        if (-h > top)
            if (const double inside = interiorField(body, f, M, stationX[i], h); inside != 0) {
                const double v = out[i] + inside;
                out[i] = std::fabs(v) <= MaxAnomaly ? v : 0.0;
            }
    }
}

}  // namespace corvane::magfast
