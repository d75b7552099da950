#pragma once
// The magnetic stations and the bodies' magnetisation as data: setting the
// stations, the gravity and magnetic misfits and the fit of a susceptibility.
#include "model.h"
#include "text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One magnetic station as read or typed; no observed value when `observed`
// is empty. offset: its distance from the profile line (model.h).
struct MagneticStationValue {
    double x = 0;
    double height = 0;
    std::optional<double> observed;
    double offset = 0;
};

// A new body is not magnetised, whatever its slot held before.
void clearMagnetisation(Tbody& body);

// Replaces the magnetic stations (the first MaxStations given, then sorted by
// position, stable) and recalculates every body's magnetic anomaly. True when
// stations had to be dropped.
bool setMagneticStations(Model& m, std::vector<MagneticStationValue> stations);

// n positions evenly spaced over the gravity profile's range (n >= 2).
std::vector<double> evenMagneticPositions(const Model& m, int n);

// The gravity misfit the status panel shows: 10 x RMS of observed minus
// calculated over all stations.
double misfit(const Model& m);

// Observed minus calculated RMS over the stations with an observed value;
// nothing when there is none.
std::optional<double> magneticMisfit(const Model& m);

// The lowest and highest calculated or observed magnetic value over all
// magnetic stations; hi > lo always (one nT above a flat profile).
struct ValueRange {
    double lo = 0, hi = 1;
};
ValueRange magneticValueRange(const Model& m);

// True when some magnetic station has an observed value.
bool haveObservedMagnetic(const Model& m);

// The susceptibility of body b that best fits the observed magnetic anomaly
// (least squares over the stations with an observed value, the other bodies
// and b's remanence held). The anomaly is linear in K, so one solve is exact.
// Sets it and updates the body; nothing when there is nothing to fit (no
// observed values, or b gives no induced anomaly at any of them). A fit
// outside SusceptibilityLimit is returned but not set.
std::optional<double> fitSusceptibility(Model& m, int b);

// A spin step as a box shows it: rounded to two significant figures, in
// fixed-point notation without trailing zeros ("0.0012", "12", "1200").
std::string roundedStepText(double step);

}  // namespace corvane
