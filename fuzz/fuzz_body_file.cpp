// Any text as a body file, read into a fresh model and into one that already
// holds a body, twice in a row (the body slots fill up).
#include "fuzz_check.h"
#include "io/input_files.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    {
        // The line reader on its own: every line handed out lies within the text.
        LineReader lines(text);
        std::vector<std::string> fields;
        int count = 0;
        while (ReadValueLine(lines, fields)) {
            fuzz::require(fields.size() <= 3, "more than three fields");
            // Two commas or semicolons enclose an empty field; text that is
            // not UTF-8 may hold more bytes than characters.
            for (const auto& f : fields)
                fuzz::require(f.size() <= size, "field length");
            fuzz::require(fields.empty() || !fields.back().empty(), "empty last field");
            fuzz::require(++count <= static_cast<int>(size) + 1, "more lines than bytes");
        }
    }
    for (bool withBody : {false, true}) {
        Workspace ws;
        if (withBody)
            fuzz::loadSeedModel(ws);
        for (int round = 0; round < 2; ++round) {
            const std::string before = fuzz::snapshot(ws);
            if (!readBodyFile(ws, text, "fuzz.bod"))
                fuzz::require(fuzz::snapshot(ws) == before, "refused body file changed the model");
            fuzz::requireSound(ws);
        }
    }
    return 0;
}
