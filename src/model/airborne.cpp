#include "airborne.h"

#include "ground.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvane {

std::vector<std::vector<SectionPoint>> airborneRuns(const Model& m)
{
    std::vector<std::vector<SectionPoint>> runs;
    const MagneticStations& mag = m.Mag;
    const int n = std::clamp(mag.Num, 0, MaxStations);
    const Ground ground(m);
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return mag.X[a] < mag.X[b]; });
    std::vector<SectionPoint> run;
    auto close = [&] {
        if (run.size() >= 2)
            runs.push_back(run);
        run.clear();
    };
    for (int i : order) {
        const double x = mag.X[i], z = -mag.Height[i];
        // A station within rounding of the ground stands on it.
        const double g = ground.depthAt(x);
        const bool above = std::isfinite(x) && std::isfinite(z) && z < g - 1e-9 * std::max(1.0, std::fabs(g));
        if (above)
            run.push_back({x, z});
        else
            close();
    }
    close();
    return runs;
}

std::vector<SectionPoint> groundPoints(const Model& m)
{
    std::vector<SectionPoint> out;
    const Ground ground(m);
    if (ground.flat())
        return out;
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    std::vector<double> xs;
    for (int i = 1; i <= n; ++i)
        xs.push_back(m.StationX[i]);
    std::sort(xs.begin(), xs.end());
    for (double x : xs)
        out.push_back({x, ground.depthAt(x)});
    return out;
}

}  // namespace corvane
