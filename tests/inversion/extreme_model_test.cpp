// The largest model through zoom and the least-squares inversion: nothing
// becomes non-finite and the total stays the sum of the visible bodies.
#include "edit/zoom.h"
#include "inversion/least_squares.h"
#include "model/gravity.h"
#include "support/full_model.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;

namespace {

void expectSound(const Workspace& ws)
{
    const Model& m = ws.model;
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        for (int k = 1; k <= body.NumCorners; ++k) {
            ASSERT_TRUE(std::isfinite(body.CornerX[k]) && std::isfinite(body.CornerZ[k]))
                << "body " << b << " corner " << k;
            ASSERT_GT(body.CornerZ[k], 0) << "body " << b << " corner " << k;
        }
        ASSERT_EQ(body.CornerX[1], body.CornerX[body.NumCorners]) << "body " << b;
        ASSERT_TRUE(std::isfinite(body.Density));
    }
    for (int i = 1; i <= m.NumStations; ++i) {
        double sum = 0;
        for (int b = 1; b <= m.NumBodies; ++b)
            if (!m.Bodies[b].Hidden)
                sum += m.Bodies[b].Gravity[i];
        ASSERT_TRUE(std::isfinite(m.CalculatedGravity[i])) << "station " << i;
        ASSERT_NEAR(m.CalculatedGravity[i], sum, 1e-9 * (1 + std::fabs(sum))) << "station " << i;
    }
    const Display& d = ws.display;
    for (double v : {d.ViewXMin, d.ViewXMax, d.ViewDepthMin, d.ViewDepthMax})
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(d.ViewXMin, d.ViewXMax);
    EXPECT_LT(d.ViewDepthMin, d.ViewDepthMax);
}

}  // namespace

TEST(ExtremeModel, ZoomInAndFullyOut)
{
    Workspace ws;
    test::fullModel(ws);
    zoomIn(ws.model, ws.display, QPointF(100.3, 1.0), QPointF(180.7, 6.0));
    EXPECT_TRUE(ws.display.Zoomed);
    EXPECT_GE(ws.display.ViewXMin, 100.0 - 0.2);
    EXPECT_LE(ws.display.ViewXMax, 181.0);
    expectSound(ws);
    // A box of no size at all must not leave an empty view.
    zoomIn(ws.model, ws.display, QPointF(150, 3), QPointF(150, 3));
    expectSound(ws);
    zoomOut(ws.model, ws.display);
    EXPECT_FALSE(ws.display.Zoomed);
    EXPECT_EQ(ws.display.ViewXMin, ws.model.StationX[1]);
    EXPECT_EQ(ws.display.ViewXMax, ws.model.StationX[ws.model.NumStations]);
    expectSound(ws);
}

TEST(ExtremeModel, InversionOfTenUnknownsOnAFiftyCornerBody)
{
    Workspace ws;
    test::fullModel(ws);
    Tbody& body = ws.model.Bodies[26];
    body.InvertDensity = true;
    body.InvertDepth = true;
    for (int k = 1; k <= 4; ++k) {
        body.CornerInvertX[k * 10] = true;
        body.CornerInvertZ[k * 10] = true;
    }
    ASSERT_EQ(countUnknowns(body), 10);
    const double before = ws.model.CalculatedGravity[2048];
    const double misfitBefore = test::rmsMisfit(ws.model);
    int iterations = 0;
    const InversionOutcome outcome =
        runInversion(ws.model, ws.inversion, ws.display, 26, 3, [&] { ++iterations; });
    EXPECT_EQ(outcome, InversionOutcome::Done);
    EXPECT_EQ(iterations, 3);
    EXPECT_EQ(ws.inversion.IterationCount, 0);
    EXPECT_NE(ws.model.CalculatedGravity[2048], before);
    EXPECT_LT(test::rmsMisfit(ws.model), misfitBefore);
    expectSound(ws);
}
