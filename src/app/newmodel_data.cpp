#include "app/newmodel_data.h"

#include "display/paint.h"
#include "edit/add_body.h"
#include "io/real48.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace corvane {

const QString StationsSortedText = QStringLiteral(
    "The station positions were not in ascending order; the stations have been sorted by position.");
const QString LinesDroppedText = QStringLiteral(
    "The field data file has more than 4108 lines; the lines after line 4108 have not been read.");
const QString StationsTruncatedText = QStringLiteral(
    "The field data hold more than 4096 stations; only the first 4096 have been read.");

QString tooFewStationsText(std::size_t found)
{
    return QStringLiteral("The field data give %1 usable station(s); at least two stations at "
                          "different positions are needed. The model is unchanged.")
        .arg(found);
}

SplitLine SplitFields(std::string_view line)
{
    if (line.size() > FieldDataLineLength)
        line = line.substr(0, FieldDataLineLength);
    SplitLine out;
    bool open = false;
    std::size_t start = 0;
    // One position past the end counts as a blank, which closes the last field.
    for (std::size_t pos = 0; pos <= line.size(); ++pos) {
        const char c = pos < line.size() ? line[pos] : ' ';
        if (c != ' ') {
            if (!open) {
                open = true;
                start = pos;
            }
            continue;
        }
        if (!open)
            continue;
        open = false;
        if (out.count < MaxFieldsPerLine) {
            const std::string_view field = line.substr(start, pos - start);
            out.whole[out.count] = std::string(field);
            out.fields[out.count] = std::string(field.substr(0, FieldWidth));
            ++out.count;
        }
    }
    return out;
}

FieldDataTable readFieldDataText(std::string_view text)
{
    FieldDataTable table;
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<int>(table.lines.size()) < MaxFieldDataLines) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        table.lines.push_back(SplitFields(text.substr(pos, end - pos)));
        table.maxFields = std::max(table.maxFields, table.lines.back().count);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    }
    table.linesDropped = pos < text.size();
    return table;
}

namespace {

// A value the model file can hold. Anything larger could not be saved, and
// its differences and widths would overflow: it is read like a word.
bool storable(double v) { return std::fabs(v) <= Real48Max; }

std::optional<double> storableNumber(const std::string& text)
{
    const auto v = parseNumber(text);
    if (v && !storable(*v))
        return std::nullopt;
    return v;
}

}  // namespace

std::optional<double> fieldNumber(const SplitLine& line, int j)
{
    if (j < 1 || j > line.count)
        return std::nullopt;
    return storableNumber(line.whole[static_cast<std::size_t>(j - 1)]);
}

bool hasNonNumber(const SplitLine& line)
{
    for (int j = 1; j <= line.count; ++j)
        if (!fieldNumber(line, j))
            return true;
    return false;
}

namespace {

void sortByPosition(StationList& s)
{
    if (std::is_sorted(s.x.begin(), s.x.end()))
        return;
    std::vector<std::size_t> order(s.x.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return s.x[a] < s.x[b]; });
    std::vector<double> x, g;
    x.reserve(order.size());
    g.reserve(order.size());
    for (std::size_t i : order) {
        x.push_back(s.x[i]);
        g.push_back(s.g[i]);
    }
    s.x = std::move(x);
    s.g = std::move(g);
    s.sorted = true;
}

// Appends a station unless the arrays are full; returns false once they are.
bool append(StationList& s, double x, double g)
{
    if (static_cast<int>(s.x.size()) >= MaxStations) {
        s.truncated = true;
        return false;
    }
    s.x.push_back(x);
    s.g.push_back(g);
    return true;
}

}  // namespace

StationList stationsFromTable(const FieldDataTable& table, const ColumnChoice& choice)
{
    StationList s;
    const std::size_t first = static_cast<std::size_t>(std::max(choice.commentLines, 0));
    bool haveOrigin = false;
    double x0 = 0, y0 = 0;
    for (std::size_t r = first; r < table.lines.size(); ++r) {
        const SplitLine& line = table.lines[r];
        const auto x = fieldNumber(line, choice.xColumn);
        const auto g = fieldNumber(line, choice.gravityColumn);
        if (!x || !g)
            continue;
        double position = *x;
        if (choice.xyData) {
            const auto y = fieldNumber(line, choice.yColumn);
            if (!y)
                continue;
            // The first line that reads in full is the origin: a heading or a
            // broken line there must not shift every position.
            if (!haveOrigin) {
                haveOrigin = true;
                x0 = *x;
                y0 = *y;
            }
            position = std::hypot(*x - x0, *y - y0);
            // Two storable coordinates can still lie further apart than that.
            if (!storable(position))
                continue;
        }
        if (!append(s, position, *g))
            break;
    }
    sortByPosition(s);
    return s;
}

std::vector<double> evenProfile(const QString& points, const QString& spacing)
{
    int n = 100;
    if (const auto v = parseNumber(points.toStdString()); v && *v == std::trunc(*v))
        n = static_cast<int>(std::clamp(*v, 10.0, static_cast<double>(MaxStations)));
    double dx = 10.0;
    if (const auto v = parseNumber(spacing.toStdString()))
        dx = *v > 0 ? *v : 1.0;
    // A spacing so large that the last station lies beyond what the model
    // file can hold is no more usable than one that is not a number (and a
    // wider profile would overflow the view's width and its fractions).
    if (!storable(dx * (n - 1)))
        dx = 10.0;
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i)
        x[static_cast<std::size_t>(i - 1)] = (i - 1) * dx;
    return x;
}

