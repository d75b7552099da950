#include "model_file.h"

#include "real48.h"
#include "safe_file.h"
#include "text_lines.h"

#include "model/bounds.h"
#include "model/density_law.h"
#include "model/tick_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace corvane {

namespace {

std::string number(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// Appends six-byte records; remembers the first value that does not fit.
class RecordWriter {
public:
    explicit RecordWriter(std::size_t records) { bytes_.reserve(records * 6); }

    void put(double v, const char* what, int index = 0)
    {
        const auto r = encodeReal48(v);
        if (!r) {
            if (problem_.empty())
                problem_ = describe(what, index) + " is " + number(v) +
                           ", which the model file cannot hold";
            return;
        }
        bytes_.append(reinterpret_cast<const char*>(r->data()), r->size());
    }

    const std::string& problem() const { return problem_; }
    std::string take() { return std::move(bytes_); }

private:
    static std::string describe(const char* what, int index)
    {
        return index > 0 ? std::string(what) + " " + std::to_string(index) : std::string(what);
    }

    std::string bytes_;
    std::string problem_;
};

// A count stored as a real, rounded to the nearest whole number and held to
// [lo, hi]. The check is made on the real so that huge values cannot overflow.
bool takeCount(double v, int lo, int hi, int& out)
{
    const double r = std::nearbyint(v);
    if (!(r >= lo && r <= hi))
        return false;
    out = static_cast<int>(r);
    return true;
}

std::string range(int lo, int hi) { return std::to_string(lo) + " to " + std::to_string(hi); }

}  // namespace

Result<std::string> modelFileBytes(const Workspace& ws, const std::string& modelPath)
{
    return modelFileBytes(ws, extrasOf(ws, modelPath), false);
}

Result<std::string> modelFileBytes(const Workspace& ws, const ModelExtras& extras, bool checksum)
{
    const Model& m = ws.model;
    const Display& d = ws.display;

    // The file must load again: keep to the limits the loader checks.
    if (m.NumBodies < 0 || m.NumBodies > MaxBodies) {
        return fail("it has " + std::to_string(m.NumBodies) + " bodies; a model file holds " +
                    range(0, MaxBodies));
    }
    if (m.NumStations < MinFileStations || m.NumStations > MaxStations) {
        return fail("it has " + std::to_string(m.NumStations) + " stations; a model file holds " +
                    range(MinFileStations, MaxStations));
    }
    std::size_t records = 9 + 2 * static_cast<std::size_t>(m.NumStations);
    for (int b = 1; b <= m.NumBodies; ++b) {
        const int n = m.Bodies[b].NumCorners;
        if (n < MinFileCorners || n > MaxCorners) {
            return fail("body " + std::to_string(b) + " has " + std::to_string(n - 1) +
                        " corners; a body needs " + range(MinFileCorners - 1, MaxCorners - 1));
        }
        records += 4 + 2 * static_cast<std::size_t>(n);
    }

    RecordWriter w(records);
    w.put(m.NumBodies, "the number of bodies");
    w.put(m.NumStations, "the number of stations");
    w.put(d.GridStepX, "the horizontal grid spacing");
    w.put(d.GridStepZ, "the vertical grid spacing");
    w.put(d.ViewDepthMin, "the top of the displayed section");
    w.put(d.ViewDepthMax, "the bottom of the displayed section");
    w.put(m.UnitsKm ? 1.0 : 0.0, "the unit");
    w.put(m.HaveObserved ? 1.0 : -1.0, "the field data flag");
    w.put(1.0, "the constant");
    for (int i = 1; i <= m.NumStations; ++i) {
        w.put(m.StationX[i], "the position of station", i);
        w.put(m.ObservedGravity[i], "the observed anomaly at station", i);
    }
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        w.put(body.NumCorners, "the corner count of body", b);
        w.put(body.Density, "the density contrast of body", b);
        w.put(body.StrikeLength1, "the first strike length of body", b);
        w.put(body.StrikeLength2, "the second strike length of body", b);
        for (int k = 1; k <= body.NumCorners; ++k) {
            w.put(body.CornerX[k], "a corner position of body", b);
            w.put(body.CornerZ[k], "a corner depth of body", b);
        }
    }
    if (!w.problem().empty())
        return fail(w.problem());
    std::string bytes = w.take();
    // A model with nothing beyond the records keeps the file older programs write.
    const bool own = checksum || !extras.empty();
    if (own)
        bytes += extrasText(extras, bytes, checksum);
    // Blocks of other versions follow ours as they were read.
    if (!extras.Carried.Blocks.empty())
        bytes += (own ? "" : "\r\n") + extras.Carried.Blocks;
    return bytes;
}

