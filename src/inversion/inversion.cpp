// One inversion run's working state: its unknowns and the bodies they move,
// the bounds each body keeps, the values now and the state to go back to.
#include "inversion/least_squares.h"

#include "model/gradient.h"
#include "model/magnetic_data.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

std::size_t ix(int k) { return static_cast<std::size_t>(k); }

bool contains(const std::vector<int>& v, int x)
{
    return std::find(v.begin(), v.end(), x) != v.end();
}

}  // namespace

Inversion::Inversion(Model& m, DepthRange view, int body, InversionOptions options)
    : m_(m), view_(view), b_(body), options_(options)
{
    if (options_.allBodies) {
        options_.keepLinks = true;   // linked corners move together
    } else if (!options_.keepLinks) {
        // The inversion moves this body only: links to other bodies are dropped.
        for (int k = 1; k <= m_.Bodies[b_].NumCorners; ++k)
            m_.UnlinkCorner(b_, k);
    }
    if (!haveObservedMagnetic(m_))
        options_.useMagnetic = false;
    // Each chosen gradient component's rows: the stations where it was
    // observed, in the profile frame. A component observed nowhere is not
    // fitted, nor is its shift.
    std::vector<GravityTensor> seen(ix(std::max(m_.Grad.Num, 0)));
    std::vector<TensorFlags> has(seen.size());
    for (int i = 1; i <= m_.Grad.Num; ++i)
        observedInProfileFrame(m_, i, seen[ix(i - 1)], has[ix(i - 1)]);
    for (int c = 0; c < TensorComponents; ++c) {
        GradientFitChoice& choice = options_.gradients[ix(c)];
        if (!(choice.Error > 0) || !std::isfinite(choice.Error))
            choice.Error = GradientFitChoice{}.Error;
        const std::size_t before = gradientRows_.size();
        for (std::size_t i = 0; choice.Fit && i < seen.size(); ++i)
            if (has[i][ix(c)])
                gradientRows_.push_back({static_cast<int>(i) + 1, c, seen[i][c]});
        if (gradientRows_.size() == before)
            choice.Fit = choice.Shift = false;
        else
            gradientFitted_.push_back(c);
    }
    if (!options_.useMagnetic && gradientFitted_.empty())
        options_.useGravity = true;   // something is always fitted
    weighted_ = options_.useMagnetic || !gradientFitted_.empty();
    options_.invertSusceptibility = options_.useMagnetic &&
                                    (options_.invertSusceptibility || m_.Bodies[b_].InvertSusceptibility);
    options_.invertRemanence = options_.useMagnetic &&
                               (options_.invertRemanence || m_.Bodies[b_].InvertRemanence);
    if (options_.allBodies) {
        for (int b = 1; b <= m_.NumBodies; ++b)
            addBody(b, false);
    } else {
        addBody(b_, true);
    }
    if (options_.fitShift) {
        if (options_.useGravity) {
            gravityLevel_ = static_cast<int>(unknowns_.size());
            unknowns_.push_back({UnknownKind::GravityShift, 0, 0.0, 0});
        }
        if (options_.useMagnetic) {
            magneticLevel_ = static_cast<int>(unknowns_.size());
            unknowns_.push_back({UnknownKind::MagneticShift, 0, 0.0, 0});
        }
    }
    for (int c : gradientFitted_)
        if (options_.gradients[ix(c)].Shift) {
            gradientLevel_[ix(c)] = static_cast<int>(unknowns_.size());
            unknowns_.push_back({UnknownKind::GradientShift, c, 0.0, 0});
        }
    for (const Unknown& u : unknowns_)
        perKm_.push_back(unknownAccess(u.kind).distance ? unitsPerKm(m_) : 1.0);
    for (const BodyRun& run : runs_)
        bodies_.push_back(run.body);
    for (const BodyRun& run : runs_)
        for (int pb : run.family)
            if (!contains(bodies_, pb))
                bodies_.push_back(pb);
    held_.assign(unknowns_.size(), Bound::None);
}

void Inversion::addBody(int b, bool alone)
{
    const Tbody& body = m_.Bodies[b];
    InversionOptions own = options_;
    if (!alone) {
        own.invertSusceptibility = own.invertSusceptibility && b == b_;
        own.invertRemanence = own.invertRemanence && b == b_;
        own.invertSusceptibility |= options_.useMagnetic && body.InvertSusceptibility;
        own.invertRemanence |= options_.useMagnetic && body.InvertRemanence;
    }
    std::vector<Unknown> u = inversionUnknowns(body, own);
    // A corner linked to one that is already an unknown in the same direction
    // moves with it: a second unknown would only repeat its column.
    std::erase_if(u, [&](const Unknown& c) {
        if (c.kind != UnknownKind::CornerX && c.kind != UnknownKind::CornerZ)
            return false;
        int pb = 0, pk = 0;
        if (!options_.keepLinks || !m_.partnerOf(b, c.corner, pb, pk) || pb > m_.NumBodies)
            return false;
        if (pk == m_.Bodies[pb].NumCorners)
            pk = 1;
        return std::any_of(unknowns_.begin(), unknowns_.end(), [&](const Unknown& v) {
            return v.body == pb && v.kind == c.kind && v.corner == pk;
        });
    });
    if (u.empty() && !alone)
        return;
    BodyRun run;
    run.body = b;
    run.family = {b};
    if (options_.keepLinks)
        for (int k = 1; k <= body.NumCorners; ++k) {
            int pb = 0, pk = 0;
            if (m_.partnerOf(b, k, pb, pk) && pb <= m_.NumBodies && !contains(run.family, pb))
                run.family.push_back(pb);
        }
    run.bounds.density = densityBounds(body);
    run.bounds.position = positionBounds(m_, body);
    run.bounds.depth = depthBounds(view_, body);
    run.bounds.susceptibility = b == b_ ? options_.susceptibilityBounds.value_or(susceptibilityBounds(body))
                                        : susceptibilityBounds(body);
    run.bounds.remanence = b == b_ ? options_.remanenceBounds.value_or(remanenceBounds(body))
                                   : remanenceBounds(body);
    runs_.push_back(std::move(run));
    for (Unknown& x : u) {
        x.body = b;
        unknowns_.push_back(x);
    }
}

