#include "display/view.h"

#include "model/gradient_data.h"
#include "model/gravity_axis.h"
#include "model/magnetic_data.h"
#include "model/text.h"
#include "model/tick_steps.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace corvane {

namespace {

double safeExtent(double e, double fallback)
{
    return (std::isfinite(e) && e != 0) ? e : fallback;
}

}  // namespace

ViewLayout viewLayout(const QRect& rect, const Display& d)
{
    ViewLayout L;
    L.Left = rect.x();
    L.Top = rect.y();
    L.Right = rect.x() + rect.width();
    L.Bottom = rect.y() + rect.height();
    L.SectionLeft = d.SectionLeft;
    L.TickLength = d.TickLength;
    L.TickHeight = d.TickHeight;
    L.Rx = L.Right - 5;
    L.By = L.Bottom - 15;
    L.Mid = (L.Top + L.By) / 2;
    return L;
}

void setScreenLayoutValues(Display& d)
{
    d.SectionLeft = 40;
    d.TickLength = 4;
    d.TickHeight = 4;
}

int roundPixel(double v)
{
    // Far-off points (a tiny view of a wide model) must not overflow the cast.
    constexpr double limit = 1.0e7;
    if (!(v > -limit))   // also catches NaN
        return std::isnan(v) ? 0 : -static_cast<int>(limit);
    if (v > limit)
        return static_cast<int>(limit);
    return static_cast<int>(roundHalfEven(v));
}

double xExtent(const Display& d)
{
    return safeExtent(d.ViewXMax - d.ViewXMin, 1.0);
}

double depthExtent(const Display& d)
{
    // The display-limits dialog corrects a reversed depth range to +100.
    return safeExtent(d.ViewDepthMax - d.ViewDepthMin, 100.0);
}

double gravityExtent(const Display& d)
{
    return safeExtent(d.GravityMax - d.GravityMin, 1.0);
}

QPoint SectionToScreen(const ViewLayout& L, const Display& d, double x, double z)
{
    // The width factor is the panel width, as in the profile transform, so that
    // bodies and curves line up also when the picture does not start at column 0.
    const int sx = L.Left + L.SectionLeft
        + roundPixel((x - d.ViewXMin) * (L.Rx - (L.Left + L.SectionLeft)) / xExtent(d));
    int sy = L.Mid + roundPixel((z - d.ViewDepthMin) * (L.Mid - L.Top) / depthExtent(d));
    if (sy < L.Mid)
        sy = L.Mid;
    return {sx, sy};
}

QPoint SectionToScreen(const QRect& rect, const Display& d, double x, double z)
{
    return SectionToScreen(viewLayout(rect, d), d, x, z);
}

QPoint ProfileToScreen(const ViewLayout& L, const Display& d, double x, double g)
{
    const int sx = L.Left + L.SectionLeft
        + roundPixel((x - d.ViewXMin) * (L.Rx - (L.Left + L.SectionLeft)) / xExtent(d));
    const int sy = L.Mid - roundPixel((g - d.GravityMin) * (L.Mid - L.Top) / gravityExtent(d));
    return {sx, sy};
}

QPoint ProfileToScreen(const QRect& rect, const Display& d, double x, double g)
{
    return ProfileToScreen(viewLayout(rect, d), d, x, g);
}

QPointF ScreenToSection(const ViewLayout& L, const Display& d, QPoint s)
{
    const int width = L.Rx - (L.Left + L.SectionLeft);
    const int height = L.Mid - L.Top;
    const double x = d.ViewXMin
        + xExtent(d) * (s.x() - (L.Left + L.SectionLeft)) / (width != 0 ? width : 1);
    const double z = d.ViewDepthMin + depthExtent(d) * (s.y() - L.Mid) / (height != 0 ? height : 1);
    return {x, z};
}

QPointF ScreenToSection(const QRect& rect, const Display& d, QPoint s)
{
    return ScreenToSection(viewLayout(rect, d), d, s);
}

int clampColumn(const ViewLayout& L, int sx)
{
    const int left = L.Left + L.SectionLeft;
    return std::clamp(sx, left, std::max(left, L.Rx));
}

