#include "display/paint.h"

#include "model/text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

// Loops over ticks and labels stop here, whatever a step typed into a dialog.
constexpr long long MaxTicks = 2000;

long long truncCount(double v)
{
    if (!std::isfinite(v) || v <= 0)
        return 0;
    return std::min<long long>(static_cast<long long>(v), MaxTicks);
}

QString cut(const std::string& s, std::size_t n)
{
    return QString::fromStdString(s.substr(0, std::min(n, s.size())));
}

// Text with its top-left corner at (x, y). Axis texts are drawn see-through
// so that a wide label never blanks out an axis line; labels inside the
// section stand on a white ground so that they read over any fill.
void textAt(QPainter& p, int x, int y, const QString& s, bool opaque = false)
{
    p.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    p.drawText(x, y + p.fontMetrics().ascent(), s);
    p.setBackgroundMode(Qt::TransparentMode);
}

// A zero-length stroke of a wide pen: a round dot of that diameter centred
// on the pixel.
void dot(QPainter& p, const QColor& colour, int width, QPoint at)
{
    const QBrush brush = p.brush();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const double r = width / 2.0;
    p.drawEllipse(QPointF(at.x() + 0.5, at.y() + 0.5), r, r);
    p.setBrush(brush);
}

void setPen(QPainter& p, const QColor& colour, int width, Qt::PenStyle style = Qt::SolidLine)
{
    p.setPen(QPen(QBrush(colour), width, style, Qt::FlatCap, Qt::MiterJoin));
}

bool inPanel(const ViewLayout& L, QPoint s)
{
    return L.Left + L.SectionLeft < s.x() && s.x() <= L.Rx && L.Top < s.y() && s.y() <= L.By;
}

struct Extent {
    double xLow = 1e30, xHigh = -1e30, zLow = 1e30, zHigh = -1e30;
};

// Extremes of the distinct corners 1..n-1.
Extent bodyExtent(const Tbody& body)
{
    Extent e;
    const int n = std::clamp(body.NumCorners, 1, MaxCorners);
    for (int k = 1; k <= std::max(1, n - 1); ++k) {
        e.xLow = std::min(e.xLow, body.CornerX[k]);
        e.xHigh = std::max(e.xHigh, body.CornerX[k]);
        e.zLow = std::min(e.zLow, body.CornerZ[k]);
        e.zHigh = std::max(e.zHigh, body.CornerZ[k]);
    }
    return e;
}

class Painter {
public:
    Painter(QPainter& p, Workspace& ws, const ViewLayout& L, const PrintOptions& print)
        : p_(p), ws_(ws), m_(ws.model), d_(ws.display), L_(L), print_(print)
    {
    }

    std::optional<QString> run();

private:
    int axisX() const { return L_.Left + L_.SectionLeft; }
    QPoint section(double x, double z) const { return SectionToScreen(L_, d_, x, z); }
    QPoint profile(double x, double g) const { return ProfileToScreen(L_, d_, x, g); }
    int clampX(int sx) const { return std::clamp(sx, axisX(), std::max(axisX(), L_.Rx)); }
    int numBodies() const { return std::clamp(m_.NumBodies, 0, MaxBodies); }
    int numStations() const { return std::clamp(m_.NumStations, 0, MaxStations); }
    const char* unitText() const { return m_.UnitsKm ? "Km" : "m"; }

    void depthAxis();
    void grid();
    void bodies();
    void label(int b);
    void planView();
    std::optional<QString> curves();
    void distanceAxis();
    void gravityAxis();
    template <class Value>
    void polyline(const StationRange& r, Value value);
    void boreholes();
    void legend();

    QPainter& p_;
    Workspace& ws_;
    Model& m_;
    Display& d_;
    ViewLayout L_;
    const PrintOptions& print_;
    double densLow_ = 1e8, densHigh_ = -1e8;
};

