// The damped least-squares step: residuals, normal equations with
// Levenberg-Marquardt damping, the solve, and the bounded update of the model.
#include "inversion/least_squares.h"

#include "model/ground.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

std::size_t ix(int k) { return static_cast<std::size_t>(k); }

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

double Inversion::shifted(double calculated, UnknownKind level) const
{
    const int k = level == UnknownKind::GravityShift ? gravityLevel_ : magneticLevel_;
    return k >= 0 ? calculated + unknowns_[ix(k)].value : calculated;
}

double Inversion::misfit(std::vector<double>& r) const
{
    if (!weighted_ && gravityLevel_ < 0)
        return residuals(m_, r);
    r.clear();
    if (!weighted_) {
        for (int i = 1; i <= m_.NumStations; ++i)
            r.push_back(m_.ObservedGravity[i] - shifted(m_.CalculatedGravity[i], UnknownKind::GravityShift));
    } else {
        if (options_.useGravity)
            for (int i = 1; i <= m_.NumStations; ++i)
                r.push_back((m_.ObservedGravity[i] -
                             shifted(m_.CalculatedGravity[i], UnknownKind::GravityShift)) /
                            options_.gravityError);
        for (int i = 1; options_.useMagnetic && i <= m_.Mag.Num; ++i)
            if (m_.Mag.HasObserved[i])
                r.push_back((m_.Mag.Observed[i] - shifted(m_.Mag.Calculated[i], UnknownKind::MagneticShift)) /
                            options_.magneticError);
        for (const GradientRow& row : gradientRows_)
            r.push_back((row.observed - m_.Grad.Calculated[row.station][row.component] -
                         gradientShift(row.component)) /
                        options_.gradients[ix(row.component)].Error);
    }
    double sum = 0;
    for (double x : r)
        sum += x * x;
    return r.empty() ? 0 : std::sqrt(sum / static_cast<double>(r.size()));
}

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
    std::vector<int> levels;
    for (int k = 0; k < M; ++k)
        if (unknowns_[ix(k)].body == 0)
            levels.push_back(k);
    if (!levels.empty()) {
        std::vector<double> norm(ix(M), 0.0);
        for (int k = 0; k < M; ++k)
            for (int i = 0; i < N; ++i)
                norm[ix(k)] += J[ix(k)][ix(i)] * J[ix(k)][ix(i)];
        const double longest = std::sqrt(*std::max_element(norm.begin(), norm.end()));
        for (int k : levels)
            if (norm[ix(k)] > 0 && std::isfinite(longest)) {
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
        const UnknownAccess& a = unknownAccess(u.kind);
        switch (a.move) {
        case UnknownMove::Level:
            break;
        case UnknownMove::Field:
            u.value = a.bounds(body, run.bounds)->limit(u.value, held_[k]);
            a.set(body, u.value);
            break;
        case UnknownMove::Shift: {
            u.value = a.bounds(body, run.bounds)->limit(u.value, held_[k]);
            const double by = u.value - a.get(body, u.corner, 0);
            moveBody(u.body, a.horizontal ? by : 0, a.horizontal ? 0 : by);
            break;
        }
        case UnknownMove::Turn: {
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
        case UnknownMove::Corner:
            if (a.horizontal) {
                body.CornerX[u.corner] += delta_[k];
                if (u.corner == 1)
                    body.CornerX[n] = body.CornerX[1];
            } else {
                double z = body.CornerZ[u.corner] + delta_[k];
                const double surface = ground.depthAt(body.CornerX[u.corner]);
                if (z < surface)
                    z = surface + MinDepth;
                body.CornerZ[u.corner] = z;
                if (u.corner == 1)
                    body.CornerZ[n] = z;
            }
            carry(u.body, u.corner, touched);
            break;
        }
    }
    for (int pb : touched)
        m_.UpdateBody(pb);
}

}  // namespace corvane
