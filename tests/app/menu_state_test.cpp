// Menu states of the main window: after start-up, a new model, loads of one
// and two bodies, body selection and without field data; the shortcuts that
// two items carry; the small commands.
#include "app/tcorvane.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "version.h"

#include <QAction>
#include <QDir>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

QStringList allItems(Tcorvane& w)
{
    QStringList names;
    for (QAction* a : w.findChildren<QAction*>())
        if (!a->objectName().isEmpty() && !a->menu() && w.action(a->objectName()) == a)
            names << a->objectName();
    return names;
}

std::set<QString> enabledItems(Tcorvane& w)
{
    std::set<QString> out;
    for (const QString& n : allItems(w))
        if (w.action(n)->isEnabled())
            out.insert(n);
    return out;
}

bool on(Tcorvane& w, const char* name)
{
    QAction* a = w.action(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a && a->isEnabled();
}

bool checked(Tcorvane& w, const char* name)
{
    return w.action(QString::fromLatin1(name))->isChecked();
}

// A model of n rectangular bodies side by side, as a load would leave it.
void fillBodies(Workspace& ws, int n)
{
    Model& m = ws.model;
    setStations(m, 21, 0, 100);
    for (int b = 1; b <= n; ++b)
        setBody(m, b, {{10.0 * b, 5}, {10.0 * b + 8, 5}, {10.0 * b + 8, 15}, {10.0 * b, 15}}, 0.1 * b);
    m.NumBodies = n;
    m.ModelExists = true;
    ws.display.ModelLoaded = true;
    m.RecalculateModel();
}

}  // namespace

TEST(MenuStates, StartupLeavesSixItemsAndBlankStatus)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    EXPECT_EQ(enabledItems(w), (std::set<QString>{"Beginanewmodel1", "Loadanoldmodel1", "Expertusermode1",
                                                 "ExitCorvane1", "aboutbox", "help", "Profilefromgrids1"}));
    EXPECT_EQ(allItems(w).size(), 78);   // every leaf item of the menu table (seven magnetic, seven of the gradient panel, four of point data and backdrop, the magnetic regional, three of the map, the survey), Undo and Redo
    EXPECT_FALSE(checked(w, "bodynumbers1"));
    EXPECT_TRUE(checked(w, "BodyDensities1"));
    EXPECT_TRUE(checked(w, "Highlightbodycorners1"));
    EXPECT_FALSE(checked(w, "Expertusermode1"));
    EXPECT_EQ(w.statusText(), QStringLiteral(" "));
    // A submenu is offered exactly while one of its items is.
    EXPECT_FALSE(on(w, "Printoutthemodel1"));
    EXPECT_FALSE(on(w, "Plotthemodel1"));
    w.MenuStateNewModel();
    EXPECT_TRUE(on(w, "Printoutthemodel1"));
    EXPECT_TRUE(on(w, "Plotthemodel1"));
    for (const char* n : {"totheprinter1", "toanASCIIfile1", "totheclipboard1"})
        w.setItemEnabled(QString::fromLatin1(n), false);
    EXPECT_FALSE(on(w, "Printoutthemodel1"));
    EXPECT_TRUE(on(w, "Plotthemodel1"));
    w.setItemEnabled(QStringLiteral("totheclipboard1"), true);
    EXPECT_TRUE(on(w, "Printoutthemodel1"));
    w.MenuStateStartup();
    EXPECT_FALSE(on(w, "Printoutthemodel1"));
    EXPECT_FALSE(on(w, "Plotthemodel1"));
}

