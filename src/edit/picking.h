#pragma once
// What the mouse commands share: which corner or body lies under a click,
// snapping to the grid, the model panel that presses and the pointer are held
// to, where a command puts the pointer, and the rubber-band outlines.
// Positions are model units (x along the profile, z depth) or drawing-area
// pixels with the client rectangle of the drawing area (Left = Top = 0).
#include "display/view.h"
#include "model/workspace.h"

#include <QPoint>
#include <QPointF>
#include <QPolygon>
#include <QRect>

class QPainter;

namespace corvane {

// ---- Corner pick -------------------------------------------------------

// The pick box in model units, computed once per command: about 5 pixels of
// the whole profile across and 10 pixels of the drawing height up and down.
struct PickTolerance {
    double x = 0;
    double z = 0;
};
PickTolerance cornerPickTolerance(const Model& m, const Display& d, const QRect& client);

// The corner of the body whose distance from (x, z) is strictly inside the box
// in both directions; when several are, the highest-numbered one. Only the
// distinct corners 1..n-1 are looked at. 0 when none is.
int pickCorner(const Tbody& body, double x, double z, const PickTolerance& tol);

// ---- Body hit test -----------------------------------------------------

// The lowest-numbered body (1..NumBodies, hidden ones too) that contains the
// clicked pixel, by counting the crossings of a ray from a point on the
// surface left of the profile; 0 when none does.
int hitBody(const Model& m, const Display& d, const QRect& client, QPoint pixel);

// The same test for one body at a model point (xc, zc).
bool bodyContains(const Model& m, const Display& d, const Tbody& body, double xc, double zc);

// ---- Snap to grid ------------------------------------------------------

// Half a step is added and the quotient truncated toward zero, so 14.9 goes
// to 10, 15.0 to 20 and -14.9 to 0 with a step of 10. A step that is not a
// positive number leaves the coordinate as it is.
double snapCoordinate(double v, double step);
QPointF snapToGrid(const Display& d, QPointF p);       // always snaps
QPointF snapIfOn(const Display& d, QPointF p);         // only when SnapToGrid is on

// Where a corner placed with the mouse goes: snapped when snapping is on, and
// where stations stand off the datum, held below the ground (a click above
// it puts the corner just below the ground there).
QPointF cornerPlace(const Model& m, const Display& d, QPointF p);

// ---- Model panel and the pointer ---------------------------------------

// Columns SectionLeft..Right-5 and rows Mid..Bottom-15 of the client area.
QRect modelPanel(const QRect& client, const Display& d);

// A position held to the model panel: where the desktop cannot confine the
// pointer, positions outside the panel are taken at its edge.
QPoint confineToPanel(const QRect& client, const Display& d, QPoint p);

// Where a command first puts the pointer: the horizontal middle of the client
// area and three quarters of its height ("&Add a body", new model) or of the
// drawing height ("&Change a corner with the mouse").
enum class PointerStart { AddBody, ChangeCorner };
QPoint startPointerPosition(const QRect& client, PointerStart which);

// ---- Double-click zones -------------------------------------------------

enum class ClickZone { ProfilePlot, GravityAxis, DepthAxis, ModelPanel };
// Zones by the 40-pixel axis column and half = (ClientHeight - 15) div 2.
ClickZone doubleClickZone(const QRect& client, QPoint p);

// ---- Rubber-band outlines ----------------------------------------------

// The screen outline of a body displaced by (dx, dz) model units: its n stored
// corners through the section transform, each column held into
// [SectionLeft, Rx] as the body drawing does.
QPolygon bodyOutline(const ViewLayout& L, const Display& d, const Tbody& body, double dx = 0,
                     double dz = 0);

// The normalised box between two pixels, for the zoom rubber band.
QRect rubberBox(QPoint a, QPoint b);

// Draws a rubber band as an overlay: solid black pen of width 1, no fill.
void drawRubberBand(QPainter& p, const QPolygon& outline);
void drawRubberBand(QPainter& p, const QRect& box);

}  // namespace corvane
