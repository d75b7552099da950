#include "app/drawing_area.h"

#include "display/paint.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace corvane {

DrawingArea::DrawingArea(Workspace& ws, QWidget* parent) : QWidget(parent), ws_(ws)
{
    setObjectName(QStringLiteral("drawingArea"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    status_ = new QLabel(QStringLiteral(" "), this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    status_->setAutoFillBackground(true);
    status_->setTextFormat(Qt::PlainText);
    status_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

DrawingArea::~DrawingArea()
{
    if (command_)
        command_->cancel();
}

void DrawingArea::renderPicture(bool inPaintEvent)
{
    const qreal ratio = devicePixelRatioF();
    picture_ = QPixmap(size() * ratio);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(palette().color(QPalette::Window));
    if (!ws_.model.ModelExists || clientRect().isEmpty())
        return;
    QPainter painter(&picture_);
    const std::optional<QString> text = PaintModel(painter, clientRect(), ws_);
    painter.end();
    // While a command runs the status panel carries its position read-out.
    // Inside a paint event the panel is only told to update later: repainting
    // another widget from here would disturb the painting under way; and a
    // text put there since the picture was last drawn afresh (a dialog's
    // note) stays until it is drawn afresh again.
    if (text && !command_) {
        if (!inPaintEvent)
            showStatus(*text);
        else if (!statusHeld_)
            status_->setText(*text);
    }
}

void DrawingArea::repaintModel()
{
    renderPicture();
    update();
}

void DrawingArea::setStatus(const QString& text)
{
    statusHeld_ = true;   // before the repaint, which may draw the picture below too
    putStatus(text);
}

void DrawingArea::showStatus(const QString& text)
{
    statusHeld_ = false;
    putStatus(text);
}

void DrawingArea::putStatus(const QString& text)
{
    status_->setText(text);
    status_->repaint();
}

QString DrawingArea::statusText() const
{
    return status_->text();
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    // Outside commands every paint draws afresh, so the picture never shows
    // an older state of the model; during a command the kept picture is used
    // and the command's temporary graphics go on top.
    if (!command_ || picture_.size() != size() * devicePixelRatioF())
        renderPicture(true);
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
    if (command_)
        command_->paintOverlay(painter);
}

void DrawingArea::resizeEvent(QResizeEvent*)
{
    status_->setGeometry(0, height() - StatusHeight, width(), StatusHeight);
    status_->raise();
    renderPicture();
}

MouseEvent DrawingArea::eventAt(QPoint pos, Qt::MouseButton button) const
{
    const Readout r = readoutAt(layout(), ws_.display, pos, -1);
    MouseEvent e;
    e.button = button;
    e.screen = pos;
    e.model = r.model;
    e.inModelPanel = r.inModelPanel;
    return e;
}

void DrawingArea::updateReadout(QPoint pos)
{
    const QString readout = readoutAt(layout(), ws_.display, pos, command_->readoutCorner()).text;
    const QString prompt = command_->prompt();
    setStatus(prompt.isEmpty() ? readout : readout + QStringLiteral("    ") + prompt);
}

void DrawingArea::startCommand(std::unique_ptr<MouseCommand> command)
{
    if (command_)
        cancelCommand();
    if (!command)
        return;
    command_ = std::move(command);
    pressedOutsideCommand_ = false;
    setMouseTracking(true);
    setFocus(Qt::OtherFocusReason);
    if (const QString prompt = command_->prompt(); !prompt.isEmpty())
        setStatus(QStringLiteral(" ") + prompt);
    emit commandStarted();
    // A command may be complete as soon as it starts (nothing to do).
    afterCommandEvent();
}

void DrawingArea::cancelCommand()
{
    if (!command_)
        return;
    command_->cancel();
    endCommand();
}

void DrawingArea::endCommand()
{
    // Dropped only here, after the command's own handler has returned.
    std::unique_ptr<MouseCommand> done = std::move(command_);
    setMouseTracking(false);
    done.reset();
    repaintModel();
    emit commandEnded();
}

void DrawingArea::afterCommandEvent()
{
    if (command_ && command_->finished())
        endCommand();
    else
        update();
}

void DrawingArea::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (command_) {
        updateReadout(pos);
        command_->press(eventAt(pos, event->button()));
        if (!command_->finished())
            updateReadout(pos);   // what the press did
        afterCommandEvent();
        return;
    }
    pressedOutsideCommand_ = event->button() == Qt::LeftButton;
}

void DrawingArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!command_)
        return;
    const QPoint pos = event->position().toPoint();
    updateReadout(pos);
    command_->move(eventAt(pos, Qt::NoButton));
    afterCommandEvent();
}

void DrawingArea::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (command_) {
        command_->release(eventAt(pos, event->button()));
        afterCommandEvent();
        return;
    }
    if (event->button() == Qt::LeftButton && pressedOutsideCommand_) {
        pressedOutsideCommand_ = false;
        emit clicked(pos);
    }
}

void DrawingArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (command_) {
        // Inside a command the second press of a double-click is a press.
        updateReadout(pos);
        command_->press(eventAt(pos, event->button()));
        if (!command_->finished())
            updateReadout(pos);   // what the press did
        afterCommandEvent();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        pressedOutsideCommand_ = false;   // its release is not another click
        emit doubleClicked(pos);
    }
}

void DrawingArea::keyPressEvent(QKeyEvent* event)
{
    if (command_ && event->key() == Qt::Key_Escape) {
        cancelCommand();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace corvane
