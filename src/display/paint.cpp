#include "display/paint.h"

#include <QPainter>

namespace corvane {

std::optional<QString> PaintModel(QPainter& painter, const QRect& rect, Workspace& ws,
                                  const PrintOptions&)
{
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(rect);
    (void)ws;
    return std::nullopt;
}

}  // namespace corvane
