#pragma once
// The fast gradient engine: the magnetic engine's block kernel
// (face_kernel.h) with six sums, one per component of the tensor, and with
// seven when the magnetic anomaly at the same stations is wanted too, so that
// the logarithms and arc tangents both take are computed once.
//
// It takes what the fast magnetic engine takes (magfast::fastDomain); the
// rest is left to the reference.
#include "magnetic.h"
#include "tensor.h"

namespace corvane::gradfast {

// The body's tensor (E) at stations [0, numStations) on this thread. The body
// and stations must be in magfast::fastDomain.
void fastGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                  int numStations, GravityTensor* out);

// The magnetic anomaly (nT, as magfast::fastMagnetic) and the tensor (as
// fastGradient) at the same stations, each to the last bit as alone.
void fastMagneticGradient(const Tbody& body, const Vector3& f, const Vector3& M,
                          const double* stationX, const double* stationHeight, int numStations,
                          double* magOut, GravityTensor* gradOut);

}  // namespace corvane::gradfast
