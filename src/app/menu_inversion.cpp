// Body properties, inversion parameters and the inversion.
#include "app/tcorvane.h"
#include "edit/picking.h"
#include "inversion_ui/corner_selection.h"
#include "inversion_ui/tbodyinvert.h"
#include "inversion_ui/texts.h"
#include "inversion_ui/tinvertmodel.h"
#include "inversion_ui/tinvertresult.h"
#include "inversion_ui/tproperties.h"

namespace corvane {

void Tcorvane::Changebodyproperties1Click()
{
    Tproperties& dlg = dialog<Tproperties>(
        ws_, *platform_, [this] { repaintModel(); },
        [this](const QString& text) { setStatus(text); }, this);
    dlg.FormActivate();
    execDialog(dlg);
    repaintModel();
}

void Tcorvane::Invertthemodel1Click()
{
    Tinvertmodel& dlg = dialog<Tinvertmodel>(
        ws_, *platform_, [this] { repaintModel(); },
        [this](const QString& text) { setStatus(text); }, this);
    dlg.FormActivate();
    execDialog(dlg);
    // The run, if OK started one, has ended here. It may have taken
    // minutes: keep it for recovery now, not once its results are read.
    if (const RunReport* run = dlg.lastRun()) {
        writeRecovery();
        Tinvertresult& result = dialog<Tinvertresult>(*platform_, this);
        result.fill(*run);
        execDialog(result);
    }
}

void Tcorvane::bodyinversionClick()
{
    Tbodyinvert& dlg = dialog<Tbodyinvert>(ws_, *platform_, this);
    dlg.FormActivate();
    execDialog(dlg);   // closing stores the dialog into the body
}

void Tcorvane::cornerinversionClick()
{
    instruction(texts::CornerInstruction);
    DrawingArea& area = *area_;
    Platform& platform = *platform_;
    platform.pushCursor(Platform::Cursor::Cross);
    platform.confinePointer(area, modelPanel(area.clientRect(), ws_.display));
    startCommand(std::make_unique<CornerSelection>(
        ws_, platform, [&area] { return area.clientRect(); },
        [&platform] {
            platform.releasePointer();
            platform.popCursor();
        }));
}

}  // namespace corvane
