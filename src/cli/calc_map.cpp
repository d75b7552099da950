#include "cli/calc_map.h"
#include "cli/options.h"

#include "io/model_file.h"
#include "map/geopackage.h"
#include "map/grid_sampling.h"
#include "map/profile_line.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int DefaultCount = 101;   // stations from end to end without --spacing or --count

struct MapOptions {
    std::string grid;    // --sample
    std::string model;   // --export-gis
    std::string output;
    std::optional<ProfileLineRecord> line;
    std::string crs;
    double spacing = 0;
    int count = 0;
    bool bicubic = false;
    bool km = false;
};

void say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

double readNumber(std::string_view s, const std::string& what)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        throw UsageError{what};
    return v;
}

ProfileLineRecord readLine(std::string_view s)
{
    const std::string what = "--line takes the end points as E1,N1,E2,N2";
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? s.find(',') : s.size();
        if (comma == std::string_view::npos)
            throw UsageError{what};
        v[i] = readNumber(s.substr(0, comma), what);
        s.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    ProfileLineRecord r;
    r.E1 = v[0], r.N1 = v[1], r.E2 = v[2], r.N2 = v[3];
    return r;
}

MapOptions parse(int argc, char** argv)
{
    MapOptions o;
    for (int i = 1; i < argc; ++i) {
        Option option(argc, argv, i);
        const std::string& arg = option.name();
        auto take = [&] {
            std::string value = option.value();
            if (value.empty())
                throw UsageError{arg + " needs a value"};
            return value;
        };
        auto flag = [&] { option.noValue(); };
        if (arg == "--sample")
            o.grid = take();
        else if (arg == "--export-gis")
            o.model = take();
        else if (arg == "-o" || arg == "--output")
            o.output = take();
        else if (arg == "--line")
            o.line = readLine(take());
        else if (arg == "--crs")
            o.crs = take();
        else if (arg == "--spacing") {
            o.spacing = readNumber(take(), "--spacing takes a distance above 0");
            if (!(o.spacing > 0))
                throw UsageError{"--spacing takes a distance above 0"};
        } else if (arg == "--count") {
            const std::string v = take();
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), o.count);
            if (ec != std::errc() || end != v.data() + v.size() || o.count < 2 || o.count > MaxStations)
                throw UsageError{"--count takes a number of stations from 2 to " + std::to_string(MaxStations)};
        } else if (arg == "--bicubic") {
            flag();
            o.bicubic = true;
        } else if (arg == "--km") {
            flag();
            o.km = true;
        } else
            throw UsageError{"--sample and --export-gis do not take " + arg};
    }
    if (!o.grid.empty() == !o.model.empty())
        throw UsageError{"give one of --sample and --export-gis"};
    if (!o.grid.empty()) {
        if (!o.line)
            throw UsageError{"--sample needs --line E1,N1,E2,N2"};
        if (o.spacing > 0 && o.count > 0)
            throw UsageError{"give --spacing or --count, not both"};
        if (!o.output.empty())
            throw UsageError{"--sample writes to standard output and takes no -o"};
    } else {
        if (o.output.empty())
            throw UsageError{"--export-gis needs -o OUT.gpkg"};
        if (o.line || !o.crs.empty() || o.spacing > 0 || o.count > 0 || o.bicubic || o.km)
            throw UsageError{"--export-gis takes only -o: the line is the model's"};
    }
    return o;
}

void appendNumber(std::string& out, double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v, std::chars_format::fixed);
    out.append(buf, r.ec == std::errc() ? r.ptr : buf);
}

// One row per station: distance, easting, northing and the grid's value;
// the left-out stations counted on standard error.
int sample(const MapOptions& o)
{
    ProfileLineRecord record = *o.line;
    if (o.crs.empty()) {
        const auto own = map::gridCrsText(o.grid);
        if (!own) {
            say(own.error);
            return ExitFailure;
        }
        record.Crs = own.value;
    } else
        record.Crs = o.crs;
    // The line in km or in metres, as a model in that unit would hold it.
    const auto line = map::ProfileLine::make(record, o.km);
    if (!line) {
        say(line.error);
        return ExitFailure;
    }
    map::SampleOptions options;
    options.spacing = o.spacing;
    options.count = o.spacing > 0 ? 0 : (o.count > 0 ? o.count : DefaultCount);
    options.interpolation = o.bicubic ? map::Interpolation::Bicubic : map::Interpolation::Bilinear;
    const auto positions = map::stationPositions(line.value.length(), options);
    const auto s = map::sampleGrid(o.grid, line.value, options);
    if (!positions || !s) {
        say(!positions ? positions.error : s.error);
        return ExitFailure;
    }
    std::string out = o.km ? "distance (km),easting,northing,value\n" : "distance (m),easting,northing,value\n";
    for (const map::GridStation& st : s.value.stations) {
        const map::MapPoint p = line.value.at(st.x);
        appendNumber(out, st.x);
        out += ',';
        appendNumber(out, p.E);
        out += ',';
        appendNumber(out, p.N);
        out += ',';
        appendNumber(out, st.value);
        out += '\n';
    }
    const int positionsCount = static_cast<int>(positions.value.size());
    if (const std::string left = map::leftOutText(s.value.noData + s.value.outside, positionsCount); !left.empty())
        say(left);
    const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (std::fflush(stdout) != 0 || !written) {
        say("corvane-calc: the output could not be written.");
        return ExitFailure;
    }
    return 0;
}

int exportGis(const MapOptions& o)
{
    Workspace ws;
    if (const Status loaded = loadModelFile(ws, o.model); !loaded) {
        say(loaded.message());
        return ExitFailure;
    }
    if (!ws.model.ProfileLine) {
        say("The model has no profile line.");
        return ExitFailure;
    }
    const auto line = map::ProfileLine::make(*ws.model.ProfileLine, ws.model.UnitsKm);
    if (!line) {
        say(line.error);
        return ExitFailure;
    }
    if (const auto written = map::writeGeoPackage(o.output, ws.model, line.value, ws.overlays.pointSets); !written) {
        say(written.error);
        return ExitFailure;
    }
    return 0;
}

}  // namespace

int runMapCommand(int argc, char** argv)
{
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--")
            break;
        for (std::string_view name : {"--sample", "--export-gis"})
            asked = asked || a == name || (a.rfind(name, 0) == 0 && a.size() > name.size() && a[name.size()] == '=');
    }
    if (!asked)
        return -1;
    MapOptions o;
    try {
        o = parse(argc, argv);
    } catch (const UsageError& e) {
        say("corvane-calc: " + e.text + ".");
        say("Try 'corvane-calc --help' for more information.");
        return ExitUsage;
    }
    return o.grid.empty() ? exportGis(o) : sample(o);
}

}  // namespace corvane::cli
