#include "io/segy_section.h"

#include <segyio/segy.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace corvane {

namespace {

struct Closer {
    void operator()(segy_file* f) const { segy_close(f); }
};

}  // namespace

std::string readSegy(const std::string& path, SegySection& out, const std::function<bool(int, int)>& progress)
{
    const std::string name = "The SEG-Y file " + path;
    std::unique_ptr<segy_file, Closer> fp(segy_open(path.c_str(), "rb"));
    if (!fp)
        return "Cannot read the file " + path + ".";
    char bin[SEGY_BINARY_HEADER_SIZE] = {};
    if (segy_binheader(fp.get(), bin) != SEGY_OK)
        return name + " is too short for its headers.";
    const int format = segy_format(bin);
    const int samples = segy_samples(bin);
    if (format != SEGY_IBM_FLOAT_4_BYTE && format != SEGY_IEEE_FLOAT_4_BYTE)
        return name + " holds no IBM or IEEE floats (format code " + std::to_string(format) + ").";
    if (samples <= 0)
        return name + " gives no samples per trace.";
    if (segy_set_format(fp.get(), format) != SEGY_OK)
        return name + " cannot be read.";
    const long trace0 = segy_trace0(bin);
    const int trsize = segy_trsize(format, samples);
    int traces = 0;
    if (trace0 < 0 || trsize <= 0 || segy_traces(fp.get(), &traces, trace0, trsize) != SEGY_OK || traces < 1)
        return name + " holds no whole traces.";
    int32_t interval = 0;
    segy_get_bfield(bin, SEGY_BIN_INTERVAL, &interval);

    SegySection s;
    s.traces = traces;
    s.samples = samples;
    s.interval = interval;
    s.values.resize(static_cast<std::size_t>(traces) * static_cast<std::size_t>(samples));
    s.cdpX.resize(static_cast<std::size_t>(traces));
    s.cdpY.resize(static_cast<std::size_t>(traces));
    char header[SEGY_TRACE_HEADER_SIZE];
    for (int t = 0; t < traces; ++t) {
        if (progress && t % 256 == 0 && !progress(t, traces))
            return {};
        float* trace = s.values.data() + static_cast<std::size_t>(t) * static_cast<std::size_t>(samples);
        if (segy_traceheader(fp.get(), t, header, trace0, trsize) != SEGY_OK ||
            segy_readtrace(fp.get(), t, trace, trace0, trsize) != SEGY_OK)
            return name + " cannot be read at trace " + std::to_string(t + 1) + ".";
        segy_to_native(format, samples, trace);
        int32_t x = 0, y = 0, scalar = 0;
        segy_get_field(header, SEGY_TR_CDP_X, &x);
        segy_get_field(header, SEGY_TR_CDP_Y, &y);
        segy_get_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, &scalar);
        // A negative scalar divides, a positive one multiplies, 0 means 1.
        auto scaled = [scalar](int32_t v) {
            return scalar < 0 ? double(v) / -scalar : scalar > 0 ? double(v) * scalar : double(v);
        };
        s.cdpX[static_cast<std::size_t>(t)] = scaled(x);
        s.cdpY[static_cast<std::size_t>(t)] = scaled(y);
        if (t == 0) {
            int32_t delay = 0;
            segy_get_field(header, SEGY_TR_DELAY_REC_TIME, &delay);
            s.delay = delay;
        }
    }
    for (float& v : s.values)
        if (!std::isfinite(v))
            v = 0;
    out = std::move(s);
    return {};
}

double clipAmplitude(const SegySection& s, double percent)
{
    if (s.values.empty())
        return 0;
    // A large section's percentile is that of an even sample of it: sorting
    // hundreds of millions of amplitudes would hold the window for seconds.
    // The step shares no factor with the trace length, so that the sample
    // takes every depth of the traces, not one row of the picture.
    constexpr std::size_t Sample = std::size_t{1} << 22;
    std::size_t step = percent >= 100 ? 1 : (s.values.size() + Sample - 1) / Sample;
    while (step > 1 && std::gcd(step, static_cast<std::size_t>(std::max(1, s.samples))) != 1)
        ++step;
    std::vector<float> mags;
    mags.reserve(s.values.size() / step + 1);
    for (std::size_t i = 0; i < s.values.size(); i += step)
        mags.push_back(std::fabs(s.values[i]));
    const double share = std::clamp(percent, 0.0, 100.0) / 100.0;
    const auto k = static_cast<std::size_t>(std::lround(share * static_cast<double>(mags.size() - 1)));
    std::nth_element(mags.begin(), mags.begin() + static_cast<std::ptrdiff_t>(k), mags.end());
    return mags[k];
}

std::vector<unsigned char> greyLevels(const SegySection& s, double clip)
{
    std::vector<unsigned char> out(s.values.size());
    for (std::size_t i = 0; i < s.values.size(); ++i)
        out[i] = greyLevel(s.values[i], clip);
    return out;
}

}  // namespace corvane
