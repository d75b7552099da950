#include "edit/add_body.h"
#include "edit/num_add.h"
#include "edit/picking.h"

#include "support/bodies.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace corvane {
namespace {

const QRect client(0, 0, 652, 486);

struct DrawBodyTest : ::testing::Test {
    Workspace ws;
    Model& m = ws.model;
    std::unique_ptr<DrawBody> cmd;
    int closedWith = -1;
    int closedCalls = 0;

    void SetUp() override
    {
        test::setStations(m, 101, 0, 100);
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        m.NumBodies = 1;
        test::setBody(m, 1, test::unitRectangle);
        m.RecalculateModel();
    }
    int start()
    {
        const int b = beginNewBody(m, {0.5, 200, 300});
        cmd = std::make_unique<DrawBody>(ws, b, [] { return client; }, [this](int n) {
            closedWith = n;
            ++closedCalls;
        });
        return b;
    }
    void click(Qt::MouseButton button, double x, double z, bool inPanel = true)
    {
        MouseEvent e;
        e.button = button;
        e.model = QPointF(x, z);
        e.screen = SectionToScreen(client, ws.display, x, z);
        e.inModelPanel = inPanel;
        cmd->press(e);
    }
};

TEST_F(DrawBodyTest, FourCornersAndARightClickMakeAClosedBodyWithItsAnomalyAdded)
{
    const int b = start();
    ASSERT_EQ(b, 2);
    EXPECT_EQ(m.NumBodies, 2);
    EXPECT_EQ(cmd->readoutCorner(), 1);
    click(Qt::LeftButton, 40, 5);
    click(Qt::LeftButton, 60, 5);
    click(Qt::LeftButton, 60, 15);
    EXPECT_EQ(cmd->readoutCorner(), 4);
    click(Qt::LeftButton, 40, 15);
    EXPECT_FALSE(cmd->finished());
    click(Qt::RightButton, 90, 40);   // closes; this position is not stored
    ASSERT_TRUE(cmd->finished());
    EXPECT_EQ(closedWith, 4);

    const Tbody& body = m.Bodies[b];
    EXPECT_EQ(body.NumCorners, 5);
    EXPECT_EQ(body.CornerX[3], 60);
    EXPECT_EQ(body.CornerZ[3], 15);
    EXPECT_EQ(body.CornerX[5], 40);
    EXPECT_EQ(body.CornerZ[5], 5);
    EXPECT_EQ(body.Density, 0.5);
    EXPECT_EQ(body.StrikeLength1, 200);
    EXPECT_EQ(body.StrikeLength2, 300);

    const double before = m.CalculatedGravity[51];
    finishNewBody(ws, b);
    EXPECT_EQ(m.CurrentBody, b);
    EXPECT_EQ(ws.inversion.InversionBody, b);
    EXPECT_GT(body.Gravity[51], 0.0);   // clockwise, positive density
    EXPECT_NEAR(m.CalculatedGravity[51], before + body.Gravity[51], 1e-12);

    // Nothing more happens after the end.
    click(Qt::LeftButton, 10, 10);
    EXPECT_EQ(body.NumCorners, 5);
    EXPECT_EQ(closedCalls, 1);
}

TEST_F(DrawBodyTest, RightButtonCountsAsLeftBelowTheThirdCorner)
{
    const int b = start();
    click(Qt::RightButton, 10, 10);
    click(Qt::RightButton, 20, 10);   // second corner: added, not closing
    EXPECT_FALSE(cmd->finished());
    EXPECT_EQ(m.Bodies[b].CornerX[2], 20);
    click(Qt::RightButton, 30, 30);   // third press: closes with two distinct corners
    ASSERT_TRUE(cmd->finished());
    EXPECT_EQ(closedWith, 2);
    EXPECT_EQ(m.Bodies[b].NumCorners, 3);
    EXPECT_EQ(m.Bodies[b].CornerX[3], 10);
}

TEST_F(DrawBodyTest, TheFiftyFirstPressClosesTheBodyWhateverTheButton)
{
    const int b = start();
    for (int k = 1; k <= 50; ++k)
        click(Qt::LeftButton, k, 5 + (k % 2));
    EXPECT_FALSE(cmd->finished());
    EXPECT_EQ(cmd->readoutCorner(), 51);
    click(Qt::LeftButton, 99, 99);
    ASSERT_TRUE(cmd->finished());
    EXPECT_EQ(closedWith, 50);
    const Tbody& body = m.Bodies[b];
    EXPECT_EQ(body.NumCorners, 51);
    EXPECT_EQ(body.CornerX[50], 50);
    EXPECT_EQ(body.CornerX[51], 1);   // the closing copy, not the 51st press
    EXPECT_EQ(body.CornerZ[51], body.CornerZ[1]);
}

TEST_F(DrawBodyTest, PressesOutsideThePanelOrWithOtherButtonsAreIgnoredAndSnappingApplies)
{
    ws.display.SnapToGrid = true;
    ws.display.GridStepX = 10;
    ws.display.GridStepZ = 10;
    const int b = start();
    click(Qt::LeftButton, 23.7, 14.9);
    click(Qt::LeftButton, 26.2, 15.0);
    click(Qt::LeftButton, 50, 50, false);
    click(Qt::MiddleButton, 50, 50);
    EXPECT_EQ(cmd->cornersStored(), 2);
    const Tbody& body = m.Bodies[b];
    EXPECT_EQ(body.CornerX[1], 20);
    EXPECT_EQ(body.CornerZ[1], 10);
    EXPECT_EQ(body.CornerX[2], 30);
    EXPECT_EQ(body.CornerZ[2], 20);
}

TEST_F(DrawBodyTest, CancelClosesWhatWasDrawnAndDropsABodyWithoutTwoDistinctCorners)
{
    int b = start();
    click(Qt::LeftButton, 10, 10);
    click(Qt::LeftButton, 20, 10);
    click(Qt::LeftButton, 20, 20);
    cmd->cancel();
    EXPECT_TRUE(cmd->finished());
    EXPECT_EQ(closedWith, 3);
    EXPECT_EQ(m.Bodies[b].NumCorners, 4);
    EXPECT_EQ(m.Bodies[b].CornerZ[4], 10);
    cmd->cancel();
    EXPECT_EQ(closedCalls, 1);

    b = start();
    cmd->cancel();
    EXPECT_EQ(closedWith, 0);
    start();
    click(Qt::LeftButton, 10, 10);
    cmd->cancel();
    EXPECT_EQ(closedWith, 0);

    // Two presses on one point (a snapped grid node) make no body: the right
    // button adds a corner until there is a second distinct one.
    b = start();
    click(Qt::LeftButton, 10, 10);
    click(Qt::LeftButton, 10, 10);
    click(Qt::RightButton, 10, 10);
    EXPECT_FALSE(cmd->finished());
    EXPECT_EQ(cmd->cornersStored(), 3);
    cmd->cancel();
    EXPECT_EQ(closedWith, 0);
    b = start();
    click(Qt::LeftButton, 10, 10);
    click(Qt::LeftButton, 10, 10);
    click(Qt::RightButton, 30, 10);
    click(Qt::RightButton, 50, 50);
    ASSERT_TRUE(cmd->finished());
    EXPECT_EQ(closedWith, 3);
    EXPECT_EQ(m.Bodies[b].NumCorners, 4);
}

TEST_F(DrawBodyTest, OverlayShowsTheCornersEnteredSoFar)
{
    start();
    click(Qt::LeftButton, 20, 20);
    click(Qt::LeftButton, 80, 20);
    QImage img(client.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    cmd->paintOverlay(p);
    p.end();
    const QPoint a = SectionToScreen(client, ws.display, 20, 20);
    const QPoint c = SectionToScreen(client, ws.display, 80, 20);
    EXPECT_EQ(img.pixelColor((a + c) / 2), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(a + QPoint(0, 10)), QColor(Qt::white));
}

TEST_F(DrawBodyTest, NewSlotStartsVisibleAndUnlinkedAndMenusFollowTheCount)
{
    Tbody& slot = m.Bodies[2];
    slot.Hidden = true;
    slot.Linked[2] = true;
    slot.LinkBody[2] = 1;
    slot.LinkCorner[2] = 3;
    slot.CornerInvertX[1] = true;
    slot.InvertDensity = true;
    slot.Susceptibility = 0.05;
    slot.Remanence = 2;
    const int b = beginNewBody(m, readNewBodyValues("x", "", "50"));
    ASSERT_EQ(b, 2);
    EXPECT_FALSE(slot.Hidden);
    EXPECT_EQ(slot.Susceptibility, 0);
    EXPECT_EQ(slot.Remanence, 0);
    EXPECT_FALSE(slot.Linked[2]);
    EXPECT_EQ(slot.LinkBody[2], 0);
    EXPECT_FALSE(slot.CornerInvertX[1]);
    EXPECT_FALSE(slot.InvertDensity);
    EXPECT_EQ(slot.Density, 0.1);
    EXPECT_EQ(slot.StrikeLength1, 100.0);
    EXPECT_EQ(slot.StrikeLength2, 50.0);

    auto enabled = [](const std::vector<std::pair<QString, bool>>& changes, const char* name) {
        for (const auto& [item, on] : changes)
            if (item == QLatin1String(name))
                return on ? 1 : 0;
        return -1;   // untouched
    };
    auto changes = addedBodyMenuChanges(m);
    EXPECT_EQ(enabled(changes, "Linkabody1"), 1);
    EXPECT_EQ(enabled(changes, "Displayindividual1"), 1);
    EXPECT_EQ(enabled(changes, "Addabody1"), -1);
    m.NumBodies = 51;
    changes = addedBodyMenuChanges(m);
    EXPECT_EQ(enabled(changes, "Addabody1"), 0);
    EXPECT_EQ(enabled(changes, "KeyinaBody1"), 0);
    EXPECT_EQ(enabled(changes, "Copyabody1"), 0);

    Taddbody dlg;
    m.NumBodies = 3;
    dlg.FormActivate(m);
    EXPECT_EQ(dlg.noofbody->text(), "Body 4");
    EXPECT_EQ(dlg.density->text(), "0.1");
    EXPECT_EQ(dlg.Strike1->text(), "100.0");
    dlg.density->setText("-0.25");
    dlg.Strike2->setText("abc");
    EXPECT_EQ(dlg.values().density, -0.25);
    EXPECT_EQ(dlg.values().strike2, 100.0);
}

struct NumAddTest : DrawBodyTest {
    std::unique_ptr<TNumAdd> dlg;
    void SetUp() override
    {
        DrawBodyTest::SetUp();
        m.StationX[1] = -12.25;
        ws.display.ViewDepthMin = 0;
        dlg = std::make_unique<TNumAdd>(ws);
        dlg->FormActivate();
    }
    void enter(double x, const QString& z)
    {
        dlg->xpos->setText(QString::number(x));
        dlg->depth->setText(z);
    }
};

TEST_F(NumAddTest, OpensOnCornerOneOfTheNextBody)
{
    EXPECT_EQ(dlg->bodynumber->text(), " Body 2");
    EXPECT_EQ(dlg->noofcorners->text(), "4");
    EXPECT_EQ(dlg->density->text(), "0.1");
    EXPECT_EQ(dlg->cornerno->text(), "Corner 1");
    EXPECT_EQ(dlg->strike1->text(), "100.0");
    EXPECT_EQ(dlg->xpos->text(), "   -12.2");   // width 8, one decimal, halves to even
    EXPECT_EQ(dlg->depth->text(), "     0.0");
}

TEST_F(NumAddTest, SpinButtonStoresTheCornerWrapsAndClampsTheCount)
{
    Tbody& slot = m.Bodies[2];
    enter(10, "5");
    dlg->cornerchangeUpClick();
    EXPECT_EQ(slot.CornerX[1], 10);
    EXPECT_EQ(slot.CornerZ[1], 5);
    EXPECT_EQ(dlg->cornerno->text(), "Corner 2");
    enter(20, "0");   // at the surface: pushed just below it
    dlg->cornerchangeUpClick();
    EXPECT_EQ(slot.CornerZ[2], 0.0001);
    dlg->xpos->setText("abc");   // not a number: the stored value stays
    slot.CornerX[3] = 33;
    dlg->cornerchangeUpClick();
    EXPECT_EQ(slot.CornerX[3], 33);
    dlg->cornerchangeUpClick();
    EXPECT_EQ(dlg->cornerOnShow(), 1);   // past corner 4: back to 1
    EXPECT_EQ(dlg->xpos->text(), "   10.00");
    EXPECT_EQ(dlg->depth->text(), "    5.00");
    dlg->cornerchangeDownClick();
    EXPECT_EQ(dlg->cornerOnShow(), 4);

    dlg->noofcorners->setText("60");
    dlg->cornerchangeUpClick();
    EXPECT_EQ(dlg->noofcorners->text(), "50");
    EXPECT_EQ(dlg->cornerCount(), 50);
    EXPECT_EQ(dlg->cornerOnShow(), 5);
    dlg->noofcorners->setText("2");
    dlg->cornerchangeUpClick();
    EXPECT_EQ(dlg->noofcorners->text(), "3");
    EXPECT_EQ(dlg->cornerOnShow(), 1);   // 6 > 3
    dlg->noofcorners->setText("three");   // not a number: the count stays
    dlg->cornerchangeDownClick();
    EXPECT_EQ(dlg->cornerOnShow(), 3);
}

TEST_F(NumAddTest, OkStoresOnlyTheCornerOnShowClosesAndCalculates)
{
    Tbody& slot = m.Bodies[2];
    test::setBody(m, 2, {{0, 0}, {30, 10}, {30, 20}, {10, 20}, {7, 7}});
    enter(10, "-3");
    dlg->density->setText("0.3");
    dlg->strike2->setText("");
    const int current = m.CurrentBody;
    const double before = m.CalculatedGravity[20];
    ASSERT_TRUE(dlg->OKBtnClick());
    EXPECT_EQ(m.NumBodies, 2);
    EXPECT_EQ(m.CurrentBody, current);
    EXPECT_EQ(slot.NumCorners, 5);
    EXPECT_EQ(slot.CornerX[1], 10);
    EXPECT_EQ(slot.CornerZ[1], 0.00001);
    EXPECT_EQ(slot.CornerX[2], 30);   // corners never shown keep what the slot held
    EXPECT_EQ(slot.CornerX[4], 10);
    EXPECT_EQ(slot.CornerX[5], 10);   // closing copy of the new corner 1
    EXPECT_EQ(slot.CornerZ[5], 0.00001);
    EXPECT_EQ(slot.Density, 0.3);
    EXPECT_EQ(slot.StrikeLength2, 100.0);
    EXPECT_NE(slot.Gravity[20], 0.0);
    EXPECT_NEAR(m.CalculatedGravity[20], before + slot.Gravity[20], 1e-12);
}

TEST_F(NumAddTest, NoFreeSlotChangesNothing)
{
    m.NumBodies = MaxBodies;
    dlg->FormActivate();
    const Tbody copy = m.Bodies[MaxBodies];
    dlg->cornerchangeUpClick();
    EXPECT_FALSE(dlg->OKBtnClick());
    EXPECT_EQ(m.NumBodies, MaxBodies);
    EXPECT_EQ(m.Bodies[MaxBodies].CornerX, copy.CornerX);
}

}  // namespace
}  // namespace corvane
