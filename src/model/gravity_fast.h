#pragma once
// The fast anomaly engine: the same formula as referenceAnomaly, rearranged so
// that it costs a fraction of the time and gives the same figures.
//
// - The logarithms of the H and K terms belong to a corner, not to an edge:
//   they are taken once per corner and station, and the two strike sides share
//   one logarithm of the product of their arguments.
// - The two arc tangents of an edge and strike side are one atan2 of the
//   angle difference; with two different strike lengths the two angles are
//   added as one complex product, so an edge costs one atan2.
// - Stations are processed in fixed blocks laid out as plain arrays, so that
//   the compiler vectorises every loop; the logarithm and arc tangent are our
//   own branch-free versions of the classic fdlibm algorithms.
// - The geometry that the logarithms are most sensitive to (edge direction,
//   projections, distances) is computed with exactly the operations of the
//   reference, so stations on an edge's extension get the same figures too.
//
// Bodies outside the range where that reasoning holds (non-finite or absurd
// coordinates, negative strike lengths) are handed to the reference.
#include "model.h"

namespace corvane::fast {

// Stations per block: the unit of vectorised work.
inline constexpr int BlockSize = 64;

// Largest coordinate or strike length (in model units) the fast engine takes.
inline constexpr double MaxMagnitude = 1e10;

// True when the fast engine gives the reference's figures for this body and
// these stations; otherwise use referenceAnomaly.
bool fastDomain(const Tbody& body, const double* stationX, int numStations);

// The anomaly of the body at stations [0, numStations), as referenceAnomaly
// (density, gravitational factor and metre factor applied), on this thread.
// The body must be in fastDomain.
void fastAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out);

// ln(x) for positive normal x. Exposed for tests.
double logOf(double x);

// atan2(y, x) with atan2(0, 0) = 0. Exposed for tests.
double arcTan2(double y, double x);

}  // namespace corvane::fast
