#pragma once
// The ground line of the section: where stations stand off the datum, the
// line through their heights, straight between stations and flat beyond the
// ends. Nothing is drawn when every station is on the datum.
#include "display/view.h"
#include "model/model.h"

#include <QColor>
#include <QPolygon>

class QPainter;

namespace corvane {

inline constexpr QColor GroundColour = QColor(150, 90, 30);

// The line's points on screen across the profile shown, empty when the
// ground is flat.
QPolygon groundLinePoints(const ViewLayout& L, const Display& d, const Model& m);

// Draws it over the bodies, held to the model panel.
void drawGroundLine(QPainter& p, const ViewLayout& L, const Display& d, const Model& m);

}  // namespace corvane
