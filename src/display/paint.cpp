#include "display/paint.h"

#include "display/ground_line.h"
#include "display/backdrop.h"
#include "display/point_layer.h"
#include "display/print_legend.h"

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

int leadingBlanks(const QString& s)
{
    int n = 0;
    while (n < s.size() && s[n] == QLatin1Char(' '))
        ++n;
    return n;
}

// r moved the least distance that puts it inside area; nothing when it is
// larger than area.
std::optional<QRect> fitInto(QRect r, const QRect& area)
{
    if (r.width() > area.width() || r.height() > area.height())
        return std::nullopt;
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.top() < area.top())
        r.moveTop(area.top());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    return r;
}

// The number of decimals that shows every multiple of step apart from its
// neighbours, at least min.
int decimalsFor(double step, int min)
{
    const double places = std::ceil(-std::log10(step) - 1e-9);
    return std::clamp(static_cast<int>(std::isfinite(places) ? places : 0), min, 12);
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
    Painter(QPainter& p, Workspace& ws, const ViewLayout& L, const PrintOptions& print,
            std::vector<DrawnText>* record)
        : p_(p), ws_(ws), m_(ws.model), d_(ws.display), L_(L), print_(print), record_(record)
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
    void layoutHoleLabels();
    void boreholes();
    void legend();
    void magneticPanel(int top, int bottom);

    // Labels are laid out before they are drawn so that none covers another.
    // A tick label keeps to its tick (pin) and is left out where it would
    // overlap; units, names, body and borehole labels slide to the nearest
    // free place, and where there is none they are dropped, keep their own
    // place (Stay), or keep it while the tick labels there give way (Evict).
    struct Label {
        QRect rect;   // the characters, leading blanks left out
        QString text;
    };
    using Labels = std::vector<Label>;
    enum class Crowded { Drop, Evict, Stay };
    QRect profileArea() const;   // the curves' half with its axis strip, inside the divider
    QRect sectionArea() const;   // the section's half with its axis strip and the margin below
    QRect modelPanelArea() const;   // the section's half right of the axis strip
    Label labelAt(int x, int y, const QString& s, bool trim = true) const;
    bool isFree(const QRect& r, const Labels& pending) const;
    QPolygon holePath(const THole& hole) const;
    bool holeLabelShown(const THole& hole, int row) const;
    // row: the label must still cover this row once kept inside the area.
    void pin(Labels& pending, Label l, const QRect& area, std::optional<int> row = std::nullopt);
    void slide(Labels& pending, Label l, const QRect& area, std::initializer_list<QPoint> steps,
               Crowded crowded);
    void flush(Labels& pending, bool opaque);
    QRect text(int x, int y, const QString& s, bool opaque = false);   // returns its place

    QPainter& p_;
    Workspace& ws_;
    Model& m_;
    Display& d_;
    ViewLayout L_;
    const PrintOptions& print_;
    std::vector<DrawnText>* record_ = nullptr;
    std::vector<QRect> taken_;   // places of the labels drawn so far
    Labels holeLabels_;          // laid out before the bodies, drawn last
    std::vector<QRect> holePaths_;   // where the boreholes run, kept clear of body labels
    double densLow_ = 1e8, densHigh_ = -1e8;
};

QRect Painter::profileArea() const
{
    return QRect(QPoint(L_.Left + 1, L_.Top + 1), QPoint(L_.Rx - 1, L_.Mid - 2));
}

QRect Painter::sectionArea() const
{
    return QRect(QPoint(L_.Left + 1, L_.Mid + 2), QPoint(L_.Rx - 1, L_.Bottom - 2));
}

QRect Painter::modelPanelArea() const
{
    QRect area = sectionArea();
    area.setLeft(axisX() + 1);
    return area;
}

