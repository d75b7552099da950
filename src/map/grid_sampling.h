#pragma once
// Stations sampled from a grid along the profile line. Any raster GDAL reads
// (GeoTIFF, netCDF as GMT writes it, ESRI ASCII, Surfer, ...); a grid in
// another system than the line's is reached through PROJ, one without a
// system is taken to be in the line's. Only the windows of the grid near the
// line are read, so a grid's size does not matter, only the line's.
#include "map/map_result.h"
#include "map/profile_line.h"

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::map {

enum class Interpolation { Bilinear, Bicubic };

struct SampleOptions {
    double spacing = 0;   // model units between stations, from the first end; used when above 0
    int count = 0;        // otherwise this many stations from end to end
    Interpolation interpolation = Interpolation::Bilinear;
    int band = 1;
};

struct GridStation {
    double x = 0;       // model units along the line
    double value = 0;   // the grid's value, its scale and offset applied
};

struct GridSamples {
    std::vector<GridStation> stations;   // in profile order
    int noData = 0;    // stations left out: a value they need is no-data
    int outside = 0;   // stations left out: off the grid
    std::size_t pixelsRead = 0;   // the pixels of the windows read
};

// The positions along the line the options give; an error when they give
// none or more than a profile holds.
MapResult<std::vector<double>> stationPositions(double length, const SampleOptions& options);

// The text of a grid's own coordinate system ("EPSG:32633" where it has an
// EPSG code, else WKT on one line); "-" when it names none.
MapResult<std::string> gridCrsText(const std::string& path);

// "12 of 200 stations were left out over no-data or off the grid." ("" for none).
std::string leftOutText(int leftOut, int positions);
MapResult<GridSamples> sampleGrid(const std::string& path, const ProfileLine& line, const SampleOptions& options);

}  // namespace corvane::map
