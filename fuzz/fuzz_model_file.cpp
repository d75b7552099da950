// Any bytes as a model file: either refused with the model untouched, or
// loaded into a sound model that saves back to a file that loads again.
#include "fuzz_check.h"
#include "io/model_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Workspace ws;
    const std::string before = fuzz::snapshot(ws);
    if (!loadModelBytes(ws, bytes)) {
        fuzz::require(fuzz::snapshot(ws) == before, "refused file changed the model");
        return 0;
    }
    fuzz::requireSound(ws);

    const Result<std::string> saved = modelFileBytes(ws);
    fuzz::require(saved.ok(), "a loaded model cannot be saved");
    Workspace again;
    fuzz::require(loadModelBytes(again, *saved).ok(), "a saved model does not load");
    fuzz::requireSound(again);
    const Result<std::string> resaved = modelFileBytes(again);
    fuzz::require(resaved && *resaved == *saved, "save, load, save is not stable");
    return 0;
}
