#pragma once
// A coordinate system through PROJ: read from its text ("EPSG:32633", WKT on
// one line, or "-" for none), its unit, and transformations between two
// systems in easting-northing (longitude-latitude) order whatever the
// systems' own axis order.
#include "map/map_result.h"

#include <memory>
#include <string>

struct PJconsts;

namespace corvane::map {

struct MapPoint {
    double E = 0, N = 0;
};

class Crs {
public:
    Crs() = default;   // none: coordinates in metres in no named system

    // The system a text names; an error says why PROJ cannot read it.
    static MapResult<Crs> fromText(const std::string& text);

    bool none() const { return !pj_; }
    bool geographic() const { return geographic_; }
    // Metres per unit of the easting axis (1 for none).
    double metresPerUnit() const { return metresPerUnit_; }
    const std::string& text() const { return text_; }
    PJconsts* pj() const { return pj_.get(); }

private:
    friend MapResult<double> gridConvergence(const Crs& crs, struct MapPoint at);
    std::shared_ptr<PJconsts> pj_;
    std::string text_ = "-";
    bool geographic_ = false;
    double metresPerUnit_ = 1;
};

// Points of one system in another. Identity when either has none or both
// are the same.
class CrsTransform {
public:
    CrsTransform() = default;
    static MapResult<CrsTransform> between(const Crs& from, const Crs& to);

    bool identity() const { return !pj_; }
    // False when PROJ cannot carry the point over (out of the systems' area).
    bool apply(MapPoint& p) const;

private:
    std::shared_ptr<PJconsts> pj_;
};

// The grid convergence at a point of a projected system, in degrees, from
// PROJ's transformation to and from its longitude and latitude: the true
// bearing of grid north (positive where grid north lies east of true
// north, as east of a transverse Mercator's central meridian in the north).
MapResult<double> gridConvergence(const Crs& crs, MapPoint at);

}  // namespace corvane::map
