#pragma once
// Station heights as items of the model file's extras block: a line
// "elevation I H" for each station I (1-based) that stands off the datum, H
// in model units, positive up. A model whose stations all stand on the datum
// has no such line.
#include "model/model.h"

#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::string_view ElevationKey = "elevation";

// The lines, each ending in a line feed, in station order.
std::string elevationLines(const Model& m);

// One item's two fields after the key. False, and m unchanged, when they do
// not name a station of m and a finite height.
bool readElevation(std::string_view station, std::string_view height, Model& m);

}  // namespace corvane
