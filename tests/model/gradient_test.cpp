// The gravity gradient tensor against independent methods (a volume
// quadrature, closed forms, derivatives of gravity), its trace, its frames.
#include "model/gradient.h"
#include "model/gravity.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

using namespace corvane;
using Corners = std::vector<std::pair<double, double>>;
using Tensors = std::vector<GravityTensor>;

namespace {

constexpr double PiValue = 3.141592653589793;

Tbody makeBody(const Corners& corners, double y1, double y2, double density = 0.3)
{
    auto m = makeModel();
    test::setBody(*m, 1, corners, density, y1, y2);
    return m->Bodies[1];
}

Tensors calc(void (*engine)(const Tbody&, const double*, const double*, int, GravityTensor*),
             const Tbody& body, const std::vector<double>& x, double H = 0)
{
    Tensors out(x.size());
    const std::vector<double> h(x.size(), H);
    engine(body, x.data(), h.data(), static_cast<int>(x.size()), out.data());
    return out;
}

double peak(const Tensors& v)
{
    double p = 0;
    for (const GravityTensor& t : v)
        for (int c = 0; c < TensorComponents; ++c)
            p = std::max(p, std::fabs(t[c]));
    return p;
}

// Both engines against the expected tensors, to tol times their largest value.
void compare(const Tbody& body, const std::vector<double>& x, double H, const Tensors& want,
             double tol)
{
    const double scale = peak(want);
    ASSERT_GT(scale, 1e-3);
    for (const Tensors& got : {calc(referenceGradient, body, x, H), calc(bodyGradient, body, x, H)})
        for (std::size_t i = 0; i < x.size(); ++i)
            for (int c = 0; c < TensorComponents; ++c)
                EXPECT_NEAR(got[i][c], want[i][c], tol * scale) << "station " << x[i] << " component " << c;
}

// ---- the point-mass gradient integrated over the volume -------------------
// A mass element dm at offset d from the station adds G dm (3 d_i d_j -
// |d|^2 delta_ij) / |d|^5; the prism is the polygon (a fan of signed
// triangles, each split into four, `level` times) swept from y = -y2 to y1
// in panels that double in length, with Gauss-Legendre rules throughout.

struct Rule {
    std::vector<double> x, w;   // on [0, 1]
};

Rule legendre(int n)
{
    Rule rule;
    for (int i = 0; i < n; ++i) {
        double x = std::cos(PiValue * (i + 0.75) / (n + 0.5)), d = 1;
        for (int it = 0; it < 60; ++it) {
            double a = 1, b = x;
            for (int k = 2; k <= n; ++k) {
                const double c = ((2 * k - 1) * x * b - (k - 1) * a) / k;
                a = b;
                b = c;
            }
            d = n * (a - x * b) / (1 - x * x);
            x -= b / d;
        }
        rule.x.push_back((1 + x) / 2);
        rule.w.push_back(1 / ((1 - x * x) * d * d));
    }
    return rule;
}

void addPointMass(double weight, double dx, double y, double dz, GravityTensor& t)
{
    const double d2 = dx * dx + y * y + dz * dz;
    const double k = weight / (d2 * d2 * std::sqrt(d2));
    const double d[3] = {dx, y, dz};
    for (int c = 0; c < TensorComponents; ++c) {
        static constexpr int row[] = {0, 0, 0, 1, 1, 2}, col[] = {0, 1, 2, 1, 2, 2};
        t[c] += k * (3 * d[row[c]] * d[col[c]] - (row[c] == col[c] ? d2 : 0.0));
    }
}

void triangle(const double* a, const double* b, const double* c, double y1, double y2, double S,
              double H, int level, GravityTensor& t)
{
    static const Rule rule = legendre(12);
    if (level > 0) {
        const double ab[2] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
        const double bc[2] = {(b[0] + c[0]) / 2, (b[1] + c[1]) / 2};
        const double ca[2] = {(c[0] + a[0]) / 2, (c[1] + a[1]) / 2};
        triangle(a, ab, ca, y1, y2, S, H, level - 1, t);
        triangle(ab, b, bc, y1, y2, S, H, level - 1, t);
        triangle(ca, bc, c, y1, y2, S, H, level - 1, t);
        triangle(ab, bc, ca, y1, y2, S, H, level - 1, t);
        return;
    }
    // Signed area: positive for corners clockwise on the screen.
    const double area2 = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
    for (std::size_t i = 0; i < rule.x.size(); ++i)
        for (std::size_t j = 0; j < rule.x.size(); ++j) {
            const double u = rule.x[i], v = rule.x[j] * (1 - u);
            const double x = a[0] + u * (b[0] - a[0]) + v * (c[0] - a[0]);
            const double z = a[1] + u * (b[1] - a[1]) + v * (c[1] - a[1]);
            const double wxz = rule.w[i] * rule.w[j] * (1 - u) * area2;
            for (double side : {y1, -y2}) {
                const double len = std::fabs(side);
                for (double lo = 0, hi = std::min(len, 0.25); lo < len; lo = hi, hi = std::min(len, 2 * hi))
                    for (std::size_t k = 0; k < rule.x.size(); ++k)
                        addPointMass(wxz * rule.w[k] * (hi - lo), x - S,
                                     (side > 0 ? 1 : -1) * (lo + (hi - lo) * rule.x[k]), z + H, t);
            }
        }
}

GravityTensor quadrature(const Corners& corners, double y1, double y2, double density, double S,
                         double H, int level)
{
    GravityTensor t;
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        const double a[2] = {corners[0].first, corners[0].second};
        const double b[2] = {corners[k].first, corners[k].second};
        const double c[2] = {corners[k + 1].first, corners[k + 1].second};
        triangle(a, b, c, y1, y2, S, H, level, t);
    }
    for (int c = 0; c < TensorComponents; ++c)
        t[c] *= density * 10 * GravityFactor;   // G rho: mGal/km to E
    return t;
}

