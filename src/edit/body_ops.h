#pragma once
// Whole-body commands on the model: hide, delete with renumbering, copy,
// move, turn, link and unlink corners, change the unit of distance. Each
// keeps CalculatedGravity equal to the sum of the visible bodies' anomalies
// and every corner link symmetric. Menu changes are returned as data for the
// window to apply.
#include "display/workspace.h"
#include "edit/picking.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace corvane {

// Menu items a command switches, by objectName.
struct MenuUpdate {
    std::vector<std::pair<QString, bool>> enabled;   // item, new enabled state
    QStringList unchecked;                           // items that lose their check mark
    bool operator==(const MenuUpdate&) const = default;
};

// ---- Hide / unhide -----------------------------------------------------

int visibleBodyCount(const Model& m);

enum class HideResult { Hidden, Shown, Refused };
// Toggles Hidden of body b; hiding the last visible body is refused.
HideResult toggleHidden(Model& m, int b);

// ---- Delete ------------------------------------------------------------

// Deletes body n: its contribution leaves the total, its links are removed on
// both sides, the bodies above move down one number (their links renumbered
// with them) and the current body and the body under inversion follow.
// Returns the menu changes the deletion calls for.
MenuUpdate deleteBody(Workspace& ws, int n);

// ---- Copy, move, turn --------------------------------------------------

// Default move/copy steps: 5 % of the station span and of the displayed depth
// range, rounded to whole numbers.
double defaultStepX(const Model& m);
double defaultStepZ(const Display& d);

// Appends a copy of body src displaced by (dx, dz), without links, and adds
// its anomaly to the total. Returns the new body's number, 0 at the limit.
int copyBodyTo(Model& m, int src, double dx, double dz);
MenuUpdate menuAfterCopy(const Model& m);

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

// What the status panel says of a shortened shift (empty when it was not).
inline const QString StepShortenedText =
    QStringLiteral(" The step was shortened: the body's top has reached the surface");
inline const QString AtSurfaceText =
    QStringLiteral(" The body's top is at the surface: it cannot go higher");
QString depthShiftNote(const DepthShift& shift);

// Moves the current body (linked partners follow) with the anomaly updated;
// upwards no further than its top reaching the surface. Returns the vertical
// shift made.
DepthShift moveCurrentBody(Model& m, double dx, double dz);

// Turns the current body by angle degrees (positive: clockwise on screen).
void turnCurrentBody(Model& m, double angle);

// ---- Links -------------------------------------------------------------

// The first corner (by body, then corner number) of a body other than b
// inside the pick box around (x, z); false when there is none.
bool findPartnerCorner(const Model& m, int b, double x, double z, const PickTolerance& tol,
                       int& partnerBody, int& partnerCorner);

// Links corner c of body b to corner s of body pb, removing any old link of
// either corner first. Corner c snaps onto the partner and b is recalculated.
void linkCorners(Model& m, int b, int c, int pb, int s);

// ---- Units ---------------------------------------------------------------

// The numbers stay; only their unit changes, so every body is recalculated.
void changeUnits(Model& m, bool km);

// Item names used by the body commands.
namespace menu {
inline const QString Addabody = QStringLiteral("Addabody1");
inline const QString KeyinaBody = QStringLiteral("KeyinaBody1");
inline const QString Copyabody = QStringLiteral("Copyabody1");
inline const QString Linkabody = QStringLiteral("Linkabody1");
inline const QString UnlinkaBody = QStringLiteral("UnlinkaBody1");
inline const QString Deleteabody = QStringLiteral("Deleteabody1");
inline const QString Hideabody = QStringLiteral("Hideabody1");
inline const QString Displayindividual = QStringLiteral("Displayindividual1");
inline const QString Moveabody = QStringLiteral("Moveabody1");
inline const QString Turnabody = QStringLiteral("Turnabody1");
inline const QString Changeacornerwiththemouse = QStringLiteral("Changeacornerwiththemouse1");
inline const QString Invertthemodel = QStringLiteral("Invertthemodel1");
inline const QString bodyinversion = QStringLiteral("bodyinversion");
inline const QString cornerinversion = QStringLiteral("cornerinversion");
inline const QString Zoomout = QStringLiteral("Zoomout1");
}  // namespace menu

}  // namespace corvane
