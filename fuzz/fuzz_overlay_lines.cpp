// The point sets' and the backdrop's lines of a model file's extras: each
// input line taken as an item on its own, and the whole input as the block
// of a small model. An item taken must write back to a line that reads back
// to the same line; the model must load, stay sound and save stably, and no
// message may quote a line whole.
#include "fuzz_check.h"
#include "io/model_file.h"
#include "io/overlay_items.h"

#include <cmath>

using namespace corvane;

namespace {

const std::string ModelPath = "/tmp/corvane-fuzz/models/line.mod";

void requireSoundOverlays(const Overlays& o)
{
    for (const PointSet& s : o.pointSets)
        fuzz::require(s.colour <= 0xffffff && !s.path.empty(), "a point set with a bad colour or no path");
    if (const auto& b = o.backdrop) {
        fuzz::require(std::isfinite(b->xLeft) && std::isfinite(b->xRight) && std::isfinite(b->zTop) &&
                          std::isfinite(b->zBottom) && std::isfinite(b->clipPercent) && std::isfinite(b->velocity),
                      "a backdrop number is not finite");
        fuzz::require(b->xLeft != b->xRight && b->zTop != b->zBottom, "a backdrop without width or height");
        fuzz::require(b->opacity >= 0 && b->opacity <= 100 && b->clipPercent > 0 && b->clipPercent <= 100 &&
                          b->velocity >= 0,
                      "a backdrop setting out of range");
    }
}

// The records of a small model: five stations, one body.
const std::string& records()
{
    static const std::string bytes = [] {
        Workspace ws;
        Model& m = ws.model;
        m.NumStations = 5;
        for (int i = 1; i <= 5; ++i)
            m.StationX[i] = i - 1;
        m.NumBodies = 1;
        Tbody& b = m.Bodies[1];
        const double corners[][2] = {{0.5, 0.5}, {2, 0.5}, {1.5, 2}, {0.5, 0.5}};
        b.NumCorners = 4;
        for (int k = 1; k <= 4; ++k)
            b.CornerX[k] = corners[k - 1][0], b.CornerZ[k] = corners[k - 1][1];
        b.Density = 0.2;
        b.StrikeLength1 = b.StrikeLength2 = 10;
        std::string why;
        return modelFileBytes(ws, why).value();
    }();
    return bytes;
}

void oneLine(std::string_view line)
{
    Overlays o;
    std::vector<std::string> problems;
    if (!readOverlayItem(line, ModelPath, o, problems, false))
        return;   // not a point set or backdrop
    for (const std::string& p : problems)
        fuzz::require(p.size() < 400, "a message quotes a whole line");
    if (!problems.empty()) {
        fuzz::require(o.empty(), "a refused item changed the overlays");
        return;
    }
    requireSoundOverlays(o);
    const std::vector<std::string> lines = overlayItemLines(o, ModelPath);
    fuzz::require(lines.size() == 1, "one item did not write one line");
    Overlays again;
    fuzz::require(readOverlayItem(lines[0], ModelPath, again, problems, false) && problems.empty(),
                  "a written item does not read back");
    fuzz::require(overlayItemLines(again, ModelPath) == lines, "an item does not write back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t pos = 0; pos <= text.size();) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        oneLine(line);
        pos = eol + 1;
    }

    Workspace ws;
    std::vector<std::string> notes;
    const std::string file = records() + "\r\n#CORVANE-EXTRAS 1\r\n" + std::string(text) + "\r\n#END\r\n";
    fuzz::require(loadModelBytes(ws, file, &notes, ModelPath).ok(), "the small model does not load");
    fuzz::requireSound(ws);
    requireSoundOverlays(ws.overlays);
    for (const std::string& n : notes)
        fuzz::require(n.size() < 400, "a message quotes a whole line");
    const Result<std::string> saved = modelFileBytes(ws, ModelPath);
    fuzz::require(saved.ok(), "a loaded model cannot be saved");
    Workspace again;
    fuzz::require(loadModelBytes(again, *saved, nullptr, ModelPath).ok(), "a saved model does not load");
    fuzz::requireSound(again);
    const Result<std::string> resaved = modelFileBytes(again, ModelPath);
    fuzz::require(resaved && *resaved == *saved, "save, load, save is not stable");
    return 0;
}
