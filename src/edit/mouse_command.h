#pragma once
// A mouse command ("Add a body", "Change a corner with the mouse", zoom, ...)
// runs while the drawing area holds it: the area converts each event to model
// units once, forwards it here, keeps the status read-out current, and paints
// the command's temporary graphics over the last full picture.
#include <QPoint>
#include <QPointF>
#include <QString>
#include <Qt>

class QPainter;

namespace corvane {

struct MouseEvent {
    Qt::MouseButton button = Qt::NoButton;   // for press and release
    QPoint screen;                           // drawing-area pixels
    QPointF model;                           // (x, z) in model units, via the inverse section transform
    bool inModelPanel = false;               // below the divider and right of the axis strip
};

class MouseCommand {
public:
    virtual ~MouseCommand() = default;

    // The corner number shown in the position read-out, or -1 for none.
    virtual int readoutCorner() const { return -1; }
    // What to do next, or what the last press did, shown beside the read-out
    // ("" for nothing).
    virtual QString prompt() const { return {}; }

    virtual void press(const MouseEvent& e) = 0;
    virtual void move(const MouseEvent& e) { (void)e; }
    virtual void release(const MouseEvent& e) { (void)e; }

    // Temporary graphics (rubber bands, marks, the body being drawn).
    virtual void paintOverlay(QPainter& painter) { (void)painter; }

    // The command has ended (right button, Esc, or its own end); the drawing
    // area then drops it, repaints in full and enables the menu bar again.
    virtual bool finished() const = 0;

    // Ended from outside (Esc, the window closing): tidy up, keep the model consistent.
    virtual void cancel() = 0;
};

}  // namespace corvane
