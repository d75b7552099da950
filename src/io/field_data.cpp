#include "io/field_data.h"

#include "io/real48.h"
#include "model/model.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvane {

std::string tooFewStationsMessage(std::size_t found)
{
    return "The field data give " + std::to_string(found) +
           " usable station(s); at least two stations at different positions are needed. "
           "The model is unchanged.";
}

SplitLine SplitFields(std::string_view line, Commas commas)
{
    if (line.size() > FieldDataLineLength)
        line = line.substr(0, FieldDataLineLength);
    SplitLine out;
    out.commas = commas;
    for (const std::string_view field : splitLine(line, commas, MaxFieldsPerLine)) {
        out.whole[out.count] = std::string(field);
        out.fields[out.count] = std::string(field.substr(0, FieldWidth));
        ++out.count;
    }
    return out;
}

FieldDataTable readFieldDataText(std::string_view text)
{
    FieldDataTable table;
    const Commas commas = commasOf(text);
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<int>(table.lines.size()) < MaxFieldDataLines) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        table.lines.push_back(SplitFields(text.substr(pos, end - pos), commas));
        table.maxFields = std::max(table.maxFields, table.lines.back().count);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
    table.linesDropped = pos < text.size();
    return table;
}

bool storable(double v) { return std::fabs(v) <= Real48Max; }

namespace {

std::optional<double> storableValue(std::optional<double> v)
{
    if (v && !storable(*v))
        return std::nullopt;
    return v;
}

}  // namespace

std::optional<double> storableNumber(const std::string& text)
{
    return storableValue(parseNumber(text));
}

std::optional<double> fieldNumber(const SplitLine& line, int j)
{
    if (j < 1 || j > line.count)
        return std::nullopt;
    return storableValue(fieldValue(line.whole[static_cast<std::size_t>(j - 1)], line.commas));
}

bool hasNonNumber(const SplitLine& line)
{
    for (int j = 1; j <= line.count; ++j)
        if (!fieldNumber(line, j))
            return true;
    return false;
}

void sortByPosition(StationList& s)
{
    if (std::is_sorted(s.x.begin(), s.x.end()))
        return;
    std::vector<std::size_t> order(s.x.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return s.x[a] < s.x[b]; });
    std::vector<double> x, g, h;
    x.reserve(order.size());
    g.reserve(order.size());
    h.reserve(order.size());
    for (std::size_t i : order) {
        x.push_back(s.x[i]);
        g.push_back(s.g[i]);
        h.push_back(i < s.h.size() ? s.h[i] : 0.0);
    }
    s.x = std::move(x);
    s.g = std::move(g);
    s.h = std::move(h);
    s.sorted = true;
}

bool appendStation(StationList& s, double x, double g, double h)
{
    if (static_cast<int>(s.x.size()) >= MaxStations) {
        s.truncated = true;
        return false;
    }
    s.h.resize(s.x.size(), 0.0);   // a list filled without heights
    s.x.push_back(x);
    s.g.push_back(g);
    s.h.push_back(h);
    return true;
}

StationList stationsFromTable(const FieldDataTable& table, const ColumnChoice& choice)
{
    StationList s;
    const std::size_t first = static_cast<std::size_t>(std::max(choice.commentLines, 0));
    bool haveOrigin = false;
    double x0 = 0, y0 = 0;
    for (std::size_t r = first; r < table.lines.size(); ++r) {
        const SplitLine& line = table.lines[r];
        const auto x = fieldNumber(line, choice.xColumn);
        const auto g = fieldNumber(line, choice.gravityColumn);
        if (!x || !g)
            continue;
        double height = choice.constantHeight;
        if (choice.heightData) {
            const auto h = fieldNumber(line, choice.heightColumn);
            if (!h)
                continue;
            height = *h;
        }
        double position = *x;
        if (choice.xyData) {
            const auto y = fieldNumber(line, choice.yColumn);
            if (!y)
                continue;
            // The first line that reads in full is the origin: a heading or a
            // broken line there must not shift every position.
            if (!haveOrigin) {
                haveOrigin = true;
                x0 = *x;
                y0 = *y;
            }
            position = std::hypot(*x - x0, *y - y0);
            // Two storable coordinates can still lie further apart than that.
            if (!storable(position))
                continue;
        }
        if (!appendStation(s, position, *g, height))
            break;
    }
    sortByPosition(s);
    return s;
}

}  // namespace corvane
