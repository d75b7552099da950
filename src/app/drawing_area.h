#pragma once
// The main window's client area: shows the full picture drawn by PaintModel,
// hosts at most one mouse command at a time, and carries the status panel
// docked along its bottom edge. The picture is drawn in the rectangle above
// the status panel, so the panel covers none of it.
#include "display/view.h"
#include "edit/mouse_command.h"
#include "model/workspace.h"

#include <QPixmap>
#include <QWidget>

#include <memory>

class QLabel;

namespace corvane {

class DrawingArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int StatusHeight = 18;

    DrawingArea(Workspace& ws, QWidget* parent = nullptr);
    ~DrawingArea() override;

    // The drawing rectangle in its own coordinates (Left = Top = 0): the
    // widget less the status panel along its bottom.
    QRect clientRect() const { return rect().adjusted(0, 0, 0, -StatusHeight); }
    ViewLayout layout() const { return viewLayout(clientRect(), ws_.display); }

    // Draws the whole picture afresh (when a model exists) and shows it.
    void repaintModel();
    const QPixmap& picture() const { return picture_; }

    // The status panel: text set and repainted at once; it stays until the
    // picture is next drawn afresh (repaintModel, a command's end).
    void setStatus(const QString& text);
    QString statusText() const;
    QLabel* statusPanel() const { return status_; }

    // Hosts a mouse command until it finishes or is cancelled. A command
    // already running is cancelled first.
    void startCommand(std::unique_ptr<MouseCommand> command);
    MouseCommand* command() const { return command_.get(); }
    bool commandRunning() const { return command_ != nullptr; }
    // Ends the running command from outside (Esc, window closing).
    void cancelCommand();

    // The event a command would receive for a pointer position.
    MouseEvent eventAt(QPoint pos, Qt::MouseButton button) const;

signals:
    void clicked(QPoint pos);         // left click outside commands
    void doubleClicked(QPoint pos);   // double-click outside commands
    void commandStarted();
    void commandEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void renderPicture(bool inPaintEvent = false);
    void showStatus(const QString& text);   // the picture's own text
    void putStatus(const QString& text);
    void updateReadout(QPoint pos);
    void afterCommandEvent();
    void endCommand();

    Workspace& ws_;
    QPixmap picture_;
    QLabel* status_ = nullptr;
    std::unique_ptr<MouseCommand> command_;
    bool pressedOutsideCommand_ = false;
    bool statusHeld_ = false;
};

}  // namespace corvane
