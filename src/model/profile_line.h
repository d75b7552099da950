#pragma once
// Where the profile lies on the map: its two end points in map coordinates and
// the coordinate system they are in. The model's x is the distance from the
// first end point along the line. Plain data; src/map gives it meaning.
#include <string>

namespace corvane {

struct ProfileLineRecord {
    double E1 = 0, N1 = 0;   // first end point: x = 0
    double E2 = 0, N2 = 0;
    // "EPSG:32633", a system PROJ reads written on one line (a grid's own
    // WKT), or "-" for none: coordinates in metres in no named system.
    std::string Crs = "-";
    bool operator==(const ProfileLineRecord&) const = default;
};

}  // namespace corvane
