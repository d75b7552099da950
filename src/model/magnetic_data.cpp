#include "magnetic_data.h"
#include "magnetic.h"
#include "magnetic_limits.h"
#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

namespace corvane {

void clearMagnetisation(Tbody& body)
{
    body.Susceptibility = body.Remanence = 0;
    body.RemanentInclination = body.RemanentDeclination = 0;
}

bool setMagneticStations(Model& m, std::vector<MagneticStationValue> stations)
{
    // The first MaxStations as given are kept, as a field-data file's first
    // stations are, not the leftmost ones; then they go in order of position.
    const bool dropped = stations.size() > static_cast<std::size_t>(MaxStations);
    if (dropped)
        stations.resize(MaxStations);
    std::stable_sort(stations.begin(), stations.end(),
                     [](const MagneticStationValue& a, const MagneticStationValue& b) { return a.x < b.x; });
    MagneticStations& mag = m.Mag;
    mag.Num = static_cast<int>(std::min<std::size_t>(stations.size(), MaxStations));
    for (int i = 1; i <= mag.Num; ++i) {
        const MagneticStationValue& s = stations[static_cast<std::size_t>(i - 1)];
        mag.X[i] = s.x;
        mag.Height[i] = s.height;
        mag.HasObserved[i] = s.observed.has_value();
        mag.Observed[i] = s.observed.value_or(0.0);
        mag.Offset[i] = s.offset;
    }
    m.RecalculateMagnetic();
    return dropped;
}

std::vector<double> evenMagneticPositions(const Model& m, int n)
{
    n = std::clamp(n, 2, MaxStations);
    const int last = std::clamp(m.NumStations, 1, MaxStations);
    const double x0 = m.StationX[1], x1 = m.StationX[last];
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] = i == n - 1 ? x1 : x0 + (x1 - x0) * i / (n - 1);
    return x;
}

ValueRange magneticValueRange(const Model& m)
{
    ValueRange r{1e300, -1e300};
    auto take = [&r](double v) {
        if (std::isfinite(v)) {
            r.lo = std::min(r.lo, v);
            r.hi = std::max(r.hi, v);
        }
    };
    for (int i = 1; i <= m.Mag.Num; ++i) {
        take(m.Mag.Calculated[i]);
        if (m.Mag.HasObserved[i])
            take(m.Mag.Observed[i]);
    }
    if (r.lo > r.hi)
        r = {0, 1};
    if (!(r.hi > r.lo))
        r.hi = r.lo + 1;
    return r;
}

bool haveObservedMagnetic(const Model& m)
{
    for (int i = 1; i <= m.Mag.Num; ++i)
        if (m.Mag.HasObserved[i])
            return true;
    return false;
}

double misfit(const Model& m)
{
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    if (n < 1)
        return 0;
    double sum = 0;
    for (int i = 1; i <= n; ++i) {
        const double e = m.ObservedGravity[i] - m.CalculatedGravity[i];
        sum += e * e;
    }
    return 10.0 * std::sqrt(sum / n);
}

std::optional<double> magneticMisfit(const Model& m)
{
    double sum = 0;
    int n = 0;
    for (int i = 1; i <= m.Mag.Num; ++i)
        if (m.Mag.HasObserved[i]) {
            const double e = m.Mag.Observed[i] - m.Mag.Calculated[i];
            sum += e * e;
            ++n;
        }
    if (n == 0)
        return std::nullopt;
    return std::sqrt(sum / n);
}

std::optional<double> fitSusceptibility(Model& m, int b)
{
    const MagneticStations& mag = m.Mag;
    if (b < 1 || b > m.NumBodies || mag.Num < 1)
        return std::nullopt;
    Tbody& body = m.Bodies[b];
    const EarthField field{mag.FieldIntensity, mag.FieldInclination, mag.FieldDeclination, mag.FieldAzimuth};
    // The induced anomaly of unit susceptibility, and the remanent part alone.
    auto unit = std::make_unique<Tbody>(body);
    unit->Susceptibility = 1;
    unit->Remanence = 0;
    std::vector<double> induced(static_cast<std::size_t>(mag.Num)), remanent(induced.size(), 0.0);
    bodyMagnetic(*unit, field, mag.X.data(), mag.Height.data(), mag.Num, m.UnitsKm, induced.data());
    if (body.Remanence != 0) {
        unit->Susceptibility = 0;
        unit->Remanence = body.Remanence;
        bodyMagnetic(*unit, field, mag.X.data(), mag.Height.data(), mag.Num, m.UnitsKm, remanent.data());
    }
    double aa = 0, ar = 0;
    for (int i = 1; i <= mag.Num; ++i) {
        if (!mag.HasObserved[i])
            continue;
        const double others = mag.Calculated[i] - (body.Hidden ? 0.0 : body.Magnetic[i]);
        const double a = induced[static_cast<std::size_t>(i - 1)];
        const double r = mag.Observed[i] - others - remanent[static_cast<std::size_t>(i - 1)];
        aa += a * a;
        ar += a * r;
    }
    if (!(aa > 0) || !std::isfinite(ar / aa))
        return std::nullopt;
    // A fit no rock could give is reported, not kept: the model file could
    // not take it back.
    if (!SusceptibilityLimit.holds(ar / aa))
        return ar / aa;
    body.Susceptibility = ar / aa;
    m.UpdateBody(b, BodyChange::Magnetisation);
    return body.Susceptibility;
}

std::string roundedStepText(double step)
{
    if (!std::isfinite(step) || step == 0 || std::fabs(step) > 1e15 || std::fabs(step) < 1e-15)
        return itemNumber(step);
    // Decimals that keep two significant figures.
    const int decimals = 1 - static_cast<int>(std::floor(std::log10(std::fabs(step))));
    std::string t = fixed(step, 1, std::max(decimals, 0));
    if (decimals < 0) {
        const double unit = std::pow(10.0, -decimals);
        t = fixed(std::round(step / unit) * unit, 1, 0);
    }
    if (t.find('.') != std::string::npos) {
        t.erase(t.find_last_not_of('0') + 1);
        if (t.back() == '.')
            t.pop_back();
    }
    return t.substr(t.find_first_not_of(' '));
}

}  // namespace corvane