const Corners rectangle = test::unitRectangle;
const Corners hook = {{-2, 0.5}, {1.5, 1.0}, {2.0, 3.0}, {0.5, 2.5}, {0.2, 1.4}, {-1.2, 1.6}, {-1.2, 2.8}};
const Corners wedge = {{0, 0.3}, {3, 2}, {-0.5, 2}};
const Corners aimed = {{1, 1}, {3, 1}, {2, 2}};   // an edge's line through the station at 0

struct Case {
    const Corners* shape;
    double y1, y2, H;
};
// Concave, slanted and one-sided bodies with unequal strike lengths.
const Case shapes[] = {{&rectangle, 2, 2, 0}, {&rectangle, 3, 0.7, 0.4}, {&hook, 1.5, 4, 0.3}, {&hook, 0, 2.5, 0},
                       {&wedge, 5, 0.4, 0.8}, {&wedge, 0.6, 0, 0},      {&aimed, 5, 0, 0},      {&aimed, 0, 3, 0.1}};

}  // namespace

TEST(Gradient, MatchesTheIntegratedPointMassGradient)
{
    const std::vector<double> x = {-4, -1, 0, 0.2, 1, 1.7, 3.5};
    for (const Case& c : shapes) {
        SCOPED_TRACE(&c - shapes);
        Tensors want;
        for (double S : x) {
            const GravityTensor coarse = quadrature(*c.shape, c.y1, c.y2, 0.3, S, c.H, 2);
            want.push_back(quadrature(*c.shape, c.y1, c.y2, 0.3, S, c.H, 3));
            for (int k = 0; k < TensorComponents; ++k)   // converged far below the tolerance
                EXPECT_NEAR(coarse[k], want.back()[k], 1e-9 * peak({want.back()}));
        }
        compare(makeBody(*c.shape, c.y1, c.y2), x, c.H, want, 1e-8);
    }
}

