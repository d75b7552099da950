#pragma once
// The 2.5-D anomaly of a polygonal prism of finite, possibly unequal, strike
// length on each side of the profile, at every station of the profile.
#include "model.h"

#include <cmath>

namespace corvane {

inline constexpr double GravityFactor = 6.673;   // mGal per (g/cm3 * km)
inline constexpr double MetreFactor = 0.001;
inline constexpr double RadiusFloor = 1e-8;
inline constexpr double Pi = 3.141592653589793;
inline constexpr double TwoPi = 6.283185307179586;

// The largest anomaly one body may give at a station. A huge density (or
// overflowing arithmetic) can go beyond it or to infinity; there the body adds
// nothing, as with any unusable value. It lies far enough below the largest
// double that a total over every body, and the ranges and differences taken
// of totals, stay finite.
inline constexpr double MaxAnomaly = 1e300;

// g where it is a usable anomaly, otherwise 0 (NaN included).
inline double boundedAnomaly(double g) { return std::fabs(g) <= MaxAnomaly ? g : 0.0; }

// The edge-by-edge formula exactly as derived, one station at a time.
// Kept as the oracle for faster engines. stationX and out hold numStations
// values starting at index 0. stationHeight, when given, holds each
// station's height above the datum (positive up): a corner's depth is then
// taken from the station. A station at height 0 gets exactly the figure of a
// station on the datum.
void referenceAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                      double* out, const double* stationHeight = nullptr);

// The engine the program uses: same results as referenceAnomaly (within
// 1e-9 relative), much faster, spread over the cores for large calculations.
void bodyAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out, const double* stationHeight = nullptr);

// Every body 1..numBodies into its Gravity array, and total[i] (index 0 for
// station 1) set to the sum of the visible bodies' values, added in body
// order: the whole-model recalculation in one parallel pass.
void modelAnomaly(Array1<Tbody, MaxBodies>& bodies, int numBodies, const double* stationX,
                  int numStations, bool unitsKm, double* total,
                  const double* stationHeight = nullptr);

// ln(num / den), taken as 0 where the quotient is 0 or not finite: such terms
// only arise with a factor that is 0 (strike length 0, or a station on the
// backward extension of an edge), and must not put NaN into the sums.
double safeLogRatio(double num, double den);

}  // namespace corvane
