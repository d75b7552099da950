#include "edit/picking.h"

#include "support/bodies.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::setBody;
using test::setStations;

const QRect client(0, 0, 652, 486);

struct PickingTest : ::testing::Test {
    Workspace ws;
    Model& m = ws.model;
    Display& d = ws.display;

    void SetUp() override
    {
        setStations(m, 101, 0, 100);
        d.ViewXMin = 0;
        d.ViewXMax = 100;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 50;
    }
    QPoint pixelOf(double x, double z) const { return SectionToScreen(client, d, x, z); }
};

TEST_F(PickingTest, PickBoxIsStrictAndScalesWithTheProfileAndDrawingHeight)
{
    const PickTolerance tol = cornerPickTolerance(m, d, client);
    EXPECT_DOUBLE_EQ(tol.x, 100.0 * 5.0 / 652);
    EXPECT_DOUBLE_EQ(tol.z, 50.0 * 10.0 / (486 - 15));

    // A zoomed view keeps the box of the whole profile.
    d.ViewXMin = 40;
    d.ViewXMax = 60;
    EXPECT_DOUBLE_EQ(cornerPickTolerance(m, d, client).x, tol.x);

    setBody(m, 1, {{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    const PickTolerance box{1.0, 1.0};
    EXPECT_EQ(pickCorner(m.Bodies[1], 20.5, 10.5, box), 2);
    EXPECT_EQ(pickCorner(m.Bodies[1], 21.0, 10.0, box), 0);   // on the edge of the box: not inside
    EXPECT_EQ(pickCorner(m.Bodies[1], 20.0, 9.0, box), 0);
    EXPECT_EQ(pickCorner(m.Bodies[1], 15.0, 15.0, box), 0);
}

TEST_F(PickingTest, HighestNumberedCornerInTheBoxWinsAndTheClosingCopyIsNeverPicked)
{
    setBody(m, 1, {{10, 10}, {10.4, 10}, {20, 10}, {20, 20}, {10.2, 10.3}});
    const PickTolerance box{1.0, 1.0};
    EXPECT_EQ(pickCorner(m.Bodies[1], 10.1, 10.1, box), 5);
    // Near corner 1 only: corner 1, never its closing copy n.
    setBody(m, 2, {{10, 10}, {20, 10}, {20, 20}});
    EXPECT_EQ(pickCorner(m.Bodies[2], 10.1, 10.1, box), 1);
}

TEST_F(PickingTest, BodyHitCountsCrossingsIncludingVerticalEdges)
{
    // Rectangle with two vertical edges, and a concave U shape.
    setBody(m, 1, {{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    m.NumBodies = 1;
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[1], 15, 15));
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[1], 10.001, 15));   // crosses the left edge at x = 10
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], 9.999, 15));
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[1], 19.999, 15));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], 20.001, 15));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], 15, 25));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], 15, 5));

    setBody(m, 2, {{30, 10}, {34, 10}, {34, 25}, {46, 25}, {46, 10}, {50, 10}, {50, 30}, {30, 30}});
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[2], 40, 15));   // in the notch
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[2], 40, 28));
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[2], 32, 15));
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[2], 48, 15));

    // The same body drawn anticlockwise is hit alike.
    setBody(m, 3, {{10, 10}, {10, 20}, {20, 20}, {20, 10}});
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[3], 10.001, 15));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[3], 9.999, 15));
}

TEST_F(PickingTest, LowestNumberedBodyWinsAndHiddenBodiesAreHitToo)
{
    setBody(m, 1, {{10, 10}, {30, 10}, {30, 30}, {10, 30}});
    setBody(m, 2, {{20, 20}, {40, 20}, {40, 40}, {20, 40}});
    m.NumBodies = 2;
    EXPECT_EQ(hitBody(m, d, client, pixelOf(25, 25)), 1);   // in both
    EXPECT_EQ(hitBody(m, d, client, pixelOf(35, 35)), 2);
    EXPECT_EQ(hitBody(m, d, client, pixelOf(15, 15)), 1);
    EXPECT_EQ(hitBody(m, d, client, pixelOf(60, 15)), 0);

    m.Bodies[1].Hidden = true;
    EXPECT_EQ(hitBody(m, d, client, pixelOf(25, 25)), 1);

    // Bodies above the body count take no part.
    m.NumBodies = 1;
    EXPECT_EQ(hitBody(m, d, client, pixelOf(35, 35)), 0);
}

