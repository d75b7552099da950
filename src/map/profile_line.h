#pragma once
// The profile on the map: the line between two end points in a coordinate
// system. The model's x is the distance from the first end point along the
// line in the model's unit; the offset is the distance from the line,
// positive to the left (looking towards increasing x).
#include "map/crs.h"
#include "model/model.h"
#include "model/profile_line.h"

namespace corvane::map {

class ProfileLine {
public:
    // The line of a record, for a model in km (unitsKm) or in metres. An
    // error when the system cannot be read, is not projected (distances along
    // the line are taken on the map) or the ends coincide.
    static MapResult<ProfileLine> make(const ProfileLineRecord& record, bool unitsKm);

    const ProfileLineRecord& record() const { return record_; }
    const Crs& crs() const { return crs_; }
    MapPoint start() const { return {record_.E1, record_.N1}; }
    MapPoint end() const { return {record_.E2, record_.N2}; }

    // Length in model units.
    double length() const { return length_; }
    // Model units per unit of the map (metres / 1000 for km on a metric map).
    double modelUnitsPerMapUnit() const { return scale_; }
    double metresPerModelUnit() const { return crs_.metresPerUnit() / scale_; }

    // The map point at x along the line and offset to its left (model units).
    MapPoint at(double x, double offset = 0) const;
    // x along the line and the offset from it of a map point (model units).
    double xOf(MapPoint p) const;
    double offsetOf(MapPoint p) const;

    // The bearing of increasing x from grid north of the map, and from true
    // north (the grid bearing turned by the grid convergence at the line's
    // midpoint): the profile azimuth of the magnetic calculation. Degrees,
    // 0 to 360.
    double gridBearing() const;
    double azimuth() const { return azimuth_; }
    double convergence() const { return convergence_; }

private:
    ProfileLineRecord record_;
    Crs crs_;
    double scale_ = 1;
    double length_ = 0;
    double ux_ = 1, uy_ = 0;   // unit vector along the line on the map
    double azimuth_ = 0;
    double convergence_ = 0;
};

// Places the model's profile on the map: the line, and the profile azimuth of
// the magnetic calculation that follows from it (the magnetic anomaly
// recalculated). The model is unchanged when the line cannot be made. The
// body of the step that sets the line; the step keeps what it replaces.
MapResult<ProfileLine> placeProfile(Model& m, const ProfileLineRecord& record);

}  // namespace corvane::map
