#pragma once
// Zooming changes only the view limits and the Zoomed flag; the model is
// untouched.
#include "edit/mouse_command.h"
#include "model/workspace.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>

namespace corvane {

// Zooms the view onto the box with model corners (x1, z1) top-left and
// (x2, z2) bottom-right. A side smaller than 1 % of the profile (horizontally)
// or of the displayed depth range (vertically) keeps that direction's view;
// the horizontal limits move onto stations.
void zoomIn(const Model& m, Display& d, QPointF topLeft, QPointF bottomRight);

// The whole profile, and depths 0 .. 1.05 x the deepest corner.
void zoomOut(const Model& m, Display& d);

inline const QString ZoomInText =
    QStringLiteral("With the left button held down, draw a box wherein you wish to zoom :");

// "&Zoom in": a press anchors a box, the box follows the pointer (held to the
// model panel), the left-button release zooms onto it.
class ZoomCommand : public MouseCommand {
public:
    ZoomCommand(Workspace& ws, std::function<QRect()> client, std::function<void()> onZoomed = {});

    void press(const MouseEvent& e) override;
    void move(const MouseEvent& e) override;
    void release(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    bool finished() const override { return finished_; }
    void cancel() override { finished_ = true; anchored_ = false; }

    bool anchored() const { return anchored_; }
    QRect box() const;

private:
    Workspace& ws_;
    std::function<QRect()> client_;
    std::function<void()> onZoomed_;
    bool anchored_ = false;
    bool finished_ = false;
    QPoint anchor_;
    QPoint pointer_;
};

}  // namespace corvane
