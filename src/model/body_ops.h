#pragma once
// Whole-body operations on the model: hide, delete with renumbering, copy,
// move, turn, link corners, change the unit of distance. Each keeps
// CalculatedGravity equal to the sum of the visible bodies' anomalies and
// every corner link symmetric. Plain C++: the menu changes they call for are
// the mouse commands' business (edit/body_ops.h).
#include "model/workspace.h"

namespace corvane {

// ---- Hide / unhide -----------------------------------------------------

int visibleBodyCount(const Model& m);

enum class HideResult { Hidden, Shown, Refused };
// Toggles Hidden of body b; hiding the last visible body is refused.
HideResult toggleHidden(Model& m, int b);

// ---- Delete ------------------------------------------------------------

// Deletes body n: its contribution leaves the total, its links are removed on
// both sides, the bodies above move down one number (their links renumbered
// with them) and the current body and the body under inversion follow. With
// one body left, it is shown and the individual curves are switched off.
// False (nothing done) when n is not a body or it is the only one.
bool removeBody(Workspace& ws, int n);

// ---- Copy, move, turn --------------------------------------------------

// Default move/copy steps: 5 % of the station span and of the displayed depth
// range, rounded to whole numbers.
double defaultStepX(const Model& m);
double defaultStepZ(const Display& d);

// Appends a copy of body src displaced by (dx, dz), without links, and adds
// its anomaly to the total. Returns the new body's number, 0 at the limit.
int copyBodyTo(Model& m, int src, double dx, double dz);

// A vertical shift of a whole body that keeps its shape: one that would lift
// a corner above `floor` is shortened so that the shallowest corner just
// reaches it, to no shift at all when it is there already.
struct DepthShift {
    double dz = 0;
    bool shortened = false;
};
DepthShift shapeKeepingShift(const Tbody& body, double dz, double floor);
// The same with the model's ground in place of depth 0: each corner may
// rise to `floor` below the ground above it.
DepthShift shapeKeepingShift(const Model& m, const Tbody& body, double dz, double floor);

// Moves the current body (linked partners follow) with the anomaly updated;
// upwards no further than its top reaching the surface. Returns the vertical
// shift made.
DepthShift moveCurrentBody(Model& m, double dx, double dz);

// Turns the current body by angle degrees (positive: clockwise on screen).
void turnCurrentBody(Model& m, double angle);

// ---- Links -------------------------------------------------------------

// Links corner c of body b to corner s of body pb, removing any old link of
// either corner first. Corner c snaps onto the partner and b is recalculated.
void linkCorners(Model& m, int b, int c, int pb, int s);

// ---- Units ---------------------------------------------------------------

// The numbers stay; only their unit changes, so every body is recalculated.
void changeUnits(Model& m, bool km);

}  // namespace corvane
