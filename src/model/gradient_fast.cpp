#include "gradient_fast.h"
#include "face_kernel.h"
#include "gradient.h"
#include "magnetic_fast.h"

#include <algorithm>
#include <cmath>

namespace corvane::gradfast {

namespace {

using namespace facekernel;

// The six components, and the magnetic anomaly first and then the six.
using GradPlan = Plan<TensorComponents>;
using BothPlan = Plan<TensorComponents + 1>;

CORVANE_CLONES
void blockGradient(const GradPlan& plan, const double* S, const double* H, double (*out)[BlockSize])
{
    anyBlock<BlockSize>(plan, S, H, out);
}

CORVANE_CLONES
void smallBlockGradient(const GradPlan& plan, const double* S, const double* H,
                        double (*out)[SmallBlock])
{
    anyBlock<SmallBlock>(plan, S, H, out);
}

CORVANE_CLONES
void blockBoth(const BothPlan& plan, const double* S, const double* H, double (*out)[BlockSize])
{
    anyBlock<BlockSize>(plan, S, H, out);
}

CORVANE_CLONES
void smallBlockBoth(const BothPlan& plan, const double* S, const double* H,
                    double (*out)[SmallBlock])
{
    anyBlock<SmallBlock>(plan, S, H, out);
}

// The gradient's weights and scales into sums [first, first + 6).
template <int N>
void gradientPlan(const Tbody& body, Plan<N>& plan, int first)
{
    for (int k = 1; k <= plan.n; ++k)
        if (!plan.same[k])
            gradientWeights(plan.c[k], plan.s[k], plan.side, &plan.w[k][first]);
    // G rho in E, both sides for Equal.
    const double scale = body.Density * EotvosFactor * (plan.sides == Sides::Equal ? 2 : 1);
    for (int o = first; o < first + TensorComponents; ++o)
        plan.scale[o] = scale;
}

// A station inside the body: the trace is -4 pi G rho there, which the side
// faces alone do not give (see the reference).
void addInterior(const Tbody& body, const double* stationX, const double* stationHeight,
                 int numStations, GravityTensor* out)
{
    double top = magfast::MaxMagnitude;
    for (int k = 1; k <= body.NumCorners; ++k)
        top = std::min(top, body.CornerZ[k]);
    for (int i = 0; i < numStations; ++i) {
        const double h = stationHeight ? stationHeight[i] : 0.0;
        if (-h > top)
            if (const int w = stationWinding(body, stationX[i], h); w != 0) {
                const double v = out[i].yy - w * 4 * Pi * body.Density * EotvosFactor;
                out[i].yy = std::fabs(v) <= MaxAnomaly ? v : 0.0;
            }
    }
}

}  // namespace

void fastGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                  int numStations, GravityTensor* out)
{
    GradPlan plan;
    planGeometry(body, plan);
    gradientPlan(body, plan, 0);
    forBlocks(plan, stationX, stationHeight, numStations, blockGradient, smallBlockGradient,
              [&](int first, int count, const auto& v) {
                  for (int i = 0; i < count; ++i)
                      for (int c = 0; c < TensorComponents; ++c)
                          out[first + i][c] = v[c][i];
              });
    addInterior(body, stationX, stationHeight, numStations, out);
}

void fastMagneticGradient(const Tbody& body, const Vector3& f, const Vector3& M,
                          const double* stationX, const double* stationHeight, int numStations,
                          double* magOut, GravityTensor* gradOut)
{
    BothPlan plan;
    planGeometry(body, plan);
    for (int k = 1; k <= plan.n; ++k)
        if (!plan.same[k])
            plan.w[k][0] = magneticWeights(plan.c[k], plan.s[k], plan.side, f, M);
    plan.scale[0] = plan.sides == Sides::Equal ? 200.0 : 100.0;   // as fastMagnetic
    gradientPlan(body, plan, 1);
    forBlocks(plan, stationX, stationHeight, numStations, blockBoth, smallBlockBoth,
              [&](int first, int count, const auto& v) {
                  for (int i = 0; i < count; ++i) {
                      magOut[first + i] = v[0][i];
                      for (int c = 0; c < TensorComponents; ++c)
                          gradOut[first + i][c] = v[c + 1][i];
                  }
              });
    magfast::addInteriorField(body, f, M, stationX, stationHeight, numStations, magOut);
    addInterior(body, stationX, stationHeight, numStations, gradOut);
}

}  // namespace corvane::gradfast
