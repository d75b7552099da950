// Body-properties edits and the one-parameter fits of density and depth.
#include "inversion/fits.h"
#include "model/density_law.h"
#include "model/gravity.h"
#include "synthetic.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

void expectTotalIsSumOfVisible(const Model& m)
{
    for (int i = 1; i <= m.NumStations; ++i) {
        double sum = 0;
        for (int b = 1; b <= m.NumBodies; ++b)
            if (!m.Bodies[b].Hidden)
                sum += m.Bodies[b].Gravity[i];
        ASSERT_NEAR(m.CalculatedGravity[i], sum, 1e-9) << "station " << i;
    }
}

// Two bodies sharing the edge x = 10, corners 2 and 3 of body 1 linked to
// corners 1 and 4 of body 2.
std::unique_ptr<Model> linkedPair()
{
    auto m = makeModel();
    setStations(*m, 41, -20, 40);
    setBody(*m, 1, {{0, 5}, {10, 5}, {10, 15}, {0, 15}});
    setBody(*m, 2, {{10, 5}, {20, 5}, {20, 15}, {10, 15}}, -0.5);
    m->NumBodies = 2;
    link(*m, 1, 2, 2, 1);
    link(*m, 1, 3, 2, 4);
    m->RecalculateModel();
    return m;
}

}  // namespace

TEST(BodyEdits, FiguresAndRules)
{
    auto m = syntheticModel();
    const BodyFigures f = bodyFigures(m->Bodies[1]);
    EXPECT_EQ(f.top, 4);
    EXPECT_EQ(f.left, -7);
    EXPECT_EQ(f.right, 7);
    EXPECT_EQ(f.width(), 14);
    EXPECT_EQ(f.centre(), 0);

    EXPECT_EQ(fitIterationCount(0), 1);
    EXPECT_EQ(fitIterationCount(-3), 3);
    EXPECT_EQ(fitIterationCount(250), 100);
    EXPECT_EQ(fitIterationCount(2.5), 2);   // halves to even
    EXPECT_EQ(fitIterationCount(3.5), 4);

    EXPECT_DOUBLE_EQ(nextDamping(2, 1, 1), 2 * 0.6666);   // equal misfit counts as better
    EXPECT_DOUBLE_EQ(nextDamping(2, 1.1, 1), 3);
    EXPECT_DOUBLE_EQ(nextDamping(40, 2, 1), 50);
}

TEST(BodyEdits, DepthShiftAndWidthScaleCarryLinkedCorners)
{
    auto m = linkedPair();
    shiftBodyDepth(*m, 1, -7, 1e-5);   // corners at 5 reach -2: held at the floor
    const Tbody& b1 = m->Bodies[1];
    const Tbody& b2 = m->Bodies[2];
    EXPECT_EQ(b1.CornerZ[1], 1e-5);
    EXPECT_EQ(b1.CornerZ[5], 1e-5);   // the closing copy too
    EXPECT_EQ(b1.CornerZ[3], 8);
    EXPECT_EQ(b2.CornerZ[1], 1e-5);   // partner corner 1 and body 2's closing copy
    EXPECT_EQ(b2.CornerZ[5], 1e-5);
    EXPECT_EQ(b2.CornerZ[4], 8);
    EXPECT_EQ(b2.CornerZ[2], 5);      // unlinked corners of the partner stay
    m->UpdateBody(1);
    expectTotalIsSumOfVisible(*m);   // the partner was recalculated

    ASSERT_TRUE(scaleBodyWidth(*m, 1, 20));   // width 10 -> 20 about x = 5
    EXPECT_EQ(b1.CornerX[1], -5);
    EXPECT_EQ(b1.CornerX[2], 15);
    EXPECT_EQ(b2.CornerX[1], 15);
    EXPECT_EQ(b2.CornerX[4], 15);
    EXPECT_EQ(b2.CornerX[5], 15);

    // A negative width mirrors the body about its centre.
    ASSERT_TRUE(scaleBodyWidth(*m, 1, -20));
    EXPECT_EQ(b1.CornerX[1], 15);
    EXPECT_EQ(b1.CornerX[2], -5);

    // A body of zero width cannot be scaled by a ratio: it stays as it is.
    setBody(*m, 3, {{4, 1}, {4, 2}, {4, 3}});
    m->NumBodies = 3;
    EXPECT_FALSE(scaleBodyWidth(*m, 3, 5));
    EXPECT_EQ(m->Bodies[3].CornerX[2], 4);
    EXPECT_TRUE(std::isfinite(m->Bodies[3].CornerX[1]));
}

