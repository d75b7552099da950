#include "density_law.h"
#include "fast_math.h"
#include "gravity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace corvane {

bool variesWithDepth(const Tbody& body)
{
    return (body.Law == DensityLaw::Linear || body.Law == DensityLaw::Exponential) && body.LawRate != 0;
}

std::string_view densityLawWord(DensityLaw law)
{
    switch (law) {
    case DensityLaw::Linear: return "linear";
    case DensityLaw::Exponential: return "exponential";
    case DensityLaw::Constant: break;
    }
    return "constant";
}

bool densityLawOf(std::string_view word, DensityLaw& law)
{
    for (DensityLaw l : {DensityLaw::Constant, DensityLaw::Linear, DensityLaw::Exponential})
        if (word == densityLawWord(l)) {
            law = l;
            return true;
        }
    return false;
}

void clearDensityLaw(Tbody& body)
{
    body.Law = DensityLaw::Constant;
    body.LawRate = 0;
    body.LawZ0 = 0;
}

double densityAt(const Tbody& body, double z)
{
    switch (body.Law) {
    case DensityLaw::Linear: return body.Density + body.LawRate * (z - body.LawZ0);
    case DensityLaw::Exponential: return body.Density * std::exp(-body.LawRate * (z - body.LawZ0));
    case DensityLaw::Constant: break;
    }
    return body.Density;
}

namespace {

// Three significant figures, the minus sign a true one.
std::string figure(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3g", std::abs(v));
    return (v < 0 ? "\u2212" : "") + std::string(buf);
}

// "z", or "(z−4)" for a reference depth of 4.
std::string depthTerm(double z0)
{
    if (z0 == 0)
        return "z";
    return "(z" + std::string(z0 > 0 ? "\u2212" : "+") + figure(std::abs(z0)) + ")";
}

}  // namespace

std::string densityLawText(const Tbody& body)
{
    if (!variesWithDepth(body))
        return "";
    const std::string d = figure(body.Density);
    if (body.Law == DensityLaw::Exponential)
        return d + " e^" + figure(-body.LawRate) + depthTerm(body.LawZ0);
    const std::string sign = body.LawRate < 0 ? " \u2212 " : " + ";
    return d + sign + figure(std::abs(body.LawRate)) + depthTerm(body.LawZ0);
}

