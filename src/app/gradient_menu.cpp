#include "app/gradient_menu.h"

#include "app/tcorvane.h"
#include "model/gradient_panel.h"

#include <QString>

namespace corvane {

namespace {

QString componentItem(int k)
{
    return QStringLiteral("Gradient") + QLatin1String(ComponentNames[static_cast<std::size_t>(k)])
           + QLatin1Char('1');
}

void toggleComponent(Tcorvane& window, int k)
{
    Workspace& ws = window.workspace();
    if (ws.model.Grad.Num < 1)
        return;
    Display& d = ws.display;
    d.GradientComponents = withComponentToggled(ws.model, d.GradientComponents, k);
    // Turning a component on or off is asking to see the panel.
    d.ShowGradient = true;
    showGradientMenu(window);
    window.repaintModel();
}

}  // namespace

void showGradientMenu(Tcorvane& window)
{
    const Workspace& ws = window.workspace();
    const bool stations = ws.model.Grad.Num > 0;
    window.setItemEnabled(QStringLiteral("Showgradients1"), stations);
    window.setItemChecked(QStringLiteral("Showgradients1"), gradientPanelShown(ws.model, ws.display));
    const TensorFlags shown = gradientComponentsShown(ws.model, ws.display.GradientComponents);
    for (int k = 0; k < TensorComponents; ++k) {
        window.setItemEnabled(componentItem(k), stations);
        window.setItemChecked(componentItem(k), stations && shown[static_cast<std::size_t>(k)]);
    }
}

void Tcorvane::Showgradients1Click()
{
    if (ws_.model.Grad.Num < 1)
        return;
    ws_.display.ShowGradient = !ws_.display.ShowGradient;
    showGradientMenu(*this);
    repaintModel();
}

void Tcorvane::Gradientxx1Click() { toggleComponent(*this, 0); }
void Tcorvane::Gradientxy1Click() { toggleComponent(*this, 1); }
void Tcorvane::Gradientxz1Click() { toggleComponent(*this, 2); }
void Tcorvane::Gradientyy1Click() { toggleComponent(*this, 3); }
void Tcorvane::Gradientyz1Click() { toggleComponent(*this, 4); }
void Tcorvane::Gradientzz1Click() { toggleComponent(*this, 5); }

}  // namespace corvane
