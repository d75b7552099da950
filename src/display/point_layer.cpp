#include "display/point_layer.h"

#include "display/backdrop.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

QString pointSymbolName(PointSymbol s)
{
    switch (s) {
    case PointSymbol::Circle: return QStringLiteral("Circle");
    case PointSymbol::Square: return QStringLiteral("Square");
    case PointSymbol::Triangle: return QStringLiteral("Triangle");
    case PointSymbol::Diamond: return QStringLiteral("Diamond");
    case PointSymbol::Cross: return QStringLiteral("Cross");
    }
    return {};
}

int pointSymbolRadius(const ViewLayout& L)
{
    return std::max(3, L.TickLength);
}

void drawPointSymbol(QPainter& p, PointSymbol s, const QColor& colour, QPoint c, int r)
{
    p.setPen(QPen(colour, std::max(1, r / 3)));
    p.setBrush(colour);
    const int x = c.x(), y = c.y();
    switch (s) {
    case PointSymbol::Circle:
        p.drawEllipse(c, r, r);
        break;
    case PointSymbol::Square:
        p.drawRect(x - r, y - r, 2 * r, 2 * r);
        break;
    case PointSymbol::Triangle:
        p.drawPolygon(QPolygon({QPoint(x, y - r), QPoint(x + r, y + r), QPoint(x - r, y + r)}));
        break;
    case PointSymbol::Diamond:
        p.drawPolygon(QPolygon({QPoint(x, y - r), QPoint(x + r, y), QPoint(x, y + r), QPoint(x - r, y)}));
        break;
    case PointSymbol::Cross:
        p.drawLine(x - r, y - r, x + r, y + r);
        p.drawLine(x - r, y + r, x + r, y - r);
        break;
    }
}

PrintedPointSize printedPointSize(int panelWidth, int screenPanelWidth, int screenFontPixels)
{
    PrintedPointSize s;
    const double grow = static_cast<double>(std::max(1, panelWidth)) / std::max(1, screenPanelWidth);
    s.radius = std::max(1, static_cast<int>(std::lround(pointSymbolRadius(ViewLayout{}) * grow)));
    s.fontPixels = std::max(1, static_cast<int>(std::lround(std::max(1, screenFontPixels) * grow)));
    return s;
}

void drawPointSets(QPainter& p, const ViewLayout& L, const Display& d, const Overlays& o,
                   const std::optional<PrintedPointSize>& printed)
{
    const QRect panel = modelPanelPixels(L);
    const int r = printed ? printed->radius : pointSymbolRadius(L);
    p.save();
    p.setClipRect(panel);
    if (printed) {
        QFont font = p.font();
        font.setPixelSize(printed->fontPixels);
        p.setFont(font);
    }
    // Points crowd (a swarm of hypocentres): a label that would overprint
    // one already drawn is left out rather than made unreadable.
    std::vector<QRect> labels;
    for (const PointSet& set : o.pointSets) {
        if (set.hidden)
            continue;
        const QColor colour = QColor::fromRgb(static_cast<QRgb>(set.colour));
        for (const DataPoint& pt : set.points) {
            // Left unclamped: a point above the view must not land on the divider.
            const QPointF at = sectionPointF(L, d, pt.x, pt.z);
            if (!(std::fabs(at.x()) < 1e7 && std::fabs(at.y()) < 1e7))
                continue;
            const QPoint c(roundPixel(at.x()), roundPixel(at.y()));
            if (!panel.contains(c))
                continue;
            drawPointSymbol(p, set.symbol, colour, c, r);
            if (!pt.label.empty()) {
                const QString text = QString::fromStdString(pt.label);
                const QPoint base(c.x() + r + 2, c.y() + p.fontMetrics().ascent() / 2);
                const QRect box = p.fontMetrics().boundingRect(text).translated(base);
                if (std::any_of(labels.begin(), labels.end(), [&](const QRect& b) { return b.intersects(box); }))
                    continue;
                labels.push_back(box);
                p.setPen(colour);
                p.drawText(base, text);
            }
        }
    }
    p.restore();
}

}  // namespace corvane
