#pragma once
// The regional field: a constant, a line or a seven-knot spline fitted to or
// drawn over the observed profile, and its removal from the observed data.
// Plain functions over the model so that they are tested without a window.
#include "model/model.h"
#include "model/result.h"
#include "model/settings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

enum class RegionalKind { Constant, Linear, Spline };

inline constexpr int NumKnots = 7;
inline constexpr int DefaultKnotRow = 228;

// What the builder keeps between openings of its dialog.
struct RegionalState {
    RegionalKind RegionalMode = RegionalKind::Constant;
    double RegionalC = 0;         // the constant, also the linear intercept (mGal)
    double RegionalM = 0;         // the linear slope (mGal per distance unit)
    double RegionalCStep = 10.0;  // step of the constant's spin button
    double RegionalLinStep = 1.0; // step of +M, -M, +C, -C
    std::array<int, NumKnots> KnotRow{DefaultKnotRow, DefaultKnotRow, DefaultKnotRow, DefaultKnotRow,
                                      DefaultKnotRow, DefaultKnotRow, DefaultKnotRow};
    std::array<double, NumKnots> KnotX{};   // knots in model units, from the rows
    std::array<double, NumKnots> KnotG{};
};

// Mean of ObservedGravity over the stations.
double meanObserved(const Model& m);

// Least-absolute-deviation line y = M x + C through (x[i], y[i]), started from
// the least-squares line, bracketed and bisected on the slope. Dev is the mean
// absolute deviation. Nothing when the line is undefined (fewer than two
// distinct positions, or values that are not finite).
struct LineFit {
    double M = 0;
    double C = 0;
    double Dev = 0;
};
std::optional<LineFit> fitLineLAD(const std::vector<double>& x, const std::vector<double>& y);

// The regional line of the observed profile, with x measured from the first
// station so that its intercept is the one the removal uses. A failure, with
// the message for the user, when the stations give no line.
Result<LineFit> fitRegionalLine(const Model& m);

// The regional line as the builder shows it: " Y = " M " X +" C (or " X " for
// a negative C), followed by "  ( Dev = " d:6:1 " )" when a deviation is
// given. X is measured from the first station, origin; when that is not 0
// the text says "(X - origin)". M and C carry enough decimals that the line
// shown differs from the one removed by less than LineTolerance twice over
// a profile of the given span.
inline constexpr double LineTolerance = 0.0005;   // mGal
inline constexpr int InterceptDecimals = 3;
int slopeDecimals(double span);
std::string linearText(double M, double C, std::optional<double> dev = std::nullopt,
                       double origin = 0, double span = 0);
// A step of the builder's buttons with enough decimals to show it (at least 2).
std::string stepText(double step, int width);

// Cubic spline through knots with strictly increasing x and zero slope at both
// ends; flat beyond the end knots. Knots that do not increase give the first
// knot's value everywhere.
class CubicSpline {
public:
    CubicSpline(std::vector<double> x, std::vector<double> y);
    double operator()(double x) const;

private:
    std::vector<double> x_, y_, y2_;
    bool valid_ = false;
};

// The dialog's plot area in pixels (the knots live on it).
struct PlotArea {
    int left = 48;
    int top = 0;
    int right = 0;   // client width - 8
    int bottom = 0;  // client height - 40
    int width() const { return right - left; }
};

// Knot spacing s = plot width div 6, and the column of knot j (1..7).
int knotSpacing(const PlotArea& a);
int knotColumn(const PlotArea& a, int j);
// The knot whose slot holds column x (1..7), or 0 outside the plot area.
int knotAt(const PlotArea& a, int x, int y);
// Knot positions and values in model units from their rows: columns map
// linearly from StationX[1] (left edge) to StationX[N] (right edge), rows from
// GravityMax (top) to GravityMin (bottom).
void knotsToModel(RegionalState& s, const PlotArea& a, const Model& m, double gravityMin,
                  double gravityMax);

// The regional at position x for the state's mode (the spline from its knots).
double regionalAt(const RegionalState& s, const Model& m, double x);

// Subtracts the regional from ObservedGravity at every station, in place.
void subtractConstant(Model& m, double C);
void subtractLinear(Model& m, double M, double C);   // M (x - StationX[1]) + C
void subtractSpline(Model& m, const CubicSpline& spline);
void subtractRegional(Model& m, const RegionalState& s);
// The regional of the state's mode as the model file keeps it: "constant" C;
// "linear" M C (M (x - StationX[1]) + C); "spline" with its seven knots as
// position, value pairs.
RegionalRecord regionalRecord(const RegionalState& s);

// Smallest and largest observed value (GravityMin and GravityMax as the
// builder's opening sets them: a minimum between 0 and 10 taken down to 0).
void observedRange(const Model& m, double& gravityMin, double& gravityMax);

}  // namespace corvane