TEST_F(PickingTest, BodyFarLeftOfTheProfileIsStillHit)
{
    // A view widened far past the profile's left end: the click lies left of
    // the usual far point.
    d.ViewXMin = -500;
    setBody(m, 1, {{-300, 10}, {-250, 10}, {-250, 30}, {-300, 30}});
    m.NumBodies = 1;
    EXPECT_TRUE(bodyContains(m, d, m.Bodies[1], -275, 20));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], -320, 20));
    EXPECT_FALSE(bodyContains(m, d, m.Bodies[1], -275, 40));
    EXPECT_EQ(hitBody(m, d, client, pixelOf(-275, 20)), 1);
}

TEST(Snapping, HalfAStepIsAddedAndTheQuotientTruncatedTowardZero)
{
    EXPECT_DOUBLE_EQ(snapCoordinate(14.9, 10), 10);
    EXPECT_DOUBLE_EQ(snapCoordinate(15.0, 10), 20);
    EXPECT_DOUBLE_EQ(snapCoordinate(-14.9, 10), 0);
    EXPECT_DOUBLE_EQ(snapCoordinate(-25.1, 10), -20);
    EXPECT_DOUBLE_EQ(snapCoordinate(23.7, 10), 20);
    EXPECT_DOUBLE_EQ(snapCoordinate(26.2, 10), 30);
    EXPECT_DOUBLE_EQ(snapCoordinate(7.4, 2.5), 7.5);
    // No usable step: the coordinate stays.
    EXPECT_DOUBLE_EQ(snapCoordinate(7.4, 0), 7.4);
    EXPECT_DOUBLE_EQ(snapCoordinate(7.4, -5), 7.4);

    Display d;
    d.GridStepX = 10;
    d.GridStepZ = 5;
    EXPECT_EQ(snapIfOn(d, {23.7, 8.1}), QPointF(23.7, 8.1));
    d.SnapToGrid = true;
    EXPECT_EQ(snapIfOn(d, {23.7, 8.1}), QPointF(20, 10));
}

TEST(PointerAndZones, PanelConfinementStartPositionsAndDoubleClickZones)
{
    Display d;
    // Drawing height 471, divider at 235, usable right edge 647.
    EXPECT_EQ(modelPanel(client, d), QRect(QPoint(40, 235), QPoint(647, 471)));
    EXPECT_EQ(confineToPanel(client, d, {10, 100}), QPoint(40, 235));
    EXPECT_EQ(confineToPanel(client, d, {700, 480}), QPoint(647, 471));
    EXPECT_EQ(confineToPanel(client, d, {300, 300}), QPoint(300, 300));

    EXPECT_EQ(startPointerPosition(client, PointerStart::AddBody), QPoint(326, 364));   // 486 * 0.75 = 364.5 -> even
    EXPECT_EQ(startPointerPosition(client, PointerStart::ChangeCorner), QPoint(326, 353));   // 471 * 0.75

    EXPECT_EQ(doubleClickZone(client, {100, 100}), ClickZone::ProfilePlot);
    EXPECT_EQ(doubleClickZone(client, {20, 100}), ClickZone::GravityAxis);
    EXPECT_EQ(doubleClickZone(client, {20, 300}), ClickZone::DepthAxis);
    EXPECT_EQ(doubleClickZone(client, {100, 300}), ClickZone::ModelPanel);
    EXPECT_EQ(doubleClickZone(client, {40, 100}), ClickZone::ModelPanel);   // on the column: neither axis
}

TEST_F(PickingTest, RubberBandOutlineFollowsTheDisplacementAndStaysInTheColumns)
{
    setBody(m, 1, {{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    const ViewLayout L = viewLayout(client, d);
    const QPolygon at = bodyOutline(L, d, m.Bodies[1]);
    ASSERT_EQ(at.size(), 5);
    EXPECT_EQ(at[0], pixelOf(10, 10));
    EXPECT_EQ(at[4], at[0]);
    EXPECT_EQ(bodyOutline(L, d, m.Bodies[1], 5, 5)[2], pixelOf(25, 25));
    const QPolygon far = bodyOutline(L, d, m.Bodies[1], -200, 0);
    EXPECT_EQ(far[0].x(), 40);
    EXPECT_EQ(bodyOutline(L, d, m.Bodies[1], 500, 0)[1].x(), L.Rx);

    EXPECT_EQ(rubberBox({50, 60}, {20, 10}), QRect(QPoint(20, 10), QPoint(50, 60)));

    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    drawRubberBand(p, QRect(QPoint(10, 10), QPoint(50, 50)));
    p.end();
    EXPECT_EQ(img.pixelColor(10, 30), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(30, 30), QColor(Qt::white));   // no fill
}

}  // namespace
}  // namespace corvane
