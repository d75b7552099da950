#include "io/real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using corvane::decodeReal48;
using corvane::encodeReal48;
using corvane::Real48;
using corvane::Real48Max;
using corvane::Real48MinPositive;

namespace {

Real48 enc(double x)
{
    auto r = encodeReal48(x);
    EXPECT_TRUE(r.has_value()) << x;
    return r.value_or(Real48{});
}

// The format's value of (e, f, s), computed independently of the decoder.
double value(int e, std::uint64_t f, bool negative)
{
    const double v = (1.0 + static_cast<double>(f) / 549755813888.0) * std::pow(2.0, e - 129);
    return negative ? -v : v;
}

Real48 bytes(int e, std::uint64_t f, bool negative)
{
    Real48 r{};
    r[0] = static_cast<std::uint8_t>(e);
    const std::uint64_t field = f | (negative ? std::uint64_t{1} << 39 : 0);
    for (int i = 0; i < 5; ++i)
        r[static_cast<std::size_t>(1 + i)] = static_cast<std::uint8_t>(field >> (8 * i));
    return r;
}

}  // namespace

TEST(Real48, KnownValuesByteForByte)
{
    const struct {
        double x;
        Real48 r;
    } known[] = {
        {0.0, {0x00, 0, 0, 0, 0, 0x00}},
        {1.0, {0x81, 0, 0, 0, 0, 0x00}},
        {-1.0, {0x81, 0, 0, 0, 0, 0x80}},
        {3.0, {0x82, 0, 0, 0, 0, 0x40}},
        {10.0, {0x84, 0, 0, 0, 0, 0x20}},
        {100.0, {0x87, 0, 0, 0, 0, 0x48}},
        {0.5, {0x80, 0, 0, 0, 0, 0x00}},
        {-2.5, {0x82, 0, 0, 0, 0, 0xA0}},
    };
    for (const auto& k : known) {
        EXPECT_EQ(enc(k.x), k.r) << k.x;
        EXPECT_EQ(decodeReal48(k.r), k.x) << k.x;
    }
    // Negative zero is still written as six zero bytes.
    EXPECT_EQ(enc(-0.0), Real48{});
}

TEST(Real48, ZeroExponentReadsAsZeroWhateverTheRest)
{
    EXPECT_EQ(decodeReal48(Real48{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0);
    EXPECT_EQ(decodeReal48(Real48{0, 0x12, 0, 0, 0, 0x80}), 0.0);
}

TEST(Real48, ReadingIsExactOverTheWholeRange)
{
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const int e = 1 + static_cast<int>(rng() % 255);
        const std::uint64_t f = rng() & ((std::uint64_t{1} << 39) - 1);
        const bool neg = rng() & 1;
        const Real48 r = bytes(e, f, neg);
        EXPECT_EQ(decodeReal48(r), value(e, f, neg));
        // Every six-byte real with e > 0 survives a round trip bit for bit.
        EXPECT_EQ(enc(decodeReal48(r)), r);
    }
    EXPECT_EQ(decodeReal48(bytes(255, (std::uint64_t{1} << 39) - 1, false)), Real48Max);
    EXPECT_EQ(decodeReal48(bytes(1, 0, false)), Real48MinPositive);
}

TEST(Real48, WritingRoundsToTheNearestValue)
{
    // Doubles of all sizes and signs: the written value is within half a unit
    // of the 39-bit fraction of the original.
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    std::uniform_int_distribution<int> expo(-120, 120);
    for (int i = 0; i < 20000; ++i) {
        const double x = std::ldexp(mant(rng), expo(rng));
        if (std::fabs(x) < Real48MinPositive)
            continue;
        const double back = decodeReal48(enc(x));
        int p = 0;
        std::frexp(x, &p);
        const double halfUnit = std::ldexp(1.0, p - 1 - 40);
        EXPECT_LE(std::fabs(back - x), halfUnit) << x;
        EXPECT_EQ(std::signbit(back), std::signbit(x));
    }
    // Ordinary model numbers keep 11 significant digits.
    for (double x : {0.1, -0.35, 2.675, 1234.5678, -98765.4321, 6.673e-3, 1e-7, 123456789.123})
        EXPECT_NEAR(decodeReal48(enc(x)), x, std::fabs(x) * 1e-11) << x;
}

TEST(Real48, HalfwayFractionsRoundToEven)
{
    // 1 + (2k + 1) * 2^-40 lies halfway between the fractions k and k + 1
    // (in units of 2^-39); the even one wins.
    const double halfUlp = std::ldexp(1.0, -40);
    EXPECT_EQ(enc(1.0 + halfUlp), bytes(129, 0, false));        // between 0 and 1: 0
    EXPECT_EQ(enc(1.0 + 3 * halfUlp), bytes(129, 2, false));    // between 1 and 2: 2
    EXPECT_EQ(enc(-(1.0 + 5 * halfUlp)), bytes(129, 2, true));  // between 2 and 3: 2
    EXPECT_EQ(enc(1.0 + 7 * halfUlp), bytes(129, 4, false));
    // Just off halfway goes to the nearer neighbour.
    EXPECT_EQ(enc(1.0 + halfUlp + std::ldexp(1.0, -50)), bytes(129, 1, false));
    // A fraction that rounds up past 2 - 2^-39 carries into the exponent.
    EXPECT_EQ(enc(2.0 - std::ldexp(1.0, -41)), bytes(130, 0, false));
}

TEST(Real48, OutOfRangeValues)
{
    EXPECT_FALSE(encodeReal48(std::nan("")).has_value());
    EXPECT_FALSE(encodeReal48(INFINITY).has_value());
    EXPECT_FALSE(encodeReal48(-INFINITY).has_value());
    EXPECT_FALSE(encodeReal48(1e39).has_value());
    EXPECT_FALSE(encodeReal48(-std::ldexp(1.0, 127)).has_value());
    EXPECT_FALSE(encodeReal48(1e300).has_value());
    EXPECT_EQ(decodeReal48(enc(Real48Max)), Real48Max);
    EXPECT_EQ(decodeReal48(enc(-Real48Max)), -Real48Max);

    // Below the smallest magnitude: the nearer of 0 and 2^-128.
    EXPECT_EQ(enc(1e-300), Real48{});
    EXPECT_EQ(enc(std::ldexp(0.99, -129)), Real48{});
    EXPECT_EQ(enc(std::ldexp(1.01, -129)), bytes(1, 0, false));
    EXPECT_EQ(enc(-std::ldexp(1.9, -129)), bytes(1, 0, true));
    EXPECT_EQ(decodeReal48(enc(Real48MinPositive)), Real48MinPositive);
}
