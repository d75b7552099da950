#include "input_files.h"

#include "model_file.h"
#include "real48.h"
#include "safe_file.h"

#include "model/bounds.h"
#include "model/density_law.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace corvane {

namespace {

constexpr std::size_t MaxLineCharacters = 80;
constexpr std::size_t MaxInputBytes = std::size_t{16} << 20;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// Clears what a body slot may still hold from an earlier body: the new body
// is visible, stands alone, takes part in no inversion and has no typed
// bounds.
void freshSlot(Tbody& body)
{
    body.Hidden = false;
    resetInversionBounds(body);
    clearMagnetisation(body);
    clearDensityLaw(body);
    body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = false;
    body.InvertSusceptibility = body.InvertRemanence = false;
    for (int k = 1; k <= MaxCorners; ++k) {
        body.CornerInvertX[k] = false;
        body.CornerInvertZ[k] = false;
        body.clearLink(k);
    }
}

struct NewBody {
    double Density = 0;
    double StrikeLength1 = 0;
    double StrikeLength2 = 0;
    std::vector<double> x, z;   // all stored corners, the closing copy included
};

void appendBodies(Model& m, const std::vector<NewBody>& bodies)
{
    for (const NewBody& nb : bodies) {
        const int b = m.NumBodies + 1;
        Tbody& body = m.Bodies[b];
        freshSlot(body);
        body.Density = nb.Density;
        body.StrikeLength1 = nb.StrikeLength1;
        body.StrikeLength2 = nb.StrikeLength2;
        body.NumCorners = static_cast<int>(nb.x.size());
        for (int k = 1; k <= body.NumCorners; ++k) {
            body.CornerX[k] = nb.x[static_cast<std::size_t>(k - 1)];
            body.CornerZ[k] = nb.z[static_cast<std::size_t>(k - 1)];
        }
        m.CalculateBody(b);
        m.NumBodies = b;
    }
}

}  // namespace

bool ReadValueLine(LineReader& lines, std::vector<std::string>& fields, Commas commas)
{
    std::string_view line;
    fields.clear();
    if (!lines.next(line))
        return false;
    const std::string kept = firstCharacters(line, MaxLineCharacters);
    for (const std::string_view f : splitLine(afterCharacters(kept, 15), commas, 3))
        fields.push_back(firstCharacters(f, 15));
    return true;
}

// ---------------------------------------------------------------- Sidero

Status importSideroModel(Workspace& ws, std::string_view bytes, const std::string& fileName)
{
    Model& m = ws.model;
    const std::string bad = quoted(fileName) + " is not a Sidero model that can be imported: ";
    Real48Reader r(bytes);
    double head[13];
    for (double& v : head)
        if (!r.get(v))
            return fail(bad + "it is shorter than the 13 records that begin every Sidero model.");

    // Counts are taken as absolute values, rounded; the checks are made on the
    // reals so that huge values cannot overflow.
    const double mReal = std::nearbyint(std::fabs(head[0]));
    const double sReal = std::nearbyint(std::fabs(head[1]));
    const bool fileKm = head[12] > 0;
    double f = 1.0;
    if (m.UnitsKm && !fileKm)
        f = 0.001;
    else if (!m.UnitsKm && fileKm)
        f = 1000.0;

    if (sReal > static_cast<double>(r.recordsLeft()) / 2)
        return fail(bad + "it ends before the data of its " + fixed(sReal, 0, 0) + " stations.");
    r.skip(2 * static_cast<std::size_t>(sReal));

    const int room = MaxBodies - m.NumBodies;
    const int count = mReal > room ? room : static_cast<int>(mReal);
    std::vector<NewBody> bodies(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        NewBody& nb = bodies[static_cast<std::size_t>(i)];
        const std::string which = "body " + std::to_string(i + 1);
        double n = 0, property = 0, strike = 0, skipped = 0;
        if (!r.get(n) || !r.get(property) || !r.get(strike) || !r.get(skipped) ||
            !r.get(skipped) || !r.get(skipped))
            return fail(bad + "it ends before the data of " + which + " are complete.");
        const double corners = std::nearbyint(n);
        if (!(corners >= MinFileCorners && corners <= MaxCorners))
            return fail(bad + which + " announces " + fixed(n, 0, 0) + " stored corners; a body holds " +
                        std::to_string(MinFileCorners) + " to " + std::to_string(MaxCorners) + ".");
        const auto nc = static_cast<std::size_t>(corners);
        if (r.recordsLeft() < 2 * nc)
            return fail(bad + "it ends before the corners of " + which + " are complete.");
        nb.Density = property;
        nb.StrikeLength1 = nb.StrikeLength2 = strike * f;
        nb.x.resize(nc);
        nb.z.resize(nc);
        for (std::size_t k = 0; k < nc; ++k) {
            r.get(nb.x[k]);
            r.get(nb.z[k]);
            nb.x[k] *= f;
            nb.z[k] *= f;
        }
        // The last stored corner closes the body; an open outline would be
        // calculated and edited as some other shape.
        if (nb.x.back() != nb.x.front() || nb.z.back() != nb.z.front())
            return fail(bad + which + " is not closed: its last corner does not repeat its first.");
    }

    // The file is sound: change the model.
    Display& d = ws.display;
    d.ViewDepthMin = head[9];
    d.ViewDepthMax = head[10];
    if (!(d.ViewDepthMax > d.ViewDepthMin))
        d.ViewDepthMax = d.ViewDepthMin + 100;
    // So large a top that 100 more is the same number: the start-up section.
    if (!(d.ViewDepthMax > d.ViewDepthMin)) {
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 100;
    }
    const int first = m.NumBodies + 1;
    appendBodies(m, bodies);
    for (int b = first; b <= m.NumBodies; ++b) {
        m.Bodies[b].XPosMin = m.StationX[1];
        m.Bodies[b].XPosMax = m.StationX[m.NumStations];
    }
    m.ClearInversionFlags(first, m.NumBodies);
    return {};
}

