// The axes: depth down the section, distance along the profile and gravity
// up it, their ticks and labels.
#include "display/painter.h"

#include "model/text.h"
#include "model/tick_steps.h"

#include <QFontMetrics>

namespace corvane::painting {

int decimalsFor(double step, int min)
{
    const double places = std::ceil(-std::log10(step) - 1e-9);
    return std::clamp(static_cast<int>(std::isfinite(places) ? places : 0), min, 12);
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

}  // namespace corvane::painting

namespace corvane {

TickStep distanceTickStep(double range)
{
    TickStep t;
    if (!(range > 0) || !std::isfinite(range))
        return t;
    t.step = std::pow(10.0, std::trunc(std::log10(range)));
    auto recount = [&] { t.count = static_cast<int>(painting::truncCount(range / t.step)); };
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

}  // namespace corvane
