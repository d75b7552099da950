// Anything typed into the number boxes of the dialogs, and file commands that
// fail, through the main window: the model keeps only finite numbers, stays
// sound, and a failed save shows one message and leaves the old file alone.
#include "../../fuzz/model_invariants.h"
#include "app/newmodel_data.h"
#include "app/tcorvane.h"
#include "io/model_file.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>

using namespace corvane;
using Kind = ScriptedPlatform::Kind;

namespace {

const QStringList hostileTexts = {
    "", "   ", "abc", "1e999", "-1e999", "-0", "nan", "inf", "-inf", "1,5", "0x10", "1e-999",
    QString(10000, '9'), QString(10000, ' ') + "1", "1.5.5", "--1", "+", ".", "e5",
};

struct HostileWindowTest : ::testing::Test {
    ScriptedPlatform p;
    std::unique_ptr<Tcorvane> w;
    QString typed;
    int dialogsOpened = 0;

    void SetUp() override
    {
        w = std::make_unique<Tcorvane>(p);
        w->resize(652, 486);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // Every line edit of every dialog gets the same text; then OK.
        // A dialog that opens again and again is cancelled in the end.
        p.dialogHandler = [this](QDialog& d) {
            if (++dialogsOpened > 20)
                return int(QDialog::Rejected);
            for (QLineEdit* box : d.findChildren<QLineEdit*>())
                if (box->isEnabled())
                    box->setText(typed);
            if (auto* ok = d.findChild<QPushButton*>("OKBtn")) {
                ok->click();
                return d.result() == QDialog::Accepted ? int(QDialog::Accepted) : int(QDialog::Rejected);
            }
            return int(QDialog::Accepted);
        };
        loadModel();
    }

    // Two linked bodies over 41 stations.
    void loadModel()
    {
        Workspace& ws = w->workspace();
        Model& m = ws.model;
        test::setStations(m, 41, 0, 100);
        for (int i = 1; i <= 41; ++i)
            m.ObservedGravity[i] = std::sin(i * 0.2);
        m.NumBodies = 2;
        test::setBody(m, 1, {{20, 5}, {40, 5}, {40, 20}, {20, 20}}, 0.2, 50, 50);
        test::setBody(m, 2, {{40, 5}, {60, 5}, {60, 20}}, 0.3, 50, 50);
        m.Bodies[1].Linked[2] = m.Bodies[2].Linked[1] = true;
        m.Bodies[1].LinkBody[2] = 2;
        m.Bodies[1].LinkCorner[2] = 1;
        m.Bodies[2].LinkBody[1] = 1;
        m.Bodies[2].LinkCorner[1] = 2;
        m.Bodies[2].Linked[4] = true;   // the closing copy carries corner 1's record
        m.Bodies[2].LinkBody[4] = 1;
        m.Bodies[2].LinkCorner[4] = 2;
        m.ModelExists = true;
        m.HaveObserved = true;
        m.CurrentBody = 1;
        corvane::Display& d = ws.display;
        d.ModelLoaded = true;
        d.ViewXMin = 0;
        d.ViewXMax = 100;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 30;
        m.RecalculateModel();
        w->MenuStateLoaded();
        w->MenuStateBodySelected();
        w->repaintModel();
    }

