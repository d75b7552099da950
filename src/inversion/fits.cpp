#include "fits.h"

#include "model/density_law.h"
#include "model/gravity.h"
#include "model/ground.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace corvane {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i - 1); }

// Corner k of body b has moved: its linked partner takes the same position,
// and the partner's body is noted for recalculation.
void carryCorner(Model& m, int b, int k, std::set<int>& partners)
{
    int pb = 0, pk = 0;
    if (!m.partnerOf(b, k, pb, pk))
        return;
    const Tbody& body = m.Bodies[b];
    m.Bodies[pb].setCorner(pk, body.CornerX[k], body.CornerZ[k]);
    partners.insert(pb);
}

void recalculate(Model& m, const std::set<int>& bodies)
{
    for (int pb : bodies)
        m.UpdateBody(pb);
}

struct Snapshot {
    std::vector<double> calculated;
    std::vector<double> gravity;
    std::vector<double> magCalculated;
    std::vector<double> magnetic;
    void take(const Model& m, int b)
    {
        const auto n = static_cast<std::size_t>(m.NumStations);
        calculated.assign(m.CalculatedGravity.data(), m.CalculatedGravity.data() + n);
        gravity.assign(m.Bodies[b].Gravity.data(), m.Bodies[b].Gravity.data() + n);
        const auto nm = static_cast<std::size_t>(std::max(m.Mag.Num, 0));
        magCalculated.assign(m.Mag.Calculated.data(), m.Mag.Calculated.data() + nm);
        magnetic.assign(m.Bodies[b].Magnetic.data(), m.Bodies[b].Magnetic.data() + nm);
    }
    void restore(Model& m, int b) const
    {
        std::copy(calculated.begin(), calculated.end(), m.CalculatedGravity.data());
        std::copy(gravity.begin(), gravity.end(), m.Bodies[b].Gravity.data());
        std::copy(magCalculated.begin(), magCalculated.end(), m.Mag.Calculated.data());
        std::copy(magnetic.begin(), magnetic.end(), m.Bodies[b].Magnetic.data());
    }
};

// delta = sum r J / (sum J^2 + lambda): the damped step with one unknown.
double oneUnknownStep(const std::vector<double>& r, const std::vector<double>& J, double lambda)
{
    double rj = 0, jj = 0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        rj += r[i] * J[i];
        jj += J[i] * J[i];
    }
    const double denominator = jj + lambda;
    return denominator > 0 ? rj / denominator : 0;
}

// What the body's own figures were, to tell a change of density alone (gravity
// alone) from one of its shape or strike lengths (both fields).
class BodyChangeNote {
public:
    explicit BodyChangeNote(const Tbody& body)
        : x_(body.CornerX), z_(body.CornerZ), strike1_(body.StrikeLength1), strike2_(body.StrikeLength2)
    {
    }
    BodyChange change(const Tbody& body) const
    {
        const bool same = body.StrikeLength1 == strike1_ && body.StrikeLength2 == strike2_ &&
                          body.CornerX == x_ && body.CornerZ == z_;
        return same ? BodyChange::Density : BodyChange::Shape;
    }

private:
    Array1<double, MaxCorners> x_, z_;
    double strike1_, strike2_;
};

// The law boxes into the body; true when that changed it.
bool applyLaw(Tbody& body, const PropertyBoxes& boxes)
{
    const DensityLaw law0 = body.Law;
    const double rate0 = body.LawRate, z00 = body.LawZ0;
    if (boxes.law && *boxes.law == DensityLaw::Constant) {
        clearDensityLaw(body);
    } else {
        if (boxes.law)
            body.Law = *boxes.law;
        if (body.Law != DensityLaw::Constant && boxes.lawRate)
            body.LawRate = *boxes.lawRate;
        if (body.Law != DensityLaw::Constant && boxes.lawZ0)
            body.LawZ0 = *boxes.lawZ0;
    }
    return body.Law != law0 || body.LawRate != rate0 || body.LawZ0 != z00;
}

}  // namespace

BodyFigures bodyFigures(const Tbody& body)
{
    BodyFigures f;
    for (int k = 1; k <= body.NumCorners - 1; ++k) {
        f.top = std::min(f.top, body.CornerZ[k]);
        f.left = std::min(f.left, body.CornerX[k]);
        f.right = std::max(f.right, body.CornerX[k]);
    }
    return f;
}

