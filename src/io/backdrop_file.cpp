#include "io/backdrop_file.h"

#include "display/backdrop.h"
#include "io/point_file.h"
#include "io/segy_section.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numeric>

namespace corvane {

namespace {

bool isSegy(const std::string& path)
{
    std::string ext = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sgy" || ext == ".segy";
}

// The trace each column of the picture shows: the columns at even steps
// over the distances pos (from the first trace), each showing the trace
// nearest it.
std::vector<std::size_t> byPosition(const std::vector<double>& pos)
{
    std::vector<std::size_t> order(pos.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&pos](std::size_t a, std::size_t b) { return pos[a] < pos[b]; });
    const double lo = pos[order.front()];
    const double hi = pos[order.back()];
    std::vector<std::size_t> columns(order.size());
    std::size_t k = 0;   // the sorted trace at or before this column's position
    for (std::size_t c = 0; c < order.size(); ++c) {
        const double last = static_cast<double>(order.size() - 1);
        const double x = order.size() > 1 ? lo + (hi - lo) * static_cast<double>(c) / last : lo;
        while (k + 1 < order.size() && pos[order[k + 1]] <= x)
            ++k;
        columns[c] = order[k + 1 < order.size() && pos[order[k + 1]] - x < x - pos[order[k]] ? k + 1 : k];
    }
    return columns;
}

// Sets the edges the section gives itself (see readBackdrop); a message when
// its headers cannot give them.
std::string placeSection(Backdrop& b, const SegySection& s, double metresPerUnit, std::vector<std::size_t>& columns)
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
            return name + " gives all its traces the same CDP: type the positions of its first and last trace.";
        b.xRight = b.xLeft + span;
        columns = byPosition(pos);
    }
    if (b.velocity > 0) {
        if (!(s.interval > 0))
            return name + " gives no sample interval, so its times cannot be drawn as depths.";
        if (s.samples < 2)
            return name + " holds one sample a trace, so its times cannot be drawn as depths.";
        const double top = s.delay / 1000, bottom = top + (s.samples - 1) * s.interval / 1e6;   // seconds
        b.zTop = b.velocity * top / 2 / metresPerUnit;
        b.zBottom = b.velocity * bottom / 2 / metresPerUnit;
    }
    return {};
}

// The picture with column c showing trace columns[c]. progress(done, total)
// is called every few hundred rows; returning false stops the making (the
// picture is then null).
QImage sectionPicture(const SegySection& s, double clipPercent, bool redWhiteBlue,
                      const std::vector<std::size_t>& columns, const std::function<bool(int, int)>& progress)
{
    // Made in the format the backdrop keeps, so that it is not converted again.
    QImage img(static_cast<int>(columns.size()), s.samples, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull())
        return img;
    const double clip = clipAmplitude(s, clipPercent);
    std::array<QRgb, 256> colour;
    for (int g = 0; g < 256; ++g) {
        // Red-white-blue: 0 (the clip) red, 128 (zero) white, 255 (minus the clip) blue.
        const int up = std::clamp(2 * g, 0, 255), down = std::clamp(2 * (255 - g), 0, 255);
        colour[static_cast<std::size_t>(g)] =
            !redWhiteBlue ? qRgb(g, g, g) : g <= 128 ? qRgb(255, up, up) : qRgb(down, down, 255);
    }
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
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const float* v = s.values.data() + columns[c] * n + static_cast<std::size_t>(top);
            for (int r = 0; r < rows; ++r)
                line[static_cast<std::size_t>(r)][c] = colour[greyLevel(v[r], clip)];
        }
    }
    return img;
}

std::vector<std::size_t> everyTrace(const SegySection& s)
{
    std::vector<std::size_t> columns(static_cast<std::size_t>(s.traces));
    std::iota(columns.begin(), columns.end(), std::size_t{0});
    return columns;
}

}  // namespace

QImage seismicPicture(const SegySection& s, double clipPercent, bool redWhiteBlue)
{
    return sectionPicture(s, clipPercent, redWhiteBlue, everyTrace(s), {});
}

std::string readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress, double metresPerUnit)
{
    if (!isSegy(b.path)) {
        if (b.cdpPositions || b.velocity > 0)
            return "Trace positions from the CDP points and a velocity are for SEG-Y files (.sgy, .segy) only.";
        return loadBackdropImage(b);
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
    if (std::string err = readSegy(b.path, s, reading); !err.empty())
        return err;
    if (s.traces == 0)   // stopped
        return {};
    Backdrop placed = b;
    std::vector<std::size_t> columns = everyTrace(s);
    if (std::string err = placeSection(placed, s, metresPerUnit > 0 ? metresPerUnit : 1, columns); !err.empty())
        return err;
    const QImage picture = sectionPicture(s, placed.clipPercent, placed.redWhiteBlue, columns, making);
    if (picture.isNull())
        return stopped ? std::string() : "The SEG-Y file " + b.path + " is too large to draw.";
    b = std::move(placed);
    setBackdropPicture(b, picture);
    return {};
}

std::string readOverlayFiles(Overlays& o, double metresPerUnit, const std::function<bool(int, int)>& progress)
{
    std::vector<std::string> unread;
    for (PointSet& set : o.pointSets) {
        if (!set.points.empty())
            continue;
        PointFileResult r = readPointFileAt(set.path);
        if (r.error.empty())
            set.points = std::move(r.points);
        else
            unread.push_back(r.error);
    }
    if (o.backdrop && !o.backdrop->image) {
        std::string err = readBackdrop(*o.backdrop, progress, metresPerUnit);
        if (err.empty() && !o.backdrop->image)
            err = "The reading of " + o.backdrop->path + " was cancelled.";
        if (!err.empty())
            unread.push_back(err);
    }
    if (unread.empty())
        return {};
    std::string text = "These files shown with the section could not be read. The model still names them, "
                       "so saving it does not lose them:";
    for (const std::string& u : unread)
        text += "\n" + u;
    return text;
}

}  // namespace corvane