Status parseModelFile(std::string_view bytes, ModelFileContents& out)
{
    Real48Reader r(bytes);
    double head[9];
    for (double& v : head)
        if (!r.get(v))
            return fail("it is shorter than the 9 records that begin every model file");

    ModelFileContents f;
    if (!takeCount(head[0], 0, MaxBodies, f.NumBodies))
        return fail("it announces " + number(head[0]) + " bodies; a model holds " + range(0, MaxBodies));
    if (!takeCount(head[1], MinFileStations, MaxStations, f.NumStations))
        return fail("it announces " + number(head[1]) + " stations; a model holds " +
                    range(MinFileStations, MaxStations));
    f.GridStepX = head[2];
    f.GridStepZ = head[3];
    f.ViewDepthMin = head[4];
    f.ViewDepthMax = head[5];
    f.UnitsKm = head[6] > 0;
    f.HaveObserved = head[7] > 0;

    if (r.recordsLeft() < 2 * static_cast<std::size_t>(f.NumStations))
        return fail("it ends before the data of its " + std::to_string(f.NumStations) +
                    " stations are complete");
    f.StationX.resize(static_cast<std::size_t>(f.NumStations));
    f.ObservedGravity.resize(static_cast<std::size_t>(f.NumStations));
    for (int i = 0; i < f.NumStations; ++i) {
        r.get(f.StationX[static_cast<std::size_t>(i)]);
        r.get(f.ObservedGravity[static_cast<std::size_t>(i)]);
    }

    f.Bodies.resize(static_cast<std::size_t>(f.NumBodies));
    for (int b = 0; b < f.NumBodies; ++b) {
        ModelFileBody& body = f.Bodies[static_cast<std::size_t>(b)];
        const std::string which = "body " + std::to_string(b + 1);
        double n = 0;
        if (!r.get(n) || !r.get(body.Density) || !r.get(body.StrikeLength1) ||
            !r.get(body.StrikeLength2))
            return fail("it ends before the data of " + which + " are complete");
        if (!takeCount(n, MinFileCorners, MaxCorners, body.NumCorners))
            return fail(which + " announces " + number(n) + " stored corners; a body holds " +
                        range(MinFileCorners, MaxCorners));
        if (r.recordsLeft() < 2 * static_cast<std::size_t>(body.NumCorners))
            return fail("it ends before the corners of " + which + " are complete");
        body.CornerX.resize(static_cast<std::size_t>(body.NumCorners));
        body.CornerZ.resize(static_cast<std::size_t>(body.NumCorners));
        for (int k = 0; k < body.NumCorners; ++k) {
            r.get(body.CornerX[static_cast<std::size_t>(k)]);
            r.get(body.CornerZ[static_cast<std::size_t>(k)]);
        }
        // The last stored corner closes the body; an open outline would be
        // calculated and edited as some other shape.
        if (body.CornerX.back() != body.CornerX.front() || body.CornerZ.back() != body.CornerZ.front())
            return fail(which + " is not closed: its last corner does not repeat its first");
    }
    f.RecordBytes = 6 * (9 + 2 * static_cast<std::size_t>(f.NumStations));
    for (const ModelFileBody& body : f.Bodies)
        f.RecordBytes += 6 * (4 + 2 * static_cast<std::size_t>(body.NumCorners));
    f.Extras = readExtras(bytes, f.RecordBytes, f.ExtrasRead);
    out = std::move(f);
    return {};
}

