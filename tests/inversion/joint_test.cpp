// Inversions that fit the magnetic anomaly, alone or with gravity: recovery of
// a known body from noisy data, agreement with the one-parameter fit of the
// susceptibility, and gravity-only runs untouched by magnetic data.
#include "inversion/least_squares.h"
#include "inversion/run_options.h"
#include "model/magnetic_data.h"
#include "model/workspace.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

Display section(double zmin, double zmax)
{
    Display d;
    d.ViewDepthMin = zmin;
    d.ViewDepthMax = zmax;
    return d;
}

// The synthetic body with susceptibility 0.02 and some remanence, 61
// magnetic stations; both data sets are its anomalies plus noise of the
// given standard deviations (a fixed seed).
std::unique_ptr<Model> jointModel(double gravityNoise, double magneticNoise, bool observedMagnetic = true,
                                  unsigned seed = 7)
{
    auto m = syntheticModel();
    m->Bodies[1].Susceptibility = 0.02;
    m->Bodies[1].Remanence = 0.5;
    m->Bodies[1].RemanentInclination = -30;
    m->Bodies[1].RemanentDeclination = 20;
    std::vector<MagneticStationValue> stations;
    for (int i = 0; i < 61; ++i)
        stations.push_back({-60 + 2.0 * i, 0.1, observedMagnetic ? std::optional<double>(0) : std::nullopt});
    setMagneticStations(*m, stations);
    m->RecalculateModel();
    std::mt19937 random(seed);
    std::normal_distribution<double> unit(0, 1);
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i] + gravityNoise * unit(random);
    for (int i = 1; i <= m->Mag.Num; ++i)
        if (observedMagnetic)
            m->Mag.Observed[i] = m->Mag.Calculated[i] + magneticNoise * unit(random);
    return m;
}

}  // namespace