TEST(MenuStates, NewModelEnablesEditingAndFieldDataGroup)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    setBody(w.workspace().model, 1, {{10, 5}, {20, 5}, {20, 15}, {10, 15}});   // 5 stored corners
    w.MenuStateNewModel();
    for (const char* n : {"Savethecurrentmodel1", "ImportamodelfromSidero1", "totheprinter1", "toanASCIIfile1",
                          "totheclipboard1", "createanHPGLfile1", "createaDXFfile1", "createanSVGfile1",
                          "createaPNGfile1", "configuretheprinter1",
                          "producehardcopy1", "Readinamodelfile1", "Addabody1", "KeyinaBody1",
                          "Changebodyproperties1", "Changeacornerwiththemouse1", "Changeacornernumerically1",
                          "Moveabody1", "Copyabody1", "Turnabody1", "Changeunits1", "bodynumbers1",
                          "BodyDensities1", "Highlightbodycorners1", "PLanview1", "setdisplaysize1", "Zoomin1",
                          "boreholedata1", "gridoptions1", "Setfontsize1", "Selectcolourscheme1",
                          "Deleteacorner1", "Addacorner1",
                          // field data present
                          "Modifytheregionalfield1", "Abstractpartoftheprofile1", "Invertthemodel1",
                          "bodyinversion", "cornerinversion", "differencecurves1", "Plotpoints1",
                          "Editthefielddata1"})
        EXPECT_TRUE(on(w, n)) << n;
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1", "Displayindividual1",
                          "Zoomout1"})
        EXPECT_FALSE(on(w, n)) << n;
    EXPECT_FALSE(checked(w, "Displayindividual1"));
}

TEST(MenuStates, WithoutFieldDataTheObservedItemsStayOff)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    w.workspace().model.HaveObserved = false;
    w.MenuStateNewModel();
    for (const char* n : {"Editthefielddata1", "Invertthemodel1", "bodyinversion", "cornerinversion",
                          "Modifytheregionalfield1", "Abstractpartoftheprofile1", "differencecurves1",
                          "Plotpoints1"})
        EXPECT_FALSE(on(w, n)) << n;
    // Selecting a visible body does not bring them back without observed data.
    fillBodies(w.workspace(), 2);
    w.workspace().model.HaveObserved = false;
    w.MenuStateLoaded();
    w.MenuStateBodySelected();
    for (const char* n : {"Invertthemodel1", "bodyinversion", "Modifytheregionalfield1"})
        EXPECT_FALSE(on(w, n)) << n;
}

TEST(MenuStates, DeleteCornersKeptWithThreeCornersAndCountRules)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    setBody(w.workspace().model, 1, {{10, 5}, {20, 5}, {20, 15}});   // exactly 4 stored corners
    w.MenuStateNewModel();
    EXPECT_FALSE(on(w, "Deleteacorner1"));   // as it was after start-up
    w.setItemEnabled(QStringLiteral("Deleteacorner1"), true);
    w.MenuStateLoaded();
    EXPECT_TRUE(on(w, "Deleteacorner1"));    // left as it was

    // Full body and corner tables.
    Model& m = w.workspace().model;
    m.Bodies[1].NumCorners = MaxCorners;
    m.NumBodies = MaxBodies;
    w.setItemEnabled(QStringLiteral("Addacorner1"), false);
    w.MenuStateLoaded();
    EXPECT_FALSE(on(w, "Addacorner1"));
    for (const char* n : {"Addabody1", "KeyinaBody1", "Copyabody1"})
        EXPECT_FALSE(on(w, n)) << n;
}

TEST(MenuStates, LoadedWithOneAndTwoBodies)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    fillBodies(w.workspace(), 1);
    w.MenuStateLoaded();
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1", "Displayindividual1"})
        EXPECT_FALSE(on(w, n)) << n;
    for (const char* n : {"Addabody1", "KeyinaBody1", "Copyabody1", "Savethecurrentmodel1"})
        EXPECT_TRUE(on(w, n)) << n;

    fillBodies(w.workspace(), 2);
    w.setItemChecked(QStringLiteral("Displayindividual1"), true);
    w.MenuStateLoaded();
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1", "Displayindividual1"})
        EXPECT_TRUE(on(w, n)) << n;
    EXPECT_FALSE(checked(w, "Displayindividual1"));
    EXPECT_FALSE(on(w, "Zoomout1"));
}

