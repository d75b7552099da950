#include "edit/body_ops.h"

#include <cmath>

namespace corvane {

MenuUpdate deleteBody(Workspace& ws, int n)
{
    MenuUpdate menu;
    if (!removeBody(ws, n))
        return menu;
    const Model& m = ws.model;
    const bool oneLeft = m.NumBodies == 1;

    auto set = [&menu](const QString& item, bool on) { menu.enabled.emplace_back(item, on); };
    if (m.Bodies[m.CurrentBody].Hidden) {
        for (const QString* item : {&menu::Moveabody, &menu::Turnabody, &menu::Changeacornerwiththemouse,
                                    &menu::Copyabody, &menu::Invertthemodel, &menu::bodyinversion,
                                    &menu::cornerinversion})
            set(*item, false);
    } else {
        set(menu::Moveabody, true);
        set(menu::Turnabody, true);
        set(menu::Changeacornerwiththemouse, true);
        set(menu::Copyabody, true);
        if (m.HaveObserved) {
            set(menu::Invertthemodel, true);
            set(menu::bodyinversion, true);
            set(menu::cornerinversion, true);
        }
    }
    if (oneLeft) {
        set(menu::Displayindividual, false);
        menu.unchecked << menu::Displayindividual;
        set(menu::Hideabody, false);
        set(menu::Linkabody, false);
        set(menu::UnlinkaBody, false);
        set(menu::Deleteabody, false);
    }
    // Fewer than 51 bodies now: a body can be added again.
    set(menu::Addabody, true);
    set(menu::KeyinaBody, true);
    return menu;
}

MenuUpdate menuAfterCopy(const Model& m)
{
    MenuUpdate menu;
    if (m.NumBodies >= MaxBodies)
        for (const QString* item : {&menu::Addabody, &menu::KeyinaBody, &menu::Copyabody})
            menu.enabled.emplace_back(*item, false);
    for (const QString* item : {&menu::Linkabody, &menu::UnlinkaBody, &menu::Deleteabody,
                                &menu::Hideabody, &menu::Displayindividual})
        menu.enabled.emplace_back(*item, true);
    return menu;
}

QString depthShiftNote(const DepthShift& shift)
{
    if (!shift.shortened)
        return QString();
    return shift.dz == 0 ? AtSurfaceText : StepShortenedText;
}

bool findPartnerCorner(const Model& m, int b, double x, double z, const PickTolerance& tol,
                       int& partnerBody, int& partnerCorner)
{
    for (int ob = 1; ob <= m.NumBodies; ++ob) {
        if (ob == b)
            continue;
        const Tbody& other = m.Bodies[ob];
        for (int k = 1; k <= other.NumCorners - 1; ++k)
            if (std::fabs(other.CornerX[k] - x) < tol.x && std::fabs(other.CornerZ[k] - z) < tol.z) {
                partnerBody = ob;
                partnerCorner = k;
                return true;
            }
    }
    return false;
}

}  // namespace corvane
