#include "display/print_legend.h"

#include "display/ground_line.h"
#include "display/view.h"
#include "model/airborne.h"
#include "model/text.h"

namespace corvane {

std::vector<std::vector<LegendEntry>> extraLegendRows(const Model& m, const Display& d, int lineWidth)
{
    std::vector<std::vector<LegendEntry>> rows;
    if (magneticPanelShown(m, d))
        rows.push_back({{QStringLiteral("Field magnetics -------")},
                        {QStringLiteral("Calculated magnetics"), QPen(d.CalcCurveColour, 1)}});
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