TEST(MenuStates, BodySelectionOfHiddenAndVisibleBody)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    fillBodies(w.workspace(), 2);
    w.MenuStateLoaded();
    Model& m = w.workspace().model;
    m.setHidden(2, true);
    m.CurrentBody = 2;
    w.MenuStateBodySelected();
    for (const char* n : {"Moveabody1", "Turnabody1", "Changeacornerwiththemouse1", "Copyabody1", "Deleteacorner1",
                          "Addacorner1", "Changeacornernumerically1", "Changebodyproperties1", "Linkabody1",
                          "UnlinkaBody1", "Invertthemodel1", "bodyinversion", "cornerinversion"})
        EXPECT_FALSE(on(w, n)) << n;
    // Hide/unhide stays usable so the body can be shown again.
    EXPECT_TRUE(on(w, "Hideabody1"));
    EXPECT_TRUE(on(w, "Deleteabody1"));

    m.CurrentBody = 1;
    w.MenuStateBodySelected();
    for (const char* n : {"Moveabody1", "Turnabody1", "Changeacornerwiththemouse1", "Copyabody1", "Deleteacorner1",
                          "Addacorner1", "Changeacornernumerically1", "Changebodyproperties1", "Linkabody1",
                          "UnlinkaBody1", "Invertthemodel1", "bodyinversion", "cornerinversion",
                          "Modifytheregionalfield1", "Abstractpartoftheprofile1", "setdisplaysize1", "Zoomin1"})
        EXPECT_TRUE(on(w, n)) << n;
}

TEST(MainWindow, CaptionsShortcutsAndDoubledKeys)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Corvane for Windows"));
    EXPECT_EQ(w.size(), QSize(652, 486));
    EXPECT_EQ(w.action(QStringLiteral("Changeacornernumerically1"))->text(), QStringLiteral("C&hange a corner numerically"));
    EXPECT_EQ(w.action(QStringLiteral("Zoomin1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(w.action(QStringLiteral("Linkabody1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    QStringList titles;
    for (QAction* a : w.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"System Options", "&Edit the Model", "&Inversion Options", "&Display Options", "&Magnetics",
                                   "&About", "&Help"}));

    // Ctrl+L, Ctrl+M and Ctrl+I act on the first item that carries them.
    fillBodies(w.workspace(), 2);
    w.MenuStateLoaded();
    w.MenuStateBodySelected();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const std::pair<const char*, const char*> pairs[] = {{"Loadanoldmodel1", "Linkabody1"},
                                                         {"Readinamodelfile1", "Moveabody1"},
                                                         {"ImportamodelfromSidero1", "Invertthemodel1"}};
    const Qt::Key keys[] = {Qt::Key_L, Qt::Key_M, Qt::Key_I};
    for (int i = 0; i < 3; ++i) {
        QSignalSpy first(w.action(QString::fromLatin1(pairs[i].first)), &QAction::triggered);
        QSignalSpy second(w.action(QString::fromLatin1(pairs[i].second)), &QAction::triggered);
        QTest::keyClick(&w, keys[i], Qt::ControlModifier);
        EXPECT_EQ(first.count(), 1) << pairs[i].first;
        EXPECT_EQ(second.count(), 0) << pairs[i].second;
    }
}

