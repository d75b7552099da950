#include "gravity_fast.h"
#include "gravity.h"

#include <algorithm>
#include <bit>
#include <cfloat>
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

using u64 = std::uint64_t;

// ---- branch-free elementary functions -------------------------------------
// Written as straight-line code with selects so that a loop calling them
// vectorises.

constexpr u64 MantissaMask = 0x000fffffffffffffULL;
constexpr u64 Magic52Bits = 0x4330000000000000ULL;   // the double 2^52
constexpr double Two52 = 4503599627370496.0;

// Minimax coefficients of fdlibm's log: ln((1+s)/(1-s)) = 2s + s*R(s^2),
// |s| <= 3 - 2*sqrt(2).
constexpr double Lg1 = 6.666666666666735130e-01;
constexpr double Lg2 = 3.999999999940941908e-01;
constexpr double Lg3 = 2.857142874366239149e-01;
constexpr double Lg4 = 2.222219843214978396e-01;
constexpr double Lg5 = 1.818357216161805012e-01;
constexpr double Lg6 = 1.531383769920937332e-01;
constexpr double Lg7 = 1.479819860511658591e-01;
constexpr double Ln2Hi = 6.93147180369123816490e-01;   // trailing zeros: k * Ln2Hi is exact
constexpr double Ln2Lo = 1.90821492927058770002e-10;

// ln(x) for positive normal x, as fdlibm and musl compute it: x = 2^k * m with
// m in [sqrt2/2, sqrt2), found with integer arithmetic on the bits (k is made
// a double through the bits too: plain AVX2 has no 64-bit integer conversion),
// then ln(m) = f - f^2/2 + s*(f^2/2 + R(s^2)), f = m - 1, s = f / (2 + f).
constexpr u64 Sqrt2HalfOffset = (0x3ff00000ULL - 0x3fe6a09eULL) << 32;
constexpr u64 Sqrt2HalfHigh = 0x3fe6a09eULL << 32;

CORVANE_INLINE double logInline(double x)
{
    const u64 u = std::bit_cast<u64>(x) + Sqrt2HalfOffset;
    const double k = std::bit_cast<double>((u >> 52) | Magic52Bits) - (Two52 + 1023.0);
    const double m = std::bit_cast<double>((u & MantissaMask) + Sqrt2HalfHigh);
    const double f = m - 1.0;
    const double hfsq = 0.5 * f * f;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
    const double t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
    const double R = t2 + t1;
    return s * (hfsq + R) + k * Ln2Lo - hfsq + f + k * Ln2Hi;
}

// The reference's safeLogRatio, to the last bit of its quotient: ln(num / den),
// or 0 where the quotient is not positive or not finite (in the fast domain a
// positive quotient is never subnormal). The quotient is
// formed first, as there: with a long strike it lies within 1e-6 of 1, and
// its rounding is what the logarithm then sees.
CORVANE_INLINE double safeLogRatioInline(double num, double den)
{
    const double q = num / den;
    const bool ok = (q >= DBL_MIN) & (q <= DBL_MAX);
    const double l = logInline(ok ? q : 1.0);
    return ok ? l : 0.0;
}

// fdlibm's arc tangent polynomial, valid for |u| <= 7/16.
constexpr double aT0 = 3.33333333333329318027e-01;
constexpr double aT1 = -1.99999999998764832476e-01;
constexpr double aT2 = 1.42857142725034663711e-01;
constexpr double aT3 = -1.11111104054623557880e-01;
constexpr double aT4 = 9.09088713343650656196e-02;
constexpr double aT5 = -7.69187620504482999495e-02;
constexpr double aT6 = 6.66107313738753120669e-02;
constexpr double aT7 = -5.83357013379057348645e-02;
constexpr double aT8 = 4.97687799461593236017e-02;
constexpr double aT9 = -3.65315727442169155270e-02;
constexpr double aT10 = 1.62858201153657823623e-02;
constexpr double QuarterPiHi = 7.85398163397448278999e-01;
constexpr double QuarterPiLo = 3.06161699786838301793e-17;
constexpr double HalfPiHi = 1.57079632679489655800e+00;
constexpr double HalfPiLo = 6.12323399573676603587e-17;
constexpr double PiHi = 3.14159265358979311600e+00;
constexpr double PiLo = 1.22464679914735317720e-16;
constexpr double TanEighthPi = 0.41421356237309504880;

