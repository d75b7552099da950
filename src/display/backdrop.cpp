#include "display/backdrop.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane {

QSize keptPictureSize(QSize full)
{
    if (full.isEmpty())
        return full;
    const double w = full.width(), h = full.height();
    const double f = std::min({1.0, MaxPictureSide / w, MaxPictureSide / h,
                               std::sqrt(static_cast<double>(MaxPicturePixels) / (w * h))});
    return QSize(std::max(1, static_cast<int>(w * f)), std::max(1, static_cast<int>(h * f)));
}

namespace {

// Decoded whole, a picture may take at most this (MB) before it is reduced.
constexpr int DecodeLimitMB = 256;

// The size to ask the reader for. A JPEG decodes at a half, a quarter or an
// eighth of its size at little cost: the largest of those within the kept
// size is asked for, so that the whole picture is never decoded.
QSize decodeSize(QSize full, const QByteArray& format)
{
    const QSize kept = keptPictureSize(full);
    if (kept == full || format != "jpeg")
        return kept;
    for (int d : {2, 4, 8}) {
        const QSize part(full.width() / d, full.height() / d);
        if (!part.isEmpty() && keptPictureSize(part) == part)
            return part;
    }
    return kept;
}

// Whether the file stops before its format's end mark: a PNG's IEND chunk,
// a JPEG's end-of-image marker (padding after it allowed).
bool endsEarly(const QString& path, const QByteArray& format)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    const qint64 tail = std::min<qint64>(size, format == "png" ? 12 : 1024);
    f.seek(size - tail);
    const QByteArray end = f.read(tail);
    if (format == "png")
        return !end.startsWith(QByteArray("\0\0\0\0IEND", 8));
    if (format == "jpeg")
        return !end.contains("\xff\xd9");
    return false;
}

// Catches the warnings a JPEG decoder gives on data that ends early.
QtMessageHandler previousHandler = nullptr;
bool truncationWarned = false;

void catchTruncation(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("Premature end"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("premature end of data"), Qt::CaseInsensitive)) {
        truncationWarned = true;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

}  // namespace

std::string loadBackdropImage(Backdrop& b)
{
    const QString path = QString::fromStdString(b.path);
    QImageReader reader(path);
    reader.setAllocationLimit(DecodeLimitMB);
    const QSize full = reader.size();
    const QByteArray format = reader.format();
    if (full.isValid()) {
        const QSize ask = decodeSize(full, format);
        if (ask != full)
            reader.setScaledSize(ask);
    }
    truncationWarned = false;
    previousHandler = qInstallMessageHandler(catchTruncation);
    QImage img = reader.read();
    qInstallMessageHandler(previousHandler);
    const bool cut = truncationWarned || endsEarly(path, format);
    if (img.isNull()) {
        std::string why = reader.errorString().toStdString();
        if (full.isValid() && 4.0 * full.width() * full.height() > DecodeLimitMB * 1048576.0 && format != "jpeg")
            why = std::to_string(full.width()) + " x " + std::to_string(full.height()) +
                  " pixels, too many to read; a JPEG of it, or a smaller picture, can be read";
        else if (cut)
            why = "its data ends early";
        return "Cannot read the picture " + b.path + " (" + why + ").";
    }
    const QSize kept = keptPictureSize(img.size());
    if (kept != img.size())
        img = img.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setBackdropPicture(b, img);
    if (cut)
        b.image->note = "The picture " + b.path + " ends early: what it holds is shown.";
    return {};
}

void setBackdropPicture(Backdrop& b, const QImage& picture)
{
    auto image = std::make_shared<BackdropImage>();
    image->source = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    b.image = std::move(image);
}

QPointF sectionPointF(const ViewLayout& L, const Display& d, double x, double z)
{
    const double left = L.Left + L.SectionLeft;
    return {left + (x - d.ViewXMin) * (L.Rx - left) / xExtent(d),
            L.Mid + (z - d.ViewDepthMin) * (L.Mid - L.Top) / depthExtent(d)};
}

QRectF backdropScreenRect(const ViewLayout& L, const Display& d, const Backdrop& b)
{
    return QRectF(sectionPointF(L, d, b.xLeft, b.zTop), sectionPointF(L, d, b.xRight, b.zBottom));
}

