// The model's magnetic data: upkeep of each body's and the total magnetic
// anomaly through every body operation, the stations, the fit of K, and the
// item lines that carry the magnetic data in files.
#include "model/magnetic.h"
#include "model/magnetic_data.h"
#include "model/magnetic_limits.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

EarthField fieldOf(const Model& m)
{
    return {m.Mag.FieldIntensity, m.Mag.FieldInclination, m.Mag.FieldDeclination, m.Mag.FieldAzimuth};
}

void setMagStations(Model& m, int n, double x0, double x1, double h = 0)
{
    m.Mag.Num = n;
    for (int i = 1; i <= n; ++i) {
        m.Mag.X[i] = x0 + (x1 - x0) * (i - 1) / (n - 1);
        m.Mag.Height[i] = h;
        m.Mag.HasObserved[i] = false;
    }
}

// Three bodies, two magnetised, on 41 gravity and 33 magnetic stations.
std::unique_ptr<Model> magneticModel()
{
    auto m = makeModel();
    setStations(*m, 41, -20, 40);
    setMagStations(*m, 33, -25, 45, 0.1);
    setBody(*m, 1, {{0, 2}, {6, 2}, {6, 5}, {0, 5}}, 0.3, 5, 8);
    setBody(*m, 2, {{10, 1}, {20, 1}, {20, 4}, {10, 4}}, -0.2);
    setBody(*m, 3, {{22, 3}, {30, 3}, {26, 9}}, 0.1, 4, 2);
    m->NumBodies = 3;
    m->Bodies[1].Susceptibility = 0.05;
    m->Bodies[3].Susceptibility = 0.01;
    m->Bodies[3].Remanence = 2;
    m->Bodies[3].RemanentInclination = -30;
    m->Bodies[3].RemanentDeclination = 170;
    m->RecalculateModel();
    return m;
}

// Every body's array is its fresh anomaly, and the total the sum of the visible ones.
void expectMagneticUpToDate(const Model& m, const std::string& step)
{
    std::vector<double> fresh(static_cast<std::size_t>(m.Mag.Num));
    std::vector<double> sum(fresh.size(), 0.0);
    for (int b = 1; b <= m.NumBodies; ++b) {
        referenceMagnetic(m.Bodies[b], fieldOf(m), m.Mag.X.data(), m.Mag.Height.data(), m.Mag.Num, m.UnitsKm,
                          fresh.data());
        for (int i = 1; i <= m.Mag.Num; ++i) {
            const double v = fresh[static_cast<std::size_t>(i - 1)];
            ASSERT_NEAR(m.Bodies[b].Magnetic[i], v, 1e-8 * (1 + std::abs(v))) << step << " body " << b;
            if (!m.Bodies[b].Hidden)
                sum[static_cast<std::size_t>(i - 1)] += v;
        }
    }
    for (int i = 1; i <= m.Mag.Num; ++i)
        ASSERT_NEAR(m.Mag.Calculated[i], sum[static_cast<std::size_t>(i - 1)], 1e-8 * (1 + std::abs(sum[i - 1])))
            << step << " station " << i;
}

}  // namespace

TEST(MagneticData, EveryBodyOperationKeepsBothAnomaliesUpToDate)
{
    struct Step {
        const char* name;
        std::function<void(Model&)> apply;
    };
    const Step steps[] = {
        {"recalculate", [](Model&) {}},
        {"susceptibility changed", [](Model& m) { m.Bodies[1].Susceptibility = 0.2; m.UpdateBody(1); }},
        {"remanence given", [](Model& m) { m.Bodies[2].Remanence = 3; m.UpdateBody(2); }},
        {"move", [](Model& m) { m.CurrentBody = 1; m.MoveBody(1, 3, 1); }},
        {"turn", [](Model& m) { m.TurnBody(3, 40); m.UpdateBody(3); }},
        {"hide", [](Model& m) { m.setHidden(1, true); }},
        {"show", [](Model& m) { m.setHidden(1, false); }},
        {"hide a remanent body", [](Model& m) { m.setHidden(3, true); }},
        {"copy onto a new slot",
         [](Model& m) {
             m.CopyBody(1, 4);
             m.NumBodies = 4;
             m.CalculateBody(4);
             m.CurrentBody = 4;
             m.MoveBody(4, 1, 0);
         }},
        {"field changed", [](Model& m) { m.Mag.FieldInclination = -45; m.Mag.FieldAzimuth = 30; m.RecalculateMagnetic(); }},
        {"units changed", [](Model& m) { m.UnitsKm = false; m.RecalculateModel(); }},
    };
    auto m = magneticModel();
    for (const Step& s : steps) {
        s.apply(*m);
        expectMagneticUpToDate(*m, s.name);
    }
    // The copy carries its magnetisation.
    EXPECT_EQ(m->Bodies[4].Susceptibility, m->Bodies[1].Susceptibility);
}