// The closed form of a right rectangular prism with corners (x1..x2, y1..y2,
// z1..z2) relative to the station: T_xx = -[atan(y z / (x r))], T_xy =
// [ln(z + r)], T_xz = [ln(y + r)], T_yy = -[atan(x z / (y r))], T_yz =
// [ln(x + r)], T_zz = -[atan(x y / (z r))], [f] the sum over the eight
// corners with the sign of (-1) to the number of lower limits.
TEST(Gradient, RectangleIsTheRightRectangularPrism)
{
    const double sizes[][4] = {{1, 1, 0, 0}, {2.5, 0.4, 0.6, 0}, {0.3, 7, 0, 1.5}, {4, 0, 0.2, 0.9}};
    const std::vector<double> x = {-5, -1, -0.3, 0, 0.5, 1, 2.2, 6};
    for (const auto& [y1, y2, H, dz] : sizes) {
        Corners shape;
        for (auto [cx, cz] : rectangle)
            shape.push_back({cx, cz + dz});
        Tensors want;
        for (double S : x) {
            GravityTensor t;
            for (double px : {-1 - S, 1 - S})
                for (double py : {-y2, y1})
                    for (double pz : {1 + dz + H, 2 + dz + H}) {
                        const double sign = (px > -S ? 1 : -1) * (py > -y2 ? 1 : -1) * (pz > 1 + dz + H ? 1 : -1);
                        const double r = std::sqrt(px * px + py * py + pz * pz);
                        auto atanOf = [&](double a, double b, double c) { return c == 0 ? 0 : std::atan(a * b / (c * r)); };
                        t.xx -= sign * atanOf(py, pz, px);
                        t.xy += sign * std::log(pz + r);
                        t.xz += sign * std::log(py + r);
                        t.yy -= sign * atanOf(px, pz, py);
                        t.yz += sign * std::log(px + r);
                        t.zz -= sign * atanOf(px, py, pz);
                    }
            for (int c = 0; c < TensorComponents; ++c)
                t[c] *= 0.3 * 10 * GravityFactor;
            want.push_back(t);
        }
        compare(makeBody(shape, y1, y2), x, H, want, 1e-10);
    }
}

// Outside the bodies the trace is 0; inside it is -4 pi G rho. Across a side
// face the tensor jumps by -4 pi G rho n n (n its normal): just above and
// below the top of the rectangle only T_zz changes, by 4 pi G rho.
TEST(Gradient, TraceAndTheJumpAcrossAFace)
{
    const double G = 0.3 * 10 * GravityFactor;
    for (const Case& c : shapes)
        for (auto engine : {referenceGradient, bodyGradient}) {
            const Tensors out = calc(engine, makeBody(*c.shape, c.y1, c.y2), {-6, -2, 0, 0.4, 1.1, 3, 8}, c.H);
            for (const GravityTensor& t : out)
                EXPECT_NEAR(t.xx + t.yy + t.zz, 0, 1e-11 * peak(out));
        }
    const Tbody box = makeBody(rectangle, 2, 3);
    for (auto engine : {referenceGradient, bodyGradient}) {
        const double d = 1e-6;
        const Tensors above = calc(engine, box, {0.3}, -1 + d), below = calc(engine, box, {0.3}, -1 - d);
        const Tensors inside = calc(engine, box, {-0.5, 0, 0.7}, -1.5);
        for (const GravityTensor& t : inside)
            EXPECT_NEAR(t.xx + t.yy + t.zz, -4 * PiValue * G, 1e-9 * G);
        const GravityTensor& a = above[0];
        const GravityTensor& b = below[0];
        for (int k = 0; k < TensorComponents; ++k)
            EXPECT_NEAR(a[k] - b[k], k == 5 ? 4 * PiValue * G : 0.0, 1e-4 * G) << k;
    }
}

