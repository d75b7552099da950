#pragma once
// The ground: where the stations stand. Without station heights it is the
// datum, depth 0, as it always was; with heights it is the line through the
// stations' heights, straight between stations and flat beyond the ends.
// Corners stay below it: the surface rule takes the ground in place of
// depth 0.
#include "model.h"

#include <vector>

namespace corvane {

// Some station 1..NumStations stands off the datum.
bool hasStationHeights(const Model& m);

// The largest station height (0 when no station stands above the datum).
double highestStation(const Model& m);

// The top of the section shown for a bottom at depthMax: depth 0 without
// station heights; otherwise a little above the highest station, gravity or
// magnetic (and above the datum), so that the ground and airborne lines are
// in view.
double sectionTop(const Model& m, double depthMax);

class Ground {
public:
    explicit Ground(const Model& m);

    // No station off the datum: the ground is depth 0.
    bool flat() const { return x_.empty(); }

    // The depth of the ground at x (minus the height there).
    double depthAt(double x) const;

    // The surface rule at x: a depth at or above the ground becomes MinDepth
    // below it. On flat ground: z <= 0 becomes MinDepth.
    double rule(double x, double z) const;

private:
    std::vector<double> x_;   // station positions, ascending
    std::vector<double> h_;   // their heights
};

}  // namespace corvane
