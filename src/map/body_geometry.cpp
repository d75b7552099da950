#include "map/body_geometry.h"

#include <algorithm>

namespace corvane::map {

namespace {

// The distinct corners: the closing copy repeats corner 1.
int distinctCorners(const Tbody& body) { return std::clamp(body.NumCorners - 1, 0, MaxCorners - 1); }

}  // namespace

std::vector<MapPoint3> bodySection(const ProfileLine& line, const Model& m, int b)
{
    const Tbody& body = m.Bodies[b];
    const double metres = line.metresPerModelUnit();
    std::vector<MapPoint3> ring;
    for (int k = 1; k <= distinctCorners(body); ++k) {
        const MapPoint p = line.at(body.CornerX[k]);
        ring.push_back({p.E, p.N, -body.CornerZ[k] * metres});
    }
    if (!ring.empty())
        ring.push_back(ring.front());
    return ring;
}

std::vector<MapPoint> bodyFootprint(const ProfileLine& line, const Model& m, int b)
{
    const Tbody& body = m.Bodies[b];
    const int n = distinctCorners(body);
    if (n == 0)
        return {};
    double lo = body.CornerX[1], hi = lo;
    for (int k = 2; k <= n; ++k) {
        lo = std::min(lo, body.CornerX[k]);
        hi = std::max(hi, body.CornerX[k]);
    }
    const double left = body.StrikeLength1, right = -body.StrikeLength2;
    return {line.at(lo, right), line.at(hi, right), line.at(hi, left), line.at(lo, left), line.at(lo, right)};
}

}  // namespace corvane::map
