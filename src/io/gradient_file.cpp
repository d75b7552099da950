#include "io/gradient_file.h"

#include "io/text_lines.h"
#include "model/magnetic_limits.h"
#include "model/model.h"

#include <algorithm>
#include <optional>

namespace corvane {

namespace {

// A chosen number the model file can hold, or nothing.
std::optional<double> within(const SplitLine& line, int column, const MagneticLimit& limit)
{
    const auto v = fieldNumber(line, column);
    return v && limit.holds(*v) ? v : std::nullopt;
}

// The station a line gives under the choice, if it gives one; north is the
// northing with eastNorth.
std::optional<GradientStationValue> stationOf(const SplitLine& line, const GradientColumnChoice& c, double& north)
{
    if (line.extraFields)
        return std::nullopt;
    GradientStationValue s;
    // The easting and northing are checked once placed on the line.
    const auto x = c.eastNorth ? fieldNumber(line, c.xColumn) : within(line, c.xColumn, StationPositionLimit);
    const auto y = c.eastNorth ? fieldNumber(line, c.northColumn) : std::optional<double>(0);
    const auto h = c.heightData ? within(line, c.heightColumn, StationHeightLimit)
                                : std::optional<double>(c.constantHeight);
    if (!x || !y || !h)
        return std::nullopt;
    s.x = *x;
    s.height = *h;
    north = *y;
    bool chosen = false, any = false;
    for (int k = 0; k < TensorComponents; ++k) {
        const int column = c.component[static_cast<std::size_t>(k)];
        if (column < 1)
            continue;
        chosen = true;
        const auto v = fieldNumber(line, column);
        // A number the model file could not hold is no gap: the line is wrong.
        if (v && !ObservedGradientLimit.holds(*v))
            return std::nullopt;
        if (v) {
            s.observed[k] = *v;
            s.has[static_cast<std::size_t>(k)] = true;
            any = true;
        }
    }
    if (chosen && !any)
        return std::nullopt;
    return s;
}

bool chosenColumn(const GradientColumnChoice& c, int column)
{
    if (column == c.xColumn || (c.eastNorth && column == c.northColumn) || (c.heightData && column == c.heightColumn))
        return true;
    return std::find(c.component.begin(), c.component.end(), column) != c.component.end();
}

}  // namespace

bool isGradientLine(const SplitLine& line, const GradientColumnChoice& choice)
{
    double north = 0;
    return stationOf(line, choice, north).has_value();
}

int leadingNonGradientLines(const FieldDataTable& table, const GradientColumnChoice& choice)
{
    int n = 0;
    const int lines = static_cast<int>(table.lines.size());
    // Headings and blank lines lead; broken data there is said, as in field data.
    while (n < lines && !isGradientLine(table.lines[static_cast<std::size_t>(n)], choice) &&
           !table.lines[static_cast<std::size_t>(n)].dataLike)
        ++n;
    return n == lines ? 0 : n;
}

GradientRead gradientStationsFromTable(const FieldDataTable& table, const GradientColumnChoice& choice)
{
    GradientRead out;
    out.eastNorth = choice.eastNorth;
    for (std::size_t r = static_cast<std::size_t>(std::max(choice.commentLines, 0)); r < table.lines.size(); ++r) {
        const SplitLine& line = table.lines[r];
        double north = 0;
        const auto s = stationOf(line, choice, north);
        if (!s) {
            if (line.count > 0) {
                out.skipped.push_back(static_cast<int>(r) + 1);
                if (line.cutField != 0 && chosenColumn(choice, line.cutField))
                    out.cut.push_back(static_cast<int>(r) + 1);
            }
            continue;
        }
        if (static_cast<int>(out.stations.size()) >= MaxStations) {
            out.truncated = true;
            break;
        }
        out.stations.push_back(*s);
        if (choice.eastNorth)
            out.north.push_back(north);
    }
    return out;
}

std::string skippedGradientNote(const GradientRead& r, const FieldDataTable& table)
{
    std::string note = skippedLinesNote(r.skipped, "of the gradient data");
    if (!r.cut.empty()) {
        note += note.empty() ? "" : " ";
        note += (r.cut.size() == 1 ? "Line " : "Lines ") + std::to_string(r.cut.front()) +
                (r.cut.size() == 1 ? " holds" : ", ... hold") + " a number cut at column " +
                std::to_string(table.shape.lineLength) + ".";
    }
    return note;
}

}  // namespace corvane
