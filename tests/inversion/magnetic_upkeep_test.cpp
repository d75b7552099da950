// Gravity fits and inversions of a model that also has magnetic stations:
// the trial shapes must leave no trace in the bodies' magnetic anomalies or
// the magnetic total, which end as those of the shape the run keeps.
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "model/magnetic.h"
#include "model/magnetic_data.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace corvane;
using namespace corvane::test;

TEST(MagneticUpkeep, GravityFitsLeaveTheMagneticAnomalyOfTheShapeKept)
{
    struct Case {
        const char* name;
        std::function<void(Model&, InversionState&, const Display&)> run;
    };
    const Case cases[] = {
        {"density fit", [](Model& m, InversionState& inv, const Display&) { densityFit(m, inv, 1); }},
        {"depth fit", [](Model& m, InversionState& inv, const Display& d) { depthFit(m, inv, d, 1); }},
        {"inversion of position, depth and corners",
         [](Model& m, InversionState& inv, const Display& d) {
             Tbody& b = m.Bodies[1];
             b.InvertXPos = b.InvertDepth = true;
             b.CornerInvertZ[3] = b.CornerInvertX[4] = true;
             runInversion(m, inv, d, 1, 4);
         }},
    };
    for (const Case& c : cases) {
        auto m = syntheticModel();
        m->Mag.Num = 61;
        for (int i = 1; i <= 61; ++i)
            m->Mag.X[i] = -60 + 2.0 * (i - 1);
        m->Bodies[1].Susceptibility = 0.02;
        m->Bodies[1].XPosMin = -60;
        m->Bodies[1].XPosMax = 60;
        m->Bodies[1].DepthMin = 0;
        m->Bodies[1].DepthMax = 40;
        // A start away from the truth, so that every run changes the shape.
        for (int k = 1; k <= m->Bodies[1].NumCorners; ++k) {
            m->Bodies[1].CornerX[k] += 1.5;
            m->Bodies[1].CornerZ[k] += 1.0;
        }
        m->Bodies[1].Density = 0.25;
        m->RecalculateModel();
        InversionState inv;
        inv.NumIterations = 4;
        Display d;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 30;
        c.run(*m, inv, d);

        std::vector<double> fresh(61);
        const EarthField f{m->Mag.FieldIntensity, m->Mag.FieldInclination, m->Mag.FieldDeclination,
                           m->Mag.FieldAzimuth};
        referenceMagnetic(m->Bodies[1], f, m->Mag.X.data(), m->Mag.Height.data(), 61, m->UnitsKm, fresh.data());
        for (int i = 1; i <= 61; ++i) {
            const double v = fresh[static_cast<std::size_t>(i - 1)];
            ASSERT_NEAR(m->Bodies[1].Magnetic[i], v, 1e-8 * (1 + std::abs(v))) << c.name << " station " << i;
            ASSERT_NEAR(m->Mag.Calculated[i], v, 1e-8 * (1 + std::abs(v))) << c.name << " station " << i;
        }
    }
}

