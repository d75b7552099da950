#pragma once
// The body commands as the window runs them: the model operations of
// model/body_ops.h with the menu changes they call for, returned as data for
// the window to apply, the status notes, and the pick of a corner to link to.
#include "edit/picking.h"
#include "model/body_ops.h"

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

// ---- Delete ------------------------------------------------------------

// Deletes body n (removeBody) and returns the menu changes the deletion calls for.
MenuUpdate deleteBody(Workspace& ws, int n);

// ---- Copy and move ------------------------------------------------------

MenuUpdate menuAfterCopy(const Model& m);

// What the status panel says of a shortened shift (empty when it was not).
inline const QString StepShortenedText =
    QStringLiteral(" The step was shortened: the body's top has reached the surface");
inline const QString AtSurfaceText =
    QStringLiteral(" The body's top is at the surface: it cannot go higher");
QString depthShiftNote(const DepthShift& shift);

// ---- Links -------------------------------------------------------------

// The first corner (by body, then corner number) of a body other than b
// inside the pick box around (x, z); false when there is none.
bool findPartnerCorner(const Model& m, int b, double x, double z, const PickTolerance& tol,
                       int& partnerBody, int& partnerCorner);

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
