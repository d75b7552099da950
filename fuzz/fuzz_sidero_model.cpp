// Any bytes as a Sidero model, imported into a fresh model and into one that
// already holds a body: refused with nothing changed, or a sound model.
#include "fuzz_check.h"
#include "io/input_files.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool withBody : {false, true}) {
        Workspace ws;
        if (withBody)
            fuzz::loadSeedModel(ws);
        const std::string before = fuzz::snapshot(ws);
        if (!importSideroModel(ws, bytes, "fuzz.mod"))
            fuzz::require(fuzz::snapshot(ws) == before, "refused import changed the model");
        fuzz::requireSound(ws);
    }
    return 0;
}