std::optional<QString> Painter::run()
{
    const int width = L_.Right - L_.Left;
    const int height = L_.Bottom - L_.Top;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    p_.setBackground(Qt::white);
    if (!d_.Printing) {
        p_.drawRect(L_.Left, L_.Top, width - 1, height - 1);
    } else {
        // The plot's frame.
        p_.drawRect(L_.Left, L_.Top, L_.Rx - L_.Left, L_.By - L_.Top);
    }
    setPen(p_, Qt::black, 2);
    p_.drawLine(L_.Left, L_.Mid, L_.Rx, L_.Mid);
    setPen(p_, Qt::black, 1);
    QFont font = p_.font();
    font.setPointSize(std::clamp(d_.FontHeight, 1, 200));
    p_.setFont(font);

    if (!d_.ModelLoaded && !d_.ModelBegun)
        return std::nullopt;

    if (d_.ColourScheme > 2)
        for (int b = 1; b <= numBodies(); ++b) {
            densLow_ = std::min(densLow_, m_.Bodies[b].Density);
            densHigh_ = std::max(densHigh_, m_.Bodies[b].Density);
        }

    if (!d_.PlanView) {
        depthAxis();
        if (d_.DrawGrid && !d_.Printing)
            grid();
        bodies();
    } else {
        planView();
    }
    std::optional<QString> status = curves();
    if (m_.NumHoles >= 1 && !d_.PlanView)
        boreholes();
    if (d_.Printing) {
        legend();
        return std::nullopt;
    }
    return status;
}

void Painter::depthAxis()
{
    setPen(p_, Qt::black, 1);
    p_.drawLine(axisX(), L_.By, axisX(), L_.Mid);
    textAt(p_, L_.Left + 4, L_.By - roundPixel(0.4 * (L_.By - L_.Mid)), QString::fromLatin1(unitText()));
    const double extent = depthExtent(d_);
    if (!(d_.DepthTickStep > 0))
        return;
    const long long count = truncCount((d_.ViewDepthMax - d_.ViewDepthMin) / d_.DepthTickStep);
    for (long long k = 1; k <= count; ++k) {
        const double v = d_.ViewDepthMin + static_cast<double>(k) * d_.DepthTickStep;
        const int row = L_.Mid + roundPixel((v - d_.ViewDepthMin) * (L_.By - L_.Mid) / extent);
        p_.drawLine(axisX() - L_.TickLength, row, axisX(), row);
        textAt(p_, L_.Left + L_.TickLength, row + 1, cut(fixed(v, 5, 1), 6));
    }
}

void Painter::grid()
{
    const double gx = d_.GridStepX, gz = d_.GridStepZ;
    const int n = numStations();
    if (!(gx > 0) || !(gz > 0) || n < 1)
        return;
    const double x0 = (std::trunc(m_.StationX[1] / gx) + 1) * gx;
    const double xEnd = std::trunc(m_.StationX[n] / gx) * gx;
    const double z0 = (std::trunc(d_.ViewDepthMin / gz) + 1) * gz;
    const double zEnd = std::trunc(d_.ViewDepthMax / gz) * gz;
    const double nx = std::nearbyint((xEnd - x0) / gx) + 1;
    const double nz = std::nearbyint((zEnd - z0) / gz) + 1;
    if (!(nx >= 1) || !(nz >= 1))
        return;
    // Only the dots that can fall inside the view are visited; the dot index
    // still counts from the first grid line so the bold dots stay in place.
    const double iFrom = std::max(1.0, std::floor((d_.ViewXMin - x0) / gx));
    const double iTo = std::min(nx, std::ceil((d_.ViewXMax - x0) / gx) + 2);
    const double jFrom = std::max(1.0, std::floor((d_.ViewDepthMin - z0) / gz));
    const double jTo = std::min(nz, std::ceil((d_.ViewDepthMax - z0) / gz) + 2);
    // A grid finer than the pixels would only paint the panel solid.
    const int panelW = L_.Rx - axisX(), panelH = L_.By - L_.Mid;
    if (iTo - iFrom > 2.0 * panelW || jTo - jFrom > 2.0 * panelH)
        return;
    const int freq = std::max(1, d_.GridDotFrequency);
    for (double i = iFrom; i <= iTo; ++i)
        for (double j = jFrom; j <= jTo; ++j) {
            const QPoint s = section(x0 + (i - 1) * gx, z0 + (j - 1) * gz);
            if (!inPanel(L_, s))
                continue;
            const bool bold = static_cast<long long>(i) % freq == 0 && static_cast<long long>(j) % freq == 0;
            dot(p_, Qt::black, bold ? 3 : 2, s);
        }
}

