// Label placement: where each text goes so that none covers another, and
// the drawing of texts, each noted where asked for.
#include "display/painter.h"

#include <QFontMetrics>

namespace corvane::painting {

namespace {

// Text with its top-left corner at (x, y). Axis texts are drawn see-through
// so that a wide label never blanks out an axis line; labels inside the
// section stand on a white ground so that they read over any fill.
void textAt(QPainter& p, int x, int y, const QString& s, bool opaque = false)
{
    p.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    p.drawText(x, y + p.fontMetrics().ascent(), s);
    p.setBackgroundMode(Qt::TransparentMode);
}

int leadingBlanks(const QString& s)
{
    int n = 0;
    while (n < s.size() && s[n] == QLatin1Char(' '))
        ++n;
    return n;
}

// r moved the least distance that puts it inside area; nothing when it is
// larger than area.
std::optional<QRect> fitInto(QRect r, const QRect& area)
{
    if (r.width() > area.width() || r.height() > area.height())
        return std::nullopt;
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.top() < area.top())
        r.moveTop(area.top());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    return r;
}

}  // namespace

QRect Painter::profileArea() const
{
    return QRect(QPoint(L_.Left + 1, L_.Top + 1), QPoint(L_.Rx - 1, L_.Mid - 2));
}

QRect Painter::sectionArea() const
{
    return QRect(QPoint(L_.Left + 1, L_.Mid + 2), QPoint(L_.Rx - 1, L_.Bottom - 2));
}

QRect Painter::modelPanelArea() const
{
    QRect area = sectionArea();
    area.setLeft(axisX() + 1);
    return area;
}

Painter::Label Painter::labelAt(int x, int y, const QString& s, bool trim) const
{
    const QFontMetrics fm = p_.fontMetrics();
    const int lead = trim ? leadingBlanks(s) : 0;
    const QString shown = s.mid(lead);
    return {QRect(x + fm.horizontalAdvance(s.left(lead)), y, fm.horizontalAdvance(shown), fm.height()), shown};
}

bool Painter::isFree(const QRect& r, const Labels& pending) const
{
    auto clear = [&](const QRect& other) { return !r.intersects(other); };
    auto clearOf = [&](const Labels& labels) {
        return std::all_of(labels.begin(), labels.end(), [&](const Label& l) { return clear(l.rect); });
    };
    return std::all_of(taken_.begin(), taken_.end(), clear)
        && std::all_of(holePaths_.begin(), holePaths_.end(), clear) && clearOf(holeLabels_) && clearOf(pending);
}

void Painter::pin(Labels& pending, Label l, const QRect& area, std::optional<int> row)
{
    const std::optional<QRect> r = fitInto(l.rect, area);
    if (!r || !isFree(*r, pending))
        return;
    // A label moved into the panel off its tick's row would name another
    // value; at the ends of the axis it may stand a pixel or two inside.
    if (row && (*row < r->top() - 2 || *row > r->bottom() + 2))
        return;
    l.rect = *r;
    pending.push_back(l);
}

void Painter::slide(Labels& pending, Label l, const QRect& area, std::initializer_list<QPoint> steps,
                    Crowded crowded)
{
    const std::optional<QRect> r = fitInto(l.rect, area);
    if (!r)
        return;
    for (const QPoint step : steps)
        for (int k = 0;; ++k) {
            bool inside = false;
            for (const int sign : {1, -1}) {
                const QRect c = r->translated(step * (k * sign));
                if ((k == 0 && sign < 0) || !area.contains(c))
                    continue;
                inside = true;
                if (isFree(c, pending)) {
                    l.rect = c;
                    pending.push_back(l);
                    return;
                }
            }
            if (!inside)
                break;
        }
    // No free place at all.
    l.rect = *r;
    if (crowded == Crowded::Stay) {
        pending.push_back(l);
    } else if (crowded == Crowded::Evict) {
        // The unit keeps its own place and the tick labels there give way.
        std::erase_if(pending, [&](const Label& other) { return other.rect.intersects(*r); });
        if (isFree(l.rect, pending))
            pending.push_back(l);
    }
}

void Painter::flush(Labels& pending, bool opaque)
{
    for (const Label& l : pending) {
        textAt(p_, l.rect.x(), l.rect.y(), l.text, opaque);
        taken_.push_back(l.rect);
        if (record_)
            record_->push_back({l.rect, l.text});
    }
    pending.clear();
}

QRect Painter::text(int x, int y, const QString& s, bool opaque)
{
    textAt(p_, x, y, s, opaque);
    const QFontMetrics fm = p_.fontMetrics();
    const QRect r(x, y, fm.horizontalAdvance(s), fm.height());
    if (record_)
        record_->push_back({r, s});
    return r;
}

}  // namespace corvane::painting
