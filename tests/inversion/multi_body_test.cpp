// Inversions over several bodies at once, with constant levels: recovery of a
// basin, a basement block and a level over seeded noisy trials, the
// correlation of a traded-off pair, corners shared by linked bodies, and a
// run over all bodies that chooses one body giving the one-body run.
#include "inversion/least_squares.h"
#include "model/magnetic_data.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

Display section()
{
    Display d;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 20;
    return d;
}

// Observed: the model's anomaly plus a fixed noise-like pattern.
void observeWithNoise(Model& m, double noise)
{
    m.HaveObserved = true;
    m.RecalculateModel();
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i] + noise * std::sin(1.7 * i + 0.3 * i * i);
}

}  // namespace

TEST(AllBodies, RecoversBasinBlockAndLevelWithinTwoStandardErrors)
{
    // A light basin (body 1), a dense basement block (body 2) and a level.
    const std::vector<double> truth{-0.35, 3, 3.5, 0.25, 10, 5, 1.5};
    std::vector<int> within(truth.size(), 0);
    for (unsigned seed = 1; seed <= 50; ++seed) {
        auto m = syntheticModel();
        setBody(*m, 1, {{-20, 0.01}, {5, 0.01}, {-2, 3}, {-14, 3.5}}, -0.35, 200, 200);
        setBody(*m, 2, {{10, 5}, {30, 5}, {30, 9}, {10, 9}}, 0.25, 200, 200);
        m->NumBodies = 2;
        observeWithNoise(*m, 0);
        std::mt19937 random(seed);
        std::normal_distribution<double> noise(0, 0.1);
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] += 1.5 + noise(random);
        std::uniform_real_distribution<double> unit(-1, 1);
        Tbody& basin = m->Bodies[1];
        Tbody& block = m->Bodies[2];
        basin.Density *= 1 + 0.2 * unit(random);
        basin.setCorner(3, basin.CornerX[3], basin.CornerZ[3] + 0.5 * unit(random));
        basin.setCorner(4, basin.CornerX[4], basin.CornerZ[4] + 0.5 * unit(random));
        block.Density *= 1 + 0.2 * unit(random);
        const double dx = 1.5 * unit(random), dz = 0.8 * unit(random);
        for (int k = 1; k < block.NumCorners; ++k)
            block.setCorner(k, block.CornerX[k] + dx, block.CornerZ[k] + dz);
        m->RecalculateModel();
        basin.InvertDensity = basin.CornerInvertZ[3] = basin.CornerInvertZ[4] = true;
        block.InvertDensity = block.InvertXPos = block.InvertDepth = true;

        InversionState inv;
        RunReport rep;
        ASSERT_EQ(runInversion(*m, inv, section(), 1, 20, {}, &rep, {.allBodies = true, .fitShift = true}),
                  InversionOutcome::Done);
        ASSERT_EQ(rep.parameters.size(), truth.size());
        for (std::size_t k = 0; k < truth.size(); ++k) {
            const ParameterResult& p = rep.parameters[k];
            ASSERT_TRUE(p.standardError.has_value()) << p.name << " seed " << seed;
            within[k] += std::abs(p.final - truth[k]) <= 2 * *p.standardError;
        }
    }
    for (std::size_t k = 0; k < truth.size(); ++k)
        EXPECT_GE(within[k], 45) << k;
}

