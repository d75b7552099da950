#pragma once
// Reading a backdrop's file: a picture (PNG, JPEG, TIFF) as it is, or a
// SEG-Y section (.sgy, .segy) as a variable-density grey picture, one column
// a trace and one row a sample, clipped at the backdrop's percentile of the
// absolute amplitudes (98 unless chosen), positive black (or red, with blue
// for negative, in red-white-blue). The backdrop's edges then stand for the
// first and last trace and the first and last sample. The pictures are
// images of the drawing library, so this sits above display/, not in io/.
#include "model/overlays.h"
#include "model/result.h"

#include <functional>
#include <string>
#include <vector>

class QImage;

namespace corvane {

struct SegySection;

// The picture of a section.
QImage seismicPicture(const SegySection& s, double clipPercent, bool redWhiteBlue = false);

// Reads b.path into b.image; a failure's message is for the user. progress
// is passed on to readSegy: when it stops the reading, the result is not a
// failure and b.image stays empty.
//
// A seismic section may place itself. With b.cdpPositions the traces stand at
// their distance from the first trace's CDP point, x and y (the scalar applied, in metres,
// divided by metresPerUnit), the first at b.xLeft: b.xRight is set, and
// unevenly spaced traces are drawn where they lie (each column of the picture
// shows the trace nearest it). With b.velocity above 0 the samples are
// two-way times in ms from the first trace's delay, at the binary header's
// interval (in microseconds), drawn at depth velocity * time / 2: b.zTop and
// b.zBottom are set. One velocity makes a sketch, not a depth conversion.
Status readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress = {},
                    double metresPerUnit = 1);

// Looks for the files o names and has not read yet: one not at its path but
// beside the model file (modelPath), under the same name, is taken from
// there (its item's path changed). Returns the paths found in neither place.
std::vector<std::string> findOverlayFiles(Overlays& o, const std::string& modelPath);

// Reads what o shows and has not read yet: the points of each set that has
// none and the backdrop's picture. An item whose file cannot be read is kept
// (so that the model, saved again, still names it) and shown once its file
// can be read; all of them are listed in the one message returned, "" when
// every file was read; a backdrop read in part adds its note. progress as
// readBackdrop's: a stopped reading leaves the backdrop without its picture,
// and the message says so.
std::string readOverlayFiles(Overlays& o, double metresPerUnit = 1,
                             const std::function<bool(int, int)>& progress = {});

}  // namespace corvane
