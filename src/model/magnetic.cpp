#include "magnetic.h"
#include "edge_faces.h"
#include "gravity.h"
#include "gravity_pool.h"
#include "magnetic_fast.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

constexpr double Radian = Pi / 180;
// mu0 / (4 pi) in T m / A, expressed in nT: the field of a magnetisation in
// A/m times a dimensionless geometric factor.
constexpr double FieldFactor = 100;
// K F / mu0 in A/m for F in nT: F 1e-9 / (4 pi 1e-7).
constexpr double InducedFactor = 1 / (400 * Pi);

// The magnetic anomaly (nT) at one station: S its position, H its height.
double stationMagnetic(const Tbody& body, const Vector3& f, const Vector3& M, double S, double H)
{
    double sum = 0;
    edge_faces::forEachFace(body, S, H, [&](const edge_faces::Face& e) {
        const double nM = e.s * M.x - e.c * M.z;
        const double fu = e.c * f.x + e.s * f.z;
        const double fn = e.s * f.x - e.c * f.z;
        sum += -nM * (fu * e.It + fn * e.Iq + f.y * e.Iy) - M.y * fn * e.Iy + f.y * M.y * e.Iq;
    });
    // Corners far beyond any real survey can overflow the arithmetic; such a
    // body adds nothing rather than poisoning the total.
    sum = FieldFactor * sum + interiorField(body, f, M, S, H);
    return std::isfinite(sum) ? sum : 0.0;
}

}  // namespace

int stationWinding(const Tbody& body, double S, double H)
{
    const int n = body.NumCorners;
    if (n < 3 || !(body.StrikeLength1 > 0) || !(body.StrikeLength2 > 0))
        return 0;
    // Crossings of the line z = depth of the station, counted +1 where an
    // edge runs downwards (z growing) with the station on its left in (x, z)
    // and -1 where it runs upwards with the station on its right: +1 for an
    // outline clockwise on the screen, where z points down.
    const double z = -H;
    int winding = 0;
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double xa = body.CornerX[k], za = body.CornerZ[k];
        const double xb = body.CornerX[next], zb = body.CornerZ[next];
        const double side = (xb - xa) * (z - za) - (zb - za) * (S - xa);
        const bool within = std::min(za, zb) <= z && z <= std::max(za, zb) &&
                            std::min(xa, xb) <= S && S <= std::max(xa, xb);
        if (side == 0 && within)
            return 0;   // on the outline
        if (za <= z && zb > z && side > 0)
            ++winding;
        else if (zb <= z && za > z && side < 0)
            --winding;
    }
    return winding;
}

double interiorField(const Tbody& body, const Vector3& f, const Vector3& M, double S, double H)
{
    // Stations at or above the datum over a body below it are never inside.
    const int w = stationWinding(body, S, H);
    return w == 0 ? 0.0 : w * FieldFactor * 4 * Pi * (f.x * M.x + f.z * M.z);
}

Vector3 fieldDirection(double inclination, double declination, double azimuth)
{
    const double i = inclination * Radian;
    // The horizontal part's angle from +x, measured from +x towards -y
    // (clockwise seen from above, as declinations and azimuths are).
    const double d = (declination - azimuth) * Radian;
    return {std::cos(i) * std::cos(d), -std::cos(i) * std::sin(d), std::sin(i)};
}

Vector3 bodyMagnetisation(const Tbody& body, const EarthField& field)
{
    const Vector3 f = fieldDirection(field.Inclination, field.Declination, field.Azimuth);
    const Vector3 r =
        fieldDirection(body.RemanentInclination, body.RemanentDeclination, field.Azimuth);
    const double induced = body.Susceptibility * field.Intensity * InducedFactor;
    return {induced * f.x + body.Remanence * r.x, induced * f.y + body.Remanence * r.y,
            induced * f.z + body.Remanence * r.z};
}

bool isMagnetised(const Tbody& body) { return body.Susceptibility != 0 || body.Remanence != 0; }

void referenceMagnetic(const Tbody& body, const EarthField& field, const double* stationX,
                       const double* stationHeight, int numStations, bool /*unitsKm*/,
                       double* out)
{
    const Vector3 f = fieldDirection(field.Inclination, field.Declination, field.Azimuth);
    const Vector3 M = bodyMagnetisation(body, field);
    for (int i = 0; i < numStations; ++i) {
        const double H = stationHeight ? stationHeight[i] : 0.0;
        out[i] = boundedAnomaly(stationMagnetic(body, f, M, stationX[i], H));
    }
}

namespace {

// Stations per piece of parallel work: a multiple of the kernel's block.
constexpr int ChunkStations = 4 * magfast::BlockSize;

const double* offset(const double* p, int first) { return p ? p + first : nullptr; }

// One body at stations [first, first + count).
void magneticRange(const Tbody& body, const EarthField& field, const double* stationX,
                   const double* stationHeight, int first, int count, bool unitsKm, double* out)
{
    if (!isMagnetised(body)) {
        std::fill(out + first, out + first + count, 0.0);
        return;
    }
    const double* x = stationX + first;
    const double* h = offset(stationHeight, first);
    if (magfast::fastDomain(body, x, h, count))
        magfast::fastMagnetic(body, fieldDirection(field.Inclination, field.Declination,
                                                   field.Azimuth),
                              bodyMagnetisation(body, field), x, h, count, out + first);
    else
        referenceMagnetic(body, field, x, h, count, unitsKm, out + first);
}

}  // namespace

void bodyMagnetic(const Tbody& body, const EarthField& field, const double* stationX,
                  const double* stationHeight, int numStations, bool unitsKm, double* out)
{
    if (numStations <= 0)
        return;
    // A body without magnetisation only clears its values: no threads for that.
    const long work = isMagnetised(body) ? static_cast<long>(numStations) * std::max(body.NumCorners, 1) : 0;
    forStationPieces(numStations, ChunkStations, work, [&](int first, int count) {
        magneticRange(body, field, stationX, stationHeight, first, count, unitsKm, out);
    });
}

void modelMagnetic(const Array1<Tbody, MaxBodies>& bodies, int numBodies, const EarthField& field,
                   const double* stationX, const double* stationHeight, int numStations,
                   bool unitsKm, double* const* bodyOut, double* total)
{
    if (numStations <= 0)
        return;
    numBodies = std::clamp(numBodies, 0, MaxBodies);
    // Each piece of stations takes every body in turn and then sums them in
    // body order, so the total is the same to the last bit as one body at a
    // time.
    auto piece = [&](int first, int count) {
        for (int b = 1; b <= numBodies; ++b)
            magneticRange(bodies[b], field, stationX, stationHeight, first, count, unitsKm,
                          bodyOut[b]);
        for (int i = first; i < first + count; ++i)
            total[i] = 0;
        for (int b = 1; b <= numBodies; ++b) {
            if (bodies[b].Hidden)
                continue;
            const double* v = bodyOut[b];
            for (int i = first; i < first + count; ++i)
                total[i] += v[i];
        }
    };
    long work = 0;
    for (int b = 1; b <= numBodies; ++b)
        if (isMagnetised(bodies[b]))
            work += static_cast<long>(numStations) * std::max(bodies[b].NumCorners, 1);
    forStationPieces(numStations, ChunkStations, work, piece);
}

}  // namespace corvane
