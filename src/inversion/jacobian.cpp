// The Jacobian of an inversion: one column per unknown from a perturbation of
// the model, put back exactly, with the steps each kind of unknown takes.
#include "inversion/least_squares.h"

#include "model/gradient.h"
#include "model/gravity.h"
#include "model/ground.h"
#include "model/magnetic.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane {

namespace {

std::size_t ix(int k) { return static_cast<std::size_t>(k); }


// Saves the corners and anomalies of the bodies a perturbation may change,
// and the total, and puts them back exactly, so that a Jacobian column leaves
// no rounding trace.
class PerturbationGuard {
public:
    PerturbationGuard(Model& m, const std::vector<int>& bodies)
        : m_(m), calculated_(m.CalculatedGravity.data(), m.CalculatedGravity.data() + stations(m)),
          magnetic_(m.Mag.Calculated.data(), m.Mag.Calculated.data() + magStations(m)),
          gradient_(m.Grad.Calculated.data(), m.Grad.Calculated.data() + gradStations(m))
    {
        for (int b : bodies)
            saved_.push_back({b, m.Bodies[b].CornerX, m.Bodies[b].CornerZ,
                              std::vector<double>(m.Bodies[b].Gravity.data(),
                                                  m.Bodies[b].Gravity.data() + stations(m)),
                              std::vector<double>(m.Bodies[b].Magnetic.data(),
                                                  m.Bodies[b].Magnetic.data() + magStations(m)),
                              m.BodyGradient[b]});
    }
    // The corners as they were, the anomalies left as they are.
    void restoreCorners()
    {
        for (const Saved& s : saved_) {
            m_.Bodies[s.body].CornerX = s.x;
            m_.Bodies[s.body].CornerZ = s.z;
        }
    }
    ~PerturbationGuard()
    {
        restoreCorners();
        for (const Saved& s : saved_) {
            Tbody& body = m_.Bodies[s.body];
            std::copy(s.gravity.begin(), s.gravity.end(), body.Gravity.data());
            std::copy(s.magnetic.begin(), s.magnetic.end(), body.Magnetic.data());
            m_.BodyGradient[s.body] = s.gradient;   // a partner's upkeep changed it
        }
        std::copy(gradient_.begin(), gradient_.end(), m_.Grad.Calculated.data());
        std::copy(calculated_.begin(), calculated_.end(), m_.CalculatedGravity.data());
        std::copy(magnetic_.begin(), magnetic_.end(), m_.Mag.Calculated.data());
    }
    PerturbationGuard(const PerturbationGuard&) = delete;
    PerturbationGuard& operator=(const PerturbationGuard&) = delete;

    // The anomaly of body b before the perturbation.
    const double* gravityBefore(int b) const
    {
        for (const Saved& s : saved_)
            if (s.body == b)
                return s.gravity.data();
        return m_.Bodies[b].Gravity.data();
    }
    const double* magneticBefore(int b) const
    {
        for (const Saved& s : saved_)
            if (s.body == b)
                return s.magnetic.data();
        return m_.Bodies[b].Magnetic.data();
    }

private:
    static std::size_t stations(const Model& m)
    {
        return static_cast<std::size_t>(std::max(m.NumStations, 0));
    }
    static std::size_t magStations(const Model& m) { return static_cast<std::size_t>(std::max(m.Mag.Num, 0)); }
    static std::size_t gradStations(const Model& m) { return static_cast<std::size_t>(std::max(m.Grad.Num, 0)); }
    struct Saved {
        int body;
        Array1<double, MaxCorners> x;
        Array1<double, MaxCorners> z;
        std::vector<double> gravity;
        std::vector<double> magnetic;
        std::vector<GravityTensor> gradient;
    };
    Model& m_;
    std::vector<double> calculated_;
    std::vector<double> magnetic_;
    std::vector<GravityTensor> gradient_;
    std::vector<Saved> saved_;
};

// The finite-difference step of a corner coordinate: a tenth of the body's
// width (within the profile) or height; 0 for a flat body.
double cornerStep(const Model& m, const Tbody& body, bool isX, double stepScale)
{
    double left = 1e8, right = -1e8, top = 1e8, bottom = -1e8;
    for (int c = 1; c <= body.NumCorners - 1; ++c) {
        left = std::min(left, body.CornerX[c]);
        right = std::max(right, body.CornerX[c]);
        top = std::min(top, body.CornerZ[c]);
        bottom = std::max(bottom, body.CornerZ[c]);
    }
    right = std::min(right, m.StationX[m.NumStations]);
    left = std::max(left, m.StationX[1]);
    return (isX ? 0.1 * (right - left) : 0.1 * (bottom - top)) * stepScale;
}

// Corner k's neighbours in a closed outline of n corners (n the copy of 1).
int previousCorner(int k, int n) { return k == 1 ? n - 1 : k - 1; }

}  // namespace

