#include "gravity_fast.h"
#include "gravity.h"
#include "fast_math.h"
#include "strike_sides.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

// One copy of the block kernel per instruction set, chosen at load time, so
// the program still runs on any x86-64 and uses AVX2 or AVX-512 where there is
// one (the kernel is bound by instruction count: 512-bit vectors pay even
// where the hardware splits them in two).
// (Not under ThreadSanitizer: its instrumented load-time resolver would run
// before the sanitizer is set up.)
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define CORVANE_CLONES __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define CORVANE_CLONES
#endif
#define CORVANE_INLINE [[gnu::always_inline]] inline

namespace corvane::fast {

namespace {

// The branch-free logarithm and arc tangent are shared with the magnetic engine.
using namespace corvane::fastmath;

// ---- the block kernel -----------------------------------------------------

struct Plan : StrikeSides {
    int n = 0;                  // NumCorners
    double X[MaxCorners + 1] = {};   // corner k at [k]
    double Z[MaxCorners + 1] = {};
    bool same[MaxCorners + 1] = {};  // corner k equals its successor: edge k adds nothing
    double c[MaxCorners + 1] = {};   // direction of edge k (corner k to its successor)
    double s[MaxCorners + 1] = {};
    double L[MaxCorners + 1] = {};   // its length
    double scale = 0;           // -Density * GravityFactor
    bool unitsKm = true;
};

// Terms of one corner at every station of the block.
template <int B>
struct CornerTerms {
    alignas(64) double x[B];     // CornerX - S
    alignas(64) double z[B];     // CornerZ + station height   (stations off the datum only)
    alignas(64) double d[B];     // r^2 - (x^2 + z^2): nonzero only where r is the floor
    alignas(64) double R1[B];    // sqrt(r^2 + y1^2)
    alignas(64) double R2[B];    // sqrt(r^2 + y2^2)   (Two only)
    alignas(64) double lam[B];   // ln((y1 + R1) / r) + ln((y2 + R2) / r): the H and K logarithm
};

// What the edges add up, per station: T = E - F + H - K of one strike side
// (both sides where they differ). The angle terms of an edge wait in
// (ay, ax, wrap, cp) for a loop of their own.
template <int B>
struct Sums {
    alignas(64) double T[B];
    alignas(64) double ay[B];     // atan2 arguments of both sides' angles at once
    alignas(64) double ax[B];
    alignas(64) double wrap[B];   // +-2pi where both angles have that sign, else 0
    alignas(64) double cp[B];     // c * p
};

// Terms of one corner at station i (Lift: at height h above the datum).
template <Sides M, bool Lift, int B>
CORVANE_INLINE void cornerAt(const Plan& plan, double X, double Zc, double S, double h,
                             CornerTerms<B>& c, int i)
{
    const double x = X - S;
    double Z = Zc;
    if constexpr (Lift) {
        Z = Zc + h;
        c.z[i] = Z;
    }
    const double rsq = x * x + Z * Z;
    double r = std::sqrt(rsq);
    const bool floored = r < RadiusFloor;
    r = floored ? RadiusFloor : r;
    const double rr = r * r;
    const double R1 = std::sqrt(rr + plan.y1sq);
    c.x[i] = x;
    c.d[i] = floored ? rr - rsq : 0.0;
    c.R1[i] = R1;
    if constexpr (M == Sides::Two) {
        const double R2 = std::sqrt(rr + plan.y2sq);
        c.R2[i] = R2;
        c.lam[i] = logRatioInline((plan.y1 + R1) * (plan.y2 + R2), rr);
    } else {
        c.lam[i] = logRatioInline(plan.y1 + R1, r);
    }
}

// ln((t2 + Rb) / (t1 + Ra)) for one strike side, to nearly the last digit
// however the terms cancel:
// - Where t is negative, t + R is the difference of two nearly equal numbers
//   when the strike length is short beside the distance (a station on the
//   line of an edge, behind it): there it is taken as (R^2 - t^2) / (R - t),
//   R^2 - t^2 = p^2 + y^2 (+ the radius floor's share d).
// - With a long strike length the quotient lies within a millionth of 1 and
//   the logarithm is made of the last digits of the two sums: there the
//   difference of the sums is taken from the identity
//   (t2 + Rb) - (t1 + Ra) = (L ((t1 + Ra) + (t2 + Rb)) + db - da) / (Ra + Rb),
//   which holds because t2 - t1 = L and r^2 = t^2 + p^2 + d.
// Each sum is carried as a fraction a/b so that one division remains. In the
// fast domain the numerator and denominator lie between MinStrike^3 and 1e23.
CORVANE_INLINE double edgeLog(double L, double ysq, double pp, double t1, double t2, double Ra,
                              double Rb, double da, double db)
{
    const bool f1 = t1 >= 0, f2 = t2 >= 0;
    const double a1 = f1 ? t1 + Ra : (pp + ysq) + da;
    const double b1 = f1 ? 1.0 : Ra - t1;
    const double a2 = f2 ? t2 + Rb : (pp + ysq) + db;
    const double b2 = f2 ? 1.0 : Rb - t2;
    const double num = a2 * b1, den = a1 * b2;
    const double sum = num + den;
    double sNum, sDen, k;
    logRatioParts(num, den, sNum, sDen, k);
    // Where k is 0, num - den is the difference D / (Ra + Rb) of the two
    // sums, and s = D / ((Ra + Rb) (num + den)).
    const double D = L * sum + (db - da) * (b1 * b2);
    const bool near = k == 0;
    sNum = near ? D : sNum;
    sDen = near ? (Ra + Rb) * sum : sDen;
    return logFinish(sNum / sDen, k);
}

// Angle difference of one edge end to the other for strike y, as the
// numerator and denominator of its atan2: atan(q2) - atan(q1) with
// q = t*y / (p*R), both multiplied by p^2*R1*R2 > 0.
CORVANE_INLINE void angleParts(double y, double ysq, double p, double t1, double t2, double Ra,
                               double Rb, double& num, double& den)
{
    num = (y * p) * (t2 * Ra - t1 * Rb);
    den = (p * p) * (Ra * Rb) + ysq * (t1 * t2);
}

template <int B, Sides M, bool Lift>
CORVANE_INLINE void edgeTerms(const Plan& plan, int k, int next, const double* S, const double* Hs,
                              const CornerTerms<B>& a, CornerTerms<B>& b, Sums<B>& sum)
{
    const double Z1 = plan.Z[k], Z2 = plan.Z[next], X2 = plan.X[next];
    // The direction is the edge's own, the same at every station.
    const double c = plan.c[k], s = plan.s[k], L = plan.L[k];
    const double y1 = plan.y1, y2 = plan.y2, y1sq = plan.y1sq, y2sq = plan.y2sq;
    for (int i = 0; i < B; ++i)
        cornerAt<M, Lift>(plan, X2, Z2, S[i], Lift ? Hs[i] : 0.0, b, i);
    for (int i = 0; i < B; ++i) {
        const double x1 = a.x[i], x2 = b.x[i];
        double z1 = Z1, z2 = Z2;
        if constexpr (Lift) {
            z1 = a.z[i];
            z2 = b.z[i];
        }
        const double t1 = c * x1 + s * z1;
        const double t2 = c * x2 + s * z2;
        const double p = c * z1 - s * x1;
        const double pp = p * p;

        const double e1 = edgeLog(L, y1sq, pp, t1, t2, a.R1[i], b.R1[i], a.d[i], b.d[i]);
        // E - F + H - K, the edge's share: -c (y e) + c p theta + (-c t2 lam2) - (-c t1 lam1).
        const double hk = t1 * a.lam[i] - t2 * b.lam[i];
        double n1, d1;
        angleParts(y1, y1sq, p, t1, t2, a.R1[i], b.R1[i], n1, d1);
        sum.cp[i] = c * p;
        if constexpr (M == Sides::Two) {
            const double e2 = edgeLog(L, y2sq, pp, t1, t2, a.R2[i], b.R2[i], a.d[i], b.d[i]);
            // Both sides' angles at once: the argument of the product of the
            // two complex numbers, unwrapped to the sum's range (-2pi, 2pi).
            double n2, d2;
            angleParts(y2, y2sq, p, t1, t2, a.R2[i], b.R2[i], n2, d2);
            sum.ay[i] = d1 * n2 + n1 * d2;
            sum.ax[i] = d1 * d2 - n1 * n2;
            const double up = ((n1 > 0) & (n2 > 0)) ? TwoPi : 0.0;
            sum.wrap[i] = ((n1 < 0) & (n2 < 0)) ? -TwoPi : up;
            sum.T[i] += c * (hk - (y1 * e1 + y2 * e2));
        } else {
            sum.ay[i] = n1;
            sum.ax[i] = d1;
            sum.T[i] += c * (hk - y1 * e1);
        }
    }
    // The angle terms in a loop of their own: two shorter loops keep the
    // processor busier than one long one.
    for (int i = 0; i < B; ++i) {
        double phi = arcTan2Inline(sum.ay[i], sum.ax[i]);
        if constexpr (M == Sides::Two)
            phi = phi * sum.wrap[i] < 0 ? phi + sum.wrap[i] : phi;
        // p = 0 (station on the edge's line) gives p*theta = 0: no angle term.
        sum.T[i] += sum.cp[i] * phi;
    }
}

template <int B, Sides M, bool Lift>
CORVANE_INLINE void bodyBlock(const Plan& plan, const double* S, const double* Hs, double* out)
{
    CornerTerms<B> ta, tb;
    Sums<B> sum;
    for (int i = 0; i < B; ++i)
        sum.T[i] = 0;
    CornerTerms<B>* a = &ta;
    CornerTerms<B>* b = &tb;
    const int n = plan.n;
    if (n >= 1)
        for (int i = 0; i < B; ++i)
            cornerAt<M, Lift>(plan, plan.X[1], plan.Z[1], S[i], Lift ? Hs[i] : 0.0, *a, i);
    for (int k = 1; k <= n; ++k) {
        if (plan.same[k])
            continue;   // zero length at every station; the start corner stays
        const int next = k == n ? 1 : k + 1;
        edgeTerms<B, M, Lift>(plan, k, next, S, Hs, *a, *b, sum);
        std::swap(a, b);
    }
    const double scale = plan.scale;
    const bool km = plan.unitsKm;
    for (int i = 0; i < B; ++i) {
        const double T = M == Sides::Equal ? sum.T[i] + sum.T[i] : sum.T[i];
        double g = scale * (std::isfinite(T) ? T : 0.0);
        g = km ? g : g * MetreFactor;
        // As the reference: a body never puts an unusable value in.
        out[i] = std::fabs(g) <= MaxAnomaly ? g : 0.0;
    }
}

template <int B, bool Lift>
CORVANE_INLINE void anyBlock(const Plan& plan, const double* S, const double* Hs, double* out)
{
    switch (plan.sides) {
    case Sides::Two: bodyBlock<B, Sides::Two, Lift>(plan, S, Hs, out); break;
    case Sides::Equal: bodyBlock<B, Sides::Equal, Lift>(plan, S, Hs, out); break;
    case Sides::One: bodyBlock<B, Sides::One, Lift>(plan, S, Hs, out); break;
    case Sides::None:
        for (int i = 0; i < B; ++i) {
            // NaN when the density overflowed the scale: kept out as above.
            const double g = plan.unitsKm ? plan.scale * 0.0 : plan.scale * 0.0 * MetreFactor;
            out[i] = std::fabs(g) <= MaxAnomaly ? g : 0.0;
        }
        break;
    }
}

// Long profiles go in blocks of BlockSize stations; what is left, and short
// profiles, in blocks of one AVX-512 vector, so that ten stations are not
// padded out to sixty-four.
constexpr int SmallBlock = 8;

CORVANE_CLONES
void blockAnomaly(const Plan& plan, const double* S, double* out)
{
    anyBlock<BlockSize, false>(plan, S, nullptr, out);
}

CORVANE_CLONES
void smallBlockAnomaly(const Plan& plan, const double* S, double* out)
{
    anyBlock<SmallBlock, false>(plan, S, nullptr, out);
}

// The same for stations off the datum: their own copies, so that the blocks
// without heights keep their code to the last instruction.
CORVANE_CLONES
void liftedBlockAnomaly(const Plan& plan, const double* S, const double* Hs, double* out)
{
    anyBlock<BlockSize, true>(plan, S, Hs, out);
}

CORVANE_CLONES
void liftedSmallBlockAnomaly(const Plan& plan, const double* S, const double* Hs, double* out)
{
    anyBlock<SmallBlock, true>(plan, S, Hs, out);
}

// True when some station of [first, first + count) is off the datum.
bool lifted(const double* Hs, int first, int count)
{
    if (!Hs)
        return false;
    for (int i = first; i < first + count; ++i)
        if (Hs[i] != 0)
            return true;
    return false;
}

void makePlan(const Tbody& body, bool unitsKm, Plan& plan)
{
    const int n = body.NumCorners;
    plan.n = n;
    for (int k = 1; k <= n; ++k) {
        plan.X[k] = body.CornerX[k];
        plan.Z[k] = body.CornerZ[k];
    }
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double dx = plan.X[next] - plan.X[k], dz = plan.Z[next] - plan.Z[k];
        const double L = std::sqrt(dx * dx + dz * dz);
        plan.same[k] = !(L > 0);   // also where the squares underflow, as in the reference
        plan.L[k] = L;
        plan.c[k] = plan.same[k] ? 0.0 : dx / L;
        plan.s[k] = plan.same[k] ? 0.0 : dz / L;
    }
    static_cast<StrikeSides&>(plan) = planStrikeSides(body.StrikeLength1, body.StrikeLength2);
    plan.scale = -body.Density * GravityFactor;
    plan.unitsKm = unitsKm;
}

bool sane(double v) { return std::fabs(v) <= MaxMagnitude; }   // false for NaN too

}  // namespace