void Painter::bodies()
{
    for (int b = 1; b <= numBodies(); ++b) {
        const Tbody& body = m_.Bodies[b];
        const int n = std::clamp(body.NumCorners, 0, MaxCorners);
        const bool current = b == m_.CurrentBody;
        QPolygon poly;
        std::vector<QPoint> points;
        for (int k = 1; k <= n; ++k) {
            const QPoint s = section(body.CornerX[k], body.CornerZ[k]);
            points.push_back(s);
            poly << QPoint(clampX(s.x()), s.y());
        }
        if (body.Hidden) {
            p_.setBrush(Qt::white);
            setPen(p_, Qt::black, current ? 2 : 1, Qt::DotLine);
        } else {
            p_.setBrush(bodyColour(d_.ColourScheme, body.Density, densLow_, densHigh_));
            setPen(p_, Qt::black, (current || d_.Printing) ? 2 : 1);
        }
        if (!poly.isEmpty())
            p_.drawPolygon(poly, Qt::OddEvenFill);
        if (d_.HighlightCorners) {
            const int w = (current && !d_.Printing) ? 5 : 3;
            for (const QPoint& s : points)
                if (inPanel(L_, s))
                    dot(p_, Qt::black, w, s);
        }
        setPen(p_, Qt::black, 1);
        label(b);
    }
}

void Painter::label(int b)
{
    const Tbody& body = m_.Bodies[b];
    const int n = std::clamp(body.NumCorners, 0, MaxCorners);
    const int ns = numStations();
    if (n < 2 || ns < 1 || (!d_.ShowDensities && !d_.ShowBodyNumbers))
        return;
    double sx = 0, sz = 0;
    for (int k = 1; k <= n - 1; ++k) {
        sx += body.CornerX[k];
        sz += body.CornerZ[k];
    }
    double lx = 0.95 * (sx / (n - 1));
    const double lz = sz / (n - 1);
    const double first = m_.StationX[1], last = m_.StationX[ns];
    if (lx >= last)
        lx = last;
    if (lx < first)
        lx = first + 0.02 * (last - first);
    const QPoint s = section(lx, lz);
    p_.setBrush(Qt::white);
    if (!inPanel(L_, s))
        return;
    setPen(p_, Qt::black, 1);
    if (d_.ShowDensities)
        textAt(p_, s.x(), s.y(), cut(fixed(body.Density, 6, 5), 6), true);
    if (d_.ShowBodyNumbers)
        textAt(p_, s.x(), s.y(), QString::fromStdString(integer(b, 2)), true);
}

