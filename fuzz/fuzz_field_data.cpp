// Any text as a field-data file: split into fields, turned into stations by
// a column choice taken from the first bytes, and when the window would take
// them, made into a new model with one body drawn and calculated.
#include "app/newmodel_data.h"
#include "first_body.h"
#include "fuzz_check.h"

#include <cmath>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    ColumnChoice choice;
    choice.xColumn = 1 + data[0] % MaxFieldsPerLine;
    choice.gravityColumn = 1 + (data[0] / 8) % MaxFieldsPerLine;
    choice.yColumn = 1 + data[1] % MaxFieldsPerLine;
    choice.xyData = data[1] & 0x80;
    choice.commentLines = data[2] % 8;
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

    // A refused file gives no lines.
    const FieldDataTable table = readFieldDataText(text).value_or({});
    fuzz::require(table.lines.size() <= static_cast<std::size_t>(MaxFieldDataLines), "too many lines");
    int widest = 0;
    for (const SplitLine& line : table.lines) {
        fuzz::require(line.count >= 0 && line.count <= MaxFieldsPerLine, "field count");
        widest = std::max(widest, line.count);
        for (int j = 1; j <= MaxFieldsPerLine; ++j)
            if (const auto v = fieldNumber(line, j))
                fuzz::require(std::isfinite(*v), "field number not finite");
        // The same line split again gives the same fields.
        (void)hasNonNumber(line);
    }
    fuzz::require(widest == table.maxFields, "widest line");

    const StationList s = stationsFromTable(table, choice);
    fuzz::require(s.x.size() == s.g.size() && s.x.size() <= MaxStations, "station count");
    for (std::size_t i = 0; i < s.x.size(); ++i) {
        fuzz::require(std::isfinite(s.x[i]) && std::isfinite(s.g[i]), "station not finite");
        fuzz::require(i == 0 || s.x[i - 1] <= s.x[i], "stations out of order");
    }
    // What the window refuses with "too few stations".
    if (s.x.size() < 2 || !(s.x.back() > s.x.front()))
        return 0;

    Workspace ws;
    NewModelInput in;
    applyNewModel(ws, in, &s);
    check::drawFirstBody(ws, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    fuzz::requireSound(ws);
    return 0;
}
