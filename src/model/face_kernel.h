#pragma once
// The block kernel the magnetic and gradient engines share: the face
// integrals of t, q and y over rho^3 of every side face of the prism (the
// second derivatives of its potential; docs/magnetics.md), folded edge by
// edge into N sums with weights of the caller's choosing. The magnetic
// anomaly is one sum, the gradient tensor six, both at once seven: the
// logarithms, square roots and arc tangents are taken once however many.
//
// Included only by the fast engines' .cpp files, which are compiled for the
// vectoriser (see src/CMakeLists.txt).
#include "fast_math.h"
#include "gravity.h"
#include "magnetic.h"
#include "strike_sides.h"

#include <cmath>
#include <utility>

// One copy of the block kernel per instruction set, chosen at load time (see
// the gravity engine).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define CORVANE_CLONES __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define CORVANE_CLONES
#endif

namespace corvane::facekernel {

// Stations per block, and per block of what is left over.
inline constexpr int BlockSize = 64;
inline constexpr int SmallBlock = 8;

// An edge's weights of its face integrals of t, q and y over rho^3 in one sum.
struct Weights {
    double t = 0, q = 0, y = 0;
};

// With Equal strike sides the y face integral vanishes and the rest doubles.
template <int N>
struct Plan : StrikeSides {
    int n = 0;
    double X[MaxCorners + 1] = {};
    double Z[MaxCorners + 1] = {};
    bool same[MaxCorners + 1] = {};   // edge k has zero length: adds nothing
    double c[MaxCorners + 1] = {};    // direction of edge k
    double s[MaxCorners + 1] = {};
    // The sign of the y face integral: -1 in One when the side in use is the
    // second (the kernel takes e(first side) - e(second side)).
    double side = 1;
    Weights w[MaxCorners + 1][N] = {};
    double scale[N] = {};   // each sum's factor, the doubling of Equal included
};

// Fills the geometry of the plan: corners, edge directions, strike sides.
// The weights are the caller's.
template <int N>
void planGeometry(const Tbody& body, Plan<N>& plan)
{
    const int n = body.NumCorners;
    plan.n = n;
    for (int k = 1; k <= n; ++k) {
        plan.X[k] = body.CornerX[k];
        plan.Z[k] = body.CornerZ[k];
    }
    static_cast<StrikeSides&>(plan) = planStrikeSides(body.StrikeLength1, body.StrikeLength2);
    plan.side = plan.sides == Sides::One && body.StrikeLength1 == 0 ? -1 : 1;
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double dx = plan.X[next] - plan.X[k], dz = plan.Z[next] - plan.Z[k];
        const double L = std::sqrt(dx * dx + dz * dz);
        plan.same[k] = !(L > 0);
        if (plan.same[k])
            continue;
        plan.c[k] = dx / L;
        plan.s[k] = dz / L;
    }
}

// The weights of the total-field anomaly along f of the magnetisation M
// (docs/magnetics.md), for an edge of direction (c, s).
inline Weights magneticWeights(double c, double s, double side, const Vector3& f, const Vector3& M)
{
    // Outward normal (s, -c); see the reference for the weights.
    const double nM = s * M.x - c * M.z;
    const double fu = c * f.x + s * f.z;
    const double fn = s * f.x - c * f.z;
    Weights w;
    w.t = -nM * fu;
    w.q = -nM * fn + f.y * M.y;
    // The y face integral is -(e(y1) - e(y2)); the kernel adds
    // ln of e(first side) - e(second side).
    w.y = -side * (-nM * f.y - M.y * fn);
    return w;
}

// The six gradient components' weights in the order xx, xy, xz, yy, yz, zz
// (docs/gradients.md): an edge's face adds -n_j (u_i I_t + n_i I_q + y_i I_y)
// to T_ij, and T_yy is -(T_xx + T_zz) = the sum of the q integrals.
inline void gradientWeights(double c, double s, double side, Weights* w)
{
    w[0] = {-s * c, -s * s, 0};
    w[1] = {0, 0, side * s};
    w[2] = {c * c, c * s, 0};
    w[3] = {0, 1, 0};
    w[4] = {0, 0, -side * c};
    w[5] = {s * c, -c * c, 0};
}

using fastmath::arcTan2Inline;
using fastmath::logRatioInline;

// Terms of one corner at every station of the block.
template <int B>
struct CornerTerms {
    alignas(64) double x[B];     // CornerX - S
    alignas(64) double z[B];     // CornerZ + H
    alignas(64) double r[B];     // distance in the section (One only)
    alignas(64) double R1[B];    // sqrt(r^2 + y1^2)
    alignas(64) double R2[B];    // sqrt(r^2 + y2^2)   (Two only)
    alignas(64) double lam[B];   // ln((y1 + R1)(y2 + R2) / r^2), halved for Equal
};

template <int N, int B>
struct Sums {
    alignas(64) double T[N][B];
    alignas(64) double lt[B];   // the t and y face integrals' logarithms, where
    alignas(64) double ey[B];   // they wait for the angle terms (N > 1)
    alignas(64) double ay[B];   // the arc tangent's arguments, one per station
    alignas(64) double ax[B];
    alignas(64) double wrap[B];
};

