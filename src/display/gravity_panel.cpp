// The gravity panel: the observed and calculated curves, the misfit read-out
// and the symbol of observed points.
#include "display/painter.h"

namespace corvane::painting {

template <class Value>
void Painter::polyline(const StationRange& r, Value value)
{
    QPolygon line;
    for (int i = r.i1; i <= r.i2; ++i) {
        const QPoint s = profile(m_.StationX[i], value(i));
        line << QPoint(clampX(s.x()), s.y());
    }
    if (line.size() == 1)
        p_.drawPoint(line.front());
    else
        p_.drawPolyline(line);
}

std::optional<QString> Painter::curves()
{
    const StationRange r = computeGravityRange(m_, d_);
    distanceAxis();
    p_.setBrush(Qt::NoBrush);
    auto observed = [&] {
        if (!m_.HaveObserved)
            return;
        if (d_.PlotPoints) {
            setPen(p_, toQColor(d_.ObsCurveColour), 1);
            for (int i = r.i1; i <= r.i2; ++i) {
                const QPoint s = profile(m_.StationX[i], m_.ObservedGravity[i]);
                DrawStar(p_, clampX(s.x()), s.y(), 1, 3, 3);
            }
        } else {
            setPen(p_, toQColor(d_.ObsCurveColour), 1, d_.Printing ? Qt::DashLine : Qt::DotLine);
            polyline(r, [&](int i) { return m_.ObservedGravity[i]; });
        }
    };
    if (d_.ShowDifference) {
        setPen(p_, Qt::black, 1);
        polyline(r, [&](int i) { return m_.CalculatedGravity[i] - m_.ObservedGravity[i]; });
    } else if (d_.ShowIndividual) {
        observed();
        setPen(p_, toQColor(d_.CalcCurveColour), 1);
        for (int b = 1; b <= numBodies(); ++b)
            if (!m_.Bodies[b].Hidden)
                polyline(r, [&](int i) { return m_.Bodies[b].Gravity[i]; });
    } else {
        setPen(p_, toQColor(d_.CalcCurveColour), 1);
        polyline(r, [&](int i) { return m_.CalculatedGravity[i]; });
        observed();
    }
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    std::optional<QString> status;
    if (!d_.Printing)
        status = misfitText(m_, ws_.inversion.IterationCount);
    gravityAxis();
    return status;
}

}  // namespace corvane::painting

namespace corvane {

void DrawStar(QPainter& painter, int x, int y, int width, int dx, int dy)
{
    QPen pen = painter.pen();
    pen.setWidth(width);
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.drawLine(x, y - dy, x, y + dy);
    painter.drawLine(x + dx, y - dy, x - dx, y + dy);
    painter.drawLine(x + dx, y, x - dx, y);
    painter.drawLine(x + dx, y + dy, x - dx, y - dy);
}

}  // namespace corvane
