#pragma once
// Round axis steps, for the drawing and for the file formats, which set the
// gravity step when a model is loaded.
#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace corvane {

// The largest of 1, 2 or 5 times a power of ten that is not above step, so
// that axis labels fall on round values; 0 when step is not positive and finite.
inline double roundTickStep(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return 0;
    int e = static_cast<int>(std::floor(std::log10(step)));
    // Powers of ten below 1 divide, so that 0.2 is the nearest double to 0.2.
    auto times = [&e](double m) { return e >= 0 ? m * std::pow(10.0, e) : m / std::pow(10.0, -e); };
    const double most = step * (1 + 1e-12);   // a step that is round already stays
    if (times(10) <= most)
        ++e;
    else if (times(1) > most)
        --e;
    for (const double m : {5.0, 2.0})
        if (times(m) <= most)
            return times(m);
    return times(1);
}

// The gravity label step chosen for an anomaly range from lo to hi: a
// quarter of it, rounded down to a round step; 1 when the range is flat.
inline double autoGravityTickStep(double lo, double hi)
{
    const double step = roundTickStep((hi - lo) * 0.25);
    return step > 0 ? step : 1.0;
}

// An axis over the values lo to hi: its ends multiples of a round step about
// a quarter of the span. A span within rounding of the values themselves is
// a flat profile: it gets a span of its own, not steps of a few units in the
// last place. Nothing to hold (lo above hi) gives 0 to 1.
struct RoundAxis {
    double lo = 0, hi = 1, step = 0.25;
};

inline RoundAxis roundAxis(double lo, double hi)
{
    if (lo > hi) {
        lo = 0;
        hi = 1;
    }
    const bool flat = hi - lo <= 1e-9 * std::max({1.0, std::abs(lo), std::abs(hi)});
    double step = flat ? 0 : roundTickStep(0.25 * (hi - lo));
    if (!(step > 0))
        step = roundTickStep(std::max(1.0, 0.25 * std::abs(hi)));
    if (!(step > 0))
        step = 1;
    RoundAxis out;
    out.step = step;
    out.lo = std::floor(lo / step) * step;
    out.hi = std::ceil(hi / step) * step;
    if (!(out.hi > out.lo))
        out.hi = out.lo + step;
    return out;
}

}  // namespace corvane
