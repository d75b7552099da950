// The run driver: the iteration count typed, the whole run with its
// refusals, the best state kept, and the report filled as it goes.
#include "inversion/least_squares.h"

#include "inversion/fits.h"
#include "model/magnetic_data.h"

#include <algorithm>

namespace corvane {

int inversionIterationCount(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    if (!s.empty() && (s.front() == '+' || s.front() == '-'))
        s.remove_prefix(1);
    if (s.empty())
        return 10;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return 10;
        v = std::min(v * 10 + (c - '0'), 1000LL);   // saturate: only "more than 255" matters
    }
    return static_cast<int>(std::min(v, 255LL));
}

namespace {

// The fitted levels added to the model's calculated anomalies while the
// report takes its misfits, then the anomalies put back exactly.
class LevelsAdded {
public:
    LevelsAdded(Model& m, const Inversion& run) : m_(m)
    {
        const double g = run.gravityShift(), h = run.magneticShift();
        if (g != 0) {
            gravity_.assign(m.CalculatedGravity.data(),
                            m.CalculatedGravity.data() + std::max(m.NumStations, 0));
            for (int i = 1; i <= m.NumStations; ++i)
                m.CalculatedGravity[i] += g;
        }
        if (h != 0) {
            magnetic_.assign(m.Mag.Calculated.data(), m.Mag.Calculated.data() + std::max(m.Mag.Num, 0));
            for (int i = 1; i <= m.Mag.Num; ++i)
                m.Mag.Calculated[i] += h;
        }
    }
    ~LevelsAdded()
    {
        std::copy(gravity_.begin(), gravity_.end(), m_.CalculatedGravity.data());
        std::copy(magnetic_.begin(), magnetic_.end(), m_.Mag.Calculated.data());
    }
    LevelsAdded(const LevelsAdded&) = delete;
    LevelsAdded& operator=(const LevelsAdded&) = delete;

private:
    Model& m_;
    std::vector<double> gravity_;
    std::vector<double> magnetic_;
};

// "body 2", "bodies 1, 2 and 4".
std::string bodiesText(const std::vector<int>& bodies)
{
    if (bodies.size() == 1)
        return "body " + std::to_string(bodies[0]);
    std::string text = "bodies ";
    for (std::size_t i = 0; i < bodies.size(); ++i)
        text += (i == 0 ? "" : i + 1 == bodies.size() ? " and " : ", ") + std::to_string(bodies[i]);
    return text;
}

}  // namespace

InversionOutcome runInversion(Model& m, InversionState& inv, DepthRange view, int b,
                              int iterations, const std::function<void()>& afterIteration,
                              RunReport* report, InversionOptions options)
{
    const bool magnetic = options.useMagnetic && haveObservedMagnetic(m);
    if (!options.allBodies &&
        countUnknowns(m.Bodies[b]) +
                (magnetic && (options.invertSusceptibility || m.Bodies[b].InvertSusceptibility)) +
                (magnetic && (options.invertRemanence || m.Bodies[b].InvertRemanence)) >
            MaxUnknowns)
        return InversionOutcome::TooManyUnknowns;
    // Unlinks the body's corners unless they are kept; over all bodies it
    // changes nothing, so the count can be refused after it.
    Inversion run(m, view, b, options);
    if (options.allBodies && run.bodyUnknowns() > MaxUnknownsAllBodies)
        return InversionOutcome::TooManyUnknowns;
    inv.NumIterations = iterations;
    if (run.bodyUnknowns() == 0)
        return InversionOutcome::NothingSelected;

    RunReport local;
    RunReport& rep = report ? *report : local;
    std::vector<int> named{b};
    if (options.allBodies) {
        named.clear();
        for (const Unknown& u : run.unknowns())
            if (u.body != 0 && std::find(named.begin(), named.end(), u.body) == named.end())
                named.push_back(u.body);
    }
    startReport(rep, m, "Inversion of " + bodiesText(named));
    rep.gravityFitted = run.options().useGravity;
    const std::vector<double> start = run.values();
    for (std::size_t k = 0; k < start.size(); ++k) {
        const Unknown& u = run.unknowns()[k];
        rep.parameters.push_back({.name = unknownName(u, options.allBodies),
                                  .start = start[k],
                                  .decimals = unknownAccess(u.kind).decimals,
                                  .shift = u.kind == UnknownKind::GravityShift    ? Shift::Gravity
                                           : u.kind == UnknownKind::MagneticShift ? Shift::Magnetic
                                           : u.kind == UnknownKind::GradientShift ? Shift::Gradient
                                                                                  : Shift::None});
    }

    std::vector<double> r;
    const bool joint = run.weighted();
    for (int c : run.gradientComponents())
        rep.gradientComponents.push_back(gradientComponentName(c));
    auto recordMagnetic = [&] {
        if (!joint)
            return;
        if (run.options().useMagnetic) {
            const LevelsAdded levels(m, run);
            rep.magneticRms.push_back(magneticMisfit(m).value_or(0));
        }
        if (!run.gradientComponents().empty())
            rep.gradientRms.push_back(run.gradientRms());
        rep.weighted.push_back(run.misfit(r));
    };
    recordMagnetic();
    // The run keeps the state of the lowest misfit it minimises.
    auto misfitNow = [&] { return joint ? rep.weighted.back() : rep.rms.back(); };

    BestState best;
    BodyShapes bestShapes;
    Inversion::Progress bestProgress;
    auto keep = [&] {
        bestShapes.take(m, run.bodies());
        bestProgress = run.progress();
    };
    rep.startOutsideBounds = !run.withinBounds();
    if (!rep.startOutsideBounds && best.offer(misfitNow(), 0))
        keep();
    for (int t = 1; t <= iterations; ++t) {
        inv.IterationCount = t;
        run.iterate(t);
        {
            const LevelsAdded levels(m, run);
            recordMisfit(rep, m);
        }
        recordMagnetic();
        beginHeld(rep);
        const std::vector<double> now = run.values();
        for (std::size_t k = 0; k < now.size(); ++k)
            if (run.held()[k] != Bound::None)
                noteHeld(rep, k, run.held()[k], now[k]);
        if (best.offer(misfitNow(), t))
            keep();
        if (afterIteration)
            afterIteration();
    }
    if (best.iteration >= 0 && best.iteration != iterations) {
        bestShapes.restore(m);
        run.setProgress(bestProgress);
    }
    rep.kept = best.iteration >= 0 ? best.iteration : iterations;
    keepHeld(rep);

    const std::vector<double> final = run.values();
    const std::vector<bool> held = run.atBounds();
    const ErrorEstimate errors = run.errors(held);
    for (std::size_t k = 0; k < final.size(); ++k) {
        rep.parameters[k].final = final[k];
        rep.parameters[k].standardError = errors.errors[k];
        rep.parameters[k].resolved = errors.resolved[k];
        rep.parameters[k].atBound = held[k];
        rep.parameters[k].resolution = errors.resolution[k];
    }
    rep.correlation = errors.correlation;
    rep.stations = m.NumStations;
    if (joint) {
        run.misfit(r);
        rep.stations = static_cast<int>(r.size());   // the rows of the weighted system
    }
    rep.freeParameters = errors.freeParameters;
    inv.IterationCount = 0;
    return InversionOutcome::Done;
}

}  // namespace corvane
