#include "io/overlay_items.h"

#include "io/model_extras.h"
#include "io/point_file.h"
#include "model/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace corvane {

namespace {

namespace fs = std::filesystem;

constexpr const char* SymbolWords[NumPointSymbols] = {"circle", "square", "triangle", "diamond", "cross"};
constexpr const char* HorizonWords[] = {"", "depth", "elevation"};

fs::path folderOf(const std::string& modelPath)
{
    return fs::absolute(fs::path(modelPath)).parent_path();
}

// The path as the line keeps it: relative to the model's folder when the two
// share more than the root (a model moved with its data still finds it),
// otherwise absolute, as it is without a model file (the recovery file).
std::string relativeTo(const std::string& path, const std::string& modelPath)
{
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path abs = fs::absolute(fs::path(path), ec).lexically_normal();
    if (ec)
        return path;
    if (modelPath.empty())
        return abs.string();
    const fs::path folder = folderOf(modelPath).lexically_normal();
    auto a = abs.begin(), f = folder.begin();
    int shared = 0;
    for (; a != abs.end() && f != folder.end() && *a == *f; ++a, ++f)
        ++shared;
    if (shared < 2)   // the root alone
        return abs.string();
    const fs::path rel = abs.lexically_relative(folder);
    return rel.empty() ? abs.string() : rel.string();
}

std::string resolved(const std::string& path, const std::string& modelPath)
{
    const fs::path p(path);
    if (p.is_absolute() || modelPath.empty())
        return path;
    return (folderOf(modelPath) / p).lexically_normal().string();
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    // Line breaks as \n and \r, so that the item stays on its line.
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return out + '"';
}

const char* fillWord(BodyFill f)
{
    return f == BodyFill::Outlines ? "outlines" : f == BodyFill::Opaque ? "opaque" : "translucent";
}

std::string number(double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Splits an item line into words; a word in double quotes may hold blanks.
bool words(std::string_view line, std::vector<std::string>& out)
{
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '\\' && i < line.size()) {
                    c = line[i++];
                    c = c == 'n' ? '\n' : c == 'r' ? '\r' : c;
                }
                else if (c == '"') {
                    closed = true;
                    break;
                }
                w += c;
            }
            if (!closed)
                return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                w += line[i++];
        }
        out.push_back(std::move(w));
    }
    return true;
}

std::optional<double> finite(const std::string& s)
{
    const auto v = parseNumber(s);
    return v && std::isfinite(*v) ? v : std::nullopt;
}

}  // namespace

std::vector<std::string> overlayItemLines(const Overlays& o, const std::string& modelPath)
{
    std::vector<std::string> lines;
    for (const PointSet& s : o.pointSets) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06x", static_cast<unsigned>(s.colour & 0xffffff));
        lines.push_back("points " + quoted(relativeTo(s.path, modelPath)) + " " +
                        SymbolWords[static_cast<int>(s.symbol)] + " " + colour + " " +
                        (s.hidden ? "hidden" : "shown") + (s.joined ? " line" : "") +
                        (s.horizon != HorizonGrid::None
                             ? std::string(" horizon ") + HorizonWords[static_cast<int>(s.horizon)] + " " +
                                   number(s.horizonStep)
                             : std::string()));
    }
    if (o.backdrop) {
        const Backdrop& b = *o.backdrop;
        lines.push_back("backdrop " + quoted(relativeTo(b.path, modelPath)) + " " + number(b.xLeft) + " " +
                        number(b.xRight) + " " + number(b.zTop) + " " + number(b.zBottom) + " " +
                        std::to_string(b.opacity) + " " + number(b.clipPercent) +
                        (b.redWhiteBlue ? " redwhiteblue" : " grey") + (b.cdpPositions ? " cdp" : "") +
                        (b.velocity > 0 ? " velocity " + number(b.velocity) : std::string()) +
                        (b.bodies != BodyFill::Translucent ? std::string(" bodies ") + fillWord(b.bodies)
                                                           : std::string()));
    }
    return lines;
}

