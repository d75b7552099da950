#include "gradient.h"
#include "edge_faces.h"
#include "gradient_fast.h"
#include "gravity_pool.h"
#include "magnetic_fast.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// The tensor of the body at unit G rho (dimensionless) at one station.
GravityTensor stationGradient(const Tbody& body, double S, double H)
{
    GravityTensor T;
    edge_faces::forEachFace(body, S, H, [&](const edge_faces::Face& e) {
        const double c = e.c, s = e.s;
        // The face adds -n_j (u_i It + n_i Iq + y_i Iy) to T_ij.
        T.xx += -s * (c * e.It + s * e.Iq);
        T.xy += -s * e.Iy;
        T.xz += c * (c * e.It + s * e.Iq);
        T.yz += c * e.Iy;
        T.zz += c * (s * e.It - c * e.Iq);
        // Outside the body T_yy = -(T_xx + T_zz): this edge's share.
        T.yy += e.Iq;
    });
    // Inside, the trace is -4 pi instead of 0; the end faces would give T_yy.
    if (const int w = stationWinding(body, S, H); w != 0)
        T.yy -= w * 4 * Pi;
    return T;
}

const double* offset(const double* p, int first) { return p ? p + first : nullptr; }

// Stations per piece of parallel work: a multiple of the kernel's block.
constexpr int ChunkStations = 4 * magfast::BlockSize;

void gradientRange(const Tbody& body, const double* stationX, const double* stationHeight,
                   int first, int count, GravityTensor* out)
{
    const double* x = stationX + first;
    const double* h = offset(stationHeight, first);
    if (body.Density == 0)
        std::fill(out + first, out + first + count, GravityTensor{});
    else if (magfast::fastDomain(body, x, h, count))
        gradfast::fastGradient(body, x, h, count, out + first);
    else
        referenceGradient(body, x, h, count, out + first);
}

// Both fields of one body at stations [first, first + count).
void bothRange(const Tbody& body, const EarthField& field, const double* stationX,
               const double* stationHeight, int first, int count, double* mag,
               GravityTensor* grad)
{
    const double* x = stationX + first;
    const double* h = offset(stationHeight, first);
    if (isMagnetised(body) && body.Density != 0 && magfast::fastDomain(body, x, h, count)) {
        gradfast::fastMagneticGradient(
            body, fieldDirection(field.Inclination, field.Declination, field.Azimuth),
            bodyMagnetisation(body, field), x, h, count, mag + first, grad + first);
        return;
    }
    // One field alone, or the reference: each as its own engine gives it
    // (as modelMagnetic's pieces do, without a second call to the pool).
    if (!isMagnetised(body))
        std::fill(mag + first, mag + first + count, 0.0);
    else if (magfast::fastDomain(body, x, h, count))
        magfast::fastMagnetic(body, fieldDirection(field.Inclination, field.Declination, field.Azimuth),
                              bodyMagnetisation(body, field), x, h, count, mag + first);
    else
        referenceMagnetic(body, field, x, h, count, true, mag + first);
    gradientRange(body, stationX, stationHeight, first, count, grad);
}

void sumVisible(const Array1<Tbody, MaxBodies>& bodies, int numBodies,
                GravityTensor* const* bodyOut, int first, int count, GravityTensor* total)
{
    for (int i = first; i < first + count; ++i)
        total[i] = {};
    for (int b = 1; b <= numBodies; ++b) {
        if (bodies[b].Hidden)
            continue;
        const GravityTensor* v = bodyOut[b];
        for (int i = first; i < first + count; ++i)
            for (int c = 0; c < TensorComponents; ++c)
                total[i][c] += v[i][c];
    }
}

long modelWork(const Array1<Tbody, MaxBodies>& bodies, int numBodies, int numStations)
{
    long work = 0;
    for (int b = 1; b <= numBodies; ++b)
        work += static_cast<long>(numStations) * std::max(bodies[b].NumCorners, 1);
    return work;
}

}  // namespace

void referenceGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                       int numStations, GravityTensor* out)
{
    const double scale = body.Density * EotvosFactor;
    for (int i = 0; i < numStations; ++i) {
        const double H = stationHeight ? stationHeight[i] : 0.0;
        const GravityTensor T = stationGradient(body, stationX[i], H);
        // A body whose arithmetic overflowed adds nothing, component by component.
        for (int c = 0; c < TensorComponents; ++c)
            out[i][c] = boundedAnomaly(scale * T[c]);
    }
}

void bodyGradient(const Tbody& body, const double* stationX, const double* stationHeight,
                  int numStations, GravityTensor* out)
{
    if (numStations <= 0)
        return;
    const long work = static_cast<long>(numStations) * std::max(body.NumCorners, 1);
    forStationPieces(numStations, ChunkStations, work, [&](int first, int count) {
        gradientRange(body, stationX, stationHeight, first, count, out);
    });
}

void modelGradient(const Array1<Tbody, MaxBodies>& bodies, int numBodies, const double* stationX,
                   const double* stationHeight, int numStations, GravityTensor* const* bodyOut,
                   GravityTensor* total)
{
    if (numStations <= 0)
        return;
    numBodies = std::clamp(numBodies, 0, MaxBodies);
    // Each piece of stations takes every body and then sums them in body
    // order: the same total to the last bit however the pieces are shared.
    forStationPieces(numStations, ChunkStations, modelWork(bodies, numBodies, numStations),
                     [&](int first, int count) {
                         for (int b = 1; b <= numBodies; ++b)
                             gradientRange(bodies[b], stationX, stationHeight, first, count,
                                           bodyOut[b]);
                         sumVisible(bodies, numBodies, bodyOut, first, count, total);
                     });
}

