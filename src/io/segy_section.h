#pragma once
// A 2-D seismic section from a SEG-Y file (revisions 0, 1 and 2, IBM or IEEE
// four-byte floats, big-endian as the standard writes them or little-endian
// as revision 2 allows), read with the segyio library, and its
// variable-density picture.
//
// However large the file, what is kept is a grid of at most maxColumns by
// maxRows values, made while the traces are read: the samples a row covers
// give it their largest amplitude (its sign kept), so that a reflector is
// not lost between two rows, and the traces a column covers are averaged.
#include "model/result.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

struct SegyReduction {
    int maxColumns = 4096;
    int maxRows = 4096;
    // The columns at even steps of the distance along the line from the
    // first trace's CDP point (x and y), each showing the trace nearest it or,
    // when the traces are denser than the columns, the average of those
    // nearest it. Otherwise the columns follow the traces' order.
    bool byDistance = false;
};

struct SegySection {
    int traces = 0;             // the columns of values
    int samples = 0;            // the rows of values
    int fileTraces = 0;         // the whole traces the file holds
    int fileSamples = 0;        // its samples a trace
    double interval = 0;        // the binary header's sample interval, as written
    double delay = 0;           // the first trace's delay recording time (its first sample), as written
    std::vector<float> values;  // column by column: values[column * samples + row]
    std::vector<double> cdpX;   // each trace's CDP x and y, its coordinate scalar applied
    std::vector<double> cdpY;
    std::string note;           // what the user should know of a file read in part

    float at(int trace, int sample) const
    {
        return values[static_cast<std::size_t>(trace) * static_cast<std::size_t>(samples) +
                      static_cast<std::size_t>(sample)];
    }
};

// The most samples a trace may have: a trace of them is read whole.
inline constexpr std::int64_t MaxSegySamples = std::int64_t{1} << 24;

// Reads the file at path. progress(done, total) is called every few hundred
// traces; returning false stops the reading (out is then untouched, and the
// result is not a failure). A failure's message is for the user.
Status readSegy(const std::string& path, SegySection& out,
                const std::function<bool(int, int)>& progress = {}, const SegyReduction& reduce = {});

// The byte order of a binary header (the 400 bytes after the text header):
// true for little-endian. Revision 2's byte-order constant decides where it
// is written, otherwise the data format code that reads as a known one.
bool segyLittleEndian(const unsigned char* binaryHeader);

// The samples a trace as the binary header gives them: the two-byte count
// read unsigned, or revision 2's extended count when that is 0.
std::int64_t segySamplesPerTrace(const unsigned char* binaryHeader, bool littleEndian);

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