TEST(BodyEdits, StrictAndThresholdedApply)
{
    auto m = syntheticModel();
    const Tbody& body = m->Bodies[1];

    // Width 0 in "Calculate": the body is scaled to width 0.001, which the box shows.
    StrictApplyResult r = applyPropertiesStrict(*m, 1, {.width = 0.0});
    ASSERT_TRUE(r.correctedWidth);
    EXPECT_EQ(*r.correctedWidth, 0.001);
    EXPECT_NEAR(bodyFigures(body).width(), 0.001, 1e-12);
    r = applyPropertiesStrict(*m, 1, {.width = -14.0});   // negative: its absolute value
    EXPECT_NEAR(bodyFigures(body).width(), 14, 1e-9);
    EXPECT_NEAR(bodyFigures(body).centre(), 0, 1e-12);

    // Density, depth and strike lengths; a missing box leaves its quantity.
    applyPropertiesStrict(*m, 1, {.density = 0.5, .depth = 6.0, .strike2 = 50.0});
    EXPECT_EQ(body.Density, 0.5);
    EXPECT_NEAR(bodyFigures(body).top, 6, 1e-12);
    EXPECT_EQ(body.StrikeLength1, 200);
    EXPECT_EQ(body.StrikeLength2, 50);
    std::vector<double> fresh(static_cast<std::size_t>(m->NumStations));
    referenceAnomaly(body, m->StationX.data(), m->NumStations, true, fresh.data());
    EXPECT_NEAR(body.Gravity[60], fresh[59], 1e-9);
    expectTotalIsSumOfVisible(*m);

    // Below the thresholds nothing changes and no recalculation is asked for.
    const double x1 = body.CornerX[1];
    EXPECT_FALSE(applyPropertiesOnChange(
        *m, 1, {.density = 0.50005, .depth = 6.00005, .width = 14.00005, .strike1 = 200.005}));
    EXPECT_EQ(body.Density, 0.5);
    EXPECT_EQ(body.CornerX[1], x1);
    EXPECT_TRUE(applyPropertiesOnChange(*m, 1, {.strike1 = 210.0}));
    EXPECT_EQ(body.StrikeLength1, 210);
    EXPECT_TRUE(applyPropertiesOnChange(*m, 1, {.density = 0.4}));
    EXPECT_EQ(body.Density, 0.4);

    // A top typed above the surface lifts the body only until its top is
    // there: the shape stays, in both kinds of apply.
    auto height = [&body] {
        double lo = body.CornerZ[1], hi = lo;
        for (int k = 2; k <= body.NumCorners; ++k) {
            lo = std::min(lo, body.CornerZ[k]);
            hi = std::max(hi, body.CornerZ[k]);
        }
        return hi - lo;
    };
    for (const bool strict : {true, false}) {
        applyPropertiesStrict(*m, 1, {.depth = 6.0});
        const double before = height();
        if (strict)
            EXPECT_TRUE(applyPropertiesStrict(*m, 1, {.depth = -2.0}).depthShift.shortened);
        else
            EXPECT_TRUE(applyPropertiesOnChange(*m, 1, {.depth = -2.0}));
        EXPECT_NEAR(bodyFigures(body).top, 1e-6, 1e-12);
        EXPECT_NEAR(height(), before, 1e-12);
    }
}

