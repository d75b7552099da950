#include "gradient_data.h"

#include "gradient.h"

#include <algorithm>
#include <cmath>

namespace corvane {

bool setGradientStations(Model& m, std::vector<GradientStationValue> stations, TensorFrame frame)
{
    const bool dropped = stations.size() > static_cast<std::size_t>(MaxStations);
    if (dropped)
        stations.resize(static_cast<std::size_t>(MaxStations));
    std::stable_sort(stations.begin(), stations.end(),
                     [](const GradientStationValue& a, const GradientStationValue& b) { return a.x < b.x; });
    GradientStations& g = m.Grad;
    g.Num = static_cast<int>(stations.size());
    g.Frame = frame;
    for (int i = 1; i <= g.Num; ++i) {
        const GradientStationValue& s = stations[static_cast<std::size_t>(i - 1)];
        g.X[i] = s.x;
        g.Height[i] = s.height;
        g.HasObserved[i] = s.has;
        for (int k = 0; k < TensorComponents; ++k)   // no stray figure behind a missing value
            g.Observed[i][k] = s.has[static_cast<std::size_t>(k)] ? s.observed[k] : 0;
        g.Calculated[i] = {};
    }
    // Shares the terms with the magnetic anomaly when the stations are the same.
    m.RecalculateMagneticAndGradients();
    return dropped;
}

std::array<std::optional<double>, TensorComponents> gradientMisfit(const Model& m)
{
    std::array<double, TensorComponents> sum{};
    std::array<int, TensorComponents> count{};
    for (int i = 1; i <= m.Grad.Num; ++i) {
        GravityTensor seen;
        TensorFlags has;
        observedInProfileFrame(m, i, seen, has);
        for (int k = 0; k < TensorComponents; ++k)
            if (has[static_cast<std::size_t>(k)]) {
                const double e = seen[k] - m.Grad.Calculated[i][k];
                sum[static_cast<std::size_t>(k)] += e * e;
                ++count[static_cast<std::size_t>(k)];
            }
    }
    std::array<std::optional<double>, TensorComponents> rms;
    for (std::size_t k = 0; k < rms.size(); ++k)
        if (count[k] > 0)
            rms[k] = std::sqrt(sum[k] / count[k]);
    return rms;
}

}  // namespace corvane
