#pragma once
// A 2-D seismic section from a SEG-Y file (revisions 0, 1 and 2, IBM or IEEE
// four-byte floats, big-endian as the standard writes them), read with the
// segyio library, and its variable-density picture.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

struct SegySection {
    int traces = 0;
    int samples = 0;
    double interval = 0;        // the binary header's sample interval, as written
    double delay = 0;           // the first trace's delay recording time (its first sample), as written
    std::vector<float> values;  // trace by trace: values[trace * samples + sample]
    std::vector<double> cdpX;   // each trace's CDP x and y, its coordinate scalar applied
    std::vector<double> cdpY;

    float at(int trace, int sample) const
    {
        return values[static_cast<std::size_t>(trace) * static_cast<std::size_t>(samples) +
                      static_cast<std::size_t>(sample)];
    }
};

// Reads the file at path. progress(done, total) is called every few hundred
// traces; returning false stops the reading ("" is not returned then).
// Returns an empty string, or the message for the user.
std::string readSegy(const std::string& path, SegySection& out,
                     const std::function<bool(int, int)>& progress = {});

// The amplitude below which the given share (per cent) of the absolute
// values lies: the clip of the grey scale.
double clipAmplitude(const SegySection& s, double percent);

// The section as grey levels, one column a trace, one row a sample: 0 for
// the clip and above (black), 255 for minus the clip and below, 128 for 0.
std::vector<unsigned char> greyLevels(const SegySection& s, double clip);
// One value's.
inline unsigned char greyLevel(float v, double clip)
{
    const double c = clip > 0 ? clip : 1;
    return static_cast<unsigned char>(std::lround(127.5 - 127.5 * std::clamp(v / c, -1.0, 1.0)));
}

}  // namespace corvane