TEST(BodyEdits, LawBoxesApplyAndRecalculate)
{
    struct Case { PropertyBoxes boxes; bool changed; DensityLaw law; double rate, z0; };
    const Case cases[] = {   // applied in turn to one body
        {{.law = DensityLaw::Exponential, .lawRate = 0.2, .lawZ0 = 4.0}, true, DensityLaw::Exponential, 0.2, 4},
        {{.law = DensityLaw::Exponential, .lawRate = 0.2, .lawZ0 = 4.0}, false, DensityLaw::Exponential, 0.2, 4},
        {{.law = DensityLaw::Linear, .lawRate = {}, .lawZ0 = 2.0}, true, DensityLaw::Linear, 0.2, 2},
        {{.law = DensityLaw::Constant, .lawRate = 0.5, .lawZ0 = 2.0}, true, DensityLaw::Constant, 0, 0},
    };
    auto m = syntheticModel();
    for (const Case& c : cases) {
        EXPECT_EQ(applyPropertiesOnChange(*m, 1, c.boxes), c.changed);
        const Tbody& b = m->Bodies[1];
        EXPECT_EQ(b.Law, c.law);
        EXPECT_EQ(b.LawRate, c.rate);
        EXPECT_EQ(b.LawZ0, c.z0);
        // The anomaly is the law's, calculated at once.
        std::vector<double> g(static_cast<std::size_t>(m->NumStations));
        bodyAnomaly(b, m->StationX.data(), m->NumStations, m->UnitsKm, g.data(), m->StationHeight.data());
        EXPECT_EQ(m->CalculatedGravity[60], g[59]);
    }
}

TEST(BodyEdits, BodyChangeSkipsHiddenBodiesAndStopsAfterOneRound)
{
    auto m = makeModel();
    m->NumBodies = 4;
    m->Bodies[2].Hidden = true;
    EXPECT_EQ(nextVisibleBody(*m, 1, +1), 3);
    EXPECT_EQ(nextVisibleBody(*m, 1, -1), 4);   // down from 1 wraps to the last
    EXPECT_EQ(nextVisibleBody(*m, 3, -1), 1);
    EXPECT_EQ(nextVisibleBody(*m, 4, +1), 1);
    for (int b = 1; b <= 4; ++b)
        m->Bodies[b].Hidden = true;
    EXPECT_EQ(nextVisibleBody(*m, 3, +1), 3);   // no endless search
    EXPECT_EQ(nextVisibleBody(*m, 3, -1), 3);
}

TEST(DensityFit, RecoversTheDensityWithinItsBounds)
{
    auto m = syntheticModel();
    InversionState inv;
    Tbody& body = m->Bodies[1];
    body.Density = 0.39;   // 30 % off
    m->UpdateBody(1);
    const double before = rmsMisfit(*m);
    std::vector<int> seen;
    EXPECT_EQ(densityFit(*m, inv, 1, [&] { seen.push_back(inv.IterationCount); }),
              FitOutcome::Done);
    EXPECT_NEAR(body.Density, 0.3, 0.3 * 0.02);
    EXPECT_LT(rmsMisfit(*m), before / 20);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(inv.IterationCount, 0);
    expectTotalIsSumOfVisible(*m);

    // Bounds hold: the truth lies above DensMax.
    body.Density = 0.1;
    body.DensMax = 0.2;
    m->UpdateBody(1);
    densityFit(*m, inv, 1);
    EXPECT_EQ(body.Density, 0.2);

    // A body of density 0 still fits, without NaN.
    body.Density = 0;
    body.DensMax = 1;
    m->UpdateBody(1);
    densityFit(*m, inv, 1);
    EXPECT_NEAR(body.Density, 0.3, 0.3 * 0.02);

    m->HaveObserved = false;
    EXPECT_EQ(densityFit(*m, inv, 1), FitOutcome::NoFieldData);
}

TEST(DepthFit, RecoversTheDepthWithTheMoveLimit)
{
    auto m = syntheticModel();
    InversionState inv;
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 40;   // step h = 1, moves of at most 2 per iteration
    Tbody& body = m->Bodies[1];
    shiftBodyDepth(*m, 1, 0.2 * 4, 0);   // 20 % too deep
    m->UpdateBody(1);
    const double before = rmsMisfit(*m);
    depthFit(*m, inv, d, 1);
    EXPECT_NEAR(body.CornerZ[1], 4, 4 * 0.02);
    EXPECT_LT(rmsMisfit(*m), before / 20);
    expectTotalIsSumOfVisible(*m);

    // Far off: the body trails behind, at most 2h per iteration, and arrives.
    shiftBodyDepth(*m, 1, 9, 0);
    m->UpdateBody(1);
    inv.NumIterations = 20;
    std::vector<double> tops{bodyFigures(body).top};
    depthFit(*m, inv, d, 1, [&] { tops.push_back(bodyFigures(body).top); });
    ASSERT_EQ(tops.size(), 21u);
    EXPECT_NEAR(tops[1], tops[0] - 2, 1e-9);   // the first step is cut to 2h
    for (std::size_t i = 1; i < tops.size(); ++i)
        EXPECT_LE(std::abs(tops[i] - tops[i - 1]), 2 + 1e-9);
    EXPECT_NEAR(body.CornerZ[1], 4, 4 * 0.02);

    // Corner 1 within DepthMin..DepthMax.
    body.DepthMin = 5;
    depthFit(*m, inv, d, 1);
    EXPECT_NEAR(body.CornerZ[1], 5, 1e-12);
}

