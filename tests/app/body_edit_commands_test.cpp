// The corner, body and zoom commands through the main window with the
// scripted platform: messages, dialogs, mouse presses and menu states.
#include "app/tcorvane.h"
#include "edit/body_dialogs.h"
#include "edit/body_ops.h"
#include "edit/edit_commands.h"
#include "edit/num_corner_change.h"
#include "edit/picking.h"
#include "edit/spin_arrows.h"
#include "edit/zoom.h"
#include "model/gravity.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using corvane::test::link;
using Kind = ScriptedPlatform::Kind;

namespace {

// Each visible body's anomaly is fresh and the total is their sum.
bool anomalyFresh(const Model& m)
{
    std::vector<double> g(MaxStations), total(MaxStations, 0.0);
    for (int b = 1; b <= m.NumBodies; ++b) {
        bodyAnomaly(m.Bodies[b], m.StationX.data(), m.NumStations, m.UnitsKm, g.data());
        for (int i = 1; i <= m.NumStations; ++i) {
            if (std::fabs(m.Bodies[b].Gravity[i] - g[i - 1]) > 1e-9 * (1 + std::fabs(g[i - 1])))
                return false;
            if (!m.Bodies[b].Hidden)
                total[i - 1] += g[i - 1];
        }
    }
    for (int i = 1; i <= m.NumStations; ++i)
        if (std::fabs(m.CalculatedGravity[i] - total[i - 1]) > 1e-9 * (1 + std::fabs(total[i - 1])))
            return false;
    return true;
}

struct EditWindowTest : ::testing::Test {
    ScriptedPlatform p;
    std::unique_ptr<Tcorvane> w;
    std::function<int(QDialog&)> onDialog = [](QDialog&) { return int(QDialog::Accepted); };