// atan2(y, x) for finite arguments, with atan2(0, 0) = 0. The ratio of the
// smaller to the larger magnitude is reduced to |u| <= tan(pi/8) with one
// division, then the quadrant is restored.
CORVANE_INLINE double arcTan2Inline(double y, double x)
{
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    const bool steep = ay > ax;
    const double hi = steep ? ay : ax;
    const double lo = steep ? ax : ay;
    const bool mid = lo > TanEighthPi * hi;
    const double num = mid ? lo - hi : lo;
    double den = mid ? lo + hi : hi;
    den = den > 0 ? den : 1.0;
    const double u = num / den;
    const double z = u * u;
    const double w = z * z;
    const double s1 = z * (aT0 + w * (aT2 + w * (aT4 + w * (aT6 + w * (aT8 + w * aT10)))));
    const double s2 = w * (aT1 + w * (aT3 + w * (aT5 + w * (aT7 + w * aT9))));
    const double poly = u * (s1 + s2);
    double a = mid ? QuarterPiHi - ((poly - QuarterPiLo) - u) : u - poly;
    a = steep ? (HalfPiHi - a) + HalfPiLo : a;
    a = x < 0 ? (PiHi - a) + PiLo : a;
    return std::copysign(a, y);
}

// ---- the block kernel -----------------------------------------------------

// How many strike sides need computing: a side of length 0 adds exactly 0.
enum class Sides { None, One, Equal, Two };

struct Plan {
    int n = 0;                  // NumCorners
    double X[MaxCorners + 1] = {};   // corner k at [k]
    double Z[MaxCorners + 1] = {};
    bool same[MaxCorners + 1] = {};  // corner k equals its successor: edge k adds nothing
    Sides sides = Sides::None;
    double y1 = 0, y2 = 0;      // One / Equal: the side in use is y1
    double y1sq = 0, y2sq = 0;
    double scale = 0;           // -Density * GravityFactor
    bool unitsKm = true;
};

// Terms of one corner at every station of the block.
template <int B>
struct CornerTerms {
    alignas(64) double x[B];     // CornerX - S
    alignas(64) double R1[B];    // sqrt(r^2 + y1^2)
    alignas(64) double R2[B];    // sqrt(r^2 + y2^2)   (Two only)
    alignas(64) double lam[B];   // ln((y1 + R1) / r) + ln((y2 + R2) / r): the H and K logarithm
};

template <int B>
struct Sums {
    alignas(64) double E1[B];
    alignas(64) double E2[B];
    alignas(64) double F[B];
    alignas(64) double H[B];
    alignas(64) double K[B];
};

