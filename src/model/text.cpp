#include "text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corvane {

std::string itemNumber(double v)
{
    if (v == 0)
        v = 0;   // no "-0"
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string fixed(double x, int w, int d)
{
    if (x == 0)
        x = 0;   // no "-0.00"
    char buf[512];
    const int len = std::snprintf(buf, sizeof buf, "%*.*f", w, d, x);
    if (len < 0)
        return std::string();
    if (static_cast<std::size_t>(len) < sizeof buf)
        return std::string(buf, static_cast<std::size_t>(len));
    std::string big(static_cast<std::size_t>(len) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%*.*f", w, d, x);
    big.resize(static_cast<std::size_t>(len));
    return big;
}

std::string integer(long long v, int w)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*lld", w, v);
    return buf;
}

long long roundHalfEven(double x)
{
    return static_cast<long long>(std::nearbyint(x));
}

std::optional<double> parseNumber(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 400)
        return std::nullopt;
    // Only digits, one sign, a point and an exponent: strtod alone would also
    // take "nan", "inf" and hexadecimal.
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return std::nullopt;
    const std::string s(text);
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || end == s.c_str() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::vector<std::string> splitFields(std::string_view line)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

}  // namespace corvane
