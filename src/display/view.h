#pragma once
// The mapping between model coordinates and the drawing area: the layout of the
// profile panel (curves, top) and the model panel (section, bottom) inside a
// drawing rectangle, the three transforms and the pointer read-out.
//
// Rectangles follow the window-system convention of a client rectangle: Right
// and Bottom are Left + width and Top + height (one past the last pixel), so a
// 652 x 486 area has Right = 652, Bottom = 486.
#include "model/display_state.h"
#include "model/magnetic_data.h"
#include "model/model.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <string>

namespace corvane {

struct ViewLayout {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int SectionLeft = 40;
    int TickLength = 4;
    int TickHeight = 4;
    int Rx = 0;    // usable right edge
    int By = 0;    // usable bottom edge
    int Mid = 0;   // divider row: the profile panel lies above, the model panel below
};

// Rx = Right - 5, By = Bottom - 15, Mid = (Top + By) div 2, with the layout
// values (SectionLeft, TickLength, TickHeight) taken from the display state.
ViewLayout viewLayout(const QRect& rect, const Display& d);

// Sets the screen layout values: SectionLeft 40, TickLength and TickHeight 4.
void setScreenLayoutValues(Display& d);

// Round halves to even, saturated to a range painters handle safely.
int roundPixel(double v);

// Extents used for dividing. A zero (or non-finite) extent would divide by
// zero; a non-zero one is put in its place so that the picture stays drawable.
double xExtent(const Display& d);
double depthExtent(const Display& d);
double gravityExtent(const Display& d);

// Section transform; sy is moved down to the divider when the point lies above
// the view (nothing of the section is drawn in the profile panel). sx is not clamped.
QPoint SectionToScreen(const ViewLayout& L, const Display& d, double x, double z);
QPoint SectionToScreen(const QRect& rect, const Display& d, double x, double z);

// Profile transform: GravityMin on the divider, GravityMax on the top row.
QPoint ProfileToScreen(const ViewLayout& L, const Display& d, double x, double g);
QPoint ProfileToScreen(const QRect& rect, const Display& d, double x, double g);

// Inverse of the section transform before rounding, for pointer positions.
QPointF ScreenToSection(const ViewLayout& L, const Display& d, QPoint s);
QPointF ScreenToSection(const QRect& rect, const Display& d, QPoint s);

int clampColumn(const ViewLayout& L, int sx);   // into [Left + SectionLeft, Rx]

// The pointer read-out of the mouse commands.
struct Readout {
    QString text;                // the status-panel text
    QPointF model;               // (x, z) in model units
    bool inModelPanel = false;   // a press here ends the wait
};
// corner is the number shown after " Corner ", or -1 for none.
Readout readoutAt(const ViewLayout& L, const Display& d, QPoint s, int corner);
Readout readoutAt(const QRect& client, const Display& d, QPoint s, int corner);

// Stations drawn in the profile panel: i1 is the first station at or right of
// ViewXMin, i2 the first after i1 at or right of ViewXMax (so the curve reaches
// the panel edge); both NumStations when there is no such station.
struct StationRange {
    int i1 = 1;
    int i2 = 0;   // i2 < i1: no stations
};
StationRange stationsInView(const Model& m, const Display& d);

// What every drawing of the curves does first: GravityMin and GravityMax from
// the values in view for the current mode (normal, difference or individual),
// a GravityMin between 0 and 10 taken down to 0, and a non-zero extent.
StationRange computeGravityRange(const Model& m, Display& d);

// The magnetic panel's stations in view (the same rule as stationsInView)
// and its axis: lo and hi multiples of step, a round step about a quarter
// of the range of the values in view for the current mode.
struct MagneticRange {
    StationRange r;
    double lo = 0, hi = 1, step = 0.25;
};
MagneticRange magneticRange(const Model& m, const Display& d);

// True when the profile panel is split: the magnetic panel shown above the
// gravity curves.
bool magneticPanelShown(const Model& m, const Display& d);

// " Misfit =" and the number, or the " Iteration " form while a fit or
// inversion runs; empty without observed data. With observed magnetic
// values, " Mag. misfit = " and their RMS misfit in nT follow (alone when
// there are no observed gravity values), then the gradients' misfits.
QString misfitText(const Model& m, int iterationCount);
// " Grad. misfit = Txz 0.87 E, Tzz 1.23 E": the RMS misfit of each observed
// gradient component in the profile frame; "" without observed gradients.
std::string gradientMisfitText(const Model& m);

}  // namespace corvane