    void SetUp() override
    {
        w = std::make_unique<Tcorvane>(p);
        w->resize(652, 486);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        p.dialogHandler = [this](QDialog& d) { return onDialog(d); };

        // Three bodies side by side; body 2 shares two corners with body 1.
        Model& m = ws().model;
        test::setStations(m, 41, 0, 100);
        test::setBody(m, 1, {{20, 5}, {40, 5}, {40, 20}, {20, 20}}, 0.2, 50, 50);
        test::setBody(m, 2, {{40, 5}, {60, 5}, {60, 20}, {40, 20}}, 0.3, 50, 50);
        test::setBody(m, 3, {{65, 5}, {85, 5}, {75, 15}}, -0.1, 50, 50);
        link(m, 1, 2, 2, 1);
        link(m, 1, 3, 2, 4);
        m.NumBodies = 3;
        m.ModelExists = true;
        m.HaveObserved = true;
        corvane::Display& d = ws().display;
        d.ModelLoaded = true;
        d.ViewXMin = 0;
        d.ViewXMax = 100;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 30;
        m.RecalculateModel();
        w->MenuStateLoaded();
        m.CurrentBody = 2;
        w->MenuStateBodySelected();
        w->repaintModel();
    }
    DrawingArea& area() { return w->drawingArea(); }
    Workspace& ws() { return w->workspace(); }
    Model& model() { return ws().model; }
    QPoint pixel(double x, double z) { return SectionToScreen(area().clientRect(), ws().display, x, z); }
    QPointF modelAt(QPoint px) { return ScreenToSection(area().clientRect(), ws().display, px); }
    void click(QPoint at, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseMove(&area(), at);
        QTest::mouseClick(&area(), b, {}, at, 300);
    }
    bool on(const QString& name) { return w->action(name)->isEnabled(); }
    bool checked(const QString& name) { return w->action(name)->isChecked(); }
    void snapToWholeUnits()
    {
        ws().display.SnapToGrid = true;
        ws().display.GridStepX = 1;
        ws().display.GridStepZ = 1;
    }
};

TEST_F(EditWindowTest, ChangeACornerWithTheMouseMovesTheLinkedPartnerCornerOne)
{
    snapToWholeUnits();
    w->Changeacornerwiththemouse1Click();
    EXPECT_EQ(p.texts(Kind::Information), QStringList{ChangeCornerText});
    ASSERT_TRUE(w->commandRunning());
    EXPECT_FALSE(w->menuBar()->isEnabled());
    EXPECT_EQ(p.pointerPlacements.back(), startPointerPosition(area().clientRect(), PointerStart::ChangeCorner));
    EXPECT_EQ(p.confinement, modelPanel(area().clientRect(), ws().display));

    // Body 1's corner 2 is body 2's corner 1: moving it moves body 2's closing copy too.
    model().CurrentBody = 1;
    w->Changeacornerwiththemouse1Click();   // restarts on body 1
    click(pixel(40, 5));
    click(pixel(42, 3));
    const Model& m = model();
    EXPECT_EQ(m.Bodies[1].CornerX[2], 42);
    EXPECT_EQ(m.Bodies[2].CornerX[1], 42);
    EXPECT_EQ(m.Bodies[2].CornerZ[5], 3);
    EXPECT_TRUE(anomalyFresh(m));
    click(pixel(30, 25), Qt::RightButton);
    EXPECT_FALSE(w->commandRunning());
    EXPECT_TRUE(w->menuBar()->isEnabled());
    EXPECT_TRUE(p.confinement.isNull());
    EXPECT_TRUE(p.cursorStack.empty());
}

TEST_F(EditWindowTest, CornerCommandsWithoutSnappingAndEndedByTheRightButtonMidway)
{
    ws().app.ExpertUser = true;
    ASSERT_FALSE(ws().display.SnapToGrid);
    const Tbody& b2 = model().Bodies[2];
    auto unchanged = [&](const Tbody& before) {
        if (b2.NumCorners != before.NumCorners)
            return false;
        for (int k = 1; k <= b2.NumCorners; ++k)
            if (b2.CornerX[k] != before.CornerX[k] || b2.CornerZ[k] != before.CornerZ[k])
                return false;
        return true;
    };
    auto ended = [&] {
        return !w->commandRunning() && w->menuBar()->isEnabled() && p.confinement.isNull() &&
               p.cursorStack.empty();
    };

    // Change a corner: the new place is where the press was, not a grid node.
    w->Changeacornerwiththemouse1Click();
    click(pixel(60, 5));   // body 2's corner 2
    const QPoint to = pixel(57.3, 7.7);
    click(to);
    EXPECT_EQ(b2.CornerX[2], modelAt(to).x());
    EXPECT_EQ(b2.CornerZ[2], modelAt(to).y());
    EXPECT_NE(b2.CornerX[2], std::round(b2.CornerX[2]));
    EXPECT_TRUE(anomalyFresh(model()));
    // A right press with a corner picked ends the command; the corner stays.
    Tbody before = b2;
    click(pixel(40, 20));   // corner 4
    auto* running = dynamic_cast<CapturedCommand*>(area().command());
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(dynamic_cast<ChangeCornerCommand&>(running->inner()).selectedCorner(), 4);
    click(pixel(50, 12), Qt::RightButton);
    EXPECT_TRUE(ended());
    EXPECT_TRUE(unchanged(before));

    // Add a corner: placed where pressed; a right press after the previous
    // corner is picked ends the command and adds nothing.
    w->Addacorner1Click();
    const QPoint at = pixel(61.7, 13.2);
    click(pixel(60, 20));   // corner 3
    click(at);
    ASSERT_EQ(b2.NumCorners, 6);
    EXPECT_EQ(b2.CornerX[4], modelAt(at).x());
    EXPECT_EQ(b2.CornerZ[4], modelAt(at).y());
    EXPECT_TRUE(ended());
    EXPECT_TRUE(anomalyFresh(model()));
    before = b2;
    w->Addacorner1Click();
    click(pixel(40, 5));
    running = dynamic_cast<CapturedCommand*>(area().command());
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(dynamic_cast<AddCornerCommand&>(running->inner()).previousCorner(), 1);
    click(pixel(70, 25), Qt::RightButton);
    EXPECT_TRUE(ended());
    EXPECT_TRUE(unchanged(before));
}

TEST_F(EditWindowTest, DoubleClickOnABodySelectsItAndOpensItsPropertiesOnlyWhenVisible)
{
    // Items the selection of a visible body enables, switched off first.
    for (const QString& n : {menu::Moveabody, menu::Turnabody, menu::Changeacornerwiththemouse})
        w->setItemEnabled(n, false);
    QTest::mouseDClick(&area(), Qt::LeftButton, {}, pixel(75, 8));   // inside body 3
    EXPECT_EQ(model().CurrentBody, 3);
    EXPECT_EQ(ws().inversion.InversionBody, 3);
    EXPECT_EQ(p.dialogsRun, QStringList{"Tproperties"});
    EXPECT_TRUE(on(menu::Moveabody) && on(menu::Turnabody) && on(menu::Changeacornerwiththemouse));

    // A hidden body is selected and its items switched off, without the dialog.
    model().setHidden(1, true);
    QTest::mouseDClick(&area(), Qt::LeftButton, {}, pixel(30, 12), 300);
    EXPECT_EQ(model().CurrentBody, 1);
    EXPECT_EQ(ws().inversion.InversionBody, 1);
    EXPECT_EQ(p.dialogsRun, QStringList{"Tproperties"});
    EXPECT_FALSE(on(menu::Moveabody) || on(menu::Turnabody) || on(menu::Changeacornerwiththemouse));

    // Beside every body nothing changes.
    QTest::mouseDClick(&area(), Qt::LeftButton, {}, pixel(95, 27), 300);
    EXPECT_EQ(model().CurrentBody, 1);
    EXPECT_EQ(p.dialogsRun.size(), 1);
}

TEST_F(EditWindowTest, NumericCornerChangeStoresTypedCornersAndLeavesTheCurvesRight)
{
    onDialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<TNumCornerChange&>(d);
        EXPECT_EQ(dlg.NoOfCorner->text(), "Corner 1");
        dlg.NextCorner->click();
        dlg.xpos->setText("61.5");
        dlg.NextCorner->click();   // stored, not yet calculated
        dlg.OKBtn->click();
        return dlg.result();
    };
    w->Changeacornernumerically1Click();
    EXPECT_EQ(p.dialogsRun, QStringList{"TNumCornerChange"});
    EXPECT_EQ(model().Bodies[2].CornerX[2], 61.5);
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, AddACornerAndTheCornerLimits)
{
    snapToWholeUnits();
    ws().app.ExpertUser = true;
    w->Addacorner1Click();
    click(pixel(40, 20));   // corner 4, the last distinct one
    click(pixel(38, 12));
    EXPECT_FALSE(w->commandRunning());
    const Tbody& b2 = model().Bodies[2];
    ASSERT_EQ(b2.NumCorners, 6);
    EXPECT_EQ(b2.CornerX[5], 38);
    EXPECT_EQ(b2.CornerX[6], 40);
    EXPECT_EQ(model().Bodies[1].LinkCorner[3], 4);   // still body 2's (40, 20)
    EXPECT_TRUE(anomalyFresh(model()));
    EXPECT_TRUE(p.messages.empty());   // expert mode: no instruction

    model().CurrentBody = 3;
    w->Deleteacorner1Click();
    EXPECT_EQ(p.texts(Kind::Error), QStringList{MinCornersText});
    EXPECT_FALSE(w->commandRunning());

    std::vector<std::pair<double, double>> many;
    for (int k = 0; k < 50; ++k)
        many.emplace_back(65 + k * 0.4, 5 + (k % 2));
    test::setBody(model(), 3, many);
    w->Addacorner1Click();
    EXPECT_EQ(p.last().text, MaxCornersText);
    EXPECT_FALSE(w->commandRunning());
}

