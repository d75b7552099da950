#include "map/crs.h"

#include <proj.h>

#include <cmath>
#include <numbers>

namespace corvane::map {

namespace {

std::shared_ptr<PJconsts> own(PJ* p)
{
    return std::shared_ptr<PJconsts>(p, [](PJ* q) {
        if (q)
            proj_destroy(q);
    });
}

std::string quoted(const std::string& s)
{
    return "\"" + (s.size() > 60 ? s.substr(0, 60) + "..." : s) + "\"";
}

std::string trimmed(const std::string& s)
{
    const auto a = s.find_first_not_of(" \t");
    const auto b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The horizontal system in what PROJ made of a text: a bound system's source,
// a compound system's first part.
PJ* horizontal(PJ* p)
{
    for (int depth = 0; p && depth < 3; ++depth) {
        PJ* inner = nullptr;
        switch (proj_get_type(p)) {
        case PJ_TYPE_BOUND_CRS:
            inner = proj_get_source_crs(PJ_DEFAULT_CTX, p);
            break;
        case PJ_TYPE_COMPOUND_CRS:
            inner = proj_crs_get_sub_crs(PJ_DEFAULT_CTX, p, 0);
            break;
        default:
            return p;
        }
        proj_destroy(p);
        p = inner;
    }
    return p;
}

}  // namespace

MapResult<Crs> Crs::fromText(const std::string& text)
{
    const std::string t = trimmed(text);
    if (t.empty() || t == "-")
        return {};
    // A text PROJ cannot read is reported here in our words, not on stderr.
    const PJ_LOG_LEVEL level = proj_log_level(PJ_DEFAULT_CTX, PJ_LOG_TELL);
    proj_log_level(PJ_DEFAULT_CTX, PJ_LOG_NONE);
    PJ* p = horizontal(proj_create(PJ_DEFAULT_CTX, t.c_str()));
    proj_log_level(PJ_DEFAULT_CTX, level);
    if (!p)
        return MapResult<Crs>::failure("The coordinate system " + quoted(t) + " is not known.");
    Crs crs;
    crs.pj_ = own(p);
    crs.text_ = t;
    const PJ_TYPE type = proj_get_type(p);
    crs.geographic_ = type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
    if (!crs.geographic_ && type != PJ_TYPE_PROJECTED_CRS)
        return MapResult<Crs>::failure("The coordinate system " + quoted(t) + " is not one of map coordinates.");
    const auto cs = own(proj_crs_get_coordinate_system(PJ_DEFAULT_CTX, p));
    double factor = 1;
    if (!cs || !proj_cs_get_axis_info(PJ_DEFAULT_CTX, cs.get(), 0, nullptr, nullptr, nullptr, &factor, nullptr,
                                      nullptr, nullptr))
        return MapResult<Crs>::failure("The coordinate system " + quoted(t) + " names no unit.");
    crs.metresPerUnit_ = crs.geographic_ ? 1 : factor;
    return {crs, {}};
}

MapResult<CrsTransform> CrsTransform::between(const Crs& from, const Crs& to)
{
    if (from.none() || to.none() || proj_is_equivalent_to(from.pj(), to.pj(), PJ_COMP_EQUIVALENT))
        return {};
    PJ* op = proj_create_crs_to_crs_from_pj(PJ_DEFAULT_CTX, from.pj(), to.pj(), nullptr, nullptr);
    PJ* norm = op ? proj_normalize_for_visualization(PJ_DEFAULT_CTX, op) : nullptr;
    if (op)
        proj_destroy(op);
    if (!norm)
        return MapResult<CrsTransform>::failure("Coordinates cannot be carried from " + quoted(from.text()) +
                                                " to " + quoted(to.text()) + ".");
    CrsTransform t;
    t.pj_ = own(norm);
    return {t, {}};
}

bool CrsTransform::apply(MapPoint& p) const
{
    if (!pj_)
        return true;
    const PJ_COORD out = proj_trans(pj_.get(), PJ_FWD, proj_coord(p.E, p.N, 0, 0));
    if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y) || out.xy.x == HUGE_VAL)
        return false;
    p = {out.xy.x, out.xy.y};
    return true;
}

MapResult<double> gridConvergence(const Crs& crs, MapPoint at)
{
    if (crs.none() || crs.geographic())
        return {0.0, {}};   // grid north is true north
    const auto geodetic = own(proj_crs_get_geodetic_crs(PJ_DEFAULT_CTX, crs.pj()));
    if (!geodetic)
        return MapResult<double>::failure("The coordinate system " + quoted(crs.text()) + " has no datum.");
    Crs geo;
    geo.pj_ = geodetic;
    geo.text_ = crs.text();
    geo.geographic_ = true;
    const auto toGeo = CrsTransform::between(crs, geo);
    if (!toGeo)
        return MapResult<double>::failure(toGeo.error);
    const auto fromGeo = CrsTransform::between(geo, crs);
    if (!fromGeo)
        return MapResult<double>::failure(fromGeo.error);
    // True north on the map: the image of a short step along the meridian
    // (about a metre each way). proj_factors would give the same from the
    // projection's derivatives, but PROJ 9.1 gives it wrong for systems in
    // feet and not at all for those whose northing comes first.
    constexpr double Step = 1e-5;   // degrees of latitude
    MapPoint lonLat = at;
    MapPoint south, north;
    bool ok = toGeo.value.apply(lonLat);
    if (ok) {
        south = {lonLat.E, lonLat.N - Step};
        north = {lonLat.E, lonLat.N + Step};
        ok = std::fabs(lonLat.N) + Step < 90 && fromGeo.value.apply(south) && fromGeo.value.apply(north);
    }
    if (!ok)
        return MapResult<double>::failure("The grid convergence of " + quoted(crs.text()) +
                                          " cannot be found at the profile line.");
    // Grid north's true bearing is minus true north's grid bearing.
    return {-std::atan2(north.E - south.E, north.N - south.N) * 180.0 / std::numbers::pi, {}};
}

}  // namespace corvane::map
