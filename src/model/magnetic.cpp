#include "magnetic.h"
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

double floorRadius(double r) { return r < RadiusFloor ? RadiusFloor : r; }

// ln((t2 + Rb) / (t1 + Ra)), Ra and Rb the distances of the edge's ends
// at strike offset y, qq + yy = Ra^2 - t1^2 = Rb^2 - t2^2. Where t is
// negative, t + R is taken as (R^2 - t^2) / (R - t), which does not cancel;
// with both ends negative the common factor goes, so a station on the
// backward extension of an edge at strike offset 0 gets the limit.
double edgeLog(double t1, double t2, double Ra, double Rb, double qq, double yy)
{
    if (t1 < 0 && t2 < 0)
        return safeLogRatio(Ra - t1, Rb - t2);
    const double a1 = t1 >= 0 ? t1 + Ra : (qq + yy) / (Ra - t1);
    const double a2 = t2 >= 0 ? t2 + Rb : (qq + yy) / (Rb - t2);
    return safeLogRatio(a2, a1);
}

// The magnetic anomaly (nT) at one station: S its position, H its height.
double stationMagnetic(const Tbody& body, const Vector3& f, const Vector3& M, double S, double H)
{
    const double y[2] = {body.StrikeLength1, body.StrikeLength2};
    const int n = body.NumCorners;
    if (n < 1)
        return 0;
    double sum = 0;
    double x1 = body.CornerX[1] - S;
    double z1 = body.CornerZ[1] + H;
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double x2 = body.CornerX[next] - S;
        const double z2 = body.CornerZ[next] + H;
        const double dx = x2 - x1, dz = z2 - z1;
        const double L = std::sqrt(dx * dx + dz * dz);
        if (L > 0) {
            // Edge direction u = (c, s) and outward normal n = (s, -c) in
            // (x, z), for corners clockwise on the screen.
            const double c = dx / L, s = dz / L;
            const double t1 = c * x1 + s * z1;
            const double t2 = c * x2 + s * z2;
            const double q = s * x1 - c * z1;
            const double ra = floorRadius(std::sqrt(x1 * x1 + z1 * z1));
            const double rb = floorRadius(std::sqrt(x2 * x2 + z2 * z2));
            double It = 0, Iq = 0, e[2];
            for (int j = 0; j < 2; ++j) {
                const double Ra = std::sqrt(ra * ra + y[j] * y[j]);
                const double Rb = std::sqrt(rb * rb + y[j] * y[j]);
                // Face integral of t / rho^3: -(lambda(b) - lambda(a)),
                // lambda = ln((y1 + R1)(y2 + R2) / r^2), one side at a time.
                It -= safeLogRatio(y[j] + Rb, rb) - safeLogRatio(y[j] + Ra, ra);
                // Face integral of q / rho^3: the solid-angle term.
                if (q != 0)
                    Iq += std::atan(t2 * y[j] / (q * Rb)) - std::atan(t1 * y[j] / (q * Ra));
                e[j] = edgeLog(t1, t2, Ra, Rb, q * q, y[j] * y[j]);
            }
            // Face integral of y / rho^3 (0 for equal strike lengths).
            const double Iy = -(e[0] - e[1]);
            const double nM = s * M.x - c * M.z;
            const double fu = c * f.x + s * f.z;
            const double fn = s * f.x - c * f.z;
            sum += -nM * (fu * It + fn * Iq + f.y * Iy) - M.y * fn * Iy + f.y * M.y * Iq;
        }
        x1 = x2;
        z1 = z2;
    }
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
