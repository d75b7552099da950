#include "regional/magnetic_regional.h"

#include "model/text.h"

#include <cmath>
#include <vector>

namespace corvane {

std::optional<double> meanObservedMagnetic(const Model& m)
{
    double sum = 0;
    int n = 0;
    for (int i = 1; i <= m.Mag.Num; ++i)
        if (m.Mag.HasObserved[i]) {
            sum += m.Mag.Observed[i];
            ++n;
        }
    if (n == 0)
        return std::nullopt;
    return sum / n;
}

Result<LineFit> fitMagneticLine(const Model& m)
{
    std::vector<double> x, y;
    for (int i = 1; i <= m.Mag.Num; ++i)
        if (m.Mag.HasObserved[i]) {
            x.push_back(m.Mag.X[i]);
            y.push_back(m.Mag.Observed[i]);
        }
    if (const std::optional<LineFit> fit = fitLineLAD(x, y))
        return *fit;
    return fail("A line needs observed values at two positions at least.");
}

void removeMagneticRegional(Model& m, ExtrasState& extras, const MagneticRegionalRecord& r)
{
    for (int i = 1; i <= m.Mag.Num; ++i)
        if (m.Mag.HasObserved[i])
            m.Mag.Observed[i] -= magneticRegionalAt(r, m.Mag.X[i]);
    MagneticRegionalRecord total = extras.MagneticRegionalRemoved.value_or(MagneticRegionalRecord{});
    total.A += r.A;
    total.B += r.B;
    extras.MagneticRegionalRemoved = total;
}

std::string magneticRegionalText(const MagneticRegionalRecord& r)
{
    // The slope with enough decimals to show a few significant figures.
    int decimals = 2;
    for (double b = std::fabs(r.B); b > 0 && b < 1 && decimals < 8; b *= 10)
        ++decimals;
    return " T = " + fixed(r.A, 0, 2) + (r.B < 0 ? " - " : " + ") + fixed(std::fabs(r.B), 0, decimals) + " X";
}

}  // namespace corvane
