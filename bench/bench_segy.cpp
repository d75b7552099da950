// Reading a 200 MB SEG-Y section as a backdrop: the whole time, the longest
// stretch without a call of the progress function (the time the window
// cannot answer, as its progress box answers only at those calls), and the
// size of the picture kept.
#include "display/backdrop.h"
#include "output/backdrop_file.h"

#include <segyio/segy.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace corvane;

namespace {

constexpr int Traces = 2000, Samples = 25000;   // 4 bytes each: 200 MB

const std::string& bigSection()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "corvane_bench_section.sgy").string();
        segy_file* fp = segy_open(p.c_str(), "w+b");
        char text[SEGY_TEXT_HEADER_SIZE];
        std::fill(std::begin(text), std::end(text), ' ');
        segy_write_textheader(fp, 0, text);
        char bin[SEGY_BINARY_HEADER_SIZE] = {};
        segy_set_bfield(bin, SEGY_BIN_SAMPLES, Samples);
        segy_set_bfield(bin, SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE);
        segy_set_bfield(bin, SEGY_BIN_INTERVAL, 1000);
        segy_write_binheader(fp, bin);
        segy_set_format(fp, SEGY_IEEE_FLOAT_4_BYTE);
        const long trace0 = SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE;
        const int trsize = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, Samples);
        std::vector<float> trace(Samples);
        for (int t = 0; t < Traces; ++t) {
            char header[SEGY_TRACE_HEADER_SIZE] = {};
            segy_set_field(header, SEGY_TR_CDP_X, 100000 + 125 * t);
            segy_write_traceheader(fp, t, header, trace0, trsize);
            for (int s = 0; s < Samples; ++s)
                trace[static_cast<std::size_t>(s)] = static_cast<float>(std::sin(0.01 * s + 0.02 * t));
            segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, Samples, trace.data());
            segy_writetrace(fp, t, trace.data(), trace0, trsize);
        }
        segy_close(fp);
        return p;
    }();
    return path;
}

void BM_ReadSeismicBackdrop(benchmark::State& state)
{
    const bool placed = state.range(0) != 0;   // by CDP x and one velocity
    double longest = 0;
    for (auto _ : state) {
        Backdrop b{bigSection(), 0, 10, 0, 5, 60, 98, false, {}, placed, placed ? 2500.0 : 0.0};
        using Clock = std::chrono::steady_clock;
        auto last = Clock::now();
        auto gap = [&last, &longest] {
            const auto now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        };
        const Status read = readBackdrop(b, [&gap](int, int) {
            gap();
            return true;
        });
        gap();   // from the last call to the picture made
        if (!read || !b.image)
            state.SkipWithError(read ? "no picture" : read.message().c_str());
        benchmark::DoNotOptimize(b.image);
    }
    state.counters["longest_pause_ms"] = longest;
    // The section is kept reduced to a grid, whatever the file's size.
    Backdrop b{bigSection(), 0, 10, 0, 5, 60, 98, false, {}};
    if (readBackdrop(b) && b.image)
        state.counters["picture_MB"] = static_cast<double>(b.image->source.sizeInBytes()) / 1e6;
}
BENCHMARK(BM_ReadSeismicBackdrop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
