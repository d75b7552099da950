#include "io/segy_section.h"

#include <segyio/segy.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numeric>
#include <utility>

namespace corvane {

namespace {

struct Closer {
    void operator()(segy_file* f) const { segy_close(f); }
    void operator()(std::FILE* f) const { std::fclose(f); }
};

unsigned u16(const unsigned char* b, int at, bool le)
{
    return le ? b[at] | b[at + 1] << 8 : b[at] << 8 | b[at + 1];
}

std::uint32_t u32(const unsigned char* b, int at, bool le)
{
    const std::uint32_t v0 = b[at], v1 = b[at + 1], v2 = b[at + 2], v3 = b[at + 3];
    return le ? v0 | v1 << 8 | v2 << 16 | v3 << 24 : v0 << 24 | v1 << 16 | v2 << 8 | v3;
}

// Offsets into the binary header.
constexpr int IntervalAt = 16, SamplesAt = 20, FormatAt = 24, ExtSamplesAt = 68, OrderAt = 96,
              ExtHeadersAt = 304;

// Which columns each trace feeds, as (trace, column) pairs sorted by trace.
// With as many columns as traces, each column takes the trace nearest its
// place. With fewer, the columns divide the line (or, for traces evenly
// spaced, their order) into equal parts and average the traces in each; a
// part no trace falls in takes the trace nearest its middle.
std::vector<std::pair<int, int>> columnFeeds(const std::vector<double>& pos, int columns, bool even)
{
    const auto n = static_cast<int>(pos.size());
    std::vector<int> order(pos.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&pos](int a, int b) { return pos[a] < pos[b]; });
    const double lo = pos[order.front()], hi = pos[order.back()];
    const bool parts = columns < n;
    auto place = [&](int c) {
        if (parts)
            return lo + (hi - lo) * (c + 0.5) / columns;
        return columns > 1 ? lo + (hi - lo) * c / (columns - 1) : lo;
    };
    std::vector<std::pair<int, int>> feeds;
    std::vector<bool> fed(static_cast<std::size_t>(columns), false);
    if (parts) {
        for (int t = 0; t < n; ++t) {
            const int c = even ? static_cast<int>(std::int64_t{t} * columns / n)
                        : hi > lo ? std::min(columns - 1, static_cast<int>((pos[t] - lo) / (hi - lo) * columns))
                                  : 0;
            feeds.emplace_back(t, c);
            fed[static_cast<std::size_t>(c)] = true;
        }
    }
    int k = 0;   // the sorted trace at or before this column's place
    for (int c = 0; c < columns; ++c) {
        const double x = place(c);
        while (k + 1 < n && pos[order[k + 1]] <= x)
            ++k;
        if (fed[static_cast<std::size_t>(c)])
            continue;
        feeds.emplace_back(order[k + 1 < n && pos[order[k + 1]] - x < x - pos[order[k]] ? k + 1 : k], c);
    }
    std::sort(feeds.begin(), feeds.end());
    return feeds;
}

double scaled(int32_t v, int32_t scalar)
{
    // A negative scalar divides, a positive one multiplies, 0 means 1.
    return scalar < 0 ? double(v) / -double(scalar) : scalar > 0 ? double(v) * scalar : double(v);
}

}  // namespace

bool segyLittleEndian(const unsigned char* b)
{
    const unsigned char* k = b + OrderAt;
    if (k[0] == 1 && k[1] == 2 && k[2] == 3 && k[3] == 4)
        return false;
    if (k[0] == 4 && k[1] == 3 && k[2] == 2 && k[3] == 1)
        return true;
    auto known = [](unsigned code) { return code >= 1 && code <= 16; };
    return !known(u16(b, FormatAt, false)) && known(u16(b, FormatAt, true));
}

std::int64_t segySamplesPerTrace(const unsigned char* b, bool le)
{
    const unsigned n = u16(b, SamplesAt, le);
    return n != 0 ? n : std::int64_t{u32(b, ExtSamplesAt, le)};
}

