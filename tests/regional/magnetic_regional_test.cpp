// The magnetic regional: its fit, its removal and the total the model keeps.
#include "model/magnetic_data.h"
#include "regional/magnetic_regional.h"

#include <gtest/gtest.h>

namespace corvane {

TEST(MagneticRegional, RemovalTakesTheLineOffAndTheModelKeepsTheSum)
{
    // 40 - 0.5 x at x = 10, 12, ..., every third station without a value.
    auto m = makeModel();
    std::vector<MagneticStationValue> s;
    for (int i = 0; i < 30; ++i)
        s.push_back({10 + 2.0 * i, 0, i % 3 == 2 ? std::nullopt : std::optional<double>(35 - i)});
    setMagneticStations(*m, s);
    EXPECT_DOUBLE_EQ(*meanObservedMagnetic(*m), 21);   // the values' mean x is 38
    const auto line = fitMagneticLine(*m);
    ASSERT_TRUE(line.ok());
    EXPECT_NEAR(line->C, 40, 1e-9);
    EXPECT_NEAR(line->M, -0.5, 1e-12);

    // A constant, then a line: the values lose both (stations without one
    // keep their 0), the record is their sum.
    ExtrasState extras;
    removeMagneticRegional(*m, extras, {10, 0});
    removeMagneticRegional(*m, extras, {30, -0.5});
    EXPECT_EQ(extras.MagneticRegionalRemoved, (MagneticRegionalRecord{40, -0.5}));
    for (int i = 1; i <= m->Mag.Num; ++i)
        EXPECT_NEAR(m->Mag.Observed[i], 0, 1e-12) << i;
    EXPECT_EQ(magneticRegionalText({12.5, -0.03}), " T = 12.50 - 0.0300 X");
    for (int i = 1; i <= m->Mag.Num; ++i)
        m->Mag.HasObserved[i] = false;
    EXPECT_FALSE(meanObservedMagnetic(*m) || fitMagneticLine(*m));
}

}  // namespace corvane