// Terms of one corner at station i.
template <Sides M, int B>
CORVANE_INLINE void cornerAt(const Plan& plan, double X, double Z, double S, CornerTerms<B>& c,
                             int i)
{
    const double x = X - S;
    double r = std::sqrt(x * x + Z * Z);
    r = r < RadiusFloor ? RadiusFloor : r;
    const double rr = r * r;
    const double R1 = std::sqrt(rr + plan.y1sq);
    c.x[i] = x;
    c.R1[i] = R1;
    if constexpr (M == Sides::Two) {
        const double R2 = std::sqrt(rr + plan.y2sq);
        c.R2[i] = R2;
        c.lam[i] = logInline((plan.y1 + R1) * (plan.y2 + R2) / rr);
    } else {
        c.lam[i] = logInline((plan.y1 + R1) / r);
    }
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

template <int B, Sides M>
CORVANE_INLINE void edgeTerms(const Plan& plan, double X2, double z1, double z2, const double* S,
                              const CornerTerms<B>& a, CornerTerms<B>& b, Sums<B>& sum)
{
    const double dz = z2 - z1;
    const double dzz = dz * dz;
    const double y1 = plan.y1, y2 = plan.y2, y1sq = plan.y1sq, y2sq = plan.y2sq;
    for (int i = 0; i < B; ++i) {
        cornerAt<M>(plan, X2, z2, S[i], b, i);
        // The edge geometry exactly as the reference computes it.
        const double x1 = a.x[i], x2 = b.x[i];
        const double dx = x2 - x1;
        const double L = std::sqrt(dx * dx + dzz);
        // A zero-length edge adds nothing: with L taken as 1 its direction
        // (c, s) is (0, 0), and every term below carries the factor c.
        const double Ld = L > 0 ? L : 1.0;
        const double c = dx / Ld, s = dz / Ld;
        const double t1 = c * x1 + s * z1;
        const double t2 = c * x2 + s * z2;
        const double p = c * z1 - s * x1;

        const double e1 = safeLogRatioInline(t2 + b.R1[i], t1 + a.R1[i]);
        double theta;
        if constexpr (M == Sides::Two) {
            const double e2 = safeLogRatioInline(t2 + b.R2[i], t1 + a.R2[i]);
            sum.E2[i] -= c * y2 * e2;
            // Both sides' angles at once: the argument of the product of the
            // two complex numbers, unwrapped to the sum's range (-2pi, 2pi).
            double n1, d1, n2, d2;
            angleParts(y1, y1sq, p, t1, t2, a.R1[i], b.R1[i], n1, d1);
            angleParts(y2, y2sq, p, t1, t2, a.R2[i], b.R2[i], n2, d2);
            double phi = arcTan2Inline(d1 * n2 + n1 * d2, d1 * d2 - n1 * n2);
            phi = ((n1 > 0) & (n2 > 0) & (phi < 0)) ? phi + TwoPi : phi;
            phi = ((n1 < 0) & (n2 < 0) & (phi > 0)) ? phi - TwoPi : phi;
            theta = phi;
        } else {
            double n1, d1;
            angleParts(y1, y1sq, p, t1, t2, a.R1[i], b.R1[i], n1, d1);
            theta = arcTan2Inline(n1, d1);
        }
        sum.E1[i] -= c * y1 * e1;
        // p = 0 (station on the edge's line) gives c*p*theta = 0: no angle term.
        sum.F[i] -= c * p * theta;
        sum.H[i] -= c * t2 * b.lam[i];
        sum.K[i] -= c * t1 * a.lam[i];
    }
}

template <int B, Sides M>
CORVANE_INLINE void bodyBlock(const Plan& plan, const double* S, double* out)
{
    CornerTerms<B> ta, tb;
    Sums<B> sum;
    for (int i = 0; i < B; ++i)
        sum.E1[i] = sum.E2[i] = sum.F[i] = sum.H[i] = sum.K[i] = 0;
    CornerTerms<B>* a = &ta;
    CornerTerms<B>* b = &tb;
    const int n = plan.n;
    if (n >= 1)
        for (int i = 0; i < B; ++i)
            cornerAt<M>(plan, plan.X[1], plan.Z[1], S[i], *a, i);
    for (int k = 1; k <= n; ++k) {
        if (plan.same[k])
            continue;   // zero length at every station; the start corner stays
        const int next = k == n ? 1 : k + 1;
        edgeTerms<B, M>(plan, plan.X[next], plan.Z[k], plan.Z[next], S, *a, *b, sum);
        std::swap(a, b);
    }
    const double scale = plan.scale;
    const bool km = plan.unitsKm;
    for (int i = 0; i < B; ++i) {
        double T;
        if constexpr (M == Sides::Two)
            T = (sum.E1[i] + sum.E2[i]) - sum.F[i] + sum.H[i] - sum.K[i];
        else if constexpr (M == Sides::Equal)
            T = (sum.E1[i] + sum.E1[i]) - sum.F[i] - sum.F[i] + sum.H[i] + sum.H[i] - sum.K[i] -
                sum.K[i];
        else
            T = sum.E1[i] - sum.F[i] + sum.H[i] - sum.K[i];
        double g = scale * (std::isfinite(T) ? T : 0.0);
        g = km ? g : g * MetreFactor;
        // As the reference: a body never puts an unusable value in.
        out[i] = std::fabs(g) <= MaxAnomaly ? g : 0.0;
    }
}

template <int B>
CORVANE_INLINE void anyBlock(const Plan& plan, const double* S, double* out)
{
    switch (plan.sides) {
    case Sides::Two: bodyBlock<B, Sides::Two>(plan, S, out); break;
    case Sides::Equal: bodyBlock<B, Sides::Equal>(plan, S, out); break;
    case Sides::One: bodyBlock<B, Sides::One>(plan, S, out); break;
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
    anyBlock<BlockSize>(plan, S, out);
}

CORVANE_CLONES
void smallBlockAnomaly(const Plan& plan, const double* S, double* out)
{
    anyBlock<SmallBlock>(plan, S, out);
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
        plan.same[k] = plan.X[k] == plan.X[next] && plan.Z[k] == plan.Z[next];
    }
    const double y1 = body.StrikeLength1, y2 = body.StrikeLength2;
    if (y1 == 0 && y2 == 0) {
        plan.sides = Sides::None;
    } else if (y1 == 0 || y2 == 0) {
        plan.sides = Sides::One;
        plan.y1 = y1 == 0 ? y2 : y1;
    } else if (y1 == y2) {
        plan.sides = Sides::Equal;
        plan.y1 = y1;
    } else {
        plan.sides = Sides::Two;
        plan.y1 = y1;
        plan.y2 = y2;
    }
    plan.y1sq = plan.y1 * plan.y1;
    plan.y2sq = plan.y2 * plan.y2;
    plan.scale = -body.Density * GravityFactor;
    plan.unitsKm = unitsKm;
}

bool sane(double v) { return std::fabs(v) <= MaxMagnitude; }   // false for NaN too

}  // namespace

