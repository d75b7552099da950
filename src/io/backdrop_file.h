#pragma once
// Reading a backdrop's file: a picture (PNG, JPEG, TIFF) as it is, or a
// SEG-Y section (.sgy, .segy) as a variable-density grey picture, one column
// a trace and one row a sample, clipped at the 98th percentile of the
// absolute amplitudes, positive black. The backdrop's edges then stand for
// the first and last trace and the first and last sample.
#include "model/overlays.h"

#include <string>

class QImage;

namespace corvane {

struct SegySection;

inline constexpr double SeismicClipPercent = 98;

// The grey picture of a section.
QImage seismicPicture(const SegySection& s, double clipPercent);

// Reads b.path into b.image. Returns an empty string, or the message for the user.
std::string readBackdrop(Backdrop& b);

}  // namespace corvane