void shiftBodyDepth(Model& m, int b, double dz, double floor)
{
    Tbody& body = m.Bodies[b];
    std::set<int> partners;
    const Ground ground(m);
    for (int k = 1; k <= body.NumCorners; ++k) {
        body.CornerZ[k] += dz;
        // floor below the ground (below depth 0 without station heights)
        const double lowest = ground.depthAt(body.CornerX[k]) + floor;
        if (body.CornerZ[k] < lowest)
            body.CornerZ[k] = lowest;
        carryCorner(m, b, k, partners);
    }
    recalculate(m, partners);
}

bool scaleBodyWidth(Model& m, int b, double newWidth)
{
    Tbody& body = m.Bodies[b];
    const BodyFigures f = bodyFigures(body);
    const double w = f.width();
    if (!(w > 0))
        return false;
    const double ratio = newWidth / w;
    const double centre = f.centre();
    std::set<int> partners;
    for (int k = 1; k <= body.NumCorners; ++k) {
        body.CornerX[k] = centre + ratio * (body.CornerX[k] - centre);
        carryCorner(m, b, k, partners);
    }
    recalculate(m, partners);
    return true;
}

StrictApplyResult applyPropertiesStrict(Model& m, int b, const PropertyBoxes& boxes)
{
    StrictApplyResult result;
    Tbody& body = m.Bodies[b];
    const BodyChangeNote note(body);
    if (boxes.density)
        body.Density = *boxes.density;
    applyLaw(body, boxes);
    if (boxes.depth) {
        // A top typed above the surface takes the body up until its top is
        // there, keeping its shape.
        result.depthShift = shapeKeepingShift(m, body, *boxes.depth - bodyFigures(body).top, 1e-6);
        if (std::abs(result.depthShift.dz) > 1e-6)
            shiftBodyDepth(m, b, result.depthShift.dz, 1e-6);
    }
    if (boxes.width) {
        double w = *boxes.width;
        if (w < 0.001) {
            w = std::max(std::abs(w), 0.001);
            result.correctedWidth = w;
        }
        result.widthRefused = !scaleBodyWidth(m, b, w);
    }
    if (boxes.strike1)
        body.StrikeLength1 = *boxes.strike1;
    if (boxes.strike2)
        body.StrikeLength2 = *boxes.strike2;
    m.UpdateBody(b, note.change(body));
    return result;
}

bool applyPropertiesOnChange(Model& m, int b, const PropertyBoxes& boxes)
{
    Tbody& body = m.Bodies[b];
    const BodyChangeNote note(body);
    bool changed = false;
    if (boxes.density && std::abs(*boxes.density - body.Density) > 0.0001) {
        body.Density = *boxes.density;
        changed = true;
    }
    changed = applyLaw(body, boxes) || changed;
    if (boxes.depth) {
        const double shift = shapeKeepingShift(m, body, *boxes.depth - bodyFigures(body).top, 1e-6).dz;
        if (std::abs(shift) > 0.0001) {
            changed = true;
            shiftBodyDepth(m, b, shift, 1e-6);
        }
    }
    if (boxes.width && std::abs(*boxes.width - bodyFigures(body).width()) > 0.0001) {
        if (scaleBodyWidth(m, b, *boxes.width))
            changed = true;
    }
    if (boxes.strike1) {
        changed = changed || std::abs(*boxes.strike1 - body.StrikeLength1) > 0.01;
        body.StrikeLength1 = *boxes.strike1;
    }
    if (boxes.strike2) {
        changed = changed || std::abs(*boxes.strike2 - body.StrikeLength2) > 0.01;
        body.StrikeLength2 = *boxes.strike2;
    }
    if (changed)
        m.UpdateBody(b, note.change(body));
    return changed;
}

int nextVisibleBody(const Model& m, int from, int dir)
{
    const int n = m.NumBodies;
    if (n < 1)
        return from;
    int b = from;
    for (int step = 0; step < n; ++step) {
        b += dir;
        if (b > n)
            b = 1;
        if (b < 1)
            b = n;
        if (!m.Bodies[b].Hidden)
            return b;
    }
    return from;
}

int fitIterationCount(double typed)
{
    const double v = std::clamp(std::abs(typed), 1.0, 100.0);
    return static_cast<int>(roundHalfEven(v));
}

double nextDamping(double lambda, double e, double e0)
{
    if (e > e0)
        return std::min(1.5 * lambda, 50.0);
    return 0.6666 * lambda;
}