TEST(MagneticUpkeep, EachChangeRecalculatesOnlyTheFieldsItAffects)
{
    struct Case {
        const char* name;
        std::function<void(Model&)> change;
        bool gravity;    // recalculated
        bool magnetic;
    };
    auto magnetisation = [](std::function<void(Tbody&)> set) {
        return [set](Model& m) {
            set(m.Bodies[1]);
            m.UpdateBody(1, BodyChange::Magnetisation);
        };
    };
    const Case cases[] = {
        {"density in Body Properties", [](Model& m) { applyPropertiesOnChange(m, 1, {.density = 0.45}); }, true,
         false},
        {"density fit",
         [](Model& m) {
             InversionState inv;
             inv.NumIterations = 2;
             densityFit(m, inv, 1);
         },
         true, false},
        {"strike length in Body Properties", [](Model& m) { applyPropertiesOnChange(m, 1, {.strike1 = 20}); },
         true, true},
        {"susceptibility", magnetisation([](Tbody& b) { b.Susceptibility = 0.05; }), false, true},
        {"remanence", magnetisation([](Tbody& b) { b.Remanence = 2; }), false, true},
        {"remanent direction",
         magnetisation([](Tbody& b) {
             b.RemanentInclination = -30;
             b.RemanentDeclination = 170;
         }),
         false, true},
        {"susceptibility fit", [](Model& m) { fitSusceptibility(m, 1); }, false, true},
        {"Earth's field",
         [](Model& m) {
             m.Mag.FieldInclination = 35;
             m.RecalculateMagnetic();
         },
         false, true},
    };
    constexpr double Sentinel = 123456.75;
    for (const Case& c : cases) {
        auto m = syntheticModel();
        m->Mag.Num = 41;
        for (int i = 1; i <= 41; ++i) {
            m->Mag.X[i] = -60 + 3.0 * (i - 1);
            m->Mag.HasObserved[i] = true;
        }
        m->Bodies[1].Susceptibility = 0.02;
        m->Bodies[1].Remanence = 0.5;
        m->RecalculateModel();
        for (int i = 1; i <= 41; ++i)
            m->Mag.Observed[i] = 1.5 * m->Mag.Calculated[i];
        for (int i = 1; i <= m->NumStations; ++i)
            m->ObservedGravity[i] = 1.2 * m->CalculatedGravity[i];
        const auto before = std::make_unique<Model>(*m);
        Tbody& body = m->Bodies[1];
        // The field left alone keeps even a figure no calculation gives.
        if (!c.gravity)
            body.Gravity.fill(Sentinel);
        if (!c.magnetic)
            body.Magnetic.fill(Sentinel);
        c.change(*m);
        for (int i = 1; i <= m->NumStations; ++i) {
            if (!c.gravity) {
                ASSERT_EQ(body.Gravity[i], Sentinel) << c.name << " station " << i;
                ASSERT_EQ(m->CalculatedGravity[i], before->CalculatedGravity[i]) << c.name << " station " << i;
            }
        }
        for (int i = 1; i <= m->Mag.Num; ++i) {
            if (!c.magnetic) {
                ASSERT_EQ(body.Magnetic[i], Sentinel) << c.name << " station " << i;
                ASSERT_EQ(m->Mag.Calculated[i], before->Mag.Calculated[i]) << c.name << " station " << i;
            }
        }
        EXPECT_EQ(m->CalculatedGravity[61] != before->CalculatedGravity[61], c.gravity) << c.name;
        EXPECT_EQ(m->Mag.Calculated[21] != before->Mag.Calculated[21], c.magnetic) << c.name;

        // With the untouched field's figures put back, the model is what a
        // full recalculation makes of it.
        if (!c.gravity)
            body.Gravity = before->Bodies[1].Gravity;
        if (!c.magnetic)
            body.Magnetic = before->Bodies[1].Magnetic;
        const auto fresh = std::make_unique<Model>(*m);
        fresh->RecalculateModel();
        auto expectNear = [&](double got, double want, const char* what, int i) {
            ASSERT_NEAR(got, want, 1e-9 * (1 + std::abs(want))) << c.name << " " << what << " station " << i;
        };
        for (int i = 1; i <= m->NumStations; ++i) {
            expectNear(body.Gravity[i], fresh->Bodies[1].Gravity[i], "gravity", i);
            expectNear(m->CalculatedGravity[i], fresh->CalculatedGravity[i], "total gravity", i);
        }
        for (int i = 1; i <= m->Mag.Num; ++i) {
            expectNear(body.Magnetic[i], fresh->Bodies[1].Magnetic[i], "magnetic", i);
            expectNear(m->Mag.Calculated[i], fresh->Mag.Calculated[i], "total magnetic", i);
        }
    }
}
