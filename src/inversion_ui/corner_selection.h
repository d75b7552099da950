#pragma once
// "Select corner inversion parameters": each left click on a corner of the
// inversion body steps it through none -> x -> z -> x and z -> none; arrows
// mark what is selected; the right button ends the selection.
#include "edit/mouse_command.h"
#include "edit/picking.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

namespace corvane {

// The mark of a corner inverted horizontally (an arrow along x) or vertically
// (an arrow along z), centred on the corner's window position, as polylines.
std::vector<QPolygon> horizontalMark(QPoint at);
std::vector<QPolygon> verticalMark(QPoint at);

class CornerSelection : public MouseCommand {
public:
    // released runs once when the selection ends, before "Selection completed"
    // is shown: the caller frees the pointer there.
    CornerSelection(Workspace& ws, Platform& platform, std::function<QRect()> client,
                    std::function<void()> released = {});

    void press(const MouseEvent& e) override;
    void paintOverlay(QPainter& painter) override;
    bool finished() const override { return finished_; }
    void cancel() override { end(); }

    // The click state of corner k: 0 none, 1 x, 2 z, 3 both.
    int state(int k) const;
    // Where the marks of corner k stand: its window position with the column
    // held between SectionLeft and the right edge of the client area.
    QPoint markPosition(int k) const;

private:
    void step(int k);
    void end();

    Workspace& ws_;
    Platform& platform_;
    std::function<QRect()> client_;
    std::function<void()> released_;
    int body_ = 1;
    PickTolerance tolerance_;
    std::vector<int> states_;   // index k for corner k
    bool finished_ = false;
};

}  // namespace corvane
