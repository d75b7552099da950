#include "model.h"
#include "bounds.h"
#include "gradient.h"
#include "gravity.h"
#include "ground.h"
#include "magnetic.h"
#include "magnetic_data.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace corvane {

namespace {

EarthField earthField(const MagneticStations& mag)
{
    EarthField f;
    f.Intensity = mag.FieldIntensity;
    f.Inclination = mag.FieldInclination;
    f.Declination = mag.FieldDeclination;
    f.Azimuth = mag.FieldAzimuth;
    return f;
}

// Body b's magnetic anomaly into its own array (nothing without stations).
void bodyMagneticAt(Tbody& body, const MagneticStations& mag, bool unitsKm)
{
    if (mag.Num <= 0)
        return;
    if (!isMagnetised(body)) {
        for (int i = 1; i <= mag.Num; ++i)
            body.Magnetic[i] = 0;
        return;
    }
    bodyMagnetic(body, earthField(mag), mag.X.data(), mag.Height.data(), mag.Num, unitsKm,
                     body.Magnetic.data());
}

void addMagnetic(MagneticStations& mag, const Tbody& body, double sign)
{
    for (int i = 1; i <= mag.Num; ++i)
        mag.Calculated[i] += sign * body.Magnetic[i];
}

// Body b's tensors into the gradient total, as addMagnetic does.
void addGradient(Model& m, int b, double sign)
{
    const std::vector<GravityTensor>& g = m.BodyGradient[b];
    const int n = std::min(m.Grad.Num, static_cast<int>(g.size()));
    for (int i = 1; i <= n; ++i)
        for (int k = 0; k < TensorComponents; ++k)
            m.Grad.Calculated[i][k] += sign * g[static_cast<std::size_t>(i - 1)][k];
}

// Body b's tensors at the gradient stations, calculated anew.
void bodyGradientAt(Model& m, int b)
{
    std::vector<GravityTensor>& g = m.BodyGradient[b];
    g.resize(static_cast<std::size_t>(std::clamp(m.Grad.Num, 0, MaxStations)));
    bodyGradient(m.Bodies[b], m.Grad.X.data(), m.Grad.Height.data(), m.Grad.Num, g.data());
}
}  // namespace

void Tbody::setCorner(int k, double x, double z)
{
    CornerX[k] = x;
    CornerZ[k] = z;
    const int n = NumCorners;
    if (k == 1 && n >= 1) {
        CornerX[n] = x;
        CornerZ[n] = z;
    } else if (k == n && n >= 1) {
        CornerX[1] = x;
        CornerZ[1] = z;
    }
}

void Tbody::clearLink(int k)
{
    Linked[k] = false;
    LinkBody[k] = 0;
    LinkCorner[k] = 0;
}

Model::Model()
{
    for (int i = 1; i <= MaxStations; ++i)
        StationX[i] = i;
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = Bodies[b];
        body.Gravity.fill(0);
        startupInversionBounds(body);
    }
}

std::unique_ptr<Model> makeModel() { return std::make_unique<Model>(); }

bool hasGravityOffsets(const Model& m)
{
    for (int i = 1; i <= std::clamp(m.NumStations, 0, MaxStations); ++i)
        if (m.StationOffset[i] != 0)
            return true;
    return false;
}

bool hasMagneticOffsets(const Model& m)
{
    for (int i = 1; i <= std::clamp(m.Mag.Num, 0, MaxStations); ++i)
        if (m.Mag.Offset[i] != 0)
            return true;
    return false;
}

bool Model::partnerOf(int b, int k, int& pb, int& pk) const
{
    const Tbody& body = Bodies[b];
    if (!body.Linked[k])
        return false;
    pb = body.LinkBody[k];
    pk = body.LinkCorner[k];
    return pb >= 1 && pb <= MaxBodies && pb != b && pk >= 1 && pk <= Bodies[pb].NumCorners;
}

void Model::MoveBody(int b, double dx, double dz)
{
    Tbody& body = Bodies[b];
    const int n = body.NumCorners;
    const Ground ground(*this);
    for (int k = 1; k <= n; ++k) {
        body.CornerX[k] += dx;
        body.CornerZ[k] = ground.rule(body.CornerX[k], body.CornerZ[k] + dz);
    }
    // Corner n may carry a copy of corner 1's link record: each partner corner
    // moves once, however many records point at it.
    std::set<std::pair<int, int>> moved;
    std::set<int> partnerBodies;
    for (int k = 1; k <= n; ++k) {
        int pb = 0, pk = 0;
        if (!partnerOf(b, k, pb, pk) || !moved.insert({pb, pk}).second)
            continue;
        Tbody& partner = Bodies[pb];
        const double x = partner.CornerX[pk] + dx;
        partner.setCorner(pk, x, ground.rule(x, partner.CornerZ[pk] + dz));
        partnerBodies.insert(pb);
    }
    for (int pb : partnerBodies)
        UpdateBody(pb);
    UpdateBody(CurrentBody);
}

