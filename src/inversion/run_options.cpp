#include "inversion/run_options.h"

#include "inversion/outcome_texts.h"
#include "model/gradient.h"
#include "model/magnetic_data.h"

#include <cmath>

namespace corvane {

bool haveInversionData(const Model& m)
{
    return m.HaveObserved || haveObservedMagnetic(m);
}

int inversionBody(Workspace& ws)
{
    int& b = ws.inversion.InversionBody;
    if (b < 1 || b > ws.model.NumBodies)
        b = 1;
    return b;
}

InversionOptions storedInversionOptions(const Workspace& ws)
{
    const ExtrasState& x = ws.extras;
    InversionOptions o{.keepLinks = x.KeepLinkedCorners, .allBodies = x.AllBodies, .fitShift = x.FitShift};
    auto error = [](double v, double fallback) { return v > 0 && std::isfinite(v) ? v : fallback; };
    const TensorFlags observed = observedGradientComponents(ws.model);
    bool gradients = false;
    for (int c = 0; c < TensorComponents; ++c)
        if (observed[static_cast<std::size_t>(c)] && x.FitGradients[static_cast<std::size_t>(c)].Fit) {
            GradientFitChoice& g = o.gradients[static_cast<std::size_t>(c)];
            g = x.FitGradients[static_cast<std::size_t>(c)];
            g.Error = error(g.Error, GradientFitChoice{}.Error);
            gradients = true;
        }
    if (gradients) {
        // Gravity beside the gradients is weighed by its error too.
        o.useGravity = x.FitGravity && ws.model.HaveObserved;
        o.gravityError = error(x.GravityError, o.gravityError);
    }
    if (haveObservedMagnetic(ws.model)) {
        o.useGravity = x.FitGravity;
        o.useMagnetic = x.FitMagnetic;
        o.gravityError = error(x.GravityError, o.gravityError);
        o.magneticError = error(x.MagneticError, o.magneticError);
        // A magnetic survey alone: magnetics is all there is to fit.
        if (!ws.model.HaveObserved) {
            o.useGravity = false;
            o.useMagnetic = true;
        }
    }
    return o;
}

Status runStoredInversion(Workspace& ws, int iterations, const std::function<void()>& afterIteration,
                          RunReport* report)
{
    InversionOutcome ran = InversionOutcome::NothingSelected;
    if (ws.model.NumBodies >= 1)
        ran = runInversion(ws.model, ws.inversion, ws.display, inversionBody(ws), iterations, afterIteration,
                               report, storedInversionOptions(ws));
    switch (ran) {
    case InversionOutcome::NothingSelected:
        return fail(outcome::NothingSelected);
    case InversionOutcome::TooManyUnknowns:
        return fail(outcome::tooManyUnknowns(ws.extras.AllBodies));
    case InversionOutcome::Done:
        break;
    }
    return {};
}

ChoiceCount countChoices(const Model& m, int b)
{
    ChoiceCount c;
    for (int k = b == 0 ? 1 : b; k <= (b == 0 ? m.NumBodies : b); ++k) {
        const Tbody& body = m.Bodies[k];
        int x = 0, z = 0;
        for (int p = 1; p <= body.NumCorners - 1; ++p) {
            x += body.CornerInvertX[p];
            z += body.CornerInvertZ[p];
        }
        c.density += body.InvertDensity;
        c.position += body.InvertXPos;
        c.depth += body.InvertDepth;
        c.angle += body.InvertAngle;
        c.susceptibility += body.InvertSusceptibility;
        c.remanence += body.InvertRemanence;
        c.cornersX += x;
        c.cornersZ += z;
        if (!choicesText(body).empty())
            c.bodies.push_back(k);
    }
    return c;
}

std::string choicesText(const Tbody& body)
{
    std::string s;
    auto add = [&s](const std::string& part) { s += (s.empty() ? "" : ", ") + part; };
    if (body.InvertDensity)
        add("density");
    if (body.InvertXPos)
        add("position");
    if (body.InvertDepth)
        add("depth");
    if (body.InvertAngle)
        add("angle");
    if (body.InvertSusceptibility)
        add("susceptibility");
    if (body.InvertRemanence)
        add("remanence");
    int x = 0, z = 0;
    for (int p = 1; p <= body.NumCorners - 1; ++p) {
        x += body.CornerInvertX[p];
        z += body.CornerInvertZ[p];
    }
    auto corners = [](int n) { return std::to_string(n) + (n == 1 ? " corner" : " corners"); };
    if (x > 0)
        add("x of " + corners(x));
    if (z > 0)
        add("depth of " + corners(z));
    return s;
}

}  // namespace corvane
