#pragma once
// The gradient panel's rules, one for the window and the plots alike: which
// tensor components it shows, the axis its values take, and where it stands
// among the curve panels that share the profile half.
#include "display_state.h"
#include "model.h"
#include "tensor.h"

#include <array>
#include <optional>
#include <string>

namespace corvane {

// The components' names in the tensor order, as the model file and the
// panel's legend write them.
inline constexpr std::array<const char*, TensorComponents> ComponentNames = {"xx", "xy", "xz",
                                                                             "yy", "yz", "zz"};
inline constexpr int AllComponentBits = (1 << TensorComponents) - 1;
inline constexpr int ZzBit = 1 << 5;

// The components the panel shows. chosen holds bit k for component k (as
// Display::GradientComponents); 0, nothing chosen, shows T_zz and every
// component observed at some station (in the profile frame).
TensorFlags gradientComponentsShown(const Model& m, int chosen);
int componentBits(const TensorFlags& shown);
// The choice after component k is turned on or off from what is shown now;
// the last one shown stays (the panel always shows one).
int withComponentToggled(const Model& m, int chosen, int k);

// The list of the model file: the names in tensor order, joined by commas
// ("xz,zz"); and read back, in any order. Nothing when a name is not one of
// the six, repeats, or the list is empty.
std::string componentList(int bits);
std::optional<int> parseComponentList(const std::string& text);

// Component k's colour, on the screen and in the drawing files.
Rgb gradientColour(int k);

// Shown: turned on, and there are gradient stations.
bool gradientPanelShown(const Model& m, const Display& d);

// The panel's stations from xMin to xMax (first at or right of xMin, last
// the first after it at or right of xMax, as the magnetic panel takes them;
// last < first when there are none) and its axis: a round axis over the
// shown components' observed and calculated values there.
struct GradientAxis {
    int first = 1, last = 0;
    double lo = 0, hi = 1, step = 0.25;
};
GradientAxis gradientAxis(const Model& m, double xMin, double xMax, const TensorFlags& shown);
// The decimals that show a round step (1, 2 or 5 times a power of ten).
int labelDecimals(double step);

// The curve panels that share the profile half, top to bottom: magnetic,
// gradient, gravity, each shown panel an equal share.
struct CurvePanels {
    int count = 1;
    int magnetic = -1;   // places from the top; -1 when not shown
    int gradient = -1;
    int gravity = 0;

    // Where place k starts, of a stack from top (place 0) to bottom (place
    // count); integers divide as the window's rows do.
    template <class T>
    T edge(T top, T bottom, int k) const
    {
        return top + (bottom - top) * k / count;
    }
};
CurvePanels curvePanels(bool magnetic, bool gradient);

}  // namespace corvane
