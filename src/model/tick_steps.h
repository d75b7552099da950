#pragma once
// Round axis steps, for the drawing and for the file formats, which set the
// gravity step when a model is loaded.
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

}  // namespace corvane