TEST(MagneticData, GravityIsTheSameWithOrWithoutMagnetics)
{
    auto with = magneticModel();
    auto without = magneticModel();
    without->clearMagnetics();
    without->RecalculateModel();
    EXPECT_FALSE(without->hasMagnetics());
    EXPECT_TRUE(with->hasMagnetics());
    for (int i = 1; i <= with->NumStations; ++i)
        EXPECT_EQ(with->CalculatedGravity[i], without->CalculatedGravity[i]);
}

TEST(MagneticData, StationsAreSortedHeldToTheLimitAndRecalculated)
{
    auto m = magneticModel();
    std::vector<MagneticStationValue> s = {{5, 0, 10.0}, {-3, 0.2, std::nullopt}, {5, 1, 12.0}, {1, 0, -4.0}};
    EXPECT_FALSE(setMagneticStations(*m, s));
    ASSERT_EQ(m->Mag.Num, 4);
    const double x[] = {-3, 1, 5, 5};
    const double h[] = {0.2, 0, 0, 1};   // equal positions keep their order
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(m->Mag.X[i], x[i - 1]);
        EXPECT_EQ(m->Mag.Height[i], h[i - 1]);
    }
    EXPECT_FALSE(m->Mag.HasObserved[1]);
    EXPECT_TRUE(m->Mag.HasObserved[3]);
    expectMagneticUpToDate(*m, "after new stations");

    std::vector<MagneticStationValue> many(MaxStations + 5);
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i].x = -static_cast<double>(i);
    EXPECT_TRUE(setMagneticStations(*m, many));
    EXPECT_EQ(m->Mag.Num, MaxStations);
    // The first given are kept, not the leftmost.
    EXPECT_EQ(m->Mag.X[1], 1.0 - MaxStations);
    EXPECT_EQ(m->Mag.X[MaxStations], 0.0);

    const std::vector<double> even = evenMagneticPositions(*m, 7);
    ASSERT_EQ(even.size(), 7u);
    EXPECT_EQ(even.front(), m->StationX[1]);
    EXPECT_EQ(even.back(), m->StationX[m->NumStations]);
    EXPECT_DOUBLE_EQ(even[3], 0.5 * (m->StationX[1] + m->StationX[m->NumStations]));
}

TEST(MagneticData, MisfitCountsOnlyObservedStations)
{
    auto m = magneticModel();
    EXPECT_FALSE(magneticMisfit(*m));
    m->Mag.HasObserved[2] = true;
    m->Mag.Observed[2] = m->Mag.Calculated[2] + 3;
    m->Mag.HasObserved[7] = true;
    m->Mag.Observed[7] = m->Mag.Calculated[7] - 4;
    ASSERT_TRUE(magneticMisfit(*m));
    EXPECT_NEAR(*magneticMisfit(*m), std::sqrt((9.0 + 16.0) / 2), 1e-12);
}

TEST(MagneticData, SusceptibilityFitRecoversTheTrueValue)
{
    struct Case {
        const char* name;
        int body;
        double trueK;
        bool hidden;
    };
    const Case cases[] = {
        {"induced only", 1, 0.037, false},
        {"with remanence held", 3, 0.004, false},
        {"negative", 1, -0.01, false},
        {"beyond any rock: reported, not set", 1, 150, false},
    };
    for (const Case& c : cases) {
        auto m = magneticModel();
        m->Bodies[c.body].Susceptibility = c.trueK;
        m->UpdateBody(c.body);
        for (int i = 1; i <= m->Mag.Num; ++i) {
            m->Mag.HasObserved[i] = i % 3 != 0;   // a third without data
            m->Mag.Observed[i] = i % 3 != 0 ? m->Mag.Calculated[i] : 1e6;
        }
        m->Bodies[c.body].Susceptibility = 0.5;
        m->UpdateBody(c.body);
        const auto k = fitSusceptibility(*m, c.body);
        ASSERT_TRUE(k) << c.name;
        EXPECT_NEAR(*k, c.trueK, 1e-9) << c.name;
        const bool kept = SusceptibilityLimit.holds(c.trueK);
        EXPECT_EQ(m->Bodies[c.body].Susceptibility, kept ? *k : 0.5) << c.name;
        if (kept) {
            EXPECT_NEAR(*magneticMisfit(*m), 0, 1e-6) << c.name;
        }
        expectMagneticUpToDate(*m, c.name);
    }
    auto m = magneticModel();
    EXPECT_FALSE(fitSusceptibility(*m, 1));   // nothing observed
}


TEST(MagneticData, StepsShowTwoSignificantFigures)
{
    const std::pair<double, const char*> cases[] = {
        {0.1 * 0.0123, "0.0012"}, {0.1 * 123.4, "12"}, {0.1 * 12345, "1200"}, {0.1 * 5, "0.5"},
        {0.001, "0.001"},         {1e-5, "0.00001"},   {0.1 * 0.0199, "0.002"}, {5, "5"},
        {0.1 * 2.96, "0.3"},      {0, "0"},
    };
    for (const auto& [step, text] : cases)
        EXPECT_EQ(roundedStepText(step), text) << step;
}
