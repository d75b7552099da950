#include "text_lines.h"

#include "model/text.h"

#include <algorithm>

namespace corvane {

namespace {
std::size_t bytesOfCharacters(std::string_view s, std::size_t n)
{
    std::size_t i = 0;
    for (std::size_t count = 0; i < s.size() && count < n; ++count) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}
}  // namespace

std::string firstCharacters(std::string_view s, std::size_t n)
{
    return std::string(s.substr(0, bytesOfCharacters(s, n)));
}

std::string_view afterCharacters(std::string_view s, std::size_t n)
{
    return s.substr(bytesOfCharacters(s, n));
}

namespace {

std::string quotedName(const std::string& s) { return "\"" + s + "\""; }

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string fromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    constexpr char32_t Replacement = 0xFFFD;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u >= 0xD800 && u < 0xE000 ? Replacement : u);
    }
    if (i < bytes.size())
        appendUtf8(out, Replacement);
    return out;
}

// Most byte pairs with one NUL byte and one other: UTF-16 text without its mark.
bool looksLikeUtf16(std::string_view bytes)
{
    if (bytes.size() < 4)
        return false;
    std::size_t pairs = 0, halfNul = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2, ++pairs)
        halfNul += (bytes[i] == '\0') != (bytes[i + 1] == '\0');
    return halfNul * 2 > pairs;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), isDigit);
}

// Digits grouped by threes with the mark `group`, then perhaps the decimal
// mark `point` and more digits: "1,234,567.25". Nothing when the groups are
// wrong ("1,5.3", "12,34").
std::optional<double> groupedNumber(std::string_view field, char group, char point)
{
    std::string plain;
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
        plain += field.front();
        field.remove_prefix(1);
    }
    std::string_view whole = field, fraction;
    bool hasFraction = false;
    if (const auto p = field.find(point); p != std::string_view::npos) {
        whole = field.substr(0, p);
        fraction = field.substr(p + 1);
        hasFraction = true;
        if (!allDigits(fraction))
            return std::nullopt;
    }
    std::size_t groups = 0;
    for (std::size_t start = 0;; ++groups) {
        const std::size_t end = whole.find(group, start);
        const std::string_view g = whole.substr(start, end == std::string_view::npos ? whole.npos : end - start);
        if (!allDigits(g) || (groups == 0 ? g.size() > 3 : g.size() != 3))
            return std::nullopt;
        plain += g;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (groups == 0)
        return std::nullopt;   // no group mark at all
    if (hasFraction)
        plain += '.' + std::string(fraction);
    return parseNumber(plain);
}

// A decimal comma between digits: "-19,5", "0,125", "2,5e3".
std::optional<double> decimalCommaNumber(std::string_view field)
{
    const auto c = field.find(',');
    if (c == std::string_view::npos || c == 0 || c + 1 >= field.size() || !isDigit(field[c - 1]) ||
        !isDigit(field[c + 1]) || field.find(',', c + 1) != std::string_view::npos)
        return std::nullopt;
    std::string withPoint(field);
    withPoint[c] = '.';
    return parseNumber(withPoint);
}

// A field with both marks: the one that comes last is the decimal mark.
std::optional<double> twoMarkNumber(std::string_view field)
{
    const auto last = field.find_last_of(",.");
    const char point = field[last];
    if (field.find(point) != last)
        return std::nullopt;
    return groupedNumber(field, point == '.' ? ',' : '.', point);
}

bool hasComma(std::string_view f) { return f.find(',') != std::string_view::npos; }
bool hasPoint(std::string_view f) { return f.find('.') != std::string_view::npos; }

enum class Vote { None, Separate, Decimal, Grouping, GroupingCommaOnly };

// What one data line says about its commas.
Vote lineVote(std::string_view line, std::size_t minFields)
{
    if (!hasComma(line))
        return Vote::None;
    // Commas inside the fields, which blanks, tabs or semicolons part.
    const auto inner = splitLine(line, Commas::Decimal, 64);
    bool pointOnly = false, twoMarks = false, innerNumbers = !inner.empty();
    std::vector<std::string_view> commaOnly;
    for (const std::string_view f : inner) {
        if (!hasComma(f)) {
            pointOnly = pointOnly || hasPoint(f);
            innerNumbers = innerNumbers && parseNumber(f).has_value();
        } else if (hasPoint(f)) {
            twoMarks = true;
            innerNumbers = innerNumbers && twoMarkNumber(f).has_value();
        } else {
            commaOnly.push_back(f);
        }
    }
    if (innerNumbers) {
        const bool grouped = std::all_of(commaOnly.begin(), commaOnly.end(), [](std::string_view f) {
            return groupedNumber(f, ',', '.').has_value();
        });
        // A line that writes its decimals with points and its thousands
        // with commas: "1,000 -3.2". With fewer fields than a data line
        // holds, "12,100.5" is two fields of a CSV line instead.
        if ((commaOnly.empty() ? twoMarks : (pointOnly && grouped)) && inner.size() >= minFields)
            return commaOnly.empty() ? Vote::Grouping : Vote::GroupingCommaOnly;
        const bool decimal = !commaOnly.empty() &&
            std::all_of(commaOnly.begin(), commaOnly.end(),
                        [](std::string_view f) { return decimalCommaNumber(f).has_value(); });
        if (decimal && inner.size() >= minFields)
            return Vote::Decimal;
    }
    const auto parted = splitLine(line, Commas::Separate, 64);
    if (parted.size() >= 2 && std::all_of(parted.begin(), parted.end(), [](std::string_view f) {
            return fieldValue(f, Commas::Separate).has_value();
        }))
        return Vote::Separate;
    return Vote::None;
}

