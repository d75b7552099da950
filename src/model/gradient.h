#pragma once
// The gravity gradient tensor of a polygonal prism of finite, possibly
// unequal, strike length on each side of the profile: the third field beside
// gravity and magnetics, from the same second derivatives of the prism's
// potential as the magnetic anomaly. The derivation is in docs/gradients.md.
//
// Frame: x along the profile, y to its left, z down; a station at position S
// and height H above the datum is the point (S, 0, -H). Units: Eötvös,
// with the gravitational constant of GravityFactor; the tensor of a shape does
// not depend on the length unit, so kilometre and metre models agree.
#include "gravity.h"
#include "magnetic.h"
#include "tensor.h"

namespace corvane {

// E per g/cm3 of density contrast: G rho in 1/s^2 is GravityFactor mGal/km
// per g/cm3, and 1 mGal/km = 10 E.
inline constexpr double EotvosFactor = 10 * GravityFactor;

// The formula as derived, edge by edge, one station at a time: the oracle for
// the fast engine. stationX, stationHeight (nullptr for all 0) and out hold
// numStations values from index 0. At a station inside the body it is the
// tensor there (trace -4 pi G rho).
void referenceGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                       int numStations, GravityTensor* out);

// The engine the program uses: the reference's figures (within 1e-9 of the
// largest component), much faster, spread over the cores.
void bodyGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                  int numStations, GravityTensor* out);

// Every body 1..numBodies into bodyOut[b] (bodyOut[0] not used), and total[i]
// the sum of the visible bodies' tensors, added in body order.
void modelGradient(const Array1<Tbody, MaxBodies>& bodies, int numBodies, const double* stationX,
                   const double* stationHeight, int numStations, GravityTensor* const* bodyOut,
                   GravityTensor* total);

// The magnetic anomaly and the gradient tensor at the same stations in one
// pass: the terms both take are computed once. Each result is the figure
// bodyMagnetic and bodyGradient give, to the last bit.
void bodyMagneticGradient(const Tbody& body, const EarthField& field, const double* stationX,
                          const double* stationHeight, int numStations, double* magOut,
                          GravityTensor* gradOut);

// Both fields of every body and their totals (as modelMagnetic and
// modelGradient) in one parallel pass.
void modelMagneticGradient(const Array1<Tbody, MaxBodies>& bodies, int numBodies,
                           const EarthField& field, const double* stationX,
                           const double* stationHeight, int numStations, double* const* magOut,
                           double* magTotal, GravityTensor* const* gradOut,
                           GravityTensor* gradTotal);

// A tensor from the geographic frame (north, east, down) into the profile
// frame of a profile whose x points at `azimuth` (degrees east of north), and
// back. A multiple of 90 degrees turns the components exactly.
GravityTensor toProfileFrame(const GravityTensor& geographic, double azimuth);
GravityTensor toGeographicFrame(const GravityTensor& profile, double azimuth);

// Observed components with their has-value flags from `from` into `to`: a
// component has a value where every component it is made of (with a factor
// other than 0) has one; the others are 0 without a value.
void turnObserved(const GravityTensor& t, const TensorFlags& has, TensorFrame from,
                  TensorFrame to, double azimuth, GravityTensor& out, TensorFlags& outHas);

// Gradient station i's observed components in the profile frame, turned with
// the model's profile azimuth (Mag.FieldAzimuth) when they were given in the
// geographic frame.
void observedInProfileFrame(const Model& m, int i, GravityTensor& out, TensorFlags& has);

// The components (profile frame) observed at some gradient station: those a
// run can fit and the panel shows unless others are chosen.
TensorFlags observedGradientComponents(const Model& m);

}  // namespace corvane
