#pragma once
// The gradient panel's menu items: the switch beside the magnetic panel's and
// the submenu of the six components it may show.

namespace corvane {

class Tcorvane;

// Enables the items while there are gradient stations and checks them as
// the display shows them.
void showGradientMenu(Tcorvane& window);

}  // namespace corvane
