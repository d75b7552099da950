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

}  // namespace

Result<std::string> decodeText(std::string_view bytes, const std::string& fileName)
{
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    using namespace std::string_view_literals;
    const std::string file = "The file " + quotedName(fileName);
    if (starts("\xFF\xFE\0\0"sv) || starts("\0\0\xFE\xFF"sv)) {
        return fail(file + " is written in UTF-32, which cannot be read. Save it as UTF-8 or plain text.");
    }
    if (starts("\xEF\xBB\xBF"sv))
        return std::string(bytes.substr(3));
    if (starts("\xFF\xFE"sv))
        return fromUtf16(bytes.substr(2), false);
    if (starts("\xFE\xFF"sv))
        return fromUtf16(bytes.substr(2), true);
    if (looksLikeUtf16(bytes)) {
        return fail(file + " is written in UTF-16 without a byte order mark, which cannot be read. "
                           "Save it as UTF-8 or plain text.");
    }
    return std::string(bytes);
}

Commas commasOf(std::string_view text)
{
    const std::vector<std::string_view> lines = textLines(text);
    std::vector<int> numbers(lines.size());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = static_cast<int>(i) + 1;
    // A file that cannot be read safely is split as CSV.
    Commas c = decideFormat(lines, numbers, {}, "").value_or({}).format;
    c.tabsDelimit = false;
    return c;
}

std::vector<std::string_view> splitLine(std::string_view line, const Commas& commas, std::size_t maxFields)
{
    return formatFields(line, commas, maxFields);
}

std::optional<double> fieldValue(std::string_view field, const Commas& commas)
{
    return formatValue(field, commas);
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

bool cutAtColumn80(std::string_view line) { return cutAtColumn(line, 80); }

bool cutAtColumn(std::string_view line, std::size_t column)
{
    const std::size_t kept = bytesOfCharacters(line, column);
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
