#pragma once
// The point data sets and the backdrop as item lines of a model file's block
// of further items. Both are kept by reference: the file's path (relative to
// the model file's folder) and how it is shown, never the data itself.
//
//   points "PATH" SYMBOL RRGGBB shown|hidden [line] [horizon depth|elevation STEP]
//   backdrop "PATH" XLEFT XRIGHT ZTOP ZBOTTOM OPACITY CLIP grey|redwhiteblue [cdp] [velocity V]
//            [bodies outlines|opaque]
//
// SYMBOL is circle, square, triangle, diamond or cross; RRGGBB the colour in
// hexadecimal; "line" joins the points; "horizon" makes PATH a grid the
// points are sampled from along the profile line every STEP model units (a
// depth or an elevation grid; the window samples it); OPACITY a whole per cent; CLIP the percentile a seismic
// section's colours are clipped at (the last two may be left out). "cdp"
// places a seismic section's traces by the CDP x and y of their headers, and
// "velocity V" draws a time section at V m/s; the edges written are those
// the file gave when it was last read. "bodies" says how the bodies are
// drawn over the backdrop when not translucent. Paths are in double quotes, a quote
// or backslash in them escaped with a backslash and a line break written as
// \n or \r; a path is kept relative to the model file's folder when the two
// share more than the root folder, otherwise (and without a model file)
// absolute. Numbers are written so that they read back to the same double.
#include "model/overlays.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The lines for o, sets first in their order, then the backdrop. modelPath
// is the model file's path (its folder anchors the relative paths).
std::vector<std::string> overlayItemLines(const Overlays& o, const std::string& modelPath);

// Takes in one item line. False when the line is not one of these items (for
// the caller's other items); true otherwise, with the set appended to o (its
// points read from its file when readFiles, otherwise none yet) or o's
// backdrop set (its picture not yet read: output/backdrop_file.h's readBackdrop
// does that). A line that is malformed, or whose file cannot be read, leaves
// o unchanged and adds a message to problems, so that the rest of the model
// still loads.
bool readOverlayItem(std::string_view line, const std::string& modelPath, Overlays& o,
                     std::vector<std::string>& problems, bool readFiles = true);

// The grid the map dock shows: map-grid "PATH", the path kept as above.
std::string mapGridItemLine(const std::string& path, const std::string& modelPath);
// Its path, or nothing when the line is not such an item.
std::optional<std::string> readMapGridItem(std::string_view line, const std::string& modelPath);

}  // namespace corvane
