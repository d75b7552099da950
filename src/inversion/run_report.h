#pragma once
// What a fit or an inversion run reports when it ends: each unknown's start
// and final value, the bound it was held at, its standard error, and the
// misfit of every iteration. Plain C++, so tests read it without a window.
#include <optional>
#include <string>
#include <vector>

namespace corvane {

enum class Bound { None, Minimum, Maximum };

// Decimals the results show.
inline constexpr int DensityDecimals = 6;
inline constexpr int DistanceDecimals = 4;
inline constexpr int AngleDecimals = 3;

// A constant level a run adds to the calculated gravity or magnetic anomaly:
// an unknown of the run that is no body's.
enum class Shift { None, Gravity, Magnetic, Gradient };

struct ParameterResult {
    std::string name;                      // "Density", "Corner 3 depth"
    double start = 0;
    double final = 0;
    int decimals = DensityDecimals;
    Bound bound = Bound::None;             // the bound the kept state's step was held at
    double boundValue = 0;                 // and its value
    std::optional<double> standardError = {};   // none: not resolved, at a bound, or too few stations
    // The diagonal element of the resolution matrix: 1 where the data fix the
    // parameter, 0 where they do not constrain it. None when held at a bound.
    std::optional<double> resolution = {};
    bool resolved = true;                  // false: the data do not determine it
    bool atBound = false;                  // held at a bound in the state kept: not estimated
    Shift shift = Shift::None;             // a constant shift, which changes no body
};

struct RunReport {
    std::string title;                     // "Inversion of body 2"
    bool unitsKm = true;
    std::vector<ParameterResult> parameters;
    // The status panel's misfit and the RMS residual (mGal) of each state:
    // index 0 the start, index t after iteration t.
    std::vector<double> misfits;
    std::vector<double> rms;
    // With magnetics fitted: the magnetic RMS residual (nT) of each state,
    // and the weighted misfit the run minimised; empty otherwise.
    std::vector<double> magneticRms;
    std::vector<double> weighted;
    // With gradients fitted: the components ("T_zz") and, for each state,
    // each component's RMS residual (E) with its shift; empty otherwise.
    std::vector<std::string> gradientComponents;
    std::vector<std::vector<double>> gradientRms;
    int kept = 0;                          // the state the model is left in
    // Whether the model has observed gravity, and whether the run fitted it;
    // a magnetic survey alone has no gravity misfit to show.
    bool observedGravity = true;
    bool gravityFitted = true;
    bool startOutsideBounds = false;       // the start was no candidate to keep
    // The bounds the latest iteration's steps were held at, for the status
    // panel ("Density held at its minimum -0.00010"); empty when none was.
    std::string held;
    // The bounds each state's steps were held at: index t for the state after
    // iteration t, index 0 (the start) none. The parameters' own marks are
    // those of the kept state (keepHeld).
    struct HeldMark {
        std::size_t parameter = 0;
        Bound bound = Bound::None;
        double value = 0;
    };
    std::vector<std::vector<HeldMark>> heldIn;
    // What the standard errors were computed from: N stations, M free parameters.
    int stations = 0;
    int freeParameters = 0;
    // The correlation coefficients of the parameters, row and column k for
    // parameters[k]; NaN where a parameter is not free (held, unresolved).
    // Empty when no errors were computed.
    std::vector<std::vector<double>> correlation;
};

// The report as a plain-text table, lines ended by eol.
std::string reportTable(const RunReport& report, const char* eol);

// Pieces of the table, for a window that shows it.
std::string boundText(Bound bound);                 // "minimum", "maximum" or ""
std::string errorText(const ParameterResult& p);    // "0.00123", "not resolved", "at bound" or "-"
std::string errorsBasisText(const RunReport& report);   // how the errors were computed
std::string keptText(const RunReport& report);      // which state the model is left in
std::string unresolvedText(const RunReport& report);   // empty when all are resolved
// The resolution is shown only when some free parameter is not resolved:
// otherwise every one is 1 and it adds nothing.
bool resolutionShown(const RunReport& report);
std::string resolutionText(const ParameterResult& p);   // "0.974" or "-"
std::string resolutionNote();                           // what the figures mean

// The parameters the correlation matrix shows: the free ones, in order. None
// when fewer than two are free.
std::vector<std::size_t> correlatedParameters(const RunReport& report);
// The coefficient of parameters j and k; NaN where the matrix has none.
double correlationOf(const RunReport& report, std::size_t j, std::size_t k);
// A correlation coefficient is marked when its size is above this.
inline constexpr double StrongCorrelation = 0.9;
bool strongCorrelation(double r);
// A coefficient as shown: "0.120", "-0.953*" when strong (never on the
// diagonal), "-" when there is none.
std::string correlationText(double r, bool diagonal);
// The heading of the matrix, which says what the mark means.
std::string correlationHeading();
// Each fitted gradient component's misfit at the start and in the kept
// state, one line each ("T_zz misfit 12.40 E at the start, 3.05 E kept");
// empty without gradients.
std::vector<std::string> gradientMisfitLines(const RunReport& report);
// How to keep a fitted shift; empty when the run fitted none.
std::string shiftText(const RunReport& report);

// "Density held at its minimum -0.00010".
std::string heldText(const ParameterResult& p, Bound bound, double value);
// Each parameter a bound held in the kept state, as heldText, joined by ", ".
std::string heldSummary(const RunReport& report);
// An iteration begins: report.held is cleared and the iteration gets its
// entry in report.heldIn.
void beginHeld(RunReport& report);
// A bound held parameter k at value in the latest iteration: added to
// report.held and to the iteration's entry in report.heldIn.
void noteHeld(RunReport& report, std::size_t k, Bound bound, double value);
// The run has chosen report.kept: each parameter's mark becomes the bound its
// step was held at in that state, none when it was not held there.
void keepHeld(RunReport& report);

// Standard errors of least-squares parameters from the Jacobian columns J
// (column k holds dg/dp_k at every station) and the residuals r at the state
// the run keeps: the undamped linearisation there, covariance s^2 (J'J)^-1
// over the free parameters, with s^2 = sum r^2 / (N - M), M the number of free
// parameters. A parameter held at a bound is not free: it gets no error and
// its column is left out. Resolution is judged on J with each column scaled to
// unit length: a parameter with a share of more than SignificantShare (of its
// squared unit vector) in a direction whose scaled singular value is below
// ResolutionThreshold is not determined by the data, and gets no error.
// Without more stations than free parameters there is no error either.
inline constexpr double ResolutionThreshold = 1e-3;
inline constexpr double SignificantShare = 1e-4;
struct ErrorEstimate {
    std::vector<std::optional<double>> errors;
    std::vector<bool> resolved;
    int freeParameters = 0;
    // The correlation matrix over all columns of J, NaN in the rows and
    // columns of parameters that got no error.
    std::vector<std::vector<double>> correlation;
    // The diagonal of the resolution matrix of the free parameters: the share
    // of each that lies in the directions the data determine (those the
    // errors keep), from 0 to 1; none for a parameter held at a bound. It
    // does not depend on the units of the parameters.
    std::vector<std::optional<double>> resolution;
};
ErrorEstimate standardErrors(const std::vector<std::vector<double>>& J,
                             const std::vector<double>& r, const std::vector<bool>& held = {});

}  // namespace corvane
