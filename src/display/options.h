#pragma once
// The display options' rules: the menu toggles with their side effects, the
// menu items that plan view disables and enables, the double-click zones, and
// the checks each options dialog applies to what the user typed.
#include "model/display_state.h"
#include "model/model.h"

#include <QString>

#include <optional>
#include <vector>

namespace corvane {

// ---- Menu toggles ----

enum class DisplayToggle {
    BodyNumbers,        // bodynumbers1
    BodyDensities,      // BodyDensities1
    HighlightCorners,   // Highlightbodycorners1
    PlanView,           // PLanview1
    Difference,         // differencecurves1
    Individual,         // Displayindividual1
    PlotPoints,         // Plotpoints1
};

// The menu action of a toggle and the flag it stands for.
QString toggleActionName(DisplayToggle t);
bool toggleFlag(const Display& d, DisplayToggle t);
inline constexpr DisplayToggle AllToggles[] = {
    DisplayToggle::BodyNumbers, DisplayToggle::BodyDensities, DisplayToggle::HighlightCorners,
    DisplayToggle::PlanView,    DisplayToggle::Difference,    DisplayToggle::Individual,
    DisplayToggle::PlotPoints};

// Inverts the flag and applies its side rule (numbers and densities exclude
// each other, so do difference and individual). Returns false, changing
// nothing, where the toggle does nothing: corner highlighting before a model
// is loaded or begun, the difference display without observed data.
bool applyDisplayToggle(Display& d, const Model& m, DisplayToggle t);

// The menu items whose enabled state follows plan view, with the state each
// gets after plan view was switched to d.PlanView.
struct MenuEnable {
    QString action;
    bool enabled;
};
std::vector<MenuEnable> planViewMenuChanges(const Display& d, const Model& m);

// ---- Double-click zones ----

enum class DoubleClickZone { CurveProperties, DepthAxis, GravityAxis, ModelPanel };
// With Mid = (client height - 15) div 2: above it, right of the axis strip the
// curves, left of it the gravity axis; below it, left of the strip the depth
// axis; everything else is the model panel.
DoubleClickZone doubleClickZone(int mx, int my, int clientHeight);

// ---- The dialogs' checks, applied on OK ----
// Each text that does not parse leaves its value unchanged.

struct DisplayLimitsInput {
    std::optional<double> xMin, xMax, depthMin, depthMax;
};
void applyDisplayLimits(Display& d, const Model& m, const DisplayLimitsInput& in);

struct GridInput {
    std::optional<double> stepX, stepZ, dotFrequency;
    bool drawGrid = false;
    bool snapToGrid = false;
};
void applyGridOptions(Display& d, const Model& m, const GridInput& in);

void applyFontHeight(Display& d, std::optional<double> height);

void applyGravityTickStep(Display& d, std::optional<double> step);

struct DepthAxisInput {
    std::optional<double> depthMax, depthMin, tickStep;
};
void applyDepthAxis(Display& d, const DepthAxisInput& in, const Model& m);

// The spin button of the gravity axis dialog: no upper limit, not below 0.
void gravityDecimalsUp(Display& d);
void gravityDecimalsDown(Display& d);

}  // namespace corvane
