#pragma once
// Plots of the whole picture for other programs: an HP-GL pen-plotter file and
// (dxf.h) a DXF drawing. Both draw the section below and the curves above in a
// fixed frame of their own, whatever the window's size; the file texts are
// pure functions of the workspace, written to disk safely.
#include "model/airborne.h"
#include "model/gradient_panel.h"
#include "model/gravity_axis.h"
#include "model/result.h"
#include "model/workspace.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The scales shared by both plots, for a frame `width` wide whose section and
// curve panels are each `half` high (the divider at height `half`).
struct PlotFrame {
    double x1 = 0;      // first station: the left edge
    double R = 0;       // profile range StationX[N] - StationX[1]
    double D = 0;       // depth range of the view
    double G = 0;       // gravity range
    double sx = 0, sz = 0, sg = 0;
    // The level the curves are measured from and the row it stands at: zero
    // (the zero line) when zero lies within the gravity range, otherwise
    // GravityMin on the divider, so that the curves always fill the panel.
    double gBase = 0;
    double y0 = 0;
    // Distance ticks: `count` ticks every `step` along the profile.
    double step = 0;
    int count = 0;
};

// Before a plot is made: a GravityMin strictly between 0 and 10 becomes 0.
void applyPlotGravityRule(Display& d);

// Why the plot cannot be scaled (a profile without length, no depth or no
// gravity range), as a message for the user.
Status plotProblem(const Model& m, const Display& d);

// The frame for width x (2 x half); only meaningful when plotProblem is ok.
PlotFrame plotFrame(const Model& m, const Display& d, double width, double half);

// True when the plot shares its curves' half as the window shares its
// profile panel: the magnetic panel shown above the gravity curves.
bool magneticPanelInPlot(const Model& m, const Display& d);

// The gravity curves' scale and zero row for their panel, from the divider
// at `half` up to gravityTop (the other curve panels take the rest).
void shareCurvePanel(PlotFrame& f, const Display& d, double half, double gravityTop);

// What both plots do first: apply the GravityMin rule to d, then frame a
// plot `width` wide with panels `half` high, the curves' half shared with the
// magnetic and gradient panels as the window shares it. A failure when the
// plot cannot be scaled.
struct PlotSetup {
    PlotFrame f;
    CurvePanels panels;
    double top = 0, half = 0;   // the plot's top and the divider
    double gravityTop = 0;      // the top of the gravity curves' panel
    // Where place k of the curve panels starts, from the top (k = 0) down to
    // the divider (k = panels.count).
    double edge(int k) const { return panels.edge(top, half, k); }
};
Result<PlotSetup> setUpPlot(const Model& m, Display& d, double width, double half);

// The gravity axis a plot is drawn with: the one given, or else the
// display's, to which the GravityMin rule is applied first.
GravityAxis plotAxisOf(Display& d, const std::optional<GravityAxis>& axis);

// The distance tick rule: step a power of ten below the range, refined to a
// fifth or a tenth when that gives only two or one tick.
void plotTickStep(double range, double& step, int& count);

// A line of the section (the ground, the airborne line) in the plot's
// coordinates, a frame `width` wide whose section panel is `half` high: the
// pieces of it inside the panel, each a polyline of at least two points.
struct PlotPoint {
    double x = 0, y = 0;
};
std::vector<std::vector<PlotPoint>> sectionLinePieces(const std::vector<SectionPoint>& line, const PlotFrame& f,
                                                      double viewDepthMin, double width, double half);

// The labels' character size, set in the file before the first label: 0.18 cm
// wide and 0.25 cm high, 72 and 100 plotter units (40 to the millimetre).
inline constexpr const char* HpglCharSize = "SI0.18,0.25;";
// The scaling points on the frame's corners, so that tick lengths (a share of
// the distance between them) do not depend on the paper.
inline constexpr const char* HpglScalingPoints = "IP0,0,10000,7500;";
inline constexpr double HpglCharWidth = 72;
inline constexpr double HpglCharHeight = 100;

// The width in plotter units that a label of chars characters covers: each
// character but the last takes one and a half character widths.
double labelWidth(std::size_t chars);

// The HP-GL file's bytes with the gravity axis from axis.min to axis.max
// (plotGravityAxis gives the plots' own, from the model alone), or without
// one the axis ws.display holds (plotAxisOf). A failure when the plot cannot
// be scaled.
Result<std::string> hpglBytes(Workspace& ws, const std::optional<GravityAxis>& axis = std::nullopt);

// Writes the HP-GL file. A failure's message is for the user (nothing is
// written then).
Status WriteHPGL(Workspace& ws, const std::string& fileName, const std::optional<GravityAxis>& axis = std::nullopt);

}  // namespace corvane
