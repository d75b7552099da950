#pragma once
// Cutting the station profile down to the part between two cut lines placed on
// a small plot of the observed data. The plot geometry and the line rules are
// plain functions so that tests need no window.
#include "model/display_state.h"
#include "model/model.h"

#include <string>

namespace corvane {

// The two cut lines: pixel columns in the dialog and the profile positions
// they stand for.
struct AbstractState {
    int LeftColumn = 0;
    int RightColumn = 0;
    double LeftCut = 0;
    double RightCut = 0;
};

// The plot inside a dialog of the given size: frame from (8, 10) to
// (width - 8, height - 96), data from column 48.
struct AbstractPlot {
    int width = 0;
    int height = 0;
    static constexpr int DataLeft = 48;
    static constexpr int FrameLeft = 8;
    static constexpr int FrameTop = 10;
    int frameRight() const { return width - 8; }
    int bottom() const { return height - 96; }
    int dataWidth() const { return width - 8 - DataLeft; }
};

// The profile position under a pixel column of the plot.
double cutValueAt(const Model& m, const AbstractPlot& p, int column);

// Lines at one third and two thirds of the width, and their positions.
void resetCutLines(AbstractState& s, const Model& m, const AbstractPlot& p);

// Whether a press at (x, y) moves a line: right of the data start, not below the plot.
bool pressMovesLine(const AbstractPlot& p, int x, int y);

// The left line at column x (held to three quarters of the width; a column
// right of the right line goes to half the right line's column), and the right
// line (held to at least a quarter; at or left of the left line it goes to
// three quarters). Each returns the column used and sets the cut value.
int placeLeftLine(AbstractState& s, const Model& m, const AbstractPlot& p, int x);
int placeRightLine(AbstractState& s, const Model& m, const AbstractPlot& p, int x);

// Label texts: at opening "Left = " / "Right = " with x:10:1, after a click
// "Left= " / "Right= " with x:7:1.
std::string openingLeftLabel(double v);
std::string openingRightLabel(double v);
std::string leftLabel(double v);
std::string rightLabel(double v);

// The stations kept: from the last station at or left of the left cut to the
// first at or right of the right cut, so one station outside each line stays.
struct KeptRange {
    int first = 1;
    int last = 1;
};
KeptRange keptStations(const Model& m, double leftCut, double rightCut);

// Keeps stations first..last renumbered from 1, sets the horizontal view to
// the new ends and recalculates every body on the stations that remain.
void cutProfile(Model& m, Display& d, double leftCut, double rightCut);

// Pixel position of station i's observed value on the plot; minY and maxY are
// the smallest and largest observed values.
int plotColumn(const Model& m, const AbstractPlot& p, double x);
int plotRow(const AbstractPlot& p, double g, double minY, double maxY);

}  // namespace corvane
