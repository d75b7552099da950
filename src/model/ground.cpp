#include "ground.h"

#include <algorithm>
#include <numeric>

namespace corvane {

namespace {
int stationCount(const Model& m) { return std::clamp(m.NumStations, 0, MaxStations); }
}  // namespace

bool hasStationHeights(const Model& m)
{
    for (int i = 1; i <= stationCount(m); ++i)
        if (m.StationHeight[i] != 0)
            return true;
    return false;
}

double highestStation(const Model& m)
{
    double top = 0;
    for (int i = 1; i <= stationCount(m); ++i)
        top = std::max(top, m.StationHeight[i]);
    return top;
}

double sectionTop(const Model& m, double depthMax)
{
    // Magnetic stations flown above the ground must be in view too.
    double top = highestStation(m);
    for (int i = 1; i <= std::clamp(m.Mag.Num, 0, MaxStations); ++i)
        top = std::max(top, m.Mag.Height[i]);
    if (!hasStationHeights(m) && top == 0)
        return 0;
    const double margin = 0.05 * std::max(depthMax + top, 0.0);
    return -(top + (margin > 0 ? margin : std::max(1e-3 * top, 1e-3)));
}

Ground::Ground(const Model& m)
{
    if (!hasStationHeights(m))
        return;
    const int n = stationCount(m);
    // Stations are kept in order of position; a model built otherwise still
    // gets its ground from left to right.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    auto before = [&m](int a, int b) { return m.StationX[a] < m.StationX[b]; };
    if (!std::is_sorted(order.begin(), order.end(), before))
        std::stable_sort(order.begin(), order.end(), before);
    x_.reserve(order.size());
    h_.reserve(order.size());
    for (int i : order) {
        x_.push_back(m.StationX[i]);
        h_.push_back(m.StationHeight[i]);
    }
}

double Ground::depthAt(double x) const
{
    if (x_.empty())
        return 0;
    const auto above = std::upper_bound(x_.begin(), x_.end(), x);
    if (above == x_.begin())
        return -h_.front();
    if (above == x_.end())
        return -h_.back();
    const std::size_t j = static_cast<std::size_t>(above - x_.begin());
    const double x0 = x_[j - 1], x1 = x_[j];
    const double f = (x - x0) / (x1 - x0);   // x1 > x >= x0
    return -(h_[j - 1] + f * (h_[j] - h_[j - 1]));
}

double Ground::rule(double x, double z) const
{
    if (x_.empty())
        return z <= 0 ? MinDepth : z;
    const double g = depthAt(x);
    return z <= g ? g + MinDepth : z;
}

}  // namespace corvane
