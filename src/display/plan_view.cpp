// The plan view: each body as the rectangle of its strike lengths, the
// deepest first, over the strike axis.
#include "display/painter.h"

#include "model/text.h"

namespace corvane::painting {

void Painter::planView()
{
    const int D = L_.Mid;
    const int C = (D + L_.By) / 2;
    const int nb = numBodies();
    setPen(p_, Qt::black, 1);
    p_.drawLine(L_.Left + L_.SectionLeft, C, L_.Rx, C);

    double S = 0;
    std::vector<int> order;
    std::vector<double> deepest(static_cast<std::size_t>(nb) + 1, 0);
    for (int b = 1; b <= nb; ++b) {
        S = std::max({S, m_.Bodies[b].StrikeLength1, m_.Bodies[b].StrikeLength2});
        deepest[static_cast<std::size_t>(b)] = bodyExtent(m_.Bodies[b]).zHigh;
        // Stable insertion: after every body of equal or smaller depth.
        auto at = std::upper_bound(order.begin(), order.end(), deepest[static_cast<std::size_t>(b)],
                                   [&](double z, int o) { return z < deepest[static_cast<std::size_t>(o)]; });
        order.insert(at, b);
    }
    if (!(S > 0))
        S = 1;   // no strike length at all: keep the scale finite
    const double half = (L_.By - D - 3) / (2 * S);
    for (int r = nb; r >= 1; --r) {
        const int b = order[static_cast<std::size_t>(r - 1)];
        const Tbody& body = m_.Bodies[b];
        if (body.Hidden)
            continue;
        const Extent e = bodyExtent(body);
        const int sx1 = clampX(section(e.xLow, 0).x());
        const int sx2 = clampX(section(e.xHigh, 0).x());
        const int sxMid = section((e.xLow + e.xHigh) * 0.5, 0).x();
        const int yA = C + roundPixel(body.StrikeLength1 * half);
        const int yB = C - roundPixel(body.StrikeLength2 * half);
        const double f = static_cast<double>(r) / nb;
        QColor fill = Qt::black;
        if (f <= 0.25)
            fill = Qt::white;
        else if (f <= 0.5)
            fill = QColor(200, 200, 200);
        else if (f <= 0.75)
            fill = QColor(100, 100, 100);
        p_.setBrush(fill);
        setPen(p_, Qt::black, 1);
        p_.drawRect(QRect(QPoint(std::min(sx1, sx2), std::min(yA, yB)),
                          QPoint(std::max(sx1, sx2), std::max(yA, yB))));
        p_.drawLine(sx1, C, sx2, C);
        if (!d_.Printing && (d_.ShowBodyNumbers || d_.ShowDensities)) {
            p_.setBrush(Qt::white);
            if (d_.ShowBodyNumbers)
                text(sxMid, C - L_.TickHeight, QString::fromStdString(integer(b, 2)), true);
            if (d_.ShowDensities)
                text(sxMid, C - L_.TickHeight, cut(fixed(body.Density, 6, 5), 6), true);
        }
    }
    // The strike axis, with arrow heads at both ends.
    const int ax = axisX(), TL = L_.TickLength, TH = L_.TickHeight;
    setPen(p_, Qt::black, 1);
    p_.drawLine(ax, L_.By, ax, L_.Mid);
    p_.drawLine(ax, L_.Mid, ax - TL, L_.Mid + TH);
    p_.drawLine(ax, L_.Mid, ax + TL, L_.Mid + TH);
    p_.drawLine(ax, L_.By, ax - TL, L_.By - TH);
    p_.drawLine(ax, L_.By, ax + TL, L_.By - TH);
    text(L_.Left + TL, L_.Mid + roundPixel(0.4 * (L_.By - L_.Mid)), QString::fromLatin1(unitText()));
    const QString s = cut(fixed(S, 5, 1), 6);
    text(L_.Left + TL, L_.Mid + TH, s);
    text(L_.Left + TL, L_.By - 3 * TH, s);
}

}  // namespace corvane::painting