// A grouped number with a point written outside quotes where commas part the
// fields: "1,000.0,-3.2".
bool unquotedGroupedNumber(std::string_view line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i > 0 && (isDigit(line[i - 1]) || line[i - 1] == '.' || line[i - 1] == '"'))
            continue;
        std::size_t j = i;
        while (j < line.size() && isDigit(line[j]) && j - i < 4)
            ++j;
        if (j == i || j - i > 3)
            continue;
        std::size_t groups = 0;
        while (j + 3 < line.size() && line[j] == ',' && allDigits(line.substr(j + 1, 3)) &&
               (j + 4 == line.size() || !isDigit(line[j + 4]))) {
            j += 4;
            ++groups;
        }
        if (groups > 0 && j < line.size() && line[j] == '.')
            return true;
    }
    return false;
}

const char* voteText(Vote v)
{
    switch (v) {
    case Vote::Separate: return "to separate its fields";
    case Vote::Decimal: return "as decimal commas";
    case Vote::Grouping:
    case Vote::GroupingCommaOnly: return "to group thousands";
    case Vote::None: break;
    }
    return "";
}

}  // namespace

std::optional<std::string> decodeText(std::string_view bytes, const std::string& fileName,
                                      std::string& problem)
{
    problem.clear();
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    using namespace std::string_view_literals;
    const std::string file = "The file " + quotedName(fileName);
    if (starts("\xFF\xFE\0\0"sv) || starts("\0\0\xFE\xFF"sv)) {
        problem = file + " is written in UTF-32, which cannot be read. Save it as UTF-8 or plain text.";
        return std::nullopt;
    }
    if (starts("\xEF\xBB\xBF"sv))
        return std::string(bytes.substr(3));
    if (starts("\xFF\xFE"sv))
        return fromUtf16(bytes.substr(2), false);
    if (starts("\xFE\xFF"sv))
        return fromUtf16(bytes.substr(2), true);
    if (looksLikeUtf16(bytes)) {
        problem = file + " is written in UTF-16 without a byte order mark, which cannot be read. "
                         "Save it as UTF-8 or plain text.";
        return std::nullopt;
    }
    return std::string(bytes);
}

CommaDecision decideCommas(const std::vector<std::string_view>& lines,
                           const std::vector<int>& lineNumbers, std::size_t minFields,
                           const std::string& fileName)
{
    std::vector<Vote> votes(lines.size(), Vote::None);
    long separate = 0, decimal = 0, grouping = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        votes[i] = lineVote(lines[i], minFields);
        separate += votes[i] == Vote::Separate;
        decimal += votes[i] == Vote::Decimal;
        grouping += votes[i] == Vote::Grouping || votes[i] == Vote::GroupingCommaOnly;
    }
    CommaDecision d;
    const std::string file = quotedName(fileName);
    if (separate + decimal + grouping == 0)
        return d;
    if (separate == decimal + grouping) {
        d.problem = "The numbers of " + file + " cannot be read safely: as many data lines use commas " +
                    "to separate their fields as use them inside their numbers. The file is not read.";
        return d;
    }
    d.commas = separate > decimal + grouping ? Commas::Separate
             : decimal > 0                   ? Commas::Decimal
                                             : Commas::Grouping;
    Vote chosen = d.commas == Commas::Separate ? Vote::Separate
                : d.commas == Commas::Decimal  ? Vote::Decimal
                                               : Vote::Grouping;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Vote v = votes[i];
        const bool agrees = v == Vote::None || v == chosen ||
                            (v == Vote::Grouping && chosen == Vote::Decimal) ||
                            (v == Vote::GroupingCommaOnly && chosen == Vote::Grouping);
        if (!agrees) {
            d.problem = "The numbers of " + file + " cannot be read safely: line " +
                        std::to_string(lineNumbers[i]) + " uses commas " + voteText(v) +
                        ", while most data lines use them " + voteText(chosen) +
                        ", so the two readings give different numbers. The file is not read.";
            return d;
        }
    }
    if (d.commas == Commas::Separate) {
        // Where commas part the fields, a grouped number becomes two; the
        // line then has a field more than the others.
        std::vector<std::size_t> counts;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (votes[i] == Vote::Separate)
                counts.push_back(splitLine(lines[i], Commas::Separate, 64).size());
        std::vector<std::size_t> sorted = counts;
        std::sort(sorted.begin(), sorted.end());
        std::size_t usual = 0, best = 0;
        for (std::size_t a = 0; a < sorted.size();) {
            std::size_t b = a;
            while (b < sorted.size() && sorted[b] == sorted[a])
                ++b;
            if (b - a > best) {
                best = b - a;
                usual = sorted[a];
            }
            a = b;
        }
        for (std::size_t i = 0, k = 0; i < lines.size(); ++i) {
            if (votes[i] != Vote::Separate)
                continue;
            if (counts[k++] != usual && unquotedGroupedNumber(lines[i])) {
                d.problem = "Line " + std::to_string(lineNumbers[i]) + " of " + file +
                            " holds a number with a thousands separator in a file whose fields are "
                            "separated by commas, which makes it two numbers. Write it without the "
                            "separator or in quotes. The file is not read.";
                return d;
            }
        }
    }
    return d;
}

