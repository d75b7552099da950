#pragma once
// The fast magnetic engine: the same formula as referenceMagnetic, arranged
// as the gravity engine is.
//
// - Every edge's direction, normal and the three coefficients that fold the
//   field and magnetisation directions into its face integrals are computed
//   once per body, not per station.
// - The logarithm of a corner (the face integral of t / rho^3) is taken once
//   per corner and station, both strike sides in one.
// - The strike-side difference of an edge's logarithms is one logarithm of a
//   product, and both sides' solid-angle terms one arc tangent of a complex
//   product.
// - Stations go in fixed blocks laid out as plain arrays so that every loop
//   vectorises, with the branch-free logarithm and arc tangent.
//
// Bodies and stations outside the range where that holds (absurd sizes,
// stations on or next to the body's outline) are left to the reference.
// Inside a body both add the same interior term.
#include "magnetic.h"

namespace corvane::magfast {

// Stations per block: the unit of vectorised work.
inline constexpr int BlockSize = 64;

// Largest coordinate, height or strike length (model units) it takes.
inline constexpr double MaxMagnitude = 1e10;
// Smallest strike length other than 0, and smallest height of a station above
// the body's shallowest corner or distance from its outline, it takes.
inline constexpr double MinLength = 1e-6;

// True when the fast engine gives the reference's figures for this body and
// these stations (stationHeight may be nullptr: all 0).
bool fastDomain(const Tbody& body, const double* stationX, const double* stationHeight,
                int numStations);

// The body's anomaly (nT) at stations [0, numStations) on this thread, for
// field direction f and magnetisation M (A/m) in profile axes. The body and
// stations must be in fastDomain.
void fastMagnetic(const Tbody& body, const Vector3& f, const Vector3& M, const double* stationX,
                  const double* stationHeight, int numStations, double* out);

// What stations inside the body add to out (see interiorField): the fast
// engines' calculation leaves it out.
void addInteriorField(const Tbody& body, const Vector3& f, const Vector3& M,
                      const double* stationX, const double* stationHeight, int numStations,
                      double* out);

}  // namespace corvane::magfast
