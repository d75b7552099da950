#include "edit/zoom.h"

#include "display/view.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::setBody;
using test::setStations;

struct ZoomTest : ::testing::Test {
    Workspace ws;
    Model& m = ws.model;
    Display& d = ws.display;

    void SetUp() override
    {
        setStations(m, 21, 0, 100);   // a station every 5 units
        d.ViewXMin = 0;
        d.ViewXMax = 100;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 50;
    }
};

TEST_F(ZoomTest, HorizontalLimitsMoveOntoStationsAndDepthsAreTakenAsDrawn)
{
    zoomIn(m, d, {12.3, 4.5}, {61.2, 20.25});
    EXPECT_EQ(d.ViewXMin, 15);   // the station right of the box's left edge
    EXPECT_EQ(d.ViewXMax, 65);
    EXPECT_EQ(d.ViewDepthMin, 4.5);
    EXPECT_EQ(d.ViewDepthMax, 20.25);
    EXPECT_TRUE(d.Zoomed);

    // Zooming again narrows the current view; a box beyond the last station
    // ends the view there.
    zoomIn(m, d, {20, 5}, {130, 10});
    EXPECT_EQ(d.ViewXMin, 20);
    EXPECT_EQ(d.ViewXMax, 100);
}

TEST_F(ZoomTest, ASideUnderOnePercentKeepsThatDirection)
{
    zoomIn(m, d, {40, 10}, {40.9, 30});   // 0.9 % of the profile
    EXPECT_EQ(d.ViewXMin, 0);
    EXPECT_EQ(d.ViewXMax, 100);
    EXPECT_EQ(d.ViewDepthMin, 10);
    EXPECT_EQ(d.ViewDepthMax, 30);

    zoomIn(m, d, {40, 12}, {60, 12.15});   // 0.75 % of the displayed 20
    EXPECT_EQ(d.ViewXMin, 40);
    EXPECT_EQ(d.ViewXMax, 60);
    EXPECT_EQ(d.ViewDepthMin, 10);
    EXPECT_EQ(d.ViewDepthMax, 30);
}

TEST_F(ZoomTest, ABoxPastTheLastStationStillLeavesAWidthToDraw)
{
    zoomIn(m, d, {97, 5}, {100, 10});
    EXPECT_EQ(d.ViewXMin, 95);
    EXPECT_EQ(d.ViewXMax, 100);
}

TEST_F(ZoomTest, ZoomingOutShowsTheProfileAndTheDeepestCornerWithRoom)
{
    setBody(m, 1, {{10, 1}, {20, 1}, {20, 3}});
    setBody(m, 2, {{30, 2}, {40, 2}, {40, 8}, {30, 5}});
    setBody(m, 3, {{30, 2}, {40, 2}, {40, 80}});   // not in use
    m.NumBodies = 2;
    m.Bodies[2].Hidden = true;
    d.Zoomed = true;
    d.ViewXMin = 30;
    d.ViewDepthMin = 4;
    zoomOut(m, d);
    EXPECT_EQ(d.ViewXMin, 0);
    EXPECT_EQ(d.ViewXMax, 100);
    EXPECT_EQ(d.ViewDepthMin, 0);
    EXPECT_DOUBLE_EQ(d.ViewDepthMax, 8.4);
    EXPECT_FALSE(d.Zoomed);
}

TEST_F(ZoomTest, TheCommandDrawsABoxThatFollowsThePointerAndZoomsOnLeftRelease)
{
    const QRect client(0, 0, 652, 486);
    int zoomed = 0;
    ZoomCommand cmd(ws, [client] { return client; }, [&zoomed] { ++zoomed; });
    auto at = [&](double x, double z, Qt::MouseButton button = Qt::NoButton) {
        MouseEvent e;
        e.button = button;
        e.screen = SectionToScreen(client, d, x, z);
        e.model = ScreenToSection(client, d, e.screen);
        e.inModelPanel = true;
        return e;
    };

    cmd.press(at(22, 10, Qt::LeftButton));
    ASSERT_TRUE(cmd.anchored());
    cmd.move(at(68, 40));
    QImage image(client.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        cmd.paintOverlay(p);
    }
    const QRect box = cmd.box();
    EXPECT_EQ(box.topLeft(), SectionToScreen(client, d, 22, 10));
    EXPECT_EQ(image.pixelColor(box.left(), (box.top() + box.bottom()) / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(box.center()), QColor(Qt::white));

    // A pointer far below the panel is held to its bottom row.
    cmd.move(at(68, 400));
    EXPECT_EQ(cmd.box().bottom(), 486 - 15);
    cmd.move(at(68, 40));

    cmd.release(at(68, 40, Qt::RightButton));
    EXPECT_FALSE(cmd.finished());
    cmd.release(at(68, 40, Qt::LeftButton));
    EXPECT_TRUE(cmd.finished());
    EXPECT_EQ(zoomed, 1);
    EXPECT_EQ(d.ViewXMin, 25);
    EXPECT_EQ(d.ViewXMax, 70);
    EXPECT_NEAR(d.ViewDepthMin, 10, 0.2);
    EXPECT_NEAR(d.ViewDepthMax, 40, 0.2);
}

}  // namespace
}  // namespace corvane
