// The regional field and the abstraction of part of the profile.
#include "app/tcorvane.h"
#include "regional_ui/tabstractdata.h"
#include "regional_ui/tmagregional.h"
#include "regional_ui/tregbuild.h"

namespace corvane {

void Tcorvane::Modifytheregionalfield1Click()
{
    // The dialog keeps its builder state between openings.
    execDialog(dialog<Tregbuild>(ws_, *platform_, this));
    repaintModel();
}

void Tcorvane::Modifythemagneticregional1Click()
{
    TMagregional& dlg = dialog<TMagregional>(ws_, *platform_, this);
    dlg.FormActivate();
    execDialog(dlg);
    repaintModel();
}

void Tcorvane::Abstractpartoftheprofile1Click()
{
    execDialog(dialog<TabstractData>(ws_, this));
    repaintModel();
}

}  // namespace corvane
