// The section's bodies: their fills in the colour scheme, outlines, corner
// dots and labels.
#include "display/painter.h"

#include "display/backdrop.h"
#include "model/density_law.h"
#include "model/text.h"

#include <QLinearGradient>

namespace corvane::painting {

Extent bodyExtent(const Tbody& body)
{
    Extent e;
    const int n = std::clamp(body.NumCorners, 1, MaxCorners);
    for (int k = 1; k <= std::max(1, n - 1); ++k) {
        e.xLow = std::min(e.xLow, body.CornerX[k]);
        e.xHigh = std::max(e.xHigh, body.CornerX[k]);
        e.zLow = std::min(e.zLow, body.CornerZ[k]);
        e.zHigh = std::max(e.zHigh, body.CornerZ[k]);
    }
    return e;
}

void Painter::bodies()
{
    const Backdrop* backdrop = ws_.overlays.backdrop ? &*ws_.overlays.backdrop : nullptr;
    for (int b = 1; b <= numBodies(); ++b) {
        const Tbody& body = m_.Bodies[b];
        const int n = std::clamp(body.NumCorners, 0, MaxCorners);
        const bool current = b == m_.CurrentBody;
        QPolygon poly;
        std::vector<QPoint> points;
        for (int k = 1; k <= n; ++k) {
            const QPoint s = section(body.CornerX[k], body.CornerZ[k]);
            points.push_back(s);
            poly << QPoint(clampX(s.x()), s.y());
        }
        if (body.Hidden) {
            p_.setBrush(bodyBrush(Qt::white, backdrop));
            setPen(p_, Qt::black, current ? 2 : 1, Qt::DotLine);
        } else {
            p_.setBrush(bodyBrush(bodyColour(d_.ColourScheme, body.Density, densLow_, densHigh_), backdrop));
            gradeWithDepth(body, backdrop);
            setPen(p_, Qt::black, (current || d_.Printing) ? 2 : 1);
        }
        if (!poly.isEmpty())
            p_.drawPolygon(poly, Qt::OddEvenFill);
        if (d_.HighlightCorners) {
            const int w = (current && !d_.Printing) ? 5 : 3;
            for (const QPoint& s : points)
                if (inPanel(L_, s))
                    dot(p_, Qt::black, w, s);
        }
        setPen(p_, Qt::black, 1);
        label(b);
    }
}

// A body whose contrast changes with depth is filled top to bottom with the
// colours of its contrast there, in the schemes that fill by density.
void Painter::gradeWithDepth(const Tbody& body, const Backdrop* backdrop)
{
    const bool byDensity = d_.ColourScheme != 1 && d_.ColourScheme != 2;
    if (!byDensity || !variesWithDepth(body) || (backdrop && backdrop->image))
        return;
    const Extent e = bodyExtent(body);
    const QPoint top = section(e.xLow, e.zLow), bottom = section(e.xLow, e.zHigh);
    if (top.y() == bottom.y())
        return;
    QLinearGradient grade(QPointF(0, top.y()), QPointF(0, bottom.y()));
    constexpr int Stops = 8;
    for (int i = 0; i <= Stops; ++i) {
        const double z = e.zLow + (e.zHigh - e.zLow) * i / Stops;
        grade.setColorAt(static_cast<double>(i) / Stops,
                         bodyColour(d_.ColourScheme, densityAt(body, z), densLow_, densHigh_));
    }
    p_.setBrush(grade);
}

void Painter::label(int b)
{
    const Tbody& body = m_.Bodies[b];
    const int n = std::clamp(body.NumCorners, 0, MaxCorners);
    const int ns = numStations();
    if (n < 2 || ns < 1 || (!d_.ShowDensities && !d_.ShowBodyNumbers))
        return;
    double sx = 0, sz = 0;
    for (int k = 1; k <= n - 1; ++k) {
        sx += body.CornerX[k];
        sz += body.CornerZ[k];
    }
    double lx = 0.95 * (sx / (n - 1));
    const double lz = sz / (n - 1);
    const double first = m_.StationX[1], last = m_.StationX[ns];
    if (lx >= last)
        lx = last;
    if (lx < first)
        lx = first + 0.02 * (last - first);
    const QPoint s = section(lx, lz);
    p_.setBrush(Qt::white);
    if (!inPanel(L_, s))
        return;
    setPen(p_, Qt::black, 1);
    // Kept inside the panel and clear of the other labels: moved to the
    // nearest free place, or left where it stands when there is none.
    const std::string law = densityLawText(body);
    const QString shown = !d_.ShowDensities ? QString::fromStdString(integer(b, 2))
                          : law.empty()     ? cut(fixed(body.Density, 6, 5), 6)
                                            : QString::fromStdString(law);
    Labels pending;
    slide(pending, labelAt(s.x(), s.y(), shown, false), modelPanelArea(), {QPoint(1, 0), QPoint(0, 1)},
          Crowded::Stay);
    flush(pending, true);
}

}  // namespace corvane::painting

namespace corvane {

QColor bodyColour(int scheme, double density, double densLow, double densHigh)
{
    switch (scheme) {
    case 1:
        return Qt::white;
    case 2:
        return QColor(200, 200, 200);
    case 3: {
        if (densHigh <= densLow)
            return QColor(150, 150, 150);
        const int v = std::clamp(roundPixel((density - densLow) * 200 / (densHigh - densLow)), 0, 255);
        return QColor(v, v, v);
    }
    default: {
        if (densHigh <= densLow)
            return QColor(0, 200, 0);
        const double half = (densHigh - densLow) * 0.5;
        const double mean = (densHigh + densLow) * 0.5;
        const int red = density >= mean ? roundPixel((density - mean) * 255 / half) : 0;
        const int blue = density <= mean ? roundPixel((mean - density) * 255 / half) : 0;
        const int green = (0.75 * mean <= density && density <= 1.4 * mean) ? 150 : 0;
        return QColor(std::clamp(red, 0, 255), green, std::clamp(blue, 0, 255));
    }
    }
}

}  // namespace corvane
