// The corner and body commands of the "Edit the Model" menu.
#include "app/tcorvane.h"
#include "edit/body_dialogs.h"
#include "edit/body_ops.h"
#include "edit/edit_commands.h"
#include "edit/num_corner_change.h"
#include "edit/picking.h"
#include "edit/zoom.h"
#include "model/corner_edit.h"

namespace corvane {

namespace {

CommandContext contextOf(Tcorvane& w)
{
    DrawingArea& area = w.drawingArea();
    return {w.workspace(), w.platform(), [&area] { return area.clientRect(); }, [&w] { w.repaintModel(); }};
}

bool haveCurrentBody(const Model& m) { return m.CurrentBody >= 1 && m.CurrentBody <= m.NumBodies; }

void apply(Tcorvane& w, const MenuUpdate& u)
{
    for (const auto& [item, enabled] : u.enabled)
        w.setItemEnabled(item, enabled);
    for (const QString& item : u.unchecked)
        w.setItemChecked(item, false);
}

}  // namespace

void runCaptured(Tcorvane& w, std::unique_ptr<MouseCommand> command)
{
    DrawingArea& area = w.drawingArea();
    const QRect panel = modelPanel(area.clientRect(), w.workspace().display);
    w.startCommand(std::make_unique<CapturedCommand>(std::move(command), w.platform(), area, panel));
}

// ---- Corners -----------------------------------------------------------------

void Tcorvane::Changeacornerwiththemouse1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    instruction(ChangeCornerText);
    platform_->setPointerPosition(*area_, startPointerPosition(area_->clientRect(), PointerStart::ChangeCorner));
    runCaptured(*this, std::make_unique<ChangeCornerCommand>(contextOf(*this)));
}

void Tcorvane::Changeacornernumerically1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    TNumCornerChange& dlg = dialog<TNumCornerChange>(ws_, *platform_, this);
    dlg.repaint = [this] { repaintModel(); };
    dlg.FormActivate();
    execDialog(dlg);
    dlg.finish();
    repaintModel();
}

void Tcorvane::Addacorner1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    if (!canAddCorner(ws_.model, ws_.model.CurrentBody)) {
        platform_->error(MaxCornersText);
        return;
    }
    instruction(AddCornerText);
    runCaptured(*this, std::make_unique<AddCornerCommand>(contextOf(*this)));
}

void Tcorvane::Deleteacorner1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    if (!canDeleteCorners(ws_.model, ws_.model.CurrentBody)) {
        platform_->error(MinCornersText);
        return;
    }
    instruction(MarkCornersText);
    runCaptured(*this, std::make_unique<DeleteCornersCommand>(contextOf(*this)));
}

// ---- Links -------------------------------------------------------------------

void Tcorvane::Linkabody1Click()
{
    instruction(MarkCornersText);
    if (ws_.model.NumBodies == 1) {
        platform_->error(LinkOneBodyText);
        return;
    }
    if (!haveCurrentBody(ws_.model))
        return;
    runCaptured(*this, std::make_unique<LinkCornersCommand>(
                           contextOf(*this), [this] { setItemEnabled(menu::UnlinkaBody, true); }));
}

void Tcorvane::UnlinkaBody1Click()
{
    if (ws_.model.NumBodies == 1) {
        platform_->error(UnlinkOneBodyText);
        return;
    }
    instruction(MarkCornersText);
    if (!haveCurrentBody(ws_.model))
        return;
    runCaptured(*this, std::make_unique<UnlinkCornersCommand>(contextOf(*this)));
}

// ---- Whole bodies ------------------------------------------------------------

void Tcorvane::Deleteabody1Click()
{
    Model& m = ws_.model;
    if (!haveCurrentBody(m) || m.NumBodies <= 1)
        return;
    const int n = m.CurrentBody;
    if (!platform_->confirm(QStringLiteral("Delete Body ") + QString::number(n) + QStringLiteral(" ?")))
        return;
    apply(*this, deleteBody(ws_, n));
    repaintModel();
}

void Tcorvane::Hideabody1Click()
{
    Model& m = ws_.model;
    if (!haveCurrentBody(m))
        return;
    if (toggleHidden(m, m.CurrentBody) == HideResult::Refused) {
        platform_->error(QStringLiteral("You cannot hide all of the bodies in the model"));
        return;
    }
    MenuStateBodySelected();   // the body items follow the body's new visibility
    repaintModel();
}

void Tcorvane::Moveabody1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    TMoveBody& dlg = dialog<TMoveBody>(ws_, *platform_, this);
    dlg.repaint = [this] { repaintModel(); };
    dlg.status = [this](const QString& text) { setStatus(text); };
    if (!dlg.FormActivate())
        return;
    const bool ok = execDialog(dlg) == QDialog::Accepted;
    repaintModel();
    if (!ok || !dlg.dragWanted())
        return;
    instruction(DragBodyText);
    runCaptured(*this, std::make_unique<BodyDragCommand>(
                           contextOf(*this), BodyDragCommand::Mode::Move, [this](int, const DepthShift& shift) {
                               // Said once the command has ended and the window is drawn afresh.
                               const QString note = depthShiftNote(shift);
                               if (!note.isEmpty())
                                   connect(area_, &DrawingArea::commandEnded, this,
                                           [this, note] { setStatus(note); }, Qt::SingleShotConnection);
                           }));
}

void Tcorvane::Copyabody1Click()
{
    if (!haveCurrentBody(ws_.model))
        return;
    Tcopybody& dlg = dialog<Tcopybody>(ws_, this);
    dlg.FormActivate();
    if (execDialog(dlg) != QDialog::Accepted)
        return;
    if (dlg.dragWanted()) {
        instruction(DragBodyText);
        runCaptured(*this, std::make_unique<BodyDragCommand>(
                               contextOf(*this), BodyDragCommand::Mode::Copy,
                               [this](int, const DepthShift&) { apply(*this, menuAfterCopy(ws_.model)); }));
        return;
    }
    if (dlg.copiedBody() > 0) {
        apply(*this, menuAfterCopy(ws_.model));
        repaintModel();
        setStatus(QString());
    }
}

void Tcorvane::Turnabody1Click()
{
    Model& m = ws_.model;
    if (!haveCurrentBody(m))
        return;
    if (m.Bodies[m.CurrentBody].Hidden) {
        platform_->error(UnhideFirstText);
        return;
    }
    TTurnBody& dlg = dialog<TTurnBody>(ws_, this);
    dlg.repaint = [this] { repaintModel(); };
    dlg.FormActivate();
    execDialog(dlg);
    repaintModel();
}

void Tcorvane::Changeunits1Click()
{
    TDistUnits& dlg = dialog<TDistUnits>(ws_, this);
    dlg.FormActivate();
    execDialog(dlg);
    dlg.FormDeactivate();   // however the dialog was closed
    repaintModel();
}

}  // namespace corvane
