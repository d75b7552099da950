#pragma once
// A grid on the map as a colour image: only the part in view is read, at no
// more pixels than the view has (GDAL takes them from the grid's overviews
// when it has them), so a grid of any size stays quick to pan and zoom.
#include "map/map_result.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>
#include <string>

namespace corvane::mapui {

// The colour of a value t from 0 (lowest) to 1 (highest): blue, cyan,
// green, yellow, red.
QColor rampColour(double t);

// The picture of a window of the grid: pixels, and the map rectangle they cover.
struct GridPicture {
    QImage image;
    QRectF area;   // west, south, width, height
};

class GridImage {
public:
    GridImage();
    ~GridImage();
    GridImage(GridImage&&) noexcept;
    GridImage& operator=(GridImage&&) noexcept;

    // Opens a grid GDAL reads; an error naming why not.
    static map::MapResult<GridImage> open(const std::string& path);

    bool isOpen() const { return static_cast<bool>(d_); }
    const std::string& path() const;
    // The whole grid on the map, and the range of its values the ramp spans.
    QRectF extent() const;
    double low() const;
    double high() const;

    // The part of the grid inside area, at most size pixels, coloured; shaded
    // from the north-west when hillshade is set. Empty when nothing is in view.
    GridPicture render(const QRectF& area, QSize size, bool hillshade) const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

}  // namespace corvane::mapui