std::optional<BackdropEdges> edgesFromTiePoints(QSizeF picture, QPointF p1, QPointF p2, QPointF m1, QPointF m2)
{
    const double values[] = {picture.width(), picture.height(), p1.x(), p1.y(), p2.x(), p2.y(),
                             m1.x(), m1.y(), m2.x(), m2.y()};
    for (double v : values)
        if (!std::isfinite(v))
            return std::nullopt;
    if (p1.x() == p2.x() || p1.y() == p2.y() || m1.x() == m2.x() || m1.y() == m2.y() || picture.isEmpty())
        return std::nullopt;
    const double sx = (m2.x() - m1.x()) / (p2.x() - p1.x());
    const double sz = (m2.y() - m1.y()) / (p2.y() - p1.y());
    BackdropEdges e;
    e.xLeft = m1.x() - sx * p1.x();
    e.xRight = e.xLeft + sx * picture.width();
    e.zTop = m1.y() - sz * p1.y();
    e.zBottom = e.zTop + sz * picture.height();
    return e;
}

QRect modelPanelPixels(const ViewLayout& L)
{
    return QRect(QPoint(L.Left + L.SectionLeft + 1, L.Mid + 1), QPoint(L.Rx, L.By));
}

QBrush bodyBrush(const QColor& fill, const Backdrop* backdrop)
{
    if (!backdrop || !backdrop->image)
        return fill;
    switch (backdrop->bodies) {
    case BodyFill::Outlines:
        return Qt::NoBrush;
    case BodyFill::Translucent: {
        QColor c = fill;
        c.setAlpha(TranslucentAlpha);
        return c;
    }
    case BodyFill::Opaque:
        break;
    }
    return fill;
}

namespace {

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// A section's rows reduced to the given count: each row the pixel of the
// rows it covers that lies farthest from zero's colour (the largest
// amplitude), column by column.
QImage fewerRows(const QImage& src, int rows, QRgb zero)
{
    QImage out(src.width(), rows, src.format());
    const auto h = static_cast<long long>(src.height());
    for (int r = 0; r < rows; ++r) {
        const int from = static_cast<int>(r * h / rows), to = std::max(from + 1, static_cast<int>((r + 1) * h / rows));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(r));
        std::copy_n(reinterpret_cast<const QRgb*>(src.constScanLine(from)), src.width(), line);
        for (int y = from + 1; y < to; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if (distance(in[x], zero) > distance(line[x], zero))
                    line[x] = in[x];
        }
    }
    return out;
}

}  // namespace

const QImage& reducedFor(BackdropImage& im, QSizeF drawn)
{
    const QSize src = im.source.size();
    const QSize want(std::clamp(static_cast<int>(std::lround(drawn.width())), 1, src.width()),
                     std::clamp(static_cast<int>(std::lround(drawn.height())), 1, src.height()));
    if (want == src)
        return im.source;
    if (im.reduced.size() != want) {
        // A section's samples keep their largest amplitude, as when it was
        // read: averaged, a thin reflector's peak and troughs cancel.
        const QImage rows = im.sectionZero && want.height() < src.height()
                                ? fewerRows(im.source, want.height(), *im.sectionZero)
                                : im.source;
        im.reduced = rows.size() == want ? rows : rows.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return im.reduced;
}

void drawBackdrop(QPainter& p, const ViewLayout& L, const Display& d, const Backdrop& b)
{
    if (!b.image || b.image->source.isNull())
        return;
    BackdropImage& im = *b.image;
    const QRectF where = backdropScreenRect(L, d, b);
    // A picture placed far outside the view (or with its edges swapped) is
    // drawn mirrored or not at all; the target is kept within what a painter
    // handles.
    const double limit = 1e7;
    if (!(std::fabs(where.left()) < limit && std::fabs(where.right()) < limit &&
          std::fabs(where.top()) < limit && std::fabs(where.bottom()) < limit))
        return;
    const QRect target = where.normalized().toAlignedRect();
    const QRect part = target & modelPanelPixels(L);
    if (part.isEmpty())
        return;
    if (im.scaled.isNull() || im.scaledWhere != where || im.scaledPart != part) {
        im.scaled = QImage(part.size(), QImage::Format_ARGB32_Premultiplied);
        im.scaled.fill(Qt::transparent);
        QPainter s(&im.scaled);
        s.setRenderHint(QPainter::SmoothPixmapTransform);
        s.translate(-part.left(), -part.top());
        // Edges typed right to left or bottom to top mirror the picture.
        const bool flipX = where.width() < 0, flipY = where.height() < 0;
        if (flipX || flipY) {
            s.translate(flipX ? where.left() + where.right() : 0, flipY ? where.top() + where.bottom() : 0);
            s.scale(flipX ? -1 : 1, flipY ? -1 : 1);
        }
        s.drawImage(where.normalized(), reducedFor(im, where.normalized().size()));
        s.end();
        im.scaledWhere = where;
        im.scaledPart = part;
    }
    p.save();
    p.setOpacity(std::clamp(b.opacity, 0, 100) / 100.0);
    p.drawImage(part.topLeft(), im.scaled);
    p.restore();
}

}  // namespace corvane
