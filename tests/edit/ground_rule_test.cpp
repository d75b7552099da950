// The commands that keep corners below the surface, with stations standing
// off the datum: the ground takes the place of depth 0.
#include "display/options.h"
#include "edit/body_ops.h"
#include "edit/picking.h"
#include "edit/zoom.h"
#include "model/ground.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// Stations from 0 to 40 rising from the datum to a 10-unit hill at x = 40.
void slope(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 5, 0, 40);
    for (int i = 1; i <= 5; ++i)
        m.StationHeight[i] = 2.5 * (i - 1);
    test::setBody(m, 1, {{10, 4}, {30, 4}, {30, 8}, {10, 8}});
    m.NumBodies = 1;
    m.CurrentBody = 1;
    m.RecalculateModel();
}

}  // namespace

TEST(GroundRule, ShapeKeepingLiftsStopWhereACornerMeetsTheGround)
{
    // Ground depth is -x/4: -2.5 under x = 10, -7.5 under x = 30. Lifting by
    // 20 stops when the corner at x = 10 is MinDepth below the ground: a
    // lift of 6.5 - MinDepth, although the corner at x = 30 could go further.
    Workspace ws;
    slope(ws);
    Model& m = ws.model;
    struct Case {
        double dz, expected;
        bool shortened;
    };
    for (const Case c : {Case{-20, -(6.5 - MinDepth), true}, Case{-3, -3, false}, Case{5, 5, false}}) {
        const DepthShift s = shapeKeepingShift(m, m.Bodies[1], c.dz, MinDepth);
        EXPECT_NEAR(s.dz, c.expected, 1e-12) << c.dz;
        EXPECT_EQ(s.shortened, c.shortened) << c.dz;
    }
    // The move keeps the shape: every corner moved by the same step.
    const DepthShift made = moveCurrentBody(m, 0, -20);
    EXPECT_TRUE(made.shortened);
    EXPECT_NEAR(m.Bodies[1].CornerZ[1], -2.5 + MinDepth, 1e-12);
    EXPECT_NEAR(m.Bodies[1].CornerZ[3] - m.Bodies[1].CornerZ[1], 4, 1e-12);
    // At the ground already: no further lift.
    EXPECT_EQ(shapeKeepingShift(m, m.Bodies[1], -1, MinDepth).dz, 0);

    // Flat stations: the rule of depth 0, unchanged.
    Workspace flat;
    slope(flat);
    flat.model.StationHeight.fill(0);
    EXPECT_EQ(shapeKeepingShift(flat.model, flat.model.Bodies[1], -20, MinDepth).dz,
              shapeKeepingShift(flat.model.Bodies[1], -20, MinDepth).dz);
}

TEST(GroundRule, MousePlacedCornersAndTheSectionShown)
{
    Workspace ws;
    slope(ws);
    Display& d = ws.display;
    struct Case {
        double x, z, expectedZ;
    };
    // Above the ground: just below it. Below: where clicked.
    for (const Case c : {Case{20, -9, -5 + MinDepth}, Case{20, -4, -4}, Case{40, -30, -10 + MinDepth}})
        EXPECT_DOUBLE_EQ(cornerPlace(ws.model, d, {c.x, c.z}).y(), c.expectedZ) << c.x << " " << c.z;
    // On the datum nothing changes: a click at depth 0 stays at 0.
    Workspace flat;
    EXPECT_EQ(cornerPlace(flat.model, flat.display, {20, 0}).y(), 0);

    // The view may start above the datum, up to the top that shows the
    // highest station, and zooming out returns there.
    d.ViewDepthMax = 50;
    applyDisplayLimits(d, ws.model, DisplayLimitsInput{{}, {}, -1000.0, {}});
    EXPECT_DOUBLE_EQ(d.ViewDepthMin, sectionTop(ws.model, 50));
    EXPECT_LT(d.ViewDepthMin, -10);
    applyDepthAxis(d, {50.0, -3.0, 10.0}, ws.model);
    EXPECT_DOUBLE_EQ(d.ViewDepthMin, -3);
    zoomOut(ws.model, d);
    EXPECT_DOUBLE_EQ(d.ViewDepthMin, sectionTop(ws.model, d.ViewDepthMax));
    // Without heights both dialogs hold the top at depth 0, as ever.
    applyDepthAxis(flat.display, {50.0, -3.0, 10.0}, flat.model);
    EXPECT_EQ(flat.display.ViewDepthMin, 0);
}
