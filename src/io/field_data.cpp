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

std::string skippedStationsNote(const StationList& s)
{
    std::string note = skippedLinesNote(s.skipped, "of the field data");
    if (!s.cut.empty()) {
        note += note.empty() ? "" : " ";
        note += s.cut.size() == 1 ? "Line " : "Lines ";
        for (std::size_t i = 0; i < s.cut.size() && i < 5; ++i)
            note += (i ? ", " : "") + std::to_string(s.cut[i]);
        note += s.cut.size() > 5 ? ", ..." : "";
        note += s.cut.size() == 1 ? " holds a number cut at column 80." : " hold numbers cut at column 80.";
    }
    return note;
}

SplitLine SplitFields(std::string_view line, Commas commas)
{
    const bool cut = cutAtColumn80(line);
    line = line.substr(0, firstCharacters(line, FieldDataLineLength).size());
    SplitLine out;
    out.commas = commas;
    for (const std::string_view field : splitLine(line, commas, MaxFieldsPerLine)) {
        out.whole[out.count] = std::string(field);
        out.fields[out.count] = std::string(field.substr(0, FieldWidth));
        ++out.count;
    }
    // The field that ends at column 80 is the one cut, if any reached it.
    if (cut && out.count > 0) {
        const auto all = splitLine(line, commas, 64);
        if (static_cast<int>(all.size()) == out.count)
            out.cutField = out.count;
    }
    return out;
}

FieldDataTable readFieldDataText(std::string_view bytes, const std::string& fileName)
{
    FieldDataTable table;
    const auto text = decodeText(bytes, fileName, table.problem);
    if (!text)
        return table;
    std::vector<std::string_view> lines = textLines(*text);
    if (lines.size() > static_cast<std::size_t>(MaxFieldDataLines)) {
        lines.resize(MaxFieldDataLines);
        table.linesDropped = true;
    }
    std::vector<std::string_view> kept(lines.size());
    std::vector<int> numbers(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        kept[i] = std::string_view(lines[i]).substr(0, firstCharacters(lines[i], FieldDataLineLength).size());
        numbers[i] = static_cast<int>(i) + 1;
    }
    const CommaDecision commas = decideCommas(kept, numbers, 2, fileName);
    if (!commas.problem.empty()) {
        table.problem = commas.problem;
        table.linesDropped = false;
        return table;
    }
    for (const std::string_view line : lines) {
        table.lines.push_back(SplitFields(line, commas.commas));
        table.maxFields = std::max(table.maxFields, table.lines.back().count);
    }
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
    if (j < 1 || j > line.count || j == line.cutField)
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

bool isStationLine(const SplitLine& line, const ColumnChoice& choice)
{
    return fieldNumber(line, choice.xColumn) && fieldNumber(line, choice.gravityColumn) &&
           (!choice.xyData || fieldNumber(line, choice.yColumn)) &&
           (!choice.heightData || fieldNumber(line, choice.heightColumn));
}

int leadingNonStationLines(const FieldDataTable& table, const ColumnChoice& choice)
{
    int n = 0;
    while (n < static_cast<int>(table.lines.size()) &&
           !isStationLine(table.lines[static_cast<std::size_t>(n)], choice))
        ++n;
    return n == static_cast<int>(table.lines.size()) ? 0 : n;
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
        const auto y = choice.xyData ? fieldNumber(line, choice.yColumn) : std::optional<double>(0);
        const auto h = choice.heightData ? fieldNumber(line, choice.heightColumn)
                                         : std::optional<double>(choice.constantHeight);
        if (!x || !g || !y || !h) {
            // A line with text that gives no station is said, not passed over.
            if (line.count > 0) {
                s.skipped.push_back(static_cast<int>(r) + 1);
                const int c = line.cutField;
                if (c != 0 && (c == choice.xColumn || c == choice.gravityColumn ||
                               (choice.xyData && c == choice.yColumn) ||
                               (choice.heightData && c == choice.heightColumn)))
                    s.cut.push_back(static_cast<int>(r) + 1);
            }
            continue;
        }
        const double height = *h;
        double position = *x;
        if (choice.xyData) {
            // The first line that reads in full is the origin: a heading or a
            // broken line there must not shift every position.
            if (!haveOrigin) {
                haveOrigin = true;
                x0 = *x;
                y0 = *y;
            }
            position = std::hypot(*x - x0, *y - y0);
            // Two storable coordinates can still lie further apart than that.
            if (!storable(position)) {
                s.skipped.push_back(static_cast<int>(r) + 1);
                continue;
            }
        }
        if (!appendStation(s, position, *g, height))
            break;
    }
    sortByPosition(s);
    return s;
}

}  // namespace corvane
