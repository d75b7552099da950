// Any text in the number boxes: parseNumber gives a finite number or nothing,
// and the new-model dialog's six boxes (one per line of the input) make a
// profile and a first body with only finite values in the model.
#include "app/newmodel_data.h"
#include "first_body.h"
#include "fuzz_check.h"
#include "model/text.h"

#include <cmath>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> boxes;
    std::size_t from = 0;
    while (boxes.size() < 6) {
        const std::size_t nl = all.find('\n', from);
        boxes.emplace_back(all.substr(from, nl == std::string_view::npos ? all.npos : nl - from));
        if (nl == std::string_view::npos)
            break;
        from = nl + 1;
    }
    boxes.resize(6);
    for (const auto& t : boxes)
        if (const auto v = parseNumber(t)) {
            fuzz::require(std::isfinite(*v), "parseNumber not finite");
            // Blanks around a number do not change it.
            const auto again = parseNumber(" \t" + t + " ");
            fuzz::require(again && (*again == *v || (std::isnan(*again) && std::isnan(*v))),
                          "blanks change the number");
        }

    NewModelInput in;
    in.density = QString::fromUtf8(boxes[0]);
    in.strike1 = QString::fromUtf8(boxes[1]);
    in.strike2 = QString::fromUtf8(boxes[2]);
    in.maxDepth = QString::fromUtf8(boxes[3]);
    in.spacing = QString::fromUtf8(boxes[4]);
    in.points = QString::fromUtf8(boxes[5]);
    in.km = data[0] & 1;
    in.readFieldData = false;

    const std::vector<double> x = evenProfile(in.points, in.spacing);
    fuzz::require(x.size() >= 10 && x.size() <= MaxStations, "profile length");
    for (std::size_t i = 0; i < x.size(); ++i)
        fuzz::require(std::isfinite(x[i]) && (i == 0 || x[i] > x[i - 1]), "profile positions");

    Workspace ws;
    applyNewModel(ws, in, nullptr);
    check::drawFirstBody(ws, {{0, 0}, {1, 1}, {0, 1}});
    fuzz::requireSound(ws);
    return 0;
}