std::vector<double> Inversion::column(int k, double stepScale)
{
    return columns(k, stepScale, nullptr);
}

std::vector<double> Inversion::magneticColumn(int k, double stepScale)
{
    std::vector<double> mag;
    columns(k, stepScale, &mag);
    return mag;
}

std::vector<GravityTensor> Inversion::gradientColumn(int k, double stepScale)
{
    std::vector<GravityTensor> grad;
    columns(k, stepScale, nullptr, &grad);
    return grad;
}

void Inversion::gradientPerUnitDensity(const Tbody& body, std::vector<GravityTensor>& out) const
{
    // The tensor is linear in a constant contrast: the body at contrast 1.
    if (body.Hidden || out.empty())
        return;
    auto unit = std::make_unique<Tbody>(body);
    unit->Density = 1;
    bodyGradient(*unit, m_.Grad.X.data(), m_.Grad.Height.data(), m_.Grad.Num, out.data());
}

std::vector<double> Inversion::columns(int k, double stepScale, std::vector<double>* mag,
                                       std::vector<GravityTensor>* grad)
{
    const Unknown& u = unknowns_.at(ix(k));
    const int N = m_.NumStations;
    const int NM = std::max(m_.Mag.Num, 0);
    const int NG = std::max(m_.Grad.Num, 0);
    if (mag)
        mag->assign(ix(NM), 0.0);
    if (grad)
        grad->assign(ix(NG), GravityTensor{});
    std::vector<double> J(static_cast<std::size_t>(std::max(N, 0)), 0.0);
    if (u.kind == UnknownKind::GradientShift) {
        if (grad)
            for (GravityTensor& t : *grad)
                t[u.corner] = 1.0;
        return J;
    }
    if (u.kind == UnknownKind::GravityShift) {
        std::fill(J.begin(), J.end(), 1.0);
        return J;
    }
    if (u.kind == UnknownKind::MagneticShift) {
        if (mag)
            std::fill(mag->begin(), mag->end(), 1.0);
        return J;
    }
    const int b = u.body;
    Tbody& body = m_.Bodies[b];
    const int n = body.NumCorners;
    const EarthField field{m_.Mag.FieldIntensity, m_.Mag.FieldInclination,
                           m_.Mag.FieldDeclination, m_.Mag.FieldAzimuth};
    if (u.kind == UnknownKind::Susceptibility || u.kind == UnknownKind::Remanence) {
        // The anomaly is linear in either: the body's anomaly at unit value
        // with the other part of the magnetisation taken away.
        if (mag && NM > 0 && !body.Hidden) {
            auto unit = std::make_unique<Tbody>(body);
            const bool k1 = u.kind == UnknownKind::Susceptibility;
            unit->Susceptibility = k1 ? 1 : 0;
            unit->Remanence = k1 ? 0 : 1;
            bodyMagnetic(*unit, field, m_.Mag.X.data(), m_.Mag.Height.data(), NM, m_.UnitsKm,
                         mag->data());
        }
        return J;   // no gravity
    }
    if (N < 1 && !mag && !grad)
        return J;
    if (u.kind == UnknownKind::Density) {
        anomalyPerUnitDensity(m_, body, J);
        if (grad)
            gradientPerUnitDensity(body, *grad);
        return J;   // no magnetic anomaly
    }
    if (u.kind == UnknownKind::DensityRate) {
        lawRateDerivative(m_, body, J);
        return J;   // no magnetic anomaly
    }
    if (N < 1)
        return J;   // the steps below are scaled by the gravity profile
    if (options_.allBodies && (u.kind == UnknownKind::CornerX || u.kind == UnknownKind::CornerZ)) {
        cornerColumn(u, stepScale, J, mag, grad);
        return J;
    }

    // Only the body and the partners it carries change: only they are saved
    // and recalculated.
    const std::vector<int>& family = runOf(b).family;
    PerturbationGuard guard(m_, family);
    std::vector<int> touched{b};
    const Ground ground(m_);
    double step = 0;
    // The shape moved by the step (sign 1) or against it (sign -1).
    auto perturb = [&](double sign) {
    const UnknownAccess& a = unknownAccess(u.kind);
    switch (a.move) {
    case UnknownMove::Field:
    case UnknownMove::Level:
        break;
    case UnknownMove::Shift:
        if (a.horizontal) {
            step = -std::abs(0.001 * (m_.StationX[N] - m_.StationX[1])) * stepScale;
            if (step == 0)
                return false;
            for (int c = 1; c <= n; ++c) {
                body.CornerX[c] += sign * step;
                body.CornerZ[c] = ground.rule(body.CornerX[c], body.CornerZ[c]);
            }
        } else {
            step = std::abs(0.05 * (view_.max - view_.min)) * stepScale;
            if (!(step > 0) || !std::isfinite(step))
                return false;
            for (int c = 1; c <= n; ++c)
                body.CornerZ[c] = ground.rule(body.CornerX[c], body.CornerZ[c] + sign * step);
        }
        carryAll(b, touched);
        break;
    case UnknownMove::Turn:
        step = 2 * stepScale;   // per degree
        m_.TurnBody(b, sign * step);   // carries kept partner corners along
        touched = family;
        break;
    case UnknownMove::Corner: {
        const bool isX = a.horizontal;
        step = cornerStep(m_, body, isX, stepScale);
        if (step == 0 || !std::isfinite(step))
            return false;   // a flat or degenerate body: no usable difference
        auto& coord = isX ? body.CornerX : body.CornerZ;
        coord[u.corner] += sign * step;
        if (u.corner == 1)
            coord[n] += sign * step;
        carry(b, u.corner, touched);
        break;
    }
    }
    return true;
    };
    if (!perturb(1))
        return J;

    // The change of the calculated anomaly: the visible bodies that moved.
    std::vector<double> g(J.size());
    for (int tb : touched) {
        const Tbody& t = m_.Bodies[tb];
        if (t.Hidden)
            continue;
        bodyAnomaly(t, m_.StationX.data(), N, m_.UnitsKm, g.data(), m_.StationHeight.data());
        const double* before = guard.gravityBefore(tb);
        for (std::size_t i = 0; i < J.size(); ++i)
            J[i] += g[i] - before[i];
    }
    for (double& x : J)
        x /= step;
    const bool magnetic = mag && NM > 0, gradient = grad && NG > 0;
    if (magnetic || gradient) {
        // A central difference over the same step: the magnetic anomaly and
        // the gradients bend faster with the shape than gravity, and a
        // one-sided difference leaves the iterations short of the best fit.
        std::vector<double> h(ix(NM));
        std::vector<GravityTensor> t(ix(NG));
        auto add = [&](double sign) {
            for (int tb : touched) {
                const Tbody& body = m_.Bodies[tb];
                if (body.Hidden)
                    continue;
                if (magnetic) {
                    bodyMagnetic(body, field, m_.Mag.X.data(), m_.Mag.Height.data(), NM, m_.UnitsKm, h.data());
                    for (std::size_t i = 0; i < h.size(); ++i)
                        (*mag)[i] += sign * h[i];
                }
                if (gradient) {
                    bodyGradient(body, m_.Grad.X.data(), m_.Grad.Height.data(), NG, t.data());
                    for (std::size_t i = 0; i < t.size(); ++i)
                        for (int c = 0; c < TensorComponents; ++c)
                            (*grad)[i][c] += sign * t[i][c];
                }
            }
        };
        add(1);
        guard.restoreCorners();
        perturb(-1);
        add(-1);
        if (magnetic)
            for (double& x : *mag)
                x /= 2 * step;
        if (gradient)
            for (GravityTensor& x : *grad)
                for (int c = 0; c < TensorComponents; ++c)
                    x[c] /= 2 * step;
    }
    return J;
}

