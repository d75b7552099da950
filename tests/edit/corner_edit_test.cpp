#include "model/corner_edit.h"

#include "display/view.h"
#include "edit/edit_checks.h"
#include "edit/edit_commands.h"
#include "edit/num_corner_change.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::anomalyConsistent;
using test::linksConsistent;
using test::setBody;
using test::setStations;

// Two neighbouring bodies: body 1 a pentagon, body 2 a square to its right.
struct CornerEditTest : ::testing::Test {
    std::unique_ptr<Model> mp = makeModel();
    Model& m = *mp;

    void SetUp() override
    {
        setStations(m, 41, 0, 100);
        setBody(m, 1, {{20, 5}, {40, 5}, {45, 12}, {40, 20}, {20, 20}}, 0.3, 50, 80);
        setBody(m, 2, {{40, 5}, {60, 5}, {60, 20}, {40, 20}}, -0.2, 70, 30);
        m.NumBodies = 2;
        m.RecalculateModel();
    }
    void link(int b, int c, int pb, int pk) { test::link(m, b, c, pb, pk); }
};

TEST_F(CornerEditTest, MovingCornerOneMovesTheClosingCopyAndALinkedPartnerCornerOne)
{
    link(1, 2, 2, 1);   // body 1 corner 2 shares body 2's corner 1 at (40, 5)
    ASSERT_TRUE(linksConsistent(m));

    moveCorner(m, 1, 2, 38, 7);
    const Tbody& b2 = m.Bodies[2];
    EXPECT_EQ(b2.CornerX[1], 38);
    EXPECT_EQ(b2.CornerZ[1], 7);
    EXPECT_EQ(b2.CornerX[b2.NumCorners], 38);   // partner stays closed
    EXPECT_EQ(b2.CornerZ[b2.NumCorners], 7);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    moveCorner(m, 1, 1, 18, 4);
    const Tbody& b1 = m.Bodies[1];
    EXPECT_EQ(b1.CornerX[b1.NumCorners], 18);
    EXPECT_EQ(b1.CornerZ[b1.NumCorners], 4);
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(CornerEditTest, AHiddenPartnerAddsNothingButKeepsItsAnomalyValid)
{
    link(1, 2, 2, 1);
    m.setHidden(2, true);
    moveCorner(m, 1, 2, 35, 3);
    EXPECT_EQ(m.Bodies[2].CornerX[1], 35);
    EXPECT_TRUE(anomalyConsistent(m));   // checks hidden bodies' own arrays as well
    m.setHidden(2, false);
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(CornerEditTest, InsertingACornerRenumbersThePartnerRecordsOfTheCornersAbove)
{
    link(1, 4, 2, 4);   // (40, 20) shared
    link(1, 2, 2, 1);   // (40, 5) shared
    m.Bodies[1].CornerInvertX[3] = true;

    ASSERT_TRUE(insertCorner(m, 1, 2, 44, 6));
    const Tbody& b1 = m.Bodies[1];
    EXPECT_EQ(b1.NumCorners, 7);
    EXPECT_EQ(b1.CornerX[3], 44);
    EXPECT_EQ(b1.CornerZ[3], 6);
    EXPECT_FALSE(b1.Linked[3]);
    EXPECT_FALSE(b1.CornerInvertX[3]);
    EXPECT_TRUE(b1.CornerInvertX[4]);   // the flag moved with its corner
    EXPECT_EQ(m.Bodies[2].LinkCorner[4], 5);
    EXPECT_EQ(m.Bodies[2].LinkCorner[1], 2);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(CornerEditTest, InsertingAfterTheLastDistinctCornerGoesBeforeTheClosingCopy)
{
    ASSERT_TRUE(insertCorner(m, 1, 5, 10, 12));
    const Tbody& b1 = m.Bodies[1];
    ASSERT_EQ(b1.NumCorners, 7);
    EXPECT_EQ(b1.CornerX[5], 20);
    EXPECT_EQ(b1.CornerX[6], 10);
    EXPECT_EQ(b1.CornerX[7], 20);
    EXPECT_EQ(b1.CornerZ[7], 5);
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(CornerEditTest, NoCornerIsAddedAtTheLimitOrAfterAnInvalidCorner)
{
    std::vector<std::pair<double, double>> many;
    for (int k = 0; k < 50; ++k)
        many.emplace_back(k, 10 + (k % 2));
    setBody(m, 1, many);
    EXPECT_FALSE(canAddCorner(m, 1));
    EXPECT_FALSE(insertCorner(m, 1, 3, 1, 1));
    EXPECT_EQ(m.Bodies[1].NumCorners, 51);
    EXPECT_TRUE(canAddCorner(m, 2));
    EXPECT_FALSE(insertCorner(m, 2, 5, 1, 1));   // 5 is the closing copy
    EXPECT_EQ(m.Bodies[2].NumCorners, 5);
}

TEST_F(CornerEditTest, DeletingCornersKeepsAtLeastThreeAndRenumbersLinks)
{
    // The 5-corner body may lose two corners, not three.
    EXPECT_EQ(maxCornersToDelete(m, 1), 2);
    EXPECT_FALSE(deleteCorners(m, 1, {1, 2, 3}));
    EXPECT_EQ(m.Bodies[1].NumCorners, 6);
    setBody(m, 3, {{70, 5}, {80, 5}, {75, 9}});   // a triangle keeps all three
    EXPECT_FALSE(canDeleteCorners(m, 3));
    EXPECT_FALSE(deleteCorners(m, 3, {1}));
    EXPECT_EQ(m.Bodies[3].NumCorners, 4);

    link(1, 2, 2, 1);   // deleted: the partner loses its link
    link(1, 4, 2, 4);   // kept: renumbered from 4 to 2
    m.Bodies[1].CornerInvertZ[5] = true;
    ASSERT_TRUE(deleteCorners(m, 1, {2, 3}));
    const Tbody& b1 = m.Bodies[1];
    ASSERT_EQ(b1.NumCorners, 4);
    EXPECT_EQ(b1.CornerX[2], 40);
    EXPECT_EQ(b1.CornerZ[2], 20);
    EXPECT_TRUE(b1.CornerInvertZ[3]);
    EXPECT_EQ(b1.CornerX[4], 20);
    EXPECT_FALSE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(m.Bodies[2].LinkCorner[4], 2);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(CornerEditTest, DeletingCornerOneMakesTheNextCornerTheFirstWithItsLinkOnTheClosingCopy)
{
    link(1, 2, 2, 1);
    ASSERT_TRUE(deleteCorners(m, 1, {1}));
    const Tbody& b1 = m.Bodies[1];
    ASSERT_EQ(b1.NumCorners, 5);
    EXPECT_EQ(b1.CornerX[1], 40);
    EXPECT_EQ(b1.CornerZ[5], 5);
    EXPECT_TRUE(b1.Linked[5]);   // the closing copy carries corner 1's record
    EXPECT_EQ(m.Bodies[2].LinkCorner[1], 1);
    EXPECT_TRUE(linksConsistent(m));

    // Moving the body moves the shared partner once, not twice.
    m.CurrentBody = 1;
    m.MoveBody(1, 1, 1);
    EXPECT_EQ(m.Bodies[2].CornerX[1], 41);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

// ---- The numeric dialog ------------------------------------------------------

struct NumCornerChangeTest : ::testing::Test {
    Workspace ws;
    Model& m = ws.model;
    ScriptedPlatform platform;
    TNumCornerChange dlg{ws, platform};
    int repaints = 0;

    void SetUp() override
    {
        setStations(m, 41, 0, 100);
        setBody(m, 1, {{20.004, 5}, {40, 5}, {40, 20}, {20, 20}}, 0.3, 50, 80);
        setBody(m, 2, {{40, 5}, {60, 5}, {60, 20}}, -0.2, 70, 30);
        m.NumBodies = 2;
        m.Bodies[1].Linked[2] = true;   // (40, 5) shared with body 2's corner 1
        m.Bodies[1].LinkBody[2] = 2;
        m.Bodies[1].LinkCorner[2] = 1;
        m.Bodies[2].Linked[1] = true;
        m.Bodies[2].LinkBody[1] = 1;
        m.Bodies[2].LinkCorner[1] = 2;
        m.RecalculateModel();
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 50;
        m.CurrentBody = 1;
        dlg.repaint = [this] { ++repaints; };
        dlg.FormActivate();
    }
};

TEST_F(NumCornerChangeTest, OpensOnCornerOneAndWrapsBothWays)
{
    EXPECT_EQ(dlg.noofbody->text(), "Body 1");
    EXPECT_EQ(dlg.NoOfCorner->text(), "Corner 1");
    EXPECT_EQ(dlg.xpos->text(), "     20.00");
    EXPECT_EQ(dlg.depth->text(), "      5.00");

    dlg.previousClick();
    EXPECT_EQ(dlg.NoOfCorner->text(), "Corner 4");
    EXPECT_EQ(dlg.xpos->text(), "    20.00");   // width 9 once moving
    EXPECT_EQ(dlg.depth->text(), "    20.00");
    dlg.NextCornerClick();
    EXPECT_EQ(dlg.cornerOnShow(), 1);
    // Neither step changed corner 1, though its box showed it rounded.
    EXPECT_EQ(m.Bodies[1].CornerX[1], 20.004);
    EXPECT_EQ(m.Bodies[1].CornerX[5], 20.004);
    EXPECT_TRUE(dlg.pendingBodies().empty());
}

TEST_F(NumCornerChangeTest, TypedCornersMoveWithTheirPartnerAndAreCalculatedOnCalculateOrClose)
{
    dlg.NextCornerClick();
    dlg.xpos->setText("38");
    dlg.depth->setText("-2");   // stored as typed
    const double before = m.CalculatedGravity[10];
    dlg.NextCornerClick();
    EXPECT_EQ(m.Bodies[1].CornerX[2], 38);
    EXPECT_EQ(m.Bodies[1].CornerZ[2], -2);
    EXPECT_EQ(m.Bodies[2].CornerX[1], 38);
    EXPECT_EQ(m.Bodies[2].CornerZ[4], -2);   // the partner's closing copy
    EXPECT_EQ(m.CalculatedGravity[10], before);   // not yet recalculated
    EXPECT_EQ(dlg.pendingBodies(), (std::set<int>{1, 2}));

    dlg.xpos->setText("41");   // corner 3, by "Calculate": no threshold
    dlg.depth->setText("20");
    dlg.DoCalcClick();
    EXPECT_EQ(m.Bodies[1].CornerX[3], 41);
    EXPECT_EQ(repaints, 1);
    EXPECT_TRUE(test::anomalyConsistent(m));

    dlg.xpos->setText("42");
    dlg.NextCornerClick();
    dlg.xpos->setText("not a number");
    dlg.NextCornerClick();
    EXPECT_EQ(m.Bodies[1].CornerX[4], 20);
    dlg.finish();   // closing brings the curves up to date
    EXPECT_TRUE(dlg.pendingBodies().empty());
    EXPECT_TRUE(test::anomalyConsistent(m));
    EXPECT_TRUE(test::linksConsistent(m));
}

// ---- The mouse commands --------------------------------------------------------

struct CornerCommandTest : CornerEditTest {
    Workspace ws;
    Model& wm = ws.model;
    ScriptedPlatform platform;
    const QRect client{0, 0, 652, 486};
    int changes = 0;

    void SetUp() override
    {
        CornerEditTest::SetUp();
        wm = m;
        wm.CurrentBody = 1;
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 50;
        ws.display.SnapToGrid = true;   // exact positions from pixels
        ws.display.GridStepX = 1;
        ws.display.GridStepZ = 1;
    }
    CommandContext context()
    {
        return {ws, platform, [this] { return client; }, [this] { ++changes; }};
    }
    MouseEvent at(double x, double z, Qt::MouseButton button = Qt::LeftButton) const
    {
        MouseEvent e;
        e.button = button;
        e.screen = SectionToScreen(client, ws.display, x, z);
        e.model = ScreenToSection(client, ws.display, e.screen);
        e.inModelPanel = true;
        return e;
    }
};

TEST_F(CornerCommandTest, DeleteCornersRefusesOneMarkTooManyAndTogglesMarks)
{
    DeleteCornersCommand cmd(context());
    cmd.press(at(40, 5));
    cmd.press(at(45, 12));
    cmd.press(at(40, 20));   // a third of five is too many
    EXPECT_EQ(platform.texts(ScriptedPlatform::Kind::Error), QStringList{MinCornersText});
    EXPECT_EQ(cmd.marked(), (std::set<int>{2, 3}));
    cmd.press(at(45, 12));   // unmark
    cmd.press(at(40, 20));
    EXPECT_EQ(cmd.marked(), (std::set<int>{2, 4}));

    QImage image(client.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        cmd.paintOverlay(p);
    }
    const QPoint star = SectionToScreen(client, ws.display, 40, 20);
    EXPECT_EQ(image.pixelColor(star + QPoint(3, 0)), DeleteMarkColour);
    EXPECT_EQ(image.pixelColor(star + QPoint(3, 1)), QColor(Qt::white));

    cmd.press(at(0, 30, Qt::RightButton));
    EXPECT_TRUE(cmd.finished());
    ASSERT_EQ(wm.Bodies[1].NumCorners, 4);
    EXPECT_EQ(wm.Bodies[1].CornerX[2], 45);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(test::anomalyConsistent(wm));
}

}  // namespace
}  // namespace corvane
