#include "display/backdrop.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane {

std::string loadBackdropImage(Backdrop& b)
{
    QImageReader reader(QString::fromStdString(b.path));
    // A picture twice the size of the largest screens in each direction is
    // plenty; a bigger one would only hold memory.
    reader.setAllocationLimit(1024);
    QImage img = reader.read();
    if (img.isNull())
        return "Cannot read the picture " + b.path + " (" + reader.errorString().toStdString() + ").";
    setBackdropPicture(b, img);
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
        s.drawImage(where.normalized(), im.source);
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
