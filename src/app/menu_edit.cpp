// Body selection by click and the editing commands.
// Temporary bodies until these commands are built.
#include "app/newmodel.h"
#include "app/tcorvane.h"
#include "edit/add_body.h"
#include "edit/num_add.h"
#include "edit/picking.h"

namespace corvane {

void Tcorvane::FormClick(const QPoint& pos)
{
    if (!ws_.display.ModelLoaded && !ws_.display.ModelBegun)
        return;
    const int b = hitBody(ws_.model, ws_.display, area_->clientRect(), pos);
    if (b == 0)
        return;
    ws_.model.CurrentBody = b;
    ws_.inversion.InversionBody = b;
    repaintModel();
    MenuStateBodySelected();
}

void Tcorvane::FormDblClick(const QPoint& pos)
{
    if (!ws_.display.ModelLoaded && !ws_.display.ModelBegun)
        return;
    if (doubleClickZone(area_->clientRect(), pos) != ClickZone::ModelPanel) {
        DisplayDblClick(pos);
        return;
    }
    const int b = hitBody(ws_.model, ws_.display, area_->clientRect(), pos);
    if (b == 0)
        return;
    ws_.model.CurrentBody = b;
    ws_.inversion.InversionBody = b;
    repaintModel();
    MenuStateBodySelected();
    if (!ws_.model.Bodies[b].Hidden)
        Changebodyproperties1Click();
}

void Tcorvane::Addabody1Click()
{
    Model& m = ws_.model;
    if (m.NumBodies >= MaxBodies) {
        platform_->information(TooManyBodiesText);
        return;
    }
    Taddbody& dlg = dialog<Taddbody>(this);
    dlg.FormActivate(m);
    if (execDialog(dlg) != QDialog::Accepted)
        return;
    instruction(AddCornersText);
    const int b = beginNewBody(m, dlg.values());
    startBodyDrawing(*this, b, [this, b](int corners) {
        if (corners == 0) {
            // Ended (Esc) before the body had two distinct corners: not kept.
            ws_.model.NumBodies = b - 1;
            return;
        }
        {
            BusyCursor busy(*platform_);
            finishNewBody(ws_, b);
        }
        for (const auto& [item, enabled] : addedBodyMenuChanges(ws_.model))
            setItemEnabled(item, enabled);
        repaintModel();
    });
}

void Tcorvane::KeyinaBody1Click()
{
    TNumAdd& dlg = dialog<TNumAdd>(ws_, this);
    dlg.FormActivate();
    if (execDialog(dlg) == QDialog::Accepted && dlg.OKBtnClick())
        for (const auto& [item, enabled] : dlg.menuChanges())
            setItemEnabled(item, enabled);
    repaintModel();
}

}  // namespace corvane
