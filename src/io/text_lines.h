#pragma once
// Helpers for the plain-text input files.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// The first n characters of a UTF-8 text, never cutting a character in half.
std::string firstCharacters(std::string_view s, std::size_t n);

// The text after the first n characters.
std::string_view afterCharacters(std::string_view s, std::size_t n);

// Hands out the lines of a text one by one, without their line ends (LF or
// CR LF), counting them from 1.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // False at the end of the text.
    bool next(std::string_view& line);
    // The number of the line last handed out.
    int lineNumber() const { return line_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 0;
};

}  // namespace corvane
