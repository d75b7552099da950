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

bool holdsDigitComma(std::string_view s)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 1; i + 1 < s.size(); ++i)
        if (s[i] == ',' && digit(s[i - 1]) && digit(s[i + 1]))
            return true;
    return false;
}

}  // namespace

Commas commasOf(std::string_view text)
{
    long decimalLines = 0, separatingLines = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!holdsDigitComma(line))
            continue;
        const auto fields = splitLine(line, Commas::Decimal, line.size());
        bool decimal = fields.size() >= 2;
        for (const std::string_view f : fields)
            if (holdsDigitComma(f) && !fieldValue(f, Commas::Decimal))
                decimal = false;
        ++(decimal ? decimalLines : separatingLines);
    }
    return decimalLines > separatingLines ? Commas::Decimal : Commas::Separate;
}

std::vector<std::string_view> splitLine(std::string_view line, Commas commas, std::size_t maxFields)
{
    const bool separating = commas == Commas::Separate;
    auto marks = [separating](char c) { return c == ';' || c == '\t' || (separating && c == ','); };
    std::vector<std::string_view> out;
    std::size_t i = 0;
    std::size_t marksSeen = 0;   // separators other than blanks since the last field
    bool first = true;
    while (i < line.size() && out.size() < maxFields) {
        const char c = line[i];
        if (c == ' ' || marks(c)) {
            marksSeen += c != ' ';
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && !marks(line[i]))
            ++i;
        // Before the first field every mark stands after an empty field;
        // later the first mark only ends the field before it.
        std::size_t empty = first ? marksSeen : std::max<std::size_t>(marksSeen, 1) - 1;
        for (; empty > 0 && out.size() < maxFields; --empty)
            out.emplace_back();
        if (out.size() < maxFields)
            out.push_back(line.substr(start, i - start));
        first = false;
        marksSeen = 0;
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

std::optional<double> fieldValue(std::string_view field, Commas commas)
{
    if (commas == Commas::Separate || field.find(',') == std::string_view::npos)
        return parseNumber(field);
    std::string withPoint(field);
    std::replace(withPoint.begin(), withPoint.end(), ',', '.');
    return parseNumber(withPoint);
}

bool LineReader::next(std::string_view& line)
{
    if (pos_ >= text_.size())
        return false;
    const std::size_t end = text_.find('\n', pos_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(pos_, stop - pos_);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
    return true;
}

}  // namespace corvane
