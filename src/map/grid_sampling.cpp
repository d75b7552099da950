#include "map/grid_sampling.h"

#include "map/gdal_session.h"
#include "model/model.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane::map {

namespace {

// A window of at most this many pixels is read at a time: stations close
// together along the line share one read, a long line takes several.
constexpr long long MaxWindowPixels = 1 << 18;

constexpr double NegligibleWeight = 1e-9;

// Where a station takes its value from: the first pixel of its stencil and
// the weights of the stencil's columns and rows (2 or 4 each).
struct Stencil {
    std::size_t station = 0;
    int col = 0, row = 0, size = 2;
    std::array<double, 4> wx{}, wy{};
};

// Keys' cubic convolution kernel (a = -1/2): exact on quadratics.
double keys(double s)
{
    s = std::fabs(s);
    if (s <= 1)
        return (1.5 * s - 2.5) * s * s + 1;
    if (s < 2)
        return ((-0.5 * s + 2.5) * s - 4) * s + 2;
    return 0;
}

// The stencil of the point (px, py) in pixel-centre coordinates of a
// width x height grid. A bicubic stencil that does not fit within the grid
// falls back to bilinear; a bilinear one at the outer half pixel extrapolates
// from the last two centres (still exact on a plane).
Stencil stencilAt(double px, double py, int width, int height, Interpolation method)
{
    Stencil s;
    const int c = static_cast<int>(std::floor(px)), r = static_cast<int>(std::floor(py));
    if (method == Interpolation::Bicubic && c >= 1 && r >= 1 && c + 2 <= width - 1 && r + 2 <= height - 1) {
        s.size = 4;
        s.col = c - 1, s.row = r - 1;
        const double tx = px - c, ty = py - r;
        for (int k = 0; k < 4; ++k) {
            s.wx[static_cast<std::size_t>(k)] = keys(tx + 1 - k);
            s.wy[static_cast<std::size_t>(k)] = keys(ty + 1 - k);
        }
        return s;
    }
    s.col = std::clamp(c, 0, width - 2);
    s.row = std::clamp(r, 0, height - 2);
    const double tx = px - s.col, ty = py - s.row;
    s.wx = {1 - tx, tx, 0, 0};
    s.wy = {1 - ty, ty, 0, 0};
    return s;
}

struct Band {
    GDALRasterBand* band = nullptr;
    bool hasNoData = false;
    double noData = 0;
    double scale = 1, offset = 0;

    bool isNoData(double v) const { return std::isnan(v) || (hasNoData && v == noData); }
};

// Reads the window the stencils span and gives each its station's value,
// or counts it as over no-data.
bool sampleWindow(const Band& b, const std::vector<Stencil>& stencils, const std::vector<double>& xs,
                  GridSamples& out)
{
    int c0 = stencils.front().col, r0 = stencils.front().row, c1 = c0, r1 = r0;
    for (const Stencil& s : stencils) {
        c0 = std::min(c0, s.col), r0 = std::min(r0, s.row);
        c1 = std::max(c1, s.col + s.size - 1), r1 = std::max(r1, s.row + s.size - 1);
    }
    const int w = c1 - c0 + 1, h = r1 - r0 + 1;
    std::vector<double> buf(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    if (b.band->RasterIO(GF_Read, c0, r0, w, h, buf.data(), w, h, GDT_Float64, 0, 0, nullptr) != CE_None)
        return false;
    out.pixelsRead += buf.size();
    for (const Stencil& s : stencils) {
        double sum = 0, weights = 0;
        bool hole = false;
        for (int j = 0; j < s.size; ++j)
            for (int i = 0; i < s.size; ++i) {
                // A cell whose weight is rounding noise (a station on a cell
                // centre) is not used: a no-data cell beside it does not
                // take the station out.
                const double wt = s.wx[static_cast<std::size_t>(i)] * s.wy[static_cast<std::size_t>(j)];
                if (std::fabs(wt) < NegligibleWeight)
                    continue;
                const double v = buf[static_cast<std::size_t>(s.row - r0 + j) * static_cast<std::size_t>(w) +
                                     static_cast<std::size_t>(s.col - c0 + i)];
                hole = hole || b.isNoData(v);
                sum += wt * v;
                weights += wt;
            }
        if (hole)
            ++out.noData;
        else
            out.stations.push_back({xs[s.station], sum / weights * b.scale + b.offset});
    }
    return true;
}

}  // namespace

MapResult<std::vector<double>> stationPositions(double length, const SampleOptions& o)
{
    using R = MapResult<std::vector<double>>;
    std::vector<double> xs;
    if (o.spacing > 0) {
        const double n = std::floor(length / o.spacing * (1 + 1e-12)) + 1;
        if (!(n <= MaxStations))
            return R::failure("A profile holds at most " + std::to_string(MaxStations) +
                              " stations: the spacing must be wider.");
        for (int i = 0; i < static_cast<int>(n); ++i)
            xs.push_back(i * o.spacing);
        return {xs, {}};
    }
    if (o.count < 2 || o.count > MaxStations)
        return R::failure("The number of stations must be from 2 to " + std::to_string(MaxStations) + ".");
    for (int i = 0; i < o.count; ++i)
        xs.push_back(length * i / (o.count - 1));
    return {xs, {}};
}

MapResult<std::string> gridCrsText(const std::string& path)
{
    QuietGdal quiet;
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!ds)
        return MapResult<std::string>::failure("The grid \"" + path + "\" cannot be read: " +
                                               (QuietGdal::lastMessage().empty() ? "it is not a grid."
                                                                                 : QuietGdal::lastMessage() + "."));
    const OGRSpatialReference* srs = ds->GetSpatialRef();
    if (!srs)
        return {"-", {}};
    const char* authority = srs->GetAuthorityName(nullptr);
    const char* code = srs->GetAuthorityCode(nullptr);
    if (authority && code && std::string(authority) == "EPSG")
        return {std::string("EPSG:") + code, {}};
    char* wkt = nullptr;
    const char* wktOptions[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
    srs->exportToWkt(&wkt, wktOptions);
    std::string text = wkt ? wkt : "-";
    CPLFree(wkt);
    return {text, {}};
}

MapResult<GridSamples> sampleGrid(const std::string& path, const ProfileLine& line, const SampleOptions& options)
{
    using R = MapResult<GridSamples>;
    QuietGdal quiet;
    auto cannot = [&path](const std::string& why) {
        return R::failure("The grid \"" + path + "\" cannot be read: " + why);
    };
    const auto xs = stationPositions(line.length(), options);
    if (!xs)
        return R::failure(xs.error);
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!ds)
        return cannot(QuietGdal::lastMessage().empty() ? "it is not a grid." : QuietGdal::lastMessage() + ".");
    if (options.band < 1 || options.band > ds->GetRasterCount())
        return cannot("it has no band " + std::to_string(options.band) + ".");
    double gt[6], inv[6];
    if (ds->GetGeoTransform(gt) != CE_None || !GDALInvGeoTransform(gt, inv))
        return cannot("it has no place on the map.");
    const int width = ds->GetRasterXSize(), height = ds->GetRasterYSize();
    if (width < 2 || height < 2)
        return cannot("it is less than two cells wide or high.");

