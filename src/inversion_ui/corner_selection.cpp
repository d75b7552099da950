#include "inversion_ui/corner_selection.h"

#include "display/view.h"
#include "inversion/least_squares.h"
#include "inversion_ui/texts.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace corvane {

namespace {

constexpr int MarkSize = 4;

}  // namespace

std::vector<QPolygon> horizontalMark(QPoint at)
{
    const int x = at.x(), y = at.y(), s = MarkSize;
    QPolygon shaft;
    shaft << QPoint(x - 2 * s, y) << QPoint(x + 2 * s, y);
    QPolygon left;
    left << QPoint(x - s, y - 2) << QPoint(x - 2 * s, y) << QPoint(x - s, y + 2)
         << QPoint(x - s, y - 2);
    QPolygon right;
    right << QPoint(x + s, y - 2) << QPoint(x + 2 * s, y) << QPoint(x + s, y + 2)
          << QPoint(x + s, y - 2);
    return {shaft, left, right};
}

std::vector<QPolygon> verticalMark(QPoint at)
{
    const int x = at.x(), y = at.y(), s = MarkSize;
    QPolygon shaft;
    shaft << QPoint(x, y - 2 * s) << QPoint(x, y + 2 * s);
    QPolygon top;
    top << QPoint(x - 2, y - s) << QPoint(x, y - 2 * s) << QPoint(x + 2, y - s)
        << QPoint(x - 2, y - s);
    QPolygon bottom;
    bottom << QPoint(x - 2, y + s) << QPoint(x, y + 2 * s) << QPoint(x + 2, y + s)
           << QPoint(x - 2, y + s);
    return {shaft, top, bottom};
}

CornerSelection::CornerSelection(Workspace& ws, Platform& platform, std::function<QRect()> client,
                                 std::function<void()> released)
    : ws_(ws), platform_(platform), client_(std::move(client)), released_(std::move(released))
{
    body_ = std::clamp(ws_.inversion.InversionBody, 1, std::max(ws_.model.NumBodies, 1));
    tolerance_ = cornerPickTolerance(ws_.model, ws_.display, client_());
    const Tbody& body = ws_.model.Bodies[body_];
    states_.assign(static_cast<std::size_t>(MaxCorners + 1), 0);
    for (int k = 1; k <= std::min(body.NumCorners, MaxCorners); ++k)
        states_[static_cast<std::size_t>(k)] = (body.CornerInvertX[k] ? 1 : 0) +
                                               (body.CornerInvertZ[k] ? 2 : 0);
}

int CornerSelection::state(int k) const
{
    return k >= 1 && k <= MaxCorners ? states_[static_cast<std::size_t>(k)] : 0;
}

QPoint CornerSelection::markPosition(int k) const
{
    const QRect client = client_();
    const Tbody& body = ws_.model.Bodies[body_];
    QPoint p = SectionToScreen(client, ws_.display, body.CornerX[k], body.CornerZ[k]);
    const int right = client.x() + client.width();
    p.setX(std::clamp(p.x(), ws_.display.SectionLeft, std::max(right, ws_.display.SectionLeft)));
    return p;
}

void CornerSelection::step(int k)
{
    Tbody& body = ws_.model.Bodies[body_];
    int next = (state(k) + 1) % 4;
    // The inversion takes at most MaxUnknowns unknowns: a click that would add
    // one too many is refused. From z alone the corner then goes on to none,
    // so the cycle is never stuck.
    const int total = countUnknowns(body);
    const int added = (next == 1 || next == 3) ? 1 : 0;
    if (total + added > MaxUnknowns) {
        platform_.error(texts::TooManyUnknowns);
        if (next != 3)
            return;
        next = 0;
    }
    states_[static_cast<std::size_t>(k)] = next;
    body.CornerInvertX[k] = next == 1 || next == 3;
    body.CornerInvertZ[k] = next == 2 || next == 3;
}

void CornerSelection::end()
{
    if (finished_)
        return;
    finished_ = true;
    if (released_)
        released_();
}

void CornerSelection::press(const MouseEvent& e)
{
    if (finished_ || !e.inModelPanel)
        return;
    if (e.button == Qt::RightButton) {
        end();
        platform_.information(texts::SelectionCompleted);
        return;
    }
    if (e.button != Qt::LeftButton)
        return;
    const int k = pickCorner(ws_.model.Bodies[body_], e.model.x(), e.model.y(), tolerance_);
    if (k > 0)
        step(k);
}

void CornerSelection::paintOverlay(QPainter& painter)
{
    const Tbody& body = ws_.model.Bodies[body_];
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    for (int k = 1; k <= std::min(body.NumCorners, MaxCorners) - 1; ++k) {
        const QPoint at = markPosition(k);
        if (body.CornerInvertX[k])
            for (const QPolygon& line : horizontalMark(at))
                painter.drawPolyline(line);
        if (body.CornerInvertZ[k])
            for (const QPolygon& line : verticalMark(at))
                painter.drawPolyline(line);
    }
    painter.restore();
}

}  // namespace corvane
