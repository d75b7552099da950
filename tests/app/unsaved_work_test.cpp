// Unsaved work through the main window: the caption's star, undo and redo
// with their menu states, the question before a changed model is replaced,
// the recovery file, and the command line.
#include "app/command_line.h"
#include "app/history.h"
#include "app/magnetics.h"
#include "app/newmodel.h"
#include "app/newmodel_data.h"
#include "app/recovery.h"
#include "app/tcorvane.h"
#include "display/view.h"
#include "edit/body_dialogs.h"
#include "io/model_file.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/model_state.h"
#include "version.h"
#include "support/helpers.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <fstream>

using namespace corvane;
using corvane::test::slurp;
using corvane::test::spit;
using Kind = ScriptedPlatform::Kind;
using Answer = Platform::Answer;

namespace {

const QString Caption = QStringLiteral("Corvane for Windows");
const QString SaveFirst = QStringLiteral("The model has changed. Save it first ?");

// Three bodies, 2 and 3 linked at a shared corner.
void threeBodies(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 41, 0, 40);
    for (int i = 1; i <= 41; ++i)
        m.ObservedGravity[i] = std::sin(i * 0.3);
    test::setBody(m, 1, {{5, 1}, {12, 1}, {12, 4}, {5, 4}}, 0.2, 50, 50);
    test::setBody(m, 2, {{18, 2}, {24, 2}, {21, 6}}, -0.1, 50, 50);
    test::setBody(m, 3, {{24, 2}, {30, 2}, {30, 5}}, 0.3, 50, 50);
    m.Bodies[2].Linked[2] = m.Bodies[3].Linked[1] = true;
    m.Bodies[2].LinkBody[2] = 3;
    m.Bodies[2].LinkCorner[2] = 1;
    m.Bodies[3].LinkBody[1] = 2;
    m.Bodies[3].LinkCorner[1] = 2;
    m.NumBodies = 3;
    m.ModelExists = true;
    m.HaveObserved = true;
    ws.display.ModelLoaded = true;
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 40;
    ws.display.ViewDepthMax = 10;
    m.RecalculateModel();
}

struct UnsavedWork : ::testing::Test {
    QTemporaryDir dir;
    ScriptedPlatform p;
    std::unique_ptr<Tcorvane> w;
    QString file;   // the model the window loaded

    void SetUp() override
    {
        Workspace source;
        threeBodies(source);
        file = dir.filePath(QStringLiteral("three.mod"));
        ASSERT_EQ(saveModelFile(source, QFile::encodeName(file).toStdString()).message(), "");
        w = std::make_unique<Tcorvane>(p);
        w->resize(652, 486);
        w->show();
        w->startUp(file);
        ASSERT_TRUE(ws().model.ModelExists);
        p.clear();
    }
    Workspace& ws() { return w->workspace(); }
    QAction* item(const char* name) { return w->action(QString::fromLatin1(name)); }
    void trigger(const char* name) { item(name)->trigger(); }
    bool on(const char* name) { return item(name)->isEnabled(); }
    // An edit that the model file holds: body 2 deleted.
    void deleteBody()
    {
        ws().model.CurrentBody = 2;
        p.confirmAnswers.push_back(true);
        trigger("Deleteabody1");
        ASSERT_EQ(ws().model.NumBodies, 2);
    }
};

}  // namespace

