#include "real48.h"

#include <cmath>

namespace corvane {

namespace {
constexpr std::uint64_t FractionBits = 39;
constexpr std::uint64_t FractionOne = std::uint64_t{1} << FractionBits;
constexpr int Bias = 129;
}  // namespace

std::optional<Real48> encodeReal48(double x)
{
    Real48 out{};
    if (std::isnan(x) || std::isinf(x))
        return std::nullopt;
    if (x == 0)
        return out;
    const bool negative = std::signbit(x);
    // |x| = m * 2^p with m in [0.5, 1), so |x| = (2m) * 2^(p - 1) and 2m in [1, 2).
    int p = 0;
    const double m = std::frexp(std::fabs(x), &p);
    int e = p - 1 + Bias;
    // 2m - 1 scaled by 2^39 is exact in a double (53-bit mantissa); nearbyint
    // rounds the dropped bits to nearest, halves to even, in the default mode.
    auto f = static_cast<std::uint64_t>(std::nearbyint(std::ldexp(2 * m - 1, FractionBits)));
    if (f == FractionOne) {   // rounded up to the next power of two
        f = 0;
        ++e;
    }
    if (e > 255)
        return std::nullopt;
    if (e < 1) {
        // No subnormals: the choice is between 0 and 2^-128, halfway at 2^-129.
        if (e < 0)
            return out;
        e = 1;
        f = 0;
    }
    out[0] = static_cast<std::uint8_t>(e);
    const std::uint64_t field = f | (negative ? std::uint64_t{1} << FractionBits : 0);
    for (int i = 0; i < 5; ++i)
        out[static_cast<std::size_t>(1 + i)] = static_cast<std::uint8_t>(field >> (8 * i));
    return out;
}

double decodeReal48(const std::uint8_t* bytes)
{
    const int e = bytes[0];
    if (e == 0)
        return 0;
    std::uint64_t field = 0;
    for (int i = 0; i < 5; ++i)
        field |= std::uint64_t{bytes[1 + i]} << (8 * i);
    const std::uint64_t f = field & (FractionOne - 1);
    const bool negative = (field >> FractionBits) & 1;
    const double v = std::ldexp(static_cast<double>(FractionOne + f), e - Bias - static_cast<int>(FractionBits));
    return negative ? -v : v;
}

}  // namespace corvane