void bodyMagneticGradient(const Tbody& body, const EarthField& field, const double* stationX,
                          const double* stationHeight, int numStations, double* magOut,
                          GravityTensor* gradOut)
{
    if (numStations <= 0)
        return;
    const long work = static_cast<long>(numStations) * std::max(body.NumCorners, 1);
    forStationPieces(numStations, ChunkStations, work, [&](int first, int count) {
        bothRange(body, field, stationX, stationHeight, first, count, magOut, gradOut);
    });
}

void modelMagneticGradient(const Array1<Tbody, MaxBodies>& bodies, int numBodies,
                           const EarthField& field, const double* stationX,
                           const double* stationHeight, int numStations, double* const* magOut,
                           double* magTotal, GravityTensor* const* gradOut,
                           GravityTensor* gradTotal)
{
    if (numStations <= 0)
        return;
    numBodies = std::clamp(numBodies, 0, MaxBodies);
    forStationPieces(numStations, ChunkStations, modelWork(bodies, numBodies, numStations),
                     [&](int first, int count) {
                         for (int b = 1; b <= numBodies; ++b)
                             bothRange(bodies[b], field, stationX, stationHeight, first, count,
                                       magOut[b], gradOut[b]);
                         for (int i = first; i < first + count; ++i)
                             magTotal[i] = 0;
                         for (int b = 1; b <= numBodies; ++b)
                             if (!bodies[b].Hidden)
                                 for (int i = first; i < first + count; ++i)
                                     magTotal[i] += magOut[b][i];
                         sumVisible(bodies, numBodies, gradOut, first, count, gradTotal);
                     });
}

// ---- frames -------------------------------------------------------------------

namespace {

// The matrix that turns north, east, down into x, y, z: rows x = (cos A,
// sin A, 0), y = (sin A, -cos A, 0) (azimuth A - 90), z = (0, 0, 1). It is
// symmetric and its own inverse, so it turns either way.
struct Turn {
    double r[3][3];
};

Turn turnFor(double azimuth)
{
    // Exact at multiples of 90 degrees, so that a component that does not
    // take part stays out (and its missing value with it).
    const double a = std::fmod(azimuth, 360.0);
    double c = std::cos(a * Pi / 180), s = std::sin(a * Pi / 180);
    if (std::fmod(a, 90.0) == 0) {
        const int quarter = static_cast<int>(std::lround(a / 90)) & 3;
        const double cs[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        c = cs[quarter][0];
        s = cs[quarter][1];
    }
    return {{{c, s, 0}, {s, -c, 0}, {0, 0, 1}}};
}

// Component index of (i, j), i, j in 0..2.
int componentOf(int i, int j)
{
    static constexpr int index[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
    return index[i][j];
}

constexpr int RowOf[TensorComponents] = {0, 0, 0, 1, 1, 2};
constexpr int ColumnOf[TensorComponents] = {0, 1, 2, 1, 2, 2};

}  // namespace

void turnObserved(const GravityTensor& t, const TensorFlags& has, TensorFrame from,
                  TensorFrame to, double azimuth, GravityTensor& out, TensorFlags& outHas)
{
    if (from == to) {
        out = t;
        outHas = has;
        return;
    }
    const Turn R = turnFor(azimuth);
    for (int m = 0; m < TensorComponents; ++m) {
        const int i = RowOf[m], j = ColumnOf[m];
        double v = 0;
        bool known = true;
        for (int k = 0; k < 3; ++k)
            for (int l = 0; l < 3; ++l) {
                const double f = R.r[i][k] * R.r[j][l];
                if (f == 0)
                    continue;
                const int source = componentOf(k, l);
                known = known && has[static_cast<unsigned>(source)];
                v += f * t[source];
            }
        out[m] = known ? v : 0.0;
        outHas[static_cast<unsigned>(m)] = known;
    }
}

void observedInProfileFrame(const Model& m, int i, GravityTensor& out, TensorFlags& has)
{
    turnObserved(m.Grad.Observed[i], m.Grad.HasObserved[i], m.Grad.Frame, TensorFrame::Profile,
                 m.Mag.FieldAzimuth, out, has);
}

GravityTensor toProfileFrame(const GravityTensor& geographic, double azimuth)
{
    GravityTensor out;
    TensorFlags all, known;
    all.fill(true);
    turnObserved(geographic, all, TensorFrame::Geographic, TensorFrame::Profile, azimuth, out,
                 known);
    return out;
}

GravityTensor toGeographicFrame(const GravityTensor& profile, double azimuth)
{
    GravityTensor out;
    TensorFlags all, known;
    all.fill(true);
    turnObserved(profile, all, TensorFrame::Profile, TensorFrame::Geographic, azimuth, out,
                 known);
    return out;
}

TensorFlags observedGradientComponents(const Model& m)
{
    TensorFlags any{};
    for (int i = 1; i <= std::clamp(m.Grad.Num, 0, MaxStations); ++i) {
        GravityTensor t;
        TensorFlags has;
        observedInProfileFrame(m, i, t, has);
        for (std::size_t c = 0; c < any.size(); ++c)
            any[c] = any[c] || has[c];
    }
    return any;
}

}  // namespace corvane
