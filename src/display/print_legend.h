#pragma once
// The printed legend below the plot (drawn by Painter::legend, painter.h), and
// what it adds for a model that goes beyond gravity: a row for the magnetic
// curves, a row for the ground and airborne lines, and the magnetisation in
// each body's block. A gravity model adds nothing.
#include "model/display_state.h"
#include "model/model.h"

#include <QPen>
#include <QString>

#include <string>
#include <vector>

namespace corvane {

// One entry of a legend row: its text, and the pen of the line sample drawn
// after it (none for Qt::NoPen).
struct LegendEntry {
    QString text;
    QPen sample = QPen(Qt::NoPen);
};

// The rows below "Field gravity": the magnetic curves when their panel is
// shown, then the ground line and the airborne line where they are drawn.
// Each row has two entries at most, placed as the gravity row places its two;
// lineWidth is the width the section's lines are drawn with.
std::vector<std::vector<LegendEntry>> extraLegendRows(const Model& m, const Display& d, int lineWidth = 2);

// The lines a body's block adds when the model uses magnetics.
std::vector<std::string> magneticBodyLines(const Model& m, const Tbody& body);

// Heights in length units of the legend for the page layout.
inline constexpr double ExtraLegendRow = 0.25;   // each extra row
inline constexpr double BodyLine = 0.2;          // each line of a body's block

}  // namespace corvane
