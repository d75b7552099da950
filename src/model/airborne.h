#pragma once
// The airborne line: where magnetic stations stand above the ground (flown,
// or on a mast), the line through them at their heights. The section shows
// it beside the ground line; the plots write it too.
#include "model.h"

#include <vector>

namespace corvane {

struct SectionPoint {
    double x = 0;
    double z = 0;   // depth: minus the height
};

// The runs of consecutive magnetic stations (in position order) that stand
// above the ground, each with at least two stations; a station on or below
// the ground breaks the line. Empty when no two neighbours are airborne.
std::vector<std::vector<SectionPoint>> airborneRuns(const Model& m);

// The ground line from the first to the last gravity station: the stations
// at their heights, in position order. Empty when the ground is the datum.
std::vector<SectionPoint> groundPoints(const Model& m);

}  // namespace corvane