TEST(MainWindow, ExitAskAboutExpertModeAndHelp)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    w.show();
    p.confirmAnswers = {false};
    w.action(QStringLiteral("ExitCorvane1"))->trigger();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.last().kind, ScriptedPlatform::Kind::Confirm);
    EXPECT_EQ(p.last().text, QStringLiteral("Exit Corvane ?"));
    EXPECT_TRUE(w.isVisible());
    p.confirmAnswers = {true};
    w.action(QStringLiteral("ExitCorvane1"))->trigger();
    EXPECT_FALSE(w.isVisible());

    QString caption, lines;
    p.dialogHandler = [&](QDialog& d) {
        caption = d.windowTitle();
        for (QLabel* l : d.findChildren<QLabel*>())
            lines += l->text() + QLatin1Char('|');
        return int(QDialog::Accepted);
    };
    w.action(QStringLiteral("aboutbox"))->trigger();
    EXPECT_EQ(caption, QStringLiteral("About Corvane"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Corvane ") + QLatin1String(CorvaneVersion) + QLatin1Char('|')))
        << lines.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("for Microsoft Windows|")));
    EXPECT_EQ(p.dialogsRun, QStringList{QStringLiteral("TCorvaneAbout")});

    // Expert user mode: the flag and its check mark, and the instruction boxes.
    w.instruction(QStringLiteral("Use the left button."));
    EXPECT_EQ(p.last().text, QStringLiteral("Use the left button."));
    const std::size_t shown = p.messages.size();
    w.action(QStringLiteral("Expertusermode1"))->trigger();
    EXPECT_TRUE(w.workspace().app.ExpertUser);
    EXPECT_TRUE(checked(w, "Expertusermode1"));
    w.instruction(QStringLiteral("Use the left button."));
    EXPECT_EQ(p.messages.size(), shown);
    w.action(QStringLiteral("Expertusermode1"))->trigger();
    EXPECT_FALSE(w.workspace().app.ExpertUser);
    EXPECT_FALSE(checked(w, "Expertusermode1"));

    // Printer set-up goes to the platform.
    w.configuretheprinter1Click();
    EXPECT_EQ(p.printerSetups, 1);

    // Help: the file in the start-up directory, else a clear message.
    QTemporaryDir dir;
    w.workspace().app.StartupDirectory = dir.path().toStdString();
    if (!QFileInfo::exists(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ghelp.hlp")))) {
        w.action(QStringLiteral("help"))->trigger();
        EXPECT_EQ(p.last().kind, ScriptedPlatform::Kind::Error);
        EXPECT_TRUE(p.last().text.contains(QStringLiteral("ghelp.hlp")));
        EXPECT_TRUE(p.helpFiles.isEmpty());
    }
    QFile f(dir.filePath(QStringLiteral("ghelp.hlp")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body>help</body></html>");
    f.close();
    w.action(QStringLiteral("help"))->trigger();
    EXPECT_EQ(p.helpFiles, QStringList{dir.filePath(QStringLiteral("ghelp.hlp"))});
}

TEST(MainWindow, ManualPageAndChangelogCarryTheProgramsVersion)
{
    // The package takes its version from the same project version as the
    // About box; these two files are written by hand.
    const QString packaging = QStringLiteral(CORVANE_TEST_DATA "/../../packaging/");
    auto firstLine = [&](const char* name, const char* starting) {
        QFile f(packaging + QLatin1String(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << name;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine());
            if (line.startsWith(QLatin1String(starting)))
                return line;
        }
        return QString();
    };
    const QString version = QLatin1String(CorvaneVersion);
    EXPECT_TRUE(firstLine("changelog", "corvane ").startsWith("corvane (" + version + ")"));
    EXPECT_TRUE(firstLine("corvane.1", ".TH ").contains("\"Corvane " + version + "\""));
}

TEST(MainWindow, StartupDefaults)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    const Workspace& ws = w.workspace();
    EXPECT_EQ(ws.model.NumStations, 100);
    EXPECT_EQ(ws.model.StationX[1], 1);
    EXPECT_EQ(ws.model.StationX[100], 100);
    EXPECT_FALSE(ws.model.ModelExists);
    EXPECT_EQ(ws.display.GravityMax, -1.0e8);
    EXPECT_EQ(ws.display.GravityMin, 1.0e8);
    EXPECT_EQ(ws.display.ColourScheme, 4);
    EXPECT_EQ(ws.display.ObsCurveColour, QColor(0, 150, 0));
    EXPECT_EQ(ws.model.Bodies[51].DepthMax, 10000);
    EXPECT_EQ(ws.model.Bodies[7].DensMin, 0.0001);
    EXPECT_EQ(ws.app.Title1, std::string(24, ' '));
    EXPECT_EQ(QString::fromStdString(ws.app.StartupDirectory), QDir::currentPath());
    // Nothing of the model is drawn before one exists.
    w.show();
    w.repaintModel();
    const QImage img = w.drawingArea().picture().toImage();
    EXPECT_NE(img.pixelColor(300, 100), QColor(Qt::black));
}