Painter::Label Painter::labelAt(int x, int y, const QString& s, bool trim) const
{
    const QFontMetrics fm = p_.fontMetrics();
    const int lead = trim ? leadingBlanks(s) : 0;
    const QString shown = s.mid(lead);
    return {QRect(x + fm.horizontalAdvance(s.left(lead)), y, fm.horizontalAdvance(shown), fm.height()), shown};
}

bool Painter::isFree(const QRect& r, const Labels& pending) const
{
    auto clear = [&](const QRect& other) { return !r.intersects(other); };
    auto clearOf = [&](const Labels& labels) {
        return std::all_of(labels.begin(), labels.end(), [&](const Label& l) { return clear(l.rect); });
    };
    return std::all_of(taken_.begin(), taken_.end(), clear)
        && std::all_of(holePaths_.begin(), holePaths_.end(), clear) && clearOf(holeLabels_) && clearOf(pending);
}

void Painter::pin(Labels& pending, Label l, const QRect& area, std::optional<int> row)
{
    const std::optional<QRect> r = fitInto(l.rect, area);
    if (!r || !isFree(*r, pending))
        return;
    // A label moved into the panel off its tick's row would name another
    // value; at the ends of the axis it may stand a pixel or two inside.
    if (row && (*row < r->top() - 2 || *row > r->bottom() + 2))
        return;
    l.rect = *r;
    pending.push_back(l);
}

void Painter::slide(Labels& pending, Label l, const QRect& area, std::initializer_list<QPoint> steps,
                    Crowded crowded)
{
    const std::optional<QRect> r = fitInto(l.rect, area);
    if (!r)
        return;
    for (const QPoint step : steps)
        for (int k = 0;; ++k) {
            bool inside = false;
            for (const int sign : {1, -1}) {
                const QRect c = r->translated(step * (k * sign));
                if ((k == 0 && sign < 0) || !area.contains(c))
                    continue;
                inside = true;
                if (isFree(c, pending)) {
                    l.rect = c;
                    pending.push_back(l);
                    return;
                }
            }
            if (!inside)
                break;
        }
    // No free place at all.
    l.rect = *r;
    if (crowded == Crowded::Stay) {
        pending.push_back(l);
    } else if (crowded == Crowded::Evict) {
        // The unit keeps its own place and the tick labels there give way.
        std::erase_if(pending, [&](const Label& other) { return other.rect.intersects(*r); });
        if (isFree(l.rect, pending))
            pending.push_back(l);
    }
}

void Painter::flush(Labels& pending, bool opaque)
{
    for (const Label& l : pending) {
        textAt(p_, l.rect.x(), l.rect.y(), l.text, opaque);
        taken_.push_back(l.rect);
        if (record_)
            record_->push_back({l.rect, l.text});
    }
    pending.clear();
}

QRect Painter::text(int x, int y, const QString& s, bool opaque)
{
    textAt(p_, x, y, s, opaque);
    const QFontMetrics fm = p_.fontMetrics();
    const QRect r(x, y, fm.horizontalAdvance(s), fm.height());
    if (record_)
        record_->push_back({r, s});
    return r;
}

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

    int hiddenLabels = 0;
    if (!d_.PlanView) {
        depthAxis();
        if (ws_.overlays.backdrop)
            drawBackdrop(p_, L_, d_, *ws_.overlays.backdrop);
        if (d_.DrawGrid && !d_.Printing)
            grid();
        layoutHoleLabels();
        bodies();
        drawGroundLine(p_, L_, d_, m_);
        drawAirborneLine(p_, L_, d_, m_);
        if (!ws_.overlays.pointSets.empty()) {
            std::optional<PrintedPointSize> printed;
            // The window's section is its width less the axis strip (40) and the right margin (5).
            if (d_.Printing)
                printed = printedPointSize(L_.Rx - axisX(), print_.screenWidth - 45, print_.screenFontPixels);
            hiddenLabels = drawPointSets(p_, L_, d_, ws_.overlays, printed);
        }
    } else {
        planView();
    }
    // The magnetic panel takes the upper half of the profile panel and the
    // gravity curves the lower half; the section keeps its scale.
    const int fullTop = L_.Top;
    if (magneticPanelShown(m_, d_)) {
        const int split = L_.Top + (L_.Mid - L_.Top) / 2;
        magneticPanel(L_.Top, split);
        setPen(p_, Qt::black, 1);
        p_.drawLine(L_.Left, split, L_.Rx, split);
        L_.Top = split;
    }
    std::optional<QString> status = curves();
    L_.Top = fullTop;
    if (m_.NumHoles >= 1 && !d_.PlanView)
        boreholes();
    if (d_.Printing) {
        legend();
        return std::nullopt;
    }
    if (hiddenLabels > 0)
        status = (status ? *status + QStringLiteral("   ") : QString()) + hiddenLabelsText(hiddenLabels);
    return status;
}