void Inversion::cornerColumn(const Unknown& u, double stepScale, std::vector<double>& J,
                             std::vector<double>* mag, std::vector<GravityTensor>* grad)
{
    // The anomaly is a sum over the edges of the outline, so moving one
    // corner from P to P' changes it by the anomaly of the outline A, P', B,
    // P, where A and B are the corner's neighbours: four corners to
    // calculate instead of the whole body, and no difference of two large
    // figures. The steps are those of the columns above.
    const Tbody& body = m_.Bodies[u.body];
    const int n = body.NumCorners;
    const int N = m_.NumStations;
    const int NM = std::max(m_.Mag.Num, 0);
    const int NG = std::max(m_.Grad.Num, 0);
    const bool isX = u.kind == UnknownKind::CornerX;
    const double step = cornerStep(m_, body, isX, stepScale);
    if (step == 0 || !std::isfinite(step) || n < 3)
        return;
    const double x = body.CornerX[u.corner], z = body.CornerZ[u.corner];
    const double dx = isX ? step : 0, dz = isX ? 0 : step;

    // The corner itself and the partner corner it carries.
    std::vector<std::pair<int, int>> moved{{u.body, u.corner}};
    int pb = 0, pk = 0;
    if (m_.partnerOf(u.body, u.corner, pb, pk) && std::find(bodies_.begin(), bodies_.end(), pb) != bodies_.end()) {
        if (pk == m_.Bodies[pb].NumCorners)
            pk = 1;
        moved.push_back({pb, pk});
    }
    const EarthField field{m_.Mag.FieldIntensity, m_.Mag.FieldInclination,
                           m_.Mag.FieldDeclination, m_.Mag.FieldAzimuth};
    std::vector<double> g(J.size());
    for (auto [tb, c] : moved) {
        const Tbody& t = m_.Bodies[tb];
        if (t.Hidden || t.NumCorners < 3 || c >= t.NumCorners)
            continue;
        auto quad = std::make_unique<Tbody>(t);
        quad->NumCorners = 5;
        const int a = previousCorner(c, t.NumCorners), b = c + 1;
        auto outline = [&](double x1, double z1, double x2, double z2) {
            const double xs[5] = {t.CornerX[a], x1, t.CornerX[b], x2, t.CornerX[a]};
            const double zs[5] = {t.CornerZ[a], z1, t.CornerZ[b], z2, t.CornerZ[a]};
            for (int i = 0; i < 5; ++i) {
                quad->CornerX[i + 1] = xs[i];
                quad->CornerZ[i + 1] = zs[i];
            }
        };
        outline(x + dx, z + dz, t.CornerX[c], t.CornerZ[c]);
        bodyAnomaly(*quad, m_.StationX.data(), N, m_.UnitsKm, g.data(), m_.StationHeight.data());
        for (std::size_t i = 0; i < J.size(); ++i)
            J[i] += g[i] / step;
        // Central differences, as above.
        outline(x + dx, z + dz, x - dx, z - dz);
        if (mag && NM > 0) {
            std::vector<double> h(ix(NM));
            bodyMagnetic(*quad, field, m_.Mag.X.data(), m_.Mag.Height.data(), NM, m_.UnitsKm, h.data());
            for (std::size_t i = 0; i < h.size(); ++i)
                (*mag)[i] += h[i] / (2 * step);
        }
        if (grad && NG > 0) {
            std::vector<GravityTensor> h(ix(NG));
            bodyGradient(*quad, m_.Grad.X.data(), m_.Grad.Height.data(), NG, h.data());
            for (std::size_t i = 0; i < h.size(); ++i)
                for (int k = 0; k < TensorComponents; ++k)
                    (*grad)[i][k] += h[i][k] / (2 * step);
        }
    }
}

