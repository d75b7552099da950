// Any text as a borehole file, read four times into one model: three slots
// fill, the fourth is refused, and the model stays sound throughout.
#include "fuzz_check.h"
#include "io/input_files.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Workspace ws;
    fuzz::loadSeedModel(ws);
    for (int round = 0; round < 4; ++round) {
        const std::string before = fuzz::snapshot(ws);
        if (!readBoreholeFile(ws, text, "fuzz.hol"))
            fuzz::require(fuzz::snapshot(ws) == before, "refused borehole file changed the model");
        fuzz::requireSound(ws);
    }
    fuzz::require(ws.model.NumHoles <= MaxHoles, "too many boreholes");
    return 0;
}
