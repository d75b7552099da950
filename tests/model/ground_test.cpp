// The ground under stations that stand off the datum, and the surface rule
// that keeps corners below it.
#include "model/gravity.h"
#include "model/ground.h"
#include "model/model.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

// Stations at 0, 10, 20, 30 with heights 0, 2, 6, 1.
std::unique_ptr<Model> hills()
{
    auto m = makeModel();
    setStations(*m, 4, 0, 30);
    const double h[] = {0, 2, 6, 1};
    for (int i = 1; i <= 4; ++i)
        m->StationHeight[i] = h[i - 1];
    return m;
}

}  // namespace

TEST(Ground, LineThroughTheStationsFlatBeyondTheEnds)
{
    auto m = hills();
    const Ground g(*m);
    ASSERT_FALSE(g.flat());
    struct Case {
        double x, depth;
    };
    for (const Case c : {Case{-50, 0}, Case{0, 0}, Case{5, -1}, Case{10, -2}, Case{12.5, -3},
                         Case{20, -6}, Case{26, -3}, Case{30, -1}, Case{99, -1}})
        EXPECT_DOUBLE_EQ(g.depthAt(c.x), c.depth) << "x " << c.x;
    EXPECT_DOUBLE_EQ(highestStation(*m), 6);

    // Stations out of order give the same ground.
    auto shuffled = hills();
    std::swap(shuffled->StationX[2], shuffled->StationX[3]);
    std::swap(shuffled->StationHeight[2], shuffled->StationHeight[3]);
    EXPECT_DOUBLE_EQ(Ground(*shuffled).depthAt(15), g.depthAt(15));

    // Heights beyond NumStations do not count; without heights the ground is
    // the datum and the top of the section is depth 0.
    auto flat = makeModel();
    setStations(*flat, 4, 0, 30);
    flat->StationHeight[5] = 3;
    EXPECT_FALSE(hasStationHeights(*flat));
    EXPECT_TRUE(Ground(*flat).flat());
    EXPECT_EQ(Ground(*flat).depthAt(12), 0);
    EXPECT_EQ(sectionTop(*flat, 100), 0);
    // With heights it lies above the highest station.
    EXPECT_LT(sectionTop(*m, 100), -6);
    EXPECT_GT(sectionTop(*m, 100), -20);
}

TEST(Ground, SurfaceRuleWithTheGroundInPlaceOfDepthZero)
{
    auto m = hills();
    const Ground g(*m);
    struct Case {
        double x, z, expected;
    };
    // At x = 15 the ground is at depth -4.
    for (const Case c : {Case{15, -10, -4 + MinDepth}, Case{15, -4, -4 + MinDepth},
                         Case{15, -3.5, -3.5}, Case{15, 2, 2}, Case{-5, -1, MinDepth},
                         Case{-5, 0.5, 0.5}})
        EXPECT_DOUBLE_EQ(g.rule(c.x, c.z), c.expected) << c.x << " " << c.z;
    // Flat: exactly the rule of depth 0.
    auto flat = makeModel();
    const Ground f(*flat);
    for (double z : {-3.0, 0.0, 1e-9, 2.0})
        EXPECT_EQ(f.rule(7, z), z <= 0 ? MinDepth : z);
}

TEST(Ground, MovedAndTurnedBodiesStayBelowTheGround)
{
    // A body lifted towards the hill: corners that would rise above the
    // ground stop just below it; the others move the full step. Its linked
    // partner follows with the same rule.
    auto m = hills();
    setBody(*m, 1, {{14, 1}, {18, 1}, {18, 5}, {14, 5}});
    m->NumBodies = 1;
    m->CurrentBody = 1;
    m->RecalculateModel();
    m->MoveBody(1, 0, -6);
    const Ground g(*m);
    const Tbody& body = m->Bodies[1];
    // The ground lies at depth -3.6 at x = 14 and at -5.2 at x = 18.
    EXPECT_DOUBLE_EQ(body.CornerZ[1], -3.6 + MinDepth);   // would be -5: above the ground
    EXPECT_DOUBLE_EQ(body.CornerZ[2], -5);                // below it: the full step
    EXPECT_DOUBLE_EQ(body.CornerZ[3], -1);
    EXPECT_DOUBLE_EQ(body.CornerZ[4], -1);
    EXPECT_EQ(body.CornerZ[5], body.CornerZ[1]);

    // The anomaly is that of the stations at their heights.
    std::vector<double> expected(4);
    const double x[] = {0, 10, 20, 30};
    const double h[] = {0, 2, 6, 1};
    referenceAnomaly(body, x, 4, true, expected.data(), h);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(m->CalculatedGravity[i], expected[static_cast<std::size_t>(i - 1)],
                    1e-9 * std::abs(expected[static_cast<std::size_t>(i - 1)]));

    // A flat slab turned upright under the hill: its upper corners would
    // rise to depth -9, above the ground there (about -5.6), and are held.
    auto t = hills();
    setBody(*t, 1, {{10, 0}, {30, 0}, {30, 2}, {10, 2}});
    t->NumBodies = 1;
    t->TurnBody(1, 90);
    const Ground tg(*t);
    int held = 0;
    for (int k = 1; k <= t->Bodies[1].NumCorners; ++k) {
        const double floor = tg.depthAt(t->Bodies[1].CornerX[k]) + MinDepth;
        EXPECT_GE(t->Bodies[1].CornerZ[k], floor - 1e-12) << k;
        held += t->Bodies[1].CornerZ[k] == floor;
    }
    EXPECT_GE(held, 2);
}