Readout readoutAt(const ViewLayout& L, const Display& d, QPoint s, int corner)
{
    Readout r;
    r.model = ScreenToSection(L, d, s);
    r.inModelPanel = !(s.y() < L.Mid || s.x() < L.SectionLeft);
    if (!r.inModelPanel) {
        r.text = QStringLiteral(" ");
        return r;
    }
    std::string t;
    if (corner != -1)
        t = " Corner " + std::to_string(corner);
    t += "    Position (" + fixed(r.model.x(), 9, 2) + "," + fixed(r.model.y(), 9, 2) + " )";
    r.text = QString::fromStdString(t);
    return r;
}

Readout readoutAt(const QRect& client, const Display& d, QPoint s, int corner)
{
    return readoutAt(viewLayout(client, d), d, s, corner);
}

namespace {

GravityAxis axisInView(const Model& m, const Display& d)
{
    const GravityCurves curves = d.ShowDifference   ? GravityCurves::Difference
                                 : d.ShowIndividual ? GravityCurves::Individual
                                                    : GravityCurves::Both;
    return gravityAxis(m, d.ViewXMin, d.ViewXMax, curves);
}

}  // namespace

StationRange stationsInView(const Model& m, const Display& d)
{
    const GravityAxis a = axisInView(m, d);
    return {a.first, a.last};
}

StationRange computeGravityRange(const Model& m, Display& d)
{
    const GravityAxis a = axisInView(m, d);
    d.GravityMin = a.min;
    d.GravityMax = a.max;
    return {a.first, a.last};
}

std::string gradientMisfitText(const Model& m)
{
    static const char* const names[TensorComponents] = {"Txx", "Txy", "Txz", "Tyy", "Tyz", "Tzz"};
    std::string text;
    const auto rms = gradientMisfit(m);
    for (int k = 0; k < TensorComponents; ++k)
        if (const auto e = rms[static_cast<std::size_t>(k)])
            text += (text.empty() ? " Grad. misfit = " : ", ") + std::string(names[k]) + " " + fixed(*e, 1, 2) + " E";
    return text;
}

QString misfitText(const Model& m, int iterationCount)
{
    std::string mag;
    if (const auto mm = magneticMisfit(m))
        mag = " Mag. misfit = " + fixed(*mm, 1, 2) + " nT";
    mag += gradientMisfitText(m);
    if (!m.HaveObserved) {
        // A magnetic survey alone: its misfit is the one there is.
        if (mag.empty() || iterationCount == 0)
            return QString::fromStdString(mag);
        return QString::fromStdString(" Iteration " + std::to_string(iterationCount) + "   " + mag);
    }
    const std::string value = fixed(misfit(m), 6, 2);
    if (iterationCount != 0)
        return QString::fromStdString(" Iteration " + std::to_string(iterationCount) + "   "
                                      + " Misfit =" + value + "   " + mag);
    return QString::fromStdString(" Misfit =" + value + mag);
}

bool magneticPanelShown(const Model& m, const Display& d)
{
    return d.ShowMagnetic && m.Mag.Num > 0;
}

MagneticRange magneticRange(const Model& m, const Display& d)
{
    MagneticRange out;
    const MagneticStations& mag = m.Mag;
    const int n = std::clamp(mag.Num, 0, MaxStations);
    if (n < 1)
        return out;
    StationRange& r = out.r;
    std::tie(r.i1, r.i2) = stationsInView(mag.X, n, d.ViewXMin, d.ViewXMax);
    double lo = 1e300, hi = -1e300;
    auto take = [&](double v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    };
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    for (int i = r.i1; i <= r.i2; ++i) {
        if (d.ShowDifference) {
            if (mag.HasObserved[i])
                take(mag.Calculated[i] - mag.Observed[i]);
            continue;
        }
        if (mag.HasObserved[i])
            take(mag.Observed[i]);
        if (d.ShowIndividual) {
            for (int b = 1; b <= nb; ++b)
                if (!m.Bodies[b].Hidden)
                    take(m.Bodies[b].Magnetic[i]);
        } else {
            take(mag.Calculated[i]);
        }
    }
    const RoundAxis a = roundAxis(lo, hi);
    out.lo = a.lo;
    out.hi = a.hi;
    out.step = a.step;
    return out;
}

}  // namespace corvane
