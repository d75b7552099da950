#pragma once
// Helpers for the plain-text input files (field data, body and borehole
// files): one set of rules for every reader, in the window and in
// corvane-calc alike.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/number_format.h"
#include "model/result.h"

namespace corvane {

// The first n characters of a UTF-8 text, never cutting a character in half.
std::string firstCharacters(std::string_view s, std::size_t n);

// The text after the first n characters.
std::string_view afterCharacters(std::string_view s, std::size_t n);

// A file's bytes as UTF-8 text: a UTF-8 byte order mark is dropped and UTF-16
// with a byte order mark is decoded. Text in an encoding that cannot be read
// (UTF-32, UTF-16 without a byte order mark) fails, saying which encoding
// it is.
Result<std::string> decodeText(std::string_view bytes, const std::string& fileName);

// The number format of a whole text, every line taken as a data line (for
// tests and files without headings): the decimal mark and thousands
// separator, tabs read as runs.
Commas commasOf(std::string_view text);

// The fields of a line under the format, at most maxFields of them (see
// formatFields).
std::vector<std::string_view> splitLine(std::string_view line, const Commas& commas, std::size_t maxFields);

// A field as a number (as a box reads it), with decimal commas or grouped
// digits as the file writes them.
std::optional<double> fieldValue(std::string_view field, const Commas& commas);

// Hands out the lines of a text one by one, without their line ends (LF,
// CR LF or CR alone), counting them from 1.
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

// All lines of a text, as LineReader hands them out.
std::vector<std::string_view> textLines(std::string_view text);

// Whether the characters of a line past column 80 cut a field in two (the
// part kept would read as another number).
bool cutAtColumn80(std::string_view line);
// The same at another column.
bool cutAtColumn(std::string_view line, std::size_t column);

// "3 lines were skipped (5, 9, 12)": the count and the first few numbers.
std::string skippedLinesNote(const std::vector<int>& lines, const std::string& what);

}  // namespace corvane
