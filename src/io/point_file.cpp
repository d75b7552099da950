#include "io/point_file.h"

#include "io/safe_file.h"
#include "io/text_lines.h"

#include <cmath>

namespace corvane {

namespace {

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

Result<std::vector<DataPoint>> readPointFile(std::string_view text, const std::string& fileName)
{
    std::vector<DataPoint> points;
    // The number format is the whole file's: x and depth of every line
    // (a heading and the labels hold words and cast no vote).
    const std::vector<std::string_view> all = textLines(text);
    std::vector<int> numbers(all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        numbers[i] = static_cast<int>(i) + 1;
    const auto decision = decideFormat(all, numbers, {2, 2, 0}, baseName(fileName));
    if (!decision)
        return fail(decision.message());
    if (decision->question)
        return fail(twoReadingsMessage(*decision->question, baseName(fileName)));
    const Commas commas = decision->format;
    LineReader lines(text);
    std::string_view line;
    bool first = true;
    while (lines.next(line)) {
        const std::vector<std::string_view> f = splitLine(line, commas, 3);
        if (f.empty())
            continue;
        const std::optional<double> x = fieldValue(f[0], commas);
        const bool header = first && !x;
        first = false;
        if (header)
            continue;
        const double z = f.size() >= 2 ? fieldValue(f[1], commas).value_or(NAN) : NAN;
        if (!x || !std::isfinite(*x) || !std::isfinite(z))
            return fail("Line " + std::to_string(lines.lineNumber()) + " of " + baseName(fileName) +
                        " is not an x, a depth and a label.");
        DataPoint p{*x, z, {}};
        if (f.size() == 3)   // the label runs to the end of the line
            p.label = std::string(trimmed(line.substr(static_cast<std::size_t>(f[2].data() - line.data()))));
        points.push_back(std::move(p));
    }
    if (points.empty())
        return fail(baseName(fileName) + " holds no points.");
    return points;
}

Result<std::vector<DataPoint>> readPointFileAt(const std::string& path)
{
    const Result<std::string> text = readWholeFile(path, std::size_t{64} << 20);
    if (!text)
        return fail(text.message());
    return readPointFile(*text, path);
}

Status addPointSet(Overlays& o, const std::string& path)
{
    Result<std::vector<DataPoint>> r = readPointFileAt(path);
    if (!r)
        return fail(r.message());
    const int n = static_cast<int>(o.pointSets.size());
    o.pointSets.push_back({path, std::move(*r), static_cast<PointSymbol>(n % NumPointSymbols),
                           pointSetColour(n), false});
    return {};
}

}  // namespace corvane