TEST_F(EditWindowTest, DeleteCornersMarksWithStarsAndRefusesOneTooMany)
{
    ws().app.ExpertUser = true;
    model().CurrentBody = 2;
    w->Addacorner1Click();
    click(pixel(60, 20));
    click(pixel(50, 25));   // body 2 now has 5 distinct corners
    ASSERT_EQ(model().Bodies[2].NumCorners, 6);

    w->Deleteacorner1Click();
    click(pixel(60, 5));
    click(pixel(50, 25));
    click(pixel(60, 20));
    EXPECT_EQ(p.texts(Kind::Error), QStringList{MinCornersText});
    click(pixel(40, 20), Qt::RightButton);
    EXPECT_FALSE(w->commandRunning());
    const Tbody& b2 = model().Bodies[2];
    ASSERT_EQ(b2.NumCorners, 4);
    EXPECT_EQ(b2.CornerX[2], 60);
    EXPECT_EQ(b2.CornerZ[2], 20);
    EXPECT_EQ(model().Bodies[1].LinkCorner[3], 3);   // (40, 20) renumbered from 4 to 3
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, LinkAndUnlinkWithTheirMessages)
{
    model().CurrentBody = 3;
    w->setItemEnabled(menu::UnlinkaBody, false);
    w->Linkabody1Click();
    EXPECT_EQ(p.texts(Kind::Information), QStringList{MarkCornersText});
    click(pixel(65, 5));
    click(pixel(60, 5));   // body 2's corner 2
    EXPECT_TRUE(on(menu::UnlinkaBody));
    EXPECT_EQ(model().Bodies[3].CornerX[1], 60);
    EXPECT_EQ(model().Bodies[3].CornerX[4], 60);
    EXPECT_EQ(model().Bodies[2].LinkBody[2], 3);
    EXPECT_TRUE(anomalyFresh(model()));
    click(pixel(10, 25), Qt::RightButton);
    EXPECT_FALSE(w->commandRunning());

    w->UnlinkaBody1Click();
    click(pixel(60, 5));
    click(pixel(10, 25), Qt::RightButton);
    EXPECT_FALSE(model().Bodies[3].Linked[1]);
    EXPECT_FALSE(model().Bodies[2].Linked[2]);

    p.clear();
    model().NumBodies = 1;
    model().CurrentBody = 1;
    w->Linkabody1Click();
    EXPECT_EQ(p.texts(Kind::Information), QStringList{MarkCornersText});
    EXPECT_EQ(p.texts(Kind::Error), QStringList{LinkOneBodyText});
    p.clear();
    w->UnlinkaBody1Click();
    EXPECT_TRUE(p.texts(Kind::Information).isEmpty());
    EXPECT_EQ(p.texts(Kind::Error), QStringList{UnlinkOneBodyText});
    EXPECT_FALSE(w->commandRunning());
}

