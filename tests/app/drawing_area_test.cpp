// The drawing area hosts one mouse command: events arrive in model units, the
// read-out follows the pointer, the menu bar is off while the command runs,
// and the command's overlay goes over the kept picture.
#include "app/tcorvane.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Log {
    std::vector<MouseEvent> presses, moves, releases;
    bool cancelled = false;
    bool destroyed = false;
};

// Ends on a right press; paints a red square at the last press.
class FakeCommand : public MouseCommand {
public:
    explicit FakeCommand(Log& log, int corner = -1) : log_(log), corner_(corner) {}
    ~FakeCommand() override { log_.destroyed = true; }
    int readoutCorner() const override { return corner_; }
    void press(const MouseEvent& e) override
    {
        log_.presses.push_back(e);
        if (e.button == Qt::RightButton && e.inModelPanel)
            done_ = true;
    }
    void move(const MouseEvent& e) override { log_.moves.push_back(e); }
    void release(const MouseEvent& e) override { log_.releases.push_back(e); }
    void paintOverlay(QPainter& p) override
    {
        if (!log_.presses.empty())
            p.fillRect(QRect(log_.presses.back().screen, QSize(4, 4)), Qt::red);
    }
    bool finished() const override { return done_; }
    void cancel() override { log_.cancelled = true; }

private:
    Log& log_;
    int corner_;
    bool done_ = false;
};

void modelInView(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 101, 0, 100);
    test::setBody(m, 1, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}, 0.2);
    m.NumBodies = 1;
    m.ModelExists = true;
    m.RecalculateModel();
    ws.display.ModelLoaded = true;
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 100;
}

}  // namespace

TEST(DrawingArea, CommandGetsModelUnitsAndEnds)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    modelInView(w.workspace());
    w.MenuStateLoaded();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingArea& area = w.drawingArea();
    const corvane::Display& d = w.workspace().display;

    Log log;
    w.startCommand(std::make_unique<FakeCommand>(log, 3));
    EXPECT_TRUE(w.commandRunning());
    EXPECT_FALSE(w.menuBar()->isEnabled());

    const QPoint inPanel = SectionToScreen(area.clientRect(), d, 50, 50);
    QTest::mouseMove(&area, inPanel);
    EXPECT_TRUE(w.statusText().startsWith(QStringLiteral(" Corner 3    Position (")));
    QTest::mousePress(&area, Qt::LeftButton, {}, inPanel);
    ASSERT_EQ(log.presses.size(), 1u);
    EXPECT_TRUE(log.presses[0].inModelPanel);
    EXPECT_EQ(log.presses[0].button, Qt::LeftButton);
    EXPECT_NEAR(log.presses[0].model.x(), 50, 0.2);
    EXPECT_NEAR(log.presses[0].model.y(), 50, 0.5);
    QTest::mouseRelease(&area, Qt::LeftButton, {}, inPanel);
    EXPECT_EQ(log.releases.size(), 1u);

    // The overlay is painted over the kept picture.
    const QImage shot = area.grab().toImage();
    EXPECT_EQ(shot.pixelColor(inPanel + QPoint(1, 1)), QColor(Qt::red));

    // The profile panel blanks the read-out; a press there is passed on as outside.
    QTest::mouseMove(&area, QPoint(300, 50));
    EXPECT_EQ(w.statusText(), QStringLiteral(" "));
    QTest::mousePress(&area, Qt::RightButton, {}, QPoint(300, 50));
    EXPECT_FALSE(log.presses.back().inModelPanel);
    EXPECT_TRUE(w.commandRunning());

    QTest::mousePress(&area, Qt::RightButton, {}, inPanel);
    EXPECT_FALSE(w.commandRunning());
    EXPECT_TRUE(log.destroyed);
    EXPECT_FALSE(log.cancelled);
    EXPECT_TRUE(w.menuBar()->isEnabled());
    // The full repaint after the command put the misfit read-out back.
    EXPECT_TRUE(w.statusText().startsWith(QStringLiteral(" Misfit =")));
}