Commas commasOf(std::string_view text)
{
    const std::vector<std::string_view> lines = textLines(text);
    std::vector<int> numbers(lines.size());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = static_cast<int>(i) + 1;
    return decideCommas(lines, numbers, 1, "").commas;
}

std::vector<std::string_view> splitLine(std::string_view line, Commas commas, std::size_t maxFields)
{
    const bool separating = commas == Commas::Separate;
    auto hard = [separating](char c) { return c == ';' || (separating && c == ','); };
    auto soft = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string_view> out;
    std::size_t i = 0;
    std::size_t marksSeen = 0;   // commas or semicolons since the last field
    bool first = true;
    while (i < line.size() && out.size() < maxFields) {
        const char c = line[i];
        if (soft(c) || hard(c)) {
            marksSeen += hard(c);
            ++i;
            continue;
        }
        std::size_t start = i;
        std::string_view field;
        bool quotedField = false;
        if (c == '"') {
            // Quotes enclose a field; whatever stands between them is its text.
            const std::size_t close = line.find('"', i + 1);
            const std::size_t after = close == std::string_view::npos ? line.size() : close + 1;
            if (after == line.size() || soft(line[after]) || hard(line[after])) {
                field = line.substr(i + 1, (close == std::string_view::npos ? line.size() : close) - i - 1);
                i = after;
                quotedField = true;
            }
        }
        if (!quotedField) {
            while (i < line.size() && !soft(line[i]) && !hard(line[i]))
                ++i;
            field = line.substr(start, i - start);
        }
        // Before the first field every mark stands after an empty field;
        // later the first mark only ends the field before it.
        std::size_t empty = first ? marksSeen : std::max<std::size_t>(marksSeen, 1) - 1;
        for (; empty > 0 && out.size() < maxFields; --empty)
            out.emplace_back();
        if (out.size() < maxFields)
            out.push_back(field);
        first = false;
        marksSeen = 0;
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

std::optional<double> fieldValue(std::string_view field, Commas commas)
{
    if (!hasComma(field))
        return parseNumber(field);
    if (hasPoint(field))
        return twoMarkNumber(field);
    switch (commas) {
    case Commas::Decimal: return decimalCommaNumber(field);
    case Commas::Grouping: return groupedNumber(field, ',', '.');
    case Commas::Separate:
        // Only a quoted field keeps its commas here: "1,000" or "1,5".
        if (const auto v = groupedNumber(field, ',', '.'))
            return v;
        return decimalCommaNumber(field);
    }
    return std::nullopt;
}

bool LineReader::next(std::string_view& line)
{
    if (pos_ >= text_.size())
        return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(pos_, stop - pos_);
    pos_ = stop;
    if (pos_ < text_.size())
        pos_ += (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1;
    ++line_;
    return true;
}

std::vector<std::string_view> textLines(std::string_view text)
{
    std::vector<std::string_view> out;
    LineReader r(text);
    std::string_view line;
    while (r.next(line))
        out.push_back(line);
    return out;
}

bool cutAtColumn80(std::string_view line)
{
    const std::size_t kept = bytesOfCharacters(line, 80);
    if (kept >= line.size() || kept == 0)
        return false;
    auto part = [](char c) { return c != ' ' && c != '\t' && c != ';' && c != ','; };
    return part(line[kept - 1]) && part(line[kept]);
}

std::string skippedLinesNote(const std::vector<int>& lines, const std::string& what)
{
    if (lines.empty())
        return {};
    constexpr std::size_t Shown = 5;
    std::string note = std::to_string(lines.size()) + (lines.size() == 1 ? " line " : " lines ") + what +
                       (lines.size() == 1 ? " was" : " were") + " skipped (line" +
                       (lines.size() == 1 ? " " : "s ");
    for (std::size_t i = 0; i < lines.size() && i < Shown; ++i)
        note += (i ? ", " : "") + std::to_string(lines[i]);
    note += lines.size() > Shown ? ", ...)." : ").";
    return note;
}

}  // namespace corvane