Status readSegy(const std::string& path, SegySection& out, const std::function<bool(int, int)>& progress,
                const SegyReduction& reduce)
{
    const std::string name = "The SEG-Y file " + path;
    unsigned char bin[SEGY_BINARY_HEADER_SIZE] = {};
    {
        std::unique_ptr<std::FILE, Closer> f(std::fopen(path.c_str(), "rb"));
        if (!f)
            return fail("Cannot read the file " + path + ".");
        if (std::fseek(f.get(), SEGY_TEXT_HEADER_SIZE, SEEK_SET) != 0 ||
            std::fread(bin, 1, sizeof bin, f.get()) != sizeof bin)
            return fail(name + " is too short for its headers.");
    }
    const bool le = segyLittleEndian(bin);
    const int format = static_cast<int>(u16(bin, FormatAt, le));
    if (format != SEGY_IBM_FLOAT_4_BYTE && format != SEGY_IEEE_FLOAT_4_BYTE)
        return fail(name + " holds no IBM or IEEE floats (format code " + std::to_string(format) + ").");
    const std::int64_t samples64 = segySamplesPerTrace(bin, le);
    if (samples64 <= 0)
        return fail(name + " gives no samples per trace.");
    if (samples64 > MaxSegySamples)
        return fail(name + " gives " + std::to_string(samples64) + " samples a trace; at most " +
                    std::to_string(MaxSegySamples) + " can be read.");
    const auto samples = static_cast<int>(samples64);
    const auto extHeaders = static_cast<std::int16_t>(u16(bin, ExtHeadersAt, le));
    if (extHeaders < 0)
        return fail(name + " gives no fixed place for its first trace.");
    const long trace0 = SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE + long{extHeaders} * SEGY_TEXT_HEADER_SIZE;
    const int trsize = segy_trsize(format, samples);
    std::error_code ec;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
    const std::int64_t stride = SEGY_TRACE_HEADER_SIZE + std::int64_t{trsize};
    if (ec || trsize <= 0 || size < trace0 + stride)
        return fail(name + " holds no whole traces.");
    const std::int64_t whole = (size - trace0) / stride;
    if (whole > INT_MAX)
        return fail(name + " holds more traces than can be read.");
    const auto traces = static_cast<int>(whole);

    std::unique_ptr<segy_file, Closer> fp(segy_open(path.c_str(), "rb"));
    if (!fp || segy_set_format(fp.get(), format | (le ? SEGY_LSB : SEGY_MSB)) != SEGY_OK)
        return fail("Cannot read the file " + path + ".");

    SegySection s;
    s.fileTraces = traces;
    s.fileSamples = samples;
    s.interval = u16(bin, IntervalAt, le);
    if ((size - trace0) % stride != 0)
        s.note = name + " ends within trace " + std::to_string(traces + 1) + ": the " + std::to_string(traces) +
                 " whole traces before it are shown.";
    s.cdpX.resize(static_cast<std::size_t>(traces));
    s.cdpY.resize(static_cast<std::size_t>(traces));
    char header[SEGY_TRACE_HEADER_SIZE];
    auto readHeader = [&](int t) {
        if (segy_traceheader(fp.get(), t, header, trace0, trsize) != SEGY_OK)
            return false;
        int32_t x = 0, y = 0, scalar = 0;
        segy_get_field(header, SEGY_TR_CDP_X, &x);
        segy_get_field(header, SEGY_TR_CDP_Y, &y);
        segy_get_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, &scalar);
        s.cdpX[static_cast<std::size_t>(t)] = scaled(x, scalar);
        s.cdpY[static_cast<std::size_t>(t)] = scaled(y, scalar);
        if (t == 0) {
            int32_t delay = 0;
            segy_get_field(header, SEGY_TR_DELAY_REC_TIME, &delay);
            s.delay = delay;
        }
        return true;
    };
    auto unreadable = [&](int t) { return name + " cannot be read at trace " + std::to_string(t + 1) + "."; };

    // Where the traces stand, for the columns.
    std::vector<double> pos(static_cast<std::size_t>(traces));
    if (reduce.byDistance) {
        for (int t = 0; t < traces; ++t) {
            if (progress && t % 256 == 0 && !progress(0, traces))
                return {};
            if (!readHeader(t))
                return fail(unreadable(t));
            const auto i = static_cast<std::size_t>(t);
            pos[i] = std::hypot(s.cdpX[i] - s.cdpX[0], s.cdpY[i] - s.cdpY[0]);
        }
        const double span = *std::max_element(pos.begin(), pos.end());
        if (!(span > 0) || !std::isfinite(span))
            return fail(name + " gives all its traces the same CDP: type the positions of its first and last trace.");
    } else {
        std::iota(pos.begin(), pos.end(), 0.0);
    }
    s.traces = std::clamp(reduce.maxColumns, 1, traces);
    s.samples = std::clamp(reduce.maxRows, 1, samples);
    const auto rows = static_cast<std::size_t>(s.samples);
    const std::vector<std::pair<int, int>> feeds = columnFeeds(pos, s.traces, !reduce.byDistance);
    s.values.assign(static_cast<std::size_t>(s.traces) * rows, 0.0f);
    std::vector<int> count(static_cast<std::size_t>(s.traces), 0);
    std::vector<float> trace(static_cast<std::size_t>(samples));
    std::vector<float> row(rows);
    auto feed = feeds.begin();
    for (int t = 0; t < traces; ++t) {
        if (progress && t % 256 == 0 && !progress(t, traces))
            return {};
        if (feed == feeds.end() || feed->first != t)
            continue;   // a trace no column takes
        if ((!reduce.byDistance && !readHeader(t)) ||
            segy_readtrace(fp.get(), t, trace.data(), trace0, trsize) != SEGY_OK)
            return fail(unreadable(t));
        segy_to_native(format, samples, trace.data());
        // Each row the sample of the largest amplitude it covers.
        std::fill(row.begin(), row.end(), 0.0f);
        for (std::size_t k = 0; k < trace.size(); ++k) {
            const float v = std::isfinite(trace[k]) ? trace[k] : 0.0f;
            float& r = row[k * rows / trace.size()];
            if (std::fabs(v) > std::fabs(r))
                r = v;
        }
        // The column's running mean: a sum of large amplitudes could overflow.
        for (; feed != feeds.end() && feed->first == t; ++feed) {
            const auto c = static_cast<std::size_t>(feed->second);
            float* column = s.values.data() + c * rows;
            const double n = ++count[c];
            for (std::size_t r = 0; r < rows; ++r)
                column[r] = static_cast<float>(column[r] + (double(row[r]) - column[r]) / n);
        }
    }
    out = std::move(s);
    return {};
}

double clipAmplitude(const SegySection& s, double percent)
{
    if (s.values.empty())
        return 0;
    // A large section's percentile is that of an even sample of it: sorting
    // millions of amplitudes would hold the window for seconds.
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
