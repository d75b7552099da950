// The magnetic regional: its fit, its removal from the observed magnetic
// values and the total the model keeps of what was removed.
#include "model/magnetic_data.h"
#include "regional/magnetic_regional.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvane {
namespace {

// Magnetic stations at x = 10, 12, ... with the observed values of f, every
// third one without a value; one magnetised body.
std::unique_ptr<Model> magneticProfile(double (*f)(double))
{
    auto m = makeModel();
    test::setStations(*m, 11, 0, 100);
    test::setBody(*m, 1, {{30, 5}, {60, 8}, {55, 30}}, 0.3);
    m->Bodies[1].Susceptibility = 0.01;
    m->NumBodies = 1;
    std::vector<MagneticStationValue> s;
    for (int i = 0; i < 30; ++i) {
        const double x = 10 + 2.0 * i;
        s.push_back({x, 0, i % 3 == 2 ? std::nullopt : std::optional<double>(f(x))});
    }
    setMagneticStations(*m, s);
    m->RecalculateModel();
    return m;
}

TEST(MagneticRegional, RemovalTakesTheLineOffAndTheModelKeepsTheSum)
{
    auto m = magneticProfile([](double x) { return 40 - 0.5 * x; });
    const auto before = std::make_unique<Model>(*m);
    ExtrasState extras;
    EXPECT_NEAR(*meanObservedMagnetic(*m), 40 - 0.5 * 38, 1e-12);   // the 20 values' mean x is 38
    const std::optional<LineFit> line = fitMagneticLine(*m);
    ASSERT_TRUE(line.has_value());
    EXPECT_NEAR(line->C, 40, 1e-9);
    EXPECT_NEAR(line->M, -0.5, 1e-12);
    EXPECT_NEAR(line->Dev, 0, 1e-9);

    // Two removals, a constant and a line: the values lose both, the record
    // is their sum; stations without a value and the bodies stay as they were.
    struct Step {
        MagneticRegionalRecord r;
        MagneticRegionalRecord total;
    };
    const Step steps[] = {{{10, 0}, {10, 0}}, {{30, -0.5}, {40, -0.5}}};
    for (const Step& s : steps)
        removeMagneticRegional(*m, extras, s.r);
    ASSERT_TRUE(extras.MagneticRegionalRemoved.has_value());
    EXPECT_EQ(*extras.MagneticRegionalRemoved, steps[1].total);
    for (int i = 1; i <= m->Mag.Num; ++i) {
        EXPECT_EQ(m->Mag.HasObserved[i], before->Mag.HasObserved[i]) << i;
        if (m->Mag.HasObserved[i])
            EXPECT_NEAR(m->Mag.Observed[i], 0, 1e-12) << i;
        else
            EXPECT_EQ(m->Mag.Observed[i], before->Mag.Observed[i]) << i;
        EXPECT_EQ(m->Mag.Calculated[i], before->Mag.Calculated[i]) << i;
    }

    EXPECT_EQ(magneticRegionalText({12.5, -0.03}), " T = 12.50 - 0.0300 X");
    EXPECT_EQ(magneticRegionalText({-4, 2}), " T = -4.00 + 2.00 X");

    // No observed value: nothing to take a mean of or fit a line to.
    for (int i = 1; i <= m->Mag.Num; ++i)
        m->Mag.HasObserved[i] = false;
    EXPECT_FALSE(meanObservedMagnetic(*m));
    EXPECT_FALSE(fitMagneticLine(*m));
}

}  // namespace
}  // namespace corvane
