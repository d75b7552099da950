// Display options: toggles, dialogs, zoom and the double-click entry.
#include "app/menu_states.h"
#include "app/tcorvane.h"
#include "display/options.h"
#include "display/options_dialogs.h"
#include "edit/body_ops.h"
#include "edit/zoom.h"

#include <array>

namespace corvane {

namespace {

// Inverts one option with its side rules, keeps every check mark that changed
// in step with its flag, and repaints.
void toggle(Tcorvane& w, DisplayToggle t)
{
    Display& d = w.workspace().display;
    std::array<bool, std::size(AllToggles)> before{};
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = toggleFlag(d, AllToggles[i]);
    const bool acted = applyDisplayToggle(d, w.workspace().model, t);
    // The action may have flipped its own check mark when clicked; it shows the flag.
    w.setItemChecked(toggleActionName(t), toggleFlag(d, t));
    if (!acted)
        return;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (toggleFlag(d, AllToggles[i]) != before[i])
            w.setItemChecked(toggleActionName(AllToggles[i]), toggleFlag(d, AllToggles[i]));
    if (t == DisplayToggle::PlanView)
        applyPlanViewMenu(w);
    w.repaintModel();
}

}  // namespace

void Tcorvane::showDisplayChecks()
{
    const Display& d = ws_.display;
    for (const DisplayToggle t : AllToggles)
        setItemChecked(toggleActionName(t), toggleFlag(d, t));
    if (d.PlanView)
        applyPlanViewMenu(*this);
}

void Tcorvane::bodynumbers1Click()
{
    toggle(*this, DisplayToggle::BodyNumbers);
}

void Tcorvane::BodyDensities1Click()
{
    toggle(*this, DisplayToggle::BodyDensities);
}

void Tcorvane::Highlightbodycorners1Click()
{
    toggle(*this, DisplayToggle::HighlightCorners);
}

void Tcorvane::PLanview1Click()
{
    toggle(*this, DisplayToggle::PlanView);
}

void Tcorvane::differencecurves1Click()
{
    toggle(*this, DisplayToggle::Difference);
}

void Tcorvane::Displayindividual1Click()
{
    toggle(*this, DisplayToggle::Individual);
}

void Tcorvane::Plotpoints1Click()
{
    toggle(*this, DisplayToggle::PlotPoints);
}

void Tcorvane::setdisplaysize1Click()
{
    if (execDialog(dialog<Tdisplaylimits>(ws_, this)) != QDialog::Accepted)
        return;
    setItemEnabled(QStringLiteral("Zoomout1"), true);
    repaintModel();
}

void Tcorvane::gridoptions1Click()
{
    if (execDialog(dialog<Tgridoptions>(ws_, this)) == QDialog::Accepted)
        repaintModel();
}

void Tcorvane::Setfontsize1Click()
{
    if (execDialog(dialog<Tsetfontheight>(ws_, this)) == QDialog::Accepted)
        repaintModel();
}

void Tcorvane::Selectcolourscheme1Click()
{
    if (execDialog(dialog<Tcolourscheme>(ws_, this)) == QDialog::Accepted)
        repaintModel();
}

bool Tcorvane::DisplayDblClick(const QPoint& pos)
{
    // Before a model is loaded or begun a double-click does nothing at all.
    if (!(ws_.display.ModelLoaded || ws_.display.ModelBegun))
        return true;
    switch (doubleClickZone(pos.x(), pos.y(), area_->clientRect().height())) {
    case DoubleClickZone::CurveProperties:
        if (execDialog(dialog<Tcurves>(ws_, *platform_, this)) == QDialog::Accepted) {
            setItemChecked(QStringLiteral("Displayindividual1"), ws_.display.ShowIndividual);
            setItemChecked(QStringLiteral("differencecurves1"), ws_.display.ShowDifference);
            setItemChecked(QStringLiteral("Plotpoints1"), ws_.display.PlotPoints);
        }
        break;
    case DoubleClickZone::DepthAxis:
        execDialog(dialog<TDepthScale>(ws_, this));
        break;
    case DoubleClickZone::GravityAxis:
        execDialog(dialog<TGaxis>(ws_, this));
        break;
    case DoubleClickZone::ModelPanel:
        return false;
    }
    // The gravity decimals and the curve colours change while the dialog is
    // open, so the picture is redrawn however it closed.
    repaintModel();
    return true;
}

// ---- Zoom --------------------------------------------------------------------

void Tcorvane::Zoomin1Click()
{
    instruction(ZoomInText);
    DrawingArea& area = *area_;
    runCaptured(*this, std::make_unique<ZoomCommand>(ws_, [&area] { return area.clientRect(); },
                                                     [this] { setItemEnabled(menu::Zoomout, true); }));
}

void Tcorvane::Zoomout1Click()
{
    zoomOut(ws_.model, ws_.display);
    setItemEnabled(menu::Zoomout, false);
    repaintModel();
}

}  // namespace corvane
