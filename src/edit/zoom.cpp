#include "edit/zoom.h"

#include "display/view.h"
#include "edit/picking.h"
#include "model/ground.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace corvane {

void zoomIn(const Model& m, Display& d, QPointF topLeft, QPointF bottomRight)
{
    double x1 = topLeft.x(), z1 = topLeft.y();
    double x2 = bottomRight.x(), z2 = bottomRight.y();
    const int n = m.NumStations;
    const double span = m.StationX[n] - m.StationX[1];
    if (x2 - x1 < 0.01 * span) {
        x1 = d.ViewXMin;
        x2 = d.ViewXMax;
    }
    if (z2 - z1 < 0.01 * (d.ViewDepthMax - d.ViewDepthMin)) {
        z1 = d.ViewDepthMin;
        z2 = d.ViewDepthMax;
    }

    int i = 1;
    while (i < n && m.StationX[i] < x1)
        ++i;
    double xmin = m.StationX[i];
    int j = i + 1;
    while (j < n && m.StationX[j] < x2)
        ++j;
    double xmax = m.StationX[std::min(j, n)];
    if (xmax <= xmin) {
        // A box beyond the last station would leave no width to draw: take in
        // the station before it instead, or keep the view when there is none.
        int k = n;
        while (k >= 1 && m.StationX[k] >= xmax)
            --k;
        if (k >= 1) {
            xmin = m.StationX[k];
        } else {
            xmin = d.ViewXMin;
            xmax = d.ViewXMax;
        }
    }
    d.ViewXMin = xmin;
    d.ViewXMax = xmax;
    // The view never starts above the surface (above the ground line's top
    // where stations stand off the datum).
    d.ViewDepthMin = std::max(sectionTop(m, z2), z1);
    d.ViewDepthMax = z2;
    d.Zoomed = true;
}

void zoomOut(const Model& m, Display& d)
{
    d.ViewXMin = m.StationX[1];
    d.ViewXMax = m.StationX[m.NumStations];
    double deepest = 0;
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        for (int k = 1; k <= body.NumCorners - 1; ++k)
            deepest = std::max(deepest, body.CornerZ[k]);
    }
    d.ViewDepthMax = deepest * 1.05;
    d.ViewDepthMin = sectionTop(m, d.ViewDepthMax);
    d.Zoomed = false;
}

ZoomCommand::ZoomCommand(Workspace& ws, std::function<QRect()> client, std::function<void()> onZoomed)
    : ws_(ws), client_(std::move(client)), onZoomed_(std::move(onZoomed))
{
}

QRect ZoomCommand::box() const { return rubberBox(anchor_, pointer_); }

void ZoomCommand::press(const MouseEvent& e)
{
    if (finished_ || anchored_ || !e.inModelPanel)
        return;
    anchored_ = true;
    anchor_ = pointer_ = confineToPanel(client_(), ws_.display, e.screen);
}

void ZoomCommand::move(const MouseEvent& e)
{
    if (anchored_)
        pointer_ = confineToPanel(client_(), ws_.display, e.screen);
}

void ZoomCommand::release(const MouseEvent& e)
{
    if (!anchored_ || finished_ || e.button != Qt::LeftButton)
        return;
    pointer_ = confineToPanel(client_(), ws_.display, e.screen);
    const QRect client = client_();
    const QRect r = box();
    const QPointF topLeft = ScreenToSection(client, ws_.display, r.topLeft());
    const QPointF bottomRight = ScreenToSection(client, ws_.display, r.bottomRight());
    zoomIn(ws_.model, ws_.display, topLeft, bottomRight);
    anchored_ = false;
    finished_ = true;
    if (onZoomed_)
        onZoomed_();
}

void ZoomCommand::paintOverlay(QPainter& painter)
{
    if (anchored_)
        drawRubberBand(painter, box());
}

}  // namespace corvane
