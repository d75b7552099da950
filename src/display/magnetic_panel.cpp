// The magnetic panel above the gravity curves: its curves and its nT axis;
// the axis of the curve panels.
#include "display/painter.h"

#include "model/text.h"

namespace corvane::painting {

void Painter::magneticPanel(int top, int bottom)
{
    const MagneticRange mr = magneticRange(m_, d_);
    const StationRange& r = mr.r;
    const MagneticStations& mag = m_.Mag;
    const int ax = axisX(), TH = L_.TickHeight;
    const int inner = top + 2 * TH, height = bottom - 2 - inner;
    auto row = [&](double v) { return inner + roundPixel((mr.hi - v) * height / (mr.hi - mr.lo)); };
    auto column = [&](int i) { return clampX(profile(mag.X[i], 0).x()); };
    // A curve through the stations where `has` holds, broken where it does not.
    auto curve = [&](auto has, auto value) {
        QPolygon line;
        auto flushLine = [&] {
            if (line.size() == 1)
                p_.drawPoint(line.front());
            else if (line.size() > 1)
                p_.drawPolyline(line);
            line.clear();
        };
        for (int i = r.i1; i <= r.i2; ++i) {
            if (has(i))
                line << QPoint(column(i), row(value(i)));
            else
                flushLine();
        }
        flushLine();
    };
    auto always = [](int) { return true; };
    auto observed = [&](int i) { return mag.HasObserved[i]; };

    p_.setBrush(Qt::NoBrush);
    if (mr.lo < 0 && mr.hi > 0) {
        setPen(p_, Qt::black, 1);
        p_.drawLine(ax, row(0), L_.Rx, row(0));
    }
    auto drawObserved = [&] {
        if (d_.PlotPoints) {
            setPen(p_, toQColor(d_.ObsCurveColour), 1);
            for (int i = r.i1; i <= r.i2; ++i)
                if (mag.HasObserved[i])
                    DrawStar(p_, column(i), row(mag.Observed[i]), 1, 3, 3);
        } else {
            setPen(p_, toQColor(d_.ObsCurveColour), 1, d_.Printing ? Qt::DashLine : Qt::DotLine);
            curve(observed, [&](int i) { return mag.Observed[i]; });
        }
    };
    if (r.i2 >= r.i1) {
        if (d_.ShowDifference) {
            setPen(p_, Qt::black, 1);
            curve(observed, [&](int i) { return mag.Calculated[i] - mag.Observed[i]; });
        } else if (d_.ShowIndividual) {
            drawObserved();
            setPen(p_, toQColor(d_.CalcCurveColour), 1);
            for (int b = 1; b <= numBodies(); ++b)
                if (!m_.Bodies[b].Hidden)
                    curve(always, [&](int i) { return m_.Bodies[b].Magnetic[i]; });
        } else {
            setPen(p_, toQColor(d_.CalcCurveColour), 1);
            curve(always, [&](int i) { return mag.Calculated[i]; });
            drawObserved();
        }
    }

    panelAxis(top, bottom, mr.lo, mr.hi, mr.step, QStringLiteral("nT"));
}

// The axis of a curve panel (the magnetic one, the gradient one): round
// ticks over the whole range, the unit below them.
void Painter::panelAxis(int top, int bottom, double lo, double hi, double step, const QString& unit)
{
    const int ax = axisX(), TL = L_.TickLength, TH = L_.TickHeight;
    const int inner = top + 2 * TH, height = bottom - 2 - inner;
    auto row = [&](double v) { return inner + roundPixel((hi - v) * height / (hi - lo)); };
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    p_.drawLine(ax, bottom, ax, top);
    p_.drawLine(ax, top, ax - TL, top + TH);
    p_.drawLine(ax, top, ax + TL, top + TH);
    const QRect area(QPoint(L_.Left + 1, top + 1), QPoint(L_.Rx - 1, bottom - 2));
    const int decimals = decimalsFor(step, 0);
    Labels pending;
    const long long n = std::min<long long>(truncCount((hi - lo) / step + 0.5), MaxTicks);
    // In a low panel every tick cannot carry a label: label every 2nd or 5th,
    // those at round multiples, rather than whichever happen to fit.
    const int textHeight = labelAt(0, 0, QStringLiteral("0")).rect.height() + 2;
    const double spacing = height * step / (hi - lo);
    int stride = 1;
    for (int s : {2, 5, 10})
        if (spacing * stride < textHeight)
            stride = s;
    for (long long k = 0; k <= n; ++k) {
        const double value = lo + static_cast<double>(k) * step;
        const int y = row(value);
        p_.drawLine(ax - TL, y, ax, y);
        const long long multiple = std::llround(value / step);
        if (multiple % stride == 0)
            pin(pending, labelAt(L_.Left + 1, y, cut(fixed(value, 7, decimals), 8)), area);
    }
    slide(pending, labelAt(L_.Left + TL, top + roundPixel(0.75 * (bottom - top)), unit), area,
          {QPoint(0, 1)}, Crowded::Evict);
    flush(pending, false);
}

}  // namespace corvane::painting