template <Sides M, int N, int B>
CORVANE_FAST_INLINE void cornerAt(const Plan<N>& plan, double X, double Z, double S, double H,
                                  CornerTerms<B>& c, int i)
{
    const double x = X - S, z = Z + H;
    const double rr = x * x + z * z;
    const double R1 = std::sqrt(rr + plan.y1sq);
    c.x[i] = x;
    c.z[i] = z;
    c.R1[i] = R1;
    if constexpr (M == Sides::Two) {
        const double R2 = std::sqrt(rr + plan.y2sq);
        c.R2[i] = R2;
        c.lam[i] = logRatioInline((plan.y1 + R1) * (plan.y2 + R2), rr);
    } else if constexpr (M == Sides::One) {
        // r itself is wanted for the edge logarithm of the side of length 0.
        const double r = std::sqrt(rr);
        c.r[i] = r;
        c.lam[i] = logRatioInline(plan.y1 + R1, r);
    } else {
        // Half of lambda: ln((y + R) / r), without a square root for r.
        const double yR = plan.y1 + R1;
        c.lam[i] = 0.5 * logRatioInline(yR * yR, rr);
    }
}

// (t2 + Rb) / (t1 + Ra) as num / den without cancellation: where t < 0,
// t + R = (p^2 + y^2) / (R - t); where both are negative the common
// p^2 + y^2 goes.
CORVANE_FAST_INLINE void edgeRatio(double ysq, double pp, double t1, double t2, double Ra,
                                   double Rb, double& num, double& den)
{
    const bool f1 = t1 >= 0, f2 = t2 >= 0;
    const bool behind = !f1 & !f2;
    const double py = behind ? 1.0 : pp + ysq;
    const double a1 = f1 ? t1 + Ra : py;
    const double b1 = f1 ? 1.0 : Ra - t1;
    const double a2 = f2 ? t2 + Rb : py;
    const double b2 = f2 ? 1.0 : Rb - t2;
    num = a2 * b1;
    den = a1 * b2;
}

// atan(t2 y / (p Rb)) - atan(t1 y / (p Ra)) as the arguments of one atan2
// (both multiplied by p^2 Ra Rb > 0).
CORVANE_FAST_INLINE void angleParts(double y, double ysq, double p, double t1, double t2,
                                    double Ra, double Rb, double& num, double& den)
{
    num = (y * p) * (t2 * Ra - t1 * Rb);
    den = (p * p) * (Ra * Rb) + ysq * (t1 * t2);
}

template <int B, Sides M, int N>
CORVANE_FAST_INLINE void edgeTerms(const Plan<N>& plan, int k, int next, const double* S,
                                   const double* H, const CornerTerms<B>& a, CornerTerms<B>& b,
                                   Sums<N, B>& sum)
{
    // With several sums each is read and written once per edge and station,
    // after the angle terms; one sum takes its logarithms at once.
    constexpr bool Late = N > 1;
    const double c = plan.c[k], s = plan.s[k];
    const Weights* w = plan.w[k];
    const double y1 = plan.y1, y2 = plan.y2, y1sq = plan.y1sq, y2sq = plan.y2sq;
    const double X2 = plan.X[next], Z2 = plan.Z[next];
    for (int i = 0; i < B; ++i)
        cornerAt<M>(plan, X2, Z2, S[i], H[i], b, i);
    for (int i = 0; i < B; ++i) {
        const double x1 = a.x[i], z1 = a.z[i];
        const double t1 = c * x1 + s * z1;
        const double t2 = c * b.x[i] + s * b.z[i];
        const double p = s * x1 - c * z1;
        const double pp = p * p;
        const double Ra = a.R1[i], Rb = b.R1[i];
        double n1, d1;
        angleParts(y1, y1sq, p, t1, t2, Ra, Rb, n1, d1);
        // The t face integral, -(lambda(b) - lambda(a)).
        const double lamDiff = a.lam[i] - b.lam[i];
        if constexpr (M == Sides::Equal) {
            sum.ay[i] = n1;
            sum.ax[i] = d1;
            if constexpr (Late)
                sum.lt[i] = lamDiff;
            else
                sum.T[0][i] += w[0].t * lamDiff;
        } else {
            // The y face integral: the difference of the two sides' edge
            // logarithms (the second side of One has length 0).
            double u1, v1, u2, v2;
            edgeRatio(y1sq, pp, t1, t2, Ra, Rb, u1, v1);
            if constexpr (M == Sides::Two)
                edgeRatio(y2sq, pp, t1, t2, a.R2[i], b.R2[i], u2, v2);
            else
                edgeRatio(0.0, pp, t1, t2, a.r[i], b.r[i], u2, v2);
            const double ey = logRatioInline(u1 * v2, v1 * u2);
            if constexpr (Late) {
                sum.lt[i] = lamDiff;
                sum.ey[i] = ey;
            } else {
                double term = w[0].t * lamDiff;
                term += w[0].y * ey;
                sum.T[0][i] += term;
            }
            if constexpr (M == Sides::Two) {
                // Both sides' angles as the argument of a complex product,
                // unwrapped to the sum's range (-2pi, 2pi).
                double n2, d2;
                angleParts(y2, y2sq, p, t1, t2, a.R2[i], b.R2[i], n2, d2);
                sum.ay[i] = d1 * n2 + n1 * d2;
                sum.ax[i] = d1 * d2 - n1 * n2;
                const double up = ((n1 > 0) & (n2 > 0)) ? TwoPi : 0.0;
                sum.wrap[i] = ((n1 < 0) & (n2 < 0)) ? -TwoPi : up;
            } else {
                sum.ay[i] = n1;
                sum.ax[i] = d1;
            }
        }
    }
    for (int i = 0; i < B; ++i) {
        double phi = arcTan2Inline(sum.ay[i], sum.ax[i]);
        if constexpr (M == Sides::Two)
            phi = phi * sum.wrap[i] < 0 ? phi + sum.wrap[i] : phi;
        for (int o = 0; o < N; ++o) {
            // The same operations in the same order as for one sum, so that
            // each sum is the figure it is alone.
            if constexpr (Late && M == Sides::Equal) {
                sum.T[o][i] += w[o].t * sum.lt[i];
            } else if constexpr (Late) {
                double term = w[o].t * sum.lt[i];
                term += w[o].y * sum.ey[i];
                sum.T[o][i] += term;
            }
            sum.T[o][i] += w[o].q * phi;
        }
    }
}

