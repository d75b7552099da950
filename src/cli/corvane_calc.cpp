// corvane-calc: the anomaly of a saved model from the command line, for
// scripts and batch runs. The model (and, if asked, the stations of a
// field-data file) is read with the program's own readers and calculated with
// its own engine, so the figures are the window's to the last digit. Results
// go to standard output, messages to standard error; standard output stays
// empty unless everything went well. The model file's extras count as in the
// window: a hidden body keeps its own column but is not in "calculated".
// --invert runs the inversion the model's stored choices describe, as "Invert
// the model" runs it, and writes the fitted model.
#include "cli/calc_map.h"
#include "cli/options.h"
#include "inversion/outcome_texts.h"
#include "inversion/run_options.h"
#include "io/field_data.h"
#include "io/model_file.h"
#include "io/real48.h"
#include "io/report.h"
#include "io/safe_file.h"
#include "model/ground.h"
#include "model/gradient.h"
#include "model/magnetic_data.h"
#include "version.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace corvane;

constexpr int ExitFailure = 1;   // a file could not be read, or the output not written
constexpr int ExitUsage = 2;     // the command line is wrong

constexpr const char* HelpText =
    "Usage: corvane-calc [OPTION]... MODEL.mod\n"
    "  or:  corvane-calc --invert MODEL.mod -o FITTED.mod\n"
    "  or:  corvane-calc --sample GRID --line E1,N1,E2,N2 [--crs EPSG:N]\n"
    "                    [--spacing D | --count N] [--bicubic] [--km]\n"
    "  or:  corvane-calc --export-gis MODEL.mod -o OUT.gpkg\n"
    "Calculate the gravity anomaly of a saved Corvane model and write it to\n"
    "standard output as CSV: one row per station with its position, the\n"
    "observed and the calculated anomaly and each body's own anomaly.\n"
    "A body the model file marks hidden keeps its column but is left out of\n"
    "the calculated anomaly, as in the window.\n"
    "\n"
    "  --report              write the model report instead, as \"Printout the\n"
    "                        model\", \"to an ASCII file\" writes it\n"
    "  --magnetic            write the magnetic anomaly instead: one row per\n"
    "                        magnetic station with its position, height, the\n"
    "                        observed and the calculated anomaly and each body's\n"
    "                        own anomaly (nT); a model without magnetic stations\n"
    "                        needs --stations\n"
    "  --gradients           write the gravity gradients instead: one row per\n"
    "                        gradient station with its position, height and,\n"
    "                        for xx, xy, xz, yy, yz, zz, the observed (empty\n"
    "                        where not given) and calculated component (E), in\n"
    "                        the profile frame (x along the profile, y to its\n"
    "                        left, z down)\n"
    "  --geographic          with --gradients: in north, east, down instead\n"
    "  --stations FILE       calculate at the stations of a field-data file,\n"
    "                        read as \"Begin a new model\" reads it; its anomaly\n"
    "                        column becomes the observed anomaly (with\n"
    "                        --magnetic: the magnetic stations, read as \"Read in\n"
    "                        magnetic data\" reads them, the anomaly in nT)\n"
    "  --columns X,G         the position and anomaly columns of FILE (default 1,2)\n"
    "  --columns X,Y,G       x and y coordinates and anomaly: positions are the\n"
    "                        distances from the first station\n"
    "  --columns X,Y,G,H     the same with each station's height above the datum\n"
    "  --columns x=1,g=2,h=3 columns named by letter (x, y, g, h): this way a\n"
    "                        height column goes without y (X,G,H)\n"
    "                        With heights the CSV gets a height column.\n"
    "  --comment-lines N     lines at the top of FILE that are not data (default 3)\n"
    "  --decimal-point       FILE writes its decimals with a point (commas or\n"
    "                        blanks group thousands): for a file whose numbers\n"
    "                        read two ways\n"
    "  --decimal-comma       FILE writes its decimals with a comma (points or\n"
    "                        blanks group thousands)\n"
    "  --invert              run the inversion the model's stored choices describe\n"
    "                        (the parameters chosen, the options of \"Invert the\n"
    "                        model\" and the number of iterations), as the window\n"
    "                        runs it; write the fitted model to the file of -o and\n"
    "                        the result window's table to standard output\n"
    "  -o, --output FITTED   the file the fitted model is written to (needed with\n"
    "                        --invert; MODEL.mod is replaced only when named here)\n"
    "  --sample GRID         sample a grid (any GDAL reads) along the line of\n"
    "                        --line between two map points, in the system of\n"
    "                        --crs (default: the grid's own): CSV rows of\n"
    "                        distance, easting, northing and value; distance and\n"
    "                        --spacing in metres, or km with --km; --count\n"
    "                        stations from end to end (default 101, at most\n"
    "                        4096); bilinear, or bicubic with --bicubic\n"
    "  --export-gis MODEL    write the model's GeoPackage, as \"Export to GIS\"\n"
    "                        writes it, to the file of -o (the model needs a\n"
    "                        profile line)\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or the output\n"
    "cannot be written, or there is nothing to invert, 2 when the command line\n"
    "is wrong.\n";

