#pragma once
// What the drawing area shows and how: view limits, layout values, toggles,
// colours, grid and font. Defaults are the start-up values. Free of Qt, so
// that the layers under the drawing can read it; the painting side turns the
// colours into its own type (display/colour.h).
#include <cstdint>
#include <string>

namespace corvane {

// A colour as the state keeps it: red, green and blue, 0 to 255 each.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;

    constexpr Rgb() = default;
    constexpr Rgb(int red, int green, int blue)
        : r(static_cast<std::uint8_t>(red)), g(static_cast<std::uint8_t>(green)),
          b(static_cast<std::uint8_t>(blue))
    {
    }
    // Taken from any colour type that gives red(), green() and blue() (the
    // colour chooser's), so the state needs no drawing library.
    template <class Colour>
        requires requires(const Colour& c) { c.red(); c.green(); c.blue(); }
    constexpr Rgb(const Colour& c) : Rgb(c.red(), c.green(), c.blue())
    {
    }
    constexpr bool operator==(const Rgb&) const = default;
};

// The displayed depth range, what the fits and the inversion take from the
// view (their default depth bounds and depth steps).
struct DepthRange {
    double min = 0;
    double max = 100;
};

struct Display {
    // View limits (model units) and the derived gravity range.
    double ViewXMin = 0;
    double ViewXMax = 100;
    double ViewDepthMin = 0;
    double ViewDepthMax = 100;
    double GravityMin = 1e8;    // recomputed at every drawing of the curves
    double GravityMax = -1e8;
    bool Zoomed = false;

    // Layout values in pixels; the screen layout resets them at every repaint.
    int SectionLeft = 40;
    int TickLength = 4;
    int TickHeight = 4;

    // What is drawn.
    int ColourScheme = 4;   // 1 no fill, 2 grey, 3 grey scale, 4 colour scale
    Rgb CalcCurveColour{0, 0, 0};
    Rgb ObsCurveColour{0, 150, 0};
    bool ShowDensities = true;
    bool ShowBodyNumbers = false;
    bool HighlightCorners = true;
    bool PlanView = false;
    bool ShowDifference = false;
    bool ShowIndividual = false;
    bool ShowMagnetic = false;    // the magnetic panel above the gravity curves
    bool ShowGradient = false;    // the gradient panel above the gravity curves
    // The gradient components the panel shows, bit k for component k in the
    // tensor order; 0 when none were chosen (model/gradient_panel.h).
    int GradientComponents = 0;
    bool PlotPoints = false;
    bool ShowMap = false;         // the map dock, when the profile is placed on a map
    std::string MapGrid;          // the grid the map dock shows ("" for none)

    // Grid and axes.
    bool DrawGrid = false;
    bool SnapToGrid = false;
    double GridStepX = 10;
    double GridStepZ = 10;
    int GridDotFrequency = 3;
    double DepthTickStep = 25;
    double GravityTickStep = 1;
    int GravityDecimals = 2;
    int FontHeight = 10;

    // A model was loaded / begun: only then are the panels drawn.
    bool ModelLoaded = false;
    bool ModelBegun = false;
    bool Printing = false;

    // Wherever a depth range is asked for, the view's is the one meant.
    operator DepthRange() const { return {ViewDepthMin, ViewDepthMax}; }
};

}  // namespace corvane
