#pragma once
// The six-byte real of the model files: byte 0 the biased exponent e (0 means
// the value 0), bytes 1 to 5 a little-endian 40-bit field with the fraction in
// bits 0 to 38 and the sign in bit 39. The value is
// (-1)^s * (1 + f / 2^39) * 2^(e - 129).
#include <array>
#include <cstdint>
#include <cstddef>
#include <optional>
#include <string_view>

namespace corvane {

using Real48 = std::array<std::uint8_t, 6>;

// The largest magnitude the format holds, (2 - 2^-39) * 2^126, and the
// smallest non-zero one, 2^-128.
inline constexpr double Real48Max = 1.7014118346031449e38;
inline constexpr double Real48MinPositive = 2.938735877055719e-39;

// The nearest six-byte real to x (halves to an even fraction). Magnitudes
// below the smallest one round to 0 or to it, whichever is nearer. NaN,
// infinities and magnitudes that would round beyond the largest give nothing.
std::optional<Real48> encodeReal48(double x);

// Exact: every six-byte real is a double.
double decodeReal48(const std::uint8_t* bytes);
inline double decodeReal48(const Real48& r) { return decodeReal48(r.data()); }

// Reads six-byte records in order; says how many whole records are left.
class Real48Reader {
public:
    explicit Real48Reader(std::string_view bytes) : bytes_(bytes) {}

    bool get(double& v)
    {
        if (bytes_.size() - pos_ < 6)
            return false;
        v = decodeReal48(reinterpret_cast<const std::uint8_t*>(bytes_.data() + pos_));
        pos_ += 6;
        return true;
    }

    std::size_t recordsLeft() const { return (bytes_.size() - pos_) / 6; }
    void skip(std::size_t records) { pos_ += 6 * records; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace corvane