std::vector<std::vector<double>> Inversion::jacobianPerKm(double stepScale)
{
    // Every column per kilometre (density and rotation as they are), so the
    // damping and the singular-value threshold weigh the unknowns alike in
    // either unit.
    std::vector<std::vector<double>> J(unknowns_.size());
    for (std::size_t k = 0; k < J.size(); ++k) {
        J[k] = column(static_cast<int>(k), stepScale);
        for (double& x : J[k])
            x *= perKm_[k];
    }
    return J;
}

std::vector<std::vector<double>> Inversion::system(double stepScale)
{
    if (!weighted_)
        return jacobianPerKm(stepScale);
    // Rows in the order misfit() gives the residuals, each divided by its error.
    std::vector<std::vector<double>> J(unknowns_.size());
    for (std::size_t k = 0; k < J.size(); ++k) {
        std::vector<double> mag;
        std::vector<GravityTensor> grad;
        const std::vector<double> g = columns(static_cast<int>(k), stepScale, options_.useMagnetic ? &mag : nullptr,
                                              gradientRows_.empty() ? nullptr : &grad);
        if (options_.useGravity)
            for (double x : g)
                J[k].push_back(x * perKm_[k] / options_.gravityError);
        for (int i = 1; options_.useMagnetic && i <= m_.Mag.Num; ++i)
            if (m_.Mag.HasObserved[i])
                J[k].push_back(mag[ix(i - 1)] * perKm_[k] / options_.magneticError);
        for (const GradientRow& row : gradientRows_)
            J[k].push_back(grad[ix(row.station - 1)][row.component] * perKm_[k] /
                           options_.gradients[ix(row.component)].Error);
    }
    return J;
}

}  // namespace corvane
