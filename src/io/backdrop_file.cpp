#include "io/backdrop_file.h"

#include "display/backdrop.h"
#include "io/segy_section.h"

#include <QImage>

#include <algorithm>
#include <cctype>

namespace corvane {

namespace {

bool isSegy(const std::string& path)
{
    std::string ext = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".sgy" || ext == ".segy";
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

std::string readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress)
{
    if (!isSegy(b.path))
        return loadBackdropImage(b);
    SegySection s;
    if (std::string err = readSegy(b.path, s, progress); !err.empty())
        return err;
    if (s.traces == 0)   // stopped
        return {};
    setBackdropPicture(b, seismicPicture(s, b.clipPercent, b.redWhiteBlue));
    return {};
}

}  // namespace corvane
