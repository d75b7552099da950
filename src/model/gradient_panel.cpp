#include "gradient_panel.h"

#include "gradient.h"
#include "gravity_axis.h"
#include "tick_steps.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace corvane {

TensorFlags gradientComponentsShown(const Model& m, int chosen)
{
    TensorFlags shown{};
    if ((chosen & AllComponentBits) != 0) {
        for (int k = 0; k < TensorComponents; ++k)
            shown[static_cast<std::size_t>(k)] = (chosen >> k & 1) != 0;
        return shown;
    }
    shown = observedGradientComponents(m);
    shown[5] = true;   // T_zz, which every survey measures
    return shown;
}

int componentBits(const TensorFlags& shown)
{
    int bits = 0;
    for (int k = 0; k < TensorComponents; ++k)
        if (shown[static_cast<std::size_t>(k)])
            bits |= 1 << k;
    return bits;
}

int withComponentToggled(const Model& m, int chosen, int k)
{
    const int now = componentBits(gradientComponentsShown(m, chosen));
    const int next = now ^ (1 << std::clamp(k, 0, TensorComponents - 1));
    return next != 0 ? next : now;
}

std::string componentList(int bits)
{
    std::string out;
    for (int k = 0; k < TensorComponents; ++k)
        if ((bits >> k & 1) != 0)
            out += (out.empty() ? "" : ",") + std::string(ComponentNames[static_cast<std::size_t>(k)]);
    return out;
}

std::optional<int> parseComponentList(const std::string& text)
{
    int bits = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string name = text.substr(at, comma - at);
        const auto found = std::find(ComponentNames.begin(), ComponentNames.end(), name);
        if (found == ComponentNames.end())
            return std::nullopt;
        const int bit = 1 << (found - ComponentNames.begin());
        if ((bits & bit) != 0)
            return std::nullopt;
        bits |= bit;
        at = comma + 1;
    }
    return bits;
}

Rgb gradientColour(int k)
{
    // Apart from each other and from the gravity curves' black and green.
    static constexpr std::array<Rgb, TensorComponents> colours = {
        Rgb{160, 0, 160}, Rgb{230, 120, 0}, Rgb{210, 0, 0}, Rgb{0, 150, 150}, Rgb{130, 90, 40}, Rgb{0, 0, 220}};
    return colours[static_cast<std::size_t>(std::clamp(k, 0, TensorComponents - 1))];
}

bool gradientPanelShown(const Model& m, const Display& d)
{
    return d.ShowGradient && m.Grad.Num > 0;
}

GradientAxis gradientAxis(const Model& m, double xMin, double xMax, const TensorFlags& shown)
{
    GradientAxis out;
    const GradientStations& g = m.Grad;
    const int n = std::clamp(g.Num, 0, MaxStations);
    if (n < 1)
        return out;
    std::tie(out.first, out.last) = stationsInView(g.X, n, xMin, xMax);
    double lo = 1e300, hi = -1e300;
    auto take = [&](double v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    };
    for (int i = out.first; i <= out.last; ++i) {
        GravityTensor seen;
        TensorFlags has;
        observedInProfileFrame(m, i, seen, has);
        for (int k = 0; k < TensorComponents; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (!shown[at])
                continue;
            take(g.Calculated[i][k]);
            if (has[at])
                take(seen[k]);
        }
    }
    const RoundAxis a = roundAxis(lo, hi);
    out.lo = a.lo;
    out.hi = a.hi;
    out.step = a.step;
    return out;
}

int labelDecimals(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
}

CurvePanels curvePanels(bool magnetic, bool gradient)
{
    CurvePanels p;
    p.count = 1 + (magnetic ? 1 : 0) + (gradient ? 1 : 0);
    int place = 0;
    if (magnetic)
        p.magnetic = place++;
    if (gradient)
        p.gradient = place++;
    p.gravity = place;
    return p;
}

}  // namespace corvane
