#pragma once
// The magnetic stations and the bodies' magnetisation as data: setting the
// stations, the magnetic misfit, and the item lines that carry the Earth's
// field, each body's magnetisation and each magnetic station in the model
// file and the recovery file.
#include "model.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One magnetic station as read or typed; no observed value when `observed`
// is empty.
struct MagneticStationValue {
    double x = 0;
    double height = 0;
    std::optional<double> observed;
};

// A new body is not magnetised, whatever its slot held before.
void clearMagnetisation(Tbody& body);

// Replaces the magnetic stations (at most MaxStations, sorted by position,
// stable) and recalculates every body's magnetic anomaly. True when stations
// had to be dropped.
bool setMagneticStations(Model& m, std::vector<MagneticStationValue> stations);

// n positions evenly spaced over the gravity profile's range (n >= 2).
std::vector<double> evenMagneticPositions(const Model& m, int n);

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
// observed values, or b gives no induced anomaly at any of them).
std::optional<double> fitSusceptibility(Model& m, int b);

// The item lines: "field F I D A", "magnetisation B K M IM DM" for every
// magnetised body, "magstation X H T" for every station ("-" for no observed
// value). None at all for a model without magnetics, so such a model is
// written as it always was.
std::vector<std::string> magneticItems(const Model& m);

// Reads one item line into m. NotMagnetic: the line is some other item
// (left alone); Bad: a magnetic item that cannot be read, `why` says how.
// Stations are appended in the order read; call finishMagneticItems after
// the last line.
enum class ItemRead { NotMagnetic, Read, Bad };
ItemRead readMagneticItem(Model& m, std::string_view line, std::string& why);
// After the item lines: the stations sorted and every body's magnetic anomaly
// calculated.
void finishMagneticItems(Model& m);

// The number as the item lines write it: the shortest text that reads back
// as exactly v.
std::string itemNumber(double v);

}  // namespace corvane