TEST_F(EditWindowTest, DeleteABodyAsksThenRenumbersAndFinallyLeavesOneVisibleBody)
{
    model().CurrentBody = 2;
    p.confirmAnswers.push_back(false);
    w->Deleteabody1Click();
    EXPECT_EQ(p.last().kind, Kind::Confirm);
    EXPECT_EQ(p.last().text, "Delete Body 2 ?");
    EXPECT_EQ(model().NumBodies, 3);

    p.confirmAnswers.push_back(true);
    w->Deleteabody1Click();
    EXPECT_EQ(model().NumBodies, 2);
    EXPECT_EQ(model().CurrentBody, 2);
    EXPECT_EQ(model().Bodies[2].Density, -0.1);
    EXPECT_FALSE(model().Bodies[1].Linked[2]);
    EXPECT_TRUE(anomalyFresh(model()));

    ws().display.ShowIndividual = true;
    w->setItemChecked(menu::Displayindividual, true);
    model().setHidden(1, true);
    p.confirmAnswers.push_back(true);
    w->Deleteabody1Click();
    EXPECT_EQ(model().NumBodies, 1);
    EXPECT_EQ(model().CurrentBody, 1);
    EXPECT_FALSE(model().Bodies[1].Hidden);
    EXPECT_TRUE(anomalyFresh(model()));
    EXPECT_FALSE(checked(menu::Displayindividual));
    for (const QString& item : {menu::Displayindividual, menu::Hideabody, menu::Linkabody,
                                menu::UnlinkaBody, menu::Deleteabody})
        EXPECT_FALSE(on(item)) << item.toStdString();
    for (const QString& item : {menu::Moveabody, menu::Copyabody, menu::Addabody, menu::KeyinaBody})
        EXPECT_TRUE(on(item)) << item.toStdString();
}

