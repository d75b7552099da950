#include "app/gradient_read.h"

#include "app/field_columns.h"
#include "app/tcorvane.h"
#include "map/survey.h"
#include "model/magnetic_limits.h"
#include "model/text.h"

#include <cmath>

namespace corvane {

GradientPlacement placeGradientStations(GradientRead read, const Model& m, double maxDistance)
{
    GradientPlacement out;
    if (!read.eastNorth || read.north.size() != read.stations.size()) {   // read with a position column
        out.stations = std::move(read.stations);
        return out;
    }
    std::vector<GradientStationValue> placed;
    auto keep = [&](GradientStationValue s, double x) {
        s.x = x;
        if (StationPositionLimit.holds(x))
            placed.push_back(s);
        else
            ++out.outside;
    };
    if (m.ProfileLine) {
        const auto line = map::ProfileLine::make(*m.ProfileLine, m.UnitsKm);
        if (!line) {
            out.error = line.error;
            return out;
        }
        std::vector<map::SurveyPoint> points;
        points.reserve(read.stations.size());
        for (std::size_t i = 0; i < read.stations.size(); ++i)
            points.push_back({read.stations[i].x, read.north[i], static_cast<double>(i), std::nullopt});
        map::SurveyOptions options;
        options.maxDistance = maxDistance;
        options.keepBeyondEnds = true;   // a model reaches past the line's ends as it likes
        const auto projected = map::projectSurvey(points, line.value, options);
        if (!projected) {
            out.error = projected.error;
            return out;
        }
        out.tooFar = projected.value.tooFar + projected.value.unplaced;
        for (const map::ProjectedStation& p : projected.value.stations)
            keep(read.stations[static_cast<std::size_t>(p.value)], p.x);
    } else {
        for (std::size_t i = 0; i < read.stations.size(); ++i)
            keep(read.stations[i], std::hypot(read.stations[i].x - read.stations[0].x, read.north[i] - read.north[0]));
    }
    out.stations = std::move(placed);
    return out;
}

QString gradientReadText(const GradientPlacement& p, double maxDistance, bool unitsKm, const std::string& skippedNote)
{
    const std::size_t n = p.stations.size();
    std::string text = std::to_string(n) + (n == 1 ? " gradient station was read." : " gradient stations were read.");
    auto leftOut = [&](int count, const std::string& why) {
        if (count > 0)
            text += " " + std::to_string(count) + (count == 1 ? " was" : " were") + " left out: " + why + ".";
    };
    leftOut(p.tooFar, "farther than " + itemNumber(maxDistance) + (unitsKm ? " km" : " m") + " from the profile line");
    leftOut(p.outside, "beyond the positions a model holds");
    if (!skippedNote.empty())
        text += " " + skippedNote;
    return QString::fromStdString(text);
}

void readGradientDataCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    Platform& platform = window.platform();
    const std::optional<FieldDataTable> table = openFieldDataTable(window, GradientTableShape);
    if (!table)
        return;
    Tdatadisplay1& grid = window.dialog<Tdatadisplay1>(&window);
    grid.setGradient(ws.model.ProfileLine.has_value());
    grid.fill(*table);
    GradientColumnChoice choice;
    double distance = 0;
    for (;;) {
        if (window.execDialog(grid) != QDialog::Accepted)
            return;
        choice = grid.gradientChoice();
        const auto d = grid.lineDistance();
        if (!choice.eastNorth || !ws.model.ProfileLine || (d && *d >= 0)) {
            distance = d.value_or(0);
            break;
        }
        platform.error(GradientDistanceText);
    }
    const GradientRead read = gradientStationsFromTable(*table, choice);
    const GradientPlacement placed = placeGradientStations(read, ws.model, distance);
    if (!placed.error.empty()) {
        platform.error(QString::fromStdString(placed.error));
        return;
    }
    if (placed.stations.empty()) {
        platform.error(NoGradientStationsText);
        return;
    }
    if (table->linesDropped)
        platform.warning(GradientLinesDroppedText);
    if (read.truncated)
        platform.warning(GradientStationsTruncatedText);
    {
        BusyCursor busy(platform);
        setGradientStations(ws.model, placed.stations, choice.frame);
    }
    window.repaintModel();
    platform.information(gradientReadText(placed, distance, ws.model.UnitsKm, skippedGradientNote(read, *table)));
}

}  // namespace corvane