    // Ends a mouse command the dialog may have started.
    void endCommand()
    {
        for (int i = 0; i < 5 && w->commandRunning(); ++i) {
            const QPoint at(100, 300);
            QTest::mouseClick(&w->drawingArea(), Qt::RightButton, {}, at);
        }
    }
};

TEST_F(HostileWindowTest, EveryNumberBoxTakesAnyTextWithoutSpoilingTheModel)
{
    // The dialogs with number boxes that act on a loaded model.
    const QStringList commands = {
        "Changebodyproperties1", "Changeacornernumerically1", "Moveabody1", "Copyabody1",
        "Turnabody1", "bodyinversion", "Invertthemodel1", "setdisplaysize1", "gridoptions1",
        "Modifytheregionalfield1", "KeyinaBody1",
    };
    std::map<QString, int> opened;
    for (const QString& text : hostileTexts) {
        for (const QString& name : commands) {
            SCOPED_TRACE((name + " given \"" + text.left(20) + "\"").toStdString());
            QAction* a = w->action(name);
            ASSERT_NE(a, nullptr);
            if (!a->isEnabled())
                continue;
            typed = text;
            dialogsOpened = 0;
            a->trigger();
            endCommand();
            opened[name] += dialogsOpened;
            const std::string problem = check::modelViolation(w->workspace());
            ASSERT_EQ(problem, "");
            const corvane::Display& d = w->workspace().display;
            ASSERT_TRUE(d.ViewXMax > d.ViewXMin);
            ASSERT_TRUE(d.GridStepX > 0 && d.GridStepZ > 0);
        }
        // Back to the same starting point for the next text.
        loadModel();
    }
    // Each command did reach its dialog.
    for (const QString& name : commands)
        EXPECT_GT(opened[name], 0) << name.toStdString();
}

TEST(HostileNewModel, BoxesOfTheNewModelDialogGiveAFiniteProfileAndBody)
{
    for (const QString& text : hostileTexts) {
        SCOPED_TRACE(text.left(20).toStdString());
        Workspace ws;
        NewModelInput in;
        in.density = in.strike1 = in.strike2 = in.maxDepth = in.spacing = in.points = text;
        in.readFieldData = false;
        applyNewModel(ws, in, nullptr);
        const Model& m = ws.model;
        EXPECT_GE(m.NumStations, 10);
        EXPECT_LE(m.NumStations, MaxStations);
        EXPECT_GT(ws.display.ViewDepthMax, ws.display.ViewDepthMin);
        EXPECT_GT(ws.display.ViewXMax, ws.display.ViewXMin);
        const int b = prepareFirstBody(ws);
        test::setBody(ws.model, b, {{ws.display.ViewXMax / 3, ws.display.ViewDepthMax / 10},
                                    {ws.display.ViewXMax / 2, ws.display.ViewDepthMax / 10},
                                    {ws.display.ViewXMax / 2, ws.display.ViewDepthMax / 5}},
                      m.Bodies[b].Density, m.Bodies[b].StrikeLength1, m.Bodies[b].StrikeLength2);
        finishFirstBody(ws);
        EXPECT_EQ(check::modelViolation(ws), "");
    }

    // The largest spacing the box takes still gives a profile of finite,
    // rising positions.
    for (const char* spacing : {"1e308", "1.7e308", "1e300"}) {
        const std::vector<double> x = evenProfile("4096", spacing);
        ASSERT_EQ(x.size(), 4096u);
        for (std::size_t i = 1; i < x.size(); ++i)
            ASSERT_TRUE(std::isfinite(x[i]) && x[i] > x[i - 1]) << spacing << " at " << i;
    }
}

TEST_F(HostileWindowTest, FailedSaveShowsOneMessageAndKeepsTheOldFileAndTheModel)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.mod");
    p.saveNames = {good};
    w->Savethecurrentmodel1Click();
    std::ifstream in(good.toStdString(), std::ios::binary);
    const std::string previous((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(previous.empty());

    // The parent of the target is a regular file: no one can write there.
    p.clear();
    const std::string modelBefore = *modelFileBytes(w->workspace());
    p.saveNames = {good + "/inside.mod"};
    p.confirmAnswers = {true, true};
    w->Savethecurrentmodel1Click();
    EXPECT_EQ(p.texts(Kind::Error).size(), 1);
    EXPECT_TRUE(p.texts(Kind::Information).filter("successfully").isEmpty());
    std::ifstream again(good.toStdString(), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), previous);
    EXPECT_EQ(*modelFileBytes(w->workspace()), modelBefore);

    // Loading a file that has gone: one message, the model as it was.
    p.clear();
    p.openNames = {dir.filePath("gone.mod")};
    w->Loadanoldmodel1Click();
    EXPECT_EQ(p.texts(Kind::Error).size(), 1);
    EXPECT_EQ(*modelFileBytes(w->workspace()), modelBefore);

    // A truncated copy of the good file: refused, one message, model kept.
    p.clear();
    const QString cut = dir.filePath("cut.mod");
    std::ofstream(cut.toStdString(), std::ios::binary) << previous.substr(0, previous.size() / 2);
    p.openNames = {cut};
    w->Loadanoldmodel1Click();
    EXPECT_EQ(p.texts(Kind::Error).size(), 1);
    EXPECT_EQ(*modelFileBytes(w->workspace()), modelBefore);
    EXPECT_EQ(check::modelViolation(w->workspace()), "");
}

}  // namespace
