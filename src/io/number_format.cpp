#include "io/number_format.h"

#include "model/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <tuple>

namespace corvane {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool allDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), isDigit); }
bool has(std::string_view s, char c) { return s.find(c) != std::string_view::npos; }

std::string_view trimmedBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Digits grouped by threes with `group`, then perhaps `point` and more
// digits: "1,234,567.25". A number written with groups does not start with a
// zero ("0,957" is no thousand).
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
    if (groups == 0 || whole.front() == '0')
        return std::nullopt;
    if (hasFraction)
        plain += '.' + std::string(fraction);
    return parseNumber(plain);
}

// One decimal mark `point` and no group marks: "-19,5", "2,5e3".
std::optional<double> decimalNumber(std::string_view field, char point)
{
    const auto c = field.find(point);
    if (c == std::string_view::npos)
        return parseNumber(field);
    if (c == 0 || c + 1 >= field.size() || !isDigit(field[c - 1]) || !isDigit(field[c + 1]) ||
        field.find(point, c + 1) != std::string_view::npos)
        return std::nullopt;
    std::string withPoint(field);
    withPoint[c] = '.';
    return parseNumber(withPoint);
}

// A lone mark of either kind is the decimal mark; where a field holds both,
// `decimal` comes last and the other groups.
std::optional<double> eitherMarkNumber(std::string_view field, char decimal)
{
    const bool comma = has(field, ','), point = has(field, '.');
    if (comma && point) {
        const auto last = field.find_last_of(",.");
        const char mark = field[last];
        if (field.find(mark) != last || mark != decimal)
            return std::nullopt;
        return groupedNumber(field, mark == '.' ? ',' : '.', mark);
    }
    return decimalNumber(field, ',');
}

enum Sep : char { None = 0, Blank = ' ', Tab = '\t', Semicolon = ';', Comma = ',' };

struct Piece {
    std::string_view text;
    bool quoted = false;
    char before = None;   // the strongest separator before the field
};

std::vector<Piece> pieces(std::string_view line, const NumberFormat& f, std::size_t maxFields)
{
    const bool blanksPart = f.group != ' ';
    auto hard = [&f](char c) { return c == ';' || (f.commasSeparate && c == ',') || (f.tabsDelimit && c == '\t'); };
    auto soft = [&](char c) { return (blanksPart && c == ' ') || (!f.tabsDelimit && c == '\t'); };
    auto strength = [](char c) { return c == ',' ? 4 : c == ';' ? 3 : c == '\t' ? 2 : 1; };
    std::vector<Piece> out;
    std::size_t i = 0, marksSeen = 0;
    char strongest = None;
    bool first = true;
    while (i < line.size() && out.size() < maxFields) {
        const char c = line[i];
        if (soft(c) || hard(c) || (!blanksPart && c == ' ')) {
            marksSeen += hard(c);
            if (strongest == None || strength(c) > strength(strongest))
                strongest = c;
            ++i;
            continue;
        }
        const std::size_t start = i;
        Piece p;
        if (c == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t after = close == std::string_view::npos ? line.size() : close + 1;
            std::size_t next = after;
            while (!blanksPart && next < line.size() && line[next] == ' ')
                ++next;
            if (next == line.size() || soft(line[next]) || hard(line[next])) {
                p.text = line.substr(i + 1, (close == std::string_view::npos ? line.size() : close) - i - 1);
                p.quoted = true;
                i = after;
            }
        }
        if (!p.quoted) {
            while (i < line.size() && !soft(line[i]) && !hard(line[i]))
                ++i;
            p.text = trimmedBlanks(line.substr(start, i - start));
        }
        // Before the first field every delimiter stands after an empty field;
        // later the first one only ends the field before it.
        std::size_t empty = first ? marksSeen : std::max<std::size_t>(marksSeen, 1) - 1;
        for (; empty > 0 && out.size() < maxFields; --empty)
            out.push_back({{}, false, strongest});
        p.before = first && marksSeen == 0 ? static_cast<char>(None) : strongest;
        if (out.size() < maxFields)
            out.push_back(p);
        first = false;
        marksSeen = 0;
        strongest = None;
    }
    while (!out.empty() && out.back().text.empty())
        out.pop_back();
    return out;
}

