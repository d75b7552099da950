#pragma once
// The point data sets drawn over the bodies: each point as its set's symbol
// in its set's colour, with its label to the right.
#include "display/view.h"
#include "model/overlays.h"

#include <QColor>
#include <QString>

#include <optional>

class QPainter;

namespace corvane {

// The symbols' names as the point data dialog lists them.
QString pointSymbolName(PointSymbol s);

// Half the width of a symbol: the tick length, so that it grows with the
// printed page as the ticks do.
int pointSymbolRadius(const ViewLayout& L);

// Draws one symbol centred on c.
void drawPointSymbol(QPainter& p, PointSymbol s, const QColor& colour, QPoint c, int r);

// The symbols' and labels' size on a printed page: the window's sizes grown
// with the plot, so that they keep their size relative to the section.
struct PrintedPointSize {
    int radius = 4;
    int fontPixels = 13;
};
// panelWidth: the printed section's width in pixels; screenPanelWidth and
// screenFontPixels: the window's.
PrintedPointSize printedPointSize(int panelWidth, int screenPanelWidth, int screenFontPixels);

// Draws every set not hidden, points outside the model panel left out. On
// a printed page `printed` sets the sizes.
void drawPointSets(QPainter& p, const ViewLayout& L, const Display& d, const Overlays& o,
                   const std::optional<PrintedPointSize>& printed = std::nullopt);

}  // namespace corvane
