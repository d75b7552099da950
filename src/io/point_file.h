#pragma once
// Point data files: one point a line, its x and depth in model units and an
// optional label (the rest of the line), fields separated as text_lines.h
// describes. Blank lines are skipped, and so is a first line that does not
// start with a number (a header naming the columns).
#include "model/overlays.h"
#include "model/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The points of a file read whole. Any other line that is not two numbers (and a label) makes the whole file
// refused, with a message naming the line; so does a file without points.
Result<std::vector<DataPoint>> readPointFile(std::string_view text, const std::string& fileName);
Result<std::vector<DataPoint>> readPointFileAt(const std::string& path);

// Reads the file at path and appends it to o as a new set, shown, with the
// next colour and symbol. A failure's message is for the user (o unchanged
// then).
Status addPointSet(Overlays& o, const std::string& path);

}  // namespace corvane
