#include "display/print_legend.h"

#include "display/ground_line.h"
#include "display/painter.h"
#include "display/view.h"
#include "model/airborne.h"
#include "model/text.h"

namespace corvane {

std::vector<std::vector<LegendEntry>> extraLegendRows(const Model& m, const Display& d, int lineWidth)
{
    std::vector<std::vector<LegendEntry>> rows;
    if (magneticPanelShown(m, d))
        rows.push_back({{QStringLiteral("Field magnetics -------")},
                        {QStringLiteral("Calculated magnetics"), QPen(toQColor(d.CalcCurveColour), 1)}});
    std::vector<LegendEntry> lines;
    if (!d.PlanView) {
        if (!groundPoints(m).empty())
            lines.push_back({QStringLiteral("Ground line"), groundPen(lineWidth)});
        if (!airborneRuns(m).empty())
            lines.push_back({QStringLiteral("Airborne line"), airbornePen(lineWidth)});
    }
    if (!lines.empty())
        rows.push_back(lines);
    return rows;
}

std::vector<std::string> magneticBodyLines(const Model& m, const Tbody& body)
{
    if (!m.hasMagnetics())
        return {};
    return {"Susceptibility " + fixed(body.Susceptibility, 9, 5),
            "Remanence " + fixed(body.Remanence, 7, 3) + " A/m",
            "Rem. inc/dec " + fixed(body.RemanentInclination, 5, 1) + "/"
                + fixed(body.RemanentDeclination, 5, 1)};
}

}  // namespace corvane

namespace corvane::painting {

void Painter::legend()
{
    const double u = print_.u, v = print_.v;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    if (print_.titles) {
        const int c = (L_.Left + L_.Rx) / 2;
        text(c, 10, print_.title1);
        text(c + 1, 10, print_.title1);
        text(0, 10, print_.title2);
        text(1, 10, print_.title2);
    }
    int R = L_.By + roundPixel(0.5 * v);
    if (print_.thirdLine) {
        text(0, R, print_.thirdText);
        R += roundPixel(0.25 * v);
    }
    text(L_.Left, R, QStringLiteral("Field gravity ---------"));
    text(L_.Left + roundPixel(2 * u), R, QStringLiteral("Calculated gravity"));
    setPen(p_, toQColor(d_.CalcCurveColour), 1);
    p_.drawLine(L_.Left + roundPixel(3.5 * u), R + 5, L_.Left + roundPixel(4.5 * u), R + 5);
    setPen(p_, Qt::black, 1);
    // Rows for what the plot shows beyond gravity, each entry placed as the
    // two above and its line sample just after its text.
    for (const std::vector<LegendEntry>& row : extraLegendRows(m_, d_, sectionLineWidth(L_))) {
        R += roundPixel(ExtraLegendRow * v);
        for (std::size_t k = 0; k < row.size(); ++k) {
            const int x = L_.Left + roundPixel(2 * u * static_cast<double>(k));
            const QRect at = text(x, R, row[k].text);
            if (row[k].sample.style() == Qt::NoPen)
                continue;
            p_.setPen(row[k].sample);
            const int from = at.right() + roundPixel(0.1 * u), mid = R + at.height() / 2;
            p_.drawLine(from, mid, from + roundPixel(0.6 * u), mid);
            setPen(p_, Qt::black, 1);
        }
    }
    if (!print_.legend)
        return;
    const int bodyRow = R + roundPixel(0.7 * v);
    R += roundPixel(0.2 * v);
    text(L_.Left, R, m_.UnitsKm ? QStringLiteral("Units are Km.") : QStringLiteral("Units are m."));
    const int step = roundPixel(0.2 * v);
    for (int b = 1; b <= std::min(numBodies(), 3); ++b) {
        const Tbody& body = m_.Bodies[b];
        const Extent e = bodyExtent(body);
        const int x = L_.Left + roundPixel(2 * u * (b - 1));
        int y = bodyRow;
        const QString title = QStringLiteral("Body ") + QString::number(b);
        text(x, y, title);
        text(x + 1, y, title);
        const std::string lines[] = {
            "Body centre " + fixed((e.xLow + e.xHigh) * 0.5, 10, 2),
            "Max width " + fixed(e.xHigh - e.xLow, 10, 2),
            "Depth extent " + fixed(e.zHigh - e.zLow, 10, 2),
            "Depth to body " + fixed(e.zLow, 10, 2),
            "Strike length 1 " + fixed(body.StrikeLength1, 7, 2),
            "Strike length 2 " + fixed(body.StrikeLength2, 7, 2),
            "Density contrast " + fixed(body.Density, 7, 4),
        };
        for (const std::string& line : lines) {
            y += step;
            text(x, y, cut(line, 25));
        }
        for (const std::string& line : magneticBodyLines(m_, body)) {
            y += step;
            text(x, y, cut(line, 25));
        }
    }
}

}  // namespace corvane::painting
