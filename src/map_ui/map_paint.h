#pragma once
// The map view's picture: the grid (with its colour bar), the bodies'
// footprints in their section colours with the current body highlighted,
// the profile line with distance ticks, and the stations. One function onto
// any painter, so the window and a picture in memory draw the same.
#include "map/profile_line.h"
#include "map_ui/grid_image.h"
#include "map_ui/map_transform.h"
#include "model/workspace.h"

#include <QColor>
#include <QPainter>

#include <vector>

namespace corvane::mapui {

// The outline of the current body's footprint.
inline const QColor HighlightColour{255, 0, 255};
inline const QColor LineColour{0, 0, 0};
inline const QColor GravityStationColour{0, 0, 0};
inline const QColor MagneticStationColour{200, 0, 0};

struct MapScene {
    const Workspace* ws = nullptr;
    const map::ProfileLine* line = nullptr;
    const GridPicture* grid = nullptr;      // none: no grid chosen
    double gridLow = 0, gridHigh = 0;       // the colour bar's range
    // From the line's system to the grid's, when they differ.
    const map::CrsTransform* lineToMap = nullptr;
    // The end points clicked so far while the line is picked (map's system).
    std::vector<map::MapPoint> picked;
};

void paintMap(QPainter& p, const MapTransform& t, const MapScene& scene);

}  // namespace corvane::mapui