void Painter::depthAxis()
{
    setPen(p_, Qt::black, 1);
    p_.drawLine(axisX(), L_.By, axisX(), L_.Mid);
    const double extent = depthExtent(d_);
    const double range = d_.ViewDepthMax - d_.ViewDepthMin;
    // Ticks from the top of the view at the set step; where that step leaves
    // fewer than two in view (a zoomed view, narrowed limits), ticks at the
    // multiples of a round step for the range shown.
    double step = d_.DepthTickStep, base = d_.ViewDepthMin;
    int decimals = 1;
    // A section that starts above the datum (stations standing on the
    // ground) would put the ticks at odd depths: there they fall on round
    // multiples, the datum among them.
    if (d_.ViewDepthMin < 0 && roundTickStep(step) > 0) {
        step = roundTickStep(step);
        base = std::floor(d_.ViewDepthMin / step) * step;
        decimals = decimalsFor(step, 1);
    }
    long long count = !(step > 0)                  ? 0
                    : base == d_.ViewDepthMin ? truncCount(range / step)
                                              : truncCount((d_.ViewDepthMax - base) / step * (1 + 1e-12));
    if (count < 2 && range > 0 && std::isfinite(range)) {
        step = roundTickStep(0.25 * range);
        base = std::floor(d_.ViewDepthMin / step) * step;
        count = truncCount((d_.ViewDepthMax - base) / step * (1 + 1e-12));
        decimals = decimalsFor(step, 1);
    }
    Labels pending;
    for (long long k = 1; k <= count; ++k) {
        const double v = base + static_cast<double>(k) * step;
        if (v <= d_.ViewDepthMin)
            continue;
        const int row = L_.Mid + roundPixel((v - d_.ViewDepthMin) * (L_.By - L_.Mid) / extent);
        p_.drawLine(axisX() - L_.TickLength, row, axisX(), row);
        pin(pending, labelAt(L_.Left + L_.TickLength, row + 1, cut(fixed(v, 5, decimals), 5 + decimals)),
            sectionArea());
    }
    slide(pending, labelAt(L_.Left + 4, L_.By - roundPixel(0.4 * (L_.By - L_.Mid)), QString::fromLatin1(unitText())),
          sectionArea(), {QPoint(0, 1)}, Crowded::Evict);
    flush(pending, false);
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
    const Backdrop* backdrop = ws_.overlays.backdrop ? &*ws_.overlays.backdrop : nullptr;
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
            p_.setBrush(bodyBrush(Qt::white, backdrop));
            setPen(p_, Qt::black, current ? 2 : 1, Qt::DotLine);
        } else {
            p_.setBrush(bodyBrush(bodyColour(d_.ColourScheme, body.Density, densLow_, densHigh_), backdrop));
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
    // Kept inside the panel and clear of the other labels: moved to the
    // nearest free place, or left where it stands when there is none.
    const QString shown = d_.ShowDensities ? cut(fixed(body.Density, 6, 5), 6) : QString::fromStdString(integer(b, 2));
    Labels pending;
    slide(pending, labelAt(s.x(), s.y(), shown, false), modelPanelArea(), {QPoint(1, 0), QPoint(0, 1)},
          Crowded::Stay);
    flush(pending, true);
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
                text(sxMid, C - L_.TickHeight, QString::fromStdString(integer(b, 2)), true);
            if (d_.ShowDensities)
                text(sxMid, C - L_.TickHeight, cut(fixed(body.Density, 6, 5), 6), true);
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
    text(L_.Left + TL, L_.Mid + roundPixel(0.4 * (L_.By - L_.Mid)), QString::fromLatin1(unitText()));
    const QString s = cut(fixed(S, 5, 1), 6);
    text(L_.Left + TL, L_.Mid + TH, s);
    text(L_.Left + TL, L_.By - 3 * TH, s);
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

    // The labels stand below the axis, or above it where the panel ends too
    // soon below; they keep within the panel, so the last one moves left.
    QRect area = profileArea();
    area.setLeft(axisX() + 1);
    const int height = p_.fontMetrics().height();
    auto labelRow = [&](int offset) {
        return y0 + offset + height - 1 <= area.bottom() ? y0 + offset : y0 - offset - height;
    };
    Labels pending;
    const TickStep t = distanceTickStep(std::abs(d_.ViewXMax - d_.ViewXMin));
    for (int k = 1; k <= t.count; ++k) {
        const double x = d_.ViewXMin + k * t.step;
        const int sx = profile(x, 0).x();
        p_.drawLine(sx, y0 - TH, sx, y0 + TH);
        const double a = std::abs(x);
        const int width = static_cast<int>(std::trunc(a >= 1 ? std::log10(a) : 0)) + 3;
        pin(pending, labelAt(sx - TL * width, labelRow(roundPixel(1.5 * TH)), cut(fixed(x, width, 1), 9)), area);
    }
    slide(pending, labelAt((L_.Rx + L_.SectionLeft) / 2, labelRow(4 * TH), QStringLiteral("Distance")), area,
          {QPoint(1, 0), QPoint(0, y0 < labelRow(4 * TH) ? 1 : -1)}, Crowded::Evict);
    flush(pending, false);
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

    // Multiples of the step counted from zero, those inside the axis only.
    auto ticksAt = [&](double step) {
        std::vector<double> values;
        if (!(step > 0) || !std::isfinite(step))
            return values;
        const double slack = 1e-9 * step;
        if (d_.GravityMin < 0) {
            const long long n = std::min<long long>(roundHalfEven(std::min(-d_.GravityMin / step, 1e9)), MaxTicks);
            // Zoomed onto negative values only, the ticks nearest zero lie
            // above the axis: they are not its labels.
            for (long long k = 1; k <= n; ++k)
                if (const double v = -static_cast<double>(k) * step;
                    v >= d_.GravityMin - slack && v <= d_.GravityMax + slack)
                    values.push_back(v);
        }
        if (d_.GravityMax > 0) {
            const long long n = std::min<long long>(roundHalfEven(std::min(d_.GravityMax / step, 1e9)), MaxTicks);
            for (long long k = 1; k <= n; ++k)
                if (const double v = static_cast<double>(k) * step;
                    v <= d_.GravityMax + slack && v >= d_.GravityMin - slack)
                    values.push_back(v);
        }
        return values;
    };
    int decimals = std::clamp(d_.GravityDecimals, 0, 30);
    std::vector<double> values = ticksAt(d_.GravityTickStep);
    if (values.size() < 2) {
        // The set step does not fit this range (the difference of the
        // curves, a flat stretch in view): a round step for the range shown.
        const double step = roundTickStep(0.25 * (d_.GravityMax - d_.GravityMin));
        values = ticksAt(step);
        decimals = std::max(decimals, decimalsFor(step, 0));
    }
    Labels pending;
    for (const double value : values) {
        const int row = profile(d_.ViewXMin, value).y();
        p_.drawLine(ax - TL, row, ax, row);
        pin(pending, labelAt(L_.Left + 1, row, cut(fixed(value, 7, decimals), 8)), profileArea(), row);
    }
    slide(pending, labelAt(L_.Left + TL, L_.Top + roundPixel(0.75 * (L_.Mid - L_.Top)), QStringLiteral("mG")),
          profileArea(), {QPoint(0, 1)}, Crowded::Evict);
    flush(pending, false);
}