TEST_F(EditWindowTest, HideAndUnhideFollowTheMenuAndKeepOneBodyVisible)
{
    w->Hideabody1Click();
    EXPECT_TRUE(model().Bodies[2].Hidden);
    EXPECT_FALSE(on(menu::Moveabody));
    EXPECT_FALSE(on(menu::Changeacornerwiththemouse));
    EXPECT_TRUE(anomalyFresh(model()));

    // Moving or turning a hidden body is refused with the same message.
    w->Moveabody1Click();
    w->Turnabody1Click();
    EXPECT_EQ(p.texts(Kind::Error), (QStringList{UnhideFirstText, UnhideFirstText}));
    EXPECT_TRUE(p.dialogsRun.isEmpty());

    w->Hideabody1Click();
    EXPECT_FALSE(model().Bodies[2].Hidden);
    EXPECT_TRUE(on(menu::Moveabody));

    model().setHidden(1, true);
    model().setHidden(3, true);
    w->Hideabody1Click();
    EXPECT_EQ(p.last().text, "You cannot hide all of the bodies in the model");
    EXPECT_FALSE(model().Bodies[2].Hidden);
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, MoveBySpinButtonsThenByDraggingTheOutline)
{
    model().CurrentBody = 3;
    int repaintsSeen = 0;
    onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<TMoveBody&>(d);
        EXPECT_EQ(dlg.dx->text(), "     5.000");
        dlg.xchange->upButton()->click();
        repaintsSeen = model().Bodies[3].CornerX[1] == 70;
        dlg.graphic->setChecked(true);
        dlg.OKBtn->click();
        return dlg.result();
    };
    w->Moveabody1Click();
    EXPECT_TRUE(repaintsSeen);
    EXPECT_EQ(p.texts(Kind::Information), QStringList{DragBodyText});
    ASSERT_TRUE(w->commandRunning());

    const QPoint from = pixel(75, 8), to = pixel(75, 18);
    QTest::mousePress(&area(), Qt::LeftButton, {}, from);
    QTest::mouseMove(&area(), to);
    QTest::mouseRelease(&area(), Qt::LeftButton, {}, to);
    EXPECT_FALSE(w->commandRunning());
    const double dz = modelAt(to).y() - modelAt(from).y();
    EXPECT_DOUBLE_EQ(model().Bodies[3].CornerZ[1], 5 + dz);
    EXPECT_DOUBLE_EQ(model().Bodies[3].CornerX[1], 70);
    EXPECT_TRUE(anomalyFresh(model()));

    // Dragged up past the surface: the body stops whole where its top reaches
    // it, and the status panel says so, also once the window is drawn again.
    onDialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<TMoveBody&>(d);
        dlg.graphic->setChecked(true);
        dlg.OKBtn->click();
        return dlg.result();
    };
    w->Moveabody1Click();
    ASSERT_TRUE(w->commandRunning());
    QTest::mousePress(&area(), Qt::LeftButton, {}, pixel(75, 25));
    QTest::mouseMove(&area(), pixel(75, 1));
    QTest::mouseRelease(&area(), Qt::LeftButton, {}, pixel(75, 1));
    EXPECT_FALSE(w->commandRunning());
    EXPECT_NEAR(model().Bodies[3].CornerZ[1], MinDepth, 1e-9);
    EXPECT_NEAR(model().Bodies[3].CornerZ[3] - model().Bodies[3].CornerZ[1], 10, 1e-9);
    EXPECT_EQ(w->statusText().toStdString(), StepShortenedText.toStdString());
    area().repaint();
    EXPECT_EQ(w->statusText().toStdString(), StepShortenedText.toStdString());
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, CopyABodyKeepsTheSourceCurrentAndUpdatesTheMenu)
{
    onDialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<Tcopybody&>(d);
        dlg.dx->setText("0");
        dlg.dy->setText("12");
        dlg.OKBtn->click();
        return dlg.result();
    };
    w->setStatus("something");
    w->Copyabody1Click();
    ASSERT_EQ(model().NumBodies, 4);
    EXPECT_EQ(model().CurrentBody, 2);
    EXPECT_EQ(model().Bodies[4].CornerZ[1], 17);
    EXPECT_FALSE(model().Bodies[4].Linked[1]);
    EXPECT_TRUE(model().Bodies[2].Linked[1]);
    EXPECT_NE(w->statusText(), "something");   // emptied, then the repaint's misfit
    EXPECT_TRUE(on(menu::Linkabody));
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, TurnAndUnitsThroughTheirDialogs)
{
    const double x3 = model().Bodies[3].CornerX[3];
    onDialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<TTurnBody&>(d);
        dlg.angle->setText("90");
        dlg.turn->downButton()->click();
        dlg.OKBtn->click();
        return dlg.result();
    };
    model().CurrentBody = 3;
    w->Turnabody1Click();
    EXPECT_NE(model().Bodies[3].CornerX[3], x3);
    EXPECT_TRUE(anomalyFresh(model()));

    const double g = model().CalculatedGravity[20];
    onDialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<TDistUnits&>(d);
        EXPECT_TRUE(dlg.km->isChecked());
        dlg.metres->setChecked(true);
        dlg.OKBtn->click();
        return dlg.result();
    };
    w->Changeunits1Click();
    EXPECT_FALSE(model().UnitsKm);
    EXPECT_EQ(model().Bodies[2].CornerX[2], 60);
    EXPECT_NE(model().CalculatedGravity[20], g);
    EXPECT_TRUE(anomalyFresh(model()));
}

