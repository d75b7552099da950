#pragma once
// How a text file writes its numbers: the decimal mark, the thousands
// separator and whether commas part the fields. Decided once for the whole
// file from every numeric field of its data lines, so that "1,000" or "2.500"
// means the same in every line; a file that reads two ways is asked about
// (in the window) or refused (by the other readers).
#include "model/result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct NumberFormat {
    // '.' or ','. With `group` 0 both marks are decimal marks where a field
    // holds one of them ("2.5" and "2,5" alike); a field with both ends with
    // this one ("1.000,5").
    char decimal = '.';
    char group = ',';             // ',', '.', ' ' or 0
    bool commasSeparate = true;   // outside quotes, commas part the fields
    bool tabsDelimit = false;     // each tab ends a field: two tabs leave an empty one

    bool operator==(const NumberFormat&) const = default;

    // Point decimals; commas part the fields (CSV), or group thousands inside quotes.
    static const NumberFormat Separate;
    // A lone comma or point is the decimal mark; blanks, tabs, semicolons part the fields.
    static const NumberFormat Decimal;
    // Point decimals, commas group thousands ("1,000.5  -3.2").
    static const NumberFormat Grouping;
};
inline constexpr NumberFormat NumberFormat::Separate{'.', ',', true};
inline constexpr NumberFormat NumberFormat::Decimal{',', 0, false};
inline constexpr NumberFormat NumberFormat::Grouping{'.', ',', false};

// The older name, kept where a reader only needs to know how commas are read.
using Commas = NumberFormat;

// A field as a number under the format: digits grouped by threes with its
// group mark, one decimal mark.
std::optional<double> formatValue(std::string_view field, const NumberFormat& f);

// The fields of a line under the format, at most maxFields of them. Runs of
// blanks (unless blanks group thousands) and tabs (unless tabs delimit) are
// one separator; an empty field stands only between two delimiters. Enclosing
// double quotes are taken off a field, and separators between them belong to
// the field. Empty fields at the end of the line are dropped.
std::vector<std::string_view> formatFields(std::string_view line, const NumberFormat& f,
                                           std::size_t maxFields);

// What the reader knows of a file's lines before deciding.
struct FormatRules {
    std::size_t minNumbers = 1;    // a data line holds at least this many numbers
    std::size_t numberFields = 0;  // only the first this many fields are numbers (0: all)
    char decimal = 0;              // '.' or ',' when the user has said; 0 otherwise
};

// Two readings of a file that give different numbers.
struct FormatQuestion {
    NumberFormat pointReading;   // the one that reads the mark in question as a decimal point
    NumberFormat commaReading;   // the one that reads it as a decimal comma
    int lineNumber = 0;          // the first data line they read differently
    std::string field;           // and the field there
    std::vector<std::string> lines;   // the first few data lines (for showing them read both ways)
};

struct FormatDecision {
    NumberFormat format;           // the reading to use (the point reading when asked)
    std::optional<FormatQuestion> question;   // the file reads two ways
};

// Decides from the given data parts of a file's lines (headings and labels
// hold words and cast no vote). lineNumbers[i] is the file's line number of
// lines[i]. A format is possible when it reads every line that any format
// reads; a split of a number that looks grouped ("2,500.0,-9.6": 2 and 500.0)
// makes a format impossible unless the split leaves too few numbers for a
// data line, or another line with as many fields is split there plainly.
// Fails when the file cannot be read safely.
Result<FormatDecision> decideFormat(const std::vector<std::string_view>& lines,
                            const std::vector<int>& lineNumbers, const FormatRules& rules,
                            const std::string& fileName);

// A line of the question: its numbers as the reading gives them ("1000; 5").
std::string numbersAsRead(std::string_view line, const NumberFormat& f, const FormatRules& rules);

// The refusal of a file that reads two ways, for the readers that do not ask.
std::string twoReadingsMessage(const FormatQuestion& q, const std::string& fileName);

// Whether a field is a word (a heading or a label): letters, other than an
// exponent or "nan" and "inf".
bool isWord(std::string_view field);

}  // namespace corvane