void Painter::planView()
{
    const int D = L_.Mid;
    const int C = (D + L_.By) / 2;
    const int nb = numBodies();
    setPen(p_, Qt::black, 1);
    p_.drawLine(L_.Left + L_.SectionLeft, C, L_.Rx, C);

    double S = 0;
    std::vector<int> order;
    std::vector<double> deepest(static_cast<std::size_t>(nb) + 1, 0);
    for (int b = 1; b <= nb; ++b) {
        S = std::max({S, m_.Bodies[b].StrikeLength1, m_.Bodies[b].StrikeLength2});
        deepest[static_cast<std::size_t>(b)] = bodyExtent(m_.Bodies[b]).zHigh;
        // Stable insertion: after every body of equal or smaller depth.
        auto at = std::upper_bound(order.begin(), order.end(), deepest[static_cast<std::size_t>(b)],
                                   [&](double z, int o) { return z < deepest[static_cast<std::size_t>(o)]; });
        order.insert(at, b);
    }
    if (!(S > 0))
        S = 1;   // no strike length at all: keep the scale finite
    const double half = (L_.By - D - 3) / (2 * S);
    for (int r = nb; r >= 1; --r) {
        const int b = order[static_cast<std::size_t>(r - 1)];
        const Tbody& body = m_.Bodies[b];
        if (body.Hidden)
            continue;
        const Extent e = bodyExtent(body);
        const int sx1 = clampX(section(e.xLow, 0).x());
        const int sx2 = clampX(section(e.xHigh, 0).x());
        const int sxMid = section((e.xLow + e.xHigh) * 0.5, 0).x();
        const int yA = C + roundPixel(body.StrikeLength1 * half);
        const int yB = C - roundPixel(body.StrikeLength2 * half);
        const double f = static_cast<double>(r) / nb;
        QColor fill = Qt::black;
        if (f <= 0.25)
            fill = Qt::white;
        else if (f <= 0.5)
            fill = QColor(200, 200, 200);
        else if (f <= 0.75)
            fill = QColor(100, 100, 100);
        p_.setBrush(fill);
        setPen(p_, Qt::black, 1);
        p_.drawRect(QRect(QPoint(std::min(sx1, sx2), std::min(yA, yB)),
                          QPoint(std::max(sx1, sx2), std::max(yA, yB))));
        p_.drawLine(sx1, C, sx2, C);
        if (!d_.Printing && (d_.ShowBodyNumbers || d_.ShowDensities)) {
            p_.setBrush(Qt::white);
            if (d_.ShowBodyNumbers)
                textAt(p_, sxMid, C - L_.TickHeight, QString::fromStdString(integer(b, 2)), true);
            if (d_.ShowDensities)
                textAt(p_, sxMid, C - L_.TickHeight, cut(fixed(body.Density, 6, 5), 6), true);
        }
    }
    // The strike axis, with arrow heads at both ends.
    const int ax = axisX(), TL = L_.TickLength, TH = L_.TickHeight;
    setPen(p_, Qt::black, 1);
    p_.drawLine(ax, L_.By, ax, L_.Mid);
    p_.drawLine(ax, L_.Mid, ax - TL, L_.Mid + TH);
    p_.drawLine(ax, L_.Mid, ax + TL, L_.Mid + TH);
    p_.drawLine(ax, L_.By, ax - TL, L_.By - TH);
    p_.drawLine(ax, L_.By, ax + TL, L_.By - TH);
    textAt(p_, L_.Left + TL, L_.Mid + roundPixel(0.4 * (L_.By - L_.Mid)), QString::fromLatin1(unitText()));
    const QString s = cut(fixed(S, 5, 1), 6);
    textAt(p_, L_.Left + TL, L_.Mid + TH, s);
    textAt(p_, L_.Left + TL, L_.By - 3 * TH, s);
}

template <class Value>
void Painter::polyline(const StationRange& r, Value value)
{
    QPolygon line;
    for (int i = r.i1; i <= r.i2; ++i) {
        const QPoint s = profile(m_.StationX[i], value(i));
        line << QPoint(clampX(s.x()), s.y());
    }
    if (line.size() == 1)
        p_.drawPoint(line.front());
    else
        p_.drawPolyline(line);
}

