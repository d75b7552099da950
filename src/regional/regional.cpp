#include "regional/regional.h"

#include "model/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace corvane {

double meanObserved(const Model& m)
{
    double sum = 0;
    for (int i = 1; i <= m.NumStations; ++i)
        sum += m.ObservedGravity[i];
    return m.NumStations > 0 ? sum / m.NumStations : 0.0;
}

namespace {

struct SlopeValue {
    double f = 0;      // sum of x_i sign(residual_i)
    double a = 0;      // median intercept for this slope
    double absDev = 0; // sum of |residual_i|
};

int sign(double v)
{
    return (v > 0) - (v < 0);
}

SlopeValue slopeFunction(const std::vector<double>& x, const std::vector<double>& y, double b,
                         std::vector<double>& work)
{
    const std::size_t n = x.size();
    for (std::size_t i = 0; i < n; ++i)
        work[i] = y[i] - b * x[i];
    std::sort(work.begin(), work.end());
    // 1-based positions (n+1) div 2 and n + 1 - (n+1) div 2: the same for odd n.
    const std::size_t lo = (n + 1) / 2;
    const std::size_t hi = n + 1 - lo;
    SlopeValue v;
    v.a = 0.5 * (work[lo - 1] + work[hi - 1]);
    for (std::size_t i = 0; i < n; ++i) {
        const double d = y[i] - (v.a + b * x[i]);
        v.f += x[i] * sign(d);
        v.absDev += std::fabs(d);
    }
    return v;
}

}  // namespace

std::optional<LineFit> fitLineLAD(const std::vector<double>& x, const std::vector<double>& y)
{
    const std::size_t count = x.size();
    if (count < 2 || y.size() != count)
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]))
            return std::nullopt;
    const double n = static_cast<double>(count);

    // 1. Least-squares start.
    double sx = 0, sy = 0, sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sx += x[i];
        sy += y[i];
        sxy += x[i] * y[i];
        sxx += x[i] * x[i];
    }
    const double delta = n * sxx - sx * sx;
    // All positions equal: no slope can be found. (Relative test: delta is a
    // difference of large sums and is not exactly 0 for equal positions.)
    const double xMin = *std::min_element(x.begin(), x.end());
    const double xMax = *std::max_element(x.begin(), x.end());
    if (!(delta > 0) || xMin == xMax)
        return std::nullopt;
    const double a0 = (sxx * sy - sx * sxy) / delta;
    double b = (n * sxy - sx * sy) / delta;
    double chi2 = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = y[i] - (a0 + b * x[i]);
        chi2 += d * d;
    }
    const double sigb = std::sqrt(chi2 / delta);

    std::vector<double> work(count);
    auto finish = [&](double slope) {
        const SlopeValue v = slopeFunction(x, y, slope, work);
        return LineFit{slope, v.a, v.absDev / n};
    };

    // 2. and 3. Bracket the sign change of f.
    double b1 = b;
    double f1 = slopeFunction(x, y, b1, work).f;
    // Points exactly on a line: the least-squares slope is already the answer
    // (a zero step would never leave b1).
    if (sigb == 0 || f1 == 0 || !std::isfinite(sigb))
        return finish(b);
    double step = std::fabs(3.0 * sigb);
    double b2 = f1 > 0 ? b + step : b - step;
    double f2 = slopeFunction(x, y, b2, work).f;
    int walks = 0;
    while (f1 * f2 > 0) {
        // The walk keeps its step; if it has not found the sign change after
        // many steps the step grows, so the walk always ends.
        b = (++walks > 64) ? b2 + 2.0 * (b2 - b1) : 2.0 * b2 - b1;
        b1 = b2;
        f1 = f2;
        b2 = b;
        f2 = slopeFunction(x, y, b2, work).f;
        if (!std::isfinite(b2))
            return std::nullopt;
    }

    // 4. Bisection.
    const double sigma = 0.01 * sigb;
    while (std::fabs(b2 - b1) > sigma) {
        b = 0.5 * (b1 + b2);
        if (b == b1 || b == b2)
            break;
        const double f = slopeFunction(x, y, b, work).f;
        if (f * f1 >= 0) {
            f1 = f;
            b1 = b;
        } else {
            f2 = f;
            b2 = b;
        }
    }

    // 5. The intercept and deviation belong to the slope returned.
    return finish(b);
}

