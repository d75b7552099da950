// The damped least-squares inversion: order of the unknowns, Jacobian columns,
// damping, the bounded update and recovery of a synthetic body.
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "inversion/unknowns.h"
#include "model/density_law.h"
#include "model/gravity.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

Display viewOf(double zmin, double zmax)
{
    Display d;
    d.ViewDepthMin = zmin;
    d.ViewDepthMax = zmax;
    return d;
}

double edgeAngle(const Tbody& b)   // direction of edge 1 -> 2, degrees
{
    return std::atan2(b.CornerZ[2] - b.CornerZ[1], b.CornerX[2] - b.CornerX[1]) * 180 / Pi;
}

}  // namespace

TEST(Inversion, UnknownsInTheirFixedOrder)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    body.CornerInvertZ[2] = true;
    body.CornerInvertX[4] = true;
    body.CornerInvertX[1] = true;
    body.CornerInvertZ[6] = true;   // the closing copy is never an unknown
    body.InvertAngle = true;
    body.InvertDensity = true;
    body.InvertDepth = true;
    const auto u = inversionUnknowns(body);
    ASSERT_EQ(u.size(), 6u);
    EXPECT_EQ(countUnknowns(body), 6);
    EXPECT_EQ(u[0].kind, UnknownKind::Density);
    EXPECT_EQ(u[0].value, 0.3);
    EXPECT_EQ(u[1].kind, UnknownKind::Depth);
    EXPECT_EQ(u[1].value, 4);
    EXPECT_EQ(u[2].kind, UnknownKind::Rotation);
    EXPECT_EQ(u[2].value, 0);
    EXPECT_EQ(u[3].kind, UnknownKind::CornerX);
    EXPECT_EQ(u[3].corner, 1);
    EXPECT_EQ(u[4].kind, UnknownKind::CornerX);
    EXPECT_EQ(u[4].corner, 4);
    EXPECT_EQ(u[5].kind, UnknownKind::CornerZ);
    EXPECT_EQ(u[5].corner, 2);

    EXPECT_EQ(inversionIterationCount("12"), 12);
    EXPECT_EQ(inversionIterationCount(" -7 "), 7);
    EXPECT_EQ(inversionIterationCount("0"), 0);
    EXPECT_EQ(inversionIterationCount("2.5"), 10);
    EXPECT_EQ(inversionIterationCount("ten"), 10);
    EXPECT_EQ(inversionIterationCount(""), 10);
    EXPECT_EQ(inversionIterationCount("300"), 255);
    EXPECT_EQ(inversionIterationCount("123456789012345678901234"), 255);
}

TEST(Inversion, JacobianColumnsTakeTheirStepsAndLeaveTheModelAsItWas)
{
    // A profile from -6 to 5 under a body from -7 to 7: both edges are
    // clipped to the profile for the horizontal corner step.
    auto m = syntheticModel();
    setStations(*m, 45, -6, 5);
    m->RecalculateModel();
    Tbody& body = m->Bodies[1];
    body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = true;
    body.CornerInvertX[3] = body.CornerInvertZ[1] = true;
    const Display d = viewOf(2, 22);
    const auto before = std::make_unique<Model>(*m);
    Inversion run(*m, d, 1);
    const int N = m->NumStations;
    const int n = body.NumCorners;

    // The forward difference of the body's anomaly for a given change of it.
    auto difference = [&](auto change, double divisor) {
        auto scratch = std::make_unique<Model>(*before);
        change(*scratch, scratch->Bodies[1]);
        std::vector<double> g(static_cast<std::size_t>(N)), out(g.size());
        bodyAnomaly(scratch->Bodies[1], m->StationX.data(), N, true, g.data());
        for (int i = 1; i <= N; ++i)
            out[static_cast<std::size_t>(i - 1)] = (g[static_cast<std::size_t>(i - 1)] - body.Gravity[i]) / divisor;
        return out;
    };
    const double dx = -0.001 * 11;   // a thousandth of the profile, leftwards
    const double dz = 0.05 * 20;     // 5 % of the displayed depth range
    const double hx = 0.1 * 11;      // a tenth of the body's width within the profile
    const double hz = 0.1 * 8;       // a tenth of the body's height
    const std::vector<std::vector<double>> expected{
        {},   // density: exact, below
        difference([&](Model&, Tbody& b) { for (int k = 1; k <= n; ++k) b.CornerX[k] += dx; }, dx),
        difference([&](Model&, Tbody& b) { for (int k = 1; k <= n; ++k) b.CornerZ[k] += dz; }, dz),
        difference([](Model& s, Tbody&) { s.TurnBody(1, 2); }, 2),   // per degree
        difference([&](Model&, Tbody& b) { b.CornerX[3] += hx; }, hx),
        difference([&](Model&, Tbody& b) { b.CornerZ[1] += hz; b.CornerZ[n] += hz; }, hz)};

    for (int k = 0; k < 6; ++k) {
        const std::vector<double> J = run.column(k);
        ASSERT_EQ(J.size(), static_cast<std::size_t>(N));
        EXPECT_EQ(body.CornerX, before->Bodies[1].CornerX) << "column " << k;
        EXPECT_EQ(body.CornerZ, before->Bodies[1].CornerZ) << "column " << k;
        EXPECT_EQ(body.Gravity, before->Bodies[1].Gravity) << "column " << k;
        EXPECT_EQ(m->CalculatedGravity, before->CalculatedGravity) << "column " << k;
        for (int i = 1; i <= N; ++i) {
            const std::size_t at = static_cast<std::size_t>(i - 1);
            const double want = k == 0 ? body.Gravity[i] / 0.3 : expected[static_cast<std::size_t>(k)][at];
            ASSERT_NEAR(J[at], want, 1e-12 * (1 + std::abs(want))) << "column " << k << " station " << i;
        }
    }
}

