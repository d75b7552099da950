#pragma once
// Reading a backdrop's file: a picture (PNG, JPEG, TIFF) as it is, or a
// SEG-Y section (.sgy, .segy) as a variable-density grey picture, one column
// a trace and one row a sample, clipped at the backdrop's percentile of the
// absolute amplitudes (98 unless chosen), positive black (or red, with blue
// for negative, in red-white-blue). The backdrop's edges then stand for the
// first and last trace and the first and last sample.
#include "model/overlays.h"

#include <functional>
#include <string>

class QImage;

namespace corvane {

struct SegySection;

// The picture of a section.
QImage seismicPicture(const SegySection& s, double clipPercent, bool redWhiteBlue = false);

// Reads b.path into b.image. Returns an empty string, or the message for the
// user. progress is passed on to readSegy: when it stops the reading, the
// result is empty and b.image stays empty.
std::string readBackdrop(Backdrop& b, const std::function<bool(int, int)>& progress = {});

}  // namespace corvane
