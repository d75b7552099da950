#include "io/backdrop_file.h"

#include "display/backdrop.h"
#include "io/point_file.h"
#include "io/segy_section.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <numeric>

namespace corvane {

namespace {

bool isSegy(const std::string& path)
{
    std::string ext = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sgy" || ext == ".segy";
}

// The section with its traces at even steps over the distances pos (from
// the first trace), each step showing the trace nearest it.
SegySection byPosition(const SegySection& s, const std::vector<double>& pos)
{
    std::vector<std::size_t> order(static_cast<std::size_t>(s.traces));
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&pos](std::size_t a, std::size_t b) { return pos[a] < pos[b]; });
    const double lo = pos[order.front()];
    const double hi = pos[order.back()];
    SegySection out = s;
    const auto n = static_cast<std::size_t>(s.samples);
    std::size_t k = 0;   // the sorted trace at or before this column's position
    for (std::size_t c = 0; c < order.size(); ++c) {
        const double last = static_cast<double>(order.size() - 1);
        const double x = order.size() > 1 ? lo + (hi - lo) * static_cast<double>(c) / last : lo;
        while (k + 1 < order.size() && pos[order[k + 1]] <= x)
            ++k;
        const std::size_t pick = k + 1 < order.size() && pos[order[k + 1]] - x < x - pos[order[k]] ? k + 1 : k;
        std::memcpy(out.values.data() + c * n, s.values.data() + order[pick] * n, n * sizeof(float));
    }
    return out;
}

// Sets the edges the section gives itself (see readBackdrop); a message when
// its headers cannot give them.
std::string placeSection(Backdrop& b, SegySection& s, double metresPerUnit)
{
    const std::string name = "The SEG-Y file " + b.path;
    if (b.cdpPositions) {
        std::vector<double> pos(s.cdpX.size());
        for (std::size_t t = 0; t < pos.size(); ++t)
            pos[t] = std::fabs(s.cdpX[t] - s.cdpX[0]) / metresPerUnit;
        const double span = *std::max_element(pos.begin(), pos.end());
        if (!(span > 0) || !std::isfinite(span))
            return name + " gives all its traces the same CDP x: type the positions of its first and last trace.";
        b.xRight = b.xLeft + span;
        s = byPosition(s, pos);
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

}  // namespace

QImage seismicPicture(const SegySection& s, double clipPercent, bool redWhiteBlue)
{
    QImage img(s.traces, s.samples, redWhiteBlue ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    const std::vector<unsigned char> grey = greyLevels(s, clipAmplitude(s, clipPercent));
    for (int row = 0; row < s.samples; ++row) {
        uchar* line = img.scanLine(row);
        auto* rgb = reinterpret_cast<QRgb*>(line);
        for (int t = 0; t < s.traces; ++t) {
            const int g = grey[static_cast<std::size_t>(t) * static_cast<std::size_t>(s.samples) +
                               static_cast<std::size_t>(row)];
            if (!redWhiteBlue) {
                line[t] = static_cast<uchar>(g);
                continue;
            }
            // 0 (the clip) red, 128 (zero) white, 255 (minus the clip) blue.
            const int up = std::clamp(2 * g, 0, 255), down = std::clamp(2 * (255 - g), 0, 255);
            rgb[t] = g <= 128 ? qRgb(255, up, up) : qRgb(down, down, 255);
        }
    }
    return img;
}

std::string readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress, double metresPerUnit)
{
    if (!isSegy(b.path)) {
        if (b.cdpPositions || b.velocity > 0)
            return "Trace positions from the CDP x and a velocity are for SEG-Y files (.sgy, .segy) only.";
        return loadBackdropImage(b);
    }
    SegySection s;
    if (std::string err = readSegy(b.path, s, progress); !err.empty())
        return err;
    if (s.traces == 0)   // stopped
        return {};
    Backdrop placed = b;
    if (std::string err = placeSection(placed, s, metresPerUnit > 0 ? metresPerUnit : 1); !err.empty())
        return err;
    b = std::move(placed);
    setBackdropPicture(b, seismicPicture(s, b.clipPercent, b.redWhiteBlue));
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
