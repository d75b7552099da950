#pragma once
// The fast anomaly engine: the same formula as referenceAnomaly, rearranged so
// that it costs a fraction of the time and gives the same figures (closer to
// the exact ones where the reference's sums cancel).
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
// - An edge's direction is computed once, from its corners, not at each
//   station from the corners' offsets to the station, and t + R is formed so
//   that it never cancels: stations on the line of an edge, where the
//   reference loses digits, get the figure the formula means.
//
// Bodies outside the range where that reasoning holds (non-finite or absurd
// coordinates, negative strike lengths) are handed to the reference.
#include "model.h"

namespace corvane::fast {

// Stations per block: the unit of vectorised work.
inline constexpr int BlockSize = 64;

// Largest coordinate or strike length (in model units) the fast engine takes.
inline constexpr double MaxMagnitude = 1e10;
// Smallest strike length other than 0 it takes (its cube is still a normal
// number).
inline constexpr double MinStrike = 1e-30;

// True when the fast engine gives the reference's figures for this body and
// these stations; otherwise use referenceAnomaly.
bool fastDomain(const Tbody& body, const double* stationX, int numStations,
                const double* stationHeight = nullptr);

// The anomaly of the body at stations [0, numStations), as referenceAnomaly
// (density, gravitational factor and metre factor applied), on this thread.
// The body must be in fastDomain. A block of stations all at height 0 (or no
// heights at all) goes through the kernel without heights, to the last bit as
// it always has; a block with a station off the datum takes each corner's
// depth from its station.
void fastAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out, const double* stationHeight = nullptr);

// ln(num / den) for num and den in [1e-150, 1e150], without rounding the
// quotient first. Exposed for tests.
double logRatio(double num, double den);

// atan2(y, x) with atan2(0, 0) = 0. Exposed for tests.
double arcTan2(double y, double x);

}  // namespace corvane::fast
