#include "edit/body_ops.h"

#include "display/view.h"
#include "edit/body_dialogs.h"
#include "edit/edit_checks.h"
#include "edit/edit_commands.h"
#include "model/corner_edit.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace corvane {
namespace {

using test::anomalyConsistent;
using test::linksConsistent;
using test::setBody;
using test::setStations;

// Four bodies in a row, each sharing its right edge with the next one's left.
struct BodyOpsTest : ::testing::Test {
    Workspace ws;
    Model& m = ws.model;

    void SetUp() override
    {
        setStations(m, 51, 0, 200);
        for (int b = 1; b <= MaxBodies; ++b) {
            m.Bodies[b].Hidden = false;
            for (int k = 1; k <= MaxCorners; ++k)
                m.Bodies[b].clearLink(k);
        }
        for (int b = 1; b <= 4; ++b) {
            const double x0 = 20.0 + 40 * (b - 1);
            setBody(m, b, {{x0, 5}, {x0 + 40, 5}, {x0 + 40, 25}, {x0, 25}}, 0.1 * b, 100, 50 + b);
            m.Bodies[b].DensMax = b;   // tells the bodies' bounds apart
        }
        m.NumBodies = 4;
        for (int b = 1; b <= 3; ++b) {
            link(b, 2, b + 1, 1);
            link(b, 3, b + 1, 4);
        }
        m.RecalculateModel();
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 40;
    }
    void link(int b, int c, int pb, int pk) { test::link(m, b, c, pb, pk); }
    bool enabledIn(const MenuUpdate& u, const QString& item, bool on) const
    {
        return std::find(u.enabled.begin(), u.enabled.end(), std::pair(item, on)) != u.enabled.end();
    }
};

TEST_F(BodyOpsTest, DeletingBodyTwoOfFourRenumbersTheBodiesAboveAndTheirLinks)
{
    ws.inversion.InversionBody = 4;
    m.CurrentBody = 2;
    const double density3 = m.Bodies[3].Density, density4 = m.Bodies[4].Density;
    const MenuUpdate menu = deleteBody(ws, 2);

    EXPECT_EQ(m.NumBodies, 3);
    EXPECT_EQ(m.CurrentBody, 2);
    EXPECT_EQ(ws.inversion.InversionBody, 3);   // the same body under its new number
    EXPECT_EQ(m.Bodies[2].Density, density3);
    EXPECT_EQ(m.Bodies[3].Density, density4);
    EXPECT_EQ(m.Bodies[2].DensMax, 3);   // bounds travel with the body
    EXPECT_FALSE(m.Bodies[1].Linked[2]);   // its partner is gone
    EXPECT_FALSE(m.Bodies[1].Linked[3]);
    EXPECT_FALSE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(m.Bodies[2].LinkBody[2], 3);   // old 3 -> old 4, now 2 -> 3
    EXPECT_EQ(m.Bodies[3].LinkBody[1], 2);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
    EXPECT_TRUE(enabledIn(menu, menu::Moveabody, true));
    EXPECT_TRUE(enabledIn(menu, menu::Addabody, true));
    EXPECT_FALSE(enabledIn(menu, menu::Deleteabody, false));
}

TEST_F(BodyOpsTest, DeletingTheLastBodyMakesTheOneBelowCurrent)
{
    m.CurrentBody = 4;
    m.setHidden(3, true);
    const MenuUpdate menu = deleteBody(ws, 4);
    EXPECT_EQ(m.CurrentBody, 3);
    EXPECT_EQ(ws.inversion.InversionBody, 3);
    EXPECT_FALSE(m.Bodies[3].Linked[1] && m.Bodies[3].LinkBody[1] == 4);
    EXPECT_TRUE(enabledIn(menu, menu::Moveabody, false));   // body 3 is hidden
    EXPECT_TRUE(enabledIn(menu, menu::cornerinversion, false));
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyOpsTest, DeletingTheSecondOfTwoBodiesLeavesOneVisibleBody)
{
    ws.display.ShowIndividual = true;
    deleteBody(ws, 4);
    deleteBody(ws, 3);
    m.setHidden(1, true);
    m.CurrentBody = 2;
    const MenuUpdate menu = deleteBody(ws, 2);
    EXPECT_EQ(m.NumBodies, 1);
    EXPECT_EQ(m.CurrentBody, 1);
    EXPECT_FALSE(m.Bodies[1].Hidden);
    EXPECT_FALSE(ws.display.ShowIndividual);
    EXPECT_TRUE(menu.unchecked.contains(menu::Displayindividual));
    for (const QString& item : {menu::Hideabody, menu::Linkabody, menu::UnlinkaBody, menu::Deleteabody,
                                menu::Displayindividual})
        EXPECT_TRUE(enabledIn(menu, item, false)) << item.toStdString();
    EXPECT_TRUE(enabledIn(menu, menu::Copyabody, true));
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    // The only body is never deleted.
    EXPECT_TRUE(deleteBody(ws, 1).enabled.empty());
    EXPECT_EQ(m.NumBodies, 1);
}

TEST_F(BodyOpsTest, TheLastVisibleBodyCannotBeHidden)
{
    for (int b = 1; b <= 3; ++b)
        EXPECT_EQ(toggleHidden(m, b), HideResult::Hidden);
    EXPECT_EQ(toggleHidden(m, 4), HideResult::Refused);
    EXPECT_FALSE(m.Bodies[4].Hidden);
    EXPECT_TRUE(anomalyConsistent(m));
    EXPECT_EQ(toggleHidden(m, 2), HideResult::Shown);
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyOpsTest, ACopyHasNoLinksAndTheSourceKeepsItsOwn)
{
    m.CurrentBody = 2;
    const int b = copyBodyTo(m, 2, 10, -10);   // upward past the surface
    ASSERT_EQ(b, 5);
    EXPECT_EQ(m.NumBodies, 5);
    EXPECT_EQ(m.CurrentBody, 2);
    const Tbody& copy = m.Bodies[5];
    for (int k = 1; k <= copy.NumCorners; ++k)
        EXPECT_FALSE(copy.Linked[k]);
    EXPECT_EQ(copy.CornerX[1], 70);
    EXPECT_EQ(copy.CornerZ[1], MinDepth);
    EXPECT_EQ(copy.CornerZ[3], 15);
    EXPECT_TRUE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(m.Bodies[2].CornerX[1], 60);   // nothing dragged along
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    const MenuUpdate below = menuAfterCopy(m);
    EXPECT_FALSE(enabledIn(below, menu::Addabody, false));
    EXPECT_TRUE(enabledIn(below, menu::Linkabody, true));
    while (m.NumBodies < MaxBodies)
        ASSERT_GT(copyBodyTo(m, 1, 1, 0), 0);
    EXPECT_EQ(copyBodyTo(m, 1, 1, 0), 0);
    const MenuUpdate full = menuAfterCopy(m);
    for (const QString& item : {menu::Addabody, menu::KeyinaBody, menu::Copyabody})
        EXPECT_TRUE(enabledIn(full, item, false));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyOpsTest, MovingPastTheSurfaceStopsLinkedCornersTooAndTurnsWrap)
{
    m.CurrentBody = 2;
    m.MoveBody(2, 0, -10);   // corner by corner; the commands keep the shape (below)
    EXPECT_EQ(m.Bodies[2].CornerZ[1], MinDepth);
    EXPECT_EQ(m.Bodies[2].CornerZ[3], 15);
    EXPECT_EQ(m.Bodies[1].CornerZ[2], MinDepth);   // partner of corner 1
    EXPECT_EQ(m.Bodies[3].CornerZ[4], 15);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    auto other = makeModel();
    *other = m;
    turnCurrentBody(m, 370);
    other->CurrentBody = 2;
    turnCurrentBody(*other, 10);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_DOUBLE_EQ(m.Bodies[2].CornerX[k], other->Bodies[2].CornerX[k]);
        EXPECT_DOUBLE_EQ(m.Bodies[2].CornerZ[k], other->Bodies[2].CornerZ[k]);
    }
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyOpsTest, RelinkingRemovesTheOldLinkOnBothSidesAndSnapsOntoThePartner)
{
    // Body 1 corner 2 was linked to body 2 corner 1; link it to body 3 corner 4.
    m.Bodies[3].setCorner(4, 61, 26);
    m.UpdateBody(3);
    linkCorners(m, 1, 2, 3, 4);
    EXPECT_FALSE(m.Bodies[2].Linked[1]);
    EXPECT_FALSE(m.Bodies[2].Linked[4] && m.Bodies[2].LinkBody[4] == 3);   // body 3 corner 4's old partner
    EXPECT_EQ(m.Bodies[1].LinkBody[2], 3);
    EXPECT_EQ(m.Bodies[3].LinkCorner[4], 2);
    EXPECT_EQ(m.Bodies[1].CornerX[2], 61);
    EXPECT_EQ(m.Bodies[1].CornerZ[2], 26);
    EXPECT_EQ(m.Bodies[3].CornerX[4], 61);   // the partner does not move
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyOpsTest, PartnerSearchTakesTheFirstCornerOfTheLowestOtherBody)
{
    const PickTolerance tol{1.0, 1.0};
    int pb = 0, pk = 0;
    ASSERT_TRUE(findPartnerCorner(m, 2, 100.5, 5.2, tol, pb, pk));
    EXPECT_EQ(pb, 3);   // body 2's own corner 2 is there too, but it is excluded
    EXPECT_EQ(pk, 1);
    ASSERT_TRUE(findPartnerCorner(m, 4, 100.5, 5.2, tol, pb, pk));
    EXPECT_EQ(pb, 2);
    EXPECT_EQ(pk, 2);
    EXPECT_FALSE(findPartnerCorner(m, 1, 0, 0, tol, pb, pk));
}

