#pragma once
// Map coordinates to the pixels of the map view and back: a centre, a scale
// and the widget's size. North is up, east to the right, squares stay square.
#include "map/crs.h"

#include <QPointF>
#include <QRectF>
#include <QSize>

namespace corvane::mapui {

struct MapTransform {
    map::MapPoint centre;        // the map point at the middle of the view
    double pixelsPerUnit = 1;    // map units to pixels
    QSize size{1, 1};

    QPointF toPixel(map::MapPoint p) const;
    // A point of another system (the profile line's, when the grid shown is
    // in its own) carried onto this map first; NaN when PROJ cannot.
    QPointF toPixel(const map::CrsTransform& toMap, map::MapPoint p) const;
    map::MapPoint toMap(QPointF pixel) const;
    // The map rectangle the view shows (west, south, width, height).
    QRectF visible() const;

    // The view that shows box whole with a margin of pixels around it.
    static MapTransform fit(const QRectF& box, QSize size, int margin = 20);
    // Zoomed by factor about the map point under pixel (which stays put).
    MapTransform zoomedAt(QPointF pixel, double factor) const;
    // Moved with the mouse by delta pixels.
    MapTransform panned(QPointF delta) const;
};

}  // namespace corvane::mapui