std::optional<QString> Painter::curves()
{
    const StationRange r = computeGravityRange(m_, d_);
    distanceAxis();
    p_.setBrush(Qt::NoBrush);
    auto observed = [&] {
        if (!m_.HaveObserved)
            return;
        if (d_.PlotPoints) {
            setPen(p_, d_.ObsCurveColour, 1);
            for (int i = r.i1; i <= r.i2; ++i) {
                const QPoint s = profile(m_.StationX[i], m_.ObservedGravity[i]);
                DrawStar(p_, clampX(s.x()), s.y(), 1, 3, 3);
            }
        } else {
            setPen(p_, d_.ObsCurveColour, 1, d_.Printing ? Qt::DashLine : Qt::DotLine);
            polyline(r, [&](int i) { return m_.ObservedGravity[i]; });
        }
    };
    if (d_.ShowDifference) {
        setPen(p_, Qt::black, 1);
        polyline(r, [&](int i) { return m_.CalculatedGravity[i] - m_.ObservedGravity[i]; });
    } else if (d_.ShowIndividual) {
        observed();
        setPen(p_, d_.CalcCurveColour, 1);
        for (int b = 1; b <= numBodies(); ++b)
            if (!m_.Bodies[b].Hidden)
                polyline(r, [&](int i) { return m_.Bodies[b].Gravity[i]; });
    } else {
        setPen(p_, d_.CalcCurveColour, 1);
        polyline(r, [&](int i) { return m_.CalculatedGravity[i]; });
        observed();
    }
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    std::optional<QString> status;
    if (!d_.Printing)
        status = misfitText(m_, ws_.inversion.IterationCount);
    gravityAxis();
    return status;
}

void Painter::distanceAxis()
{
    const int TL = L_.TickLength, TH = L_.TickHeight;
    int y0 = L_.Mid;
    if (d_.GravityMin < 0 && 0 <= d_.GravityMax)
        y0 = L_.Top + roundPixel(d_.GravityMax * (L_.Mid - L_.Top) / gravityExtent(d_));
    setPen(p_, Qt::black, 1);
    p_.drawLine(axisX(), y0, L_.Rx, y0);
    p_.drawLine(L_.Rx, y0, L_.Rx - TL, y0 - TH);
    p_.drawLine(L_.Rx, y0, L_.Rx - TL, y0 + TH);
    textAt(p_, (L_.Rx + L_.SectionLeft) / 2, y0 + 4 * TH, QStringLiteral("Distance"));

    const TickStep t = distanceTickStep(std::abs(d_.ViewXMax - d_.ViewXMin));
    for (int k = 1; k <= t.count; ++k) {
        const double x = d_.ViewXMin + k * t.step;
        const int sx = profile(x, 0).x();
        p_.drawLine(sx, y0 - TH, sx, y0 + TH);
        const double a = std::abs(x);
        const int width = static_cast<int>(std::trunc(a >= 1 ? std::log10(a) : 0)) + 3;
        textAt(p_, sx - TL * width, y0 + roundPixel(1.5 * TH), cut(fixed(x, width, 1), 9));
    }
    if (t.count < 1)
        return;
    const double minor = t.step * (t.count > 6 ? 0.5 : 0.25);
    const long long nMinor = truncCount(std::abs(d_.ViewXMax - d_.ViewXMin) / minor);
    const int h = TH / 2;
    for (long long j = 1; j <= nMinor; ++j) {
        const int sx = profile(d_.ViewXMin + static_cast<double>(j) * minor, 0).x();
        p_.drawLine(sx, y0 - h, sx, y0 + h);
    }
}