Result<LineFit> fitRegionalLine(const Model& m)
{
    static const char* const NoLine =
        "No line can be fitted: the stations must lie at two or more different positions.";
    const int n = m.NumStations;
    if (n < 1)
        return fail(NoLine);
    std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    const double x1 = m.StationX[1];
    for (int i = 1; i <= n; ++i) {
        x[static_cast<std::size_t>(i - 1)] = m.StationX[i] - x1;
        y[static_cast<std::size_t>(i - 1)] = m.ObservedGravity[i];
    }
    if (const std::optional<LineFit> fit = fitLineLAD(x, y))
        return *fit;
    return fail(NoLine);
}

int slopeDecimals(double span)
{
    // Rounding the slope to d decimals moves the line by at most
    // 0.5 10^-d x span at the profile's ends.
    const double a = std::abs(span);
    if (!(a > 0) || !std::isfinite(a))
        return 2;
    const int d = static_cast<int>(std::ceil(std::log10(a / (2 * LineTolerance))));
    return std::clamp(d, 2, 12);
}

std::string linearText(double M, double C, std::optional<double> dev, double origin, double span)
{
    std::string x = " X";
    if (origin != 0) {
        // The removal measures X from the first station: say so.
        char buf[32];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::abs(origin));
        x = std::string(" (X ") + (origin > 0 ? "- " : "+ ") +
            (ec == std::errc() ? std::string(buf, end) : fixed(std::abs(origin), 0, 3)) + ")";
    }
    std::string s = " Y = " + fixed(M, 6, slopeDecimals(span)) + x + (C >= 0 ? " +" : " ") +
                    fixed(C, 6, InterceptDecimals);
    if (dev)
        s += "  ( Dev = " + fixed(*dev, 6, 1) + " )";
    return s;
}

std::string stepText(double step, int width)
{
    // Enough decimals for the step's first digit: 0.001 is not "0.00".
    int d = 2;
    const double a = std::abs(step);
    if (a > 0 && std::isfinite(a))
        d = std::clamp(static_cast<int>(std::ceil(-std::log10(a) - 1e-9)), 2, 12);
    return fixed(step, width, d);
}

CubicSpline::CubicSpline(std::vector<double> x, std::vector<double> y)
    : x_(std::move(x)), y_(std::move(y))
{
    const std::size_t n = x_.size();
    if (n == 0 || y_.size() != n)
        return;
    valid_ = n >= 2;
    for (std::size_t i = 1; i < n; ++i)
        if (!(x_[i] > x_[i - 1]))
            valid_ = false;
    if (!valid_)
        return;
    // Second derivatives by the tridiagonal system, first derivative 0 at both ends.
    y2_.assign(n, 0.0);
    std::vector<double> u(n, 0.0);
    y2_[0] = -0.5;
    u[0] = (3.0 / (x_[1] - x_[0])) * ((y_[1] - y_[0]) / (x_[1] - x_[0]));
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double sig = (x_[i] - x_[i - 1]) / (x_[i + 1] - x_[i - 1]);
        const double p = sig * y2_[i - 1] + 2.0;
        y2_[i] = (sig - 1.0) / p;
        const double d = (y_[i + 1] - y_[i]) / (x_[i + 1] - x_[i])
                         - (y_[i] - y_[i - 1]) / (x_[i] - x_[i - 1]);
        u[i] = (6.0 * d / (x_[i + 1] - x_[i - 1]) - sig * u[i - 1]) / p;
    }
    const double h = x_[n - 1] - x_[n - 2];
    const double qn = 0.5;
    const double un = (3.0 / h) * (0.0 - (y_[n - 1] - y_[n - 2]) / h);
    y2_[n - 1] = (un - qn * u[n - 2]) / (qn * y2_[n - 2] + 1.0);
    for (std::size_t k = n - 1; k-- > 0;)
        y2_[k] = y2_[k] * y2_[k + 1] + u[k];
}