bool notANumberWord(std::string_view s)
{
    if (!s.empty() && (s.front() == '-' || s.front() == '+'))
        s.remove_prefix(1);
    std::string lower(s);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower == "nan" || lower == "inf" || lower == "infinity";
}

// A split of one number into two fields, as a thousands separator or a
// decimal comma would leave it: "2,500.0" as 2 and 500.0, "1,05" as 1 and 05.
bool looksGrouped(const Piece& left, const Piece& right)
{
    if (left.quoted || right.quoted)
        return false;
    std::string_view l = left.text, r = right.text;
    if (!l.empty() && (l.front() == '-' || l.front() == '+'))
        l.remove_prefix(1);
    if (!allDigits(l) || l.size() > 3)
        return false;
    const bool threeDigits = r.size() >= 3 && allDigits(r.substr(0, 3)) &&
                             (r.size() == 3 || r[3] == '.' || r[3] == 'e' || r[3] == 'E');
    const bool zeroLed = r.size() >= 2 && r[0] == '0' && isDigit(r[1]);
    const bool zeroBefore = l == "0" && allDigits(r);
    return threeDigits || zeroLed || zeroBefore;
}

struct LineReading {
    bool reads = false;
    std::size_t count = 0;           // fields of the line
    std::vector<double> numbers;
    std::vector<std::size_t> doubtful;   // splits (before field k) that look grouped
    std::vector<char> seps;              // the separator before each field
};

LineReading readLine(std::string_view line, const NumberFormat& f, const FormatRules& rules)
{
    LineReading r;
    const std::vector<Piece> p = pieces(line, f, 64);
    r.count = p.size();
    for (const Piece& q : p)
        r.seps.push_back(q.before);
    const std::size_t n = rules.numberFields ? std::min(rules.numberFields, p.size()) : p.size();
    if (n == 0)
        return r;
    // A line parted by commas uses no other separator between its numbers.
    const std::size_t seps = std::min(n + 1, p.size());
    bool comma = false, other = false;
    for (std::size_t k = 1; k < seps; ++k)
        (p[k].before == Comma ? comma : other) = true;
    if (comma && other)
        return r;
    bool delimited = false;   // semicolons or tabs part this line: blanks inside fields are suspect
    for (std::size_t k = 1; k < p.size(); ++k)
        delimited = delimited || p[k].before == Semicolon || p[k].before == Tab;
    for (std::size_t k = 0; k < n; ++k) {
        const std::string_view t = p[k].text;
        if (t.empty() || notANumberWord(t))
            continue;
        const auto v = formatValue(t, f);
        if (!v)
            return r;
        r.numbers.push_back(*v);
        if (k > 0 && (p[k].before == Comma || (delimited && p[k].before == Blank)) && looksGrouped(p[k - 1], p[k]))
            r.doubtful.push_back(k);
    }
    if (r.numbers.size() < rules.minNumbers)
        return r;
    // Joined again the line would hold too few numbers: the split is the file's.
    if (r.numbers.size() - r.doubtful.size() < rules.minNumbers)
        r.doubtful.clear();
    r.reads = true;
    return r;
}

// The readings tried, in the order preferred when they agree.
constexpr std::array<NumberFormat, 6> Candidates = {{
    NumberFormat::Separate,
    NumberFormat::Grouping,
    NumberFormat::Decimal,
    {',', '.', false},   // decimal commas, points group: "2.500,5"
    {',', ' ', false},   // decimal commas, blanks group where semicolons or tabs part: "2 500,5"
    {',', '.', true},    // CSV with decimal commas in quotes
}};

const char* commaUse(const NumberFormat& f)
{
    if (f.commasSeparate)
        return "to separate its fields";
    return f.decimal == ',' ? "as decimal commas" : "to group thousands";
}

// Most tab-parted data lines part with single tabs: two tabs leave an empty field.
bool singleTabs(const std::vector<std::string_view>& lines)
{
    int single = 0, runs = 0;
    for (std::string_view l : lines) {
        l = trimmedBlanks(l);
        if (!has(l, '\t') || std::any_of(l.begin(), l.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            }))
            continue;
        (l.find("\t\t") != std::string_view::npos ? runs : single) += 1;
    }
    return single > runs;
}

