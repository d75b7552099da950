#pragma once
// The 2.5-D total-field magnetic anomaly of a uniformly magnetised polygonal
// prism of finite, possibly unequal, strike length on each side of the
// profile. The derivation is in docs/magnetics.md.
//
// Axes: x along the profile, y the profile direction turned 90 degrees
// anticlockwise seen from above (to the left when walking along the
// profile), z downwards. StrikeLength1 extends along +y, StrikeLength2
// along -y. The magnetisation is K F / mu0 along the Earth's field plus the
// remanent magnetisation; self-demagnetisation is neglected.
#include "model.h"

namespace corvane {

// The Earth's field at the profile and the profile's direction.
struct EarthField {
    double Intensity = 50000;   // nT
    double Inclination = 60;    // degrees, positive downwards
    double Declination = 0;     // degrees east of north
    double Azimuth = 90;        // direction of increasing x, degrees east of north
};

// A unit vector in profile axes (x, y, z as above) of the direction with
// the given inclination (down positive) and declination (east of north),
// for a profile of the given azimuth; all in degrees.
struct Vector3 {
    double x = 0, y = 0, z = 0;
};
Vector3 fieldDirection(double inclination, double declination, double azimuth);

// The body's magnetisation in A/m in profile axes: induced plus remanent.
Vector3 bodyMagnetisation(const Tbody& body, const EarthField& field);

// True when the body is magnetised at all (its anomaly is 0 otherwise).
bool isMagnetised(const Tbody& body);

// How many times the body's outline winds round the station at position S,
// height H (depth -H): 1 inside a body drawn clockwise on the screen, -1
// inside one drawn the other way, 0 outside. A station on the outline, or on
// an end face (a strike length of 0), is not inside.
int stationWinding(const Tbody& body, double S, double H);

// What a station inside the body adds (nT) to the field of its faces so that
// the sum is the total field a magnetometer there reads, B = mu0 (H + M):
// mu0 times the x and z components of M along f, times the winding. (The y
// component is in the faces' sum already; see docs/magnetics.md.)
double interiorField(const Tbody& body, const Vector3& f, const Vector3& M, double S, double H);

// The formula as derived, edge by edge, one station at a time: the oracle
// for the fast engine. stationX, stationHeight (model units above the
// datum; nullptr for all 0) and out hold numStations values from index 0.
// out is the total-field anomaly in nT; kilometre and metre models give the
// same figures for the same shapes. At a station inside the body it is the
// field a magnetometer there reads, B = mu0 (H + M), along f.
void referenceMagnetic(const Tbody& body, const EarthField& field, const double* stationX,
                       const double* stationHeight, int numStations, bool unitsKm, double* out);

// The engine the program uses: the reference's figures (within 1e-9
// relative), much faster, spread over the cores for large calculations.
void bodyMagnetic(const Tbody& body, const EarthField& field, const double* stationX,
                  const double* stationHeight, int numStations, bool unitsKm, double* out);

// Every body 1..numBodies into bodyOut[b] (bodyOut[0] is not used; each
// array holds numStations values from index 0), and total[i] set to the sum
// of the visible bodies' values, added in body order: the whole-model
// recalculation in one parallel pass.
void modelMagnetic(const Array1<Tbody, MaxBodies>& bodies, int numBodies, const EarthField& field,
                   const double* stationX, const double* stationHeight, int numStations,
                   bool unitsKm, double* const* bodyOut, double* total);

}  // namespace corvane
