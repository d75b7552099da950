#include "least_squares.h"

#include "inversion/fits.h"
#include "model/gravity.h"
#include "model/ground.h"
#include "model/magnetic.h"
#include "model/magnetic_data.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane {

namespace {

std::size_t ix(int k) { return static_cast<std::size_t>(k); }

bool contains(const std::vector<int>& v, int x)
{
    return std::find(v.begin(), v.end(), x) != v.end();
}

// Saves the corners and anomalies of the bodies a perturbation may change,
// and the total, and puts them back exactly, so that a Jacobian column leaves
// no rounding trace.
class PerturbationGuard {
public:
    PerturbationGuard(Model& m, const std::vector<int>& bodies)
        : m_(m), calculated_(m.CalculatedGravity.data(), m.CalculatedGravity.data() + stations(m)),
          magnetic_(m.Mag.Calculated.data(), m.Mag.Calculated.data() + magStations(m))
    {
        for (int b : bodies)
            saved_.push_back({b, m.Bodies[b].CornerX, m.Bodies[b].CornerZ,
                              std::vector<double>(m.Bodies[b].Gravity.data(),
                                                  m.Bodies[b].Gravity.data() + stations(m)),
                              std::vector<double>(m.Bodies[b].Magnetic.data(),
                                                  m.Bodies[b].Magnetic.data() + magStations(m))});
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
        }
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
    struct Saved {
        int body;
        Array1<double, MaxCorners> x;
        Array1<double, MaxCorners> z;
        std::vector<double> gravity;
        std::vector<double> magnetic;
    };
    Model& m_;
    std::vector<double> calculated_;
    std::vector<double> magnetic_;
    std::vector<Saved> saved_;
};

int decimalsOf(const Unknown& u)
{
    switch (u.kind) {
    case UnknownKind::Density:
    case UnknownKind::Susceptibility:
        return DensityDecimals;
    case UnknownKind::Rotation:
        return AngleDecimals;
    case UnknownKind::GravityShift:
    case UnknownKind::MagneticShift:
        return 3;
    default:
        return DistanceDecimals;
    }
}

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

}  // namespace

std::string unknownName(const Unknown& u, bool withBody)
{
    std::string name;
    switch (u.kind) {
    case UnknownKind::Density:
        name = "Density";
        break;
    case UnknownKind::XPosition:
        name = "Horizontal position (corner 1)";
        break;
    case UnknownKind::Depth:
        name = "Depth (corner 1)";
        break;
    case UnknownKind::Rotation:
        name = withBody ? "Rotation" : "Body rotation";
        break;
    case UnknownKind::CornerX:
        name = "Corner " + std::to_string(u.corner) + " horizontal position";
        break;
    case UnknownKind::CornerZ:
        name = "Corner " + std::to_string(u.corner) + " depth";
        break;
    case UnknownKind::Susceptibility:
        name = "Susceptibility";
        break;
    case UnknownKind::Remanence:
        name = "Remanent magnetisation";
        break;
    case UnknownKind::GravityShift:
        return "Gravity shift";
    case UnknownKind::MagneticShift:
        return "Magnetic shift";
    }
    if (!withBody || name.empty())
        return name;
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    return "Body " + std::to_string(u.body) + " " + name;
}

std::vector<Unknown> inversionUnknowns(const Tbody& body)
{
    std::vector<Unknown> u;
    if (body.InvertDensity)
        u.push_back({UnknownKind::Density, 0, body.Density});
    if (body.InvertXPos)
        u.push_back({UnknownKind::XPosition, 0, body.CornerX[1]});
    if (body.InvertDepth)
        u.push_back({UnknownKind::Depth, 0, body.CornerZ[1]});
    if (body.InvertAngle)
        u.push_back({UnknownKind::Rotation, 0, 0.0});
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        if (body.CornerInvertX[k])
            u.push_back({UnknownKind::CornerX, k, body.CornerX[k]});
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        if (body.CornerInvertZ[k])
            u.push_back({UnknownKind::CornerZ, k, body.CornerZ[k]});
    return u;
}