void Model::TurnBody(int b, double angle)
{
    Tbody& body = Bodies[b];
    const int n = body.NumCorners;
    if (n < 2)
        return;
    if (angle > 360)
        angle -= 360;
    if (angle < 0)
        angle += 360;
    const double rad = angle * DegToRad;
    double cx = 0, cz = 0;
    for (int k = 1; k <= n - 1; ++k) {
        cx += body.CornerX[k];
        cz += body.CornerZ[k];
    }
    cx /= n - 1;
    cz /= n - 1;
    const double c = std::cos(rad), s = std::sin(rad);
    const Ground ground(*this);
    for (int k = 1; k <= n; ++k) {
        const double x = body.CornerX[k] - cx, z = body.CornerZ[k] - cz;
        body.CornerX[k] = cx + x * c - z * s;
        body.CornerZ[k] = ground.rule(body.CornerX[k], cz + x * s + z * c);
    }
    std::set<int> partnerBodies;
    for (int k = 1; k <= n; ++k) {
        int pb = 0, pk = 0;
        if (!partnerOf(b, k, pb, pk))
            continue;
        Bodies[pb].setCorner(pk, body.CornerX[k], body.CornerZ[k]);
        partnerBodies.insert(pb);
    }
    for (int pb : partnerBodies)
        UpdateBody(pb);
}

void Model::UnlinkCorner(int b, int k)
{
    Tbody& body = Bodies[b];
    if (!body.Linked[k])
        return;
    const int pb = body.LinkBody[k];
    const int pk = body.LinkCorner[k];
    body.clearLink(k);
    if (k == 1)
        body.clearLink(body.NumCorners);
    if (pb >= 1 && pb <= MaxBodies && pk >= 1 && pk <= MaxCorners) {
        Tbody& partner = Bodies[pb];
        partner.clearLink(pk);
        if (pk == 1 && partner.NumCorners >= 1)
            partner.clearLink(partner.NumCorners);
    }
}

void Model::CopyBody(int from, int to)
{
    if (from == to)
        return;
    const Tbody& src = Bodies[from];
    Tbody& dst = Bodies[to];
    dst.Density = src.Density;
    dst.Susceptibility = src.Susceptibility;
    dst.Remanence = src.Remanence;
    dst.RemanentInclination = src.RemanentInclination;
    dst.RemanentDeclination = src.RemanentDeclination;
    dst.StrikeLength1 = src.StrikeLength1;
    dst.StrikeLength2 = src.StrikeLength2;
    dst.Law = src.Law;
    dst.LawRate = src.LawRate;
    dst.LawZ0 = src.LawZ0;
    dst.Hidden = src.Hidden;
    dst.NumCorners = src.NumCorners;
    dst.InvertDensity = src.InvertDensity;
    dst.InvertXPos = src.InvertXPos;
    dst.InvertDepth = src.InvertDepth;
    dst.InvertAngle = src.InvertAngle;
    dst.InvertSusceptibility = src.InvertSusceptibility;
    dst.InvertRemanence = src.InvertRemanence;
    for (int k = 1; k <= src.NumCorners; ++k) {
        dst.CornerX[k] = src.CornerX[k];
        dst.CornerZ[k] = src.CornerZ[k];
        dst.CornerInvertX[k] = src.CornerInvertX[k];
        dst.CornerInvertZ[k] = src.CornerInvertZ[k];
        dst.Linked[k] = src.Linked[k];
        dst.LinkBody[k] = src.LinkBody[k];
        dst.LinkCorner[k] = src.LinkCorner[k];
    }
    for (int i = 1; i <= NumStations; ++i)
        dst.Gravity[i] = src.Gravity[i];
    for (int i = 1; i <= Mag.Num; ++i)
        dst.Magnetic[i] = src.Magnetic[i];
    BodyGradient[to] = BodyGradient[from];
}

void Model::ClearInversionFlags(int first, int last)
{
    for (int b = first; b <= last; ++b) {
        Tbody& body = Bodies[b];
        body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = false;
        body.InvertSusceptibility = body.InvertRemanence = false;
        for (int k = 1; k <= body.NumCorners; ++k) {
            body.CornerInvertX[k] = false;
            body.CornerInvertZ[k] = false;
            body.clearLink(k);
        }
    }
}

void Model::CalculateBody(int b)
{
    Tbody& body = Bodies[b];
    bodyAnomaly(body, StationX.data(), NumStations, UnitsKm, body.Gravity.data(),
                StationHeight.data());
    bodyMagneticAt(body, Mag, UnitsKm);
    if (Grad.Num > 0)
        bodyGradientAt(*this, b);
    if (!body.Hidden) {
        for (int i = 1; i <= NumStations; ++i)
            CalculatedGravity[i] += body.Gravity[i];
        addMagnetic(Mag, body, 1.0);
        addGradient(*this, b, 1.0);
    }
}

void Model::removeFromTotals(int b)
{
    Tbody& body = Bodies[b];
    if (!body.Hidden) {
        for (int i = 1; i <= NumStations; ++i)
            CalculatedGravity[i] -= body.Gravity[i];
        addMagnetic(Mag, body, -1.0);
        addGradient(*this, b, -1.0);
    }
}

