#include "display/point_layer.h"

#include "display/backdrop.h"
#include "model/text.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cctype>
#include <limits>
#include <numeric>
#include <optional>
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

double labelValue(const std::string& label)
{
    const std::size_t start = label.find_first_not_of(" \t");
    if (start == std::string::npos)
        return NAN;
    const std::size_t end = std::min(label.find_first_of(" \t", start), label.size());
    std::string_view word = std::string_view(label).substr(start, end - start);
    // A magnitude may carry its scale's letters before it: "M2.1", "Mw5.3".
    while (!word.empty() && std::isalpha(static_cast<unsigned char>(word.front())))
        word.remove_prefix(1);
    const std::optional<double> v = parseNumber(word);
    return v && std::isfinite(*v) ? *v : NAN;
}

std::vector<bool> keptLabels(const std::vector<LabelBox>& labels)
{
    std::vector<std::size_t> order(labels.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // The larger value first (a label without one after every label with
    // one), and of equal values the later.
    auto rank = [&labels](std::size_t i) {
        return std::isnan(labels[i].value) ? -std::numeric_limits<double>::infinity() : labels[i].value;
    };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rank(a) != rank(b) ? rank(a) > rank(b) : a > b;
    });
    std::vector<bool> kept(labels.size(), false);
    std::vector<QRect> placed;
    for (std::size_t i : order) {
        const QRect& box = labels[i].box;
        if (std::any_of(placed.begin(), placed.end(), [&box](const QRect& p) { return p.intersects(box); }))
            continue;
        placed.push_back(box);
        kept[i] = true;
    }
    return kept;
}

namespace {

// A set as a line through its points; a point of no depth (NaN) breaks it.
void drawJoined(QPainter& p, const ViewLayout& L, const Display& d, const PointSet& set, const QPen& pen)
{
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPolygonF run;
    auto flush = [&] {
        if (run.size() > 1)
            p.drawPolyline(run);
        run.clear();
    };
    for (const DataPoint& pt : set.points) {
        const QPointF at = sectionPointF(L, d, pt.x, pt.z);
        // Far off the panel is treated as a gap: the painter's numbers stay small.
        if (!(std::fabs(at.x()) < 1e7 && std::fabs(at.y()) < 1e7)) {
            flush();
            continue;
        }
        run << at;
    }
    flush();
}

}  // namespace

int drawPointSets(QPainter& p, const ViewLayout& L, const Display& d, const Overlays& o,
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
    // Points crowd (a swarm of hypocentres): of labels that would overprint,
    // the one of the larger value is drawn and the others left out, rather
    // than all made unreadable.
    struct Text {
        QPoint base;
        QString text;
        QColor colour;
    };
    std::vector<LabelBox> boxes;
    std::vector<Text> texts;
    for (const PointSet& set : o.pointSets) {
        if (set.hidden)
            continue;
        const QColor colour = QColor::fromRgb(static_cast<QRgb>(set.colour));
        if (set.joined) {
            drawJoined(p, L, d, set, QPen(colour, std::max(2, r / 2)));
            continue;
        }
        for (const DataPoint& pt : set.points) {
            // Left unclamped: a point above the view must not land on the divider.
            const QPointF at = sectionPointF(L, d, pt.x, pt.z);
            if (!(std::fabs(at.x()) < 1e7 && std::fabs(at.y()) < 1e7))
                continue;
            const QPoint c(roundPixel(at.x()), roundPixel(at.y()));
            if (!panel.contains(c))
                continue;
            drawPointSymbol(p, set.symbol, colour, c, r);
            if (pt.label.empty())
                continue;
            const QString text = QString::fromStdString(pt.label);
            const QPoint base(c.x() + r + 2, c.y() + p.fontMetrics().ascent() / 2);
            boxes.push_back({p.fontMetrics().boundingRect(text).translated(base), labelValue(pt.label)});
            texts.push_back({base, text, colour});
        }
    }
    const std::vector<bool> kept = keptLabels(boxes);
    int hidden = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!kept[i]) {
            ++hidden;
            continue;
        }
        p.setPen(texts[i].colour);
        p.drawText(texts[i].base, texts[i].text);
    }
    p.restore();
    return hidden;
}

QString hiddenLabelsText(int hidden)
{
    if (hidden <= 0)
        return {};
    return hidden == 1 ? QStringLiteral("1 point label hidden at this zoom")
                       : QStringLiteral("%1 point labels hidden at this zoom").arg(hidden);
}

}  // namespace corvane
