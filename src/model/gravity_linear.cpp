#include "gravity_linear.h"
#include "fast_math.h"
#include "gravity.h"
#include "gravity_fast.h"
#include "strike_sides.h"

#include <algorithm>
#include <cmath>

namespace corvane::fast {

namespace {

using namespace corvane::fastmath;

constexpr int Block = 8;

struct Corner {
    double x[Block], z[Block], rr[Block], R[2][Block], lam[2][Block];
};

// t + R for one strike side without cancellation behind the edge (t < 0):
// there it is (p^2 + y^2) / (R - t), returned as a fraction a / b.
inline void sumParts(double t, double R, double ppy, double& a, double& b)
{
    const bool f = t >= 0;
    a = f ? t + R : ppy;
    b = f ? 1.0 : R - t;
}

// The first depth moment M = integral of z^2 / rho^3 over the prism, station
// at the origin, per station of the block. By the divergence theorem with
// z^2/rho^3 = div(r / (2 rho) - z e_z / rho) it is a sum over the faces: the
// faces along strike (one per edge) and the two end faces, whose area
// integrals of 1/rho go round the polygon by Green's theorem. Corners are
// taken in the order that gives fastAnomaly's sign.
void momentBlock(const Tbody& body, const StrikeSides& sides, const double* S, const double* H,
                 double* M)
{
    const int nSides = sides.sides == Sides::Two ? 2 : sides.sides == Sides::None ? 0 : 1;
    const double ys[2] = {sides.y1, sides.y2};
    Corner ca, cb;
    Corner* a = &ca;
    Corner* b = &cb;
    const int n = body.NumCorners;
    auto corner = [&](int k, Corner& c) {
        for (int i = 0; i < Block; ++i) {
            const double x = body.CornerX[k] - S[i], z = body.CornerZ[k] + H[i];
            const double rr = std::max(x * x + z * z, RadiusFloor * RadiusFloor);
            c.x[i] = x, c.z[i] = z, c.rr[i] = rr;
            for (int j = 0; j < nSides; ++j) {
                c.R[j][i] = std::sqrt(rr + ys[j] * ys[j]);
                c.lam[j][i] = logRatioInline(ys[j] + c.R[j][i], std::sqrt(rr));
            }
        }
    };
    for (int i = 0; i < Block; ++i)
        M[i] = 0;
    if (n < 1 || nSides == 0)
        return;
    corner(1, *a);
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double dx = body.CornerX[next] - body.CornerX[k], dz = body.CornerZ[next] - body.CornerZ[k];
        const double L = std::sqrt(dx * dx + dz * dz);
        if (!(L > 0))
            continue;
        const double c = dx / L, s = dz / L;
        corner(next, *b);
        for (int i = 0; i < Block; ++i) {
            const double t1 = c * a->x[i] + s * a->z[i], t2 = c * b->x[i] + s * b->z[i];
            const double p = c * a->z[i] - s * a->x[i], pp = p * p;
            double sum = 0;
            for (int j = 0; j < nSides; ++j) {
                const double y = ys[j], yy = y * y, Ra = a->R[j][i], Rb = b->R[j][i];
                double a1, b1, a2, b2;
                sumParts(t1, Ra, pp + yy, a1, b1);
                sumParts(t2, Rb, pp + yy, a2, b2);
                const double e = logRatioInline(a2 * b1, a1 * b2);   // [ln(t + R)]
                // [atan(t y / (p R))], as the constant engine's angle
                const double theta = arcTan2Inline((y * p) * (t2 * Ra - t1 * Rb), pp * (Ra * Rb) + yy * (t1 * t2));
                // [atan(t y / (p R)) - atan(t / p)] as one angle per corner,
                // atan(-t p r^2 / ((y + R)(p^2 R + t^2 y))), its denominator > 0
                const double na = -t1 * p * a->rr[i], da = (y + Ra) * (pp * Ra + t1 * t1 * y);
                const double nb = -t2 * p * b->rr[i], db = (y + Rb) * (pp * Rb + t2 * t2 * y);
                const double psi = arcTan2Inline(nb * da - na * db, da * db + na * nb);
                const double lamA = a->lam[j][i], lamB = b->lam[j][i];
                // Face along strike: (p/2 - z c) / rho, z = t s + p c on the
                // edge, integrated over y (lam) and along the edge.
                const double flat = t2 * lamB - t1 * lamA + y * e - p * theta;     // integral of lam
                const double tilt = 0.5 * (b->rr[i] * lamB + y * Rb - a->rr[i] * lamA - y * Ra);   // of t lam
                // End face at y: y/2 times the area integral of 1/rho.
                sum += p * (0.5 - c * c) * flat - c * s * tilt + 0.5 * y * (p * e + y * psi);
            }
            M[i] += sum;
        }
        std::swap(a, b);
    }
    if (sides.sides == Sides::Equal)
        for (int i = 0; i < Block; ++i)
            M[i] += M[i];
}

}  // namespace

void linearAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                   double* out, const double* stationHeight)
{
    // Contrast A + G Z = (A - G h) + G z, z = Z + h from the station: the
    // constant engine's anomaly of unit contrast, and the moment.
    Tbody unit = body;
    unit.Density = 1;
    fastAnomaly(unit, stationX, numStations, unitsKm, out, stationHeight);
    const double G = body.LawRate, A = body.Density - G * body.LawZ0;
    const double factor = -GravityFactor * (unitsKm ? 1.0 : MetreFactor);
    const StrikeSides sides = planStrikeSides(body.StrikeLength1, body.StrikeLength2);
    double S[Block], H[Block], M[Block];
    for (int first = 0; first < numStations; first += Block) {
        const int count = std::min(numStations - first, Block);
        for (int i = 0; i < Block; ++i) {
            const int at = first + std::min(i, count - 1);   // a short block padded with its last
            S[i] = stationX[at];
            H[i] = stationHeight ? stationHeight[at] : 0.0;
        }
        momentBlock(body, sides, S, H, M);
        for (int i = 0; i < count; ++i) {
            const double g = (A - G * H[i]) * out[first + i] + factor * G * M[i];
            out[first + i] = boundedAnomaly(std::isfinite(g) ? g : 0.0);
        }
    }
}

}  // namespace corvane::fast
