#include "least_squares.h"

#include "inversion/fits.h"
#include "model/gravity.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i - 1); }
std::size_t ix(int k) { return static_cast<std::size_t>(k); }

double depthRule(double z) { return z <= 0 ? MinDepth : z; }

double clampTo(double v, double lo, double hi)
{
    if (v > hi)
        v = hi;
    if (v < lo)
        v = lo;
    return v;
}

// Saves the corners of a body and puts them back exactly, so that a
// perturbation leaves no rounding trace.
class CornerGuard {
public:
    explicit CornerGuard(Tbody& body) : body_(body), x_(body.CornerX), z_(body.CornerZ) {}
    ~CornerGuard()
    {
        body_.CornerX = x_;
        body_.CornerZ = z_;
    }
    CornerGuard(const CornerGuard&) = delete;
    CornerGuard& operator=(const CornerGuard&) = delete;

private:
    Tbody& body_;
    Array1<double, MaxCorners> x_;
    Array1<double, MaxCorners> z_;
};

}  // namespace

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

Inversion::Inversion(Model& m, const Display& d, int body) : m_(m), d_(d), b_(body)
{
    // The inversion moves this body only: links to other bodies are dropped.
    for (int k = 1; k <= m_.Bodies[b_].NumCorners; ++k)
        m_.UnlinkCorner(b_, k);
    unknowns_ = inversionUnknowns(m_.Bodies[b_]);
}

std::vector<double> Inversion::column(int k)
{
    Tbody& body = m_.Bodies[b_];
    const int N = m_.NumStations;
    const int n = body.NumCorners;
    std::vector<double> J(static_cast<std::size_t>(std::max(N, 0)), 0.0);
    // A hidden body adds nothing to the calculated anomaly: no parameter of it
    // changes the fit.
    if (body.Hidden || N < 1)
        return J;
    std::vector<double> g(J.size());
    auto perturbed = [&](double step) {
        bodyAnomaly(body, m_.StationX.data(), N, m_.UnitsKm, g.data());
        for (int i = 1; i <= N; ++i)
            J[at(i)] = (g[at(i)] - body.Gravity[i]) / step;
    };

    const Unknown& u = unknowns_.at(ix(k));
    switch (u.kind) {
    case UnknownKind::Density:
        if (body.Density != 0) {
            for (int i = 1; i <= N; ++i)
                J[at(i)] = body.Gravity[i] / body.Density;
        } else {
            // The anomaly per unit density, which Gravity / Density gives for
            // any other density.
            body.Density = 1;
            bodyAnomaly(body, m_.StationX.data(), N, m_.UnitsKm, J.data());
            body.Density = 0;
        }
        break;
    case UnknownKind::XPosition: {
        const double dx = -std::abs(0.001 * (m_.StationX[N] - m_.StationX[1]));
        if (dx == 0)
            break;
        CornerGuard guard(body);
        for (int c = 1; c <= n; ++c) {
            body.CornerX[c] += dx;
            body.CornerZ[c] = depthRule(body.CornerZ[c]);
        }
        perturbed(dx);
        break;
    }
    case UnknownKind::Depth: {
        const double dz = std::abs(0.05 * (d_.ViewDepthMax - d_.ViewDepthMin));
        if (!(dz > 0) || !std::isfinite(dz))
            break;
        CornerGuard guard(body);
        for (int c = 1; c <= n; ++c)
            body.CornerZ[c] = depthRule(body.CornerZ[c] + dz);
        perturbed(dz);
        break;
    }
    case UnknownKind::Rotation: {
        CornerGuard guard(body);
        m_.TurnBody(b_, 2);
        perturbed(2);   // per degree
        break;
    }
    case UnknownKind::CornerX:
    case UnknownKind::CornerZ: {
        // Steps from the body's size, the horizontal one within the profile.
        double left = 1e8, right = -1e8, top = 1e8, bottom = -1e8;
        for (int c = 1; c <= n - 1; ++c) {
            left = std::min(left, body.CornerX[c]);
            right = std::max(right, body.CornerX[c]);
            top = std::min(top, body.CornerZ[c]);
            bottom = std::max(bottom, body.CornerZ[c]);
        }
        right = std::min(right, m_.StationX[N]);
        left = std::max(left, m_.StationX[1]);
        const bool isX = u.kind == UnknownKind::CornerX;
        const double h = isX ? 0.1 * (right - left) : 0.1 * (bottom - top);
        if (h == 0 || !std::isfinite(h))
            break;   // a flat or degenerate body: no usable difference
        CornerGuard guard(body);
        auto& coord = isX ? body.CornerX : body.CornerZ;
        coord[u.corner] += h;
        if (u.corner == 1)
            coord[n] += h;
        perturbed(h);
        break;
    }
    }
    return J;
}