struct Options {
    std::string model;
    std::string stations;
    ColumnChoice columns;
    bool columnsGiven = false;
    bool commentLinesGiven = false;
    char decimal = 0;   // '.' or ',' when given
    bool report = false;
    bool magnetic = false;
    bool gradients = false;
    bool geographic = false;
    bool invert = false;
    std::string output;   // the fitted model's file
};

using cli::UsageError;

// A whole number in [lo, hi] written in full, or nothing.
bool readInt(std::string_view s, int lo, int hi, int& out)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

void readColumns(std::string_view s, Options& o)
{
    std::vector<int> cols;
    std::string names;   // the letter of each column, or blanks for plain numbers
    bool ok = true;
    for (std::size_t start = 0; ok;) {
        const std::size_t comma = s.find(',', start);
        std::string_view item = s.substr(start, comma - start);
        char name = ' ';
        if (item.size() >= 2 && item[1] == '=') {
            name = static_cast<char>(item[0] | 0x20);   // either case
            item.remove_prefix(2);
            ok = std::string_view("xygh").find(name) != std::string_view::npos &&
                 names.find(name) == std::string::npos;
        }
        int c = 0;
        ok = ok && readInt(item, 1, MaxFieldsPerLine, c);
        cols.push_back(c);
        names += name;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    const bool named = names.find_first_not_of(' ') != std::string::npos;
    if (named) {
        // Every column named, x and g among them.
        ok = ok && names.find(' ') == std::string::npos && names.find('x') != std::string::npos &&
             names.find('g') != std::string::npos;
    } else {
        ok = ok && cols.size() >= 2 && cols.size() <= 4;
        names = cols.size() == 2 ? "xg" : cols.size() == 3 ? "xyg" : "xygh";
    }
    if (!ok)
        throw UsageError{"--columns takes two to four column numbers from 1 to " +
                         std::to_string(MaxFieldsPerLine) +
                         ", such as 1,2 (X,G), 1,2,3 (X,Y,G) or 1,2,3,4 (X,Y,G,H), or named "
                         "columns such as x=1,g=2,h=3"};
    for (std::size_t i = 0; i < cols.size(); ++i) {
        switch (names[i]) {
        case 'x': o.columns.xColumn = cols[i]; break;
        case 'y': o.columns.yColumn = cols[i]; o.columns.xyData = true; break;
        case 'g': o.columns.gravityColumn = cols[i]; break;
        case 'h': o.columns.heightColumn = cols[i]; o.columns.heightData = true; break;
        }
    }
    o.columnsGiven = true;
}

// Options and the model file name. Exits at once for --help and --version.
Options parseArguments(int argc, char** argv)
{
    Options o;
    bool optionsEnd = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        cli::Option option(argc, argv, i);
        const std::string& name = option.name();
        auto takeValue = [&] { return option.value(); };
        auto noValue = [&] { option.noValue(); };
        if (name == "--help" || name == "-h") {
            noValue();
            std::fputs(HelpText, stdout);
            std::exit(std::fflush(stdout) == 0 ? 0 : ExitFailure);
        } else if (name == "--version") {
            noValue();
            std::printf("corvane-calc %s\n", CorvaneVersion);
            std::exit(std::fflush(stdout) == 0 ? 0 : ExitFailure);
        } else if (name == "--report") {
            noValue();
            o.report = true;
        } else if (name == "--magnetic") {
            noValue();
            o.magnetic = true;
        } else if (name == "--gradients") {
            noValue();
            o.gradients = true;
        } else if (name == "--geographic") {
            noValue();
            o.geographic = true;
        } else if (name == "--invert") {
            noValue();
            o.invert = true;
        } else if (name == "-o" || name == "--output") {
            o.output = takeValue();
            if (o.output.empty())
                throw UsageError{name + " needs a file name"};
        } else if (name == "--stations") {
            o.stations = takeValue();
            if (o.stations.empty())
                throw UsageError{"--stations needs a file name"};
        } else if (name == "--columns") {
            readColumns(takeValue(), o);
        } else if (name == "--comment-lines") {
            if (!readInt(takeValue(), 0, MaxFieldDataLines, o.columns.commentLines))
                throw UsageError{"--comment-lines takes a whole number from 0 to " +
                                 std::to_string(MaxFieldDataLines)};
            o.commentLinesGiven = true;
        } else if (name == "--decimal-point" || name == "--decimal-comma") {
            noValue();
            const char mark = name == "--decimal-point" ? '.' : ',';
            if (o.decimal && o.decimal != mark)
                throw UsageError{"--decimal-point and --decimal-comma exclude each other"};
            o.decimal = mark;
        } else {
            throw UsageError{"unknown option " + name};
        }
    }
    if (files.empty())
        throw UsageError{"no model file given"};
    if (files.size() > 1)
        throw UsageError{"one model file at a time, not " + std::to_string(files.size())};
    if ((o.columnsGiven || o.commentLinesGiven) && o.stations.empty())
        throw UsageError{"--columns and --comment-lines describe the file of --stations"};
    if (o.decimal && o.stations.empty())
        throw UsageError{"--decimal-point and --decimal-comma describe the file of --stations"};
    if (o.magnetic && o.report)
        throw UsageError{"--magnetic takes no --report"};
    if (o.gradients && (o.magnetic || o.report || o.invert || !o.stations.empty()))
        throw UsageError{"--gradients takes none of --magnetic, --report, --invert and --stations"};
    if (o.geographic && !o.gradients)
        throw UsageError{"--geographic goes with --gradients"};
    if (o.invert && (o.report || o.magnetic || !o.stations.empty()))
        throw UsageError{"--invert takes none of --report, --magnetic and --stations"};
    if (o.invert && o.output.empty())
        throw UsageError{"--invert needs -o and the file for the fitted model"};
    if (!o.invert && !o.output.empty())
        throw UsageError{"-o names the fitted model of --invert"};
    o.model = files.front();
    return o;
}

