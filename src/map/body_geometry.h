#pragma once
// The bodies on the map: each cross-section as a vertical polygon standing on
// the profile line, and each footprint as the rectangle its strike lengths
// give (StrikeLength1 to the left of the line looking towards increasing x,
// StrikeLength2 to the right) over the body's extent along the line.
#include "map/profile_line.h"
#include "model/model.h"

#include <vector>

namespace corvane::map {

struct MapPoint3 {
    double E = 0, N = 0;
    double Z = 0;   // elevation in metres: minus the depth
};

// The corners of body b on the map, closed (the first corner repeated last).
std::vector<MapPoint3> bodySection(const ProfileLine& line, const Model& m, int b);

// The footprint of body b, a closed ring of five points, anticlockwise on the
// map when the line runs left to right.
std::vector<MapPoint> bodyFootprint(const ProfileLine& line, const Model& m, int b);

}  // namespace corvane::map
