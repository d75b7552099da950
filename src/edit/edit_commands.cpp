#include "edit/edit_commands.h"

#include "display/view.h"
#include "edit/body_ops.h"
#include "model/corner_edit.h"

#include <QPainter>

namespace corvane {

void drawStar(QPainter& painter, QPoint p, int reach, const QColor& colour, int width)
{
    painter.save();
    painter.setPen(QPen(colour, width, Qt::SolidLine));
    const int r = reach;
    painter.drawLine(p.x(), p.y() - r, p.x(), p.y() + r);
    painter.drawLine(p.x() - r, p.y(), p.x() + r, p.y());
    painter.drawLine(p.x() - r, p.y() - r, p.x() + r, p.y() + r);
    painter.drawLine(p.x() - r, p.y() + r, p.x() + r, p.y() - r);
    painter.restore();
}

void drawCornerMark(QPainter& painter, QPoint p)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 6, Qt::SolidLine, Qt::SquareCap));
    painter.drawPoint(p);
    painter.restore();
}

// ---- EditCommand -----------------------------------------------------------

EditCommand::EditCommand(CommandContext context) : ctx_(std::move(context))
{
    const Model& m = ctx_.ws.model;
    body_ = m.CurrentBody;
    if (body_ < 1 || body_ > m.NumBodies)
        finished_ = true;   // nothing to act on
    else
        tol_ = cornerPickTolerance(m, ctx_.ws.display, ctx_.client());
}

QPoint EditCommand::screenOf(double x, double z) const
{
    return SectionToScreen(ctx_.client(), ctx_.ws.display, x, z);
}

void EditCommand::notifyChanged()
{
    if (ctx_.changed)
        ctx_.changed();
}

bool EditCommand::leftPress(const MouseEvent& e)
{
    if (finished_ || !e.inModelPanel)
        return false;
    if (e.button == Qt::RightButton)
        finished_ = true;
    return e.button == Qt::LeftButton;
}

int EditCommand::pick(const MouseEvent& e) const
{
    return pickCorner(ctx_.ws.model.Bodies[body_], e.model.x(), e.model.y(), tol_);
}

namespace {

// Overlay graphics stay inside the model panel.
void clipToPanel(QPainter& painter, const CommandContext& ctx)
{
    painter.setClipRect(modelPanel(ctx.client(), ctx.ws.display).adjusted(0, 0, 1, 1));
}

}  // namespace

void EditCommand::paintPickedCorner(QPainter& painter, int k) const
{
    if (k == 0)
        return;
    painter.save();
    clipToPanel(painter, ctx_);
    const Tbody& b = ctx_.ws.model.Bodies[body_];
    drawCornerMark(painter, screenOf(b.CornerX[k], b.CornerZ[k]));
    painter.restore();
}

// ---- Change a corner ---------------------------------------------------------

void ChangeCornerCommand::press(const MouseEvent& e)
{
    if (!leftPress(e))
        return;
    if (selected_ == 0) {
        selected_ = pick(e);
        return;
    }
    const QPointF p = cornerPlace(model(), ctx_.ws.display, e.model);
    moveCorner(model(), body_, selected_, p.x(), p.y());
    selected_ = 0;
    notifyChanged();
}

void ChangeCornerCommand::paintOverlay(QPainter& painter)
{
    paintPickedCorner(painter, selected_);
}

// ---- Add a corner ------------------------------------------------------------

void AddCornerCommand::press(const MouseEvent& e)
{
    if (!leftPress(e))   // a right press ends it without a change
        return;
    if (previous_ == 0) {
        previous_ = pick(e);
        return;
    }
    const QPointF p = cornerPlace(model(), ctx_.ws.display, e.model);
    insertCorner(model(), body_, previous_, p.x(), p.y());
    previous_ = 0;
    finished_ = true;
    notifyChanged();
}

void AddCornerCommand::paintOverlay(QPainter& painter)
{
    paintPickedCorner(painter, previous_);
}

// ---- Delete corners ----------------------------------------------------------

void DeleteCornersCommand::press(const MouseEvent& e)
{
    if (finished_ || !e.inModelPanel)
        return;
    if (e.button == Qt::RightButton) {
        finished_ = true;
        if (!marked_.empty()) {
            deleteCorners(model(), body_, marked_);
            notifyChanged();
        }
        return;
    }
    if (e.button != Qt::LeftButton)
        return;
    const int c = pick(e);
    if (c == 0)
        return;
    if (marked_.erase(c)) {
        markAt_.erase(c);
        return;
    }
    if (static_cast<int>(marked_.size()) + 1 > maxCornersToDelete(model(), body_)) {
        ctx_.platform.error(MinCornersText);
        return;
    }
    marked_.insert(c);
    markAt_[c] = e.screen;
}

void DeleteCornersCommand::paintOverlay(QPainter& painter)
{
    painter.save();
    clipToPanel(painter, ctx_);
    for (const auto& [c, at] : markAt_)
        drawStar(painter, at, 5, DeleteMarkColour);
    painter.restore();
}

// ---- Link corners ------------------------------------------------------------

namespace {
QString cornerName(int corner, int body)
{
    return QStringLiteral("corner %1 of body %2").arg(corner).arg(body);
}
}  // namespace

LinkCornersCommand::LinkCornersCommand(CommandContext context, std::function<void()> onLinked)
    : EditCommand(std::move(context)), onLinked_(std::move(onLinked))
{
    prompt_ = QStringLiteral("Click a corner of body %1, then the corner of another body it is to join.")
                  .arg(body_);
}