namespace {

// The default pair widened to hold v; a pair typed stands as it is.
Bounds typedOr(double min, double max, double lo, double hi, double v)
{
    if (min != lo || max != hi || !std::isfinite(v))
        return {min, max};
    return {std::min(lo, v), std::max(hi, v)};
}

}  // namespace

Bounds susceptibilityBounds(const Tbody& body)
{
    return typedOr(body.SusceptibilityMin, body.SusceptibilityMax, 0, 1, body.Susceptibility);
}

Bounds remanenceBounds(const Tbody& body)
{
    return typedOr(body.RemanenceMin, body.RemanenceMax, 0, 100, body.Remanence);
}

std::vector<Unknown> inversionUnknowns(const Tbody& body, const InversionOptions& options)
{
    std::vector<Unknown> u = inversionUnknowns(body);
    auto at = u.begin() + (body.InvertDensity ? 1 : 0);
    if (options.invertRemanence)
        at = u.insert(at, {UnknownKind::Remanence, 0, body.Remanence});
    if (options.invertSusceptibility)
        u.insert(at, {UnknownKind::Susceptibility, 0, body.Susceptibility});
    return u;
}

int countUnknowns(const Tbody& body)
{
    int count = body.InvertDensity + body.InvertXPos + body.InvertDepth + body.InvertAngle;
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        count += body.CornerInvertX[k] + body.CornerInvertZ[k];
    return count;
}

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

Inversion::Inversion(Model& m, const Display& d, int body, InversionOptions options)
    : m_(m), d_(d), b_(body), options_(options)
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
    if (!options_.useMagnetic)
        options_.useGravity = true;   // something is always fitted
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
    for (const Unknown& u : unknowns_) {
        const bool distance = u.kind == UnknownKind::XPosition || u.kind == UnknownKind::Depth ||
                              u.kind == UnknownKind::CornerX || u.kind == UnknownKind::CornerZ;
        perKm_.push_back(distance ? unitsPerKm(m_) : 1.0);
    }
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
    run.density = densityBounds(body);
    run.position = positionBounds(m_, body);
    run.depth = depthBounds(d_, body);
    run.susceptibility = b == b_ ? options_.susceptibilityBounds.value_or(susceptibilityBounds(body))
                                 : susceptibilityBounds(body);
    run.remanence = b == b_ ? options_.remanenceBounds.value_or(remanenceBounds(body))
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