bool fastDomain(const Tbody& body, const double* stationX, int numStations)
{
    const int n = body.NumCorners;
    if (n < 0 || n > MaxCorners)
        return false;
    for (int k = 1; k <= n; ++k)
        if (!sane(body.CornerX[k]) || !sane(body.CornerZ[k]))
            return false;
    for (double y : {body.StrikeLength1, body.StrikeLength2})
        if (!(y >= 0) || !sane(y))
            return false;
    for (int i = 0; i < numStations; ++i)
        if (!sane(stationX[i]))
            return false;
    return true;
}

void fastAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                 double* out)
{
    Plan plan;
    makePlan(body, unitsKm, plan);
    alignas(64) double S[SmallBlock];
    alignas(64) double g[SmallBlock];
    int first = 0;
    for (; first + BlockSize <= numStations; first += BlockSize)
        blockAnomaly(plan, stationX + first, out + first);
    for (; first < numStations; first += SmallBlock) {
        const int count = std::min(numStations - first, SmallBlock);
        // A short last block is padded with its last station.
        for (int i = 0; i < SmallBlock; ++i)
            S[i] = stationX[first + std::min(i, count - 1)];
        smallBlockAnomaly(plan, S, g);
        for (int i = 0; i < count; ++i)
            out[first + i] = g[i];
    }
}

double logOf(double x) { return logInline(x); }

double arcTan2(double y, double x) { return arcTan2Inline(y, x); }

}  // namespace corvane::fast
