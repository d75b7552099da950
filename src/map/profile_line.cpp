#include "map/profile_line.h"

#include <cmath>
#include <numbers>

namespace corvane::map {

namespace {

double degrees0To360(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

}  // namespace

MapResult<ProfileLine> ProfileLine::make(const ProfileLineRecord& record, bool unitsKm)
{
    auto crs = Crs::fromText(record.Crs);
    if (!crs)
        return MapResult<ProfileLine>::failure(crs.error);
    if (crs.value.geographic())
        return MapResult<ProfileLine>::failure(
            "The profile line needs a projected coordinate system: distances along it are taken on the map.");
    const double dE = record.E2 - record.E1, dN = record.N2 - record.N1;
    const double mapLength = std::hypot(dE, dN);
    if (!(mapLength > 0) || !std::isfinite(mapLength))
        return MapResult<ProfileLine>::failure("The profile line's end points must differ.");
    ProfileLine line;
    line.record_ = record;
    line.crs_ = crs.value;
    line.scale_ = crs.value.metresPerUnit() / (unitsKm ? 1000.0 : 1.0);
    line.length_ = mapLength * line.scale_;
    line.ux_ = dE / mapLength;
    line.uy_ = dN / mapLength;
    const auto conv = gridConvergence(line.crs_, line.at(line.length_ / 2));
    if (!conv)
        return MapResult<ProfileLine>::failure(conv.error);
    line.convergence_ = conv.value;
    line.azimuth_ = degrees0To360(line.gridBearing() + conv.value);
    return {line, {}};
}

MapPoint ProfileLine::at(double x, double offset) const
{
    const double a = x / scale_, o = offset / scale_;
    return {record_.E1 + a * ux_ - o * uy_, record_.N1 + a * uy_ + o * ux_};
}

double ProfileLine::xOf(MapPoint p) const
{
    return ((p.E - record_.E1) * ux_ + (p.N - record_.N1) * uy_) * scale_;
}

double ProfileLine::offsetOf(MapPoint p) const
{
    return (-(p.E - record_.E1) * uy_ + (p.N - record_.N1) * ux_) * scale_;
}

double ProfileLine::gridBearing() const
{
    return degrees0To360(std::atan2(ux_, uy_) * 180.0 / std::numbers::pi);
}

MapResult<ProfileLine> placeProfile(Model& m, const ProfileLineRecord& record)
{
    auto line = ProfileLine::make(record, m.UnitsKm);
    if (!line)
        return line;
    m.ProfileLine = record;
    m.Mag.FieldAzimuth = line.value.azimuth();
    if (m.hasMagnetics())
        m.RecalculateMagnetic();
    return line;
}

}  // namespace corvane::map
