#include "edit/picking.h"

#include "model/ground.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

int stationCount(const Model& m)
{
    return std::clamp(m.NumStations, 1, MaxStations);
}

double profileSpan(const Model& m)
{
    return m.StationX[stationCount(m)] - m.StationX[1];
}

}  // namespace

PickTolerance cornerPickTolerance(const Model& m, const Display& d, const QRect& client)
{
    const ViewLayout L = viewLayout(client, d);
    const int width = L.Right - L.Left;
    const int height = L.By - L.Top;   // H - Top, H the drawing height
    PickTolerance t;
    t.x = profileSpan(m) * 5.0 / (width > 0 ? width : 1);
    t.z = (d.ViewDepthMax - d.ViewDepthMin) * 10.0 / (height > 0 ? height : 1);
    return t;
}

int pickCorner(const Tbody& body, double x, double z, const PickTolerance& tol)
{
    const int n = std::clamp(body.NumCorners, 1, MaxCorners);
    int found = 0;
    for (int i = 1; i <= n - 1; ++i)
        if (std::abs(body.CornerX[i] - x) < tol.x && std::abs(body.CornerZ[i] - z) < tol.z)
            found = i;   // no break: the highest-numbered corner in the box wins
    return found;
}

bool bodyContains(const Model& m, const Display& d, const Tbody& body, double xc, double zc)
{
    double span = profileSpan(m);
    if (!(span > 0))
        span = xExtent(d);
    // The far point lies on the surface one profile length left of the first
    // station. A click left of it (a view widened past the profile) would
    // leave no crossing on the far-point side at all, so the far point is then
    // taken one profile length left of the click instead.
    double xf = m.StationX[1] - span;
    if (!(xc > xf))
        xf = xc - span;
    const double tx = 0.0001 * span;
    const double tz = 0.0001 * (d.ViewDepthMax - d.ViewDepthMin);

    const double mr = zc / (xc - xf);
    const double cr = zc - mr * xc;

    const int n = std::clamp(body.NumCorners, 1, MaxCorners);
    int crossings = 0;
    for (int i = 1; i <= n - 1; ++i) {
        const double x1 = body.CornerX[i], x2 = body.CornerX[i + 1];
        const double z1 = body.CornerZ[i], z2 = body.CornerZ[i + 1];
        const double me = (x1 == x2) ? 1.0E10 : (z2 - z1) / (x2 - x1);
        const double ce = z1 - me * x1;
        if (me == std::abs(mr))
            continue;   // parallel to the ray
        const double xi = (ce - cr) / (mr - me);
        const double zi = xi * mr + cr;
        if (xi < xc && zi < zc && xi >= std::min(x1, x2) - tx && xi <= std::max(x1, x2) + tx
            && zi >= std::min(z1, z2) - tz && zi <= std::max(z1, z2) + tz)
            ++crossings;
    }
    return crossings % 2 == 1;
}

int hitBody(const Model& m, const Display& d, const QRect& client, QPoint pixel)
{
    const QPointF c = ScreenToSection(client, d, pixel);
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    for (int b = 1; b <= nb; ++b)
        if (bodyContains(m, d, m.Bodies[b], c.x(), c.y()))
            return b;
    return 0;
}

double snapCoordinate(double v, double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return v;
    return std::trunc((v + 0.5 * step) / step) * step;
}

QPointF snapToGrid(const Display& d, QPointF p)
{
    return {snapCoordinate(p.x(), d.GridStepX), snapCoordinate(p.y(), d.GridStepZ)};
}

QPointF snapIfOn(const Display& d, QPointF p)
{
    return d.SnapToGrid ? snapToGrid(d, p) : p;
}

QPointF cornerPlace(const Model& m, const Display& d, QPointF p)
{
    p = snapIfOn(d, p);
    const Ground ground(m);
    if (!ground.flat())
        p.setY(ground.rule(p.x(), p.y()));
    return p;
}

QRect modelPanel(const QRect& client, const Display& d)
{
    const ViewLayout L = viewLayout(client, d);
    return QRect(QPoint(L.Left + L.SectionLeft, L.Mid), QPoint(L.Rx, L.By));
}

QPoint confineToPanel(const QRect& client, const Display& d, QPoint p)
{
    const QRect r = modelPanel(client, d);
    if (r.isEmpty())
        return p;
    return {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())};
}

QPoint startPointerPosition(const QRect& client, PointerStart which)
{
    const int left = client.x(), top = client.y();
    const int right = left + client.width(), bottom = top + client.height();
    const int h = bottom - 15;
    const int x = (left + right) / 2;
    const double y = which == PointerStart::AddBody ? (bottom - top) * 0.75 : (h - top) * 0.75;
    return {x, static_cast<int>(std::nearbyint(y))};
}

ClickZone doubleClickZone(const QRect& client, QPoint p)
{
    const int half = (client.height() - 15) / 2;
    if (p.y() < half && p.x() > 40)
        return ClickZone::ProfilePlot;
    if (p.y() > half && p.x() < 40)
        return ClickZone::DepthAxis;
    if (p.y() < half && p.x() < 40)
        return ClickZone::GravityAxis;
    return ClickZone::ModelPanel;
}

QPolygon bodyOutline(const ViewLayout& L, const Display& d, const Tbody& body, double dx, double dz)
{
    const int n = std::clamp(body.NumCorners, 0, MaxCorners);
    QPolygon poly;
    poly.reserve(n);
    for (int k = 1; k <= n; ++k) {
        QPoint s = SectionToScreen(L, d, body.CornerX[k] + dx, body.CornerZ[k] + dz);
        s.setX(clampColumn(L, s.x()));
        poly << s;
    }
    return poly;
}

QRect rubberBox(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

namespace {

void rubberBandPen(QPainter& p)
{
    QPen pen(Qt::black);
    pen.setWidth(1);
    pen.setStyle(Qt::SolidLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
}

}  // namespace

void drawRubberBand(QPainter& p, const QPolygon& outline)
{
    p.save();
    rubberBandPen(p);
    p.drawPolyline(outline);
    p.restore();
}

void drawRubberBand(QPainter& p, const QRect& box)
{
    p.save();
    rubberBandPen(p);
    p.drawRect(box);
    p.restore();
}

}  // namespace corvane