// ---------------------------------------------------------------- body file

Status readBodyFile(Workspace& ws, std::string_view bytes, const std::string& fileName)
{
    Model& m = ws.model;
    const auto decoded = decodeText(bytes, fileName);
    if (!decoded)
        return fail(decoded.message());
    const std::string_view text = *decoded;
    const std::vector<std::string_view> all = textLines(text);
    // Commas are judged by the values only: the two free lines and the label
    // columns hold words and dates.
    std::vector<std::string_view> values;
    std::vector<int> numbers;
    for (std::size_t i = 2; i < all.size(); ++i) {
        values.push_back(afterCharacters(all[i].substr(0, firstCharacters(all[i], MaxLineCharacters).size()), 15));
        numbers.push_back(static_cast<int>(i) + 1);
    }
    const auto decision = decideFormat(values, numbers, {1, 3, 0}, fileName);
    if (!decision)
        return fail(decision.message());
    if (decision->question)
        return fail(twoReadingsMessage(*decision->question, fileName));
    const Commas commas = decision->format;
    LineReader lines(text);
    std::vector<std::string> fields;
    const std::string file = "the body file " + quoted(fileName);
    auto endedEarly = [&] {
        return "The body file " + quoted(fileName) + " ends after line " +
               std::to_string(lines.lineNumber()) + ", before all its bodies are read.";
    };
    auto cut = [&] {
        const std::string_view line = all[static_cast<std::size_t>(lines.lineNumber() - 1)];
        if (!cutAtColumn80(line))
            return false;
        // The last field kept is the number cut in two, when it is one of
        // the three read and the part kept reads as a number.
        const std::string first80 = firstCharacters(line, MaxLineCharacters);
        const auto kept = splitLine(afterCharacters(first80, 15), commas, 4);
        return !kept.empty() && kept.size() <= 3 && fieldValue(kept.back(), commas).has_value();
    };
    auto notANumber = [&](const char* what) {
        if (cut())
            return "Line " + std::to_string(lines.lineNumber()) + " of " + file +
                   " holds a number cut at column 80; only 80 characters of a line are read.";
        return "Line " + std::to_string(lines.lineNumber()) + " of " + file +
               " does not hold the expected " + what + " from column 16.";
    };
    auto numberField = [&](std::size_t i) -> std::optional<double> {
        return i < fields.size() ? fieldValue(fields[i], commas) : std::nullopt;
    };
    auto wholeField = [&](std::size_t i) -> std::optional<long long> {
        const auto v = numberField(i);
        if (!v || *v != std::trunc(*v) || std::fabs(*v) > 1e9)
            return std::nullopt;
        return static_cast<long long>(*v);
    };

    std::string_view skipped;
    if (!lines.next(skipped) || !lines.next(skipped) || !ReadValueLine(lines, fields, commas))
        return fail(endedEarly());
    const auto count = wholeField(0);
    if (!count)
        return fail(notANumber("whole number of bodies"));
    if (*count < 1 || *count > MaxBodies - m.NumBodies)
        return fail(InvalidBodiesText);

    std::vector<NewBody> bodies(static_cast<std::size_t>(*count));
    for (NewBody& nb : bodies) {
        if (!ReadValueLine(lines, fields, commas))
            return fail(endedEarly());
        const auto density = numberField(0);
        if (!density || cut())
            return fail(notANumber("density contrast"));
        if (!ReadValueLine(lines, fields, commas))
            return fail(endedEarly());
        const auto corners = wholeField(0);
        if (!corners)
            return fail(notANumber("whole number of corners"));
        if (*corners < 3 || *corners > MaxCorners - 1)
            return fail(InvalidCornersText);
        for (long long k = 0; k < *corners; ++k) {
            if (!ReadValueLine(lines, fields, commas))
                return fail(endedEarly());
            const auto x = numberField(0);
            const auto z = numberField(1);
            if (!x || !z || cut())
                return fail(notANumber("corner position and depth"));
            nb.x.push_back(*x);
            nb.z.push_back(*z);
        }
        nb.x.push_back(nb.x.front());   // the closing copy
        nb.z.push_back(nb.z.front());
        nb.Density = *density;
        nb.StrikeLength1 = nb.StrikeLength2 = m.UnitsKm ? 100.0 : 100000.0;   // 100 km
    }
    appendBodies(m, bodies);
    return {};
}