TEST(AllBodies, ThinSlabDensityAndThicknessTradeOff)
{
    // A thin lens: its anomaly is nearly density times thickness.
    auto m = syntheticModel();
    setBody(*m, 1, {{-5, 3}, {5, 3}, {0, 3.3}}, 0.3, 200, 200);
    observeWithNoise(*m, 0.01);
    m->Bodies[1].InvertDensity = m->Bodies[1].CornerInvertZ[3] = true;
    InversionState inv;
    RunReport rep;
    ASSERT_EQ(runInversion(*m, inv, section(), 1, 5, {}, &rep, {.allBodies = true}), InversionOutcome::Done);
    ASSERT_EQ(rep.correlation.size(), 2u);
    EXPECT_LT(rep.correlation[1][0], -0.9);   // denser and thinner fit alike

    // The line y = a + b x at x = 0..5: corr(a, b) = -sum x / sqrt(n sum x^2);
    // a parameter held at a bound has no correlations.
    const std::vector<double> x{0, 1, 2, 3, 4, 5}, r{0.3, -0.2, 0.1, -0.4, 0.25, -0.05};
    const std::vector<std::vector<double>> J{std::vector<double>(6, 1.0), x};
    EXPECT_NEAR(standardErrors(J, r).correlation[1][0], -15 / std::sqrt(6 * 55.0), 1e-12);
    const ErrorEstimate held = standardErrors(J, r, {true, false});
    EXPECT_TRUE(std::isnan(held.correlation[0][1]) && held.correlation[1][1] == 1.0);
}

TEST(AllBodies, OneChosenBodyGivesTheOneBodyRun)
{
    // Over all bodies a corner's column comes from the changed outline: the
    // same figures to rounding.
    auto m = syntheticModel();
    setBody(*m, 2, {{20, 3}, {30, 3}, {30, 6}, {20, 6}}, -0.2);   // nothing chosen
    m->NumBodies = 2;
    observeWithNoise(*m, 0.05);
    Tbody& b = m->Bodies[1];
    b.Density = 0.25;
    b.setCorner(2, 2.5, 4.3);
    b.setCorner(4, 5.3, 11.5);
    m->RecalculateModel();
    b.InvertDensity = b.InvertDepth = b.CornerInvertX[2] = b.CornerInvertZ[2] = b.CornerInvertZ[4] = true;
    auto all = std::make_unique<Model>(*m);
    InversionState inv;
    RunReport one, every;
    ASSERT_EQ(runInversion(*m, inv, section(), 1, 10, {}, &one), InversionOutcome::Done);
    ASSERT_EQ(runInversion(*all, inv, section(), 1, 10, {}, &every, {.allBodies = true}), InversionOutcome::Done);
    EXPECT_LT(one.rms[static_cast<std::size_t>(one.kept)], 0.06);
    EXPECT_EQ(one.kept, every.kept);
    ASSERT_EQ(one.parameters.size(), every.parameters.size());
    for (std::size_t k = 0; k < one.parameters.size(); ++k) {
        const ParameterResult &p = one.parameters[k], &q = every.parameters[k];
        EXPECT_NEAR(p.final, q.final, 1e-9 * std::abs(p.final)) << p.name;
        ASSERT_TRUE(p.standardError && q.standardError) << p.name;
        EXPECT_NEAR(*p.standardError, *q.standardError, 1e-5 * *p.standardError) << p.name;
    }
    EXPECT_EQ(every.parameters[4].name, "Body 1 corner 4 depth");
}