TEST_F(BodyOpsTest, ChangingUnitsKeepsTheNumbersAndRecalculatesEveryBody)
{
    const double x = m.Bodies[2].CornerX[2];
    const double before = m.CalculatedGravity[20];
    changeUnits(m, false);
    EXPECT_FALSE(m.UnitsKm);
    EXPECT_EQ(m.Bodies[2].CornerX[2], x);
    EXPECT_NE(m.CalculatedGravity[20], before);
    EXPECT_TRUE(anomalyConsistent(m));
    changeUnits(m, true);
    EXPECT_NEAR(m.CalculatedGravity[20], before, 1e-9 * std::fabs(before));
}

TEST_F(BodyOpsTest, DefaultStepsAreFivePercentRoundedToWholeNumbers)
{
    EXPECT_EQ(defaultStepX(m), 10);
    ws.display.ViewDepthMax = 47;
    EXPECT_EQ(defaultStepZ(ws.display), 2);
}

// Random sequences of every edit that renumbers or moves linked corners, with
// both invariants checked after each step.
TEST_F(BodyOpsTest, RandomEditSequencesKeepLinksAndAnomaliesConsistent)
{
    std::mt19937 rng(20261208);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    for (int round = 0; round < 40; ++round) {
        SetUp();
        for (int step = 0; step < 60; ++step) {
            const int b = pick(1, m.NumBodies);
            m.CurrentBody = b;
            const int n = m.Bodies[b].NumCorners;
            std::string what;
            switch (pick(0, 8)) {
            case 0:
                what = "insert";
                insertCorner(m, b, pick(1, n - 1), real(0, 200), real(1, 40));
                break;
            case 1: {
                what = "delete corners";
                std::set<int> marks;
                const int count = pick(1, std::max(1, n - 4));
                while (static_cast<int>(marks.size()) < count)
                    marks.insert(pick(1, n - 1));
                deleteCorners(m, b, marks);
                break;
            }
            case 2:
                what = "delete body";
                deleteBody(ws, b);
                break;
            case 3:
                what = "copy";
                copyBodyTo(m, b, real(-20, 20), real(-5, 5));
                break;
            case 4: {
                what = "link";
                const int pb = pick(1, m.NumBodies);
                if (pb != b)
                    linkCorners(m, b, pick(1, n - 1), pb, pick(1, m.Bodies[pb].NumCorners - 1));
                break;
            }
            case 5:
                what = "move corner";
                moveCorner(m, b, pick(1, n - 1), real(0, 200), real(1, 40));
                break;
            case 6:
                what = "move body";
                moveCurrentBody(m, real(-10, 10), real(-3, 3));
                break;
            case 7:
                what = "turn";
                turnCurrentBody(m, real(-400, 400));
                break;
            case 8:
                what = "hide";
                toggleHidden(m, b);
                break;
            }
            ASSERT_TRUE(linksConsistent(m)) << "round " << round << " step " << step << ": " << what;
            ASSERT_TRUE(anomalyConsistent(m, 1e-7)) << "round " << round << " step " << step << ": " << what;
        }
    }
}


