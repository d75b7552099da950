#include "app/newmodel_data.h"

#include "display/paint.h"
#include "edit/add_body.h"
#include "model/ground.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane {

const QString StationsSortedText = QString::fromUtf8(StationsSortedMessage);
const QString LinesDroppedText = QString::fromUtf8(LinesDroppedMessage);
const QString StationsTruncatedText = QString::fromUtf8(StationsTruncatedMessage);

const QStringList DecimalChoices = {QStringLiteral("Decimal point"), QStringLiteral("Decimal comma")};

QString twoReadingsQuestion(const FormatQuestion& q, const std::string& fileName)
{
    FormatRules rules;
    rules.minNumbers = 2;
    std::string text = "The numbers of \"" + fileName + "\" can be read in two ways: line " +
                       std::to_string(q.lineNumber) + " holds \"" + q.field + "\".\n";
    for (const auto& [name, format] : {std::pair{"With a decimal point", q.pointReading},
                                       std::pair{"With a decimal comma", q.commaReading}}) {
        text += std::string("\n") + name + ":\n";
        for (const std::string& line : q.lines)
            text += "    " + firstCharacters(line, 40) + "   ->   " + numbersAsRead(line, format, rules) + "\n";
    }
    text += "\nWhich mark does the file use for its decimals?";
    return QString::fromStdString(text);
}

QString tooFewStationsText(std::size_t found)
{
    return QString::fromStdString(tooFewStationsMessage(found));
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
    m.clearMagnetics();
    m.ProfileLine.reset();   // a new model is placed on no map yet
    d.ShowMagnetic = false;
    d.ShowGradient = false;
    d.GradientComponents = 0;
    if (m.HaveObserved) {
        if (stations) {
            m.NumStations = static_cast<int>(std::min<std::size_t>(stations->x.size(), MaxStations));
            m.StationHeight.fill(0);
            m.StationOffset.fill(0);   // a new model is placed on no map
            for (int i = 1; i <= m.NumStations; ++i) {
                const auto at = static_cast<std::size_t>(i - 1);
                m.StationX[i] = stations->x[at];
                m.ObservedGravity[i] = stations->g[at];
                m.StationHeight[i] = at < stations->h.size() ? stations->h[at] : 0.0;
            }
        }
    } else {
        const std::vector<double> x = evenProfile(in.points, in.spacing);
        m.NumStations = static_cast<int>(x.size());
        m.StationHeight.fill(0);
        m.StationOffset.fill(0);
        for (int i = 1; i <= m.NumStations; ++i)
            m.StationX[i] = x[static_cast<std::size_t>(i - 1)];
    }
    const int n = std::clamp(m.NumStations, 1, MaxStations);

    d.ViewDepthMin = 0;
    ws.inversion.InversionBody = 1;
    // What the last model's file carried belongs to that model.
    ws.extras.RegionalRemoved.reset();
    ws.extras.MagneticRegionalRemoved.reset();
    ws.extras.Carried = {};
    m.CalculatedGravity.fill(0);
    d.ModelBegun = true;
    m.ModelExists = true;
    d.ShowIndividual = false;

    // A bottom at or above the surface would leave no section to draw.
    const auto maxZ = parseNumber(in.maxDepth.toStdString());
    d.ViewDepthMax = maxZ && *maxZ > 0 ? *maxZ : hundredKm(in.km);

    d.GridStepX = std::abs(m.StationX[n] - m.StationX[1]) * 0.1;
    // Stations near both ends of the number range: their span overflows,
    // a tenth of each does not.
    if (!std::isfinite(d.GridStepX))
        d.GridStepX = std::abs(m.StationX[n] * 0.1 - m.StationX[1] * 0.1);
    d.GridStepZ = d.ViewDepthMax * 0.05;
    // Stations above the datum: the section starts above the highest one.
    d.ViewDepthMin = sectionTop(m, d.ViewDepthMax);
    m.UnitsKm = in.km;

    const NewBodyValues v = readNewBodyValues(in.density, in.strike1, in.strike2, in.km);
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
    const bool heights = hasStationHeights(m);
    const bool offsets = hasGravityOffsets(m);
    std::vector<StationRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) {
        const std::string x = fixed(m.StationX[i], 9, 2).substr(0, FieldWidth);
        const std::string g = fixed(m.ObservedGravity[i], 6, 3).substr(0, FieldWidth);
        const std::string h = heights ? fixed(m.StationHeight[i], 9, 2).substr(0, FieldWidth) : "";
        const std::string o = offsets ? fixed(m.StationOffset[i], 9, 3).substr(0, FieldWidth) : "";
        rows.push_back({QString::fromStdString(x), QString::fromStdString(g), QString::fromStdString(h),
                        QString::fromStdString(o)});
    }
    return rows;
}

StationList stationsFromRows(const std::vector<StationRow>& rows, const Model& m)
{
    // The grid shows rounded values; a cell the user left as it was keeps
    // the exact value behind it, so that pressing OK changes nothing.
    const std::vector<StationRow> shown = stationRows(m);
    const bool heights = hasStationHeights(m);
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
        // Without a height column every station stays on the datum.
        std::optional<double> h = 0.0;
        if (heights) {
            if (known && rows[r].height == shown[r].height)
                h = m.StationHeight[i];
            else
                h = storableNumber(rows[r].height.toStdString());
        }
        // An empty offset cell puts the station on the line.
        std::optional<double> o = 0.0;
        if (known && rows[r].offset == shown[r].offset)
            o = m.StationOffset[i];
        else if (!rows[r].offset.trimmed().isEmpty())
            o = storableNumber(rows[r].offset.toStdString());
        if (x && g && h && o && !appendStation(s, *x, *g, *h, *o))
            break;
    }
    sortByPosition(s);
    return s;
}

void applyEditedStations(Workspace& ws, const StationList& s)
{
    Model& m = ws.model;
    const bool hadHeights = hasStationHeights(m);
    m.NumStations = static_cast<int>(std::min<std::size_t>(s.x.size(), MaxStations));
    m.StationHeight.fill(0);
    m.StationOffset.fill(0);
    for (int i = 1; i <= m.NumStations; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        m.StationX[i] = s.x[at];
        m.ObservedGravity[i] = s.g[at];
        m.StationHeight[i] = at < s.h.size() ? s.h[at] : 0.0;
        m.StationOffset[i] = at < s.offset.size() ? s.offset[at] : 0.0;
    }
    // Each body's anomaly is held per station: with stations removed or moved
    // the old values would stand at the wrong positions.
    m.RecalculateModel();
    // Heights given for the first time bring the ground into view; taken
    // away, the section starts at the datum again.
    Display& d = ws.display;
    const bool hasHeights = hasStationHeights(m);
    if (hasHeights && !hadHeights)
        d.ViewDepthMin = std::min(d.ViewDepthMin, sectionTop(m, d.ViewDepthMax));
    else if (!hasHeights && hadHeights && d.ViewDepthMin < 0)
        d.ViewDepthMin = 0;
}

}  // namespace corvane
