#pragma once
// The point data sets drawn over the bodies: each point as its set's symbol
// in its set's colour, with its label to the right.
#include "display/view.h"
#include "model/overlays.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <optional>
#include <string>
#include <vector>

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

// A label's value: the number its first word reads as (a magnitude
// column), letters before it ("M2.1", "Mw5.3") left aside; NaN when it is
// not one.
double labelValue(const std::string& label);

// Labels in the order drawn, where each would stand and its value.
struct LabelBox {
    QRect box;
    double value = 0;   // NaN: none
};
// Which labels are drawn: of labels that would overprint, the one of the
// larger value, or with no values (or equal ones) the later.
std::vector<bool> keptLabels(const std::vector<LabelBox>& labels);

// Draws every set not hidden, points outside the model panel left out, and
// returns how many labels were left out for others that overprint them. On
// a printed page `printed` sets the sizes.
int drawPointSets(QPainter& p, const ViewLayout& L, const Display& d, const Overlays& o,
                  const std::optional<PrintedPointSize>& printed = std::nullopt);

// The status panel's note of labels left out ("" for none).
QString hiddenLabelsText(int hidden);

}  // namespace corvane