void applyModelFile(Workspace& ws, const ModelFileContents& f, std::vector<std::string>* notes,
                    const std::string& modelPath)
{
    Model& m = ws.model;
    Display& d = ws.display;

    d.ModelLoaded = true;
    ws.inversion.InversionBody = 1;
    m.clearMagnetics();
    m.Grad.Num = 0;   // the block, if any, brings this model's gradient stations
    m.Grad.Frame = TensorFrame::Profile;
    m.ProfileLine.reset();   // the last model's place on the map is not this one's
    d.ShowMagnetic = false;
    d.ShowGradient = false;
    d.GradientComponents = 0;

    m.NumStations = f.NumStations;
    m.NumBodies = f.NumBodies;
    // The current body must be one of the model's (or slot 1 of an empty one).
    if (m.CurrentBody < 1 || m.CurrentBody > std::max(1, m.NumBodies))
        m.CurrentBody = 1;
    d.GridStepX = f.GridStepX;
    d.GridStepZ = f.GridStepZ;
    d.ViewDepthMin = f.ViewDepthMin;
    d.ViewDepthMax = f.ViewDepthMax;
    // The section needs a positive depth extent; an empty or inverted range is
    // opened downwards as the display-limits dialog does.
    if (!(d.ViewDepthMax > d.ViewDepthMin))
        d.ViewDepthMax = d.ViewDepthMin + 100;
    // So large a top that 100 more is the same number: the start-up section.
    if (!(d.ViewDepthMax > d.ViewDepthMin)) {
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 100;
    }
    d.DepthTickStep = (d.ViewDepthMax - d.ViewDepthMin) * 0.25;

    m.UnitsKm = f.UnitsKm;
    m.HaveObserved = f.HaveObserved;
    // The records hold no heights: every station stands on the datum until
    // an extras block says otherwise.
    m.StationHeight.fill(0);
    m.StationOffset.fill(0);   // nor offsets from the line
    for (int i = 1; i <= m.NumStations; ++i) {
        m.StationX[i] = f.StationX[static_cast<std::size_t>(i - 1)];
        m.ObservedGravity[i] = f.ObservedGravity[static_cast<std::size_t>(i - 1)];
        m.CalculatedGravity[i] = 0;
    }

    std::vector<std::string> problems = f.ExtrasRead.Problems;
    if (f.Extras)
        applyElevations(m, *f.Extras, problems);

    const double first = m.StationX[1];
    const double last = m.StationX[m.NumStations];
    d.ViewXMin = first;
    d.ViewXMax = last;
    d.Zoomed = false;
    for (int b = 1; b <= MaxBodies; ++b) {
        // Bounds typed for the bodies of the model before are not this one's.
        resetInversionBounds(m.Bodies[b]);
        m.Bodies[b].XPosMin = first;
        m.Bodies[b].XPosMax = last;
    }

    for (int b = 1; b <= m.NumBodies; ++b) {
        const ModelFileBody& src = f.Bodies[static_cast<std::size_t>(b - 1)];
        Tbody& body = m.Bodies[b];
        body.NumCorners = src.NumCorners;
        body.Density = src.Density;
        body.StrikeLength1 = src.StrikeLength1;
        body.StrikeLength2 = src.StrikeLength2;
        body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = false;
        body.InvertSusceptibility = body.InvertRemanence = false;
        // The file holds neither hidden flags nor links: a loaded body is
        // visible and stands alone, whatever the slot held before.
        body.Hidden = false;
        // A law the block gives is the body's before it is calculated (the
        // block's reading reports any that names no body).
        clearDensityLaw(body);
        if (f.Extras)
            for (const ExtrasDensityLaw& v : f.Extras->DensityLaws)
                if (v.Body == b && densityLawOf(v.Law, body.Law)) {
                    body.LawRate = v.Rate;
                    body.LawZ0 = v.Z0;
                }
        for (int k = 1; k <= MaxCorners; ++k) {
            body.CornerInvertX[k] = false;
            body.CornerInvertZ[k] = false;
            body.clearLink(k);
        }
        for (int k = 1; k <= src.NumCorners; ++k) {
            body.CornerX[k] = src.CornerX[static_cast<std::size_t>(k - 1)];
            body.CornerZ[k] = src.CornerZ[static_cast<std::size_t>(k - 1)];
        }
        m.CalculateBody(b);
    }

    double hi = -1.0e8, lo = 1.0e8;
    for (int i = 1; i <= m.NumStations; ++i) {
        hi = std::max(hi, m.CalculatedGravity[i]);
        lo = std::min(lo, m.CalculatedGravity[i]);
        if (m.HaveObserved) {
            hi = std::max(hi, m.ObservedGravity[i]);
            lo = std::min(lo, m.ObservedGravity[i]);
        }
    }
    d.GravityTickStep = autoGravityTickStep(lo, hi);

    m.ModelExists = true;
    d.ShowIndividual = false;

    // Without a block, what the records do not hold stays as the last model
    // left it, as it always has; only what belonged to that file goes.
    if (f.Extras) {
        applyExtras(ws, *f.Extras, problems, modelPath);
    } else {
        ws.extras.RegionalRemoved.reset();
        ws.extras.MagneticRegionalRemoved.reset();
        ws.extras.Carried = {};
        ws.overlays = {};
    }
    ws.extras.Carried.Blocks = f.ExtrasRead.Kept;
    if (notes)
        *notes = std::move(problems);
}

Status loadModelBytes(Workspace& ws, std::string_view bytes, std::vector<std::string>* notes,
                      const std::string& modelPath)
{
    ModelFileContents contents;
    Status parsed = parseModelFile(bytes, contents);
    if (parsed)
        applyModelFile(ws, contents, notes, modelPath);
    return parsed;
}

std::string extrasNotesText(const std::vector<std::string>& notes)
{
    constexpr std::size_t Shown = 5;
    std::string text;
    for (std::size_t i = 0; i < std::min(notes.size(), Shown); ++i)
        text += (i ? "\n" : "") + notes[i];
    if (notes.size() > Shown)
        text += "\n" + std::to_string(notes.size() - Shown) + " more line(s) of the extras could not be read.";
    return text;
}

Status saveModelFile(const Workspace& ws, const std::string& path)
{
    const Result<std::string> bytes = modelFileBytes(ws, path);
    if (!bytes)
        return fail("The model cannot be saved in \"" + path + "\": " + bytes.message() + ".");
    return writeFileSafely(path, *bytes);
}

Status loadModelFile(Workspace& ws, const std::string& path, std::vector<std::string>* notes)
{
    // The largest sound file is under 100 kB; anything far beyond is not one.
    const Result<std::string> bytes = readWholeFile(path, std::size_t{16} << 20);
    if (!bytes)
        return fail(bytes.message());
    if (Status loaded = loadModelBytes(ws, *bytes, notes, path); !loaded)
        return fail("\"" + path + "\" is not a model file that can be loaded: " + loaded.message() + ".");
    ws.app.ModelFileName = firstCharacters(path, 80);
    return {};
}

}  // namespace corvane