bool readOverlayItem(std::string_view line, const std::string& modelPath, Overlays& o,
                     std::vector<std::string>& problems, bool readFiles)
{
    std::vector<std::string> w;
    const bool whole = words(line, w);
    if (w.empty() || (w[0] != "points" && w[0] != "backdrop"))
        return false;
    const std::string bad = "A " + w[0] + " item of the model file cannot be read: " + extrasQuote(line);
    // No file has a longer path; a longer one would only fill the messages.
    constexpr std::size_t LongestPath = 4096;
    if (!whole || w.size() < 2 || w[1].size() > LongestPath) {
        problems.push_back(bad);
        return true;
    }
    const std::string path = resolved(w[1], modelPath);
    if (w[0] == "points") {
        // After the state: "line", then "horizon depth|elevation STEP".
        bool joined = false, sound = w.size() >= 5;
        HorizonGrid horizon = HorizonGrid::None;
        double step = 0;
        std::size_t i = 5;
        if (i < w.size() && w[i] == "line")
            joined = true, ++i;
        if (i < w.size() && w[i] == "horizon") {
            sound = sound && i + 3 == w.size();
            if (sound) {
                for (int k : {1, 2})
                    if (w[i + 1] == HorizonWords[k])
                        horizon = static_cast<HorizonGrid>(k);
                step = finite(w[i + 2]).value_or(0);
                sound = horizon != HorizonGrid::None && step > 0;
            }
            i = w.size();
        }
        if (!sound || i != w.size() || (w[4] != "shown" && w[4] != "hidden") || w[3].size() != 6 ||
            w[3].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            problems.push_back(bad);
            return true;
        }
        int symbol = -1;
        for (int s = 0; s < NumPointSymbols; ++s)
            if (w[2] == SymbolWords[s])
                symbol = s;
        if (symbol < 0) {
            problems.push_back(bad);
            return true;
        }
        // A horizon's grid is sampled by the window, which knows the line.
        Result<std::vector<DataPoint>> r = std::vector<DataPoint>{};
        if (readFiles && horizon == HorizonGrid::None)
            r = readPointFileAt(path);
        if (!r) {
            problems.push_back(r.message());
            return true;
        }
        o.pointSets.push_back({path, std::move(*r), static_cast<PointSymbol>(symbol),
                               static_cast<std::uint32_t>(std::stoul(w[3], nullptr, 16)), w[4] == "hidden", joined,
                               horizon, step});
        return true;
    }
    // Plain doubles, NaN for what does not read: XLEFT XRIGHT ZTOP ZBOTTOM OPACITY CLIP;
    // after the colours the words "cdp" and "velocity V" may follow.
    const std::size_t n = std::min<std::size_t>(w.size(), 9);
    double v[6];
    for (std::size_t i = 0; i < 6; ++i) {
        const bool given = (n == 7 && i < 5) || n == 9;
        v[i] = given ? finite(w[2 + i]).value_or(NAN) : (i == 5 && n == 7 ? 98 : NAN);
    }
    bool ok = w.size() == 7 || (w.size() >= 9 && (w[8] == "grey" || w[8] == "redwhiteblue"));
    bool cdp = false, filled = false;
    double velocity = 0;
    BodyFill bodies = BodyFill::Translucent;
    for (std::size_t i = 9; ok && i < w.size(); ++i) {
        if (w[i] == "cdp" && !cdp) {
            cdp = true;
        } else if (w[i] == "velocity" && velocity == 0 && i + 1 < w.size()) {
            velocity = finite(w[++i]).value_or(NAN);
            ok = velocity > 0;
        } else if (w[i] == "bodies" && !filled && i + 1 < w.size()) {
            filled = true;
            ++i;
            ok = false;
            for (BodyFill f : {BodyFill::Outlines, BodyFill::Translucent, BodyFill::Opaque})
                if (w[i] == fillWord(f))
                    bodies = f, ok = true;
        } else {
            ok = false;
        }
    }
    for (double x : v)
        ok = ok && std::isfinite(x);
    if (!ok || v[0] == v[1] || v[2] == v[3] || v[4] < 0 || v[4] > 100 || v[5] <= 0 || v[5] > 100) {
        problems.push_back(bad);
        return true;
    }
    o.backdrop = Backdrop{path, v[0], v[1], v[2], v[3], static_cast<int>(std::lround(v[4])), v[5],
                          w.size() >= 9 && w[8] == "redwhiteblue", {}, cdp, velocity, bodies};
    return true;
}

std::string mapGridItemLine(const std::string& path, const std::string& modelPath)
{
    return "map-grid " + quoted(relativeTo(path, modelPath));
}

std::optional<std::string> readMapGridItem(std::string_view line, const std::string& modelPath)
{
    std::vector<std::string> w;
    if (!words(line, w) || w.size() != 2 || w[0] != "map-grid" || w[1].empty())
        return std::nullopt;
    return resolved(w[1], modelPath);
}

}  // namespace corvane