void Painter::magneticPanel(int top, int bottom)
{
    const MagneticRange mr = magneticRange(m_, d_);
    const StationRange& r = mr.r;
    const MagneticStations& mag = m_.Mag;
    const int ax = axisX(), TL = L_.TickLength, TH = L_.TickHeight;
    const int inner = top + 2 * TH, height = bottom - 2 - inner;
    auto row = [&](double v) { return inner + roundPixel((mr.hi - v) * height / (mr.hi - mr.lo)); };
    auto column = [&](int i) { return clampX(profile(mag.X[i], 0).x()); };
    // A curve through the stations where `has` holds, broken where it does not.
    auto curve = [&](auto has, auto value) {
        QPolygon line;
        auto flushLine = [&] {
            if (line.size() == 1)
                p_.drawPoint(line.front());
            else if (line.size() > 1)
                p_.drawPolyline(line);
            line.clear();
        };
        for (int i = r.i1; i <= r.i2; ++i) {
            if (has(i))
                line << QPoint(column(i), row(value(i)));
            else
                flushLine();
        }
        flushLine();
    };
    auto always = [](int) { return true; };
    auto observed = [&](int i) { return mag.HasObserved[i]; };

    p_.setBrush(Qt::NoBrush);
    if (mr.lo < 0 && mr.hi > 0) {
        setPen(p_, Qt::black, 1);
        p_.drawLine(ax, row(0), L_.Rx, row(0));
    }
    auto drawObserved = [&] {
        if (d_.PlotPoints) {
            setPen(p_, d_.ObsCurveColour, 1);
            for (int i = r.i1; i <= r.i2; ++i)
                if (mag.HasObserved[i])
                    DrawStar(p_, column(i), row(mag.Observed[i]), 1, 3, 3);
        } else {
            setPen(p_, d_.ObsCurveColour, 1, d_.Printing ? Qt::DashLine : Qt::DotLine);
            curve(observed, [&](int i) { return mag.Observed[i]; });
        }
    };
    if (r.i2 >= r.i1) {
        if (d_.ShowDifference) {
            setPen(p_, Qt::black, 1);
            curve(observed, [&](int i) { return mag.Calculated[i] - mag.Observed[i]; });
        } else if (d_.ShowIndividual) {
            drawObserved();
            setPen(p_, d_.CalcCurveColour, 1);
            for (int b = 1; b <= numBodies(); ++b)
                if (!m_.Bodies[b].Hidden)
                    curve(always, [&](int i) { return m_.Bodies[b].Magnetic[i]; });
        } else {
            setPen(p_, d_.CalcCurveColour, 1);
            curve(always, [&](int i) { return mag.Calculated[i]; });
            drawObserved();
        }
    }

    // The nT axis: round ticks over the whole range, the unit below them.
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    p_.drawLine(ax, bottom, ax, top);
    p_.drawLine(ax, top, ax - TL, top + TH);
    p_.drawLine(ax, top, ax + TL, top + TH);
    const QRect area(QPoint(L_.Left + 1, top + 1), QPoint(L_.Rx - 1, bottom - 2));
    const int decimals = decimalsFor(mr.step, 0);
    Labels pending;
    const long long n = std::min<long long>(truncCount((mr.hi - mr.lo) / mr.step + 0.5), MaxTicks);
    // In a low panel every tick cannot carry a label: label every 2nd or 5th,
    // those at round multiples, rather than whichever happen to fit.
    const int textHeight = labelAt(0, 0, QStringLiteral("0")).rect.height() + 2;
    const double spacing = height * mr.step / (mr.hi - mr.lo);
    int stride = 1;
    for (int s : {2, 5, 10})
        if (spacing * stride < textHeight)
            stride = s;
    for (long long k = 0; k <= n; ++k) {
        const double value = mr.lo + static_cast<double>(k) * mr.step;
        const int y = row(value);
        p_.drawLine(ax - TL, y, ax, y);
        const long long multiple = std::llround(value / mr.step);
        if (multiple % stride == 0)
            pin(pending, labelAt(L_.Left + 1, y, cut(fixed(value, 7, decimals), 8)), area);
    }
    slide(pending, labelAt(L_.Left + TL, top + roundPixel(0.75 * (bottom - top)), QStringLiteral("nT")), area,
          {QPoint(0, 1)}, Crowded::Evict);
    flush(pending, false);
}

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

