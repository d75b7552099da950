#include "io/elevation.h"

#include <charconv>
#include <cmath>

namespace corvane {

std::string elevationLines(const Model& m)
{
    std::string out;
    for (int i = 1; i <= m.NumStations && i <= MaxStations; ++i) {
        if (m.StationHeight[i] == 0)
            continue;
        // The shortest form that reads back as the same number.
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, m.StationHeight[i]);
        out += ElevationKey;
        out += ' ' + std::to_string(i) + ' ';
        out.append(buf, r.ptr);
        out += '\n';
    }
    return out;
}

bool readElevation(std::string_view station, std::string_view height, Model& m)
{
    int i = 0;
    double h = 0;
    const auto ri = std::from_chars(station.data(), station.data() + station.size(), i);
    const auto rh = std::from_chars(height.data(), height.data() + height.size(), h);
    if (ri.ec != std::errc() || ri.ptr != station.data() + station.size() ||
        rh.ec != std::errc() || rh.ptr != height.data() + height.size())
        return false;
    if (i < 1 || i > m.NumStations || i > MaxStations || !std::isfinite(h))
        return false;
    m.StationHeight[i] = h;
    return true;
}

}  // namespace corvane