// ---- Dialogs ---------------------------------------------------------------------

struct BodyDialogTest : BodyOpsTest {
    ScriptedPlatform platform;
    int repaints = 0;
    void SetUp() override
    {
        BodyOpsTest::SetUp();
        m.CurrentBody = 2;
    }
};

TEST_F(BodyDialogTest, MoveStepsApplyAtOnceAndABadBoxIsResetWithoutMoving)
{
    TMoveBody dlg(ws, platform);
    dlg.repaint = [this] { ++repaints; };
    ASSERT_TRUE(dlg.FormActivate());
    EXPECT_EQ(dlg.dx->text(), "    10.000");
    EXPECT_EQ(dlg.dy->text(), "     2.000");
    EXPECT_FALSE(dlg.graphic->isChecked());

    dlg.xchangeUpClick();
    EXPECT_EQ(m.Bodies[2].CornerX[1], 70);
    EXPECT_EQ(m.Bodies[1].CornerX[2], 70);   // linked partner follows
    dlg.ychangeUpClick();                    // towards the surface
    EXPECT_EQ(m.Bodies[2].CornerZ[1], 3);
    dlg.ychangeDownClick();
    dlg.xchangeDownClick();
    EXPECT_EQ(m.Bodies[2].CornerX[1], 60);
    EXPECT_EQ(repaints, 4);
    EXPECT_TRUE(anomalyConsistent(m));

    dlg.dx->setText("ten");
    dlg.xchangeUpClick();
    EXPECT_EQ(dlg.dx->text(), "    10.000");
    EXPECT_EQ(m.Bodies[2].CornerX[1], 60);
    EXPECT_EQ(repaints, 4);

    m.setHidden(2, true);
    EXPECT_FALSE(dlg.FormActivate());
    EXPECT_EQ(platform.texts(ScriptedPlatform::Kind::Error), QStringList{UnhideFirstText});
}