TEST_F(UnsavedWork, CaptionUndoAndRedoItemsFollowTheEditsAndTheSave)
{
    const QString Three = QStringLiteral(" - three.mod"), Two = QStringLiteral(" - two.mod");
    EXPECT_EQ(w->windowTitle(), Caption + Three);
    EXPECT_EQ(w->modelFile(), QFileInfo(file).absoluteFilePath());
    EXPECT_FALSE(on("Undo1"));
    EXPECT_FALSE(on("Redo1"));
    EXPECT_EQ(item("Undo1")->text(), QStringLiteral("&Undo"));
    EXPECT_EQ(item("Undo1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Backspace));
    EXPECT_EQ(item("Redo1")->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace)}));

    const QString misfit = w->statusText();
    deleteBody();
    EXPECT_EQ(w->windowTitle(), QLatin1Char('*') + Caption + Three);
    EXPECT_TRUE(on("Undo1"));
    EXPECT_EQ(item("Undo1")->text(), QStringLiteral("&Undo Delete a body"));
    EXPECT_NE(w->statusText(), misfit);

    // Undo goes back to the loaded model: no star, the picture redrawn.
    trigger("Undo1");
    EXPECT_EQ(ws().model.NumBodies, 3);
    EXPECT_EQ(w->windowTitle(), Caption + Three);
    EXPECT_EQ(w->statusText(), misfit);
    EXPECT_FALSE(on("Undo1"));
    EXPECT_EQ(item("Redo1")->text(), QStringLiteral("&Redo Delete a body"));
    trigger("Redo1");
    EXPECT_EQ(w->windowTitle(), QLatin1Char('*') + Caption + Three);

    // Saved: the star goes; an undo past the save brings it back.
    p.saveNames.push_back(dir.filePath(QStringLiteral("two.mod")));
    trigger("Savethecurrentmodel1");
    EXPECT_EQ(p.last().text, QStringLiteral("Model successfully saved."));
    EXPECT_EQ(w->windowTitle(), Caption + Two);
    trigger("Undo1");
    EXPECT_EQ(w->windowTitle(), QLatin1Char('*') + Caption + Two);
    trigger("Redo1");
    EXPECT_EQ(w->windowTitle(), Caption + Two);

    // Selecting a body, a display toggle and an output are no steps.
    const int steps = w->history().undoSteps();
    trigger("bodynumbers1");
    trigger("totheclipboard1");
    QTest::mouseClick(&w->drawingArea(), Qt::LeftButton, {},
                      SectionToScreen(w->drawingArea().clientRect(), ws().display, 8, 2));
    EXPECT_EQ(ws().model.CurrentBody, 1);
    EXPECT_EQ(w->history().undoSteps(), steps);
    EXPECT_EQ(w->windowTitle(), Caption + Two);
}

TEST_F(UnsavedWork, MenuStatesAfterUndoAndRedo)
{
    // Down to one body: the two-body items go, and come back with the undo.
    deleteBody();
    ws().model.CurrentBody = 2;
    p.confirmAnswers.push_back(true);
    trigger("Deleteabody1");
    ASSERT_EQ(ws().model.NumBodies, 1);
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1", "Displayindividual1"})
        EXPECT_FALSE(on(n)) << n;
    trigger("Undo1");
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1", "Displayindividual1"})
        EXPECT_TRUE(on(n)) << n;
    trigger("Redo1");
    EXPECT_FALSE(on("Deleteabody1"));
    trigger("Undo1");

    // The current body hidden: its editing items go, and come back.
    ws().model.CurrentBody = 1;
    trigger("Hideabody1");
    ASSERT_TRUE(ws().model.Bodies[1].Hidden);
    EXPECT_FALSE(on("Moveabody1"));
    trigger("Undo1");
    EXPECT_TRUE(on("Moveabody1"));
    EXPECT_TRUE(on("Changeacornerwiththemouse1"));
    trigger("Redo1");
    EXPECT_FALSE(on("Moveabody1"));
    trigger("Undo1");

    // At 51 bodies nothing more can be added; an undo makes room again.
    Model& m = ws().model;
    for (int b = 4; b <= 50; ++b)
        m.CopyBody(1, b);
    m.NumBodies = 50;
    m.RecalculateModel();
    p.dialogHandler = [](QDialog& d) {
        auto& dlg = dynamic_cast<Tcopybody&>(d);
        dlg.dy->setText(QStringLiteral("1"));
        dlg.OKBtn->click();
        return dlg.result();
    };
    trigger("Copyabody1");
    ASSERT_EQ(m.NumBodies, 51);
    EXPECT_FALSE(on("Addabody1"));
    trigger("Undo1");
    EXPECT_EQ(m.NumBodies, 50);
    for (const char* n : {"Addabody1", "KeyinaBody1", "Copyabody1", "Readinamodelfile1"})
        EXPECT_TRUE(on(n)) << n;
    trigger("Redo1");
    for (const char* n : {"Addabody1", "KeyinaBody1", "Copyabody1", "Readinamodelfile1"})
        EXPECT_FALSE(on(n)) << n;
}

