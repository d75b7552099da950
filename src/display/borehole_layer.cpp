// The boreholes in the section: the rig, the path, the ticks of the labelled
// rows, the names and labels.
#include "display/painter.h"

namespace corvane::painting {

QPolygon Painter::holePath(const THole& hole) const
{
    QPolygon path;
    for (int k = 1; k <= std::clamp(hole.NumDepths, 0, MaxHoleDepths); ++k) {
        const QPoint s = section(hole.HoleX[k], hole.HoleDepth[k]);
        path << QPoint(clampX(s.x()), std::max(s.y(), L_.Mid));
    }
    return path;
}

// A row in view has its label: not above the top, not below the bottom.
bool Painter::holeLabelShown(const THole& hole, int row) const
{
    const QPoint s = section(hole.HoleX[row], hole.HoleDepth[row]);
    return axisX() < s.x() && s.x() < L_.Rx && hole.HoleDepth[row] >= d_.ViewDepthMin && s.y() <= L_.By;
}

void Painter::layoutHoleLabels()
{
    // Each label keeps to the row of its tick where it can, else moves down
    // or up to the nearest free row; the body labels then keep clear of them
    // and of the boreholes' paths.
    for (int h = 1; h <= std::clamp(m_.NumHoles, 0, MaxHoles); ++h) {
        const THole& hole = m_.Holes[h];
        const int nd = std::clamp(hole.NumDepths, 0, MaxHoleDepths);
        for (int k = 1; k <= std::clamp(hole.NumLabels, 0, MaxHoleLabels); ++k) {
            const int row = hole.LabelRow[k];
            if (row < 1 || row > nd)
                continue;
            const QPoint s = section(hole.HoleX[row], hole.HoleDepth[row]);
            if (holeLabelShown(hole, row))
                slide(holeLabels_, labelAt(s.x() + L_.TickLength, s.y() + 1, QString::fromStdString(hole.Label[k])),
                      modelPanelArea(), {QPoint(0, 1)}, Crowded::Drop);
        }
    }
    for (int h = 1; h <= std::clamp(m_.NumHoles, 0, MaxHoles); ++h) {
        const QPolygon path = holePath(m_.Holes[h]);
        const int TL = L_.TickLength;
        for (int k = 1; k < path.size(); ++k)
            holePaths_.push_back(QRect(path[k - 1], path[k]).normalized().adjusted(-TL, 0, TL - 1, 0));
    }
}

void Painter::boreholes()
{
    const int TL = L_.TickLength, TH = L_.TickHeight;
    Labels names;
    for (int h = 1; h <= std::clamp(m_.NumHoles, 0, MaxHoles); ++h) {
        const THole& hole = m_.Holes[h];
        const int nd = std::clamp(hole.NumDepths, 0, MaxHoleDepths);
        if (nd < 1)
            continue;
        setPen(p_, Qt::black, 1);
        p_.setBrush(Qt::white);
        if (d_.ViewDepthMin == 0) {
            const QPoint s = section(hole.HoleX[1], 0);
            const int x = s.x(), y = s.y();
            const QPoint a[] = {{x - 2 * TL, y}, {x - TL, y - 4 * TH}, {x + TL, y - 4 * TH},
                                {x + 2 * TL, y}, {x - TL, y - 2 * TH}, {x + TL, y - 4 * TH}};
            p_.drawPolyline(a, 6);
            const QPoint b[] = {{x - 2 * TL, y}, {x + TL, y - 2 * TH}, {x - TL, y - 4 * TH}};
            p_.drawPolyline(b, 3);
            p_.drawLine(x + TL, y - 2 * TH, x - TL, y - 2 * TH);
            slide(names, labelAt(x + 2 * TL, y - 4 * TH, QString::fromStdString(hole.Name)), profileArea(),
                  {QPoint(1, 0)}, Crowded::Drop);
        }
        const QPolygon path = holePath(hole);
        if (path.size() > 1)
            p_.drawPolyline(path);
        for (int k = 1; k <= std::clamp(hole.NumLabels, 0, MaxHoleLabels); ++k) {
            const int row = hole.LabelRow[k];
            if (row < 1 || row > nd || !holeLabelShown(hole, row))
                continue;
            const QPoint s = section(hole.HoleX[row], hole.HoleDepth[row]);
            p_.drawLine(s.x() - TL, s.y(), s.x() + TL, s.y());
        }
    }
    // Names and labels last, on their white ground, so that no fill or curve covers them.
    flush(names, true);
    flush(holeLabels_, true);
}

}  // namespace corvane::painting