void Painter::legend()
{
    const double u = print_.u, v = print_.v;
    setPen(p_, Qt::black, 1);
    p_.setBrush(Qt::white);
    if (print_.titles) {
        const int c = (L_.Left + L_.Rx) / 2;
        text(c, 10, print_.title1);
        text(c + 1, 10, print_.title1);
        text(0, 10, print_.title2);
        text(1, 10, print_.title2);
    }
    int R = L_.By + roundPixel(0.5 * v);
    if (print_.thirdLine) {
        text(0, R, print_.thirdText);
        R += roundPixel(0.25 * v);
    }
    text(L_.Left, R, QStringLiteral("Field gravity ---------"));
    text(L_.Left + roundPixel(2 * u), R, QStringLiteral("Calculated gravity"));
    setPen(p_, d_.CalcCurveColour, 1);
    p_.drawLine(L_.Left + roundPixel(3.5 * u), R + 5, L_.Left + roundPixel(4.5 * u), R + 5);
    setPen(p_, Qt::black, 1);
    // Rows for what the plot shows beyond gravity, each entry placed as the
    // two above and its line sample just after its text.
    for (const std::vector<LegendEntry>& row : extraLegendRows(m_, d_, sectionLineWidth(L_))) {
        R += roundPixel(ExtraLegendRow * v);
        for (std::size_t k = 0; k < row.size(); ++k) {
            const int x = L_.Left + roundPixel(2 * u * static_cast<double>(k));
            const QRect at = text(x, R, row[k].text);
            if (row[k].sample.style() == Qt::NoPen)
                continue;
            p_.setPen(row[k].sample);
            const int from = at.right() + roundPixel(0.1 * u), mid = R + at.height() / 2;
            p_.drawLine(from, mid, from + roundPixel(0.6 * u), mid);
            setPen(p_, Qt::black, 1);
        }
    }
    if (!print_.legend)
        return;
    const int bodyRow = R + roundPixel(0.7 * v);
    R += roundPixel(0.2 * v);
    text(L_.Left, R, m_.UnitsKm ? QStringLiteral("Units are Km.") : QStringLiteral("Units are m."));
    const int step = roundPixel(0.2 * v);
    for (int b = 1; b <= std::min(numBodies(), 3); ++b) {
        const Tbody& body = m_.Bodies[b];
        const Extent e = bodyExtent(body);
        const int x = L_.Left + roundPixel(2 * u * (b - 1));
        int y = bodyRow;
        const QString title = QStringLiteral("Body ") + QString::number(b);
        text(x, y, title);
        text(x + 1, y, title);
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
            text(x, y, cut(line, 25));
        }
        for (const std::string& line : magneticBodyLines(m_, body)) {
            y += step;
            text(x, y, cut(line, 25));
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
                                  const PrintOptions& print, std::vector<DrawnText>* texts)
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
    Painter p(painter, ws, L, print, texts);
    return p.run();
}

}  // namespace corvane