void applyNewModel(Workspace& ws, const NewModelInput& in, const StationList* stations)
{
    Model& m = ws.model;
    Display& d = ws.display;

    m.HaveObserved = in.readFieldData;
    if (m.HaveObserved) {
        if (stations) {
            m.NumStations = static_cast<int>(std::min<std::size_t>(stations->x.size(), MaxStations));
            for (int i = 1; i <= m.NumStations; ++i) {
                m.StationX[i] = stations->x[static_cast<std::size_t>(i - 1)];
                m.ObservedGravity[i] = stations->g[static_cast<std::size_t>(i - 1)];
            }
        }
    } else {
        const std::vector<double> x = evenProfile(in.points, in.spacing);
        m.NumStations = static_cast<int>(x.size());
        for (int i = 1; i <= m.NumStations; ++i)
            m.StationX[i] = x[static_cast<std::size_t>(i - 1)];
    }
    const int n = std::clamp(m.NumStations, 1, MaxStations);

    d.ViewDepthMin = 0;
    ws.inversion.InversionBody = 1;
    m.CalculatedGravity.fill(0);
    d.ModelBegun = true;
    m.ModelExists = true;
    d.ShowIndividual = false;

    // A bottom at or above the surface would leave no section to draw.
    const auto maxZ = parseNumber(in.maxDepth.toStdString());
    d.ViewDepthMax = maxZ && *maxZ > 0 ? *maxZ : 100.0;

    d.GridStepX = std::abs(m.StationX[n] - m.StationX[1]) * 0.1;
    // Stations near both ends of the number range: their span overflows,
    // a tenth of each does not.
    if (!std::isfinite(d.GridStepX))
        d.GridStepX = std::abs(m.StationX[n] * 0.1 - m.StationX[1] * 0.1);
    d.GridStepZ = d.ViewDepthMax * 0.05;
    m.UnitsKm = in.km;

    const NewBodyValues v = readNewBodyValues(in.density, in.strike1, in.strike2);
    m.Bodies[1].Density = v.density;
    m.Bodies[1].StrikeLength1 = v.strike1;
    m.Bodies[1].StrikeLength2 = v.strike2;

    d.ViewXMin = m.StationX[1];
    d.ViewXMax = m.StationX[n];
    d.Zoomed = false;

    if (!m.HaveObserved) {
        // The empty plot needs a range until the first body is drawn.
        m.CalculatedGravity[1] = -100;
        m.CalculatedGravity[2] = 100;
        d.GravityTickStep = 50;
    } else {
        double lo = 1.0e8, hi = -1.0e8;
        for (int i = 1; i <= n; ++i) {
            lo = std::min(lo, m.ObservedGravity[i]);
            hi = std::max(hi, m.ObservedGravity[i]);
        }
        d.GravityTickStep = autoGravityTickStep(lo, hi);
    }

    m.NumBodies = 0;
    // The body commands act on the current body: it must be the one to come.
    m.CurrentBody = 1;
    d.DepthTickStep = (d.ViewDepthMax - d.ViewDepthMin) * 0.25;
}

int prepareFirstBody(Workspace& ws)
{
    Model& m = ws.model;
    auto fresh = std::make_unique<Tbody>();
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = m.Bodies[b];
        fresh->Density = body.Density;
        fresh->StrikeLength1 = body.StrikeLength1;
        fresh->StrikeLength2 = body.StrikeLength2;
        body = *fresh;
    }
    m.NumBodies = 1;
    return 1;
}

void finishFirstBody(Workspace& ws)
{
    Model& m = ws.model;
    if (!m.HaveObserved) {
        m.CalculatedGravity[1] = 0;
        m.CalculatedGravity[2] = 0;
    }
    m.CurrentBody = 1;
    ws.inversion.InversionBody = 1;
    m.CalculateBody(1);
}

std::vector<StationRow> stationRows(const Model& m)
{
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    std::vector<StationRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        const std::string x = fixed(m.StationX[i], 9, 2).substr(0, FieldWidth);
        const std::string g = fixed(m.ObservedGravity[i], 6, 3).substr(0, FieldWidth);
        rows.push_back({QString::fromStdString(x), QString::fromStdString(g)});
    }
    return rows;
}

StationList stationsFromRows(const std::vector<StationRow>& rows, const Model& m)
{
    // The grid shows rounded values; a cell the user left as it was keeps
    // the exact value behind it, so that pressing OK changes nothing.
    const std::vector<StationRow> shown = stationRows(m);
    StationList s;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool known = r < shown.size();
        const int i = static_cast<int>(r) + 1;
        std::optional<double> x, g;
        if (known && rows[r].position == shown[r].position)
            x = m.StationX[i];
        else
            x = storableNumber(rows[r].position.toStdString());
        if (known && rows[r].gravity == shown[r].gravity)
            g = m.ObservedGravity[i];
        else
            g = storableNumber(rows[r].gravity.toStdString());
        if (x && g && !append(s, *x, *g))
            break;
    }
    sortByPosition(s);
    return s;
}

void applyEditedStations(Workspace& ws, const StationList& s)
{
    Model& m = ws.model;
    m.NumStations = static_cast<int>(std::min<std::size_t>(s.x.size(), MaxStations));
    for (int i = 1; i <= m.NumStations; ++i) {
        m.StationX[i] = s.x[static_cast<std::size_t>(i - 1)];
        m.ObservedGravity[i] = s.g[static_cast<std::size_t>(i - 1)];
    }
    // Each body's anomaly is held per station: with stations removed or moved
    // the old values would stand at the wrong positions.
    m.RecalculateModel();
}

}  // namespace corvane
