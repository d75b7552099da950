#pragma once
// The ground line of the section: where stations stand off the datum, the
// line through their heights, straight between stations and flat beyond the
// ends. Nothing is drawn when every station is on the datum.
#include "display/view.h"
#include "model/model.h"

#include <QColor>
#include <QPen>
#include <QPolygon>
#include <QPolygonF>

#include <vector>

class QPainter;

namespace corvane {

inline constexpr QColor GroundColour = QColor(150, 90, 30);
// The airborne line: where magnetic stations stand above the ground.
inline constexpr QColor AirborneColour = QColor(40, 110, 200);

// The pens of the two lines, for the section and for the printed legend.
QPen groundPen(int width);
QPen airbornePen(int width);

// Their width: 2 pixels on screen, as thick for its size on a printed page
// (the tick length grows with the page).
int sectionLineWidth(const ViewLayout& L);

// The line's points on screen across the profile shown, empty when the
// ground is flat.
QPolygon groundLinePoints(const ViewLayout& L, const Display& d, const Model& m);

// Draws it over the bodies, held to the model panel.
void drawGroundLine(QPainter& p, const ViewLayout& L, const Display& d, const Model& m);

// The airborne line's pieces on screen, one per run of stations above the
// ground; empty when there is none.
std::vector<QPolygonF> airborneLinePoints(const ViewLayout& L, const Display& d, const Model& m);

// Draws them after the ground line, held to the model panel.
void drawAirborneLine(QPainter& p, const ViewLayout& L, const Display& d, const Model& m);

}  // namespace corvane
