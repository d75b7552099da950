#pragma once
// The body-properties edits and the one-parameter fits of density and depth.
// Plain C++ over the model, so the dialog stays thin and tests need no window.
#include "inversion/run_report.h"
#include "model/body_ops.h"
#include "model/display_state.h"
#include "model/model.h"
#include "model/settings.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
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
    // The density law; the rate and reference depth apply to a law other
    // than constant, and going back to constant clears them.
    std::optional<DensityLaw> law = {};
    std::optional<double> lawRate = {};
    std::optional<double> lawZ0 = {};
};

// "Calculate" and OK: every box that holds a number is applied. A width below
// 0.001 is taken as its absolute value, at least 0.001; the width used is
// returned when it differs from the box, so the box can show it. Body b is
// recalculated.
struct StrictApplyResult {
    std::optional<double> correctedWidth;
    bool widthRefused = false;   // body of zero width: not scaled
    DepthShift depthShift;       // shortened when the top was typed above the surface
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

// The range a fit or an inversion keeps one parameter in.
struct Bounds {
    double min = 0;
    double max = 0;
    bool holds(double v) const { return min <= v && v <= max; }
    // v lowered to max if above it, then raised to min if below it; held
    // tells which of the two did it.
    double limit(double v, Bound& held) const;
};

// Whether x lies on bound b (to within the rounding of a move onto it).
inline bool onBound(double x, double b)
{
    return std::abs(x - b) <= 1e-12 * std::max(1.0, std::abs(b));
}

// The bounds a run uses, taken when it starts. Bounds the user has typed are
// used as they stand (model/bounds.h tells them). Untyped, the start-up values (density 0.0001 .. 1, position
// 0 .. 1000, depth 0 .. 10000) and those of a new body (density 0 .. 1,
// depth 0 .. 1000) stand for "none typed" and are replaced by
// bounds that suit the body and the model's unit: the density keeps the sign
// of the contrast (-1 .. -0.0001 for a light body), the horizontal position
// covers the profile, the depth the displayed section. These defaults are
// widened to hold the body's present value, so that no default moves a body
// by itself.
Bounds densityBounds(const Tbody& body);
Bounds positionBounds(const Model& m, const Tbody& body);
Bounds depthBounds(DepthRange view, const Tbody& body);
// Under a linear law the untyped density bounds also keep the contrast's sign
// at the body's top and bottom, the gradient held.
//
// The gradient or decay constant a law body's contrast may take: within them
// the contrast keeps its sign from the body's top to its bottom, and changes
// at most tenfold (linear) or e^30 times (exponential) across it; widened to
// hold the present value.
Bounds lawRateBounds(const Tbody& body);

// Model units per kilometre: the runs do their arithmetic with distances in
// kilometres, so that a metre model is fitted exactly as its kilometre copy.
inline double unitsPerKm(const Model& m) { return m.UnitsKm ? 1.0 : 1000.0; }

// The density, magnetisation and corners of some bodies, so that a run can go back to the
// best state it has seen.
class BodyShapes {
public:
    void take(const Model& m, const std::vector<int>& bodies);
    // Puts every body back and recalculates it.
    void restore(Model& m) const;

private:
    struct Shape {
        int body = 0;
        double density = 0;
        double susceptibility = 0;
        double remanence = 0;
        Array1<double, MaxCorners> x;
        Array1<double, MaxCorners> z;
    };
    std::vector<Shape> shapes_;
};

// The lowest misfit a run has seen and when; a later state wins a tie, so a
// run whose misfit falls at every iteration ends where it always did.
struct BestState {
    double misfit = 0;
    int iteration = -1;   // none yet
    bool offer(double e, int t)
    {
        if (std::isnan(e) || (iteration >= 0 && e > misfit))
            return false;
        misfit = e;
        iteration = t;
        return true;
    }
};

// The anomaly of the body per unit density at every station (out[0] for
// station 1): what the density column of a fit or an inversion holds.
void anomalyPerUnitDensity(const Model& m, const Tbody& body, std::vector<double>& out);

// The report of a run starting now: title, the misfit of the start.
void startReport(RunReport& report, const Model& m, std::string title);
// The misfit of the state after iteration t.
void recordMisfit(RunReport& report, const Model& m);

enum class FitOutcome { Done, NoFieldData, ZeroDepthRange, NoLaw };

// Fits the density of body b alone, NumIterations iterations, within its
// density bounds. afterIteration runs after each iteration (with
// IterationCount still set) so the caller can show the value and repaint.
// The run ends in the state of the lowest misfit it has seen, the start
// included. report, when given, is filled as the run goes.
FitOutcome densityFit(Model& m, InversionState& inv, int b,
                      const std::function<void()>& afterIteration = {},
                      RunReport* report = nullptr);

// The derivative of the body's anomaly by its law's rate at every station
// (J[0] for station 1), by a central difference on a copy of the body: the
// anomaly is smooth in the rate, and the model is left untouched.
void lawRateDerivative(const Model& m, const Tbody& body, std::vector<double>& J);

// Fits the rate of body b's density law (the gradient or the decay constant)
// alone, as the density fit fits the contrast, within lawRateBounds; the
// contrast stays. A body of constant density has no rate: NoLaw.
FitOutcome lawRateFit(Model& m, InversionState& inv, int b,
                      const std::function<void()>& afterIteration = {},
                      RunReport* report = nullptr);

// Fits the depth of body b alone (its corner 1 within its depth bounds, the
// whole body following by at most twice the step per iteration). The step is
// 2.5 % of the displayed depth range; a zero range is refused before anything
// changes. The body's corners are unlinked first, so no other body moves.
// Ends in its best state as the density fit does.
FitOutcome depthFit(Model& m, InversionState& inv, DepthRange view, int b,
                    const std::function<void()>& afterIteration = {},
                    RunReport* report = nullptr);

}  // namespace corvane
