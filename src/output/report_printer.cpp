#include "output/report_printer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace corvane {

Status printTextLines(QPrinter& printer, const std::vector<std::string>& lines)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return fail("The printer could not be opened.");
    // A fixed-pitch font keeps the report's columns aligned, as on a line printer.
    QFont font(QStringLiteral("Monospace"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font(), painter.device());
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const QRect page = painter.viewport();
    const int margin = std::max(0, printer.resolution() / 2);   // half an inch
    const int top = margin + metrics.ascent();
    const int bottom = page.height() - margin;
    int y = top;
    for (const std::string& line : lines) {
        if (y > bottom && y != top) {
            if (!printer.newPage()) {
                painter.end();
                return fail("The printer could not start a new page.");
            }
            y = top;
        }
        painter.drawText(margin, y, QString::fromStdString(line));
        y += lineHeight;
    }
    if (!painter.end())
        return fail("The print job could not be finished.");
    return {};
}

}  // namespace corvane