TEST(Inversion, RecoversAPerturbedBody)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    const auto truth = std::make_unique<Model>(*m);
    // Start: density 30 % off, depth 20 % off, two corners moved.
    body.Density = 0.39;
    shiftBodyDepth(*m, 1, 0.8, 0);
    body.CornerX[3] += 1.5;   // (7, 7) -> (8.5, 7.8)
    body.CornerZ[4] -= 1.5;   // (5, 12) -> (5, 11.3)
    m->UpdateBody(1);
    body.InvertDensity = true;
    body.InvertDepth = true;
    body.CornerInvertX[3] = true;
    body.CornerInvertZ[4] = true;
    const double before = rmsMisfit(*m);
    InversionState inv;
    const Display d = viewOf(0, 20);
    int repaints = 0;
    ASSERT_EQ(runInversion(*m, inv, d, 1, 30, [&] { ++repaints; }), InversionOutcome::Done);
    EXPECT_EQ(repaints, 30);
    EXPECT_EQ(inv.NumIterations, 30);
    EXPECT_EQ(inv.IterationCount, 0);
    EXPECT_LT(rmsMisfit(*m), before / 20);
    const Tbody& t = truth->Bodies[1];
    EXPECT_NEAR(body.Density, 0.3, 0.3 * 0.02);
    EXPECT_NEAR(body.CornerZ[1], t.CornerZ[1], t.CornerZ[1] * 0.02);
    EXPECT_NEAR(body.CornerX[3], t.CornerX[3], std::abs(t.CornerX[3]) * 0.02);
    EXPECT_NEAR(body.CornerZ[4], t.CornerZ[4], t.CornerZ[4] * 0.02);
    EXPECT_EQ(body.CornerZ[6], body.CornerZ[1]);   // still closed
}

TEST(Inversion, OnlyDensityIsTheOneUnknownStepWithAnalyticDerivative)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    body.Density = 0.2;
    m->UpdateBody(1);
    body.InvertDensity = true;
    const Display d = viewOf(0, 20);
    Inversion run(*m, d, 1);
    double rj = 0, jj = 0;
    for (int i = 1; i <= m->NumStations; ++i) {
        const double J = body.Gravity[i] / 0.2;
        rj += (m->ObservedGravity[i] - m->CalculatedGravity[i]) * J;
        jj += J * J;
    }
    run.iterate(1);
    EXPECT_DOUBLE_EQ(run.lambda(), 2 * 0.6666);   // e equals e0 on iteration 1
    EXPECT_NEAR(run.increments()[0], rj / (jj + 1.3332), 1e-12);
    EXPECT_NEAR(body.Density, 0.2 + rj / (jj + 1.3332), 1e-12);
}

