#include "output/backdrop_file.h"

#include "display/backdrop.h"
#include "io/point_file.h"
#include "io/segy_section.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numeric>

namespace corvane {

namespace {

bool isSegy(const std::string& path)
{
    std::string ext = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sgy" || ext == ".segy";
}

// Sets the edges the section gives itself (see readBackdrop); a message when
// its headers cannot give them.
Status placeSection(Backdrop& b, const SegySection& s, double metresPerUnit)
{
    const std::string name = "The SEG-Y file " + b.path;
    if (b.cdpPositions) {
        std::vector<double> pos(s.cdpX.size());
        for (std::size_t t = 0; t < pos.size(); ++t)
            // Distance from the first trace's point, so that a line running
            // obliquely to the grid is not shortened.
            pos[t] = std::hypot(s.cdpX[t] - s.cdpX[0], s.cdpY[t] - s.cdpY[0]) / metresPerUnit;
        const double span = *std::max_element(pos.begin(), pos.end());
        if (!(span > 0) || !std::isfinite(span))
            return fail(name + " gives all its traces the same CDP: type the positions of its first and last trace.");
        b.xRight = b.xLeft + span;
    }
    if (b.velocity > 0) {
        if (!(s.interval > 0))
            return fail(name + " gives no sample interval, so its times cannot be drawn as depths.");
        if (s.fileSamples < 2)
            return fail(name + " holds one sample a trace, so its times cannot be drawn as depths.");
        const double top = s.delay / 1000, bottom = top + (s.fileSamples - 1) * s.interval / 1e6;   // seconds
        b.zTop = b.velocity * top / 2 / metresPerUnit;
        b.zBottom = b.velocity * bottom / 2 / metresPerUnit;
    }
    return {};
}

// The colour of grey level g (segy_section.h's greyLevel).
QRgb sectionColour(int g, bool redWhiteBlue)
{
    // Red-white-blue: 0 (the clip) red, 128 (zero) white, 255 (minus the clip) blue.
    const int up = std::clamp(2 * g, 0, 255), down = std::clamp(2 * (255 - g), 0, 255);
    return !redWhiteBlue ? qRgb(g, g, g) : g <= 128 ? qRgb(255, up, up) : qRgb(down, down, 255);
}

// The picture, a column a column of values. progress(done, total) is called
// every few hundred rows; returning false stops the making (the picture is
// then null).
QImage sectionPicture(const SegySection& s, double clipPercent, bool redWhiteBlue,
                      const std::function<bool(int, int)>& progress)
{
    // Made in the format the backdrop keeps, so that it is not converted again.
    QImage img(s.traces, s.samples, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return img;
    const double clip = clipAmplitude(s, clipPercent);
    std::array<QRgb, 256> colour;
    for (int g = 0; g < 256; ++g)
        colour[static_cast<std::size_t>(g)] = sectionColour(g, redWhiteBlue);
    // A band of rows at a time: each trace is read in runs, and the lines
    // written stay in the cache.
    constexpr int Band = 64;
    const auto n = static_cast<std::size_t>(s.samples);
    for (int top = 0; top < s.samples; top += Band) {
        if (progress && top % (4 * Band) == 0 && !progress(top, s.samples))
            return QImage();
        const int rows = std::min(Band, s.samples - top);
        std::array<QRgb*, Band> line{};
        for (int r = 0; r < rows; ++r)
            line[static_cast<std::size_t>(r)] = reinterpret_cast<QRgb*>(img.scanLine(top + r));
        for (std::size_t c = 0; c < static_cast<std::size_t>(s.traces); ++c) {
            const float* v = s.values.data() + c * n + static_cast<std::size_t>(top);
            for (int r = 0; r < rows; ++r)
                line[static_cast<std::size_t>(r)][c] = colour[greyLevel(v[r], clip)];
        }
    }
    return img;
}

}  // namespace

QImage seismicPicture(const SegySection& s, double clipPercent, bool redWhiteBlue)
{
    return sectionPicture(s, clipPercent, redWhiteBlue, {});
}

Status readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress, double metresPerUnit)
{
    if (!isSegy(b.path)) {
        if (b.cdpPositions || b.velocity > 0)
            return fail("Trace positions from the CDP points and a velocity are for SEG-Y files (.sgy, .segy) only.");
        return statusFrom(loadBackdropImage(b));
    }
    // The progress runs over the reading, then over making the picture.
    std::function<bool(int, int)> reading, making;
    bool stopped = false;
    if (progress) {
        reading = [&progress](int done, int total) { return progress(done, 2 * total); };
        making = [&progress, &stopped](int done, int total) {
            stopped = !progress(total + done, 2 * total);
            return !stopped;
        };
    }
    SegySection s;
    SegyReduction reduce;
    reduce.byDistance = b.cdpPositions;
    if (Status read = readSegy(b.path, s, reading, reduce); !read)
        return read;
    if (s.traces == 0)   // stopped
        return {};
    Backdrop placed = b;
    if (Status placedOk = placeSection(placed, s, metresPerUnit > 0 ? metresPerUnit : 1); !placedOk)
        return placedOk;
    const QImage picture = sectionPicture(s, placed.clipPercent, placed.redWhiteBlue, making);
    if (picture.isNull() && stopped)
        return {};
    if (picture.isNull())
        return fail("The SEG-Y file " + b.path + " is too large to draw.");
    b = std::move(placed);
    setBackdropPicture(b, picture);
    b.image->note = s.note;
    b.image->sectionZero = sectionColour(greyLevel(0, 1), b.redWhiteBlue);
    return {};
}

std::vector<std::string> findOverlayFiles(Overlays& o, const std::string& modelPath)
{
    namespace fs = std::filesystem;
    std::vector<std::string> missing;
    auto find = [&](std::string& path) {
        std::error_code ec;
        if (path.empty() || fs::exists(fs::path(path), ec))
            return;
        if (!modelPath.empty()) {
            const fs::path beside = fs::absolute(fs::path(modelPath), ec).parent_path() / fs::path(path).filename();
            if (!ec && fs::is_regular_file(beside, ec)) {
                path = beside.lexically_normal().string();
                return;
            }
        }
        missing.push_back(path);
    };
    for (PointSet& set : o.pointSets)
        if (set.points.empty())
            find(set.path);
    if (o.backdrop && !o.backdrop->image)
        find(o.backdrop->path);
    return missing;
}

std::string readOverlayFiles(Overlays& o, double metresPerUnit, const std::function<bool(int, int)>& progress)
{
    std::vector<std::string> unread;
    for (PointSet& set : o.pointSets) {
        // A horizon's grid is sampled by the window, which knows the line.
        if (!set.points.empty() || set.horizon != HorizonGrid::None)
            continue;
        Result<std::vector<DataPoint>> r = readPointFileAt(set.path);
        if (r)
            set.points = std::move(*r);
        else
            unread.push_back(r.message());
    }
    std::string note;
    if (o.backdrop && !o.backdrop->image) {
        std::string err = readBackdrop(*o.backdrop, progress, metresPerUnit).message();
        if (err.empty() && !o.backdrop->image)
            err = "The reading of " + o.backdrop->path + " was cancelled.";
        if (!err.empty())
            unread.push_back(err);
        else
            note = o.backdrop->image->note;
    }
    std::string text;
    if (!unread.empty()) {
        text = "These files shown with the section could not be read. The model still names them, "
               "so saving it does not lose them:";
        for (const std::string& u : unread)
            text += "\n" + u;
    }
    if (!note.empty())
        text += (text.empty() ? "" : "\n") + note;
    return text;
}

}  // namespace corvane
