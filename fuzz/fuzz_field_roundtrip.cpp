// Stations written in each style a spreadsheet or an editor writes (CSV,
// quoted CSV, semicolons with decimal commas, tabs, blanks; a heading row or
// none; LF, CR LF or CR; a UTF-8 mark or UTF-16) read back exactly: the same
// positions and anomalies, nothing skipped, the heading found on its own.
#include "fuzz_check.h"
#include "io/field_data.h"

#include <charconv>
#include <cmath>
#include <cstring>

using namespace corvane;

namespace {

std::string shortest(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string utf16(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 + 16)
        return 0;
    const unsigned style = data[0] % 5;
    const unsigned form = data[1];
    const bool heading = form & 1;
    const int lineEnd = (form >> 1) % 3;
    const bool utf8Mark = form & 8;
    const bool wide = form & 16;

    // Pairs of doubles from the bytes; stations in ascending order so that
    // nothing is sorted.
    std::vector<std::pair<double, double>> st;
    for (std::size_t i = 2; i + 16 <= size && st.size() < 200; i += 16) {
        double x = 0, g = 0;
        std::memcpy(&x, data + i, 8);
        std::memcpy(&g, data + i + 8, 8);
        if (!std::isfinite(x) || !std::isfinite(g) || !storable(x) || !storable(g))
            continue;
        if (!st.empty() && !(x > st.back().first))
            continue;
        st.emplace_back(x, g);
    }
    if (st.empty())
        return 0;

    const char* const ends[] = {"\n", "\r\n", "\r"};
    auto cell = [&](double v) {
        std::string s = shortest(v);
        if (style == 2)
            for (char& c : s)
                c = c == '.' ? ',' : c;
        if (style == 1)
            s = "\"" + s + "\"";
        return s;
    };
    const char* const seps[] = {",", ",", ";", "\t\t", "   "};
    std::string text;
    if (heading)
        text += std::string(style == 1 ? "\"x (km)\"" : "x (km)") + seps[style] + "g (mGal)" + ends[lineEnd];
    for (const auto& [x, g] : st)
        text += cell(x) + seps[style] + cell(g) + ends[lineEnd];
    if (wide)
        text = utf16(text);
    else if (utf8Mark)
        text = "\xEF\xBB\xBF" + text;

    const Result<FieldDataTable> read = readFieldDataText(text, "roundtrip");
    fuzz::require(read.ok(), "a written file is refused");
    const FieldDataTable& table = *read;
    ColumnChoice choice{1, 2, 2, 0, false};
    choice.commentLines = leadingNonStationLines(table, choice);
    fuzz::require(choice.commentLines == (heading ? 1 : 0), "heading rows miscounted");
    const StationList s = stationsFromTable(table, choice);
    fuzz::require(s.skipped.empty(), "a written line is skipped");
    fuzz::require(s.x.size() == st.size(), "station count");
    for (std::size_t i = 0; i < st.size(); ++i)
        fuzz::require(s.x[i] == st[i].first && s.g[i] == st[i].second, "a station reads back changed");
    return 0;
}
