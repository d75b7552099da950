#pragma once
// The window's picture as a file: PaintModel draws exactly what the drawing
// area shows, at its size, into an SVG document or a PNG image, which is then
// written safely (a failed write leaves the old file as it was).
#include "model/result.h"
#include "model/workspace.h"

#include <QSize>

#include <string>

namespace corvane {

// dpi is the logical resolution of the window's picture, so that the text
// has the size it has on screen. A failure's message is the reason.
Status writeSvgPicture(Workspace& ws, QSize size, int dpi, const std::string& path);

// scale 1 gives the window's pixels; 2 the same picture with twice as many
// pixels each way, for print (and twice the resolution noted in the file, so
// that it prints at the same size).
Status writePngPicture(Workspace& ws, QSize size, int dpi, int scale, const std::string& path);

// The pair the PNG command saves: the picture at scale 1 at path and at scale
// 2 at printSizeName(path). Both are written or, on any failure, neither.
Status writePngPictures(Workspace& ws, QSize size, int dpi, const std::string& path);

// Where the print-size PNG goes beside path: "profile.png" -> "profile@2x.png".
std::string printSizeName(const std::string& path);

}  // namespace corvane
