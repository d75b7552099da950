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
enum class Shift { None, Gravity, Magnetic };

struct ParameterResult {
    std::string name;                      // "Density", "Corner 3 depth"
    double start = 0;
    double final = 0;
    int decimals = DensityDecimals;
    Bound bound = Bound::None;             // the last bound a step was held at
    double boundValue = 0;                 // and its value
    std::optional<double> standardError = {};   // none: not resolved, at a bound, or too few stations
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
    int kept = 0;                          // the state the model is left in
    bool startOutsideBounds = false;       // the start was no candidate to keep
    // The bounds the latest iteration's steps were held at, for the status
    // panel ("Density held at its minimum -0.00010"); empty when none was.
    std::string held;
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
// How to keep a fitted shift; empty when the run fitted none.
std::string shiftText(const RunReport& report);

// "Density held at its minimum -0.00010".
std::string heldText(const ParameterResult& p, Bound bound, double value);
// Each parameter a bound held during the run, as heldText, joined by ", ".
std::string heldSummary(const RunReport& report);
// A bound held parameter k at value in the latest iteration: noted in the
// parameter and added to report.held.
void noteHeld(RunReport& report, std::size_t k, Bound bound, double value);

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
};
ErrorEstimate standardErrors(const std::vector<std::vector<double>>& J,
                             const std::vector<double>& r, const std::vector<bool>& held = {});

}  // namespace corvane
