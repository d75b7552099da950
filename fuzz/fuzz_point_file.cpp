// Any text as a point data file: refused with a message, or read into points
// with finite positions and depths. The points written again as plain
// numbers read back the same, unless their numbers read two ways.
#include "fuzz_check.h"
#include "io/point_file.h"

#include <cmath>
#include <cstdio>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Result<std::vector<DataPoint>> r = readPointFile(text, "/fuzz/points.txt");
    fuzz::require(r.message().empty() != r.value_or({}).empty(), "points and an error, or neither");
    const std::vector<DataPoint> points = r.value_or({});
    std::string again;
    for (const DataPoint& p : points) {
        fuzz::require(std::isfinite(p.x) && std::isfinite(p.z), "point not finite");
        fuzz::require(p.label.empty() || (p.label.front() != ' ' && p.label.back() != ' '), "label not trimmed");
        char line[80];
        std::snprintf(line, sizeof line, "%.17g %.17g\n", p.x, p.z);
        again += line;
    }
    if (points.empty())
        return 0;
    const Result<std::vector<DataPoint>> back = readPointFile(again, "again.txt");
    if (!back) {
        fuzz::require(back.message().find("can be read in two ways") != std::string::npos, "written points refused");
        return 0;
    }
    fuzz::require(back->size() == points.size(), "written points lost");
    for (std::size_t i = 0; i < back->size(); ++i)
        fuzz::require((*back)[i].x == points[i].x && (*back)[i].z == points[i].z,
                      "written points read back otherwise");
    return 0;
}
