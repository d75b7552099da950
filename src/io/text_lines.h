#pragma once
// Helpers for the plain-text input files.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The first n characters of a UTF-8 text, never cutting a character in half.
std::string firstCharacters(std::string_view s, std::size_t n);

// The text after the first n characters.
std::string_view afterCharacters(std::string_view s, std::size_t n);

// How a text file uses commas. Blanks, tabs and semicolons separate fields
// in every file; commas separate them too, unless the file writes decimal
// commas ("12,5;-3,25" or "12,5  -3,25", as spreadsheets and habits in many
// locales write numbers). Unlike a run of blanks, two tabs, semicolons or
// separating commas with nothing between them enclose an empty field, so that
// a missing value leaves the columns after it in place.
enum class Commas { Separate, Decimal };

// Decided once for a whole file, from its lines that hold a comma between two
// digits: such a line speaks for decimal commas when blanks, tabs or
// semicolons already separate its fields and each of its numbers with a comma
// reads as one number ("0,25  1,5"), and for separating commas otherwise
// ("0.25,1.5", "10,25"). Decimal commas when more lines speak for them.
Commas commasOf(std::string_view text);

// The fields of a line, at most maxFields of them; empty fields at the end of
// the line are dropped.
std::vector<std::string_view> splitLine(std::string_view line, Commas commas, std::size_t maxFields);

// A field as a number (as a box reads it), with a decimal comma where the
// file writes them.
std::optional<double> fieldValue(std::string_view field, Commas commas);

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
