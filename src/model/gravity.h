#pragma once
// The 2.5-D anomaly of a polygonal prism of finite, possibly unequal, strike
// length on each side of the profile, at every station of the profile.
#include "model.h"

namespace corvane {

inline constexpr double GravityFactor = 6.673;   // mGal per (g/cm3 * km)
inline constexpr double MetreFactor = 0.001;
inline constexpr double RadiusFloor = 1e-8;
inline constexpr double Pi = 3.141592653589793;
inline constexpr double TwoPi = 6.283185307179586;

// The edge-by-edge formula exactly as derived, one station at a time.
// Kept as the oracle for faster engines. stationX and out hold numStations
// values starting at index 0.
void referenceAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                      double* out);

// The engine the program uses: same results as referenceAnomaly.
void bodyAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out);

// ln(num / den), taken as 0 where the quotient is 0 or not finite: such terms
// only arise with a factor that is 0 (strike length 0, or a station on the
// backward extension of an edge), and must not put NaN into the sums.
double safeLogRatio(double num, double den);

}  // namespace corvane