TEST(AllBodies, BothFieldsWithLevelsLeaveTheBodiesWithout)
{
    auto m = syntheticModel();
    m->Bodies[1].Susceptibility = 0.02;
    std::vector<MagneticStationValue> stations;
    for (int i = 0; i < 61; ++i)
        stations.push_back({-60 + 2.0 * i, 0.1, std::optional<double>(0)});
    setMagneticStations(*m, stations);
    m->RecalculateModel();
    std::mt19937 random(3);
    std::normal_distribution<double> unit(0, 1);
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i] + 1.5 + 0.1 * unit(random);
    for (int i = 1; i <= m->Mag.Num; ++i)
        m->Mag.Observed[i] = m->Mag.Calculated[i] - 20 + unit(random);
    m->Bodies[1].Density = 0.25;
    m->Bodies[1].Susceptibility = 0.015;
    m->RecalculateModel();
    m->Bodies[1].InvertDensity = m->Bodies[1].InvertSusceptibility = true;
    InversionState inv;
    RunReport rep;
    const InversionOptions options{.useMagnetic = true, .allBodies = true, .fitShift = true};
    ASSERT_EQ(runInversion(*m, inv, section(), 1, 15, {}, &rep, options), InversionOutcome::Done);
    const std::pair<std::string, double> want[] = {{"Body 1 density", 0.3}, {"Body 1 susceptibility", 0.02},
                                                   {"Gravity shift", 1.5}, {"Magnetic shift", -20}};
    ASSERT_EQ(rep.parameters.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const ParameterResult& p = rep.parameters[k];
        EXPECT_EQ(p.name, want[k].first);
        EXPECT_EQ(p.shift, k < 2 ? Shift::None : k == 2 ? Shift::Gravity : Shift::Magnetic) << p.name;
        ASSERT_TRUE(p.standardError.has_value()) << p.name;
        EXPECT_LE(std::abs(p.final - want[k].second), 3 * *p.standardError) << p.name;   // one draw
    }
    // The run's misfits are taken with the levels; the model's without them.
    const auto kept = static_cast<std::size_t>(rep.kept);
    EXPECT_LT(rep.rms[kept], 0.13);
    EXPECT_LT(rep.magneticRms[kept], 1.3);
    EXPECT_NEAR(rmsMisfit(*m), 1.5, 0.05);
}

TEST(AllBodies, SharedCornersAreOneUnknownAndTheLimitIsLarger)
{
    // Two blocks sharing the edge x = 12; the data want its foot at depth 16.
    auto m = makeModel();
    setStations(*m, 61, -20, 40);
    setBody(*m, 1, {{0, 5}, {12, 5}, {12, 16}, {0, 15}}, 0.3, 50, 50);
    setBody(*m, 2, {{12, 5}, {20, 5}, {20, 15}, {12, 16}}, -0.2, 50, 50);
    m->NumBodies = 2;
    observeWithNoise(*m, 0);
    m->Bodies[1].setCorner(3, 12, 13);
    m->Bodies[2].setCorner(4, 12, 13);
    link(*m, 1, 2, 2, 1);
    link(*m, 1, 3, 2, 4);
    m->RecalculateModel();
    InversionState inv;
    EXPECT_EQ(runInversion(*m, inv, section(), 1, 5, {}, nullptr, {.allBodies = true}),
              InversionOutcome::NothingSelected);
    // Eleven unknowns of body 1, refused by the one-body run; over all bodies
    // they run with body 2's, its shared corners not second unknowns.
    Tbody& b1 = m->Bodies[1];
    b1.InvertDensity = b1.InvertXPos = b1.InvertDepth = m->Bodies[2].InvertDensity = true;
    for (int k = 1; k <= 4; ++k)
        b1.CornerInvertX[k] = b1.CornerInvertZ[k] = m->Bodies[2].CornerInvertZ[k] = true;
    EXPECT_EQ(runInversion(*m, inv, section(), 1, 5), InversionOutcome::TooManyUnknowns);
    RunReport rep;
    ASSERT_EQ(runInversion(*m, inv, section(), 1, 10, {}, &rep, {.allBodies = true}), InversionOutcome::Done);
    ASSERT_EQ(rep.parameters.size(), 14u);
    EXPECT_EQ(rep.parameters[11].name, "Body 2 density");
    EXPECT_EQ(rep.parameters[12].name, "Body 2 corner 2 depth");
    EXPECT_EQ(rep.parameters[13].name, "Body 2 corner 3 depth");
    EXPECT_LT(rep.rms[static_cast<std::size_t>(rep.kept)], rep.rms[0] / 10);
    EXPECT_EQ(m->Bodies[2].CornerZ[4], b1.CornerZ[3]);
    EXPECT_EQ(m->Bodies[2].CornerX[1], b1.CornerX[2]);
    EXPECT_TRUE(b1.Linked[3]);
}
