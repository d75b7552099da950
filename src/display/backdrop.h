#pragma once
// The backdrop picture: read through Qt's image readers (PNG, JPEG, TIFF with
// the image-format plugins) and drawn beneath the bodies, scaled by the
// section transform.
#include "display/view.h"
#include "model/overlays.h"

#include <QBrush>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <string>

class QPainter;

namespace corvane {

struct BackdropImage {
    QImage source;
    // The part of the scaled picture last drawn, kept while the placement on
    // the screen stays the same, so that a repaint only blends it.
    QImage scaled;
    QRectF scaledWhere;   // where the whole picture lay, its edges as placed
    QRect scaledPart;     // the part of it kept in `scaled`
    // The picture averaged down to the size it is drawn at, when that is
    // smaller: a smooth transform alone would pick every so many pixels and
    // lose thin lines (a section's reflectors) between them.
    QImage reduced;
    std::string note;     // what the user should know of a file read in part
    // A seismic section's picture: the colour of a zero amplitude.
    std::optional<QRgb> sectionZero;
};

// The size a picture of the given size is kept at: at most MaxPictureSide
// pixels a side and MaxPicturePixels in all, larger than any screen uses
// (so that zooming in still shows detail), the shape kept.
inline constexpr int MaxPictureSide = 8192;
inline constexpr long long MaxPicturePixels = 1LL << 24;
QSize keptPictureSize(QSize full);

// Reads b.path into b.image, at keptPictureSize: a JPEG is decoded at the
// reduced size, other formats whole and then reduced (one that would take
// more than a few hundred MB whole is refused). A picture whose data ends
// early is shown as far as it goes, with a note. Returns an empty string, or
// the message for the user.
std::string loadBackdropImage(Backdrop& b);

// Makes picture b's image (a picture made from other data, such as a seismic section).
void setBackdropPicture(Backdrop& b, const QImage& picture);

// The section transform before rounding, not clamped to the panel.
QPointF sectionPointF(const ViewLayout& L, const Display& d, double x, double z);

// Where the picture's edges fall on the screen (not clamped to the panel).
QRectF backdropScreenRect(const ViewLayout& L, const Display& d, const Backdrop& b);

// A picture's edges in model units found from two points of it: p1 and p2 in
// the picture's pixels (from its top-left corner; a pixel's centre at +0.5)
// and m1 and m2 the same points as (x, depth). Nothing when the points do
// not differ both ways in the picture and in the model.
struct BackdropEdges {
    double xLeft = 0, xRight = 0, zTop = 0, zBottom = 0;
};
std::optional<BackdropEdges> edgesFromTiePoints(QSizeF picture, QPointF p1, QPointF p2, QPointF m1, QPointF m2);

// The model panel's pixels: right of the depth axis, below the divider.
QRect modelPanelPixels(const ViewLayout& L);

// The brush of a body filled with fill: as it is without a backdrop shown,
// otherwise as the backdrop's BodyFill says (translucent: TranslucentAlpha).
inline constexpr int TranslucentAlpha = 96;
QBrush bodyBrush(const QColor& fill, const Backdrop* backdrop);

// The picture as drawn at the given size (pixels, each way): the source, or
// where that is larger, the source reduced to it (kept in im.reduced):
// averaged, but a section's samples by their largest amplitude.
const QImage& reducedFor(BackdropImage& im, QSizeF drawn);

// Draws the picture (when it has been read) at its opacity, clipped to the
// model panel.
void drawBackdrop(QPainter& p, const ViewLayout& L, const Display& d, const Backdrop& b);

}  // namespace corvane