void LinkCornersCommand::press(const MouseEvent& e)
{
    if (!leftPress(e))   // a right press drops a half-made link: nothing has changed
        return;
    if (pending_ == 0) {
        pending_ = pick(e);
        pendingAt_ = e.screen;
        prompt_ = pending_ == 0
                      ? QStringLiteral("There is no corner of body %1 there: click one of its corners.").arg(body_)
                      : QStringLiteral("Now click the corner of another body that %1 is to join.")
                            .arg(cornerName(pending_, body_));
        return;
    }
    int pb = 0, s = 0;
    if (!findPartnerCorner(model(), body_, e.model.x(), e.model.y(), tol_, pb, s)) {
        // Waits on for a corner of another body.
        prompt_ = QStringLiteral("There is no corner of another body there: click the one %1 is to join.")
                      .arg(cornerName(pending_, body_));
        return;
    }
    linkCorners(model(), body_, pending_, pb, s);
    QString done = cornerName(pending_, body_) + QStringLiteral(" is linked to ") + cornerName(s, pb);
    done[0] = done[0].toUpper();
    prompt_ = done + QStringLiteral(". Click the next corner, or the right button to end.");
    pending_ = 0;
    if (onLinked_)
        onLinked_();
    notifyChanged();
}

void LinkCornersCommand::paintOverlay(QPainter& painter)
{
    painter.save();
    clipToPanel(painter, ctx_);
    const Tbody& b = ctx_.ws.model.Bodies[body_];
    for (int k = 1; k <= b.NumCorners - 1; ++k)
        if (b.Linked[k])
            drawStar(painter, screenOf(b.CornerX[k], b.CornerZ[k]), 6, LinkMarkColour);
    if (pending_ > 0)
        drawStar(painter, pendingAt_, 6, LinkMarkColour);
    painter.restore();
}

// ---- Unlink corners ----------------------------------------------------------

void UnlinkCornersCommand::press(const MouseEvent& e)
{
    if (!leftPress(e))
        return;
    const int c = pick(e);
    if (c > 0 && model().Bodies[body_].Linked[c])
        model().UnlinkCorner(body_, c);   // positions stay, so nothing to recalculate
}

void UnlinkCornersCommand::paintOverlay(QPainter& painter)
{
    painter.save();
    clipToPanel(painter, ctx_);
    const Tbody& b = ctx_.ws.model.Bodies[body_];
    for (int k = 1; k <= b.NumCorners - 1; ++k)
        if (b.Linked[k])
            drawStar(painter, screenOf(b.CornerX[k], b.CornerZ[k]), 6, LinkMarkColour);
    painter.restore();
}

// ---- Drag a body -------------------------------------------------------------

BodyDragCommand::BodyDragCommand(CommandContext context, Mode mode, Done onDone)
    : EditCommand(std::move(context)), mode_(mode), onDone_(std::move(onDone))
{
}

BodyDragCommand::~BodyDragCommand() { letGo(); }

void BodyDragCommand::letGo()
{
    if (gripped_)
        ctx_.platform.popCursor();
    gripped_ = false;
}

QPolygon BodyDragCommand::outline() const { return outline_.translated(pointer_ - anchor_); }

void BodyDragCommand::press(const MouseEvent& e)
{
    if (finished_ || gripped_ || !e.inModelPanel)
        return;
    if (e.button != Qt::LeftButton && e.button != Qt::RightButton)
        return;
    const QRect client = ctx_.client();
    anchor_ = pointer_ = confineToPanel(client, ctx_.ws.display, e.screen);
    outline_ = bodyOutline(viewLayout(client, ctx_.ws.display), ctx_.ws.display,
                           ctx_.ws.model.Bodies[body_]);
    gripped_ = true;
    ctx_.platform.pushCursor(Platform::Cursor::Drag);
}

void BodyDragCommand::move(const MouseEvent& e)
{
    if (gripped_)
        pointer_ = confineToPanel(ctx_.client(), ctx_.ws.display, e.screen);
}

void BodyDragCommand::release(const MouseEvent& e)
{
    if (!gripped_ || finished_ || e.button != Qt::LeftButton)
        return;
    const QRect client = ctx_.client();
    const Display& d = ctx_.ws.display;
    pointer_ = confineToPanel(client, d, e.screen);
    letGo();
    finished_ = true;
    // The distance dragged, taken from the pointer rather than from the
    // outline's first pixel, which is held inside the panel and would make a
    // body reaching out of the view jump.
    const QPointF from = ScreenToSection(client, d, anchor_);
    const QPointF to = ScreenToSection(client, d, pointer_);
    const double dx = to.x() - from.x(), dz = to.y() - from.y();
    int done = body_;
    DepthShift shift{dz, false};
    if (mode_ == Mode::Move)
        shift = moveCurrentBody(model(), dx, dz);
    else
        done = copyBodyTo(model(), body_, dx, dz);
    if (done > 0 && onDone_)
        onDone_(done, shift);
    notifyChanged();
}

void BodyDragCommand::paintOverlay(QPainter& painter)
{
    if (!gripped_)
        return;
    painter.save();
    clipToPanel(painter, ctx_);
    drawRubberBand(painter, outline());
    painter.restore();
}

void BodyDragCommand::cancel()
{
    letGo();
    finished_ = true;
}

// ---- Capture ----------------------------------------------------------------

CapturedCommand::CapturedCommand(std::unique_ptr<MouseCommand> inner, Platform& platform, QWidget& area,
                                 const QRect& panel)
    : inner_(std::move(inner)), platform_(platform)
{
    platform_.pushCursor(Platform::Cursor::Cross);
    platform_.confinePointer(area, panel);
}

CapturedCommand::~CapturedCommand()
{
    inner_.reset();   // the inner command lets go of its own cursor first
    platform_.releasePointer();
    platform_.popCursor();
}

}  // namespace corvane