TEST(Inversion, DampingGrowsToFiftyWhileTheMisfitGrows)
{
    auto m = syntheticModel();
    m->Bodies[1].InvertDensity = true;
    m->Bodies[1].DensMax = 0.3;   // the density cannot follow the rising data
    const Display d = viewOf(0, 20);
    Inversion run(*m, d, 1);
    std::vector<double> lambdas;
    for (int t = 1; t <= 12; ++t) {
        run.iterate(t);
        lambdas.push_back(run.lambda());
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] += 1;   // each iteration ends further from the data
    }
    EXPECT_DOUBLE_EQ(lambdas[0], 1.3332);
    EXPECT_DOUBLE_EQ(lambdas[1], 1.3332 * 1.5);
    for (double l : lambdas)
        EXPECT_LE(l, 50);
    EXPECT_EQ(lambdas.back(), 50);
    // Improving again: the damping falls by 0.6666 per iteration.
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] -= 12;
    run.iterate(13);
    EXPECT_DOUBLE_EQ(run.lambda(), 50 * 0.6666);
}

TEST(Inversion, RotationStepsStayWithinFiveDegreesAndTheBounds)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    m->TurnBody(1, 30);   // the truth is 30 degrees back
    m->UpdateBody(1);
    body.InvertAngle = true;
    body.AngleMin = -12;
    body.AngleMax = 90;
    const Display d = viewOf(0, 20);
    Inversion run(*m, d, 1);
    double angle = edgeAngle(body);
    const double start = angle;
    for (int t = 1; t <= 8; ++t) {
        run.iterate(t);
        const double next = edgeAngle(body);
        EXPECT_LE(std::abs(next - angle), 5 + 1e-6) << "iteration " << t;
        EXPECT_GE(run.rotation(), -12);
        angle = next;
    }
    EXPECT_EQ(run.rotation(), -12);            // stopped at the bound...
    EXPECT_NEAR(angle - start, -12, 1e-3);      // ...and the body turned exactly that far
}

TEST(Inversion, CornerAboveTheSurfaceIsPutJustBelowIt)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    // A strong narrow high over corner 1 pulls that corner up hard.
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] += 400 * std::exp(-std::pow(m->StationX[i] + 7, 2));
    body.CornerInvertZ[1] = true;
    const Display d = viewOf(0, 20);
    Inversion run(*m, d, 1);
    run.iterate(1);
    ASSERT_LT(4 + run.increments()[0], 0);
    EXPECT_EQ(body.CornerZ[1], MinDepth);
    EXPECT_EQ(body.CornerZ[6], MinDepth);
}

TEST(Inversion, ZeroColumnGetsNoIncrement)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    body.Density = 0.25;
    m->UpdateBody(1);
    body.InvertDensity = true;
    body.InvertDepth = true;
    const Display flat = viewOf(10, 10);   // no depth step: the depth column is zero
    Inversion run(*m, flat, 1);
    run.iterate(1);
    EXPECT_EQ(run.increments()[1], 0);
    EXPECT_EQ(body.CornerZ[1], 4);
    EXPECT_GT(run.increments()[0], 0);
    EXPECT_TRUE(std::isfinite(body.Density));
}

TEST(Inversion, DensityZeroStillHasADensityColumn)
{
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    body.Density = 0;
    m->UpdateBody(1);
    body.InvertDensity = true;
    InversionState inv;
    runInversion(*m, inv, viewOf(0, 20), 1, 10);
    EXPECT_NEAR(body.Density, 0.3, 0.3 * 0.02);
}

