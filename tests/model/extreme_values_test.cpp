// Densities and geometry at the edge of the number range: whatever finite
// values a body holds, both engines give it a finite anomaly at every station,
// the same in each, and the total stays finite.
#include "model/gravity.h"
#include "model/gravity_fast.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace {

// Bit-for-bit agreement is not promised, but zero against a huge value or
// against nothing usable would be a different decision, not rounding.
bool agree(double fast, double ref)
{
    return std::abs(fast - ref) <= std::max(1e-9 * std::abs(ref), 1e-9);
}

struct Case {
    double density, y1, y2;
    bool km;
};

}  // namespace

TEST(ExtremeValues, HugeDensityGivesFiniteAnomaliesInBothEngines)
{
    auto m = makeModel();
    // Enough stations for the fast kernel's full blocks and a short last block.
    test::setStations(*m, 150, -20, 20);
    const std::vector<Case> cases = {
        {1e307, 1000, 1000, true},       // the new-model dialog's case: the scale overflows
        {-1e307, 1000, 1000, false},
        {1e307, 0, 0, true},             // no strike at all: 0 times an infinite scale
        {1e307, 0, 5, true},
        {1e307, 3, 7, false},
        {1.7e308, 2, 9, true},
        {1e299, 1000, 1000, true},       // finite scale, anomaly beyond the limit
        {1e-300, 1000, 1000, true},
    };
    std::vector<double> ref(150), fast(150), engine(150);
    for (const Case& c : cases) {
        test::setBody(*m, 1, test::unitRectangle, c.density, c.y1, c.y2);
        const Tbody& body = m->Bodies[1];
        ASSERT_TRUE(fast::fastDomain(body, m->StationX.data(), 150));
        referenceAnomaly(body, m->StationX.data(), 150, c.km, ref.data());
        fast::fastAnomaly(body, m->StationX.data(), 150, c.km, fast.data());
        bodyAnomaly(body, m->StationX.data(), 150, c.km, engine.data());
        for (int i = 0; i < 150; ++i) {
            SCOPED_TRACE(testing::Message() << "density " << c.density << " station " << i);
            EXPECT_TRUE(std::isfinite(ref[i]));
            EXPECT_LE(std::abs(ref[i]), MaxAnomaly);
            EXPECT_TRUE(agree(fast[i], ref[i])) << fast[i] << " vs " << ref[i];
            EXPECT_EQ(engine[i], fast[i]);
        }
    }
}

TEST(ExtremeValues, UsableAnomaliesAreKeptAsTheyAre)
{
    // The bound only takes out what no total could hold: a large but usable
    // density still scales the anomaly exactly.
    auto m = makeModel();
    test::setStations(*m, 20, -5, 5);
    std::vector<double> one(20), big(20);
    test::setBody(*m, 1, test::unitRectangle, 1.0);
    referenceAnomaly(m->Bodies[1], m->StationX.data(), 20, true, one.data());
    test::setBody(*m, 1, test::unitRectangle, 0x1p900);
    referenceAnomaly(m->Bodies[1], m->StationX.data(), 20, true, big.data());
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(one[i], 0);
        EXPECT_EQ(big[i], one[i] * 0x1p900);
    }
}

TEST(ExtremeValues, TotalOfEveryBodyAtTheLimitStaysFinite)
{
    auto m = makeModel();
    test::setStations(*m, 100, -3, 3);
    m->NumBodies = MaxBodies;
    for (int b = 1; b <= MaxBodies; ++b)
        test::setBody(*m, b, test::unitRectangle, b % 2 ? 1e307 : 1e296);
    m->RecalculateModel();
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(std::isfinite(m->CalculatedGravity[i])) << "station " << i;
        for (int b = 1; b <= MaxBodies; ++b)
            ASSERT_TRUE(std::isfinite(m->Bodies[b].Gravity[i]));
    }
    // One body at a time, as the editing commands calculate it.
    m->CalculatedGravity.fill(0);
    for (int b = 1; b <= MaxBodies; ++b)
        m->CalculateBody(b);
    m->Bodies[4].Density = 1e307;
    m->UpdateBody(4);
    for (int i = 1; i <= 100; ++i)
        ASSERT_TRUE(std::isfinite(m->CalculatedGravity[i])) << "station " << i;
}