// ---------------------------------------------------------------- borehole file

namespace {

// A text that the number reader would take were it not infinite, not a
// number or beyond the range of doubles: "nan", "-inf", "1e400".
bool unusableNumber(std::string_view field)
{
    const std::string s(field);
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size();
}

}  // namespace

Status readBoreholeFile(Workspace& ws, std::string_view bytes, const std::string& fileName,
                        std::string* note)
{
    Model& m = ws.model;
    if (m.NumHoles >= MaxHoles)
        return fail(TooManyBoreholesText);
    const auto decoded = decodeText(bytes, fileName);
    if (!decoded)
        return fail(decoded.message());
    const std::string_view text = *decoded;
    const std::vector<std::string_view> all = textLines(text);
    std::vector<std::string_view> rows;
    std::vector<int> numbers;
    for (std::size_t i = 3; i < all.size(); ++i) {
        rows.push_back(all[i].substr(0, firstCharacters(all[i], MaxLineCharacters).size()));
        numbers.push_back(static_cast<int>(i) + 1);
    }
    const auto decision = decideFormat(rows, numbers, {2, 2, 0}, fileName);
    if (!decision)
        return fail(decision.message());
    if (decision->question)
        return fail(twoReadingsMessage(*decision->question, fileName));
    const Commas commas = decision->format;
    const std::string file = "the borehole file " + quoted(fileName);
    LineReader lines(text);
    std::string_view line;
    if (!lines.next(line))
        return fail("The borehole file " + quoted(fileName) + " is empty.");

    THole hole;
    hole.Name = firstCharacters(line, 20);
    lines.next(line);
    lines.next(line);
    int r = 0, l = 0;
    bool pending = false;
    std::vector<int> skipped;
    while (r < MaxHoleDepths && lines.next(line)) {
        const std::string kept = firstCharacters(line, MaxLineCharacters);
        const auto fields = splitLine(kept, commas, 2);
        if (fields.empty() || fields[0].empty())
            continue;   // a blank line, or a row without a position
        const auto x = fieldValue(fields[0], commas);
        // A line with NUL bytes or a number that cannot be held is neither a
        // row nor a label: it is skipped and said.
        if (line.find('\0') != std::string_view::npos || (!x && unusableNumber(fields[0]))) {
            skipped.push_back(lines.lineNumber());
            continue;
        }
        if (!x) {
            // A label names the data row that follows it; one that is followed
            // by another label instead names nothing and gives way to it.
            if (!pending) {
                if (l == MaxHoleLabels)
                    continue;
                ++l;
            }
            hole.Label[l] = firstCharacters(fields[0], 15);
            pending = true;
            continue;
        }
        const auto depth = fields.size() > 1 ? fieldValue(fields[1], commas) : std::nullopt;
        if (const auto all = splitLine(kept, commas, 3);
            cutAtColumn80(line) && all.size() <= 2 && fieldValue(all.back(), commas))
            return fail("Line " + std::to_string(lines.lineNumber()) + " of " + file +
                        " holds a number cut at column 80; only 80 characters of a line are read.");
        if (!depth && fields.size() > 1 && unusableNumber(fields[1])) {
            skipped.push_back(lines.lineNumber());
            continue;
        }
        if (!depth)
            return fail("Line " + std::to_string(lines.lineNumber()) + " of the borehole file " +
                        quoted(fileName) + " holds a position but no depth.");
        ++r;
        hole.HoleX[r] = *x;
        hole.HoleDepth[r] = *depth;
        if (pending) {
            hole.LabelRow[l] = r;
            pending = false;
        }
    }
    if (r == 0)
        return fail("The borehole file " + quoted(fileName) +
                    " holds no data rows (a position and a depth from line 4 on); no borehole was added.");
    if (pending)
        --l;   // the last label names no row
    hole.NumDepths = r;
    hole.NumLabels = l;

    ++m.NumHoles;
    m.Holes[m.NumHoles] = std::move(hole);
    if (note)
        *note = skippedLinesNote(skipped, "of " + file);
    return {};
}

// ---------------------------------------------------------------- from disk

Status importSideroFile(Workspace& ws, const std::string& path)
{
    const Result<std::string> bytes = readWholeFile(path, MaxInputBytes);
    if (!bytes)
        return fail(InaccessibleText);
    return importSideroModel(ws, *bytes, path);
}

Status readBodyFileAt(Workspace& ws, const std::string& path)
{
    const Result<std::string> text = readWholeFile(path, MaxInputBytes);
    if (!text)
        return fail(text.message());
    return readBodyFile(ws, *text, path);
}

Status readBoreholeFileAt(Workspace& ws, const std::string& path, std::string* note)
{
    if (ws.model.NumHoles >= MaxHoles)
        return fail(TooManyBoreholesText);
    const Result<std::string> text = readWholeFile(path, MaxInputBytes);
    if (!text)
        return fail(text.message());
    return readBoreholeFile(ws, *text, path, note);
}

}  // namespace corvane