TEST(JointInversion, RecoversTheBodyWithinTwoStandardErrors)
{
    struct Case {
        const char* name;
        bool density, depth;
        InversionOptions options;
    };
    const Case cases[] = {
        {"density and susceptibility, both data sets", true, false,
         {.useMagnetic = true, .invertSusceptibility = true}},
        {"depth and susceptibility, magnetics alone", false, true,
         {.useGravity = false, .useMagnetic = true, .invertSusceptibility = true}},
        {"density, depth, susceptibility and remanence, both", true, true,
         {.useMagnetic = true, .invertSusceptibility = true, .invertRemanence = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = jointModel(0.1, 1, true, 2);
        Tbody& b = m->Bodies[1];
        const double trueDepth = b.CornerZ[1];
        b.Density = 0.24;
        b.Susceptibility = 0.012;
        if (c.options.invertRemanence)
            b.Remanence = 0.2;
        if (c.depth)
            for (int k = 1; k <= b.NumCorners; ++k)
                b.CornerZ[k] += 0.8;
        m->RecalculateModel();
        b.InvertDensity = c.density;
        b.InvertDepth = c.depth;
        const double magneticBefore = *magneticMisfit(*m);
        InversionState inv;
        RunReport rep;
        ASSERT_EQ(runInversion(*m, inv, section(0, 30), 1, 15, {}, &rep, c.options),
                  InversionOutcome::Done);

        // Every state's magnetic misfit and weighted misfit recorded; the fit
        // brings the magnetic misfit down to the noise.
        ASSERT_EQ(rep.magneticRms.size(), 16u);
        ASSERT_EQ(rep.weighted.size(), 16u);
        EXPECT_EQ(rep.magneticRms[0], magneticBefore);
        EXPECT_LT(rep.magneticRms[static_cast<std::size_t>(rep.kept)], 1.3);
        EXPECT_GT(rep.magneticRms[0], 3 * rep.magneticRms[static_cast<std::size_t>(rep.kept)]);
        EXPECT_EQ(rep.stations, (c.options.useGravity ? 121 : 0) + 61);

        const double truth[] = {0.3, 0.02, 0.5, trueDepth};
        for (const ParameterResult& p : rep.parameters) {
            const double want = p.name == "Density"                  ? truth[0]
                                : p.name == "Susceptibility"         ? truth[1]
                                : p.name == "Remanent magnetisation" ? truth[2]
                                                                     : truth[3];
            ASSERT_TRUE(p.standardError.has_value()) << p.name;
            EXPECT_GT(*p.standardError, 0) << p.name;
            EXPECT_LE(std::abs(p.final - want), 2 * *p.standardError) << p.name;
        }
    }
}

TEST(JointInversion, SusceptibilityAloneAgreesWithTheOneParameterFit)
{
    auto fitted = jointModel(0.1, 2);
    fitted->Bodies[1].Susceptibility = 0.05;
    fitted->Bodies[1].Density = 0.1;   // a poor gravity fit that must not matter
    fitted->RecalculateModel();
    auto inverted = std::make_unique<Model>(*fitted);

    const std::optional<double> k = fitSusceptibility(*fitted, 1);
    ASSERT_TRUE(k.has_value());
    InversionState inv;
    ASSERT_EQ(runInversion(*inverted, inv, section(0, 30), 1, 12, {}, nullptr,
                           {.useGravity = false, .useMagnetic = true, .invertSusceptibility = true}),
              InversionOutcome::Done);
    EXPECT_NEAR(inverted->Bodies[1].Susceptibility, *k, 1e-9 * std::abs(*k));
    EXPECT_EQ(inverted->Bodies[1].Density, 0.1);
}

TEST(JointInversion, GravityRunsIgnoreMagneticData)
{
    // The same gravity inversion of a model without magnetics, with magnetics
    // switched off, and with magnetics asked for where no magnetic value was
    // observed: the same figures to the last bit.
    struct Case {
        const char* name;
        bool magneticStations, observedMagnetic;
        InversionOptions options;
    };
    const Case cases[] = {
        {"no magnetics", false, false, {}},
        {"magnetics off", true, true, {}},
        {"magnetics without observed values", true, false, {.useGravity = false, .useMagnetic = true}},
    };
    std::vector<double> first;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = c.magneticStations ? jointModel(0.1, 1, c.observedMagnetic) : syntheticModel();
        if (!c.magneticStations) {   // the same noise as jointModel's
            std::mt19937 random(7);
            std::normal_distribution<double> unit(0, 1);
            for (int i = 1; i <= m->NumStations; ++i)
                m->ObservedGravity[i] += 0.1 * unit(random);
        }
        Tbody& b = m->Bodies[1];
        b.Density = 0.25;
        for (int k = 1; k <= b.NumCorners; ++k)
            b.CornerX[k] += 1;
        m->RecalculateModel();
        b.InvertDensity = b.InvertXPos = b.InvertDepth = true;
        b.CornerInvertZ[3] = true;
        InversionState inv;
        RunReport rep;
        ASSERT_EQ(runInversion(*m, inv, section(0, 30), 1, 6, {}, &rep, c.options), InversionOutcome::Done);
        EXPECT_TRUE(rep.magneticRms.empty());
        std::vector<double> got = rep.rms;
        for (const ParameterResult& p : rep.parameters)
            got.insert(got.end(), {p.final, p.standardError.value_or(-1)});
        for (int k = 1; k <= b.NumCorners; ++k)
            got.insert(got.end(), {b.CornerX[k], b.CornerZ[k]});
        if (first.empty())
            first = got;
        else
            EXPECT_EQ(got, first);
    }
}

TEST(JointInversion, MagnetisationBounds)
{
    struct Case {
        const char* name;
        double startK;
        std::optional<Bounds> typed;
        double wantK;
        bool outside;
    };
    const Case cases[] = {
        {"typed maximum holds it", 0.01, Bounds{0, 0.015}, 0.015, false},
        {"default widened to hold the start", 1.5, std::nullopt, 0.02, false},
        {"typed bounds kept though the start is outside", 0.5, Bounds{0, 0.3}, 0.02, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = jointModel(0, 0);
        m->Bodies[1].Susceptibility = c.startK;
        if (c.typed) {   // as the inversion parameter choice stores them
            m->Bodies[1].SusceptibilityMin = c.typed->min;
            m->Bodies[1].SusceptibilityMax = c.typed->max;
        }
        m->Bodies[1].InvertSusceptibility = true;
        m->RecalculateModel();
        InversionState inv;
        RunReport rep;
        ASSERT_EQ(runInversion(*m, inv, section(0, 30), 1, 15, {}, &rep,
                               {.useMagnetic = true}),
                  InversionOutcome::Done);
        EXPECT_NEAR(m->Bodies[1].Susceptibility, c.wantK, 1e-7);
        EXPECT_EQ(rep.startOutsideBounds, c.outside);
        EXPECT_EQ(rep.parameters.at(0).atBound, c.wantK == 0.015);
    }
}

TEST(JointInversion, AMagneticSurveyAloneIsFittedOnItsOwn)
{
    // No gravity data: the run the model's choices describe fits magnetics,
    // whatever the stored choice of data, and ignores the gravity arrays.
    Workspace ws;
    ws.model = *jointModel(0.1, 1, true, 2);
    ws.display = section(0, 30);
    Model& m = ws.model;
    m.HaveObserved = false;
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = 1000;
    Tbody& b = m.Bodies[1];
    const double trueDepth = b.CornerZ[1];
    b.Susceptibility = 0.012;
    for (int k = 1; k <= b.NumCorners; ++k)
        b.CornerZ[k] += 0.8;
    m.RecalculateModel();
    b.InvertDepth = b.InvertSusceptibility = true;
    ASSERT_TRUE(haveInversionData(m) && ws.extras.FitGravity);

    RunReport rep;
    ASSERT_TRUE(runStoredInversion(ws, 15, {}, &rep).ok());
    EXPECT_EQ(rep.stations, 61);
    const double truth[] = {0.02, trueDepth};   // susceptibility, then depth
    for (std::size_t k = 0; k < 2; ++k)
        EXPECT_LE(std::abs(rep.parameters.at(k).final - truth[k]), 2 * rep.parameters[k].standardError.value_or(0));
    const std::string table = reportTable(rep, "\n");
    EXPECT_NE(table.find("\nIteration Mag. misfit (nT)\n        0"), std::string::npos) << table;
    EXPECT_EQ(table.find("RMS (mGal)"), std::string::npos);
    EXPECT_NE(table.find("N = 61 magnetic stations, M = 2 free parameters."), std::string::npos);
    // Without observed values in either set there is nothing to invert.
    for (int i = 1; i <= m.Mag.Num; ++i)
        m.Mag.HasObserved[i] = false;
    EXPECT_FALSE(haveInversionData(m));
}
