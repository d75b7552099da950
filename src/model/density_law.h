#pragma once
// A density contrast that changes with depth (compacting sediments): the
// anomaly of such a body, and the contrast at a depth. The derivation is in
// docs/density-laws.md.
#include "model.h"

#include <string>
#include <string_view>

namespace corvane {

// True when the body's contrast really changes with depth. A linear law with
// gradient 0 or an exponential one with decay 0 is the constant body, and is
// calculated as one, to the last bit.
bool variesWithDepth(const Tbody& body);

// The law's name in files and reports: "constant", "linear", "exponential";
// and back (false for any other word).
std::string_view densityLawWord(DensityLaw law);
bool densityLawOf(std::string_view word, DensityLaw& law);

// Back to the constant law (a slot taken by a new body).
void clearDensityLaw(Tbody& body);

// The contrast at depth z (model units below the datum).
double densityAt(const Tbody& body, double z);

// The law as a body's label gives it: "−0.45 e^−0.3z", "0.3 − 0.02(z−4)"
// (three significant figures, true minus signs); "" for a constant body.
std::string densityLawText(const Tbody& body);

// The anomaly of a body whose contrast changes with depth, as referenceAnomaly
// takes its arguments and applies its factors. Each edge's share of the line
// integral is taken by Gauss-Legendre quadrature on pieces graded towards the
// station, to about 1e-13 relative (tests hold it to 1e-9). The body's corners
// may run either way round, as with the constant law.
void lawAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                double* out, const double* stationHeight = nullptr);

// The same quadrature over blocks of stations, vectorised, each edge cut as
// its nearest station of the block needs (what the program uses where the
// fast engine's domain holds).
void blockLawAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                     double* out, const double* stationHeight = nullptr);

}  // namespace corvane