    // The grid's own system, or the line's when it names none.
    Crs gridCrs;
    if (const OGRSpatialReference* srs = ds->GetSpatialRef()) {
        char* wkt = nullptr;
        const char* wktOptions[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
        srs->exportToWkt(&wkt, wktOptions);
        const std::string text = wkt ? wkt : "";
        CPLFree(wkt);
        auto crs = Crs::fromText(text);
        if (!crs)
            return cannot("its coordinate system is not known.");
        gridCrs = crs.value;
    }
    const auto toGrid = CrsTransform::between(line.crs(), gridCrs);
    if (!toGrid)
        return R::failure(toGrid.error);

    Band b;
    b.band = ds->GetRasterBand(options.band);
    int has = 0;
    b.noData = b.band->GetNoDataValue(&has);
    b.hasNoData = has != 0;
    b.scale = b.band->GetScale(&has);
    b.scale = has ? b.scale : 1;
    b.offset = b.band->GetOffset(&has);
    b.offset = has ? b.offset : 0;

    GridSamples out;
    std::vector<Stencil> pending;
    long long c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    auto flush = [&] {
        if (pending.empty())
            return true;
        const bool ok = sampleWindow(b, pending, xs.value, out);
        pending.clear();
        return ok;
    };
    for (std::size_t i = 0; i < xs.value.size(); ++i) {
        MapPoint p = line.at(xs.value[i]);
        if (!toGrid.value.apply(p)) {
            ++out.outside;
            continue;
        }
        // Pixel coordinates, 0 at the grid's edge; then from the first centre.
        const double px = inv[0] + inv[1] * p.E + inv[2] * p.N;
        const double py = inv[3] + inv[4] * p.E + inv[5] * p.N;
        if (!(px >= 0 && px <= width && py >= 0 && py <= height)) {
            ++out.outside;
            continue;
        }
        Stencil s = stencilAt(px - 0.5, py - 0.5, width, height, options.interpolation);
        s.station = i;
        const long long n0 = std::min<long long>(c0, s.col), m0 = std::min<long long>(r0, s.row);
        const long long n1 = std::max<long long>(c1, s.col + s.size), m1 = std::max<long long>(r1, s.row + s.size);
        if (!pending.empty() && (n1 - n0) * (m1 - m0) > MaxWindowPixels) {
            if (!flush())
                return cannot(QuietGdal::lastMessage() + ".");
        }
        if (pending.empty()) {
            c0 = s.col, r0 = s.row, c1 = s.col + s.size, r1 = s.row + s.size;
        } else {
            c0 = n0, r0 = m0, c1 = n1, r1 = m1;
        }
        pending.push_back(s);
    }
    if (!flush())
        return cannot(QuietGdal::lastMessage() + ".");
    return {std::move(out), {}};
}

std::string leftOutText(int leftOut, int positions)
{
    if (leftOut == 0)
        return {};
    return std::to_string(leftOut) + " of " + std::to_string(positions) +
           " stations were left out over no-data or off the grid.";
}

}  // namespace corvane::map