TEST(Inversion, RunUnlinksCountsAndRefuses)
{
    auto m = syntheticModel();
    setBody(*m, 2, {{2, 4}, {20, 4}, {20, 8}, {7, 7}});
    m->NumBodies = 2;
    m->RecalculateModel();
    link(*m, 1, 2, 2, 1);
    link(*m, 1, 3, 2, 4);
    InversionState inv;
    const Display d = viewOf(0, 20);

    // Nothing selected: refused, but the links are gone.
    EXPECT_EQ(runInversion(*m, inv, d, 1, 5), InversionOutcome::NothingSelected);
    EXPECT_FALSE(m->Bodies[1].Linked[2]);
    EXPECT_FALSE(m->Bodies[2].Linked[1]);
    EXPECT_FALSE(m->Bodies[2].Linked[5]);

    // Count 0: unlinks only.
    link(*m, 1, 3, 2, 4);
    m->Bodies[1].InvertDensity = true;
    const auto before = std::make_unique<Model>(*m);
    EXPECT_EQ(runInversion(*m, inv, d, 1, 0), InversionOutcome::Done);
    EXPECT_FALSE(m->Bodies[1].Linked[3]);
    EXPECT_FALSE(m->Bodies[2].Linked[4]);
    EXPECT_EQ(m->Bodies[1].Density, before->Bodies[1].Density);
    EXPECT_EQ(m->CalculatedGravity, before->CalculatedGravity);

    // Eleven unknowns: refused before anything changes.
    link(*m, 1, 3, 2, 4);
    Tbody& body = m->Bodies[1];
    body.InvertXPos = body.InvertDepth = body.InvertAngle = true;
    for (int k = 1; k <= 4; ++k)
        body.CornerInvertX[k] = body.CornerInvertZ[k] = true;
    ASSERT_EQ(countUnknowns(body), 12);
    EXPECT_EQ(runInversion(*m, inv, d, 1, 5), InversionOutcome::TooManyUnknowns);
    EXPECT_TRUE(body.Linked[3]);
    EXPECT_EQ(body.CornerX, before->Bodies[1].CornerX);
}

TEST(Inversion, OtherCurrentBodyKeepsTheTotalConsistent)
{
    auto m = syntheticModel();
    setBody(*m, 2, {{20, 3}, {30, 3}, {30, 6}, {20, 6}}, -0.2);
    m->NumBodies = 2;
    m->RecalculateModel();
    m->CurrentBody = 2;   // MoveBody recalculates this one, not the inversion body
    Tbody& body = m->Bodies[1];
    shiftBodyDepth(*m, 1, 0.8, 0);
    m->UpdateBody(1);
    body.InvertDepth = true;
    body.InvertXPos = true;
    body.XPosMin = -100;
    InversionState inv;
    runInversion(*m, inv, viewOf(0, 20), 1, 5);
    std::vector<double> g1(121), g2(121);
    referenceAnomaly(m->Bodies[1], m->StationX.data(), 121, true, g1.data());
    referenceAnomaly(m->Bodies[2], m->StationX.data(), 121, true, g2.data());
    for (int i = 1; i <= 121; ++i) {
        ASSERT_NEAR(m->Bodies[1].Gravity[i], g1[static_cast<std::size_t>(i - 1)], 1e-9);
        ASSERT_NEAR(m->CalculatedGravity[i], g1[static_cast<std::size_t>(i - 1)] + g2[static_cast<std::size_t>(i - 1)], 1e-9);
    }
}

TEST(Inversion, KeptLinksMoveThePartnerBodyAlong)
{
    // Two bodies sharing the edge from (10, 5) to (10, 15); the data want
    // that edge at x = 12 and body 1 a little denser.
    auto m = makeModel();
    setStations(*m, 61, -20, 40);
    setBody(*m, 1, {{0, 5}, {12, 5}, {12, 15}, {0, 15}}, 0.3, 50, 50);
    setBody(*m, 2, {{12, 5}, {20, 5}, {20, 15}, {12, 15}}, -0.2, 50, 50);
    m->NumBodies = 2;
    m->HaveObserved = true;
    m->RecalculateModel();
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i];
    Tbody& b1 = m->Bodies[1];
    const Tbody& b2 = m->Bodies[2];
    b1.Density = 0.25;
    b1.setCorner(2, 10, 5);
    b1.setCorner(3, 10, 15);
    m->Bodies[2].setCorner(1, 10, 5);
    m->Bodies[2].setCorner(4, 10, 15);
    link(*m, 1, 2, 2, 1);
    link(*m, 1, 3, 2, 4);
    m->RecalculateModel();
    m->CurrentBody = 2;
    b1.InvertDensity = b1.InvertAngle = true;
    b1.CornerInvertX[2] = b1.CornerInvertX[3] = b1.CornerInvertZ[3] = true;
    const double before = rmsMisfit(*m);
    InversionState inv;
    ASSERT_EQ(runInversion(*m, inv, viewOf(0, 20), 1, 10, {}, nullptr, {.keepLinks = true}),
              InversionOutcome::Done);

    EXPECT_LT(rmsMisfit(*m), before / 20);
    EXPECT_NEAR(b1.CornerX[2], 12, 0.1);
    for (auto [k, pk] : {std::pair{2, 1}, std::pair{3, 4}}) {
        EXPECT_TRUE(b1.Linked[k] && b2.Linked[pk]);
        EXPECT_EQ(b1.LinkBody[k], 2);
        EXPECT_EQ(b1.LinkCorner[k], pk);
        EXPECT_EQ(b2.LinkBody[pk], 1);
        EXPECT_EQ(b2.LinkCorner[pk], k);
        EXPECT_EQ(b1.CornerX[k], b2.CornerX[pk]);
        EXPECT_EQ(b1.CornerZ[k], b2.CornerZ[pk]);
    }
    EXPECT_EQ(b2.CornerX[5], b2.CornerX[1]);   // the partner stays closed
    EXPECT_EQ(b2.CornerZ[5], b2.CornerZ[1]);
    // Every body's anomaly matches its corners, and the total their sum.
    std::vector<double> g1(61), g2(61);
    referenceAnomaly(b1, m->StationX.data(), 61, true, g1.data());
    referenceAnomaly(b2, m->StationX.data(), 61, true, g2.data());
    for (std::size_t i = 0; i < 61; ++i) {
        ASSERT_NEAR(b2.Gravity[static_cast<int>(i) + 1], g2[i], 1e-9);
        ASSERT_NEAR(m->CalculatedGravity[static_cast<int>(i) + 1], g1[i] + g2[i], 1e-9);
    }
}

