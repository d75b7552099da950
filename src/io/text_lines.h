#pragma once
// Helpers for the plain-text input files (field data, body and borehole
// files): one set of rules for every reader, in the window and in
// corvane-calc alike.
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

// A file's bytes as UTF-8 text: a UTF-8 byte order mark is dropped and UTF-16
// with a byte order mark is decoded. Text in an encoding that cannot be read
// (UTF-32, UTF-16 without a byte order mark) gives nothing, and `problem`
// says which encoding it is.
std::optional<std::string> decodeText(std::string_view bytes, const std::string& fileName,
                                      std::string& problem);

// How a text file uses commas. Blanks, tabs and semicolons separate fields in
// every file; commas separate them too in files written as CSV (Separate),
// are decimal commas in files such as "12,5;-3,25" or "12,5  -3,25"
// (Decimal), or group thousands only ("1,000.0  -3.2", Grouping). A field
// holding both a comma and a point is a grouped number in every file: the
// mark that comes last is the decimal mark ("1,000.5", "1.000,5").
enum class Commas { Separate, Decimal, Grouping };

// The way a file's commas are read, decided from its data lines only.
struct CommaDecision {
    Commas commas = Commas::Separate;
    std::string problem;   // not empty: the file cannot be read safely
};

// Decides from the given data parts of a file's lines (a body file's values
// after column 16, say; headings and labels are left out by the caller or
// cast no vote as they hold words). Each line whose fields read as numbers in
// one way only speaks for that way; the larger side wins. A tie, or a line
// that speaks against the decision (it would give other numbers than it
// holds), is refused with a message naming the line. lineNumbers[i] is the
// file's line number of lines[i]; minFields is the least number of fields a
// data line of that file holds (a decimal comma in a line of fewer is not
// counted).
CommaDecision decideCommas(const std::vector<std::string_view>& lines,
                           const std::vector<int>& lineNumbers, std::size_t minFields,
                           const std::string& fileName);

// The same for a whole text, every line taken as a data line (for tests and
// files without headings).
Commas commasOf(std::string_view text);

// The fields of a line, at most maxFields of them. Runs of blanks and tabs are
// one separator; an empty field stands only between two commas (where commas
// separate) or two semicolons. Enclosing double quotes are taken off a field,
// and separators between them belong to the field. Empty fields at the end of
// the line are dropped.
std::vector<std::string_view> splitLine(std::string_view line, Commas commas, std::size_t maxFields);

// A field as a number (as a box reads it), with decimal commas or grouped
// digits as the file writes them.
std::optional<double> fieldValue(std::string_view field, Commas commas);

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

// "3 lines were skipped (5, 9, 12)": the count and the first few numbers.
std::string skippedLinesNote(const std::vector<int>& lines, const std::string& what);

}  // namespace corvane