TEST_F(UnsavedWork, TheQuestionBeforeAChangedModelIsReplaced)
{
    // What shows that each command went on past the question.
    struct Case {
        const char* item;
        std::function<bool()> wentOn;
    };
    const Case cases[] = {
        {"Beginanewmodel1", [this] { return p.dialogsRun.contains(QStringLiteral("Tnewmodel")); }},
        {"Loadanoldmodel1",
         [this] { return !p.fileRequests.empty() && !p.fileRequests.back().save; }},
        {"ExitCorvane1", [this] { return !w->isVisible(); }},
    };
    auto bodiesInFile = [this] {
        Workspace loaded;
        return loadModelFile(loaded, QFile::encodeName(file).toStdString()).message().empty() ? loaded.model.NumBodies
                                                                                               : -1;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        for (const Answer answer : {Answer::Cancel, Answer::No, Answer::Yes}) {
            SetUp();
            deleteBody();
            const test::ModelState edited(ws());
            p.clear();
            p.questionAnswers = {answer};
            trigger(c.item);
            EXPECT_EQ(p.texts(Kind::Question), QStringList{SaveFirst});
            EXPECT_TRUE(p.texts(Kind::Confirm).isEmpty());   // not "Exit Corvane ?" as well
            EXPECT_EQ(c.wentOn(), answer != Answer::Cancel);
            // Yes saves to the model's own file without asking for a name.
            EXPECT_EQ(bodiesInFile(), answer == Answer::Yes ? 2 : 3);
            if (answer == Answer::Cancel) {
                EXPECT_EQ(p.messages.size(), 1u);
                EXPECT_TRUE(test::sameState(test::ModelState(ws()), edited));
            }
            if (answer == Answer::Yes) {
                EXPECT_EQ(p.texts(Kind::Information), QStringList{QStringLiteral("Model successfully saved.")});
            }
        }

        // A model without a file of its own: Yes asks for a name; a
        // cancelled or failed save stops the command.
        for (const QString& name : {QString(), dir.filePath(QStringLiteral("no/such/folder/model.mod"))}) {
            w = std::make_unique<Tcorvane>(p);
            w->show();
            threeBodies(ws());
            w->MenuStateLoaded();
            deleteBody();
            const test::ModelState edited(ws());
            p.clear();
            p.questionAnswers = {Answer::Yes};
            if (!name.isEmpty()) {
                p.saveNames = {name};   // cannot be written
                p.confirmAnswers = {true};
            }
            trigger(c.item);
            ASSERT_FALSE(p.fileRequests.empty());
            EXPECT_TRUE(p.fileRequests.front().save);
            EXPECT_EQ(p.texts(Kind::Error).size(), name.isEmpty() ? 0 : 1);
            EXPECT_FALSE(c.wentOn());
            EXPECT_TRUE(test::sameState(test::ModelState(ws()), edited));
            EXPECT_TRUE(w->history().modified());
        }
    }
}

