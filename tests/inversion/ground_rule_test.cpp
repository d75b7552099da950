// The body-properties depth steps with stations off the datum: each corner
// is held below the ground above it.
#include "inversion/fits.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(GroundRuleFits, DepthStepsHoldEachCornerBelowItsGround)
{
    // Ground depth -x/4 from x = 0 to 40; the body from x = 10 to 30.
    Workspace ws;
    Model& m = ws.model;
    test::setStations(m, 5, 0, 40);
    for (int i = 1; i <= 5; ++i)
        m.StationHeight[i] = 2.5 * (i - 1);
    test::setBody(m, 1, {{10, 4}, {30, 4}, {30, 8}, {10, 8}});
    m.NumBodies = 1;
    m.RecalculateModel();
    // A typed depth to the top above the ground lifts the body whole until
    // its first corner meets the ground.
    PropertyBoxes boxes;
    boxes.depth = -50.0;
    const StrictApplyResult r = applyPropertiesStrict(m, 1, boxes);
    EXPECT_TRUE(r.depthShift.shortened);
    EXPECT_NEAR(m.Bodies[1].CornerZ[1], -2.5 + 1e-6, 1e-9);
    EXPECT_NEAR(m.Bodies[1].CornerZ[2], -2.5 + 1e-6, 1e-9);   // the shape kept
    EXPECT_NEAR(m.Bodies[1].CornerZ[3], 1.5 + 1e-6, 1e-9);
}
