#pragma once
// What the drawing area shows and how: view limits, layout values, toggles,
// colours, grid and font. Defaults are the start-up values.
#include <QColor>

namespace corvane {

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
    QColor CalcCurveColour = QColor(0, 0, 0);
    QColor ObsCurveColour = QColor(0, 150, 0);
    bool ShowDensities = true;
    bool ShowBodyNumbers = false;
    bool HighlightCorners = true;
    bool PlanView = false;
    bool ShowDifference = false;
    bool ShowIndividual = false;
    bool ShowMagnetic = false;    // the magnetic panel above the gravity curves
    bool PlotPoints = false;

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
};

}  // namespace corvane
