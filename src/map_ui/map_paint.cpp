#include "map_ui/map_paint.h"

#include "display/paint.h"
#include "map/body_geometry.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace corvane::mapui {

namespace {

const map::CrsTransform NoTransform;

// The line's points go through the grid's system when it is another.
struct OnMap {
    const MapTransform& t;
    const map::CrsTransform& lineToMap;
    QPointF operator()(map::MapPoint q) const { return t.toPixel(lineToMap, q); }
};

bool finite(QPointF q)
{
    return std::isfinite(q.x()) && std::isfinite(q.y());
}

// Empty when a corner cannot be carried onto the map.
QPolygonF ring(const OnMap& at, const std::vector<map::MapPoint>& pts)
{
    QPolygonF poly;
    for (const map::MapPoint& q : pts) {
        const QPointF px = at(q);
        if (!finite(px))
            return {};
        poly << px;
    }
    return poly;
}

void paintColourBar(QPainter& p, const MapTransform& t, double low, double high)
{
    const int w = 14, h = std::min(200, t.size.height() - 40);
    if (h < 40)
        return;
    const int x = t.size.width() - w - 50, y = 20;
    for (int j = 0; j < h; ++j) {
        p.setPen(rampColour(1.0 - static_cast<double>(j) / (h - 1)));
        p.drawLine(x, y + j, x + w - 1, y + j);
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(x, y, w - 1, h - 1);
    p.drawText(x + w + 3, y + 10, QString::number(high, 'g', 4));
    p.drawText(x + w + 3, y + h, QString::number(low, 'g', 4));
}

void paintLine(QPainter& p, const OnMap& t, const map::ProfileLine& line)
{
    const QPointF a = t(line.start()), b = t(line.end());
    if (!finite(a) || !finite(b))
        return;
    p.setPen(QPen(LineColour, 2));
    p.drawLine(a, b);
    // Ticks at a round step in model units, some ten along the line, labelled.
    const TickStep step = distanceTickStep(line.length());
    const QPointF along = b - a;
    const double len = std::hypot(along.x(), along.y());
    if (len < 1 || step.step <= 0)
        return;
    const QPointF normal(along.y() / len * 5, -along.x() / len * 5);
    p.setPen(QPen(LineColour, 1));
    for (double x = 0; x <= line.length() * (1 + 1e-9); x += step.step) {
        const QPointF q = t(line.at(x));
        p.drawLine(q - normal, q + normal);
        p.drawText(q + normal * 2.2 + QPointF(-8, 4), QString::number(x, 'g', 6));
    }
}

void paintStations(QPainter& p, const OnMap& t, const map::ProfileLine& line, const Model& m)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(GravityStationColour);
    for (int s = 1; s <= std::min(m.NumStations, MaxStations); ++s)
        if (const QPointF q = t(line.at(m.StationX[s])); finite(q))
            p.drawEllipse(q, 2.0, 2.0);
    p.setPen(MagneticStationColour);
    for (int s = 1; s <= std::min(m.Mag.Num, MaxStations); ++s) {
        const QPointF q = t(line.at(m.Mag.X[s]));
        if (finite(q))
            p.drawRect(QRectF(q - QPointF(2, 2), QSizeF(4, 4)));
    }
}

}  // namespace

void paintMap(QPainter& p, const MapTransform& t, const MapScene& scene)
{
    p.save();
    p.fillRect(QRect(QPoint(0, 0), t.size), Qt::white);
    if (scene.grid && !scene.grid->image.isNull()) {
        const QRectF area = scene.grid->area;
        const QPointF nw = t.toPixel({area.left(), area.bottom()}), se = t.toPixel({area.right(), area.top()});
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(QRectF(nw, se), scene.grid->image);
    }
    const OnMap onMap{t, scene.lineToMap ? *scene.lineToMap : NoTransform};
    if (scene.ws && scene.line) {
        const Model& m = scene.ws->model;
        const Display& d = scene.ws->display;
        double low = 1e8, high = -1e8;
        for (int b = 1; b <= m.NumBodies; ++b) {
            low = std::min(low, m.Bodies[b].Density);
            high = std::max(high, m.Bodies[b].Density);
        }
        // The current body last, so that its outline lies on top.
        auto footprint = [&](int b) {
            const Tbody& body = m.Bodies[b];
            const QPolygonF poly = ring(onMap, map::bodyFootprint(*scene.line, m, b));
            const bool current = b == m.CurrentBody;
            QColor fill = body.Hidden ? QColor(Qt::white) : bodyColour(d.ColourScheme, body.Density, low, high);
            if (fill.alpha() == 255 && scene.grid)
                fill.setAlpha(90);   // the grid shows through
            p.setBrush(body.Hidden || d.ColourScheme == 1 ? QBrush(Qt::NoBrush) : QBrush(fill));
            p.setPen(current ? QPen(HighlightColour, 3) : QPen(Qt::black, 1, body.Hidden ? Qt::DotLine : Qt::SolidLine));
            p.drawPolygon(poly);
        };
        for (int b = 1; b <= m.NumBodies; ++b)
            if (b != m.CurrentBody)
                footprint(b);
        if (m.CurrentBody >= 1 && m.CurrentBody <= m.NumBodies)
            footprint(m.CurrentBody);
        paintLine(p, onMap, *scene.line);
        paintStations(p, onMap, *scene.line, m);
    }
    // The ends picked so far, and the line between them.
    p.setPen(QPen(HighlightColour, 2));
    for (std::size_t i = 0; i < scene.picked.size(); ++i) {
        const QPointF q = t.toPixel(scene.picked[i]);
        p.drawLine(q - QPointF(6, 6), q + QPointF(6, 6));
        p.drawLine(q - QPointF(6, -6), q + QPointF(6, -6));
        if (i > 0)
            p.drawLine(t.toPixel(scene.picked[i - 1]), q);
    }
    if (scene.grid && !scene.grid->image.isNull())
        paintColourBar(p, t, scene.gridLow, scene.gridHigh);
    p.restore();
}

}  // namespace corvane::mapui
