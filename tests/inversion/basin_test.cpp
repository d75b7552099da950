// A sedimentary basin inverted as a geophysicist would: the same answer in
// metres and kilometres, a light body that stays light under the default
// bounds, a run that never ends worse than it started, and standard errors
// that mean what they say.
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "io/model_file.h"
#include "model/gravity.h"
#include "model/workspace.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int Floor[] = {3, 4, 5};   // the basin's floor corners

// A basin of density -0.35 below 81 stations over 40 km, with the displayed
// section 4 km deep: in kilometres, or the same model in metres (every
// distance 1000 times the number). The observed data are the basin's own
// anomaly; the start is 20 % light and 25 % too deep.
struct Basin {
    std::unique_ptr<Model> m;
    Display d;
};
Basin basin(bool km)
{
    const double f = km ? 1 : 1000;
    Basin b{makeModel(), {}};
    Model& m = *b.m;
    m.UnitsKm = km;
    setStations(m, 81, 0, 40 * f);
    setBody(m, 1,
            {{8 * f, 0.01 * f}, {32 * f, 0.01 * f}, {26 * f, 1.5 * f}, {20 * f, 2.6 * f},
             {13 * f, 1.8 * f}},
            -0.35, 100 * f, 100 * f);
    m.NumBodies = 1;
    m.HaveObserved = true;
    m.RecalculateModel();
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i];
    Tbody& body = m.Bodies[1];
    body.Density = -0.28;
    for (int k : Floor)
        body.CornerZ[k] *= 1.25;
    m.UpdateBody(1);
    b.d.ViewDepthMin = 0;
    b.d.ViewDepthMax = 4 * f;
    return b;
}

void expectSameBody(const Tbody& km, const Tbody& metres, double tolerance)
{
    EXPECT_NEAR(metres.Density, km.Density, tolerance * std::abs(km.Density));
    for (int k = 1; k <= km.NumCorners; ++k) {
        EXPECT_NEAR(metres.CornerX[k] / 1000, km.CornerX[k], tolerance * std::abs(km.CornerX[k])) << k;
        EXPECT_NEAR(metres.CornerZ[k] / 1000, km.CornerZ[k], tolerance * std::abs(km.CornerZ[k])) << k;
    }
}

}  // namespace

TEST(Basin, MetresAndKilometresGiveTheSameModel)
{
    Basin km = basin(true), metres = basin(false);
    InversionState inv;
    for (Basin* b : {&km, &metres}) {
        Tbody& body = b->m->Bodies[1];
        body.InvertDensity = true;
        for (int k : Floor)
            body.CornerInvertZ[k] = true;
        ASSERT_EQ(runInversion(*b->m, inv, b->d, 1, 10), InversionOutcome::Done);
        EXPECT_LT(rmsMisfit(*b->m), 0.01);
        EXPECT_NEAR(body.Density, -0.35, 0.35 * 1e-3);
    }
    expectSameBody(km.m->Bodies[1], metres.m->Bodies[1], 1e-9);

    // The fits: the same in either unit too.
    Basin km2 = basin(true), metres2 = basin(false);
    for (Basin* b : {&km2, &metres2}) {
        inv.NumIterations = 6;
        ASSERT_EQ(depthFit(*b->m, inv, b->d, 1), FitOutcome::Done);
        ASSERT_EQ(densityFit(*b->m, inv, 1), FitOutcome::Done);
    }
    expectSameBody(km2.m->Bodies[1], metres2.m->Bodies[1], 1e-9);
}

TEST(Basin, LightBodyStaysLightUnderTheDefaultBounds)
{
    InversionState inv;
    Basin fit = basin(false);
    const Tbody& body = fit.m->Bodies[1];
    const double before = rmsMisfit(*fit.m);
    ASSERT_EQ(densityFit(*fit.m, inv, 1), FitOutcome::Done);
    EXPECT_LT(body.Density, 0);
    EXPECT_LT(rmsMisfit(*fit.m), before);

    Basin run = basin(false);
    run.m->Bodies[1].InvertDensity = true;
    RunReport report;
    runInversion(*run.m, inv, run.d, 1, 10, {}, &report);
    EXPECT_LT(run.m->Bodies[1].Density, 0);
    EXPECT_LT(rmsMisfit(*run.m), before);
    EXPECT_EQ(report.parameters[0].bound, Bound::None);

    // The default bounds of the other parameters, in the model's unit.
    const Bounds density = densityBounds(body);
    EXPECT_EQ(density.min, -1);
    EXPECT_EQ(density.max, -0.0001);
    const Bounds x = positionBounds(*run.m, body);
    EXPECT_EQ(x.min, 0);
    EXPECT_EQ(x.max, 40000);
    const Bounds z = depthBounds(run.d, body);
    EXPECT_EQ(z.min, 0);
    EXPECT_EQ(z.max, 4000);

    // A body made afresh (as a new model makes its bodies) has not had its
    // bounds typed either.
    Tbody fresh;
    fresh.Density = -0.35;
    fresh.CornerX = body.CornerX;
    fresh.CornerZ = body.CornerZ;
    EXPECT_EQ(densityBounds(fresh).max, -0.0001);
    EXPECT_EQ(positionBounds(*run.m, fresh).max, 40000);
    EXPECT_EQ(depthBounds(run.d, fresh).max, 4000);
}

