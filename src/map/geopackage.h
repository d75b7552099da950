#pragma once
// The model for a GIS: a GeoPackage in the profile line's coordinate system
// with the layers
//   profile_line  the line (length_m, azimuth in degrees from true north)
//   stations      gravity and magnetic stations as points (x_m, easting,
//                 northing, height_m, gravity_observed, gravity_calculated
//                 in mGal, magnetic_observed, magnetic_calculated in nT;
//                 a station of both fields at one place is one point;
//                 a station off the line stands at its offset from it,
//                 and offset_m, positive to the left, is written when
//                 some station has one)
//   bodies        each cross-section as a vertical polygon in 3-D (elevation
//                 in metres, minus the depth)
//   footprints    each body's rectangle on the map
//   boreholes     each borehole as a 3-D line, when the model has any
//   points        the data points shown with the section as 3-D points
//                 (set: the file they came from; label), when there are any
// bodies and footprints carry body, density, susceptibility,
// strike_length1_m and strike_length2_m. Lengths are in metres.
#include "map/map_result.h"
#include "map/profile_line.h"
#include "model/model.h"
#include "model/overlays.h"

#include <string>
#include <vector>

namespace corvane::map {

// Writes the file whole or not at all: into a file beside it, renamed over
// path at the end.
MapResult<bool> writeGeoPackage(const std::string& path, const Model& m, const ProfileLine& line,
                                const std::vector<PointSet>& points = {});

}  // namespace corvane::map