double Inversion::shifted(double calculated, UnknownKind level) const
{
    const int k = level == UnknownKind::GravityShift ? gravityLevel_ : magneticLevel_;
    return k >= 0 ? calculated + unknowns_[ix(k)].value : calculated;
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

std::vector<double> Inversion::columns(int k, double stepScale, std::vector<double>* mag)
{
    const Unknown& u = unknowns_.at(ix(k));
    const int N = m_.NumStations;
    const int NM = std::max(m_.Mag.Num, 0);
    if (mag)
        mag->assign(ix(NM), 0.0);
    std::vector<double> J(static_cast<std::size_t>(std::max(N, 0)), 0.0);
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
    if (N < 1 && !mag)
        return J;
    if (u.kind == UnknownKind::Density) {
        anomalyPerUnitDensity(m_, body, J);
        return J;   // no magnetic anomaly
    }
    if (N < 1)
        return J;   // the steps below are scaled by the gravity profile
    if (options_.allBodies && (u.kind == UnknownKind::CornerX || u.kind == UnknownKind::CornerZ)) {
        cornerColumn(u, stepScale, J, mag);
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
    switch (u.kind) {
    case UnknownKind::Density:
    case UnknownKind::Susceptibility:
    case UnknownKind::Remanence:
    case UnknownKind::GravityShift:
    case UnknownKind::MagneticShift:
        break;
    case UnknownKind::XPosition:
        step = -std::abs(0.001 * (m_.StationX[N] - m_.StationX[1])) * stepScale;
        if (step == 0)
            return false;
        for (int c = 1; c <= n; ++c) {
            body.CornerX[c] += sign * step;
            body.CornerZ[c] = ground.rule(body.CornerX[c], body.CornerZ[c]);
        }
        carryAll(b, touched);
        break;
    case UnknownKind::Depth:
        step = std::abs(0.05 * (d_.ViewDepthMax - d_.ViewDepthMin)) * stepScale;
        if (!(step > 0) || !std::isfinite(step))
            return false;
        for (int c = 1; c <= n; ++c)
            body.CornerZ[c] = ground.rule(body.CornerX[c], body.CornerZ[c] + sign * step);
        carryAll(b, touched);
        break;
    case UnknownKind::Rotation:
        step = 2 * stepScale;   // per degree
        m_.TurnBody(b, sign * step);   // carries kept partner corners along
        touched = family;
        break;
    case UnknownKind::CornerX:
    case UnknownKind::CornerZ: {
        const bool isX = u.kind == UnknownKind::CornerX;
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
    if (mag && NM > 0) {
        // A central difference over the same step: the magnetic anomaly
        // bends faster with the shape than gravity, and a one-sided
        // difference leaves the iterations short of the best fit.
        std::vector<double> h(ix(NM));
        auto add = [&](double sign) {
            for (int tb : touched) {
                const Tbody& t = m_.Bodies[tb];
                if (t.Hidden)
                    continue;
                bodyMagnetic(t, field, m_.Mag.X.data(), m_.Mag.Height.data(), NM, m_.UnitsKm, h.data());
                for (std::size_t i = 0; i < h.size(); ++i)
                    (*mag)[i] += sign * h[i];
            }
        };
        add(1);
        guard.restoreCorners();
        perturb(-1);
        add(-1);
        for (double& x : *mag)
            x /= 2 * step;
    }
    return J;
}

namespace {

// Corner k's neighbours in a closed outline of n corners (n the copy of 1).
int previousCorner(int k, int n) { return k == 1 ? n - 1 : k - 1; }

}  // namespace

void Inversion::cornerColumn(const Unknown& u, double stepScale, std::vector<double>& J,
                             std::vector<double>* mag)
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
    const bool isX = u.kind == UnknownKind::CornerX;
    const double step = cornerStep(m_, body, isX, stepScale);
    if (step == 0 || !std::isfinite(step) || n < 3)
        return;
    const double x = body.CornerX[u.corner], z = body.CornerZ[u.corner];
    const double dx = isX ? step : 0, dz = isX ? 0 : step;

    // The corner itself and the partner corner it carries.
    std::vector<std::pair<int, int>> moved{{u.body, u.corner}};
    int pb = 0, pk = 0;
    if (m_.partnerOf(u.body, u.corner, pb, pk) && contains(bodies_, pb)) {
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
        if (mag && NM > 0) {
            // A central difference, as above.
            std::vector<double> h(ix(NM));
            outline(x + dx, z + dz, x - dx, z - dz);
            bodyMagnetic(*quad, field, m_.Mag.X.data(), m_.Mag.Height.data(), NM, m_.UnitsKm, h.data());
            for (std::size_t i = 0; i < h.size(); ++i)
                (*mag)[i] += h[i] / (2 * step);
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

double Inversion::misfit(std::vector<double>& r) const
{
    if (!options_.useMagnetic && gravityLevel_ < 0)
        return residuals(m_, r);
    r.clear();
    if (!options_.useMagnetic) {
        for (int i = 1; i <= m_.NumStations; ++i)
            r.push_back(m_.ObservedGravity[i] - shifted(m_.CalculatedGravity[i], UnknownKind::GravityShift));
    } else {
        if (options_.useGravity)
            for (int i = 1; i <= m_.NumStations; ++i)
                r.push_back((m_.ObservedGravity[i] -
                             shifted(m_.CalculatedGravity[i], UnknownKind::GravityShift)) /
                            options_.gravityError);
        for (int i = 1; i <= m_.Mag.Num; ++i)
            if (m_.Mag.HasObserved[i])
                r.push_back((m_.Mag.Observed[i] - shifted(m_.Mag.Calculated[i], UnknownKind::MagneticShift)) /
                            options_.magneticError);
    }
    double sum = 0;
    for (double x : r)
        sum += x * x;
    return r.empty() ? 0 : std::sqrt(sum / static_cast<double>(r.size()));
}

std::vector<std::vector<double>> Inversion::system(double stepScale)
{
    if (!options_.useMagnetic)
        return jacobianPerKm(stepScale);
    // Rows in the order misfit() gives the residuals, each divided by its error.
    std::vector<std::vector<double>> J(unknowns_.size());
    for (std::size_t k = 0; k < J.size(); ++k) {
        std::vector<double> mag;
        const std::vector<double> g = columns(static_cast<int>(k), stepScale, &mag);
        if (options_.useGravity)
            for (double x : g)
                J[k].push_back(x * perKm_[k] / options_.gravityError);
        for (int i = 1; i <= m_.Mag.Num; ++i)
            if (m_.Mag.HasObserved[i])
                J[k].push_back(mag[ix(i - 1)] * perKm_[k] / options_.magneticError);
    }
    return J;
}

void Inversion::moveBody(int b, double dx, double dz)
{
    m_.MoveBody(b, dx, dz);
    // MoveBody recalculates the current body, whichever body it moved.
    if (b != m_.CurrentBody)
        m_.UpdateBody(b);
}

namespace {

// A = J'J over the first N rows. Each element is summed over the rows in
// order, as one plain loop would; four columns go side by side so that their
// sums run in parallel on the processor, which matters with many unknowns.
Matrix normalMatrix(const std::vector<std::vector<double>>& J, int N)
{
    const int M = static_cast<int>(J.size());
    Matrix A(M, M);
    for (int k = 0; k < M; ++k) {
        const double* a = J[ix(k)].data();
        int l = k;
        for (; l + 4 <= M; l += 4) {
            const double* b0 = J[ix(l)].data();
            const double* b1 = J[ix(l + 1)].data();
            const double* b2 = J[ix(l + 2)].data();
            const double* b3 = J[ix(l + 3)].data();
            double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            for (int i = 0; i < N; ++i) {
                s0 += a[i] * b0[i];
                s1 += a[i] * b1[i];
                s2 += a[i] * b2[i];
                s3 += a[i] * b3[i];
            }
            A(k, l) = A(l, k) = s0;
            A(k, l + 1) = A(l + 1, k) = s1;
            A(k, l + 2) = A(l + 2, k) = s2;
            A(k, l + 3) = A(l + 3, k) = s3;
        }
        for (; l < M; ++l) {
            const double* b0 = J[ix(l)].data();
            double sum = 0;
            for (int i = 0; i < N; ++i)
                sum += a[i] * b0[i];
            A(k, l) = A(l, k) = sum;
        }
    }
    return A;
}

}  // namespace

void Inversion::iterate(int t)
{
    const int M = static_cast<int>(unknowns_.size());
    const double e = misfit(r_);
    const int N = static_cast<int>(r_.size());
    if (t == 1)
        e0_ = e;

    std::vector<std::vector<double>> J = system();
    // A level's column of ones can be a million times shorter than that of a
    // susceptibility or a density, and the singular-value threshold would
    // drop it: the levels are solved for in units that make their columns as
    // long as the longest.
    std::vector<double> scale(ix(M), 1.0);
    if (gravityLevel_ >= 0 || magneticLevel_ >= 0) {
        std::vector<double> norm(ix(M), 0.0);
        for (int k = 0; k < M; ++k)
            for (int i = 0; i < N; ++i)
                norm[ix(k)] += J[ix(k)][ix(i)] * J[ix(k)][ix(i)];
        const double longest = std::sqrt(*std::max_element(norm.begin(), norm.end()));
        for (int k : {gravityLevel_, magneticLevel_})
            if (k >= 0 && norm[ix(k)] > 0 && std::isfinite(longest)) {
                scale[ix(k)] = longest / std::sqrt(norm[ix(k)]);
                for (double& x : J[ix(k)])
                    x *= scale[ix(k)];
            }
    }
    Matrix A = normalMatrix(J, N);

    lambda_ = nextDamping(lambda_, e, e0_);
    e0_ = e;
    for (int k = 0; k < M; ++k)
        A(k, k) += lambda_;

    Matrix inverse(M, M);
    if (M == 1)
        inverse(0, 0) = A(0, 0) != 0 ? 1 / A(0, 0) : 0;
    else if (M > 1)
        inverse = pseudoInverse(A, 1e-6);

    // delta = (inverse of A) J-transpose r, back from kilometres
    std::vector<double> jtr(ix(M), 0.0);
    for (int k = 0; k < M; ++k)
        for (int i = 0; i < N; ++i)
            jtr[ix(k)] += J[ix(k)][ix(i)] * r_[ix(i)];
    delta_.assign(ix(M), 0.0);
    for (int k = 0; k < M; ++k) {
        for (int l = 0; l < M; ++l)
            delta_[ix(k)] += inverse(k, l) * jtr[ix(l)];
        delta_[ix(k)] *= perKm_[ix(k)] * scale[ix(k)];
        unknowns_[ix(k)].value += delta_[ix(k)];
    }

    applyUnknowns();
    for (const BodyRun& run : runs_)
        m_.UpdateBody(run.body);
}

void Inversion::applyUnknowns()
{
    std::vector<int> touched;
    const Ground ground(m_);
    held_.assign(unknowns_.size(), Bound::None);
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
        Unknown& u = unknowns_[k];
        if (u.body == 0)
            continue;   // a level: its value is all there is
        Tbody& body = m_.Bodies[u.body];
        BodyRun& run = runOf(u.body);
        const int n = body.NumCorners;
        switch (u.kind) {
        case UnknownKind::GravityShift:
        case UnknownKind::MagneticShift:
            break;
        case UnknownKind::Density:
            u.value = run.density.limit(u.value, held_[k]);
            body.Density = u.value;
            break;
        case UnknownKind::Susceptibility:
            u.value = run.susceptibility.limit(u.value, held_[k]);
            body.Susceptibility = u.value;
            break;
        case UnknownKind::Remanence:
            u.value = run.remanence.limit(u.value, held_[k]);
            body.Remanence = u.value;
            break;
        case UnknownKind::XPosition:
            u.value = run.position.limit(u.value, held_[k]);
            moveBody(u.body, u.value - body.CornerX[1], 0);
            break;
        case UnknownKind::Depth:
            u.value = run.depth.limit(u.value, held_[k]);
            moveBody(u.body, 0, u.value - body.CornerZ[1]);
            break;
        case UnknownKind::Rotation: {
            // u.value is this iteration's rotation step; it carries over into
            // the next iteration as the start of the next step.
            u.value = std::clamp(u.value, -5.0, 5.0);
            if (run.rotation + u.value > body.AngleMax) {
                u.value = body.AngleMax - run.rotation;
                run.rotation = body.AngleMax;
                held_[k] = Bound::Maximum;
            } else if (run.rotation + u.value < body.AngleMin) {
                u.value = body.AngleMin - run.rotation;
                run.rotation = body.AngleMin;
                held_[k] = Bound::Minimum;
            } else {
                run.rotation += u.value;
            }
            m_.TurnBody(u.body, u.value);
            break;
        }
        case UnknownKind::CornerX:
            body.CornerX[u.corner] += delta_[k];
            if (u.corner == 1)
                body.CornerX[n] = body.CornerX[1];
            carry(u.body, u.corner, touched);
            break;
        case UnknownKind::CornerZ: {
            double z = body.CornerZ[u.corner] + delta_[k];
            const double surface = ground.depthAt(body.CornerX[u.corner]);
            if (z < surface)
                z = surface + MinDepth;
            body.CornerZ[u.corner] = z;
            if (u.corner == 1)
                body.CornerZ[n] = z;
            carry(u.body, u.corner, touched);
            break;
        }
        }
    }
    for (int pb : touched)
        m_.UpdateBody(pb);
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
        switch (u.kind) {
        case UnknownKind::Density:
            v.push_back(body.Density);
            break;
        case UnknownKind::Susceptibility:
            v.push_back(body.Susceptibility);
            break;
        case UnknownKind::Remanence:
            v.push_back(body.Remanence);
            break;
        case UnknownKind::XPosition:
            v.push_back(body.CornerX[1]);
            break;
        case UnknownKind::Depth:
            v.push_back(body.CornerZ[1]);
            break;
        case UnknownKind::Rotation:
            v.push_back(rotationOf(u.body));
            break;
        case UnknownKind::CornerX:
            v.push_back(body.CornerX[u.corner]);
            break;
        case UnknownKind::CornerZ:
            v.push_back(body.CornerZ[u.corner]);
            break;
        case UnknownKind::GravityShift:
        case UnknownKind::MagneticShift:
            v.push_back(u.value);
            break;
        }
    }
    return v;
}

namespace {

// The bounds of an unknown in a run, if it has any (corners and levels have none).
std::optional<Bounds> boundsOf(const Unknown& u, const Tbody& body, const Bounds& density,
                               const Bounds& position, const Bounds& depth,
                               const Bounds& susceptibility, const Bounds& remanence)
{
    switch (u.kind) {
    case UnknownKind::Density:
        return density;
    case UnknownKind::Susceptibility:
        return susceptibility;
    case UnknownKind::Remanence:
        return remanence;
    case UnknownKind::XPosition:
        return position;
    case UnknownKind::Depth:
        return depth;
    case UnknownKind::Rotation:
        return Bounds{body.AngleMin, body.AngleMax};
    case UnknownKind::CornerX:
    case UnknownKind::CornerZ:
    case UnknownKind::GravityShift:
    case UnknownKind::MagneticShift:
        break;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Bounds> Inversion::boundsOfUnknown(const Unknown& u) const
{
    const BodyRun* run = findRun(u.body);
    if (!run)
        return std::nullopt;
    return boundsOf(u, m_.Bodies[u.body], run->density, run->position, run->depth, run->susceptibility,
                    run->remanence);
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

InversionOutcome runInversion(Model& m, InversionState& inv, const Display& d, int b,
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
    Inversion run(m, d, b, options);
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
            if (u.body != 0 && !contains(named, u.body))
                named.push_back(u.body);
    }
    startReport(rep, m, "Inversion of " + bodiesText(named));
    rep.gravityFitted = run.options().useGravity;
    const std::vector<double> start = run.values();
    for (std::size_t k = 0; k < start.size(); ++k) {
        const Unknown& u = run.unknowns()[k];
        rep.parameters.push_back({.name = unknownName(u, options.allBodies),
                                  .start = start[k],
                                  .decimals = decimalsOf(u),
                                  .shift = u.kind == UnknownKind::GravityShift    ? Shift::Gravity
                                           : u.kind == UnknownKind::MagneticShift ? Shift::Magnetic
                                                                                  : Shift::None});
    }

    std::vector<double> r;
    const bool joint = run.options().useMagnetic;
    auto recordMagnetic = [&] {
        if (!joint)
            return;
        {
            const LevelsAdded levels(m, run);
            rep.magneticRms.push_back(magneticMisfit(m).value_or(0));
        }
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
