#include "text_lines.h"

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