TEST(DrawingArea, EscCancelsAndShortcutsWaitForTheCommand)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    modelInView(w.workspace());
    w.MenuStateLoaded();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    Log log;
    w.startCommand(std::make_unique<FakeCommand>(log));
    QSignalSpy begin(w.action(QStringLiteral("Beginanewmodel1")), &QAction::triggered);
    QTest::keyClick(&w.drawingArea(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(begin.count(), 0);
    QTest::keyClick(&w.drawingArea(), Qt::Key_Escape);
    EXPECT_TRUE(log.cancelled);
    EXPECT_TRUE(log.destroyed);
    EXPECT_FALSE(w.commandRunning());
    EXPECT_TRUE(w.menuBar()->isEnabled());

    // Closing the window ends a running command too.
    Log second;
    w.startCommand(std::make_unique<FakeCommand>(second));
    w.close();
    EXPECT_TRUE(second.cancelled);
    EXPECT_TRUE(second.destroyed);
}

TEST(DrawingArea, ClicksOutsideCommandsReachTheWindow)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    modelInView(w.workspace());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSignalSpy clicks(&w.drawingArea(), &DrawingArea::clicked);
    QSignalSpy doubles(&w.drawingArea(), &DrawingArea::doubleClicked);
    QTest::mouseClick(&w.drawingArea(), Qt::LeftButton, {}, QPoint(200, 300));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.front().front().toPoint(), QPoint(200, 300));
    QTest::mouseDClick(&w.drawingArea(), Qt::LeftButton, {}, QPoint(20, 100));
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles.front().front().toPoint(), QPoint(20, 100));
    // A right click selects nothing.
    QTest::mouseClick(&w.drawingArea(), Qt::RightButton, {}, QPoint(200, 300));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(DrawingArea, WindowPictureOfTwoBodiesWithObservedData)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    Workspace& ws = w.workspace();
    Model& m = ws.model;
    test::setStations(m, 51, 0, 100);
    test::setBody(m, 1, {{20, 10}, {45, 10}, {45, 30}, {20, 30}}, 0.3, 100, 100);
    test::setBody(m, 2, {{60, 5}, {80, 5}, {85, 25}, {55, 25}}, -0.2, 100, 100);
    m.NumBodies = 2;
    m.CurrentBody = 2;
    m.ModelExists = true;
    m.RecalculateModel();
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i] * 1.1 + 0.5;
    corvane::Display& d = ws.display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 100;
    d.ViewDepthMax = 50;
    d.DepthTickStep = 12.5;
    d.GravityTickStep = 25;
    w.MenuStateLoaded();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.repaintModel();
    const QImage shot = w.grab().toImage();
    if (qEnvironmentVariableIsSet("CORVANE_TEST_PICTURES"))
        shot.save(QStringLiteral("/tmp/corvane_window.png"));

    // The bodies in their colours at their places in the window.
    DrawingArea& area = w.drawingArea();
    const QPoint origin = area.mapTo(&w, QPoint(0, 0));
    const QPoint red = origin + SectionToScreen(area.clientRect(), d, 25, 15);
    const QPoint blue = origin + SectionToScreen(area.clientRect(), d, 78, 20);
    EXPECT_EQ(shot.pixelColor(red), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(blue), QColor(0, 0, 255));
    EXPECT_TRUE(w.statusText().startsWith(QStringLiteral(" Misfit =")));
}

TEST(DrawingArea, StatusPanelCoversNoPartOfThePicture)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    Workspace& ws = w.workspace();
    modelInView(ws);
    // A body down to the bottom of the view.
    test::setBody(ws.model, 1, {{10, 60}, {40, 60}, {40, 100}, {10, 100}}, 0.2);
    ws.model.RecalculateModel();
    w.MenuStateLoaded();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    DrawingArea& area = w.drawingArea();
    w.repaintModel();
    const ViewLayout L = area.layout();
    EXPECT_LE(L.Bottom, area.statusPanel()->geometry().top());
    // The fill just above the body's outline along the bottom of the model
    // panel, the margin below it that holds the last depth label, and the
    // frame all show.
    const QImage shot = area.grab().toImage();
    const int col = SectionToScreen(L, ws.display, 25, 100).x();
    EXPECT_EQ(shot.pixelColor(col, L.By - 3), QColor(0, 200, 0));
    EXPECT_EQ(shot.pixelColor(col, L.Bottom - 1), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(col, L.By + 8), QColor(Qt::white));
}
