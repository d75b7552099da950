#include "map_ui/grid_image.h"

#include "map/gdal_session.h"

#include <gdal_priv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace corvane::mapui {

QColor rampColour(double t)
{
    static constexpr std::array<std::array<int, 3>, 5> stops{{
        {0, 0, 255}, {0, 255, 255}, {0, 200, 0}, {255, 255, 0}, {255, 0, 0}}};
    t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * (stops.size() - 1);
    const auto i = std::min<std::size_t>(static_cast<std::size_t>(t), stops.size() - 2);
    const double f = t - static_cast<double>(i);
    auto mix = [&](int c) { return static_cast<int>(std::lround(stops[i][c] + f * (stops[i + 1][c] - stops[i][c]))); };
    return {mix(0), mix(1), mix(2)};
}

namespace {

// A grid larger than this on its longer side is shown, while the view shows
// more cells than pixels, from a copy of it reduced to this size, read once:
// a pan or zoom then costs no decoding of the whole grid.
constexpr int CopySide = 2048;

// The ramp in steps fine enough that no two neighbours differ by more than
// one level of a colour channel; exact at both ends.
const std::array<QRgb, 1024>& rampTable()
{
    static const auto table = [] {
        std::array<QRgb, 1024> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = rampColour(static_cast<double>(i) / (t.size() - 1)).rgb();
        return t;
    }();
    return table;
}

}  // namespace

struct GridImage::Data {
    std::string path;
    GDALDatasetUniquePtr ds;
    std::array<double, 6> gt{};
    double low = 0, high = 1;
    double noData = 0;
    bool hasNoData = false;
    // The reduced copy (empty until a view first needs it): copyW x copyH
    // values, each over cellsX x cellsY cells of the grid.
    std::vector<float> copy;
    int copyW = 0, copyH = 0;
    double cellsX = 1, cellsY = 1;

    bool large() const { return std::max(ds->GetRasterXSize(), ds->GetRasterYSize()) > CopySide; }
    bool readCopy();
    // The window [x0, x1) x [y0, y1) of the grid into bw x bh values.
    bool read(int x0, int y0, int x1, int y1, int bw, int bh, std::vector<float>& v);
};

bool GridImage::Data::readCopy()
{
    if (!copy.empty())
        return true;
    const int nx = ds->GetRasterXSize(), ny = ds->GetRasterYSize();
    const double f = static_cast<double>(std::max(nx, ny)) / CopySide;
    copyW = std::max(1, static_cast<int>(std::lround(nx / f)));
    copyH = std::max(1, static_cast<int>(std::lround(ny / f)));
    cellsX = static_cast<double>(nx) / copyW;
    cellsY = static_cast<double>(ny) / copyH;
    std::vector<float> v(static_cast<std::size_t>(copyW) * copyH);
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_Average;
    if (ds->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, nx, ny, v.data(), copyW, copyH, GDT_Float32, 0, 0, &extra) !=
        CE_None)
        return false;
    copy = std::move(v);
    return true;
}

bool GridImage::Data::read(int x0, int y0, int x1, int y1, int bw, int bh, std::vector<float>& v)
{
    v.assign(static_cast<std::size_t>(bw) * bh, 0.0f);
    const double perX = static_cast<double>(x1 - x0) / bw, perY = static_cast<double>(y1 - y0) / bh;
    if (large() && perX >= cellsX && perY >= cellsY && readCopy()) {
        // Each pixel takes the copy's value under its centre.
        std::vector<int> column(static_cast<std::size_t>(bw));
        for (int i = 0; i < bw; ++i)
            column[static_cast<std::size_t>(i)] = std::min(copyW - 1, static_cast<int>((x0 + (i + 0.5) * perX) / cellsX));
        for (int j = 0; j < bh; ++j) {
            const int r = std::min(copyH - 1, static_cast<int>((y0 + (j + 0.5) * perY) / cellsY));
            const float* src = copy.data() + static_cast<std::size_t>(r) * copyW;
            float* dst = v.data() + static_cast<std::size_t>(j) * bw;
            for (int i = 0; i < bw; ++i)
                dst[i] = src[column[static_cast<std::size_t>(i)]];
        }
        return true;
    }
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_Average;
    return ds->GetRasterBand(1)->RasterIO(GF_Read, x0, y0, x1 - x0, y1 - y0, v.data(), bw, bh, GDT_Float32, 0, 0,
                                          &extra) == CE_None;
}

GridImage::GridImage() = default;
GridImage::~GridImage() = default;
GridImage::GridImage(GridImage&&) noexcept = default;
GridImage& GridImage::operator=(GridImage&&) noexcept = default;

map::MapResult<GridImage> GridImage::open(const std::string& path)
{
    map::registerGdal();
    map::QuietGdal quiet;
    auto d = std::make_unique<Data>();
    d->path = path;
    d->ds.reset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!d->ds || d->ds->GetRasterCount() < 1)
        return map::MapResult<GridImage>::failure("The grid could not be read" +
                                                  (map::QuietGdal::lastMessage().empty() ? std::string(".")
                                                                                    : ": " + map::QuietGdal::lastMessage() + "."));
    if (d->ds->GetGeoTransform(d->gt.data()) != CE_None || d->gt[2] != 0 || d->gt[4] != 0)
        return map::MapResult<GridImage>::failure("The grid has no place on the map, or is rotated.");
    GDALRasterBand* band = d->ds->GetRasterBand(1);
    int has = 0;
    d->noData = band->GetNoDataValue(&has);
    d->hasNoData = has != 0;
    // The range from the overviews: a whole large grid is not read for it.
    double mm[2] = {0, 1};
    if (band->ComputeRasterMinMax(TRUE, mm) != CE_None)
        mm[0] = 0, mm[1] = 1;
    d->low = mm[0];
    d->high = mm[1] > mm[0] ? mm[1] : mm[0] + 1;
    GridImage g;
    g.d_ = std::move(d);
    map::MapResult<GridImage> r;
    r.value = std::move(g);
    return r;
}