bool fastDomain(const Tbody& body, const double* stationX, int numStations,
                const double* stationHeight)
{
    const int n = body.NumCorners;
    if (n < 0 || n > MaxCorners)
        return false;
    for (int k = 1; k <= n; ++k)
        if (!sane(body.CornerX[k]) || !sane(body.CornerZ[k]))
            return false;
    for (double y : {body.StrikeLength1, body.StrikeLength2})
        if (!(y == 0 || (y >= MinStrike && sane(y))))
            return false;
    for (int i = 0; i < numStations; ++i)
        if (!sane(stationX[i]) || (stationHeight && !sane(stationHeight[i])))
            return false;
    return true;
}

void fastAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out, const double* stationHeight)
{
    Plan plan;
    makePlan(body, unitsKm, plan);
    alignas(64) double S[SmallBlock];
    alignas(64) double H[SmallBlock];
    alignas(64) double g[SmallBlock];
    int first = 0;
    for (; first + BlockSize <= numStations; first += BlockSize) {
        if (lifted(stationHeight, first, BlockSize))
            liftedBlockAnomaly(plan, stationX + first, stationHeight + first, out + first);
        else
            blockAnomaly(plan, stationX + first, out + first);
    }
    for (; first < numStations; first += SmallBlock) {
        const int count = std::min(numStations - first, SmallBlock);
        // A short last block is padded with its last station.
        for (int i = 0; i < SmallBlock; ++i)
            S[i] = stationX[first + std::min(i, count - 1)];
        if (lifted(stationHeight, first, count)) {
            for (int i = 0; i < SmallBlock; ++i)
                H[i] = stationHeight[first + std::min(i, count - 1)];
            liftedSmallBlockAnomaly(plan, S, H, g);
        } else {
            smallBlockAnomaly(plan, S, g);
        }
        for (int i = 0; i < count; ++i)
            out[first + i] = g[i];
    }
}

double logRatio(double num, double den) { return logRatioInline(num, den); }

double arcTan2(double y, double x) { return arcTan2Inline(y, x); }

}  // namespace corvane::fast