namespace {

// Gauss-Legendre rules of a few orders. A piece no longer than its distance
// to the station, q times over, keeps the integrand's nearest singularity
// outside the Bernstein ellipse of parameter 2q + sqrt(4q^2 + 1) (4.2 at
// q = 1), and n points then leave about that to the power -2n: the order is
// the smallest that leaves 1e-16, 12 points where q is 1.
constexpr std::array<int, 6> Orders = {3, 4, 5, 6, 8, 12};
constexpr double Grading = 1.0;
constexpr double WantedDigits = 16 * 2.302585092994046;   // -ln 1e-16
// The blocks' pieces aim at 1e-13, still ten thousand times inside what the
// tests hold them to, for a third fewer points.
constexpr double BlockDigits = 13 * 2.302585092994046;
constexpr int MaxLevels = 48;
// Enough pieces for any real body; a bound on the work for absurd ones.
constexpr int MaxPieces = 4096;

struct Rule {
    int n = 0;
    std::array<double, 12> t{}, w{};
    // The largest half-span of a*t in the exponent of e^(a t) that the rule
    // integrates to 1e-16: its error is c_n a^2n, with
    // c_n = 2^(2n+1) (n!)^4 / ((2n+1) ((2n)!)^3).
    double expSpan = 0;
    double blockExpSpan = 0;   // the same to 1e-13, as the blocks' pieces aim
};

// The nodes and weights on [-1, 1], by Newton's method on the Legendre
// polynomial's three-term recurrence.
Rule makeRule(int n)
{
    Rule q;
    q.n = n;
    for (int i = 0; i < n; ++i) {
        double x = std::cos(Pi * (i + 0.75) / (n + 0.5));
        double dp = 1;
        for (int it = 0; it < 100; ++it) {
            double p0 = 1, p1 = x;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (x * p1 - p0) / (x * x - 1);
            const double step = p1 / dp;
            x -= step;
            if (std::fabs(step) < 1e-17)
                break;
        }
        q.t[static_cast<std::size_t>(i)] = x;
        q.w[static_cast<std::size_t>(i)] = 2 / ((1 - x * x) * dp * dp);
    }
    const double lnc = (2 * n + 1) * std::log(2.0) + 4 * std::lgamma(n + 1.0) - std::log(2 * n + 1.0) -
                       3 * std::lgamma(2 * n + 1.0);
    q.expSpan = std::exp((-WantedDigits - lnc) / (2 * n));
    q.blockExpSpan = std::exp((-BlockDigits - lnc) / (2 * n));
    return q;
}

const std::array<Rule, Orders.size()>& rules()
{
    static const std::array<Rule, Orders.size()> r = [] {
        std::array<Rule, Orders.size()> q;
        for (std::size_t i = 0; i < Orders.size(); ++i)
            q[i] = makeRule(Orders[i]);
        return q;
    }();
    return r;
}

// The rule for a piece q times its length from the nearest singularity,
// over which an exponential law's exponent spans 2 * span.
const Rule& ruleFor(double q, double span, double wanted = WantedDigits)
{
    const double rho = 2 * q + std::sqrt(4 * q * q + 1);
    const double need = wanted / (2 * std::log(rho));
    for (const Rule& r : rules())
        if (r.n >= need && span <= r.expSpan)
            return r;
    return rules().back();
}

struct Station {
    const Tbody* body = nullptr;
    double S = 0, h = 0;
    double y[2] = {0, 0};
    double yNear = 0;   // the shorter strike side that is not 0
    double rate = 0;    // |decay constant| of an exponential law
    int pieces = 0;
};

// One edge, corner (X1, Z1) to (X1 + dX, Z1 + dZ), datum depths.
struct Edge {
    double X1 = 0, Z1 = 0, dX = 0, dZ = 0, L = 0;
};

// The edge from corner k to the next; false for a level edge, which adds
// nothing to a line integral in depth.
bool edgeOf(const Tbody& b, int k, Edge& e)
{
    const int next = k == b.NumCorners ? 1 : k + 1;
    e.X1 = b.CornerX[k];
    e.Z1 = b.CornerZ[k];
    e.dX = b.CornerX[next] - e.X1;
    e.dZ = b.CornerZ[next] - e.Z1;
    if (e.dZ == 0)
        return false;
    e.L = std::hypot(e.dX, e.dZ);
    return true;
}

// The x antiderivative of the 2.5-D kernel z/(x^2+z^2) * sum y/R at a point
// (x, z) relative to the station, times the contrast at datum depth Z.
// Two strike sides are one arc tangent: atan a + atan b is the argument of
// (1 + i a)(1 + i b), which lies within (-pi, pi) as atan2 does.
double integrand(const Station& s, double x, double z, double Z)
{
    double q[2] = {0, 0};
    for (int j = 0; j < 2; ++j) {
        const double y = s.y[j];
        if (y != 0) {
            q[j] = (x * y) / (z * std::sqrt(x * x + z * z + y * y));
            q[j] = std::isnan(q[j]) ? 0.0 : q[j];   // the station itself: a point of no measure
        }
    }
    const double P = q[1] == 0 ? std::atan(q[0]) : std::atan2(q[0] + q[1], 1 - q[0] * q[1]);
    return densityAt(*s.body, Z) * P;
}

double distanceToSegment(double ax, double az, double bx, double bz)
{
    const double vx = bx - ax, vz = bz - az;
    const double vv = vx * vx + vz * vz;
    double u = vv > 0 ? -(ax * vx + az * vz) / vv : 0.0;
    u = std::isnan(u) ? 0.0 : std::clamp(u, 0.0, 1.0);
    return std::hypot(ax + u * vx, az + u * vz);
}

// The integral over t in [ta, tb] of the integrand along the edge, on pieces
// graded towards the station, towards its level (where the kernel turns
// within a strike length) and, for a fast exponential, through the depth.
double piece(Station& s, const Edge& e, double ta, double tb, int level)
{
    const double xa = e.X1 + ta * e.dX - s.S, xb = e.X1 + tb * e.dX - s.S;
    const double Za = e.Z1 + ta * e.dZ, Zb = e.Z1 + tb * e.dZ;
    const double za = Za + s.h, zb = Zb + s.h;
    const double len = (tb - ta) * e.L;
    const double dz = std::fabs(zb - za);
    // How many times its length (or its depth span) the piece lies from the
    // station (or from the station's level, widened by the strike).
    const double q = std::min(distanceToSegment(xa, za, xb, zb) / len,
                              std::hypot(std::min(std::fabs(za), std::fabs(zb)), s.yNear) / dz);
    const bool fine = q >= Grading && (s.rate * dz <= 1 || level >= 8);
    if (!fine && level < MaxLevels && s.pieces < MaxPieces) {
        s.pieces += 1;
        const double tm = 0.5 * (ta + tb);
        return piece(s, e, ta, tm, level + 1) + piece(s, e, tm, tb, level + 1);
    }
    const Rule& r = ruleFor(std::isnan(q) ? Grading : std::max(q, Grading), 0.5 * s.rate * dz);
    const double half = 0.5 * (tb - ta), mid = 0.5 * (ta + tb);
    double sum = 0;
    for (int i = 0; i < r.n; ++i) {
        const double t = mid + half * r.t[static_cast<std::size_t>(i)];
        const double Z = e.Z1 + t * e.dZ;
        sum += r.w[static_cast<std::size_t>(i)] * integrand(s, e.X1 + t * e.dX - s.S, Z + s.h, Z);
    }
    return half * sum;
}

// The line integral of the contrast times the antiderivative round the body,
// by Green's theorem the area integral of the contrast times the kernel.
double stationIntegral(Station& s)
{
    const Tbody& b = *s.body;
    const int n = b.NumCorners;
    double total = 0;
    for (int k = 1; k <= n; ++k) {
        Edge e;
        if (!edgeOf(b, k, e))
            continue;
        s.pieces = 0;
        const double z1 = e.Z1 + s.h, z2 = z1 + e.dZ;
        double part = 0;
        if ((z1 < 0 && z2 > 0) || (z1 > 0 && z2 < 0)) {
            // The antiderivative jumps at the station's level: integrate up to
            // it from each side.
            const double t0 = z1 / (z1 - z2);
            part = piece(s, e, 0, t0, 0) + piece(s, e, t0, 1, 0);
        } else {
            part = piece(s, e, 0, 1, 0);
        }
        total += e.dZ * part;
    }
    return total;
}


// ---- the same quadrature over a block of stations --------------------------
// The nodes are shared by the block: the contrast is taken once per node, the
// kernel vectorised over the stations, and an edge is cut as finely as its
// nearest station of the block needs.
constexpr int Lanes = 8;
struct Block {
    const Tbody* body = nullptr;
    double S[Lanes], h[Lanes];
    double y1 = 0, y2 = 0, yNear = 0, rate = 0;
    int pieces = 0;
};

// The kernel's x antiderivative at the block's stations, (X, Z) datum
// coordinates: arg((z R1 + i x y1)(z R2 + i x y2)), scaled by z^2 R1 R2 > 0.
[[gnu::always_inline]] inline void addNode(const Block& b, double X, double Z, double w, double* acc)
{
    const double y1 = b.y1, y2 = b.y2;
    for (int i = 0; i < Lanes; ++i) {
        const double x = X - b.S[i], z = Z + b.h[i];
        const double rr = x * x + z * z;
        const double R1 = std::sqrt(rr + y1 * y1), R2 = std::sqrt(rr + y2 * y2);
        const double im = x * z * (y1 * R2 + y2 * R1), re = z * z * (R1 * R2) - x * x * (y1 * y2);
        acc[i] += w * fastmath::arcTan2Inline(im, re);
    }
}

// ruleFor at BlockDigits without a logarithm per piece: the smallest q at
// which each order is enough, 2n ln(2q + sqrt(4q^2 + 1)) >= BlockDigits.
const Rule& blockRule(double q, double span)
{
    static const std::array<double, Orders.size()> least = [] {
        std::array<double, Orders.size()> t;
        for (std::size_t i = 0; i < Orders.size(); ++i)
            t[i] = std::sinh(BlockDigits / (2 * Orders[i])) / 2;   // q with 2q + sqrt(4q^2+1) = e^a
        return t;
    }();
    for (std::size_t i = 0; i < Orders.size(); ++i)
        if (q >= least[i] && span <= rules()[i].blockExpSpan)
            return rules()[i];
    return rules().back();
}

// One copy per instruction set, as the constant engine's kernel.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#endif
void blockPiece(Block& b, const Edge& e, double ta, double tb, int level, double* acc)
{
    const double Za = e.Z1 + ta * e.dZ, Zb = e.Z1 + tb * e.dZ;
    const double len = (tb - ta) * e.L, dz = std::fabs(Zb - Za);
    double qs[Lanes];
    for (int i = 0; i < Lanes; ++i) {
        const double xa = e.X1 + ta * e.dX - b.S[i], xb = e.X1 + tb * e.dX - b.S[i];
        const double za = Za + b.h[i], zb = Zb + b.h[i];
        // distanceToSegment without hypot (no overflow in the fast domain)
        const double vx = xb - xa, vz = zb - za, vv = vx * vx + vz * vz;
        double u = vv > 0 ? -(xa * vx + za * vz) / vv : 0.0;
        u = std::isnan(u) ? 0.0 : std::clamp(u, 0.0, 1.0);
        const double px = xa + u * vx, pz = za + u * vz, zn = std::min(std::fabs(za), std::fabs(zb));
        const double qi = std::min(std::sqrt(px * px + pz * pz) / len, std::sqrt(zn * zn + b.yNear * b.yNear) / dz);
        qs[i] = std::isnan(qi) ? HUGE_VAL : qi;
    }
    double q = qs[0];
    for (int i = 1; i < Lanes; ++i)
        q = std::min(q, qs[i]);
    const bool fine = q >= Grading && (b.rate * dz <= 1 || level >= 8);
    if (!fine && level < MaxLevels && b.pieces < MaxPieces) {
        b.pieces += 1;
        const double tm = 0.5 * (ta + tb);
        blockPiece(b, e, ta, tm, level + 1, acc);
        blockPiece(b, e, tm, tb, level + 1, acc);
        return;
    }
    const Rule& r = blockRule(q, 0.5 * b.rate * dz);
    const double half = 0.5 * (tb - ta), mid = 0.5 * (ta + tb);
    for (int k = 0; k < r.n; ++k) {
        const double t = mid + half * r.t[static_cast<std::size_t>(k)];
        const double Z = e.Z1 + t * e.dZ;
        const double w = e.dZ * half * r.w[static_cast<std::size_t>(k)] * densityAt(*b.body, Z);
        addNode(b, e.X1 + t * e.dX, Z, w, acc);
    }
}

// True when an edge of the body crosses some station's level, where the
// antiderivative jumps: such a block goes station by station.
bool crossesLevel(const Tbody& body, const Block& b)
{
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (int k = 1; k <= body.NumCorners; ++k)
        lo = std::min(lo, body.CornerZ[k]), hi = std::max(hi, body.CornerZ[k]);
    for (int i = 0; i < Lanes; ++i)
        if (-b.h[i] > lo && -b.h[i] < hi)
            return true;
    return false;
}

}  // namespace

void lawAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                double* out, const double* stationHeight)
{
    Station s;
    s.body = &body;
    s.y[0] = body.StrikeLength1;
    s.y[1] = body.StrikeLength2;
    const double a1 = std::fabs(s.y[0]), a2 = std::fabs(s.y[1]);
    s.yNear = a1 == 0 ? a2 : a2 == 0 ? a1 : std::min(a1, a2);
    s.rate = body.Law == DensityLaw::Exponential ? std::fabs(body.LawRate) : 0.0;
    for (int i = 0; i < numStations; ++i) {
        s.S = stationX[i];
        s.h = stationHeight ? stationHeight[i] : 0.0;
        const double T = stationIntegral(s);
        double g = GravityFactor * (std::isfinite(T) ? T : 0.0);
        if (!unitsKm)
            g *= MetreFactor;
        out[i] = boundedAnomaly(g);
    }
}

void blockLawAnomaly(const Tbody& body, const double* stationX, int numStations, bool unitsKm,
                     double* out, const double* stationHeight)
{
    Block b;
    b.body = &body;
    b.y1 = body.StrikeLength1;
    b.y2 = body.StrikeLength2;
    const double a1 = std::fabs(b.y1), a2 = std::fabs(b.y2);
    b.yNear = a1 == 0 ? a2 : a2 == 0 ? a1 : std::min(a1, a2);
    b.rate = body.Law == DensityLaw::Exponential ? std::fabs(body.LawRate) : 0.0;
    for (int first = 0; first < numStations; first += Lanes) {
        const int count = std::min(numStations - first, Lanes);
        for (int i = 0; i < Lanes; ++i) {
            const int at = first + std::min(i, count - 1);   // a short block padded with its last
            b.S[i] = stationX[at];
            b.h[i] = stationHeight ? stationHeight[at] : 0.0;
        }
        if (crossesLevel(body, b)) {
            lawAnomaly(body, stationX + first, count, unitsKm, out + first,
                       stationHeight ? stationHeight + first : nullptr);
            continue;
        }
        double acc[Lanes] = {};
        const int n = body.NumCorners;
        for (int k = 1; k <= n; ++k) {
            Edge e;
            if (!edgeOf(body, k, e))
                continue;
            b.pieces = 0;
            blockPiece(b, e, 0, 1, 0, acc);
        }
        for (int i = 0; i < count; ++i) {
            double g = GravityFactor * (std::isfinite(acc[i]) ? acc[i] : 0.0);
            out[first + i] = boundedAnomaly(unitsKm ? g : g * MetreFactor);
        }
    }
}

}  // namespace corvane
