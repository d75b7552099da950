// The unknowns of an inversion: one entry per kind that reads, names, bounds
// and moves it, and the unknowns each body contributes.
#include "inversion/unknowns.h"

#include "inversion/run_report.h"
#include "model/bounds.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

double getDensity(const Tbody& b, int, double) { return b.Density; }
double getSusceptibility(const Tbody& b, int, double) { return b.Susceptibility; }
double getRemanence(const Tbody& b, int, double) { return b.Remanence; }
double getXPosition(const Tbody& b, int, double) { return b.CornerX[1]; }
double getDepth(const Tbody& b, int, double) { return b.CornerZ[1]; }
double getRotation(const Tbody&, int, double r) { return r; }
double getCornerX(const Tbody& b, int corner, double) { return b.CornerX[corner]; }
double getCornerZ(const Tbody& b, int corner, double) { return b.CornerZ[corner]; }
double getLawRate(const Tbody& b, int, double) { return b.LawRate; }
double getLevel(const Tbody&, int, double) { return 0; }   // held by the unknown alone

void setDensity(Tbody& b, double v) { b.Density = v; }
void setSusceptibility(Tbody& b, double v) { b.Susceptibility = v; }
void setRemanence(Tbody& b, double v) { b.Remanence = v; }
void setLawRate(Tbody& b, double v) { b.LawRate = v; }

std::optional<Bounds> boundDensity(const Tbody&, const BodyBounds& r) { return r.density; }
std::optional<Bounds> boundSusceptibility(const Tbody&, const BodyBounds& r) { return r.susceptibility; }
std::optional<Bounds> boundRemanence(const Tbody&, const BodyBounds& r) { return r.remanence; }
std::optional<Bounds> boundPosition(const Tbody&, const BodyBounds& r) { return r.position; }
std::optional<Bounds> boundDepth(const Tbody&, const BodyBounds& r) { return r.depth; }
std::optional<Bounds> boundAngle(const Tbody& b, const BodyBounds&) { return Bounds{b.AngleMin, b.AngleMax}; }
std::optional<Bounds> boundLawRate(const Tbody& b, const BodyBounds&) { return lawRateBounds(b); }
std::optional<Bounds> unbounded(const Tbody&, const BodyBounds&) { return std::nullopt; }

// In the order of UnknownKind.
constexpr UnknownAccess Kinds[] = {
    {"Density", "density", DensityDecimals, false, UnknownMove::Field, false, getDensity, setDensity,
     boundDensity},
    {"Horizontal position (corner 1)", "horizontal position (corner 1)", DistanceDecimals, true,
     UnknownMove::Shift, true, getXPosition, nullptr, boundPosition},
    {"Depth (corner 1)", "depth (corner 1)", DistanceDecimals, true, UnknownMove::Shift, false, getDepth,
     nullptr, boundDepth},
    {"Body rotation", "rotation", AngleDecimals, false, UnknownMove::Turn, false, getRotation, nullptr,
     boundAngle},
    {"horizontal position", "horizontal position", DistanceDecimals, true, UnknownMove::Corner, true,
     getCornerX, nullptr, unbounded},
    {"depth", "depth", DistanceDecimals, true, UnknownMove::Corner, false, getCornerZ, nullptr, unbounded},
    {"Susceptibility", "susceptibility", DensityDecimals, false, UnknownMove::Field, false,
     getSusceptibility, setSusceptibility, boundSusceptibility},
    {"Remanent magnetisation", "remanent magnetisation", DistanceDecimals, false, UnknownMove::Field,
     false, getRemanence, setRemanence, boundRemanence},
    {"Density gradient or decay", "density gradient or decay", DensityDecimals, false, UnknownMove::Field,
     false, getLawRate, setLawRate, boundLawRate},
    {"Gravity shift", "Gravity shift", 3, false, UnknownMove::Level, false, getLevel, nullptr, unbounded},
    {"Magnetic shift", "Magnetic shift", 3, false, UnknownMove::Level, false, getLevel, nullptr, unbounded},
    {"Gradient shift", "Gradient shift", 3, false, UnknownMove::Level, false, getLevel, nullptr, unbounded},
};
static_assert(std::size(Kinds) == static_cast<std::size_t>(UnknownKind::GradientShift) + 1);

// The default pair widened to hold v; a pair typed stands as it is.
Bounds typedOr(bool typed, double min, double max, double lo, double hi, double v)
{
    if (typed || !std::isfinite(v))
        return {min, max};
    return {std::min(lo, v), std::max(hi, v)};
}

// A law body's contrast is fitted with its rate: both or neither.
bool hasLawRate(const Tbody& body)
{
    return body.InvertDensity && body.Law != DensityLaw::Constant;
}

}  // namespace

const UnknownAccess& unknownAccess(UnknownKind kind)
{
    return Kinds[static_cast<std::size_t>(kind)];
}

std::string unknownName(const Unknown& u, bool withBody)
{
    const UnknownAccess& a = unknownAccess(u.kind);
    if (u.kind == UnknownKind::GradientShift)
        return std::string(gradientComponentName(u.corner)) + " shift";
    if (a.move == UnknownMove::Level)
        return a.name;
    const bool corner = a.move == UnknownMove::Corner;
    const std::string number = corner ? std::to_string(u.corner) + " " : "";
    if (!withBody)
        return (corner ? "Corner " + number : "") + a.name;
    return "Body " + std::to_string(u.body) + " " + (corner ? "corner " + number : "") + a.inBody;
}

std::vector<Unknown> inversionUnknowns(const Tbody& body)
{
    std::vector<Unknown> u;
    if (body.InvertDensity)
        u.push_back({UnknownKind::Density, 0, body.Density});
    if (hasLawRate(body))
        u.push_back({UnknownKind::DensityRate, 0, body.LawRate});
    if (body.InvertXPos)
        u.push_back({UnknownKind::XPosition, 0, body.CornerX[1]});
    if (body.InvertDepth)
        u.push_back({UnknownKind::Depth, 0, body.CornerZ[1]});
    if (body.InvertAngle)
        u.push_back({UnknownKind::Rotation, 0, 0.0});
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        if (body.CornerInvertX[k])
            u.push_back({UnknownKind::CornerX, k, body.CornerX[k]});
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        if (body.CornerInvertZ[k])
            u.push_back({UnknownKind::CornerZ, k, body.CornerZ[k]});
    return u;
}

Bounds susceptibilityBounds(const Tbody& body)
{
    return typedOr(susceptibilityBoundsTyped(body), body.SusceptibilityMin, body.SusceptibilityMax, 0, 1, body.Susceptibility);
}

Bounds remanenceBounds(const Tbody& body)
{
    return typedOr(remanenceBoundsTyped(body), body.RemanenceMin, body.RemanenceMax, 0, 100, body.Remanence);
}

std::vector<Unknown> inversionUnknowns(const Tbody& body, const InversionOptions& options)
{
    std::vector<Unknown> u = inversionUnknowns(body);
    auto at = u.begin() + (body.InvertDensity ? 1 : 0) + (hasLawRate(body) ? 1 : 0);
    if (options.invertRemanence)
        at = u.insert(at, {UnknownKind::Remanence, 0, body.Remanence});
    if (options.invertSusceptibility)
        u.insert(at, {UnknownKind::Susceptibility, 0, body.Susceptibility});
    return u;
}

int countUnknowns(const Tbody& body)
{
    int count = body.InvertDensity + hasLawRate(body) + body.InvertXPos + body.InvertDepth + body.InvertAngle;
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        count += body.CornerInvertX[k] + body.CornerInvertZ[k];
    return count;
}

}  // namespace corvane
