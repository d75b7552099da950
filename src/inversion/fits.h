#pragma once
// The body-properties edits and the one-parameter fits of density and depth.
// Plain C++ over the model, so the dialog stays thin and tests need no window.
#include "display/display_state.h"
#include "model/model.h"
#include "model/settings.h"

#include <functional>
#include <optional>
#include <vector>

namespace corvane {

// Figures of a body taken over its distinct corners 1..n-1.
struct BodyFigures {
    double top = 1e10;      // smallest depth
    double left = 1e10;
    double right = -1e10;
    double width() const { return right - left; }
    double centre() const { return (left + right) / 2; }
};
BodyFigures bodyFigures(const Tbody& body);

// Every corner 1..n of body b gets dz added; a depth below floor becomes floor.
// Linked partner corners follow and their bodies are recalculated. Body b
// itself is not recalculated.
void shiftBodyDepth(Model& m, int b, double dz, double floor);

// Scales the corners of body b about its centre to the new width (a negative
// width mirrors the body), carrying linked corners to their partners. A body of
// zero width has no ratio to scale by: it is left as it is and false returned.
bool scaleBodyWidth(Model& m, int b, double newWidth);

// The numbers read from the dialog's boxes; empty where a box holds no number.
struct PropertyBoxes {
    std::optional<double> density = {};
    std::optional<double> depth = {};
    std::optional<double> width = {};
    std::optional<double> strike1 = {};
    std::optional<double> strike2 = {};
};

// "Calculate" and OK: every box that holds a number is applied. A width below
// 0.001 is taken as its absolute value, at least 0.001; the width used is
// returned when it differs from the box, so the box can show it. Body b is
// recalculated.
struct StrictApplyResult {
    std::optional<double> correctedWidth;
    bool widthRefused = false;   // body of zero width: not scaled
};
StrictApplyResult applyPropertiesStrict(Model& m, int b, const PropertyBoxes& boxes);

// Before moving to another body: only changes beyond small thresholds are
// applied; body b is recalculated when anything changed. Returns whether it did.
bool applyPropertiesOnChange(Model& m, int b, const PropertyBoxes& boxes);

// The next body in direction dir (+1 or -1) that is not hidden, wrapping at the
// ends. When every body is hidden the search stops after one full round and
// returns from itself.
int nextVisibleBody(const Model& m, int from, int dir);

// The iteration count of the fits: absolute value, 1 to 100, halves to even.
int fitIterationCount(double typed);

// The damping after a misfit e, given the previous misfit e0: x1.5 (at most 50)
// when the fit got worse, x0.6666 otherwise.
double nextDamping(double lambda, double e, double e0);

// Root-mean-square of observed minus calculated over all stations; r receives
// the residuals (r[0] for station 1).
double residuals(const Model& m, std::vector<double>& r);

enum class FitOutcome { Done, NoFieldData, ZeroDepthRange };

// Fits the density of body b alone, NumIterations iterations, within
// DensMin..DensMax. afterIteration runs after each iteration (with
// IterationCount still set) so the caller can show the value and repaint.
FitOutcome densityFit(Model& m, InversionState& inv, int b,
                      const std::function<void()>& afterIteration = {});

// Fits the depth of body b alone (its corner 1 within DepthMin..DepthMax, the
// whole body following by at most twice the step per iteration). The step is
// 2.5 % of the displayed depth range; a zero range is refused before anything
// changes. The body's corners are unlinked first, so no other body moves.
FitOutcome depthFit(Model& m, InversionState& inv, const Display& d, int b,
                    const std::function<void()>& afterIteration = {});

}  // namespace corvane
