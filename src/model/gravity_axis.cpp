#include "gravity_axis.h"

#include <algorithm>
#include <tuple>

namespace corvane {

namespace {

void stationsBetween(const Model& m, double xMin, double xMax, GravityAxis& a)
{
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    if (n < 1)
        return;   // empty
    std::tie(a.first, a.last) = stationsInView(m.StationX, n, xMin, xMax);
}

}  // namespace

std::pair<int, int> stationsInView(const Array1<double, MaxStations>& x, int n, double xMin, double xMax)
{
    int first = n;
    for (int i = 1; i <= n; ++i)
        if (x[i] >= xMin) {
            first = i;
            break;
        }
    int last = n;
    for (int i = first + 1; i <= n; ++i)
        if (x[i] >= xMax) {
            last = i;
            break;
        }
    return {first, last};
}

GravityAxis gravityAxis(const Model& m, double xMin, double xMax, GravityCurves curves)
{
    GravityAxis a;
    stationsBetween(m, xMin, xMax, a);
    double lo = 1e8, hi = -1e8;
    auto take = [&](double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    };
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    for (int i = a.first; i <= a.last; ++i) {
        if (curves == GravityCurves::Difference) {
            take(m.CalculatedGravity[i] - m.ObservedGravity[i]);
        } else if (curves == GravityCurves::Individual) {
            for (int b = 1; b <= nb; ++b)
                take(m.Bodies[b].Gravity[i]);
            if (m.HaveObserved)
                take(m.ObservedGravity[i]);
        } else {
            if (m.HaveObserved)
                take(m.ObservedGravity[i]);
            take(m.CalculatedGravity[i]);
        }
    }
    if (lo > hi) {   // nothing in view
        lo = 0;
        hi = 1;
    }
    if (lo > 0 && lo < 10)
        lo = 0;
    // Every value in view equal: give the axis one mGal above it.
    if (!(hi - lo > 0))
        hi = lo + 1;
    a.min = lo;
    a.max = hi;
    return a;
}

GravityAxis plotGravityAxis(const Model& m)
{
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    if (n < 1)
        return GravityAxis{};
    double xMin = m.StationX[1], xMax = m.StationX[1];
    for (int i = 2; i <= n; ++i) {
        xMin = std::min(xMin, m.StationX[i]);
        xMax = std::max(xMax, m.StationX[i]);
    }
    return gravityAxis(m, xMin, xMax, GravityCurves::Both);
}

}  // namespace corvane
