#pragma once
// Branch-free logarithm and arc tangent for the vectorised anomaly kernels:
// straight-line code with selects, so that a loop calling them vectorises
// (fdlibm's polynomials with a cheaper reduction).
#include <bit>
#include <cmath>
#include <cstdint>

#define CORVANE_FAST_INLINE [[gnu::always_inline]] inline

namespace corvane::fastmath {

using u64 = std::uint64_t;

constexpr u64 Magic52Bits = 0x4330000000000000ULL;   // the double 2^52

// ln((1+s)/(1-s)) = 2s + s*z*P(z), z = s^2: P is the Chebyshev fit of degree
// 7 for |s| <= 0.2013 (error under 3e-17), fdlibm's form widened a little for
// the cheaper reduction below.
constexpr double P0 = 0.6666666666666666;
constexpr double P1 = 0.40000000000008523;
constexpr double P2 = 0.2857142856701462;
constexpr double P3 = 0.2222222309164114;
constexpr double P4 = 0.18181734246400322;
constexpr double P5 = 0.1538900212516573;
constexpr double P6 = 0.13207080082069364;
constexpr double P7 = 0.13629110721861268;
constexpr double Ln2Hi = 6.93147180369123816490e-01;   // trailing zeros: k * Ln2Hi is exact
constexpr double Ln2Lo = 1.90821492927058770002e-10;

// ln((1 + s) / (1 - s)) + k ln 2 for |s| <= 0.2013.
CORVANE_FAST_INLINE double logFinish(double s, double k)
{
    const double z = s * s;
    const double w = z * z;
    const double even = P0 + w * (P2 + w * (P4 + w * P6));
    const double odd = P1 + w * (P3 + w * (P5 + w * P7));
    const double R = z * (even + z * odd);
    return ((s * R + k * Ln2Lo) + (s + s)) + k * Ln2Hi;
}

// The reduction of ln(num / den), num and den in [1e-150, 1e150], without
// forming the quotient. The difference of the two numbers' bit patterns is
// 2^52 times an estimate of log2(num / den) good to 0.087 (each exponent
// plus mantissa - 1, the mantissa's logarithm read as a straight line);
// rounded, it is the k for which den * 2^k (exact: an exponent change) is
// within a factor 1.51 of num. Then ln(num / den) = k ln 2 + ln((1+s)/(1-s))
// with s = (num - den 2^k) / (num + den 2^k), |s| <= 0.2013; the subtraction
// is exact. Returned as the numerator and denominator of s so that the caller
// can choose before the one division. Integer operations only where plain
// AVX2 has them: no arithmetic shift, no conversion of 64-bit integers (k is
// made a double through the bits of 2^52 + k).
constexpr u64 ExponentBias = 2048ULL << 52;   // keeps the shifted difference positive
constexpr u64 HalfExponent = 1ULL << 51;      // rounds the estimate to nearest

CORVANE_FAST_INLINE void logRatioParts(double num, double den, double& sNum, double& sDen, double& k)
{
    const u64 un = std::bit_cast<u64>(num);
    const u64 ud = std::bit_cast<u64>(den);
    const u64 kb = (un - ud + (ExponentBias + HalfExponent)) >> 52;   // k + 2048
    const double scaled = std::bit_cast<double>(ud + (kb << 52) - ExponentBias);
    k = std::bit_cast<double>(kb | Magic52Bits) - (4503599627370496.0 + 2048.0);
    sNum = num - scaled;
    sDen = num + scaled;
}

// ln(num / den) for num and den in [1e-150, 1e150]: one division, where the
// logarithm of a quotient takes two, and no rounding of the quotient.
CORVANE_FAST_INLINE double logRatioInline(double num, double den)
{
    double sNum, sDen, k;
    logRatioParts(num, den, sNum, sDen, k);
    return logFinish(sNum / sDen, k);
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
CORVANE_FAST_INLINE double arcTan2Inline(double y, double x)
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

}  // namespace corvane::fastmath
