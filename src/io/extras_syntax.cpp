// The extras block's line syntax: fields read and checked, numbers written
// so that they read back the same, the checksum and the quoting in messages.
#include "extras_syntax.h"

#include "io/model_extras.h"
#include "io/text_lines.h"
#include "model/magnetic_limits.h"
#include "model/text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace corvane {

namespace extras {

std::optional<std::string_view> Item::rest(std::size_t n) const
{
    std::size_t pos = key.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (pos >= line.size() || line[pos] != ' ')
            return std::nullopt;
        const std::size_t end = line.find(' ', pos + 1);
        if (end == std::string_view::npos || end == pos + 1)
            return std::nullopt;
        pos = end;
    }
    if (pos >= line.size() || line[pos] != ' ')
        return std::nullopt;
    return line.substr(pos + 1);
}

namespace {

bool readDouble(std::string_view s, double& out)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool readInt(std::string_view s, int lo, int hi, int& out)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    long long v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool readFlag(std::string_view s, bool& out)
{
    if (s != "0" && s != "1")
        return false;
    out = s == "1";
    return true;
}

}  // namespace

void splitFields(std::string_view s, std::vector<std::string_view>& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t')
            ++j;
        if (j > i)
            out.push_back(s.substr(i, j - i));
        i = j;
    }
}

// The next line of s from pos, without its line end; pos moves past it.
bool nextLine(std::string_view s, std::size_t& pos, std::string_view& line)
{
    if (pos >= s.size())
        return false;
    const std::size_t eol = std::min(s.find('\n', pos), s.size());
    line = s.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    pos = std::min(eol + 1, s.size());
    return true;
}

std::string lineProblem(int number, const std::string& why)
{
    return "Line " + std::to_string(number) + " of the extras could not be read: " + why + ".";
}

bool count(const Item& it, std::size_t n, std::string& why)
{
    if (it.fields.size() == n)
        return true;
    why = "\"" + std::string(it.key) + "\" takes " + std::to_string(n) + " field" + (n == 1 ? "" : "s") +
          ", this line has " + std::to_string(it.fields.size());
    return false;
}

bool atLeast(const Item& it, std::size_t n, std::string& why)
{
    if (it.fields.size() >= n)
        return true;
    why = "\"" + std::string(it.key) + "\" takes at least " + std::to_string(n) + " fields";
    return false;
}

bool num(const Item& it, std::size_t i, double& out, std::string& why)
{
    if (readDouble(it.fields[i], out))
        return true;
    why = extrasQuote(it.fields[i]) + " is not a number";
    return false;
}

bool within(const Item& it, std::size_t i, const MagneticLimit& limit, double& out, std::string& why)
{
    if (!num(it, i, out, why))
        return false;
    if (limit.holds(out))
        return true;
    why = limit.refusal();
    return false;
}

bool whole(const Item& it, std::size_t i, int lo, int hi, int& out, std::string& why)
{
    if (readInt(it.fields[i], lo, hi, out))
        return true;
    why = extrasQuote(it.fields[i]) + " is not a whole number from " + std::to_string(lo) + " to " +
          std::to_string(hi);
    return false;
}

bool flag(const Item& it, std::size_t i, bool& out, std::string& why)
{
    if (readFlag(it.fields[i], out))
        return true;
    why = extrasQuote(it.fields[i]) + " is not 0 or 1";
    return false;
}

bool text(const Item& it, std::size_t n, std::string& out, std::string& why)
{
    const auto r = it.rest(n);
    if (!r) {
        why = "\"" + std::string(it.key) + "\" needs its text after " + std::to_string(n) +
              " field" + (n == 1 ? "" : "s") + " and one blank";
        return false;
    }
    out = std::string(*r);
    return true;
}

Out& Out::operator<<(double v)
{
    s_ += ' ';
    s_ += extrasNumber(v);
    return *this;
}

Out& Out::operator<<(int v)
{
    s_ += ' ';
    s_ += std::to_string(v);
    return *this;
}

}  // namespace extras

std::string extrasNumber(double v) { return itemNumber(v); }

std::string extrasChecksum(std::string_view bytes)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = table[(c ^ static_cast<std::uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", c ^ 0xFFFFFFFFu);
    return buf;
}

std::string extrasQuote(std::string_view s)
{
    constexpr std::size_t Shown = 60;   // a bad line may be megabytes long
    const std::string start = firstCharacters(s, Shown);
    return "\"" + start + (start.size() < s.size() ? "...\"" : "\"");
}

}  // namespace corvane