TEST(Inversion, LawRateBoundsKeepTheContrastsSignOverTheBody)
{
    // The synthetic body reaches from 4 to 12 km.
    struct Case { DensityLaw law; double density, z0, rate, min, max; };
    const Case cases[] = {
        {DensityLaw::Linear, 0.3, 4, 0, -0.0375, 0.375},      // z0 at the top: the bottom holds it
        {DensityLaw::Linear, -0.3, 8, 0, -0.075, 0.075},      // z0 inside: both ends
        {DensityLaw::Linear, -0.3, 0, 0, -0.375, 0.025},      // negative: mirrored
        {DensityLaw::Linear, 0.3, 4, 0.5, -0.0375, 0.5},      // widened to the present rate
        {DensityLaw::Linear, 0, 4, 0, 0, 0},                  // no contrast, no sign to keep
        {DensityLaw::Exponential, 0.3, 4, 0, -3.75, 3.75},
    };
    auto m = syntheticModel();
    for (const Case& c : cases) {
        Tbody& body = m->Bodies[1];
        body.Law = c.law;
        body.Density = c.density;
        body.LawZ0 = c.z0;
        body.LawRate = c.rate;
        const Bounds b = lawRateBounds(body);
        EXPECT_NEAR(b.min, c.min, 1e-12) << c.density << " " << c.z0;
        EXPECT_NEAR(b.max, c.max, 1e-12) << c.density << " " << c.z0;
        for (double rate : {b.min, b.max}) {
            body.LawRate = rate;
            for (double z : {4.0, 12.0})
                EXPECT_GE(densityAt(body, z) * c.density, -1e-12) << rate << " at " << z;
        }
    }
}

TEST(Inversion, RecoversTheContrastAndRateOfALawBody)
{
    struct Case { DensityLaw law; double rate, startRate; };
    const Case cases[] = {
        {DensityLaw::Exponential, 0.12, 0.05},
        {DensityLaw::Linear, -0.02, 0},
    };
    for (const Case& c : cases) {
        auto m = syntheticModel();
        Tbody& body = m->Bodies[1];
        body.Law = c.law;
        body.LawRate = c.rate;
        body.LawZ0 = 4;
        m->RecalculateModel();
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] = m->CalculatedGravity[i];
        body.Density = 0.36;
        body.LawRate = c.startRate;
        body.InvertDensity = true;
        m->RecalculateModel();
        ASSERT_EQ(countUnknowns(body), 2);
        InversionState inv;
        ASSERT_EQ(runInversion(*m, inv, viewOf(0, 20), 1, 30, [] {}), InversionOutcome::Done);
        EXPECT_NEAR(body.Density, 0.3, 0.3 * 0.01) << static_cast<int>(c.law);
        EXPECT_NEAR(body.LawRate, c.rate, std::abs(c.rate) * 0.02) << static_cast<int>(c.law);
    }
}
