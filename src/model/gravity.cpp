#include "gravity.h"
#include "density_law.h"
#include "gravity_linear.h"
#include "gravity_fast.h"
#include "gravity_pool.h"

#include <algorithm>
#include <cmath>

namespace corvane {

double safeLogRatio(double num, double den)
{
    const double q = num / den;
    if (!(q > 0) || !std::isfinite(q))
        return 0;
    return std::log(q);
}

namespace {

double floorRadius(double r) { return r < RadiusFloor ? RadiusFloor : r; }

// Angle term of one edge end: arctan of (t*y)/(p*R), unwrapped to [0, 2pi).
double endAngle(double t, double y, double p, double R)
{
    double q = (t * y) / (p * R);
    if (std::isnan(q))
        q = 0;
    double a = std::atan(q);
    if (a < 0)
        a += TwoPi;
    return a;
}

// The depth of corner k below a station at height h. At h = 0 it is the
// stored depth itself, so a station on the datum is calculated as it always was.
double depthBelow(const Tbody& body, int k, double h)
{
    return h == 0 ? body.CornerZ[k] : body.CornerZ[k] + h;
}

double stationAnomaly(const Tbody& body, double S, double h, const double y[2])
{
    double E[2] = {0, 0}, F[2] = {0, 0}, H[2] = {0, 0}, K[2] = {0, 0};
    const int n = body.NumCorners;
    double x1 = body.CornerX[1] - S;
    double z1 = depthBelow(body, 1, h);
    double r1 = floorRadius(std::sqrt(x1 * x1 + z1 * z1));
    double R1[2], R2[2];
    for (int j = 0; j < 2; ++j)
        R1[j] = std::sqrt(r1 * r1 + y[j] * y[j]);

    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double x2 = body.CornerX[next] - S;
        const double z2 = depthBelow(body, next, h);
        const double dx = x2 - x1, dz = z2 - z1;
        const double L = std::sqrt(dx * dx + dz * dz);
        double r2 = r1;
        if (L > 0) {
            const double c = dx / L, s = dz / L;
            const double t1 = c * x1 + s * z1;
            const double t2 = c * x2 + s * z2;
            const double p = c * z1 - s * x1;
            r2 = floorRadius(std::sqrt(x2 * x2 + z2 * z2));
            for (int j = 0; j < 2; ++j)
                R2[j] = std::sqrt(r2 * r2 + y[j] * y[j]);
            for (int j = 0; j < 2; ++j) {
                if (y[j] != 0)
                    E[j] -= c * y[j] * safeLogRatio(t2 + R2[j], t1 + R1[j]);
                if (p != 0) {
                    const double a2 = endAngle(t2, y[j], p, R2[j]);
                    const double a1 = endAngle(t1, y[j], p, R1[j]);
                    double theta = a2 - a1;
                    if (theta > Pi)
                        theta -= TwoPi;
                    if (theta < -Pi)
                        theta += TwoPi;
                    F[j] -= c * p * theta;
                }
                H[j] -= c * t2 * safeLogRatio(y[j] + R2[j], r2);
                K[j] -= c * t1 * safeLogRatio(y[j] + R1[j], r1);
            }
        } else {
            R2[0] = R1[0];
            R2[1] = R1[1];
        }
        x1 = x2;
        z1 = z2;
        r1 = r2;
        R1[0] = R2[0];
        R1[1] = R2[1];
    }
    const double T = (E[0] + E[1]) - F[0] - F[1] + H[0] + H[1] - K[0] - K[1];
    // Corners far beyond any real survey can overflow the arithmetic; such a
    // body adds nothing rather than poisoning the total.
    return std::isfinite(T) ? T : 0.0;
}

}  // namespace

void referenceAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                      double* out, const double* stationHeight)
{
    if (variesWithDepth(body)) {
        lawAnomaly(body, stationX, numStations, unitsKm, out, stationHeight);
        return;
    }
    const double y[2] = {body.StrikeLength1, body.StrikeLength2};
    const double scale = -body.Density * GravityFactor;
    for (int i = 0; i < numStations; ++i) {
        const double h = stationHeight ? stationHeight[i] : 0.0;
        double g = scale * stationAnomaly(body, stationX[i], h, y);
        if (!unitsKm)
            g *= MetreFactor;
        out[i] = boundedAnomaly(g);
    }
}

namespace {

// Stations per piece of parallel work: a multiple of the kernel's block.
constexpr int ChunkStations = 4 * fast::BlockSize;

// One body at stations [first, first + count).
void anomalyRange(const Tbody& body, const double* stationX, const double* stationHeight,
                  int first, int count, bool unitsKm, double* out)
{
    const double* h = stationHeight ? stationHeight + first : nullptr;
    const bool inFast = fast::fastDomain(body, stationX + first, count, h);
    if (variesWithDepth(body) && body.Law == DensityLaw::Linear && inFast)
        fast::linearAnomaly(body, stationX + first, count, unitsKm, out + first, h);
    else if (variesWithDepth(body) && inFast)
        blockLawAnomaly(body, stationX + first, count, unitsKm, out + first, h);
    else if (variesWithDepth(body))
        lawAnomaly(body, stationX + first, count, unitsKm, out + first, h);
    else if (inFast)
        fast::fastAnomaly(body, stationX + first, count, unitsKm, out + first, h);
    else
        referenceAnomaly(body, stationX + first, count, unitsKm, out + first, h);
}

}  // namespace

void bodyAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out, const double* stationHeight)
{
    if (numStations <= 0)
        return;
    const long work = static_cast<long>(numStations) * std::max(body.NumCorners, 1);
    forStationPieces(numStations, ChunkStations, work, [&](int first, int count) {
        anomalyRange(body, stationX, stationHeight, first, count, unitsKm, out);
    });
}

void modelAnomaly(Array1<Tbody, MaxBodies>& bodies, int numBodies, const double* stationX,
                  int numStations, bool unitsKm, double* total, const double* stationHeight)
{
    if (numStations <= 0)
        return;
    numBodies = std::clamp(numBodies, 0, MaxBodies);
    // Each piece of stations takes every body in turn and then sums them in
    // body order, so the total is the same to the last bit as one body at a
    // time.
    auto piece = [&](int first, int count) {
        for (int b = 1; b <= numBodies; ++b)
            anomalyRange(bodies[b], stationX, stationHeight, first, count, unitsKm,
                         bodies[b].Gravity.data());
        for (int i = first; i < first + count; ++i)
            total[i] = 0;
        for (int b = 1; b <= numBodies; ++b) {
            if (bodies[b].Hidden)
                continue;
            const double* g = bodies[b].Gravity.data();
            for (int i = first; i < first + count; ++i)
                total[i] += g[i];
        }
    };
    long work = 0;
    for (int b = 1; b <= numBodies; ++b)
        work += static_cast<long>(numStations) * std::max(bodies[b].NumCorners, 1);
    forStationPieces(numStations, ChunkStations, work, piece);
}

}  // namespace corvane