double residuals(const Model& m, std::vector<double>& r)
{
    const int n = m.NumStations;
    r.resize(static_cast<std::size_t>(std::max(n, 0)));
    double sum = 0;
    for (int i = 1; i <= n; ++i) {
        r[at(i)] = m.ObservedGravity[i] - m.CalculatedGravity[i];
        sum += r[at(i)] * r[at(i)];
    }
    return n > 0 ? std::sqrt(sum / n) : 0;
}

void BodyShapes::take(const Model& m, const std::vector<int>& bodies)
{
    shapes_.clear();
    for (int b : bodies) {
        const Tbody& body = m.Bodies[b];
        shapes_.push_back({b, body.Density, body.Susceptibility, body.Remanence, body.CornerX, body.CornerZ});
    }
}

void BodyShapes::restore(Model& m) const
{
    for (const Shape& s : shapes_) {
        Tbody& body = m.Bodies[s.body];
        body.Density = s.density;
        body.Susceptibility = s.susceptibility;
        body.Remanence = s.remanence;
        body.CornerX = s.x;
        body.CornerZ = s.z;
    }
    for (const Shape& s : shapes_)
        m.UpdateBody(s.body);
}

void anomalyPerUnitDensity(const Model& m, const Tbody& body, std::vector<double>& out)
{
    const int N = std::max(m.NumStations, 0);
    out.assign(static_cast<std::size_t>(N), 0.0);
    // A hidden body adds nothing to the calculated anomaly.
    if (body.Hidden)
        return;
    // A linear density law adds a part that does not scale with the
    // density: the derivative is the body's anomaly at a constant contrast 1.
    const bool affine = body.Law == DensityLaw::Linear && variesWithDepth(body);
    if (body.Density != 0 && !affine) {
        for (int i = 1; i <= N; ++i)
            out[at(i)] = body.Gravity[i] / body.Density;
        return;
    }
    // Density 0: the anomaly of the same body at density 1, which Gravity /
    // Density gives for any other density.
    auto unit = std::make_unique<Tbody>(body);
    unit->Density = 1;
    if (affine)
        clearDensityLaw(*unit);
    bodyAnomaly(*unit, m.StationX.data(), N, m.UnitsKm, out.data(), m.StationHeight.data());
}

void startReport(RunReport& report, const Model& m, std::string title)
{
    report = RunReport{};
    report.title = std::move(title);
    report.unitsKm = m.UnitsKm;
    report.observedGravity = m.HaveObserved;
    recordMisfit(report, m);
}

void recordMisfit(RunReport& report, const Model& m)
{
    std::vector<double> r;
    report.rms.push_back(residuals(m, r));
    report.misfits.push_back(misfit(m));
}

namespace {

// The standard error of a fit's one unknown in the kept state, from its
// derivative J per model unit; perKm is the unknown's model units per km.
void oneUnknownError(const Model& m, RunReport& report, std::vector<double> J, double perKm,
                     const Bounds& bounds)
{
    ParameterResult& p = report.parameters.at(0);
    p.atBound = onBound(p.final, bounds.min) || onBound(p.final, bounds.max);
    for (double& x : J)
        x *= perKm;
    std::vector<double> r;
    residuals(m, r);
    const ErrorEstimate e = standardErrors({J}, r, {p.atBound});
    p.resolved = e.resolved[0];
    p.resolution = e.resolution[0];
    if (e.errors[0])
        p.standardError = *e.errors[0] * perKm;
    report.stations = m.NumStations;
    report.freeParameters = e.freeParameters;
    report.correlation = e.correlation;
}

}  // namespace

