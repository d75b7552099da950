// Gravity fits and inversions of a model that also has magnetic stations:
// the trial shapes must leave no trace in the bodies' magnetic anomalies or
// the magnetic total, which end as those of the shape the run keeps.
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "model/magnetic.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