const std::string& GridImage::path() const { return d_->path; }
double GridImage::low() const { return d_->low; }
double GridImage::high() const { return d_->high; }

QRectF GridImage::extent() const
{
    const auto& g = d_->gt;
    const double w = g[1] * d_->ds->GetRasterXSize(), h = g[5] * d_->ds->GetRasterYSize();
    return QRectF(QPointF(std::min(g[0], g[0] + w), std::min(g[3], g[3] + h)),
                  QPointF(std::max(g[0], g[0] + w), std::max(g[3], g[3] + h)));
}

GridPicture GridImage::render(const QRectF& area, QSize size, bool hillshade) const
{
    if (!d_)
        return {};
    const auto& g = d_->gt;
    const int nx = d_->ds->GetRasterXSize(), ny = d_->ds->GetRasterYSize();
    // The grid's pixel window under the area, whole pixels, within the grid.
    auto col = [&](double e) { return (e - g[0]) / g[1]; };
    auto row = [&](double n) { return (n - g[3]) / g[5]; };
    const double c0 = col(area.left()), c1 = col(area.right());
    const double r0 = row(area.bottom()), r1 = row(area.top());
    const int x0 = std::clamp(static_cast<int>(std::floor(std::min(c0, c1))), 0, nx);
    const int x1 = std::clamp(static_cast<int>(std::ceil(std::max(c0, c1))), 0, nx);
    const int y0 = std::clamp(static_cast<int>(std::floor(std::min(r0, r1))), 0, ny);
    const int y1 = std::clamp(static_cast<int>(std::ceil(std::max(r0, r1))), 0, ny);
    if (x1 <= x0 || y1 <= y0 || size.isEmpty())
        return {};
    const int bw = std::min(x1 - x0, std::max(1, size.width()));
    const int bh = std::min(y1 - y0, std::max(1, size.height()));
    std::vector<float> v;
    map::QuietGdal quiet;
    if (!d_->read(x0, y0, x1, y1, bw, bh, v))
        return {};

    QImage img(bw, bh, QImage::Format_ARGB32);
    const double span = d_->high - d_->low;
    // The buffer's cell size on the map, for the slopes of the shading.
    const double dx = std::abs(g[1]) * (x1 - x0) / bw, dy = std::abs(g[5]) * (y1 - y0) / bh;
    auto at = [&](int i, int j) {
        i = std::clamp(i, 0, bw - 1);
        j = std::clamp(j, 0, bh - 1);
        return static_cast<double>(v[static_cast<std::size_t>(j) * bw + i]);
    };
    auto missing = [&](double z) { return !std::isfinite(z) || (d_->hasNoData && z == d_->noData); };
    // Light from the north-west, 45 degrees up; heights in grid units, slopes
    // exaggerated so that a field in mGal over km still shows its relief.
    const double exaggeration = span > 0 ? 100.0 * std::max(dx, dy) * std::min(bw, bh) / span / std::max(bw, bh) : 1;
    const auto& ramp = rampTable();
    for (int j = 0; j < bh; ++j) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(g[5] < 0 ? j : bh - 1 - j));
        const float* row = v.data() + static_cast<std::size_t>(j) * bw;
        for (int i = 0; i < bw; ++i) {
            const double z = row[i];
            const int out = g[1] > 0 ? i : bw - 1 - i;
            if (missing(z)) {
                line[out] = qRgba(0, 0, 0, 0);
                continue;
            }
            const double t = std::clamp((z - d_->low) / span, 0.0, 1.0);
            const QRgb rgb = ramp[static_cast<std::size_t>(t * (ramp.size() - 1) + 0.5)];
            if (!hillshade) {
                line[out] = rgb;
                continue;
            }
            const double sx = (at(i + 1, j) - at(i - 1, j)) / (2 * dx) * exaggeration;
            const double sy = (at(i, j - 1) - at(i, j + 1)) / (2 * dy) * exaggeration;   // north up
            // Normal (-sx, -sy, 1) against the light (-1, 1, 1) / sqrt 3.
            const double shade = (sx - sy + 1) / std::sqrt(3.0 * (sx * sx + sy * sy + 1));
            const double f = std::clamp(0.35 + 0.65 * shade, 0.0, 1.0);
            const QColor c(rgb);
            line[out] = QColor::fromRgbF(static_cast<float>(c.redF() * f), static_cast<float>(c.greenF() * f),
                                         static_cast<float>(c.blueF() * f))
                            .rgb();
        }
    }
    const double west = g[0] + g[1] * (g[1] > 0 ? x0 : x1), east = g[0] + g[1] * (g[1] > 0 ? x1 : x0);
    const double north = g[3] + g[5] * (g[5] < 0 ? y0 : y1), south = g[3] + g[5] * (g[5] < 0 ? y1 : y0);
    return {img, QRectF(west, south, east - west, north - south)};
}

}  // namespace corvane::mapui