const Inversion::BodyRun* Inversion::findRun(int body) const
{
    for (const BodyRun& run : runs_)
        if (run.body == body)
            return &run;
    return nullptr;
}

Inversion::BodyRun& Inversion::runOf(int body)
{
    return *const_cast<BodyRun*>(findRun(body));
}

int Inversion::bodyUnknowns() const
{
    return static_cast<int>(std::count_if(unknowns_.begin(), unknowns_.end(),
                                          [](const Unknown& u) { return u.body != 0; }));
}

double Inversion::rotationOf(int body) const
{
    const BodyRun* run = findRun(body);
    return run ? run->rotation : 0;
}

double Inversion::gravityShift() const
{
    return gravityLevel_ >= 0 ? unknowns_[ix(gravityLevel_)].value : 0;
}

double Inversion::magneticShift() const
{
    return magneticLevel_ >= 0 ? unknowns_[ix(magneticLevel_)].value : 0;
}

double Inversion::gradientShift(int component) const
{
    const int k = component >= 0 && component < TensorComponents ? gradientLevel_[ix(component)] : -1;
    return k >= 0 ? unknowns_[ix(k)].value : 0;
}

std::vector<double> Inversion::gradientRms() const
{
    std::vector<double> rms;
    for (int c : gradientFitted_) {
        double sum = 0;
        int n = 0;
        for (const GradientRow& row : gradientRows_)
            if (row.component == c) {
                const double e = row.observed - (m_.Grad.Calculated[row.station][c] + gradientShift(c));
                sum += e * e;
                ++n;
            }
        rms.push_back(n > 0 ? std::sqrt(sum / n) : 0);
    }
    return rms;
}

void Inversion::carry(int b, int k, std::vector<int>& touched)
{
    int pb = 0, pk = 0;
    if (!m_.partnerOf(b, k, pb, pk) || !contains(bodies_, pb))
        return;
    const Tbody& body = m_.Bodies[b];
    m_.Bodies[pb].setCorner(pk, body.CornerX[k], body.CornerZ[k]);
    if (!contains(touched, pb))
        touched.push_back(pb);
}

void Inversion::carryAll(int b, std::vector<int>& touched)
{
    for (int k = 1; k <= m_.Bodies[b].NumCorners - 1; ++k)
        carry(b, k, touched);
}

void Inversion::moveBody(int b, double dx, double dz)
{
    m_.MoveBody(b, dx, dz);
    // MoveBody recalculates the current body, whichever body it moved.
    if (b != m_.CurrentBody)
        m_.UpdateBody(b);
}

std::vector<double> Inversion::values() const
{
    std::vector<double> v;
    for (const Unknown& u : unknowns_) {
        if (u.body == 0) {
            v.push_back(u.value);
            continue;
        }
        const Tbody& body = m_.Bodies[u.body];
        v.push_back(unknownAccess(u.kind).get(body, u.corner, rotationOf(u.body)));
    }
    return v;
}

std::optional<Bounds> Inversion::boundsOfUnknown(const Unknown& u) const
{
    const BodyRun* run = findRun(u.body);
    if (!run)
        return std::nullopt;
    return unknownAccess(u.kind).bounds(m_.Bodies[u.body], run->bounds);
}

bool Inversion::withinBounds() const
{
    const std::vector<double> v = values();
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
        const std::optional<Bounds> b = boundsOfUnknown(unknowns_[k]);
        if (b && !b->holds(v[k]))
            return false;
    }
    return true;
}

std::vector<bool> Inversion::atBounds() const
{
    const std::vector<double> v = values();
    std::vector<bool> at(unknowns_.size(), false);
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
        const std::optional<Bounds> b = boundsOfUnknown(unknowns_[k]);
        at[k] = b && (onBound(v[k], b->min) || onBound(v[k], b->max));
    }
    return at;
}

Inversion::Progress Inversion::progress() const
{
    Progress p{unknowns_, {}};
    for (const BodyRun& run : runs_)
        p.rotations.push_back(run.rotation);
    return p;
}

void Inversion::setProgress(const Progress& p)
{
    unknowns_ = p.unknowns;
    for (std::size_t i = 0; i < runs_.size() && i < p.rotations.size(); ++i)
        runs_[i].rotation = p.rotations[i];
}

ErrorEstimate Inversion::errors(const std::vector<bool>& held)
{
    misfit(r_);
    // The linearisation at this state: steps of a ten-thousandth of the
    // iterations' ones. With magnetics the weighted system: s^2 from the
    // weighted residuals.
    ErrorEstimate e = standardErrors(system(1e-4), r_, held);
    for (std::size_t k = 0; k < e.errors.size(); ++k)
        if (e.errors[k])
            *e.errors[k] *= perKm_[k];
    return e;
}

}  // namespace corvane
