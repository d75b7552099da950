#pragma once
// Which menu item is enabled when. The window's MenuState* members are
// defined in menu_states.cpp from the lists there; plan view's own list is
// planViewMenuChanges in display/options.cpp, applied through
// applyPlanViewMenu below.

namespace corvane {

class Tcorvane;

// At MaxBodies bodies nothing more can be added: turns the adding items off.
void disableBodyAddingWhenFull(Tcorvane& w);
// Sets the items that follow plan view to the state the display flags give.
void applyPlanViewMenu(Tcorvane& w);

}  // namespace corvane