TEST_F(BodyDialogTest, MovingUpKeepsTheShapeAndSaysWhenTheStepWasShortened)
{
    TMoveBody dlg(ws, platform);
    QStringList notes;
    dlg.status = [&notes](const QString& t) { notes << t; };
    ASSERT_TRUE(dlg.FormActivate());
    dlg.dy->setText("12");   // body 2 reaches from 5 to 25
    dlg.ychangeUpClick();
    EXPECT_NEAR(m.Bodies[2].CornerZ[1], MinDepth, 1e-12);
    EXPECT_NEAR(m.Bodies[2].CornerZ[3], 20 + MinDepth, 1e-12);
    EXPECT_EQ(m.Bodies[1].CornerZ[3], m.Bodies[2].CornerZ[4]);   // the partner went as far
    EXPECT_EQ(notes, QStringList{StepShortenedText});
    dlg.ychangeUpClick();
    EXPECT_NEAR(m.Bodies[2].CornerZ[3], 20 + MinDepth, 1e-12);
    EXPECT_EQ(notes.back(), AtSurfaceText);
    dlg.ychangeDownClick();
    EXPECT_NEAR(m.Bodies[2].CornerZ[1], 12 + MinDepth, 1e-12);
    dlg.xchangeUpClick();
    EXPECT_EQ(notes.size(), 2);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));
}

TEST_F(BodyDialogTest, CopyByTheBoxesOrNothingWhenTheyDoNotRead)
{
    Tcopybody dlg(ws);
    dlg.FormActivate();
    dlg.dy->setText("5");
    EXPECT_EQ(dlg.OKBtnClick(), 5);
    EXPECT_EQ(m.Bodies[5].CornerX[1], 70);
    EXPECT_EQ(m.Bodies[5].CornerZ[1], 10);
    EXPECT_TRUE(anomalyConsistent(m));

    dlg.FormActivate();
    dlg.dx->setText("");
    dlg.OKBtn->click();
    EXPECT_EQ(m.NumBodies, 5);
    EXPECT_EQ(dlg.result(), 0);   // still open
    dlg.graphic->setChecked(true);
    EXPECT_EQ(dlg.OKBtnClick(), 0);   // the drag does the copying
    EXPECT_EQ(m.NumBodies, 5);
}

TEST_F(BodyDialogTest, TurnUpIsAnticlockwiseDownClockwise)
{
    TTurnBody dlg(ws);
    dlg.repaint = [this] { ++repaints; };
    dlg.FormActivate();
    EXPECT_EQ(dlg.NoOfBody->text(), "Body 2");
    EXPECT_EQ(dlg.angle->text(), "10.0");
    auto reference = makeModel();
    *reference = m;
    reference->TurnBody(2, 350);
    dlg.turnUpClick();
    for (int k = 1; k <= 4; ++k) {
        EXPECT_DOUBLE_EQ(m.Bodies[2].CornerX[k], reference->Bodies[2].CornerX[k]);
        EXPECT_DOUBLE_EQ(m.Bodies[2].CornerZ[k], reference->Bodies[2].CornerZ[k]);
    }
    // Up then down with the same angle comes back to the start (within the
    // rounding of the degree factor, which 350 degrees magnifies).
    dlg.turnDownClick();
    EXPECT_NEAR(m.Bodies[2].CornerX[3], 100, 1e-3);
    EXPECT_NEAR(m.Bodies[2].CornerZ[3], 25, 1e-3);
    EXPECT_EQ(repaints, 2);
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    dlg.angle->setText("x");
    dlg.turnDownClick();
    EXPECT_EQ(dlg.angle->text(), "10.0");
    EXPECT_EQ(repaints, 2);
}

