#include "display/ground_line.h"

#include "display/backdrop.h"
#include "model/airborne.h"
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
    p.setPen(groundPen(sectionLineWidth(L)));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    p.restore();
}

int sectionLineWidth(const ViewLayout& L)
{
    return std::max(2, L.TickLength / 3);
}

QPen groundPen(int width)
{
    return QPen(GroundColour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen airbornePen(int width)
{
    return QPen(AirborneColour, width, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
}

std::vector<QPolygonF> airborneLinePoints(const ViewLayout& L, const Display& d, const Model& m)
{
    // Left unclamped, so that a flight above the view leaves the panel
    // rather than running along the divider; far points are held where the
    // painter still draws them exactly enough.
    std::vector<QPolygonF> out;
    constexpr double Far = 1e6;
    for (const std::vector<SectionPoint>& run : airborneRuns(m)) {
        QPolygonF line;
        for (const SectionPoint& s : run) {
            const QPointF at = sectionPointF(L, d, s.x, s.z);
            line << QPointF(std::clamp(at.x(), -Far, Far), std::clamp(at.y(), -Far, Far));
        }
        out.push_back(line);
    }
    return out;
}

void drawAirborneLine(QPainter& p, const ViewLayout& L, const Display& d, const Model& m)
{
    const std::vector<QPolygonF> lines = airborneLinePoints(L, d, m);
    if (lines.empty())
        return;
    p.save();
    p.setClipRect(QRect(QPoint(L.Left + L.SectionLeft, L.Mid), QPoint(L.Rx, L.By)));
    p.setPen(airbornePen(sectionLineWidth(L)));
    p.setBrush(Qt::NoBrush);
    for (const QPolygonF& line : lines)
        p.drawPolyline(line);
    p.restore();
}

}  // namespace corvane