void Inversion::recalculateAfterMove()
{
    // MoveBody recalculates the current body, whichever body it moved.
    if (b_ != m_.CurrentBody)
        m_.UpdateBody(b_);
}

void Inversion::moveBody(double dx, double dz)
{
    m_.MoveBody(b_, dx, dz);
    recalculateAfterMove();
}

void Inversion::iterate(int t)
{
    const int M = static_cast<int>(unknowns_.size());
    const int N = m_.NumStations;
    const double e = residuals(m_, r_);
    if (t == 1)
        e0_ = e;

    std::vector<std::vector<double>> J(ix(M));
    for (int k = 0; k < M; ++k)
        J[ix(k)] = column(k);

    Matrix A(M, M);
    for (int k = 0; k < M; ++k)
        for (int l = k; l < M; ++l) {
            double sum = 0;
            for (int i = 0; i < N; ++i)
                sum += J[ix(k)][ix(i)] * J[ix(l)][ix(i)];
            A(k, l) = A(l, k) = sum;
        }

    lambda_ = nextDamping(lambda_, e, e0_);
    e0_ = e;
    for (int k = 0; k < M; ++k)
        A(k, k) += lambda_;

    Matrix inverse(M, M);
    if (M == 1)
        inverse(0, 0) = A(0, 0) != 0 ? 1 / A(0, 0) : 0;
    else if (M > 1)
        inverse = pseudoInverse(A, 1e-6);

    // delta = (inverse of A) J-transpose r
    std::vector<double> jtr(ix(M), 0.0);
    for (int k = 0; k < M; ++k)
        for (int i = 0; i < N; ++i)
            jtr[ix(k)] += J[ix(k)][ix(i)] * r_[ix(i)];
    delta_.assign(ix(M), 0.0);
    for (int k = 0; k < M; ++k) {
        for (int l = 0; l < M; ++l)
            delta_[ix(k)] += inverse(k, l) * jtr[ix(l)];
        unknowns_[ix(k)].value += delta_[ix(k)];
    }

    applyUnknowns();
    m_.UpdateBody(b_);
}

void Inversion::applyUnknowns()
{
    Tbody& body = m_.Bodies[b_];
    const int n = body.NumCorners;
    for (std::size_t k = 0; k < unknowns_.size(); ++k) {
        Unknown& u = unknowns_[k];
        switch (u.kind) {
        case UnknownKind::Density:
            u.value = clampTo(u.value, body.DensMin, body.DensMax);
            body.Density = u.value;
            break;
        case UnknownKind::XPosition:
            u.value = clampTo(u.value, body.XPosMin, body.XPosMax);
            moveBody(u.value - body.CornerX[1], 0);
            break;
        case UnknownKind::Depth:
            u.value = clampTo(u.value, body.DepthMin, body.DepthMax);
            moveBody(0, u.value - body.CornerZ[1]);
            break;
        case UnknownKind::Rotation: {
            // u.value is this iteration's rotation step; it carries over into
            // the next iteration as the start of the next step.
            u.value = std::clamp(u.value, -5.0, 5.0);
            if (rotation_ + u.value > body.AngleMax) {
                u.value = body.AngleMax - rotation_;
                rotation_ = body.AngleMax;
            } else if (rotation_ + u.value < body.AngleMin) {
                u.value = body.AngleMin - rotation_;
                rotation_ = body.AngleMin;
            } else {
                rotation_ += u.value;
            }
            m_.TurnBody(b_, u.value);
            break;
        }
        case UnknownKind::CornerX:
            body.CornerX[u.corner] += delta_[k];
            if (u.corner == 1)
                body.CornerX[n] = body.CornerX[1];
            break;
        case UnknownKind::CornerZ: {
            double z = body.CornerZ[u.corner] + delta_[k];
            if (z < 0)
                z = MinDepth;
            body.CornerZ[u.corner] = z;
            if (u.corner == 1)
                body.CornerZ[n] = z;
            break;
        }
        }
    }
}

InversionOutcome runInversion(Model& m, InversionState& inv, const Display& d, int b,
                              int iterations, const std::function<void()>& afterIteration)
{
    if (countUnknowns(m.Bodies[b]) > MaxUnknowns)
        return InversionOutcome::TooManyUnknowns;
    inv.NumIterations = iterations;
    Inversion run(m, d, b);   // unlinks the body's corners
    if (run.unknowns().empty())
        return InversionOutcome::NothingSelected;
    for (int t = 1; t <= iterations; ++t) {
        inv.IterationCount = t;
        run.iterate(t);
        if (afterIteration)
            afterIteration();
    }
    inv.IterationCount = 0;
    return InversionOutcome::Done;
}

}  // namespace corvane