// ---- Link, unlink and drag commands -------------------------------------------------

struct BodyCommandTest : BodyOpsTest {
    ScriptedPlatform platform;
    const QRect client{0, 0, 652, 486};
    int changes = 0;
    void SetUp() override
    {
        BodyOpsTest::SetUp();
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 200;
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

TEST_F(BodyCommandTest, LinkSnapsTheCurrentBodysCornerOntoAnotherBodysCorner)
{
    // Move the shared corner of bodies 3 and 4 away, then link body 1's
    // corner 4 there: the lowest-numbered other body's corner is taken.
    copyCornerPosition(m, 4, 4, 141, 27);
    m.RecalculateModel();
    m.CurrentBody = 1;
    int linked = 0;
    LinkCornersCommand cmd(context(), [&linked] { ++linked; });
    // The status line says what to do and what each press did.
    EXPECT_EQ(cmd.prompt(), "Click a corner of body 1, then the corner of another body it is to join.");
    cmd.press(at(80, 40));
    EXPECT_EQ(cmd.prompt(), "There is no corner of body 1 there: click one of its corners.");
    cmd.press(at(20, 25));
    EXPECT_EQ(cmd.pendingCorner(), 4);
    EXPECT_EQ(cmd.prompt(), "Now click the corner of another body that corner 4 of body 1 is to join.");
    cmd.press(at(80, 40));   // nothing there: waits on
    EXPECT_EQ(linked, 0);
    EXPECT_EQ(cmd.prompt(), "There is no corner of another body there: click the one corner 4 of body 1 is to join.");
    cmd.press(at(141, 27));
    EXPECT_EQ(linked, 1);
    EXPECT_EQ(cmd.prompt(), "Corner 4 of body 1 is linked to corner 3 of body 3. Click the next corner, or the right "
                            "button to end.");
    EXPECT_EQ(m.Bodies[1].LinkBody[4], 3);
    EXPECT_EQ(m.Bodies[1].LinkCorner[4], 3);
    EXPECT_EQ(m.Bodies[1].CornerX[4], 141);
    EXPECT_EQ(m.Bodies[1].CornerZ[4], 27);
    EXPECT_FALSE(m.Bodies[4].Linked[4]);   // its old partner lost the link
    EXPECT_TRUE(linksConsistent(m));
    EXPECT_TRUE(anomalyConsistent(m));

    cmd.press(at(20, 5));
    cmd.press(at(0, 0, Qt::RightButton));   // a half-made link is dropped
    EXPECT_TRUE(cmd.finished());
    EXPECT_FALSE(m.Bodies[1].Linked[1]);
}

TEST_F(BodyCommandTest, DraggingACopyTakesTheDistanceFromThePointerAndAnyButtonGrips)
{
    m.CurrentBody = 4;
    int done = 0;
    BodyDragCommand copy(context(), BodyDragCommand::Mode::Copy, [&done](int b, const DepthShift&) { done = b; });
    copy.press(at(150, 15, Qt::RightButton));
    copy.move(at(150, 35));
    copy.release(at(150, 35, Qt::RightButton));
    EXPECT_FALSE(copy.finished());
    EXPECT_EQ(platform.cursorStack.back(), Platform::Cursor::Drag);
    EXPECT_EQ(copy.outline().first(), SectionToScreen(client, ws.display, 140, 5) +
                                          (at(150, 35).screen - at(150, 15).screen));
    copy.release(at(150, 35));
    EXPECT_TRUE(platform.cursorStack.empty());
    EXPECT_EQ(done, 5);
    const QPointF moved = at(150, 35).model - at(150, 15).model;
    EXPECT_DOUBLE_EQ(m.Bodies[5].CornerZ[1], 5 + moved.y());
    EXPECT_EQ(m.CurrentBody, 4);
    EXPECT_FALSE(m.Bodies[5].Linked[1]);
    EXPECT_TRUE(anomalyConsistent(m));
}

}  // namespace
}  // namespace corvane
