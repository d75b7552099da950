#pragma once
// Field data: a plain-text file of numbers in columns, split into fields,
// shown in a grid, and turned into stations by the columns the user picks.
// Also the settings of a new model and the profile without field data.
// No widgets here: the dialogs fill these from their boxes.
#include "display/workspace.h"

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr int MaxFieldsPerLine = 5;
inline constexpr int MaxFieldDataLines = 4108;
inline constexpr int FieldDataLineLength = 80;
inline constexpr int FieldWidth = 10;

// One line split at spaces: at most 5 fields, each cut to 10 characters for
// the grid. `whole` keeps the uncut text of each field, so that a long number
// is read in full rather than as its first 10 characters.
struct SplitLine {
    std::array<std::string, MaxFieldsPerLine> fields;
    std::array<std::string, MaxFieldsPerLine> whole;
    int count = 0;
};

// At most the first 80 characters; fields are separated by spaces only (tabs
// and commas belong to a field).
SplitLine SplitFields(std::string_view line);

struct FieldDataTable {
    std::vector<SplitLine> lines;   // line r of the file is lines[r - 1]
    int maxFields = 0;              // the largest field count of any line
    bool linesDropped = false;      // the file had lines after the last one taken
};

// Splits a file's text into lines (LF, CRLF or CR ends; a last line without
// an end counts) and each line into fields; at most 4108 lines are taken.
FieldDataTable readFieldDataText(std::string_view text);

// Field j (1-based) of a line as a number; nothing when the line has no such
// field, or it is not a number or one beyond what the model file can hold.
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
};

struct StationList {
    std::vector<double> x;
    std::vector<double> g;
    bool truncated = false;   // more usable lines than the 4096 stations hold
    bool sorted = false;      // positions were out of order and have been sorted
};

// Lines after the comment lines whose chosen cells are numbers become
// stations, in file order, up to 4096. With x-y data the first such line is
// the origin (position 0) and positions are distances from it. Positions out
// of ascending order are sorted (stable), and `sorted` says so.
StationList stationsFromTable(const FieldDataTable& table, const ColumnChoice& choice);

// The boxes of the new-model dialog, as typed.
struct NewModelInput {
    QString density = QStringLiteral("0.1");
    QString strike1 = QStringLiteral("100.0");
    QString strike2 = QStringLiteral("100.0");
    QString maxDepth = QStringLiteral("100.0");
    QString spacing = QStringLiteral("10.0");
    QString points = QStringLiteral("100");
    bool km = true;
    bool readFieldData = true;
};

// The evenly spaced profile without field data: 10 to 4096 stations (100
// when the box is not a whole number), spacing 10.0 when not a number and
// 1.0 when not positive.
std::vector<double> evenProfile(const QString& points, const QString& spacing);

// Replaces the model by a new one ready for its first body: stations (the
// given ones, or those already held when `stations` is empty), view, grid,
// axes and units; body 1's density and strike lengths; no bodies yet.
void applyNewModel(Workspace& ws, const NewModelInput& in, const StationList* stations);

// Every body slot back to a fresh body (density and strike lengths kept),
// then one body, the one about to be drawn. Returns its number, 1.
int prepareFirstBody(Workspace& ws);

// After body 1 is drawn: the temporary gravity range goes, body 1 becomes the
// current body and its anomaly is calculated.
void finishFirstBody(Workspace& ws);

// The grid of "Edit the field data": one row per station.
struct StationRow {
    QString position;
    QString gravity;
};
std::vector<StationRow> stationRows(const Model& m);
// Rows whose two cells are numbers, in order, as stations. A cell still
// showing the text stationRows(m) gave it keeps the exact value of m.
StationList stationsFromRows(const std::vector<StationRow>& rows, const Model& m);
// Replaces the stations and recalculates every body at the new positions.
void applyEditedStations(Workspace& ws, const StationList& s);

// Messages of the field-data commands.
QString tooFewStationsText(std::size_t found);
extern const QString StationsSortedText;
extern const QString StationsTruncatedText;
extern const QString LinesDroppedText;

}  // namespace corvane
