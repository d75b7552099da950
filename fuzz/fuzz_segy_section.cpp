// Any bytes as a SEG-Y file, read into a small grid and made a backdrop: a
// refused file leaves the section empty; a read one has a grid of the size
// asked for, finite values, and a picture of the grid's size.
#include "display/backdrop.h"
#include "fuzz_check.h"
#include "io/segy_section.h"
#include "output/backdrop_file.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace corvane;

namespace {

std::string inputFile(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_segy_" + std::to_string(getpid()) + ".sgy";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fuzz::fail("cannot write the input file");
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = inputFile(data, size);
    for (bool byDistance : {false, true}) {
        SegySection s;
        const SegyReduction reduce{16, 32, byDistance};
        if (!readSegy(path, s, {}, reduce)) {
            fuzz::require(s.traces == 0 && s.values.empty(), "a refused section holds values");
            continue;
        }
        fuzz::require(s.traces >= 1 && s.traces <= 16 && s.samples >= 1 && s.samples <= 32, "grid size");
        fuzz::require(s.traces <= s.fileTraces && s.samples <= s.fileSamples, "grid larger than the file");
        fuzz::require(s.values.size() == static_cast<std::size_t>(s.traces) * s.samples, "values");
        fuzz::require(s.cdpX.size() == static_cast<std::size_t>(s.fileTraces), "positions");
        for (float v : s.values)
            fuzz::require(std::isfinite(v), "a value not finite");
        const double clip = clipAmplitude(s, 98);
        fuzz::require(std::isfinite(clip) && clip >= 0, "clip");
    }
    Backdrop b{path, 0, 1, 0, 1, 60, 98, false, {}, size % 2 == 1, size % 3 == 1 ? 1500.0 : 0.0};
    if (readBackdrop(b).ok() && b.image) {
        const QSize s = b.image->source.size();
        fuzz::require(s.width() >= 1 && s.width() <= 4096 && s.height() >= 1 && s.height() <= 4096,
                      "picture size");
        fuzz::require(std::isfinite(b.xRight) && std::isfinite(b.zTop) && std::isfinite(b.zBottom), "edges");
    }
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}