// The shortest fixed-point text that reads back as exactly v, so that no
// digit of a result is lost. A figure read from a model file is a six-byte
// real: it gets the shortest text that reads back as the same six-byte real,
// which is the figure as it was typed ("1.35", not 1.3500000000003638).
void appendNumber(std::string& out, double v, bool sixByteReal)
{
    if (v == 0)
        v = 0;   // no "-0"
    char buf[512];
    if (const auto stored = sixByteReal ? encodeReal48(v) : std::nullopt) {
        for (int decimals = 0; decimals <= 40; ++decimals) {
            const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
            double back = 0;
            if (r.ec == std::errc() && std::from_chars(buf, r.ptr, back).ec == std::errc() &&
                encodeReal48(back) == stored) {
                out.append(buf, r.ptr);
                return;
            }
        }
    }
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc())
        r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// fromFile: the stations are the model file's own (six-byte reals).
std::string csv(const Model& m, bool fromFile)
{
    const char* unit = m.UnitsKm ? "km" : "m";
    // A height column only where some station stands off the datum, so that
    // flat profiles give the same CSV as ever.
    const bool heights = hasStationHeights(m);
    std::string out = std::string("position (") + unit + ")";
    if (heights)
        out += std::string(",height (") + unit + ")";
    out += ",observed (mGal),calculated (mGal)";
    for (int b = 1; b <= m.NumBodies; ++b) {
        const std::string law = densityLawText(m.Bodies[b], m.UnitsKm);
        out += ",body " + std::to_string(b) + (law.empty() ? "" : " " + law) + " (mGal)";
    }
    out += '\n';
    out.reserve(out.size() + static_cast<std::size_t>(m.NumStations) * (3 + m.NumBodies) * 20);
    for (int i = 1; i <= m.NumStations; ++i) {
        appendNumber(out, m.StationX[i], fromFile);
        out += ',';
        if (heights) {
            appendNumber(out, m.StationHeight[i], false);
            out += ',';
        }
        if (m.HaveObserved)   // without field data the cell stays empty
            appendNumber(out, m.ObservedGravity[i], fromFile);
        out += ',';
        appendNumber(out, m.CalculatedGravity[i], false);
        for (int b = 1; b <= m.NumBodies; ++b) {
            out += ',';
            appendNumber(out, m.Bodies[b].Gravity[i], false);
        }
        out += '\n';
    }
    return out;
}

