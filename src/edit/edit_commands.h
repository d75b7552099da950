#pragma once
// The mouse commands that edit the corners and bodies of the model: change a
// corner, add a corner, delete corners, link and unlink corners, and drag a
// body to move or copy it. Each acts on the current body, changes the model
// only through the operations of corner_edit.h and body_ops.h, and draws its
// marks and rubber bands as an overlay.
#include "edit/body_ops.h"
#include "edit/mouse_command.h"
#include "edit/picking.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QColor>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

class QWidget;

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace corvane {

inline const QString ChangeCornerText = QStringLiteral(
    "Use the left button to select the corner and to mark its new location. Press the right button when done.");
inline const QString AddCornerText =
    QStringLiteral("In a clockwise sense, indicate the previous corner then the new corner.");
inline const QString MarkCornersText = QStringLiteral("Left Button -> Mark Corners        Right Button -> Exit");
inline const QString MaxCornersText =
    QStringLiteral("This body already has the maximum number of corners allowed.");
inline const QString MinCornersText = QStringLiteral("The minimum no. of corners in a body is 3.");
inline const QString LinkOneBodyText = QStringLiteral("You need at least TWO bodies to link together !");
inline const QString UnlinkOneBodyText = QStringLiteral("You need at least TWO bodies to unlink !");

inline const QColor DeleteMarkColour(100, 0, 0);
inline const QColor LinkMarkColour(200, 0, 0);

// What every editing command is given by the window.
struct CommandContext {
    Workspace& ws;
    Platform& platform;
    std::function<QRect()> client;    // the drawing area's client rectangle
    std::function<void()> changed;    // the model changed: repaint picture and curves
};

// A star through p: vertical, horizontal and both diagonal strokes reaching
// `reach` pixels each way.
void drawStar(QPainter& painter, QPoint p, int reach, const QColor& colour, int width = 1);
// The corner mark: a dot of pen width 6.
void drawCornerMark(QPainter& painter, QPoint p);

class EditCommand : public MouseCommand {
public:
    explicit EditCommand(CommandContext context);
    bool finished() const override { return finished_; }
    void cancel() override { finished_ = true; }

protected:
    Model& model() { return ctx_.ws.model; }
    int body() const { return body_; }
    QPoint screenOf(double x, double z) const;
    void notifyChanged();
    // True for a left press in the model panel while the command runs; a
    // right press there ends the command.
    bool leftPress(const MouseEvent& e);
    // The corner of the current body in the pick box around the press, or 0.
    int pick(const MouseEvent& e) const;
    // Marks corner k of the command's body, when k is not 0.
    void paintPickedCorner(QPainter& painter, int k) const;

    CommandContext ctx_;
    int body_ = 0;
    PickTolerance tol_;
    bool finished_ = false;
};

// "&Change a corner with the mouse": a left press picks a corner, the next
// left press gives its new place (snapped when snapping is on); the right
// button ends the command (and drops a picked corner unmoved).
class ChangeCornerCommand : public EditCommand {
public:
    using EditCommand::EditCommand;
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    int selectedCorner() const { return selected_; }

private:
    int selected_ = 0;
};

// "&Add a corner to a body": a left press picks the corner after which the
// new one goes, the next left press places it; one corner per command.
class AddCornerCommand : public EditCommand {
public:
    using EditCommand::EditCommand;
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    int previousCorner() const { return previous_; }

private:
    int previous_ = 0;
};

// "&Delete body corners": left presses toggle star marks on corners; the
// right button deletes the marked ones. At least 3 distinct corners stay.
class DeleteCornersCommand : public EditCommand {
public:
    using EditCommand::EditCommand;
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    const std::set<int>& marked() const { return marked_; }

private:
    std::set<int> marked_;
    std::map<int, QPoint> markAt_;
};

// "&Link body corners": a left press picks a corner of the current body, the
// next one a corner of another body; the first snaps onto the second.
class LinkCornersCommand : public EditCommand {
public:
    LinkCornersCommand(CommandContext context, std::function<void()> onLinked);
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    QString prompt() const override { return prompt_; }
    int pendingCorner() const { return pending_; }

private:
    std::function<void()> onLinked_;
    int pending_ = 0;
    QPoint pendingAt_;
    QString prompt_;
};

// "&Unlink body corners": each left press on a linked corner unlinks it.
class UnlinkCornersCommand : public EditCommand {
public:
    using EditCommand::EditCommand;
    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
};

// The drag of "Set distance/position graphically": a press grips the current
// body's outline, the outline follows the pointer (held to the model panel)
// and the left-button release moves the body, or a copy of it, by the
// distance dragged. No grid snapping.
class BodyDragCommand : public EditCommand {
public:
    enum class Mode { Move, Copy };
    // onDone runs after the body was moved or copied (with the new body's
    // number for a copy, the current body for a move) and the vertical shift
    // made (a move upwards stops where the body's top reaches the surface).
    using Done = std::function<void(int, const DepthShift&)>;
    BodyDragCommand(CommandContext context, Mode mode, Done onDone = {});
    ~BodyDragCommand() override;
    void press(const MouseEvent& e) override;
    void move(const MouseEvent& e) override;
    void release(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    void cancel() override;
    bool gripped() const { return gripped_; }
    QPolygon outline() const;

private:
    void letGo();
    Mode mode_;
    Done onDone_;
    bool gripped_ = false;
    QPoint anchor_;
    QPoint pointer_;
    QPolygon outline_;
};

// Runs a command with the pointer held to the model panel and the cross-hair
// cursor, and frees both however the command ends (it is dropped then).
class CapturedCommand : public MouseCommand {
public:
    CapturedCommand(std::unique_ptr<MouseCommand> inner, Platform& platform, QWidget& area,
                    const QRect& panel);
    ~CapturedCommand() override;
    MouseCommand& inner() { return *inner_; }

    int readoutCorner() const override { return inner_->readoutCorner(); }
    QString prompt() const override { return inner_->prompt(); }
    void press(const MouseEvent& e) override { inner_->press(e); }
    void move(const MouseEvent& e) override { inner_->move(e); }
    void release(const MouseEvent& e) override { inner_->release(e); }
    void paintOverlay(QPainter& painter) override { inner_->paintOverlay(painter); }
    bool finished() const override { return inner_->finished(); }
    void cancel() override { inner_->cancel(); }

private:
    std::unique_ptr<MouseCommand> inner_;
    Platform& platform_;
};

}  // namespace corvane