TEST(Basin, RunNeverEndsWorseThanItStarted)
{
    // Random starts around the basin, from almost right to far off: near the
    // truth the damped steps overshoot and the misfit can end above the start.
    std::mt19937 random(18);
    std::uniform_real_distribution<double> spread(-1, 1), order(-3, -0.5);
    int worsened = 0;
    for (int trial = 0; trial < 60; ++trial) {
        Basin b = basin(true);
        Model& m = *b.m;
        for (int i = 1; i <= m.NumStations; ++i)   // a short wavelength no basin can fit
            m.ObservedGravity[i] += 0.2 * std::sin(m.StationX[i] * 1.7);
        Tbody& body = m.Bodies[1];
        const double size = std::pow(10, order(random));
        body.Density = -0.35 * (1 + size * spread(random));
        for (int k : Floor)
            body.CornerZ[k] = m.Bodies[1].CornerZ[k] / 1.25 * (1 + size * spread(random));
        body.CornerX[4] += 10 * size * spread(random);
        m.UpdateBody(1);
        body.InvertDensity = body.InvertXPos = body.InvertAngle = true;
        body.CornerInvertX[4] = true;
        for (int k : Floor)
            body.CornerInvertZ[k] = true;
        const double start = rmsMisfit(m);
        InversionState inv;
        RunReport report;
        runInversion(m, inv, b.d, 1, 10, {}, &report);
        ASSERT_EQ(report.misfits.size(), 11u);
        const double end = rmsMisfit(m);
        EXPECT_LE(end, start) << "trial " << trial;
        EXPECT_DOUBLE_EQ(end, report.rms[static_cast<std::size_t>(report.kept)]) << "trial " << trial;
        for (double e : report.rms)
            EXPECT_GE(e, report.rms[static_cast<std::size_t>(report.kept)]) << "trial " << trial;
        worsened += report.rms.back() > start;
    }
    EXPECT_GT(worsened, 0);   // the set holds runs whose last step made things worse
}

TEST(Basin, StandardErrorBracketsTheTruthAsOftenAsOneSigmaShould)
{
    // Gaussian noise of 0.05 mGal on the pentagon's anomaly; density and
    // depth inverted from the truth each time.
    const auto truth = syntheticModel();
    std::mt19937 random(1818);
    auto gauss = [&] {   // Box-Muller from the exactly specified engine
        const double u1 = (static_cast<double>(random()) + 1) / 4294967297.0;
        const double u2 = static_cast<double>(random()) / 4294967296.0;
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * Pi * u2);
    };
    Display d;
    d.ViewDepthMax = 20;
    int bracketed = 0;
    for (int trial = 0; trial < 200; ++trial) {
        auto m = std::make_unique<Model>(*truth);
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] += 0.05 * gauss();
        m->Bodies[1].InvertDensity = m->Bodies[1].InvertDepth = true;
        InversionState inv;
        RunReport report;
        runInversion(*m, inv, d, 1, 8, {}, &report);
        const ParameterResult& density = report.parameters[0];
        ASSERT_TRUE(density.standardError) << "trial " << trial;
        bracketed += std::abs(density.final - 0.3) <= *density.standardError;
    }
    EXPECT_GE(bracketed, 120);
    EXPECT_LE(bracketed, 152);
}

// The compacting basin of examples/, whose contrast -0.55 e^-0.35z made the
// data: its floor (4 km) sought by inverting the floor's two depths from 3 km.
// Under that law the floor comes back within its standard error; at a
// constant -0.55 it can only stay far too shallow, well outside its error.
TEST(Basin, CompactingBasinsFloorNeedsItsDensityLaw)
{
    const std::string file = std::string(CORVANE_TEST_DATA) + "/../../examples/compacting_basin.mod";
    struct Case { DensityLaw law; double rate; bool found; };
    for (const Case c : {Case{DensityLaw::Exponential, 0.35, true}, Case{DensityLaw::Constant, 0, false}}) {
        Workspace ws;
        ASSERT_EQ(loadModelFile(ws, file).message(), "");
        Model& m = ws.model;
        Tbody& body = m.Bodies[1];
        ASSERT_TRUE(body.CornerInvertZ[3] && body.CornerInvertZ[4]);
        body.Law = c.law, body.LawRate = c.rate, body.LawZ0 = 0;
        body.CornerZ[3] = body.CornerZ[4] = 3;
        m.RecalculateModel();
        InversionState inv;
        RunReport report;
        ASSERT_EQ(runInversion(m, inv, ws.display, 1, 20, {}, &report), InversionOutcome::Done);
        ASSERT_EQ(report.parameters.size(), 2u);
        for (const ParameterResult& floor : report.parameters) {
            ASSERT_TRUE(floor.standardError) << floor.name;
            const double miss = floor.final - 4;
            if (c.found)
                EXPECT_LE(std::abs(miss), *floor.standardError) << floor.name << " " << floor.final;
            else
                EXPECT_LT(miss, -10 * *floor.standardError) << floor.name << " " << floor.final;
        }
    }
}
