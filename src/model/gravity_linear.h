#pragma once
// The closed-form anomaly of a body whose contrast is linear in depth, in the
// fast engine's domain: the constant-density anomaly plus the gradient times
// the body's first depth moment, both edge by edge. docs/density-laws.md has
// the derivation.
#include "model.h"

namespace corvane::fast {

// As fastAnomaly for a body with a linear law (body.Law == Linear); the body
// and stations must be in fastDomain.
void linearAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                   double* out, const double* stationHeight = nullptr);

}  // namespace corvane::fast