// The magnetic stations: an observed cell stays empty where the station has
// no observed value.
std::string magneticCsv(const Model& m)
{
    const std::string unit = m.UnitsKm ? "km" : "m";
    std::string out = "position (" + unit + "),height (" + unit + "),observed (nT),calculated (nT)";
    for (int b = 1; b <= m.NumBodies; ++b)
        out += ",body " + std::to_string(b) + " (nT)";
    out += '\n';
    const MagneticStations& mag = m.Mag;
    for (int i = 1; i <= mag.Num; ++i) {
        appendNumber(out, mag.X[i], false);
        out += ',';
        appendNumber(out, mag.Height[i], false);
        out += ',';
        if (mag.HasObserved[i])
            appendNumber(out, mag.Observed[i], false);
        out += ',';
        appendNumber(out, mag.Calculated[i], false);
        for (int b = 1; b <= m.NumBodies; ++b) {
            out += ',';
            appendNumber(out, m.Bodies[b].Magnetic[i], false);
        }
        out += '\n';
    }
    return out;
}

// One line on standard error. A control character (a NUL or a line end in
// a file name or a file's text) is shown as an escape, so that one message
// is never cut short or split, nor runs into the next.
std::string visible(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7f) {
            out += c;
            continue;
        }
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
        }
    }
    return out;
}