TEST_F(EditWindowTest, ZoomInByABoxAndFullyBackOut)
{
    EXPECT_FALSE(on(menu::Zoomout));
    w->Zoomin1Click();
    EXPECT_EQ(p.texts(Kind::Information), QStringList{ZoomInText});
    const QPoint a = pixel(21, 4), b = pixel(58, 16);
    QTest::mousePress(&area(), Qt::LeftButton, {}, a);
    QTest::mouseMove(&area(), b);
    QTest::mouseRelease(&area(), Qt::LeftButton, {}, b);
    EXPECT_FALSE(w->commandRunning());
    const corvane::Display& d = ws().display;
    EXPECT_EQ(d.ViewXMin, 22.5);   // stations every 2.5
    EXPECT_EQ(d.ViewXMax, 60);
    EXPECT_NEAR(d.ViewDepthMin, 4, 0.2);
    EXPECT_NEAR(d.ViewDepthMax, 16, 0.2);
    EXPECT_TRUE(d.Zoomed);
    EXPECT_TRUE(on(menu::Zoomout));

    w->Zoomout1Click();
    EXPECT_EQ(d.ViewXMin, 0);
    EXPECT_EQ(d.ViewXMax, 100);
    EXPECT_EQ(d.ViewDepthMin, 0);
    EXPECT_DOUBLE_EQ(d.ViewDepthMax, 21);
    EXPECT_FALSE(d.Zoomed);
    EXPECT_FALSE(on(menu::Zoomout));
}

}  // namespace