TEST_F(UnsavedWork, RecoveryFileWrittenRestoredAndRemoved)
{
    QTemporaryDir state;
    w->enableRecovery(state.path());
    auto leftInFolder = [&state] {
        return QDir(state.path()).entryList({QStringLiteral("recovery-*.mod")}, QDir::Files).size();
    };
    w->writeRecovery();
    EXPECT_EQ(leftInFolder(), 0);   // nothing unsaved yet

    ws().model.CurrentBody = 3;
    trigger("Hideabody1");
    deleteBody();   // body 3 becomes body 2
    w->writeRecovery();
    ASSERT_EQ(leftInFolder(), 1);

    // Saved: the file goes; edited again and kept, then the program "dies".
    w->saveModelTo(file);
    EXPECT_EQ(leftInFolder(), 0);
    trigger("Undo1");
    w->writeRecovery();
    ASSERT_EQ(leftInFolder(), 1);
    w.reset();

    // The next start offers it; Yes brings the work back, unsaved.
    ScriptedPlatform p2;
    Tcorvane w2(p2);
    w2.enableRecovery(state.path());
    p2.confirmAnswers = {true};
    ASSERT_TRUE(w2.offerRecovery());
    ASSERT_EQ(p2.messages.size(), 1u);
    EXPECT_TRUE(p2.last().text.startsWith(QStringLiteral("Unsaved work from 20")));
    EXPECT_TRUE(p2.last().text.endsWith(QStringLiteral(" was found. Restore it ?")));
    const Model& r = w2.workspace().model;
    ASSERT_EQ(r.NumBodies, 3);   // as it was before the saved deletion was undone
    EXPECT_TRUE(r.Bodies[3].Hidden);
    EXPECT_EQ(w2.modelFile(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(w2.windowTitle(), QLatin1Char('*') + Caption + QStringLiteral(" - ") + QFileInfo(file).fileName());
    EXPECT_TRUE(w2.action(QStringLiteral("Savethecurrentmodel1"))->isEnabled());
    for (int i = 1; i <= r.NumStations; ++i)
        ASSERT_NEAR(r.CalculatedGravity[i], r.Bodies[1].Gravity[i] + r.Bodies[2].Gravity[i], 1e-9);
    EXPECT_EQ(leftInFolder(), 1);   // its own file now, the old one gone

    // A clean exit removes it; nothing is offered next time.
    p2.questionAnswers = {Answer::No};
    w2.action(QStringLiteral("ExitCorvane1"))->trigger();
    EXPECT_FALSE(w2.isVisible());
    EXPECT_EQ(leftInFolder(), 0);
    ScriptedPlatform p3;
    Tcorvane w3(p3);
    w3.enableRecovery(state.path());
    EXPECT_FALSE(w3.offerRecovery());
    EXPECT_TRUE(p3.messages.empty());

    // No removes a file left behind; a damaged one is not offered but set aside.
    threeBodies(w3.workspace());
    w3.history().markUnsaved();
    w3.writeRecovery();
    const QString left = w3.recovery()->fileName();
    std::string bytes = slurp(left);
    w3.recovery()->remove();
    const QString older = state.filePath(QStringLiteral("recovery-1-1.mod"));
    spit(older, bytes);
    spit(state.filePath(QStringLiteral("recovery-2-2.mod")), bytes.substr(0, 100));
    QFile f(older);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    f.close();
    ScriptedPlatform p4;
    Tcorvane w4(p4);
    w4.enableRecovery(state.path());
    p4.confirmAnswers = {false};
    EXPECT_FALSE(w4.offerRecovery());
    EXPECT_EQ(p4.texts(Kind::Confirm).size(), 1);
    ASSERT_EQ(p4.texts(Kind::Warning).size(), 1);
    EXPECT_TRUE(p4.texts(Kind::Warning)[0].contains(QStringLiteral("damaged")));
    EXPECT_TRUE(p4.texts(Kind::Error).empty());
    EXPECT_FALSE(w4.workspace().model.ModelExists);
    EXPECT_EQ(leftInFolder(), 0);
    EXPECT_TRUE(QFileInfo::exists(state.filePath(QStringLiteral("recovery-2-2.mod.damaged"))));

    // A folder that cannot be made is said once, not every minute.
    spit(state.filePath(QStringLiteral("plain")), "x");
    w4.enableRecovery(state.filePath(QStringLiteral("plain/inside")));   // under a file
    threeBodies(w4.workspace());
    w4.history().markUnsaved();
    p4.clear();
    w4.writeRecovery();
    w4.writeRecovery();
    ASSERT_EQ(p4.texts(Kind::Warning).size(), 1);
    EXPECT_TRUE(p4.last().text.startsWith(QStringLiteral("Unsaved work cannot be kept for recovery. ")));
}

TEST(RecoveryFile, ExtrasComeBackAndDamagedOnesAreLeftOut)
{
    Workspace ws;
    threeBodies(ws);
    Model& m = ws.model;
    m.Bodies[2].InvertDepth = true;
    m.Bodies[2].DepthMin = 1.25;
    m.Bodies[3].CornerInvertZ[2] = true;
    m.setHidden(1, true);
    m.CurrentBody = 3;
    ws.inversion.InversionBody = 2;
    ws.display.ViewXMin = 10;
    ws.display.Zoomed = true;
    const std::string bytes = recoveryBytes(ws, QStringLiteral("/data/a b%.mod")).value();

    Workspace back;
    QString name;
    ASSERT_EQ(restoreRecoveryBytes(back, bytes, name), "");
    EXPECT_EQ(name, QStringLiteral("/data/a b%.mod"));
    const Model& r = back.model;
    EXPECT_TRUE(r.Bodies[1].Hidden);
    EXPECT_TRUE(r.Bodies[2].InvertDepth);
    EXPECT_EQ(r.Bodies[2].DepthMin, 1.25);
    EXPECT_TRUE(r.Bodies[3].CornerInvertZ[2]);
    EXPECT_TRUE(r.Bodies[2].Linked[2] && r.Bodies[3].Linked[1]);
    EXPECT_EQ(r.CurrentBody, 3);
    EXPECT_EQ(back.inversion.InversionBody, 2);
    EXPECT_EQ(back.display.ViewXMin, 10);
    EXPECT_TRUE(back.display.Zoomed);
    for (int i = 1; i <= r.NumStations; ++i)
        ASSERT_NEAR(r.CalculatedGravity[i], r.Bodies[2].Gravity[i] + r.Bodies[3].Gravity[i], 1e-9);

    // Boreholes come back too, and the recovery file is a model file with
    // its block, loadable as one.
    Workspace holes;
    threeBodies(holes);
    for (int h = 1; h <= 3; ++h) {
        holes.model.Holes[h].Name = "hole " + std::to_string(h);
        holes.model.Holes[h].NumDepths = h;
        for (int r = 1; r <= h; ++r) {
            holes.model.Holes[h].HoleX[r] = 10 + h;
            holes.model.Holes[h].HoleDepth[r] = 0.5 * r;
        }
        holes.model.Holes[h].NumLabels = 1;
        holes.model.Holes[h].Label[1] = "top";
        holes.model.Holes[h].LabelRow[1] = h;
    }
    holes.model.NumHoles = 3;
    const std::string withHoles = recoveryBytes(holes, QString()).value();
    Workspace holesBack;
    ASSERT_EQ(restoreRecoveryBytes(holesBack, withHoles, name), "");
    ASSERT_EQ(holesBack.model.NumHoles, 3);
    for (int h = 1; h <= 3; ++h) {
        const THole& got = holesBack.model.Holes[h];
        EXPECT_EQ(got.Name, holes.model.Holes[h].Name);
        ASSERT_EQ(got.NumDepths, h);
        EXPECT_EQ(got.HoleDepth[h], 0.5 * h);
        EXPECT_EQ(got.Label[1], "top");
        EXPECT_EQ(got.LabelRow[1], h);
    }
    Workspace asModel;
    ASSERT_EQ(loadModelBytes(asModel, withHoles).message(), "");
    EXPECT_EQ(asModel.model.NumHoles, 3);

    // Extras that do not fit the model are left out with a note; the rest comes.
    const std::size_t end = bytes.find("#END");
    const std::string records = bytes.substr(0, bytes.find("\r\n#CORVANE-EXTRAS 1"));
    std::string block = "\r\n#CORVANE-EXTRAS 1\r\ncurrent 9\r\nlink 2 2 3 3\r\ncorner-invert 1 7 1 1\r\n"
                        "invert 4 1 0 0 0\r\ninvert 2 2 0 0 0\r\nhidden 1\r\nhidden 2\r\nhidden 3\r\n";
    std::string damaged = records + block;
    damaged += "checksum " + extrasChecksum(damaged) + "\r\n#END\r\n";
    ASSERT_NE(end, std::string::npos);
    Workspace hurt;
    std::vector<std::string> notes;
    ASSERT_EQ(restoreRecoveryBytes(hurt, damaged, name, &notes), "");
    const Model& h = hurt.model;
    EXPECT_EQ(h.NumBodies, 3);
    EXPECT_EQ(h.CurrentBody, 1);
    EXPECT_FALSE(h.Bodies[2].Linked[2]);
    EXPECT_FALSE(h.Bodies[3].Linked[1]);
    EXPECT_FALSE(h.Bodies[2].InvertDensity);
    EXPECT_EQ(int(h.Bodies[1].Hidden) + int(h.Bodies[2].Hidden) + int(h.Bodies[3].Hidden), 2);
    EXPECT_EQ(notes.size(), 5u);
    EXPECT_EQ(name, QString());

    // A damaged model part leaves the workspace untouched.
    Workspace untouched;
    EXPECT_NE(restoreRecoveryBytes(untouched, bytes.substr(0, 50), name), "");
    EXPECT_FALSE(untouched.model.ModelExists);
}

TEST(RecoveryFile, DamagedFilesAreNotOfferedAsGood)
{
    QTemporaryDir state;
    Workspace ws;
    threeBodies(ws);
    ws.model.Bodies[2].DensMin = 0.05;
    const std::string bytes = recoveryBytes(ws, QStringLiteral("/data/basin.mod")).value();
    ASSERT_EQ(checkRecoveryBytes(bytes), "");
    // One bit changed anywhere, in the records or in the extras, and the
    // file is refused: a station, a corner, a bound, the model's name, the
    // checksum itself; and a file cut before its checksum.
    const std::size_t extras = bytes.find("#CORVANE-EXTRAS");
    const std::vector<std::size_t> places = {60, 6 * 9 + 3, extras - 10, bytes.find("bounds 2 0.05") + 9,
                                             bytes.find("/data/basin") + 3, bytes.find("checksum ") + 12};
    for (std::size_t at : places) {
        std::string hurt = bytes;
        hurt[at] = static_cast<char>(hurt[at] ^ 0x01);
        EXPECT_NE(checkRecoveryBytes(hurt), "") << at;
        Workspace w;
        QString name;
        EXPECT_NE(restoreRecoveryBytes(w, hurt, name), "") << at;
        EXPECT_FALSE(w.model.ModelExists);
    }
    EXPECT_NE(checkRecoveryBytes(bytes.substr(0, bytes.find("checksum"))), "");
    // A plain model file has no checksum: it is no recovery file.
    EXPECT_NE(checkRecoveryBytes(modelFileBytes(ws).value()), "");

    // In the window: a damaged file is said to be damaged, not offered, and
    // kept aside; the sound one beside it is offered.
    spit(state.filePath(QStringLiteral("recovery-1-1.mod")), bytes);
    {   // Older than the damaged one, which is met first.
        QFile f(state.filePath(QStringLiteral("recovery-1-1.mod")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    std::string hurt = bytes;
    hurt[70] = static_cast<char>(hurt[70] ^ 0x10);
    spit(state.filePath(QStringLiteral("recovery-2-2.mod")), hurt);
    ScriptedPlatform p;
    Tcorvane w(p);
    w.enableRecovery(state.path());
    p.confirmAnswers = {true};
    ASSERT_TRUE(w.offerRecovery());
    EXPECT_EQ(p.texts(Kind::Confirm).size(), 1);
    ASSERT_EQ(p.texts(Kind::Warning).size(), 1);
    EXPECT_TRUE(p.texts(Kind::Warning)[0].contains(QStringLiteral("is damaged and cannot be restored")));
    EXPECT_EQ(w.workspace().model.Bodies[2].DensMin, 0.05);
    EXPECT_EQ(slurp(state.filePath(QStringLiteral("recovery-2-2.mod.damaged"))), hurt);
}

TEST(RecoveryFile, LeftoversOfEndedProgramsAreCleanedAtStartUp)
{
    QTemporaryDir state;
    const QString dir = state.path();
    auto path = [&dir](const char* name) { return QDir(dir).filePath(QString::fromLatin1(name)); };
    auto age = [](const QString& p, int seconds) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime));
    };
    // Ended programs: a temporary of a write cut short, a lock without its file.
    spit(path(".corvane-save-AbC123"), "a whole model, mode 0600");
    spit(path("recovery-7-7.mod.lock"), "");
    // A lock with its file: work left behind, offered (and declined here).
    spit(path("recovery-8-8.mod"), "x");
    spit(path("recovery-8-8.mod.lock"), "");
    {
        ScriptedPlatform p;
        Tcorvane w(p);
        w.enableRecovery(dir);
        p.confirmAnswers = {false};
        EXPECT_FALSE(w.offerRecovery());
    }
    const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    EXPECT_FALSE(left.contains(QStringLiteral(".corvane-save-AbC123"))) << left.join(' ').toStdString();
    EXPECT_FALSE(left.contains(QStringLiteral("recovery-7-7.mod.lock"))) << left.join(' ').toStdString();

    // While another program runs, its lock stays, and so does a fresh
    // temporary that may be its write under way; an old one goes.
    ScriptedPlatform p1;
    Tcorvane running(p1);
    running.enableRecovery(dir);
    threeBodies(running.workspace());
    running.history().markUnsaved();
    running.writeRecovery();
    ASSERT_TRUE(running.recovery()->exists());
    spit(path(".corvane-save-fresh1"), "being written");
    spit(path(".corvane-save-stale1"), "old");
    age(path(".corvane-save-stale1"), 3600);
    ScriptedPlatform p2;
    Tcorvane second(p2);
    second.enableRecovery(dir);
    EXPECT_FALSE(second.offerRecovery());
    EXPECT_TRUE(p2.messages.empty());
    EXPECT_TRUE(QFileInfo::exists(running.recovery()->fileName() + QStringLiteral(".lock")));
    EXPECT_TRUE(QFileInfo::exists(path(".corvane-save-fresh1")));
    EXPECT_FALSE(QFileInfo::exists(path(".corvane-save-stale1")));
}

TEST(CommandLine, ANamedModelIsNotIgnoredWhenWorkIsRestored)
{
    QTemporaryDir dir;
    Workspace source;
    threeBodies(source);
    const QString named = dir.filePath(QStringLiteral("basin.mod"));
    ASSERT_EQ(saveModelFile(source, QFile::encodeName(named).toStdString()).message(), "");
    Workspace work;
    threeBodies(work);
    work.model.NumBodies = 2;
    const std::string bytes = recoveryBytes(work, QString()).value();
    for (const bool restore : {true, false}) {
        SCOPED_TRACE(restore);
        QTemporaryDir state;
        spit(state.filePath(QStringLiteral("recovery-1-1.mod")), bytes);
        ScriptedPlatform p;
        Tcorvane w(p);
        w.enableRecovery(state.path());
        p.confirmAnswers = {restore};
        w.startUp(named);
        // The question says which model the answer opens.
        ASSERT_EQ(p.texts(Kind::Confirm).size(), 1);
        EXPECT_TRUE(p.texts(Kind::Confirm)[0].endsWith(
            QStringLiteral(" was found. Restore it instead of opening \"basin.mod\" ?")));
        EXPECT_EQ(w.workspace().model.NumBodies, restore ? 2 : 3);
        EXPECT_EQ(w.modelFile(), restore ? QString() : named);
        EXPECT_EQ(w.windowTitle(), restore ? QLatin1Char('*') + Caption : Caption + QStringLiteral(" - basin.mod"));
    }
}

TEST_F(UnsavedWork, CaptionNamesTheFileAndTheSaveOffersIt)
{
    const QString name = QFileInfo(file).fileName();
    EXPECT_EQ(w->windowTitle(), Caption + QStringLiteral(" - ") + name);
    ws().model.CurrentBody = 2;
    trigger("Hideabody1");
    EXPECT_EQ(w->windowTitle(), QLatin1Char('*') + Caption + QStringLiteral(" - ") + name);
    // The save dialog starts at the model's own file; saved elsewhere, the
    // caption follows the new name.
    const QString other = dir.filePath(QStringLiteral("after edit.mod"));
    p.saveNames = {other};
    trigger("Savethecurrentmodel1");
    ASSERT_FALSE(p.fileRequests.empty());
    EXPECT_EQ(p.fileRequests.back().suggested, QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(w->windowTitle(), Caption + QStringLiteral(" - after edit.mod"));
    // The hidden body is in the file: a new window shows it hidden.
    ScriptedPlatform p2;
    Tcorvane w2(p2);
    w2.startUp(other);
    EXPECT_TRUE(w2.workspace().model.Bodies[2].Hidden);
    EXPECT_EQ(w2.windowTitle(), Caption + QStringLiteral(" - after edit.mod"));
}

TEST(RecoveryFile, ANewModelCarriesNothingOfTheLastFile)
{
    Workspace ws;
    threeBodies(ws);
    std::string bytes = modelFileBytes(ws).value();
    ASSERT_NE(bytes.find("#END"), std::string::npos);   // its link is an extra already
    bytes.insert(bytes.find("#END"), "elevation 2 0.5\r\nregional constant 3.5\r\nfuture item\r\n");
    Workspace back;
    ASSERT_EQ(loadModelBytes(back, bytes).message(), "");
    ASSERT_NE(modelFileBytes(back).value().find("future item"), std::string::npos);
    NewModelInput in;
    in.readFieldData = false;
    applyNewModel(back, in, nullptr);
    const std::string fresh = modelFileBytes(back).value();
    for (const char* gone : {"elevation", "regional", "future"})
        EXPECT_EQ(fresh.find(gone), std::string::npos) << gone;
}

TEST(CommandLine, ArgumentsAndStartUp)
{
    auto parse = [](QStringList args) { return parseCommandLine(QStringList{QStringLiteral("corvane")} + args); };
    EXPECT_EQ(parse({"a.mod", "b.mod"}).file, "a.mod");
    EXPECT_TRUE(parse({"--help"}).help);
    const CommandLine v = parse({"--version", "x.mod"});
    EXPECT_TRUE(v.version);
    EXPECT_FALSE(v.help);
    EXPECT_EQ(v.file, "x.mod");
    const CommandLine odd = parse({"-q", "--", "-odd.mod"});
    EXPECT_EQ(odd.file, "-odd.mod");
    EXPECT_FALSE(odd.help || odd.version);
    EXPECT_EQ(parse({}).file, QString());

    // A good file loads as "Load an old model" would; a missing or corrupt
    // one shows that command's message and the program starts empty.
    QTemporaryDir dir;
    Workspace source;
    threeBodies(source);
    const QString good = dir.filePath(QStringLiteral("good.mod"));
    ASSERT_EQ(saveModelFile(source, QFile::encodeName(good).toStdString()).message(), "");
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.mod"));
    spit(corrupt, slurp(good).substr(0, 70));
    const QString missing = dir.filePath(QStringLiteral("missing.mod"));
    const QString cwd = QDir::currentPath();
    for (const QString& name : {good, corrupt, missing}) {
        SCOPED_TRACE(name.toStdString());
        ScriptedPlatform p;
        Tcorvane w(p);
        Workspace expected;
        const std::string err = loadModelFile(expected, QFile::encodeName(name).toStdString()).message();
        QDir::setCurrent(dir.path());
        w.startUp(QFileInfo(name).fileName());
        EXPECT_EQ(w.workspace().model.ModelExists, err.empty());
        EXPECT_EQ(w.action(QStringLiteral("Savethecurrentmodel1"))->isEnabled(), err.empty());
        EXPECT_EQ(w.windowTitle(), err.empty() ? Caption + QStringLiteral(" - good.mod") : Caption);
        if (err.empty()) {
            EXPECT_TRUE(p.messages.empty());
            EXPECT_EQ(w.workspace().model.NumBodies, 3);
            EXPECT_EQ(w.modelFile(), name);
        } else {
            EXPECT_EQ(p.texts(Kind::Error), QStringList{QString::fromLocal8Bit(err.c_str())});
        }
    }
    QDir::setCurrent(cwd);
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    for (const char* arg : {"--version", "--help"}) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(CORVANE_EXE), {QString::fromLatin1(arg)});
        ASSERT_TRUE(run.waitForFinished(10000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_EQ(run.readAllStandardOutput().toStdString(),
                  std::string(arg[2] == 'v' ? std::string("corvane ") + CorvaneVersion : UsageLine) + "\n");
    }
}

TEST_F(UnsavedWork, AnInversionIsKeptForRecoveryBeforeItsResultsAreShown)
{
    // The program may die while the user reads the results of a long run.
    QTemporaryDir state;
    w->enableRecovery(state.path());
    ws().model.Bodies[1].InvertDensity = true;
    ws().inversion.InversionBody = 1;
    int keptWhileShown = -1;
    p.dialogHandler = [&](QDialog& d) {
        if (d.objectName() == QLatin1String("Tinvertresult"))
            keptWhileShown = static_cast<int>(
                QDir(state.path()).entryList({QStringLiteral("recovery-*.mod")}, QDir::Files).size());
        else
            d.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        return d.result();
    };
    trigger("Invertthemodel1");
    EXPECT_EQ(keptWhileShown, 1);
    EXPECT_NE(ws().model.Bodies[1].Density, 0.2);
}

TEST(DialogFocus, ADialogOpensWithItsFirstFieldReadyForTyping)
{
    // However the focus was left (on OK, in a later box, or given back late
    // by the question box), typing goes into the first field, replacing it.
    Tnewmodel fresh;
    TEarthField field;
    for (auto [dialog, leftAt, first] : {std::tuple<QDialog*, QWidget*, QLineEdit*>{&fresh, fresh.OKBtn, fresh.density},
                                         {&fresh, fresh.MaxZ, fresh.density},
                                         {&field, field.azimuth, field.intensity}}) {
        dialog->show();
        leftAt->setFocus();
        first->setText(QStringLiteral("0.1"));
        first->deselect();
        EXPECT_EQ(focusFirstField(*dialog), first);
        EXPECT_EQ(dialog->focusWidget(), first);
        EXPECT_EQ(first->selectedText(), QStringLiteral("0.1"));
    }
}