void Painter::gravityAxis()
{
    const int ax = axisX(), TL = L_.TickLength, TH = L_.TickHeight;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    p_.drawLine(ax, L_.Mid, ax, L_.Top);
    p_.drawLine(ax, L_.Top, ax - TL, L_.Top + TH);
    p_.drawLine(ax, L_.Top, ax + TL, L_.Top + TH);
    textAt(p_, L_.Left + TL, L_.Top + roundPixel(0.75 * (L_.Mid - L_.Top)), QStringLiteral("mG"));
    const double step = d_.GravityTickStep;
    if (!(step > 0) || !std::isfinite(step))
        return;
    auto tick = [&](double value) {
        const int row = profile(d_.ViewXMin, value).y();
        p_.drawLine(ax - TL, row, ax, row);
        textAt(p_, L_.Left + 1, row, cut(fixed(value, 7, std::clamp(d_.GravityDecimals, 0, 30)), 8));
    };
    if (d_.GravityMin < 0) {
        const long long n = std::min<long long>(roundHalfEven(std::min(-d_.GravityMin / step, 1e9)), MaxTicks);
        for (long long k = 1; k <= n; ++k)
            tick(-static_cast<double>(k) * step);
    }
    if (d_.GravityMax > 0) {
        const long long n = std::min<long long>(roundHalfEven(std::min(d_.GravityMax / step, 1e9)), MaxTicks);
        for (long long k = 1; k <= n; ++k)
            tick(static_cast<double>(k) * step);
    }
}

void Painter::boreholes()
{
    const int TL = L_.TickLength, TH = L_.TickHeight;
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
            textAt(p_, x + 2 * TL, y - 4 * TH, QString::fromStdString(hole.Name));
        }
        QPolygon path;
        for (int k = 1; k <= nd; ++k) {
            const QPoint s = section(hole.HoleX[k], hole.HoleDepth[k]);
            path << QPoint(clampX(s.x()), std::max(s.y(), L_.Mid));
        }
        if (path.size() > 1)
            p_.drawPolyline(path);
        for (int k = 1; k <= std::clamp(hole.NumLabels, 0, MaxHoleLabels); ++k) {
            const int row = hole.LabelRow[k];
            if (row < 1 || row > nd)
                continue;
            const QPoint s = section(hole.HoleX[row], hole.HoleDepth[row]);
            if (axisX() < s.x() && s.x() < L_.Rx && hole.HoleDepth[row] >= d_.ViewDepthMin) {
                p_.drawLine(s.x() - TL, s.y(), s.x() + TL, s.y());
                textAt(p_, s.x() + TL, s.y() + 1, QString::fromStdString(hole.Label[k]), true);
            }
        }
    }
}

void Painter::legend()
{
    const double u = print_.u, v = print_.v;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    if (print_.titles) {
        const int c = (L_.Left + L_.Rx) / 2;
        textAt(p_, c, 10, print_.title1);
        textAt(p_, c + 1, 10, print_.title1);
        textAt(p_, 0, 10, print_.title2);
        textAt(p_, 1, 10, print_.title2);
    }
    int R = L_.By + roundPixel(0.5 * v);
    if (print_.thirdLine) {
        textAt(p_, 0, R, print_.thirdText);
        R += roundPixel(0.25 * v);
    }
    textAt(p_, L_.Left, R, QStringLiteral("Field gravity ---------"));
    textAt(p_, L_.Left + roundPixel(2 * u), R, QStringLiteral("Calculated gravity"));
    setPen(p_, d_.CalcCurveColour, 1);
    p_.drawLine(L_.Left + roundPixel(3.5 * u), R + 5, L_.Left + roundPixel(4.5 * u), R + 5);
    setPen(p_, Qt::black, 1);
    if (!print_.legend)
        return;
    const int bodyRow = R + roundPixel(0.7 * v);
    R += roundPixel(0.2 * v);
    textAt(p_, L_.Left, R, m_.UnitsKm ? QStringLiteral("Units are Km.") : QStringLiteral("Units are m."));
    const int step = roundPixel(0.2 * v);
    for (int b = 1; b <= std::min(numBodies(), 3); ++b) {
        const Tbody& body = m_.Bodies[b];
        const Extent e = bodyExtent(body);
        const int x = L_.Left + roundPixel(2 * u * (b - 1));
        int y = bodyRow;
        const QString title = QStringLiteral("Body ") + QString::number(b);
        textAt(p_, x, y, title);
        textAt(p_, x + 1, y, title);
        const std::string lines[] = {
            "Body centre " + fixed((e.xLow + e.xHigh) * 0.5, 10, 2),
            "Max width " + fixed(e.xHigh - e.xLow, 10, 2),
            "Depth extent " + fixed(e.zHigh - e.zLow, 10, 2),
            "Depth to body " + fixed(e.zLow, 10, 2),
            "Strike length 1 " + fixed(body.StrikeLength1, 7, 2),
            "Strike length 2 " + fixed(body.StrikeLength2, 7, 2),
            "Density contrast " + fixed(body.Density, 7, 4),
        };
        for (const std::string& line : lines) {
            y += step;
            textAt(p_, x, y, cut(line, 25));
        }
    }
}

}  // namespace

