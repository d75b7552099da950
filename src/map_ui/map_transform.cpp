#include "map_ui/map_transform.h"

#include <algorithm>
#include <cmath>

namespace corvane::mapui {

QPointF MapTransform::toPixel(map::MapPoint p) const
{
    return {size.width() / 2.0 + (p.E - centre.E) * pixelsPerUnit,
            size.height() / 2.0 - (p.N - centre.N) * pixelsPerUnit};
}

QPointF MapTransform::toPixel(const map::CrsTransform& toMap, map::MapPoint p) const
{
    if (!toMap.apply(p))
        return {std::nan(""), std::nan("")};
    return toPixel(p);
}

map::MapPoint MapTransform::toMap(QPointF pixel) const
{
    return {centre.E + (pixel.x() - size.width() / 2.0) / pixelsPerUnit,
            centre.N - (pixel.y() - size.height() / 2.0) / pixelsPerUnit};
}

QRectF MapTransform::visible() const
{
    const map::MapPoint sw = toMap(QPointF(0, size.height()));
    return {sw.E, sw.N, size.width() / pixelsPerUnit, size.height() / pixelsPerUnit};
}

MapTransform MapTransform::fit(const QRectF& box, QSize size, int margin)
{
    MapTransform t;
    t.size = size;
    t.centre = {box.center().x(), box.center().y()};
    const double w = std::max(1, size.width() - 2 * margin), h = std::max(1, size.height() - 2 * margin);
    // A box of no extent (a point) still gets a finite scale.
    const double bw = std::max(box.width(), 1e-9), bh = std::max(box.height(), 1e-9);
    t.pixelsPerUnit = std::min(w / bw, h / bh);
    return t;
}

MapTransform MapTransform::zoomedAt(QPointF pixel, double factor) const
{
    const map::MapPoint under = toMap(pixel);
    MapTransform t = *this;
    t.pixelsPerUnit *= factor;
    const map::MapPoint after = t.toMap(pixel);
    t.centre.E += under.E - after.E;
    t.centre.N += under.N - after.N;
    return t;
}

MapTransform MapTransform::panned(QPointF delta) const
{
    MapTransform t = *this;
    t.centre.E -= delta.x() / pixelsPerUnit;
    t.centre.N += delta.y() / pixelsPerUnit;
    return t;
}

}  // namespace corvane::mapui
