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

QImage seismicPicture(const SegySection& s, double clipPercent)
{
    QImage img(s.traces, s.samples, QImage::Format_Grayscale8);
    const std::vector<unsigned char> grey = greyLevels(s, clipAmplitude(s, clipPercent));
    for (int row = 0; row < s.samples; ++row) {
        uchar* line = img.scanLine(row);
        for (int t = 0; t < s.traces; ++t)
            line[t] = grey[static_cast<std::size_t>(t) * static_cast<std::size_t>(s.samples) +
                           static_cast<std::size_t>(row)];
    }
    return img;
}

std::string readBackdrop(Backdrop& b)
{
    if (!isSegy(b.path))
        return loadBackdropImage(b);
    SegySection s;
    if (std::string err = readSegy(b.path, s); !err.empty())
        return err;
    setBackdropPicture(b, seismicPicture(s, SeismicClipPercent));
    return {};
}

}  // namespace corvane