TEST(DepthFit, UnlinksTheBodyAndRefusesAZeroDepthRange)
{
    auto m = linkedPair();
    m->HaveObserved = true;
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i] + 0.5;
    InversionState inv;
    inv.NumIterations = 3;
    Display d;
    d.ViewDepthMin = d.ViewDepthMax = 20;
    const auto before = std::make_unique<Model>(*m);
    EXPECT_EQ(depthFit(*m, inv, d, 1), FitOutcome::ZeroDepthRange);
    EXPECT_TRUE(m->Bodies[1].Linked[2]);   // nothing changed at all
    EXPECT_EQ(m->Bodies[1].CornerZ, before->Bodies[1].CornerZ);

    d.ViewDepthMin = 0;
    EXPECT_EQ(depthFit(*m, inv, d, 1), FitOutcome::Done);
    for (int k = 1; k <= 5; ++k)
        EXPECT_FALSE(m->Bodies[1].Linked[k]);
    EXPECT_FALSE(m->Bodies[2].Linked[1]);
    EXPECT_FALSE(m->Bodies[2].Linked[5]);
    EXPECT_EQ(m->Bodies[2].CornerZ, before->Bodies[2].CornerZ);   // the neighbour stays
    EXPECT_NE(m->Bodies[1].CornerZ[1], before->Bodies[1].CornerZ[1]);
}

TEST(Fits, FirstStepUsesThePinnedDerivatives)
{
    // One iteration of each fit against its damped step worked out here.
    auto m = syntheticModel();
    Tbody& body = m->Bodies[1];
    const int N = m->NumStations;
    InversionState inv;
    inv.NumIterations = 1;
    auto step = [&](const std::vector<double>& J) {   // lambda 2 x 0.6666 on iteration 1
        double rj = 0, jj = 0;
        for (int i = 1; i <= N; ++i) {
            rj += (m->ObservedGravity[i] - m->CalculatedGravity[i]) * J[static_cast<std::size_t>(i - 1)];
            jj += J[static_cast<std::size_t>(i - 1)] * J[static_cast<std::size_t>(i - 1)];
        }
        return rj / (jj + 1.3332);
    };
    auto anomaly = [&](const Tbody& b) {
        std::vector<double> g(static_cast<std::size_t>(N));
        bodyAnomaly(b, m->StationX.data(), N, true, g.data());
        return g;
    };

    // Density: the change from a 5 % larger density, over 5 % of that larger density.
    body.Density = 0.36;
    m->UpdateBody(1);
    Tbody denser = body;
    denser.Density = 1.05 * 0.36;
    std::vector<double> J = anomaly(denser);
    for (int i = 1; i <= N; ++i)
        J[static_cast<std::size_t>(i - 1)] = (J[static_cast<std::size_t>(i - 1)] - body.Gravity[i]) / (0.05 * 1.05 * 0.36);
    const double density = 0.36 + step(J);
    densityFit(*m, inv, 1);
    EXPECT_NEAR(body.Density, density, 1e-12);

    // Depth: the whole body 2.5 % of the displayed range deeper.
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 16;   // h = 0.4
    shiftBodyDepth(*m, 1, 0.5, 0);
    m->UpdateBody(1);
    Tbody deeper = body;
    for (int k = 1; k <= body.NumCorners; ++k)
        deeper.CornerZ[k] += 0.4;
    J = anomaly(deeper);
    for (int i = 1; i <= N; ++i)
        J[static_cast<std::size_t>(i - 1)] = (J[static_cast<std::size_t>(i - 1)] - body.Gravity[i]) / 0.4;
    const double z1 = body.CornerZ[1] + step(J);
    ASSERT_LT(std::abs(z1 - body.CornerZ[1]), 0.8);   // within the move limit of 2h
    depthFit(*m, inv, d, 1);
    EXPECT_NEAR(body.CornerZ[1], z1, 1e-12);
}

