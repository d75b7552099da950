#pragma once
// A survey read from a vector file (GeoPackage, shapefile, GeoJSON, ... any
// GDAL reads): the points of its first layer, a value and optionally an
// elevation from named attributes, and the layer's coordinate system.
#include "map/survey.h"

#include <string>

namespace corvane::map {

struct SurveyFile {
    std::vector<SurveyPoint> points;
    Crs crs;            // none when the layer names no system
    int skipped = 0;    // features without a point or without a value
};

// valueField names the attribute of the value; elevationField that of the
// elevation, or is empty for the point's own height where it has one.
MapResult<SurveyFile> readSurveyFile(const std::string& path, const std::string& valueField,
                                     const std::string& elevationField = {});

}  // namespace corvane::map