double CubicSpline::operator()(double x) const
{
    if (y_.empty())
        return 0.0;
    if (!valid_)
        return y_.front();
    if (x <= x_.front())
        return y_.front();
    if (x >= x_.back())
        return y_.back();
    const std::size_t hi = static_cast<std::size_t>(
        std::upper_bound(x_.begin(), x_.end(), x) - x_.begin());
    const std::size_t lo = hi - 1;
    const double h = x_[hi] - x_[lo];
    const double a = (x_[hi] - x) / h;
    const double b = (x - x_[lo]) / h;
    return a * y_[lo] + b * y_[hi]
           + ((a * a * a - a) * y2_[lo] + (b * b * b - b) * y2_[hi]) * (h * h) / 6.0;
}

int knotSpacing(const PlotArea& a)
{
    return std::max(a.width() / 6, 0);
}

int knotColumn(const PlotArea& a, int j)
{
    return a.left + (j - 1) * knotSpacing(a);
}

int knotAt(const PlotArea& a, int x, int y)
{
    const int s = knotSpacing(a);
    if (s <= 0 || x < a.left || x > a.right || y < a.top || y > a.bottom)
        return 0;
    // The last slot also takes the few columns beyond 6 s.
    return std::min((x - a.left) / s + 1, NumKnots);
}

void knotsToModel(RegionalState& s, const PlotArea& a, const Model& m, double gravityMin,
                  double gravityMax)
{
    const double x1 = m.StationX[1];
    const double span = m.StationX[m.NumStations] - x1;
    const double w = a.width() > 0 ? a.width() : 1.0;
    const double h = a.bottom > a.top ? a.bottom - a.top : 1.0;
    for (int j = 1; j <= NumKnots; ++j) {
        const std::size_t k = static_cast<std::size_t>(j - 1);
        s.KnotX[k] = x1 + (knotColumn(a, j) - a.left) / w * span;
        s.KnotG[k] = gravityMax - (s.KnotRow[k] - a.top) / h * (gravityMax - gravityMin);
    }
}

double regionalAt(const RegionalState& s, const Model& m, double x)
{
    switch (s.RegionalMode) {
    case RegionalKind::Constant:
        return s.RegionalC;
    case RegionalKind::Linear:
        return s.RegionalM * (x - m.StationX[1]) + s.RegionalC;
    case RegionalKind::Spline:
        break;
    }
    const CubicSpline spline({s.KnotX.begin(), s.KnotX.end()}, {s.KnotG.begin(), s.KnotG.end()});
    return spline(x);
}

void subtractConstant(Model& m, double C)
{
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] -= C;
}

void subtractLinear(Model& m, double M, double C)
{
    const double x1 = m.StationX[1];
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] -= M * (m.StationX[i] - x1) + C;
}

void subtractSpline(Model& m, const CubicSpline& spline)
{
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] -= spline(m.StationX[i]);
}

void subtractRegional(Model& m, const RegionalState& s)
{
    switch (s.RegionalMode) {
    case RegionalKind::Constant:
        subtractConstant(m, s.RegionalC);
        return;
    case RegionalKind::Linear:
        subtractLinear(m, s.RegionalM, s.RegionalC);
        return;
    case RegionalKind::Spline:
        subtractSpline(m, CubicSpline({s.KnotX.begin(), s.KnotX.end()},
                                      {s.KnotG.begin(), s.KnotG.end()}));
        return;
    }
}

RegionalRecord regionalRecord(const RegionalState& s)
{
    switch (s.RegionalMode) {
    case RegionalKind::Constant:
        return {"constant", {s.RegionalC}};
    case RegionalKind::Linear:
        return {"linear", {s.RegionalM, s.RegionalC}};
    case RegionalKind::Spline:
        break;
    }
    RegionalRecord r{"spline", {}};
    for (int j = 0; j < NumKnots; ++j) {
        r.Coefficients.push_back(s.KnotX[static_cast<std::size_t>(j)]);
        r.Coefficients.push_back(s.KnotG[static_cast<std::size_t>(j)]);
    }
    return r;
}

void observedRange(const Model& m, double& gravityMin, double& gravityMax)
{
    gravityMin = 1.0e8;
    gravityMax = -1.0e8;
    for (int i = 1; i <= m.NumStations; ++i) {
        gravityMin = std::min(gravityMin, m.ObservedGravity[i]);
        gravityMax = std::max(gravityMax, m.ObservedGravity[i]);
    }
    if (gravityMin > 0 && gravityMin < 10)
        gravityMin = 0;
}

}  // namespace corvane
