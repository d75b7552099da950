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

SplitLine SplitFields(std::string_view line, Commas commas, TableShape shape)
{
    shape.fields = std::clamp(shape.fields, 1, MaxTableFields);
    const auto length = static_cast<std::size_t>(std::clamp(shape.lineLength, 1, MaxTableLineLength));
    const bool cut = cutAtColumn(line, length);
    line = line.substr(0, firstCharacters(line, length).size());
    SplitLine out;
    out.commas = commas;
    const auto all = splitLine(line, commas, 64);
    out.allFields = static_cast<int>(all.size());
    bool digits = false, empty = false;
    for (const std::string_view field : all) {
        out.words = out.words || isWord(field);
        digits = digits || field.find_first_of("0123456789") != std::string_view::npos ||
                 (!field.empty() && !isWord(field) && field.find_first_of("nNiI") != std::string_view::npos);
        empty = empty || field.empty();
        if (out.count < shape.fields) {
            out.whole[out.count] = std::string(field);
            out.fields[out.count] = std::string(field.substr(0, FieldWidth));
            ++out.count;
        }
    }
    out.dataLike = !out.words && (digits || empty);
    // The field that ends at column 80 is the one cut, if any reached it.
    if (cut && out.count > 0 && out.allFields == out.count)
        out.cutField = out.count;
    return out;
}

namespace {

// Most data lines (no words) have this many fields; of two as common, the larger.
int usualFieldCount(const std::vector<SplitLine>& lines)
{
    std::vector<int> counts(65, 0);
    for (const SplitLine& l : lines)
        if (!l.words && l.allFields > 0)
            ++counts[static_cast<std::size_t>(std::min(l.allFields, 64))];
    int best = 0;
    for (int c = 1; c <= 64; ++c)
        if (counts[static_cast<std::size_t>(c)] > 0 && counts[static_cast<std::size_t>(c)] >= counts[static_cast<std::size_t>(best)])
            best = c;
    return best;
}

std::vector<std::string_view> keptLines(std::string_view text, bool& dropped)
{
    std::vector<std::string_view> lines = textLines(text);
    dropped = lines.size() > static_cast<std::size_t>(MaxFieldDataLines);
    if (dropped)
        lines.resize(MaxFieldDataLines);
    return lines;
}

void fillLines(FieldDataTable& table, const std::vector<std::string_view>& lines, const NumberFormat& format)
{
    table.lines.clear();
    table.maxFields = 0;
    for (const std::string_view line : lines) {
        table.lines.push_back(SplitFields(line, format, table.shape));
        table.maxFields = std::max(table.maxFields, table.lines.back().count);
    }
    table.usualFields = usualFieldCount(table.lines);
    // A line of more numbers than the others has had one split in two, or
    // a cell too many: its columns are not the file's.
    for (SplitLine& l : table.lines)
        l.extraFields = !l.words && l.allFields > table.usualFields;
}

}  // namespace

Result<FieldDataTable> readFieldDataText(std::string_view bytes, const std::string& fileName, char decimal,
                                 TableShape shape)
{
    FieldDataTable table;
    table.shape = shape;
    const auto length = static_cast<std::size_t>(std::clamp(shape.lineLength, 1, MaxTableLineLength));
    const auto text = decodeText(bytes, fileName);
    if (!text)
        return fail(text.message());
    const std::vector<std::string_view> lines = keptLines(*text, table.linesDropped);
    std::vector<std::string_view> kept(lines.size());
    std::vector<int> numbers(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        kept[i] = std::string_view(lines[i]).substr(0, firstCharacters(lines[i], length).size());
        numbers[i] = static_cast<int>(i) + 1;
    }
    FormatRules rules;
    rules.minNumbers = 2;
    rules.decimal = decimal;
    Result<FormatDecision> format = decideFormat(kept, numbers, rules, fileName);
    if (!format)
        return fail(format.message());
    table.question = std::move(format->question);
    fillLines(table, lines, format->format);
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
    std::vector<double> x, g, h, offset;
    x.reserve(order.size());
    g.reserve(order.size());
    h.reserve(order.size());
    for (std::size_t i : order) {
        x.push_back(s.x[i]);
        g.push_back(s.g[i]);
        h.push_back(i < s.h.size() ? s.h[i] : 0.0);
        if (!s.offset.empty())
            offset.push_back(i < s.offset.size() ? s.offset[i] : 0.0);
    }
    s.x = std::move(x);
    s.g = std::move(g);
    s.h = std::move(h);
    s.offset = std::move(offset);
    s.sorted = true;
}

bool appendStation(StationList& s, double x, double g, double h, double offset)
{
    if (static_cast<int>(s.x.size()) >= MaxStations) {
        s.truncated = true;
        return false;
    }
    s.h.resize(s.x.size(), 0.0);   // a list filled without heights
    // Offsets are kept only once a station has one.
    if (offset != 0 || !s.offset.empty()) {
        s.offset.resize(s.x.size(), 0.0);
        s.offset.push_back(offset);
    }
    s.x.push_back(x);
    s.g.push_back(g);
    s.h.push_back(h);
    return true;
}

bool isStationLine(const SplitLine& line, const ColumnChoice& choice)
{
    return !line.extraFields && fieldNumber(line, choice.xColumn) && fieldNumber(line, choice.gravityColumn) &&
           (!choice.xyData || fieldNumber(line, choice.yColumn)) &&
           (!choice.heightData || fieldNumber(line, choice.heightColumn));
}

int leadingNonStationLines(const FieldDataTable& table, const ColumnChoice& choice)
{
    int n = 0;
    // Only headings and blank lines lead: a line of broken data there (a
    // "nan", an empty field) is a data line that gives no station, and is said.
    while (n < static_cast<int>(table.lines.size()) &&
           !isStationLine(table.lines[static_cast<std::size_t>(n)], choice) &&
           !table.lines[static_cast<std::size_t>(n)].dataLike)
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
        std::optional<double> x;
        if (!line.extraFields)
            x = fieldNumber(line, choice.xColumn);
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