TickStep distanceTickStep(double range)
{
    TickStep t;
    if (!(range > 0) || !std::isfinite(range))
        return t;
    t.step = std::pow(10.0, std::trunc(std::log10(range)));
    auto recount = [&] { t.count = static_cast<int>(truncCount(range / t.step)); };
    recount();
    if (t.count == 2) {
        t.step *= 0.2;
        recount();
    }
    if (t.count == 1) {
        t.step *= 0.1;
        recount();
    }
    if (t.count > 10) {
        t.step *= 2;
        recount();
    }
    return t;
}

QColor bodyColour(int scheme, double density, double densLow, double densHigh)
{
    switch (scheme) {
    case 1:
        return Qt::white;
    case 2:
        return QColor(200, 200, 200);
    case 3: {
        if (densHigh <= densLow)
            return QColor(150, 150, 150);
        const int v = std::clamp(roundPixel((density - densLow) * 200 / (densHigh - densLow)), 0, 255);
        return QColor(v, v, v);
    }
    default: {
        if (densHigh <= densLow)
            return QColor(0, 200, 0);
        const double half = (densHigh - densLow) * 0.5;
        const double mean = (densHigh + densLow) * 0.5;
        const int red = density >= mean ? roundPixel((density - mean) * 255 / half) : 0;
        const int blue = density <= mean ? roundPixel((mean - density) * 255 / half) : 0;
        const int green = (0.75 * mean <= density && density <= 1.4 * mean) ? 150 : 0;
        return QColor(std::clamp(red, 0, 255), green, std::clamp(blue, 0, 255));
    }
    }
}

void DrawStar(QPainter& painter, int x, int y, int width, int dx, int dy)
{
    QPen pen = painter.pen();
    pen.setWidth(width);
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.drawLine(x, y - dy, x, y + dy);
    painter.drawLine(x + dx, y - dy, x - dx, y + dy);
    painter.drawLine(x + dx, y, x - dx, y);
    painter.drawLine(x + dx, y + dy, x - dx, y - dy);
}

ViewLayout printLayout(const PrintOptions& print)
{
    ViewLayout L;
    L.TickLength = roundPixel(0.06 * print.u);
    L.TickHeight = roundPixel(0.06 * print.v);
    L.SectionLeft = roundPixel(0.5 * print.u);
    L.Left = roundPixel(0.1 * print.u);
    L.Rx = L.Left + print.plotWidth;
    L.Top = roundPixel(0.2 * print.v);
    L.By = L.Top + print.plotHeight;
    L.Mid = L.Top + print.plotHeight / 2;
    L.Right = L.Rx + 5;
    L.Bottom = L.By + 15;
    return L;
}

std::optional<QString> PaintModel(QPainter& painter, const QRect& rect, Workspace& ws,
                                  const PrintOptions& print)
{
    Display& d = ws.display;
    ViewLayout L;
    if (d.Printing) {
        L = printLayout(print);
        d.SectionLeft = L.SectionLeft;
        d.TickLength = L.TickLength;
        d.TickHeight = L.TickHeight;
        // The page area is cleared as a whole before the plot's frame goes on.
        painter.fillRect(rect, Qt::white);
    } else {
        setScreenLayoutValues(d);
        L = viewLayout(rect, d);
    }
    Painter p(painter, ws, L, print);
    return p.run();
}

}  // namespace corvane
