#pragma once
// Field data: a plain-text file of numbers in columns, split into fields and
// turned into stations by the columns chosen. Read alike by "Begin a new
// model" and by corvane-calc --stations.
#include "io/text_lines.h"
#include "model/result.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr int MaxFieldsPerLine = 5;
inline constexpr int MaxFieldDataLines = 4108;
inline constexpr int FieldDataLineLength = 80;
inline constexpr int FieldWidth = 10;
// Gradient files hold a position, a height and six components, and their
// lines are longer: the most fields and characters any table takes.
inline constexpr int MaxTableFields = 12;
inline constexpr int MaxTableLineLength = 240;

// How many fields of a line, and of how many characters, a table takes.
struct TableShape {
    int fields = MaxFieldsPerLine;
    int lineLength = FieldDataLineLength;
};

// One line split into at most 5 fields (the shape's), each cut to 10 characters for the
// grid. `whole` keeps the uncut text of each field, so that a long number is
// read in full rather than as its first 10 characters.
struct SplitLine {
    std::array<std::string, MaxTableFields> fields;
    std::array<std::string, MaxTableFields> whole;
    int count = 0;
    Commas commas = Commas::Separate;   // how the file writes its numbers
    int cutField = 0;                   // the field cut at column 80 (1-based), 0 for none
    int allFields = 0;                  // the fields of the first 80 characters, past 5 too
    bool words = false;                 // a field holds a word: a heading or a remark
    bool dataLike = false;              // no word, but digits, "nan" or an empty field: broken data
    bool extraFields = false;           // more fields than the file's data lines: gives no station
};

// At most the first 80 characters (the shape's), split as text_lines.h describes (a line
// of blank-separated fields as it always was).
SplitLine SplitFields(std::string_view line, Commas commas = Commas::Separate, TableShape shape = {});

struct FieldDataTable {
    std::vector<SplitLine> lines;   // line r of the file is lines[r - 1]
    int maxFields = 0;              // the largest field count of any line
    bool linesDropped = false;      // the file had lines after the last one taken
    int usualFields = 0;            // the field count of most data lines
    // The numbers read two ways: the lines hold the point reading, and the
    // caller asks which is meant (or refuses).
    std::optional<FormatQuestion> question;
    TableShape shape;               // the fields and characters each line was read to
};

// Decodes a file's bytes (decodeText), splits the text into lines (LF, CRLF or
// CR ends; a last line without an end counts) and each line into fields, the
// number format decided from the file's data lines; at most 4108 lines are
// taken. fileName only names the file in messages. decimal is '.' or ',' when
// the user has said which mark the file uses. Fails when the file cannot be read.
Result<FieldDataTable> readFieldDataText(std::string_view bytes, const std::string& fileName = "field data",
                                 char decimal = 0, TableShape shape = {});


// A value the model file can hold. Anything larger could not be saved, and
// its differences and widths would overflow: it is read like a word.
bool storable(double v);
// The number a text holds, if it is one and storable.
std::optional<double> storableNumber(const std::string& text);

// Field j (1-based) of a line as a number; nothing when the line has no such
// field, or it is not a number, one beyond what the model file can hold or
// one cut at column 80.
std::optional<double> fieldNumber(const SplitLine& line, int j);

// A line with a field that is not a number: the grid marks it "*****".
bool hasNonNumber(const SplitLine& line);

// The column chooser of the field-data grid.
struct ColumnChoice {
    int xColumn = 1;
    int yColumn = 2;
    int gravityColumn = 2;
    int commentLines = 3;
    bool xyData = false;
    // Station heights: from a column when ticked, otherwise one height for
    // every station (an airborne or shipborne survey; 0 on the datum).
    bool heightData = false;
    int heightColumn = 3;
    double constantHeight = 0;
};

// Whether a line gives a station under the choice (its chosen cells are numbers).
bool isStationLine(const SplitLine& line, const ColumnChoice& choice);
// The lines before the first station line: the comment lines a file has.
int leadingNonStationLines(const FieldDataTable& table, const ColumnChoice& choice);

struct StationList {
    std::vector<double> x;
    std::vector<double> g;
    std::vector<double> h;   // heights above the datum, one per station
    std::vector<double> offset;   // distances from the profile line (model.h); none: all 0
    bool truncated = false;   // more usable lines than the 4096 stations hold
    bool sorted = false;      // positions were out of order and have been sorted
    std::vector<int> skipped; // data lines with text that gave no station (file line numbers)
    std::vector<int> cut;     // of those, the lines whose chosen number was cut at column 80
};

// Appends a station unless the list is full (4096); returns false once it is.
bool appendStation(StationList& s, double x, double g, double h = 0, double offset = 0);
// Sorts the stations by position (stable) if they are out of order, and says so.
void sortByPosition(StationList& s);

// Lines after the comment lines whose chosen cells are numbers become
// stations, in file order, up to 4096 (with a height column, a line needs a
// number there too). With x-y data the first such line is
// the origin (position 0) and positions are distances from it. Positions out
// of ascending order are sorted (stable), and `sorted` says so.
StationList stationsFromTable(const FieldDataTable& table, const ColumnChoice& choice);

// Messages of the field-data commands.
std::string tooFewStationsMessage(std::size_t found);
// What was skipped or cut in reading the stations ("" when nothing was).
std::string skippedStationsNote(const StationList& s);
inline const char* const StationsSortedMessage =
    "The station positions were not in ascending order; the stations have been sorted by position.";
inline const char* const LinesDroppedMessage =
    "The field data file has more than 4108 lines; the lines after line 4108 have not been read.";
inline const char* const StationsTruncatedMessage =
    "The field data hold more than 4096 stations; only the first 4096 have been read.";

}  // namespace corvane
