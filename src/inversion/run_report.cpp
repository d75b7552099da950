#include "run_report.h"

#include "inversion/svd.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvane {

namespace {

std::string padded(std::string s, std::size_t width)
{
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

std::string rightAligned(const std::string& s, std::size_t width)
{
    return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

std::string significant(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3g", v);
    return buf;
}

}  // namespace

std::string boundText(Bound b)
{
    switch (b) {
    case Bound::Minimum:
        return "minimum";
    case Bound::Maximum:
        return "maximum";
    case Bound::None:
        break;
    }
    return {};
}

std::string errorText(const ParameterResult& p)
{
    if (p.atBound)
        return "at bound";
    if (!p.resolved)
        return "not resolved";
    return p.standardError ? significant(*p.standardError) : "-";
}

std::string errorsBasisText(const RunReport& report)
{
    if (!report.weighted.empty()) {
        const bool magnetic = !report.magneticRms.empty();
        std::string rows = report.gravityFitted && magnetic ? "gravity and magnetic stations"
                           : report.gravityFitted           ? "gravity stations"
                           : magnetic                       ? "magnetic stations"
                                                            : "";
        if (!report.gradientComponents.empty())
            rows += rows.empty() ? "gradient values" : " and gradient values";
        return "Standard errors from the undamped linearisation at the kept state, scaled by "
               "s^2 = sum (r / error)^2 / (N - M), N = " +
               std::to_string(report.stations) + " " + rows + ", M = " +
               std::to_string(report.freeParameters) + " free parameters.";
    }
    return "Standard errors from the undamped linearisation at the kept state, scaled by "
           "s^2 = sum r^2 / (N - M), N = " +
           std::to_string(report.stations) + " stations, M = " +
           std::to_string(report.freeParameters) + " free parameters.";
}

std::string keptText(const RunReport& report)
{
    if (report.kept == 0)
        return "No iteration fitted better than the start: the model is left as it was.";
    if (report.startOutsideBounds)
        return "The start lay outside the bounds: the model is left as after iteration " +
               std::to_string(report.kept) + ", the lowest misfit within them.";
    return "The model is left as after iteration " + std::to_string(report.kept) +
           ", the lowest misfit.";
}

std::string unresolvedText(const RunReport& report)
{
    std::string names;
    for (const ParameterResult& p : report.parameters)
        if (!p.resolved)
            names += (names.empty() ? "" : ", ") + p.name;
    return names.empty() ? names : "Not resolved by the data: " + names;
}

bool resolutionShown(const RunReport& report)
{
    return std::any_of(report.parameters.begin(), report.parameters.end(),
                       [](const ParameterResult& p) { return !p.resolved && p.resolution; });
}

std::string resolutionText(const ParameterResult& p)
{
    return p.resolution ? fixed(*p.resolution, 0, 3) : "-";
}

std::string resolutionNote()
{
    return "Resolution: the diagonal of the resolution matrix, 1 where the data determine a "
           "parameter, 0 where they do not constrain it.";
}

double correlationOf(const RunReport& report, std::size_t j, std::size_t k)
{
    if (j >= report.correlation.size() || k >= report.correlation[j].size())
        return std::nan("");
    return report.correlation[j][k];
}

std::vector<std::size_t> correlatedParameters(const RunReport& report)
{
    std::vector<std::size_t> shown;
    for (std::size_t k = 0; k < report.parameters.size(); ++k)
        if (std::isfinite(correlationOf(report, k, k)))
            shown.push_back(k);
    if (shown.size() < 2)
        shown.clear();
    return shown;
}

bool strongCorrelation(double r) { return std::fabs(r) > StrongCorrelation; }

std::string correlationText(double r, bool diagonal)
{
    if (!std::isfinite(r))
        return "-";
    return fixed(r, 0, 3) + (!diagonal && strongCorrelation(r) ? "*" : "");
}

std::string correlationHeading()
{
    return "Correlation of the free parameters (* where |r| > 0.9: the data trade them off)";
}

std::vector<std::string> gradientMisfitLines(const RunReport& report)
{
    std::vector<std::string> lines;
    if (report.gradientRms.empty())
        return lines;
    const std::vector<double>& start = report.gradientRms.front();
    const auto kept = static_cast<std::size_t>(std::max(report.kept, 0));
    const std::vector<double>& end = report.gradientRms[std::min(kept, report.gradientRms.size() - 1)];
    for (std::size_t c = 0; c < report.gradientComponents.size() && c < start.size() && c < end.size(); ++c)
        lines.push_back(report.gradientComponents[c] + " misfit " + fixed(start[c], 0, 2) + " E at the start, " +
                        fixed(end[c], 0, 2) + " E kept");
    return lines;
}

std::string shiftText(const RunReport& report)
{
    std::string gravity, magnetic;
    for (const ParameterResult& p : report.parameters) {
        if (p.shift == Shift::Gravity)
            gravity = "a constant regional of " + fixed(p.final, 0, p.decimals) +
                      " mGal with \"Modify the regional field\"";
        if (p.shift == Shift::Magnetic)
            magnetic = "a constant magnetic regional of " + fixed(p.final, 0, p.decimals) +
                       " nT with \"Modify the magnetic regional\"";
    }
    if (gravity.empty() && magnetic.empty())
        return {};
    if (!gravity.empty() && !magnetic.empty())
        return "A shift changes no body. To keep them, remove " + gravity + " and " + magnetic + ".";
    return "A shift changes no body. To keep it, remove " + (gravity.empty() ? magnetic : gravity) + ".";
}

std::string heldText(const ParameterResult& p, Bound bound, double value)
{
    return p.name + " held at its " + boundText(bound) + " " + fixed(value, 0, p.decimals);
}

std::string heldSummary(const RunReport& report)
{
    std::string text;
    for (const ParameterResult& p : report.parameters)
        if (p.bound != Bound::None)
            text += (text.empty() ? "" : ", ") + heldText(p, p.bound, p.boundValue);
    return text;
}

void beginHeld(RunReport& report)
{
    report.held.clear();
    if (report.heldIn.empty())
        report.heldIn.emplace_back();   // the start: no step, no bound
    report.heldIn.emplace_back();
}

void noteHeld(RunReport& report, std::size_t k, Bound bound, double value)
{
    const ParameterResult& p = report.parameters.at(k);
    if (report.heldIn.empty())
        report.heldIn.emplace_back();
    report.heldIn.back().push_back({k, bound, value});
    report.held += (report.held.empty() ? "" : ", ") + heldText(p, bound, value);
}

void keepHeld(RunReport& report)
{
    for (ParameterResult& p : report.parameters) {
        p.bound = Bound::None;
        p.boundValue = 0;
    }
    const auto kept = static_cast<std::size_t>(std::max(report.kept, 0));
    if (kept >= report.heldIn.size())
        return;
    for (const RunReport::HeldMark& h : report.heldIn[kept]) {
        ParameterResult& p = report.parameters.at(h.parameter);
        p.bound = h.bound;
        p.boundValue = h.value;
    }
}

std::string reportTable(const RunReport& report, const char* eol)
{
    std::size_t nameWidth = 9;   // "Parameter"
    for (const ParameterResult& p : report.parameters)
        nameWidth = std::max(nameWidth, p.name.size());
    nameWidth += 2;

    std::string out = report.title + ", distances in " + (report.unitsKm ? "km" : "m") +
                      ", density in g/cm3, rotation in degrees" + eol + eol;
    const bool resolution = resolutionShown(report);
    out += padded("Parameter", nameWidth) + "         Start         Final  Standard error" +
           (resolution ? "  Resolution" : "") + "  Bound" + eol;
    for (const ParameterResult& p : report.parameters) {
        std::string line = padded(p.name, nameWidth) + fixed(p.start, 14, p.decimals) +
                           fixed(p.final, 14, p.decimals) + rightAligned(errorText(p), 16) +
                           (resolution ? rightAligned(resolutionText(p), 12) : "") + "  " +
                           boundText(p.bound);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + eol;
    }
    out += eol;
    if (const std::vector<std::size_t> shown = correlatedParameters(report); !shown.empty()) {
        out += correlationHeading() + eol;
        std::string heading = padded("", nameWidth);
        std::vector<std::size_t> widths;
        for (std::size_t k : shown) {
            widths.push_back(std::max<std::size_t>(report.parameters[k].name.size(), 7) + 2);
            heading += rightAligned(report.parameters[k].name, widths.back()) + " ";
        }
        while (!heading.empty() && heading.back() == ' ')
            heading.pop_back();
        out += heading + eol;
        for (std::size_t row : shown) {
            std::string line = padded(report.parameters[row].name, nameWidth);
            for (std::size_t c = 0; c < shown.size(); ++c) {
                std::string cell = correlationText(correlationOf(report, row, shown[c]), row == shown[c]);
                if (cell.back() != '*')
                    cell += ' ';   // the numbers stay aligned beside a mark
                line += rightAligned(cell, widths[c] + 1);
            }
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            out += line + eol;
        }
        out += eol;
    }
    const bool magnetic = !report.magneticRms.empty();
    // A magnetic survey alone has no gravity misfit to show.
    const bool gravity = report.observedGravity || !magnetic;
    out += std::string("Iteration") + (gravity ? "    RMS (mGal)    Misfit" : "") +
           (magnetic ? " Mag. misfit (nT)" : "") + eol;
    for (std::size_t t = 0; t < report.misfits.size(); ++t) {
        out += integer(static_cast<long long>(t), 9);
        if (gravity)
            out += fixed(t < report.rms.size() ? report.rms[t] : 0.0, 14, 5) + fixed(report.misfits[t], 10, 2);
        if (magnetic)
            out += fixed(t < report.magneticRms.size() ? report.magneticRms[t] : 0.0, 17, 3);
        if (static_cast<int>(t) == report.kept)
            out += "  kept";
        out += eol;
    }
    out += eol + keptText(report) + eol;
    for (const std::string& line : gradientMisfitLines(report))
        out += line + "." + eol;
    if (const std::string held = heldSummary(report); !held.empty())
        out += held + "." + eol;
    if (const std::string unresolved = unresolvedText(report); !unresolved.empty())
        out += unresolved + eol;
    if (resolution)
        out += resolutionNote() + eol;
    out += errorsBasisText(report) + eol;
    if (const std::string shift = shiftText(report); !shift.empty())
        out += shift + eol;
    return out;
}

ErrorEstimate standardErrors(const std::vector<std::vector<double>>& J,
                             const std::vector<double>& r, const std::vector<bool>& held)
{
    const std::size_t all = J.size();
    const int N = static_cast<int>(r.size());
    ErrorEstimate e;
    e.errors.assign(all, std::nullopt);
    e.resolved.assign(all, true);
    e.correlation.assign(all, std::vector<double>(all, std::nan("")));
    e.resolution.assign(all, std::nullopt);
    // The free parameters: a parameter held at a bound is not estimated, and
    // its column takes no part in the others' errors.
    std::vector<std::size_t> free;
    for (std::size_t k = 0; k < all; ++k)
        if (k >= held.size() || !held[k])
            free.push_back(k);
    const int M = static_cast<int>(free.size());
    e.freeParameters = M;
    if (M == 0)
        return e;
    auto at = [](int i) { return static_cast<std::size_t>(i); };

    // Each column scaled to unit length, so that the test does not depend on
    // the units of the parameters.
    std::vector<double> norm(at(M), 0.0);
    for (int k = 0; k < M; ++k) {
        double sum = 0;
        for (int i = 0; i < N; ++i)
            sum += J[free[at(k)]][at(i)] * J[free[at(k)]][at(i)];
        norm[at(k)] = std::sqrt(sum);
    }
    Matrix A(M, M);
    for (int k = 0; k < M; ++k)
        for (int l = k; l < M; ++l) {
            if (!(norm[at(k)] > 0) || !(norm[at(l)] > 0) || !std::isfinite(norm[at(k)]) ||
                !std::isfinite(norm[at(l)]))
                continue;
            double sum = 0;
            for (int i = 0; i < N; ++i)
                sum += J[free[at(k)]][at(i)] * J[free[at(l)]][at(i)];
            A(k, l) = A(l, k) = sum / (norm[at(k)] * norm[at(l)]);
        }
    // The eigenvalues of the scaled J'J are the squares of the scaled
    // Jacobian's singular values.
    const Svd d = decomposeSvd(A);
    auto weak = [&](int j) { return !(std::sqrt(std::max(d.w[at(j)], 0.0)) >= ResolutionThreshold); };

    double sumR2 = 0;
    for (double x : r)
        sumR2 += x * x;
    const bool haveS2 = N > M && std::isfinite(sumR2);
    const double s2 = haveS2 ? sumR2 / (N - M) : 0;
    std::vector<double> scaledVariance(at(M), 0.0);
    for (int k = 0; k < M; ++k) {
        const std::size_t p = free[at(k)];
        double variance = 0;
        bool resolved = norm[at(k)] > 0 && std::isfinite(norm[at(k)]);
        // The resolution matrix of the truncated solution is V V' over the
        // directions kept; its diagonal is the parameter's share of them.
        double share = 0;
        for (int j = 0; j < M && resolved; ++j)
            if (!weak(j))
                share += d.v(k, j) * d.v(k, j);
        e.resolution[p] = std::clamp(share, 0.0, 1.0);
        for (int j = 0; j < M && resolved; ++j) {
            const double v = d.v(k, j);
            if (weak(j))
                resolved = v * v < SignificantShare;
            else
                variance += v * v / d.w[at(j)];
        }
        e.resolved[p] = resolved;
        scaledVariance[at(k)] = variance;
        if (resolved && haveS2)
            e.errors[p] = std::sqrt(s2 * variance) / norm[at(k)];
    }
    // The correlations among the parameters that got an error, from the same
    // covariance over the strong directions; the column scaling cancels.
    for (int k = 0; k < M; ++k) {
        const std::size_t p = free[at(k)];
        if (!e.errors[p])
            continue;
        for (int l = k; l < M; ++l) {
            const std::size_t q = free[at(l)];
            if (!e.errors[q])
                continue;
            double ckl = 0;
            for (int j = 0; j < M; ++j)
                if (!weak(j))
                    ckl += d.v(k, j) * d.v(l, j) / d.w[at(j)];
            const double c = k == l ? 1.0
                                    : std::clamp(ckl / std::sqrt(scaledVariance[at(k)] *
                                                                 scaledVariance[at(l)]),
                                                 -1.0, 1.0);
            e.correlation[p][q] = e.correlation[q][p] = c;
        }
    }
    return e;
}

}  // namespace corvane