namespace {

// A fit of one property of body b (its density or its law's rate) within
// bounds. derivative fills J from the state after copy was taken and leaves
// the model as it found it; finalDerivative gives J for the standard error
// of the state kept.
struct PropertyFit {
    double Tbody::*field;
    ParameterResult parameter;
    Bounds bounds;
    std::function<void(std::vector<double>& J, const Snapshot& copy)> derivative;
    std::function<void(std::vector<double>& J)> finalDerivative;
};

FitOutcome fitProperty(Model& m, InversionState& inv, int b, const PropertyFit& fit,
                       const std::string& title, const std::function<void()>& afterIteration,
                       RunReport* report)
{
    if (!m.HaveObserved)
        return FitOutcome::NoFieldData;
    Tbody& body = m.Bodies[b];
    double& value = body.*fit.field;
    RunReport local;
    RunReport& rep = report ? *report : local;
    startReport(rep, m, title + " fit of body " + std::to_string(b));
    rep.parameters.push_back(fit.parameter);
    ParameterResult& result = rep.parameters.back();
    result.start = value;
    const Bounds& bounds = fit.bounds;

    double lambda = 2;
    double p = value;
    double e0 = 0;
    BestState best;
    double bestValue = value;
    rep.startOutsideBounds = !bounds.holds(value);
    if (!rep.startOutsideBounds)
        best.offer(rep.rms.back(), 0);
    inv.IterationCount = 0;
    Snapshot copy;
    std::vector<double> r, J(static_cast<std::size_t>(m.NumStations));
    while (inv.IterationCount < inv.NumIterations) {
        ++inv.IterationCount;
        copy.take(m, b);
        const double e = residuals(m, r);
        if (inv.IterationCount == 1)
            e0 = e;
        fit.derivative(J, copy);

        lambda = nextDamping(lambda, e, e0);
        e0 = e;
        Bound held = Bound::None;
        p = bounds.limit(p + oneUnknownStep(r, J, lambda), held);
        beginHeld(rep);
        if (held != Bound::None)
            noteHeld(rep, 0, held, p);

        value = p;
        m.UpdateBody(b, BodyChange::Density);
        recordMisfit(rep, m);
        if (best.offer(rep.rms.back(), inv.IterationCount))
            bestValue = p;
        if (afterIteration)
            afterIteration();
    }
    if (best.iteration >= 0 && best.iteration != inv.IterationCount) {
        value = bestValue;
        m.UpdateBody(b, BodyChange::Density);
    }
    rep.kept = best.iteration >= 0 ? best.iteration : inv.IterationCount;
    keepHeld(rep);
    result.final = value;
    fit.finalDerivative(J);
    oneUnknownError(m, rep, J, 1.0, bounds);
    inv.IterationCount = 0;
    return FitOutcome::Done;
}

}  // namespace

FitOutcome densityFit(Model& m, InversionState& inv, int b,
                      const std::function<void()>& afterIteration, RunReport* report)
{
    Tbody& body = m.Bodies[b];
    // The anomaly is linear in density (affine under a linear law): a 5 %
    // change gives the derivative. A body of density 0 is perturbed to
    // density 1 instead, which keeps the derivative finite where 5 % of
    // nothing would divide 0 by 0.
    auto derivative = [&](std::vector<double>& J, const Snapshot& copy) {
        const double d = body.Density;
        const double perturbed = d != 0 ? 1.05 * d : 1.0;
        const double divisor = d != 0 ? 0.05 * perturbed : 1.05;
        body.Density = perturbed;
        m.UpdateBody(b, BodyChange::Density);
        for (int i = 1; i <= m.NumStations; ++i)
            J[at(i)] = (m.CalculatedGravity[i] - copy.calculated[at(i)]) / divisor;
        copy.restore(m, b);
        body.Density = d;
    };
    const PropertyFit fit{&Tbody::Density, {.name = "Density", .decimals = DensityDecimals},
                          densityBounds(body), derivative,
                          [&](std::vector<double>& J) { anomalyPerUnitDensity(m, body, J); }};
    return fitProperty(m, inv, b, fit, "Density", afterIteration, report);
}

void lawRateDerivative(const Model& m, const Tbody& body, std::vector<double>& J)
{
    const int N = std::max(m.NumStations, 0);
    J.assign(static_cast<std::size_t>(N), 0.0);
    if (body.Hidden || N == 0)
        return;
    const Bounds b = lawRateBounds(body);
    const double step = 1e-3 * std::max({std::abs(body.LawRate), std::abs(b.min), std::abs(b.max), 1e-9});
    auto moved = std::make_unique<Tbody>(body);
    std::vector<double> down(J.size());
    moved->LawRate = body.LawRate + step;
    bodyAnomaly(*moved, m.StationX.data(), N, m.UnitsKm, J.data(), m.StationHeight.data());
    moved->LawRate = body.LawRate - step;
    bodyAnomaly(*moved, m.StationX.data(), N, m.UnitsKm, down.data(), m.StationHeight.data());
    for (std::size_t i = 0; i < J.size(); ++i)
        J[i] = (J[i] - down[i]) / (2 * step);
}