// In two dimensions g_z = -2 G rho Re sum over the edges of (x_b - x_a) J,
// J = [w ln w - w] from w_a to w_b over (w_b - w_a), w = (x - S) + i (z + H)
// (Green's theorem on the area integral of 2 G rho Im(1 / conj(w))). Its
// derivatives: d w / dS = -1, d w / dz = -i for a station moved down.
TEST(Gradient, LongBodyGivesTheDerivativesOfTheTwoDimensionalGravity)
{
    const Case cases[] = {{&rectangle, 1e6, 1e6, 0}, {&hook, 1e6, 3e6, 0.5}, {&wedge, 4e6, 2e6, 0.2}};
    const std::vector<double> x = {-10, -2, -0.5, 0, 0.5, 1.2, 2, 5};
    for (const Case& c : cases) {
        Tensors want;
        for (double S : x) {
            std::complex<double> dS = 0, dz = 0;
            const Corners& p = *c.shape;
            for (std::size_t k = 0; k < p.size(); ++k) {
                const auto [xa, za] = p[k];
                const auto [xb, zb] = p[(k + 1) % p.size()];
                const std::complex<double> wa(xa - S, za + c.H), wb(xb - S, zb + c.H);
                const std::complex<double> dJ = (std::log(wb) - std::log(wa)) / (wb - wa);
                dS += (xb - xa) * -dJ;
                dz += (xb - xa) * (-std::complex<double>(0, 1) * dJ);
            }
            // mGal/km to E; in two dimensions T_xx = -T_zz and the y components vanish.
            const double xz = -2 * 0.3 * GravityFactor * dS.real() * 10, zz = -2 * 0.3 * GravityFactor * dz.real() * 10;
            want.push_back({-zz, 0, xz, 0, 0, zz});
        }
        compare(makeBody(*c.shape, c.y1, c.y2), x, c.H, want, 1e-9);
    }
}

// With finite, unequal strike lengths T_xz and T_zz are the program's own
// gravity differentiated along the profile and downwards (one G for both
// fields), and a model in metres gives the Eötvös of the same model in km.
TEST(Gradient, SameConstantAsTheGravityAndTheSameFiguresInMetres)
{
    const std::vector<double> x = {-3, -0.7, 0.1, 1.3, 4};
    for (const Case& c : {Case{&hook, 1.5, 4, 0.3}, Case{&wedge, 0.6, 0, 0}}) {
        const Tensors km = calc(bodyGradient, makeBody(*c.shape, c.y1, c.y2), x, c.H);
        for (double unit : {1.0, 1000.0}) {
            Corners shape;
            for (auto [cx, cz] : *c.shape)
                shape.push_back({unit * cx, unit * cz});
            const Tbody body = makeBody(shape, unit * c.y1, unit * c.y2);
            std::vector<double> xs;
            for (double S : x)
                xs.push_back(unit * S);
            const Tensors got = calc(bodyGradient, body, xs, unit * c.H);
            const double h = 1e-4 * unit, perKm = unit == 1 ? 10 : 10000;   // mGal per unit to E
            // The gravity's derivative by fourth-order central differences.
            auto diff = [&](double S, double H, double dS, double dH) {
                auto g = [&](double e) {
                    double v, s = S + e * dS, z = H + e * dH;
                    referenceAnomaly(body, &s, 1, unit == 1, &v, &z);
                    return v;
                };
                return perKm * (8 * (g(h) - g(-h)) - (g(2 * h) - g(-2 * h))) / (12 * h);
            };
            for (std::size_t i = 0; i < x.size(); ++i) {
                EXPECT_NEAR(got[i].xz, diff(xs[i], unit * c.H, 1, 0), 1e-7 * peak(got));
                EXPECT_NEAR(got[i].zz, -diff(xs[i], unit * c.H, 0, 1), 1e-7 * peak(got));
                for (int k = 0; k < TensorComponents; ++k)
                    EXPECT_NEAR(got[i][k], km[i][k], 1e-12 * peak(km));
            }
        }
    }
}