// The N sums at the B stations of a block, each times its scale, into
// out[o][i]; a value beyond MaxAnomaly (or not finite) becomes 0.
template <int B, Sides M, int N>
CORVANE_FAST_INLINE void bodyBlock(const Plan<N>& plan, const double* S, const double* H,
                                   double (*out)[B])
{
    CornerTerms<B> ta, tb;
    Sums<N, B> sum;
    for (int o = 0; o < N; ++o)
        for (int i = 0; i < B; ++i)
            sum.T[o][i] = 0;
    CornerTerms<B>* a = &ta;
    CornerTerms<B>* b = &tb;
    const int n = plan.n;
    for (int i = 0; i < B; ++i)
        cornerAt<M>(plan, plan.X[1], plan.Z[1], S[i], H[i], *a, i);
    for (int k = 1; k <= n; ++k) {
        if (plan.same[k])
            continue;
        const int next = k == n ? 1 : k + 1;
        edgeTerms<B, M>(plan, k, next, S, H, *a, *b, sum);
        std::swap(a, b);
    }
    for (int o = 0; o < N; ++o) {
        const double scale = plan.scale[o];
        for (int i = 0; i < B; ++i) {
            const double v = scale * sum.T[o][i];
            out[o][i] = std::fabs(v) <= MaxAnomaly ? v : 0.0;
        }
    }
}

template <int B, int N>
CORVANE_FAST_INLINE void anyBlock(const Plan<N>& plan, const double* S, const double* H,
                                  double (*out)[B])
{
    switch (plan.sides) {
    case Sides::Two: bodyBlock<B, Sides::Two>(plan, S, H, out); break;
    case Sides::Equal: bodyBlock<B, Sides::Equal>(plan, S, H, out); break;
    case Sides::One: bodyBlock<B, Sides::One>(plan, S, H, out); break;
    case Sides::None:
        for (int o = 0; o < N; ++o)
            for (int i = 0; i < B; ++i)
                out[o][i] = 0;
        break;
    }
}

// The body at stations [0, numStations) (stationHeight may be nullptr: all
// 0), block by block: block(S, H, count, v) is called with the stations of
// each block, how many of them are real and the sums, v[o][i] for station
// first + i. `full` and `small` are the caller's CORVANE_CLONES copies of
// anyBlock for the two block sizes.
template <int N, typename Full, typename Small, typename Store>
void forBlocks(const Plan<N>& plan, const double* stationX, const double* stationHeight,
               int numStations, Full full, Small small, Store store)
{
    alignas(64) double zeros[BlockSize] = {};
    alignas(64) double v[N][BlockSize];
    alignas(64) double S[SmallBlock];
    alignas(64) double H[SmallBlock];
    alignas(64) double vs[N][SmallBlock];
    int first = 0;
    for (; first + BlockSize <= numStations; first += BlockSize) {
        full(plan, stationX + first, stationHeight ? stationHeight + first : zeros, v);
        store(first, BlockSize, v);
    }
    for (; first < numStations; first += SmallBlock) {
        const int count = std::min(numStations - first, SmallBlock);
        // A short last block is padded with its last station.
        for (int i = 0; i < SmallBlock; ++i) {
            const int j = first + std::min(i, count - 1);
            S[i] = stationX[j];
            H[i] = stationHeight ? stationHeight[j] : 0.0;
        }
        small(plan, S, H, vs);
        store(first, count, vs);
    }
}

}  // namespace corvane::facekernel