// The anomaly per unit density is the change that one more unit of density
// makes, with or without a density law (a linear one does not scale).
TEST(Fits, AnomalyPerUnitDensityUnderADensityLaw)
{
    for (DensityLaw law : {DensityLaw::Linear, DensityLaw::Exponential}) {
        auto m = makeModel();
        setStations(*m, 30, -10, 10);
        setBody(*m, 1, unitRectangle, 0.3, 10, 4);
        m->Bodies[1].Law = law, m->Bodies[1].LawRate = 0.2;
        m->RecalculateModel();
        std::vector<double> per, more(30);
        anomalyPerUnitDensity(*m, m->Bodies[1], per);
        m->Bodies[1].Density += 1;
        bodyAnomaly(m->Bodies[1], m->StationX.data(), 30, true, more.data());
        for (int i = 1; i <= 30; ++i)
            EXPECT_NEAR(per[static_cast<std::size_t>(i - 1)], more[static_cast<std::size_t>(i - 1)] - m->Bodies[1].Gravity[i], 1e-12);
    }
}

// The rate fit moves the law's rate alone, and neither fit lets a linear
// law's contrast change sign between the body's top (4 km) and bottom (12 km).
TEST(Fits, RateAndDensityFitsOfALawBodyKeepTheContrastsSign)
{
    struct Case {
        const char* name;
        DensityLaw law;
        double trueDensity, trueRate;      // the body that made the data
        double startDensity, startRate;
        FitOutcome (*fit)(Model&, InversionState&, int, const std::function<void()>&, RunReport*);
        double density, rate;              // where the fit ends
        Bound bound;
    };
    const Case cases[] = {
        {"Decay", DensityLaw::Exponential, 0.3, 0.12, 0.3, 0.05, lawRateFit, 0.3, 0.12, Bound::None},
        {"Gradient", DensityLaw::Linear, 0.3, -0.02, 0.3, 0, lawRateFit, 0.3, -0.02, Bound::None},
        // 0.3 - 0.06 (12 - 4) is negative at the bottom: held where it is 0 there
        {"Gradient", DensityLaw::Linear, 0.3, -0.06, 0.3, 0, lawRateFit, 0.3, -0.0375, Bound::Minimum},
        {"Density", DensityLaw::Exponential, 0.3, 0.12, 0.2, 0.12, densityFit, 0.3, 0.12, Bound::None},
        // 0.1 - 0.02 (12 - 4) is negative at the bottom: held at 0.0001 there
        {"Density", DensityLaw::Linear, 0.1, -0.02, 0.3, -0.02, densityFit, 0.1601, -0.02, Bound::Minimum},
    };
    for (const Case& c : cases) {
        auto m = syntheticModel();
        Tbody& body = m->Bodies[1];
        body.Law = c.law, body.LawZ0 = 4;
        body.Density = c.trueDensity, body.LawRate = c.trueRate;
        m->RecalculateModel();
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] = m->CalculatedGravity[i];
        body.Density = c.startDensity, body.LawRate = c.startRate;
        m->RecalculateModel();
        InversionState inv;
        inv.NumIterations = 30;
        RunReport report;
        ASSERT_EQ(c.fit(*m, inv, 1, {}, &report), FitOutcome::Done) << c.name;
        EXPECT_EQ(report.title, std::string(c.name) + " fit of body 1");
        EXPECT_NEAR(body.Density, c.density, 1e-4) << c.name << " " << c.trueRate;
        EXPECT_NEAR(body.LawRate, c.rate, 1e-4) << c.name << " " << c.trueRate;
        EXPECT_EQ(report.parameters.at(0).bound, c.bound) << c.name << " " << c.trueRate;
        for (double z : {4.0, 12.0})
            EXPECT_GE(densityAt(body, z), 0) << c.name << " at " << z;
        expectTotalIsSumOfVisible(*m);
    }
    // A constant body has no rate to fit.
    auto m = syntheticModel();
    InversionState inv;
    EXPECT_EQ(lawRateFit(*m, inv, 1), FitOutcome::NoLaw);
    EXPECT_EQ(m->Bodies[1].LawRate, 0);
}