// Profile x at azimuth A and y at A - 90 (to the left), z down, written from
// the geometry: T'_ij = e_i . T e_j with e_x = (cos A, sin A, 0) in north,
// east, down. A measured subset keeps only the components it determines.
TEST(Gradient, TurnsBetweenGeographicAndProfileFrames)
{
    const GravityTensor ned{12, -7, 3.5, -40, 21, 28};
    static constexpr int index[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
    for (double A : {0.0, 37.0, 90.0, -120.0, 270.0, 405.0}) {
        const double r = A * PiValue / 180, h = PiValue / 2;
        const double e[3][3] = {{std::cos(r), std::sin(r), 0}, {std::cos(r - h), std::sin(r - h), 0}, {0, 0, 1}};
        const GravityTensor profile = toProfileFrame(ned, A), back = toGeographicFrame(profile, A);
        for (int i = 0; i < 3; ++i)
            for (int j = i; j < 3; ++j) {
                double want = 0;
                for (int k = 0; k < 3; ++k)
                    for (int l = 0; l < 3; ++l)
                        want += e[i][k] * ned[index[k][l]] * e[j][l];
                EXPECT_NEAR(profile[index[i][j]], want, 1e-13) << A;
                EXPECT_NEAR(back[index[i][j]], ned[index[i][j]], 1e-13) << A;
            }
    }
    // Measured: T_NN, T_NE, T_DD. Walking east (90) x is east, y north.
    const TensorFlags some = {true, true, false, false, false, true};
    GravityTensor out;
    TensorFlags has;
    turnObserved(ned, some, TensorFrame::Geographic, TensorFrame::Profile, 90, out, has);
    EXPECT_EQ(has, (TensorFlags{false, true, false, true, false, true}));
    EXPECT_EQ(out, (GravityTensor{0, ned.xy, 0, ned.xx, 0, ned.zz}));
    turnObserved(ned, some, TensorFrame::Geographic, TensorFrame::Profile, 37, out, has);
    EXPECT_EQ(has, (TensorFlags{false, false, false, false, false, true}));
}

// The model's gradient stations: the fast engine over whole blocks against the
// reference, hidden bodies out of the sum, and the magnetic anomaly and the
// gradients in one pass giving each field's own figures to the last bit.
TEST(Gradient, ModelRecalculatesItsGradientStations)
{
    auto m = makeModel();
    test::setBody(*m, 1, hook, 0.25, 3, 1.2);
    test::setBody(*m, 2, wedge, -0.4, 2, 2);
    test::setBody(*m, 3, rectangle, 0.1, 0, 5);
    m->NumBodies = 3;
    m->Bodies[2].Hidden = true;
    m->Bodies[1].Susceptibility = 0.02;
    m->Bodies[3].Remanence = 1.5;
    m->Grad.Num = m->Mag.Num = 300;
    for (int i = 1; i <= 300; ++i) {
        m->Grad.X[i] = m->Mag.X[i] = -8 + 0.05 * i;
        m->Grad.Height[i] = m->Mag.Height[i] = i % 7 == 0 ? -1.5 : 0.1 * (i % 3);   // some inside
    }
    auto both = std::make_unique<Model>(*m);
    m->RecalculateMagnetic();
    m->RecalculateGradients();
    both->RecalculateMagneticAndGradients();
    for (int b = 1; b <= 3; ++b) {
        Tensors want(300);
        referenceGradient(m->Bodies[b], m->Grad.X.data(), m->Grad.Height.data(), 300, want.data());
        const Tensors& got = m->BodyGradient[b];
        for (std::size_t i = 0; i < 300; ++i)
            for (int k = 0; k < TensorComponents; ++k)
                EXPECT_NEAR(got[i][k], want[i][k], 1e-9 * peak(want));
        EXPECT_EQ(both->BodyGradient[b], got);
        EXPECT_EQ(both->Bodies[b].Magnetic, m->Bodies[b].Magnetic);
    }
    EXPECT_EQ(both->Grad.Calculated, m->Grad.Calculated);
    // Observed in north, east, down on a profile walking east: T_NN is T_yy.
    m->Grad.Frame = TensorFrame::Geographic;
    m->Mag.FieldAzimuth = 90;
    m->Grad.Observed[2] = {5, 0, 0, 0, 0, 0};
    m->Grad.HasObserved[2] = {true, false, false, false, false, true};
    GravityTensor seen;
    TensorFlags has;
    observedInProfileFrame(*m, 2, seen, has);
    EXPECT_EQ(seen.yy, 5);
    EXPECT_EQ(has, (TensorFlags{false, false, false, true, false, true}));
    EXPECT_EQ(both->Mag.Calculated, m->Mag.Calculated);
    for (int i = 1; i <= 300; ++i)
        for (int k = 0; k < TensorComponents; ++k)
            EXPECT_EQ(m->Grad.Calculated[i][k], m->BodyGradient[1][i - 1u][k] + m->BodyGradient[3][i - 1u][k]);
}
