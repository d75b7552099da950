#pragma once
// The gravity axis of the curves: the stations in view and the range of their
// values, by the one rule the window's curves and the plots share. A pure
// function of the model and the view, so that a plot made before the window
// has drawn anything is the plot made after.
#include "model.h"

#include <utility>

namespace corvane {

// Which curves the axis must hold: observed and calculated, their
// difference, or observed and each body's own anomaly.
enum class GravityCurves { Both, Difference, Individual };

struct GravityAxis {
    // The stations in view: first is the first station at or right of xMin,
    // last the first after it at or right of xMax (so the curve reaches the
    // panel's edge); both NumStations when there is no such station, and
    // last < first when there are no stations.
    int first = 1;
    int last = 0;
    // The values in view; a min between 0 and 10 is taken down to 0, and the
    // extent is never zero (nothing in view gives 0 to 1).
    double min = 0;
    double max = 1;
};

GravityAxis gravityAxis(const Model& m, double xMin, double xMax, GravityCurves curves);
// The same rule for any of the station tables: of the n (at least 1)
// positions x[1..n], in order, the first and last in view.
std::pair<int, int> stationsInView(const Array1<double, MaxStations>& x, int n, double xMin, double xMax);

// The plots' axis: both curves over the whole profile, whatever the window
// shows, so that no part of a curve falls outside the frame.
GravityAxis plotGravityAxis(const Model& m);

}  // namespace corvane
