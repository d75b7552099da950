// The gradient panel above the gravity curves: for each component shown,
// the calculated values as a line and the observed ones as symbols, in the
// component's colour, over an axis in Eötvös, with a legend of the colours.
#include "display/painter.h"

#include "model/gradient.h"
#include "model/gradient_panel.h"

namespace corvane::painting {

void Painter::gradientPanel(int top, int bottom)
{
    const GradientStations& g = m_.Grad;
    const TensorFlags shown = gradientComponentsShown(m_, d_.GradientComponents);
    const GradientAxis a = gradientAxis(m_, d_.ViewXMin, d_.ViewXMax, shown);
    const int inner = top + 2 * L_.TickHeight, height = bottom - 2 - inner;
    auto row = [&](double v) { return inner + roundPixel((a.hi - v) * height / (a.hi - a.lo)); };
    auto column = [&](int i) { return clampX(profile(g.X[i], 0).x()); };
    // The observed values in the frame of the calculated ones, turned once.
    std::vector<GravityTensor> seen(static_cast<std::size_t>(std::max(0, a.last - a.first + 1)));
    std::vector<TensorFlags> has(seen.size());
    for (std::size_t j = 0; j < seen.size(); ++j)
        observedInProfileFrame(m_, a.first + static_cast<int>(j), seen[j], has[j]);

    p_.setBrush(Qt::NoBrush);
    if (a.lo < 0 && a.hi > 0) {
        setPen(p_, Qt::black, 1);
        p_.drawLine(axisX(), row(0), L_.Rx, row(0));
    }
    const int half = std::max(2, L_.TickLength / 2);   // of an observed value's square
    for (int k = 0; k < TensorComponents; ++k) {
        if (!shown[static_cast<std::size_t>(k)])
            continue;
        setPen(p_, toQColor(gradientColour(k)), 1);
        QPolygon line;
        for (int i = a.first; i <= a.last; ++i)
            line << QPoint(column(i), row(g.Calculated[i][k]));
        if (line.size() == 1)
            p_.drawPoint(line.front());
        else if (line.size() > 1)
            p_.drawPolyline(line);
        for (std::size_t j = 0; j < seen.size(); ++j)
            if (has[j][static_cast<std::size_t>(k)])
                p_.drawRect(column(a.first + static_cast<int>(j)) - half, row(seen[j][k]) - half, 2 * half,
                            2 * half);
    }

    panelAxis(top, bottom, a.lo, a.hi, a.step, QStringLiteral("E"));

    // The legend along the panel's top right: a stroke of each colour before
    // the component's name, the first one shown leftmost.
    const QRect area(QPoint(axisX() + 1, top + 1), QPoint(L_.Rx - 1, bottom - 2));
    const int stroke = std::max(8, 3 * L_.TickLength), gap = std::max(4, L_.TickLength);
    Labels pending;
    int x = L_.Rx - gap;
    for (int k = TensorComponents - 1; k >= 0; --k) {
        if (!shown[static_cast<std::size_t>(k)])
            continue;
        Label l = labelAt(0, top + 2, QStringLiteral("T") + QLatin1String(ComponentNames[static_cast<std::size_t>(k)]));
        x -= l.rect.width();
        l.rect.moveLeft(x);
        const int mid = l.rect.center().y();
        x -= gap / 2 + stroke;
        if (x < area.left() || !isFree(l.rect, pending) || !area.contains(l.rect))
            break;
        setPen(p_, toQColor(gradientColour(k)), 2);
        p_.drawLine(x, mid, x + stroke, mid);
        pending.push_back(l);
        x -= 2 * gap;
    }
    setPen(p_, Qt::black, 1);
    flush(pending, false);
}

}  // namespace corvane::painting