std::string quotedName(const std::string& s) { return "\"" + s + "\""; }

// A number as short as it reads in full: "1000", "2.5".
std::string shortNumber(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

}  // namespace

std::optional<double> formatValue(std::string_view field, const NumberFormat& f)
{
    field = trimmedBlanks(field);
    if (f.group == 0)
        return eitherMarkNumber(field, f.decimal);
    if (has(field, f.group))
        return groupedNumber(field, f.group, f.decimal);
    return decimalNumber(field, f.decimal);
}

std::vector<std::string_view> formatFields(std::string_view line, const NumberFormat& f, std::size_t maxFields)
{
    std::vector<std::string_view> out;
    for (const Piece& p : pieces(line, f, maxFields))
        out.push_back(p.text);
    return out;
}

bool isWord(std::string_view field)
{
    const bool letters = std::any_of(field.begin(), field.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    return letters && !notANumberWord(field) && !parseNumber(field);
}

std::string numbersAsRead(std::string_view line, const NumberFormat& f, const FormatRules& rules)
{
    std::string out;
    const std::vector<Piece> p = pieces(line, f, 64);
    const std::size_t n = rules.numberFields ? std::min(rules.numberFields, p.size()) : p.size();
    for (std::size_t k = 0; k < n; ++k) {
        const auto v = formatValue(p[k].text, f);
        out += (k ? "; " : "") + (v ? shortNumber(*v) : std::string(p[k].text.empty() ? "(empty)" : p[k].text));
    }
    return out;
}

std::string twoReadingsMessage(const FormatQuestion& q, const std::string& fileName)
{
    return "The numbers of " + quotedName(fileName) + " can be read in two ways: line " +
           std::to_string(q.lineNumber) + " holds \"" + q.field +
           "\", a different number with a decimal point than with a decimal comma. The file is not read.";
}

Result<FormatDecision> decideFormat(const std::vector<std::string_view>& lines,
                            const std::vector<int>& lineNumbers, const FormatRules& rules,
                            const std::string& fileName)
{
    const bool tabs = singleTabs(lines);
    std::vector<NumberFormat> formats(Candidates.begin(), Candidates.end());
    for (NumberFormat& f : formats)
        f.tabsDelimit = tabs;
    // Without a comma among the numbers nothing shows a decimal comma: a
    // point there is not read as a thousands separator.
    // (Only the part of a line before its first letter counts: headings and
    // labels write commas as words do.)
    const bool anyComma = std::any_of(lines.begin(), lines.end(), [](std::string_view l) {
        const auto letter = std::find_if(l.begin(), l.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        });
        return std::find(l.begin(), letter, ',') != letter;
    });
    if (!anyComma)
        formats.erase(std::remove_if(formats.begin(), formats.end(), [](const NumberFormat& f) { return f.decimal == ','; }),
                      formats.end());
    const std::size_t nf = formats.size(), nl = lines.size();
    std::vector<std::vector<LineReading>> r(nf, std::vector<LineReading>(nl));
    std::vector<bool> data(nl, false);   // read by some format
    for (std::size_t k = 0; k < nf; ++k)
        for (std::size_t i = 0; i < nl; ++i) {
            r[k][i] = readLine(lines[i], formats[k], rules);
            data[i] = data[i] || r[k][i].reads;
        }
    FormatDecision d;
    d.format = formats[0];
    const std::string file = quotedName(fileName);
    std::vector<std::size_t> possible;
    std::vector<long> reads(nf, 0);
    for (std::size_t k = 0; k < nf; ++k) {
        bool all = true;
        for (std::size_t i = 0; i < nl; ++i) {
            all = all && (!data[i] || r[k][i].reads);
            reads[k] += r[k][i].reads;
        }
        if (all)
            possible.push_back(k);
    }
    if (std::none_of(data.begin(), data.end(), [](bool b) { return b; }))
        return d;
    if (possible.empty()) {
        const std::size_t best = static_cast<std::size_t>(std::max_element(reads.begin(), reads.end()) - reads.begin());
        for (std::size_t k = 0; k < nf; ++k)
            if (reads[k] == reads[best] && formats[k].commasSeparate != formats[best].commasSeparate) {
                return fail("The numbers of " + file + " cannot be read safely: as many data lines use commas " +
                            "to separate their fields as use them inside their numbers. The file is not read.");
            }
        for (std::size_t i = 0; i < nl; ++i) {
            if (!data[i] || r[best][i].reads)
                continue;
            std::size_t k = 0;
            while (!r[k][i].reads)
                ++k;
            const std::string line = "line " + std::to_string(lineNumbers[i]);
            if (std::string(commaUse(formats[k])) != commaUse(formats[best]))
                return fail("The numbers of " + file + " cannot be read safely: " + line + " uses commas " +
                            commaUse(formats[k]) + ", while most data lines use them " + commaUse(formats[best]) +
                            ", so the two readings give different numbers. The file is not read.");
            return fail("The numbers of " + file + " cannot be read safely: " + line +
                        " writes its numbers otherwise than most data lines. The file is not read.");
        }
    }
    // A doubtful split stands when other lines with as many fields part the
    // same place plainly, with the same separator.
    auto firstUnconfirmed = [&](std::size_t k) -> long {
        std::set<std::tuple<std::size_t, std::size_t, char>> plain;
        for (std::size_t i = 0; i < nl; ++i) {
            const LineReading& b = r[k][i];
            if (!b.reads)
                continue;
            for (std::size_t at = 1; at < b.count; ++at)
                if (std::find(b.doubtful.begin(), b.doubtful.end(), at) == b.doubtful.end())
                    plain.insert({b.count, at, b.seps[at]});
        }
        for (std::size_t i = 0; i < nl; ++i) {
            const LineReading& a = r[k][i];
            if (a.reads && std::any_of(a.doubtful.begin(), a.doubtful.end(), [&](std::size_t at) {
                    return !plain.count({a.count, at, a.seps[at]});
                }))
                return static_cast<long>(i);
        }
        return -1;
    };
    std::vector<std::size_t> clean;
    long doubtfulLine = -1;
    for (std::size_t k : possible) {
        const long u = firstUnconfirmed(k);
        if (u < 0)
            clean.push_back(k);
        else if (doubtfulLine < 0)
            doubtfulLine = u;
    }
    if (clean.empty()) {
        return fail("Line " + std::to_string(lineNumbers[static_cast<std::size_t>(doubtfulLine)]) + " of " + file +
                    " holds a number with a thousands separator in a file whose fields are separated by commas, "
                    "which makes it two numbers. Write it without the separator or in quotes. The file is not read.");
    }
    const std::size_t first = clean.front();
    auto differs = [&](std::size_t a, std::size_t b, std::size_t& at) {
        for (std::size_t i = 0; i < nl; ++i)
            if (data[i] && r[a][i].numbers != r[b][i].numbers) {
                at = i;
                return true;
            }
        return false;
    };
    std::size_t at = 0, other = first;
    for (std::size_t k : clean)
        if (differs(first, k, at)) {
            other = k;
            break;
        }
    if (other == first) {
        d.format = formats[first];
        return d;
    }
    // Which reading takes the mark in question as a decimal point: the field
    // where the two part ways reads as it would with point decimals.
    const std::vector<Piece> pa = pieces(lines[at], formats[first], 64);
    std::string field(lines[at]);
    bool firstIsPoint = formats[first].decimal == '.';
    for (const Piece& p : pa) {
        const auto a = formatValue(p.text, formats[first]);
        const auto b = formatValue(p.text, formats[other]);
        if (a != b) {
            field = std::string(p.text);
            firstIsPoint = a == formatValue(p.text, NumberFormat::Grouping) ||
                           (a == decimalNumber(p.text, '.') && a.has_value());
            break;
        }
    }
    FormatQuestion q;
    q.pointReading = formats[firstIsPoint ? first : other];
    q.commaReading = formats[firstIsPoint ? other : first];
    q.lineNumber = lineNumbers[at];
    q.field = field;
    for (std::size_t i = 0; i < nl && q.lines.size() < 4; ++i)
        if (data[i])
            q.lines.emplace_back(lines[i]);
    if (rules.decimal) {
        d.format = rules.decimal == ',' ? q.commaReading : q.pointReading;
        return d;
    }
    d.format = q.pointReading;
    d.question = std::move(q);
    return d;
}

}  // namespace corvane