void message(std::string_view text)
{
    const std::string line = visible(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// The stations of the file of --stations through the column choice, with
// the window's warnings. Empty on success, else the window's message.
std::string readStations(const Options& o, StationList& s)
{
    const Result<std::string> bytes = readWholeFile(o.stations);
    if (!bytes)
        return bytes.message();
    const Result<FieldDataTable> read = readFieldDataText(*bytes, o.stations, o.decimal);
    if (!read)
        return read.message();
    const FieldDataTable& table = *read;
    if (table.question)
        return "The numbers of \"" + o.stations + "\" can be read in two ways: line " +
               std::to_string(table.question->lineNumber) + " holds \"" + table.question->field +
               "\", a different number with a decimal point than with a decimal comma. "
               "Say which the file uses with --decimal-point or --decimal-comma.";
    ColumnChoice columns = o.columns;
    if (!o.commentLinesGiven)
        columns.commentLines = leadingNonStationLines(table, columns);
    s = stationsFromTable(table, columns);
    if (s.x.size() < 2 || !(s.x.back() > s.x.front()))
        return tooFewStationsMessage(s.x.size());
    if (table.linesDropped)
        message(LinesDroppedMessage);
    if (s.truncated)
        message(StationsTruncatedMessage);
    if (s.sorted)
        message(StationsSortedMessage);
    if (const std::string note = skippedStationsNote(s); !note.empty())
        message(note);
    return {};
}

// The stations of the field-data file replace the model's, with their
// anomalies as the observed data.
std::string takeStations(Model& m, const Options& o)
{
    StationList s;
    if (std::string problem = readStations(o, s); !problem.empty())
        return problem;
    m.NumStations = static_cast<int>(s.x.size());
    m.StationHeight.fill(0);
    m.StationOffset.fill(0);   // a field-data file's stations stand on the line
    for (int i = 1; i <= m.NumStations; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        m.StationX[i] = s.x[at];
        m.ObservedGravity[i] = s.g[at];
        m.StationHeight[i] = s.h[at];
    }
    m.HaveObserved = true;
    m.RecalculateModel();
    return {};
}

// The same for the magnetic stations, the anomaly column in nT.
std::string takeMagneticStations(Model& m, const Options& o)
{
    StationList s;
    if (std::string problem = readStations(o, s); !problem.empty())
        return problem;
    std::vector<MagneticStationValue> stations(s.x.size());
    for (std::size_t i = 0; i < s.x.size(); ++i)
        stations[i] = {s.x[i], s.h[i], s.g[i]};
    setMagneticStations(m, std::move(stations));
    return {};
}

// The gradient stations: each component observed (empty where not given)
// and calculated, in the profile frame or north, east, down.
std::string gradientCsv(const Model& m, bool geographic)
{
    const std::string unit = m.UnitsKm ? "km" : "m";
    static constexpr const char* Profile[] = {"xx", "xy", "xz", "yy", "yz", "zz"};
    static constexpr const char* Geographic[] = {"nn", "ne", "nd", "ee", "ed", "dd"};
    std::string out = "position (" + unit + "),height (" + unit + ")";
    for (const char* c : geographic ? Geographic : Profile)
        out += std::string(",") + c + " observed (E)," + c + " calculated (E)";
    out += '\n';
    const GradientStations& g = m.Grad;
    const double azimuth = m.Mag.FieldAzimuth;
    for (int i = 1; i <= g.Num; ++i) {
        GravityTensor seen;
        TensorFlags has;
        turnObserved(g.Observed[i], g.HasObserved[i], g.Frame,
                     geographic ? TensorFrame::Geographic : TensorFrame::Profile, azimuth, seen, has);
        const GravityTensor calc = geographic ? toGeographicFrame(g.Calculated[i], azimuth) : g.Calculated[i];
        appendNumber(out, g.X[i], false);
        out += ',';
        appendNumber(out, g.Height[i], false);
        for (int k = 0; k < TensorComponents; ++k) {
            out += ',';
            if (has[static_cast<std::size_t>(k)])
                appendNumber(out, seen[k], false);
            out += ',';
            appendNumber(out, calc[k], false);
        }
        out += '\n';
    }
    return out;
}

constexpr const char* NoGradientStations = "The model has no gradient stations.";

constexpr const char* NoMagneticStations =
    "The model has no magnetic stations: give a file of them with --stations.";

bool writeOut(const std::string& out)
{
    errno = 0;
    const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (std::fflush(stdout) != 0 || !written) {
        message(std::string("corvane-calc: the output could not be written: ") +
                (errno ? std::strerror(errno) : "write error") + ".");
        return false;
    }
    return true;
}

// The run of "Invert the model" with the choices the file keeps; the window's
// message when it cannot run.
int invert(Workspace& ws, const Options& o)
{
    if (!haveInversionData(ws.model)) {
        message(outcome::FieldDataNeeded);
        return ExitFailure;
    }
    RunReport report;
    if (const Status run = runStoredInversion(ws, ws.inversion.NumIterations, {}, &report); !run) {
        message(run.message());
        return ExitFailure;
    }
    if (const Status saved = saveModelFile(ws, o.output); !saved) {
        message(saved.message());
        return ExitFailure;
    }
    return writeOut(reportTable(report, "\n")) ? 0 : ExitFailure;
}

}  // namespace

int main(int argc, char** argv)
{
    // Messages in the user's language, as the window gives them; numbers
    // always with a decimal point.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");

    if (const int status = cli::runMapCommand(argc, argv); status >= 0)
        return status;
    Options o;
    try {
        o = parseArguments(argc, argv);
    } catch (const UsageError& e) {
        message("corvane-calc: " + e.text + ".");
        message("Try 'corvane-calc --help' for more information.");
        return ExitUsage;
    }

    Workspace ws;
    std::vector<std::string> notes;
    if (const Status loaded = loadModelFile(ws, o.model, &notes); !loaded) {
        message(loaded.message());
        return ExitFailure;
    }
    // The extras the window would report, each once; the model is read.
    for (const std::string& note : notes)
        message(note);
    if (!o.stations.empty())
        if (std::string problem = o.magnetic ? takeMagneticStations(ws.model, o) : takeStations(ws.model, o);
            !problem.empty()) {
            message(problem);
            return ExitFailure;
        }
    if (o.magnetic && ws.model.Mag.Num < 1) {
        message(NoMagneticStations);
        return ExitFailure;
    }

    if (o.gradients && ws.model.Grad.Num < 1) {
        message(NoGradientStations);
        return ExitFailure;
    }

    if (o.invert)
        return invert(ws, o);
    if (o.gradients)
        return writeOut(gradientCsv(ws.model, o.geographic)) ? 0 : ExitFailure;
    const std::string out = o.magnetic ? magneticCsv(ws.model)
                            : o.report ? reportForFile(ws.model)
                                       : csv(ws.model, o.stations.empty());
    return writeOut(out) ? 0 : ExitFailure;
}