FitOutcome lawRateFit(Model& m, InversionState& inv, int b,
                      const std::function<void()>& afterIteration, RunReport* report)
{
    const Tbody& body = m.Bodies[b];
    if (body.Law == DensityLaw::Constant)
        return FitOutcome::NoLaw;
    const std::string name = body.Law == DensityLaw::Exponential ? "Decay" : "Gradient";
    auto derivative = [&](std::vector<double>& J) { lawRateDerivative(m, body, J); };
    const PropertyFit fit{&Tbody::LawRate, {.name = name, .decimals = DensityDecimals},
                          lawRateBounds(body),
                          [&](std::vector<double>& J, const Snapshot&) { derivative(J); }, derivative};
    return fitProperty(m, inv, b, fit, name, afterIteration, report);
}

FitOutcome depthFit(Model& m, InversionState& inv, DepthRange view, int b,
                    const std::function<void()>& afterIteration, RunReport* report)
{
    if (!m.HaveObserved)
        return FitOutcome::NoFieldData;
    const double h = std::abs(0.025 * (view.max - view.min));
    if (!(h > 0) || !std::isfinite(h))
        return FitOutcome::ZeroDepthRange;
    Tbody& body = m.Bodies[b];
    const int n = body.NumCorners;
    for (int k = 1; k <= n; ++k)
        m.UnlinkCorner(b, k);

    RunReport local;
    RunReport& rep = report ? *report : local;
    startReport(rep, m, "Depth fit of body " + std::to_string(b));
    rep.parameters.push_back(
        {.name = "Depth (corner 1)", .start = body.CornerZ[1], .decimals = DistanceDecimals});
    ParameterResult& result = rep.parameters.back();
    const Bounds bounds = depthBounds(view, body);
    const double perKm = unitsPerKm(m);

    double lambda = 2;
    double p = body.CornerZ[1];
    double e0 = 0;
    BestState best;
    BodyShapes bestShape;
    bestShape.take(m, {b});
    rep.startOutsideBounds = !bounds.holds(body.CornerZ[1]);
    if (!rep.startOutsideBounds)
        best.offer(rep.rms.back(), 0);
    inv.IterationCount = 0;
    Snapshot copy;
    std::vector<double> r, J(static_cast<std::size_t>(m.NumStations));
    std::vector<double> savedZ(static_cast<std::size_t>(n));
    auto derivative = [&] {
        for (int k = 1; k <= n; ++k) {
            savedZ[at(k)] = body.CornerZ[k];
            body.CornerZ[k] += h;
        }
        m.UpdateBody(b);
        for (int i = 1; i <= m.NumStations; ++i)
            J[at(i)] = (m.CalculatedGravity[i] - copy.calculated[at(i)]) / h;
        copy.restore(m, b);
        for (int k = 1; k <= n; ++k)   // exactly as before, not z + h - h
            body.CornerZ[k] = savedZ[at(k)];
    };
    while (inv.IterationCount < inv.NumIterations) {
        ++inv.IterationCount;
        copy.take(m, b);
        const double e = residuals(m, r);
        if (inv.IterationCount == 1)
            e0 = e;
        derivative();

        lambda = nextDamping(lambda, e, e0);
        e0 = e;
        // The step with the depth in kilometres.
        for (double& x : J)
            x *= perKm;
        Bound held = Bound::None;
        p = bounds.limit(p + oneUnknownStep(r, J, lambda) * perKm, held);
        beginHeld(rep);
        if (held != Bound::None)
            noteHeld(rep, 0, held, p);

        const double move = std::clamp(p - body.CornerZ[1], -2 * h, 2 * h);
        for (int k = 1; k <= n; ++k)
            body.CornerZ[k] += move;
        m.UpdateBody(b);
        recordMisfit(rep, m);
        if (best.offer(rep.rms.back(), inv.IterationCount))
            bestShape.take(m, {b});
        if (afterIteration)
            afterIteration();
    }
    if (best.iteration >= 0 && best.iteration != inv.IterationCount)
        bestShape.restore(m);
    rep.kept = best.iteration >= 0 ? best.iteration : inv.IterationCount;
    keepHeld(rep);
    result.final = body.CornerZ[1];
    copy.take(m, b);
    derivative();
    oneUnknownError(m, rep, J, perKm, bounds);
    inv.IterationCount = 0;
    return FitOutcome::Done;
}

}  // namespace corvane
