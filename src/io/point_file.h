#pragma once
// Point data files: one point a line, its x and depth in model units and an
// optional label (the rest of the line), fields separated as text_lines.h
// describes. Blank lines are skipped, and so is a first line that does not
// start with a number (a header naming the columns).
#include "model/overlays.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct PointFileResult {
    std::vector<DataPoint> points;
    std::string error;   // empty when the file was read whole
};

// Any other line that is not two numbers (and a label) makes the whole file
// refused, with a message naming the line; so does a file without points.
PointFileResult readPointFile(std::string_view text, const std::string& fileName);
PointFileResult readPointFileAt(const std::string& path);

// Reads the file at path and appends it to o as a new set, shown, with the
// next colour and symbol. Returns an empty string, or the message for the
// user (o unchanged then).
std::string addPointSet(Overlays& o, const std::string& path);

}  // namespace corvane
