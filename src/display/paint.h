#pragma once
// PaintModel: the one drawing routine for the window, an image and the printer.
#include "display/view.h"
#include "model/tick_steps.h"
#include "model/workspace.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace corvane {

// Values used only while Display::Printing is set (the hardcopy command).
struct PrintOptions {
    double u = 0;           // horizontal length unit, pixels
    double v = 0;           // vertical length unit, pixels
    int plotWidth = 0;      // pixels
    int plotHeight = 0;     // pixels
    bool titles = false;    // write the two title lines
    QString title1, title2;
    bool thirdLine = false; // write a third text line (e.g. the model file name)
    QString thirdText;
    bool legend = false;    // units and the first bodies' figures
    // The window's picture, which the printed point symbols and their labels
    // keep their size relative to: its width and its font's height, pixels.
    int screenWidth = 652;
    int screenFontPixels = 13;
};

// A text as drawn: the rectangle its characters cover (leading blanks of a
// see-through axis label left out) and the characters.
struct DrawnText {
    QRect rect;
    QString text;
};

// Draws everything into rect. On screen (Printing false) it returns the
// status-panel text the drawing of the curves sets (the misfit read-out);
// nothing when no curves were drawn. When texts is given, every text drawn
// is appended to it, in the order of drawing.
std::optional<QString> PaintModel(QPainter& painter, const QRect& rect, Workspace& ws,
                                  const PrintOptions& print = {}, std::vector<DrawnText>* texts = nullptr);

// The point symbol of observed data: four strokes through (x, y).
void DrawStar(QPainter& painter, int x, int y, int width, int dx, int dy);

// Fill colour of a visible body in the current colour scheme, given the
// lowest and highest density of the model's bodies.
QColor bodyColour(int scheme, double density, double densLow, double densHigh);

// The layout used in printing mode for the given options.
ViewLayout printLayout(const PrintOptions& print);

// Distance axis tick step and count for a view range (|ViewXMax - ViewXMin|).
struct TickStep {
    double step = 1;
    int count = 0;
};
TickStep distanceTickStep(double range);

}  // namespace corvane