void Model::zeroTotals()
{
    for (int i = 1; i <= MaxStations; ++i)
        CalculatedGravity[i] = 0;
    for (int i = 1; i <= Mag.Num; ++i)
        Mag.Calculated[i] = 0;
    for (int i = 1; i <= Grad.Num; ++i)
        Grad.Calculated[i] = {};
}

void Model::UpdateBody(int b, BodyChange what)
{
    // Each array sees the same steps as in a full update, so its figures are the same bits.
    Tbody& body = Bodies[b];
    const bool shown = !body.Hidden;
    if (what != BodyChange::Magnetisation) {
        if (shown)
            for (int i = 1; i <= NumStations; ++i)
                CalculatedGravity[i] -= body.Gravity[i];
        bodyAnomaly(body, StationX.data(), NumStations, UnitsKm, body.Gravity.data(), StationHeight.data());
        if (shown)
            for (int i = 1; i <= NumStations; ++i)
                CalculatedGravity[i] += body.Gravity[i];
        // The tensor scales with the density as gravity does.
        if (Grad.Num > 0) {
            if (shown)
                addGradient(*this, b, -1.0);
            bodyGradientAt(*this, b);
            if (shown)
                addGradient(*this, b, 1.0);
        }
    }
    if (what != BodyChange::Density) {
        if (shown)
            addMagnetic(Mag, body, -1.0);
        bodyMagneticAt(body, Mag, UnitsKm);
        if (shown)
            addMagnetic(Mag, body, 1.0);
    }
}

void Model::RecalculateModel()
{
    modelAnomaly(Bodies, NumBodies, StationX.data(), NumStations, UnitsKm,
                 CalculatedGravity.data(), StationHeight.data());
    RecalculateMagneticAndGradients();
}

void Model::RecalculateMagnetic()
{
    if (Mag.Num < 1)
        return;
    double* out[MaxBodies + 1] = {};
    for (int b = 1; b <= NumBodies; ++b)
        out[b] = Bodies[b].Magnetic.data();
    modelMagnetic(Bodies, NumBodies, earthField(Mag), Mag.X.data(), Mag.Height.data(), Mag.Num, UnitsKm, out,
                  Mag.Calculated.data());
}

namespace {

// The per-body arrays of the gradient engine, each sized to the stations.
void gradientArrays(Model& m, GravityTensor** out)
{
    const auto n = static_cast<std::size_t>(std::clamp(m.Grad.Num, 0, MaxStations));
    for (int b = 1; b <= m.NumBodies; ++b) {
        m.BodyGradient[b].resize(n);
        out[b] = m.BodyGradient[b].data();
    }
}

bool sameStations(const MagneticStations& mag, const GradientStations& grad)
{
    if (mag.Num != grad.Num)
        return false;
    for (int i = 1; i <= mag.Num; ++i)
        if (mag.X[i] != grad.X[i] || mag.Height[i] != grad.Height[i])
            return false;
    return true;
}

}  // namespace

void Model::RecalculateGradients()
{
    if (Grad.Num < 1)
        return;
    GravityTensor* out[MaxBodies + 1] = {};
    gradientArrays(*this, out);
    modelGradient(Bodies, NumBodies, Grad.X.data(), Grad.Height.data(), Grad.Num, out,
                  Grad.Calculated.data());
}

void Model::RecalculateMagneticAndGradients()
{
    if (Mag.Num < 1 || !sameStations(Mag, Grad)) {
        RecalculateMagnetic();
        RecalculateGradients();
        return;
    }
    double* mag[MaxBodies + 1] = {};
    for (int b = 1; b <= NumBodies; ++b)
        mag[b] = Bodies[b].Magnetic.data();
    GravityTensor* grad[MaxBodies + 1] = {};
    gradientArrays(*this, grad);
    modelMagneticGradient(Bodies, NumBodies, earthField(Mag), Mag.X.data(), Mag.Height.data(),
                          Mag.Num, mag, Mag.Calculated.data(), grad, Grad.Calculated.data());
}

bool Model::hasMagnetics() const
{
    if (Mag.Num > 0)
        return true;
    for (int b = 1; b <= NumBodies; ++b)
        if (Bodies[b].Susceptibility != 0 || Bodies[b].Remanence != 0)
            return true;
    return false;
}

void Model::clearMagnetics()
{
    Mag.Num = 0;
    Mag.FieldIntensity = 50000;
    Mag.FieldInclination = 60;
    Mag.FieldDeclination = 0;
    Mag.FieldAzimuth = 90;
    for (int b = 1; b <= MaxBodies; ++b)
        clearMagnetisation(Bodies[b]);
}

void Model::setHidden(int b, bool hidden)
{
    Tbody& body = Bodies[b];
    if (body.Hidden == hidden)
        return;
    body.Hidden = hidden;
    const double sign = hidden ? -1.0 : 1.0;
    for (int i = 1; i <= NumStations; ++i)
        CalculatedGravity[i] += sign * body.Gravity[i];
    addMagnetic(Mag, body, sign);
    addGradient(*this, b, sign);
}

}  // namespace corvane
