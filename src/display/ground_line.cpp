#include "display/ground_line.h"

#include "model/ground.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace corvane {

QPolygon groundLinePoints(const ViewLayout& L, const Display& d, const Model& m)
{
    QPolygon line;
    const Ground ground(m);
    if (ground.flat())
        return line;
    const double lo = std::min(d.ViewXMin, d.ViewXMax), hi = std::max(d.ViewXMin, d.ViewXMax);
    std::vector<double> xs{lo};
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    for (int i = 1; i <= n; ++i)
        if (m.StationX[i] > lo && m.StationX[i] < hi)
            xs.push_back(m.StationX[i]);
    xs.push_back(hi);
    std::sort(xs.begin(), xs.end());
    for (double x : xs)
        line << SectionToScreen(L, d, x, ground.depthAt(x));
    return line;
}

void drawGroundLine(QPainter& p, const ViewLayout& L, const Display& d, const Model& m)
{
    const QPolygon line = groundLinePoints(L, d, m);
    if (line.isEmpty())
        return;
    p.save();
    p.setClipRect(QRect(QPoint(L.Left + L.SectionLeft, L.Mid), QPoint(L.Rx, L.By)));
    p.setPen(QPen(GroundColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    p.restore();
}

}  // namespace corvane
