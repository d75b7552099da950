#include "gravity_linear.h"
#include "fast_math.h"
#include "gravity.h"
#include "gravity_fast.h"
#include "strike_sides.h"

#include <algorithm>
#include <cmath>

// One copy per instruction set, as the constant engine.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define CORVANE_CLONES __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define CORVANE_CLONES
#endif
#define CORVANE_INLINE [[gnu::always_inline]] inline

namespace corvane::fast {

namespace {

using namespace corvane::fastmath;

// Long profiles in blocks of BlockSize stations, the rest in blocks of 8, as
// the constant engine.
constexpr int SmallBlock = 8;

template <int B, int NS>
struct Corner {
    alignas(64) double x[B];
    alignas(64) double z[B];
    alignas(64) double rr[B];
    alignas(64) double R[NS][B];
    alignas(64) double lam[NS][B];
};

// t + R for one strike side without cancellation behind the edge (t < 0):
// there it is (p^2 + y^2) / (R - t), returned as a fraction a / b.
CORVANE_INLINE void sumParts(double t, double R, double ppy, double& a, double& b)
{
    const bool f = t >= 0;
    a = f ? t + R : ppy;
    b = f ? 1.0 : R - t;
}

template <int B, int NS>
CORVANE_INLINE void cornerTerms(double X, double Z, const double* ys, const double* S, const double* H,
                                Corner<B, NS>& c)
{
    for (int i = 0; i < B; ++i) {
        const double x = X - S[i], z = Z + H[i];
        const double rr = std::max(x * x + z * z, RadiusFloor * RadiusFloor);
        const double r = std::sqrt(rr);
        c.x[i] = x, c.z[i] = z, c.rr[i] = rr;
#pragma GCC unroll 2
        for (int j = 0; j < NS; ++j) {
            c.R[j][i] = std::sqrt(rr + ys[j] * ys[j]);
            c.lam[j][i] = logRatioInline(ys[j] + c.R[j][i], r);
        }
    }
}

// Per station of the block, T (the constant engine's sum: the anomaly of unit
// contrast is -GravityFactor T) and the first depth moment M, the integral of
// z^2 / rho^3 over the prism, station at the origin. By the divergence
// theorem, z^2/rho^3 = div(r / (2 rho) - z e_z / rho), M is a sum over the
// faces: one along strike per edge and the two end faces, whose area
// integrals of 1/rho go round the polygon by Green's theorem.
template <int B, int NS>
CORVANE_INLINE void lawBlock(const Tbody& body, const double* yp, const double* S, const double* H,
                             double* __restrict T, double* __restrict M)
{
    const double ys[2] = {yp[0], yp[1]};
    Corner<B, NS> ca, cb;
    Corner<B, NS>* a = &ca;
    Corner<B, NS>* b = &cb;
    const int n = body.NumCorners;
    for (int i = 0; i < B; ++i)
        T[i] = 0, M[i] = 0;
    if (n < 1)
        return;
    cornerTerms<B, NS>(body.CornerX[1], body.CornerZ[1], ys, S, H, *a);
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double dx = body.CornerX[next] - body.CornerX[k], dz = body.CornerZ[next] - body.CornerZ[k];
        const double L = std::sqrt(dx * dx + dz * dz);
        if (!(L > 0))
            continue;
        const double c = dx / L, s = dz / L;
        cornerTerms<B, NS>(body.CornerX[next], body.CornerZ[next], ys, S, H, *b);
        for (int i = 0; i < B; ++i) {
            const double t1 = c * a->x[i] + s * a->z[i], t2 = c * b->x[i] + s * b->z[i];
            const double p = c * a->z[i] - s * a->x[i], pp = p * p;
            const double ra = a->rr[i], rb = b->rr[i];
            double flats = 0, sum = 0;
#pragma GCC unroll 2
            for (int j = 0; j < NS; ++j) {
                const double y = ys[j], yy = y * y, Ra = a->R[j][i], Rb = b->R[j][i];
                double a1, b1, a2, b2;
                sumParts(t1, Ra, pp + yy, a1, b1);
                sumParts(t2, Rb, pp + yy, a2, b2);
                const double e = logRatioInline(a2 * b1, a1 * b2);   // [ln(t + R)]
                // [atan(t y / (p R))], as the constant engine's angle
                const double theta = arcTan2Inline((y * p) * (t2 * Ra - t1 * Rb), pp * (Ra * Rb) + yy * (t1 * t2));
                // [atan(t y / (p R)) - atan(t / p)] as one angle per corner,
                // atan(-t p r^2 / ((y + R)(p^2 R + t^2 y))), its denominator > 0
                const double na = -t1 * p * ra, da = (y + Ra) * (pp * Ra + t1 * t1 * y);
                const double nb = -t2 * p * rb, db = (y + Rb) * (pp * Rb + t2 * t2 * y);
                const double psi = arcTan2Inline(nb * da - na * db, da * db + na * nb);
                const double lamA = a->lam[j][i], lamB = b->lam[j][i];
                // Along the edge: the integrals of lam and of t lam.
                const double flat = t2 * lamB - t1 * lamA + y * e - p * theta;
                const double tilt = 0.5 * (rb * lamB + y * Rb - ra * lamA - y * Ra);
                flats += flat;
                // The face along strike, (p/2 - z c) / rho with z = t s + p c
                // on the edge; the end face at y, y/2 times its area integral.
                sum += 0.5 * y * (p * e + y * psi) - c * s * tilt;
            }
            T[i] -= c * flats;
            M[i] += p * (0.5 - c * c) * flats + sum;
        }
        std::swap(a, b);
    }
}

template <int B>
CORVANE_INLINE void anyLawBlock(const Tbody& body, const StrikeSides& sides, const double* S, const double* H,
                                double* T, double* M)
{
    const double ys[2] = {sides.y1, sides.y2};
    if (sides.sides == Sides::Two) {
        lawBlock<B, 2>(body, ys, S, H, T, M);
        return;
    }
    lawBlock<B, 1>(body, ys, S, H, T, M);
    const double twice = sides.sides == Sides::Equal ? 2.0 : sides.sides == Sides::One ? 1.0 : 0.0;
    for (int i = 0; i < B; ++i)
        T[i] *= twice, M[i] *= twice;
}

CORVANE_CLONES
void lawBlockAnomaly(const Tbody& body, const StrikeSides& sides, const double* S, const double* H, double* T,
                     double* M)
{
    anyLawBlock<BlockSize>(body, sides, S, H, T, M);
}

CORVANE_CLONES
void lawSmallBlockAnomaly(const Tbody& body, const StrikeSides& sides, const double* S, const double* H,
                          double* T, double* M)
{
    anyLawBlock<SmallBlock>(body, sides, S, H, T, M);
}

}  // namespace

void linearAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                   double* out, const double* stationHeight)
{
    // Contrast A + G Z = (A - G h) + G z, z = Z + h from the station.
    const double G = body.LawRate, A = body.Density - G * body.LawZ0;
    const double factor = -GravityFactor * (unitsKm ? 1.0 : MetreFactor);
    const StrikeSides sides = planStrikeSides(body.StrikeLength1, body.StrikeLength2);
    alignas(64) double S[BlockSize], H[BlockSize], T[BlockSize], M[BlockSize];
    for (int first = 0; first < numStations;) {
        const bool whole = numStations - first >= BlockSize;
        const int width = whole ? BlockSize : SmallBlock;
        const int count = std::min(numStations - first, width);
        for (int i = 0; i < width; ++i) {
            const int at = first + std::min(i, count - 1);   // a short block padded with its last
            S[i] = stationX[at];
            H[i] = stationHeight ? stationHeight[at] : 0.0;
        }
        if (whole)
            lawBlockAnomaly(body, sides, S, H, T, M);
        else
            lawSmallBlockAnomaly(body, sides, S, H, T, M);
        for (int i = 0; i < count; ++i) {
            const double g = factor * ((A - G * H[i]) * T[i] + G * M[i]);
            out[first + i] = boundedAnomaly(std::isfinite(g) ? g : 0.0);
        }
        first += count;
    }
}

}  // namespace corvane::fast
