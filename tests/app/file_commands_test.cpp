// The file commands of the main window through the scripted platform: model
// save and load, Sidero import, body files and boreholes.
#include "app/tcorvane.h"
#include "io/input_files.h"
#include "io/model_file.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QAction>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace corvane;
using corvane::test::slurp;
using corvane::test::spit;
using Kind = ScriptedPlatform::Kind;

namespace {

void twoBodies(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 21, 0, 20);
    m.NumBodies = 2;
    test::setBody(m, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.2, 50, 50);
    test::setBody(m, 2, {{12, 2}, {16, 2}, {14, 5}}, -0.1, 50, 50);
    m.ModelExists = true;
    ws.display.ModelLoaded = true;
    m.RecalculateModel();
}

std::string bytesOf(const Workspace& ws)
{
    return modelFileBytes(ws).value_or("");
}

bool enabled(Tcorvane& w, const char* name) { return w.action(QString::fromLatin1(name))->isEnabled(); }

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

TEST(ModelFileCommands, SaveAsksBeforeOverwritingAndConfirmsSuccess)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    ScriptedPlatform p;
    Tcorvane w(p);
    twoBodies(w.workspace());

    // Cancel: nothing happens.
    w.Savethecurrentmodel1Click();
    EXPECT_TRUE(p.messages.empty());
    ASSERT_EQ(p.fileRequests.size(), 1u);
    EXPECT_TRUE(p.fileRequests[0].save);
    EXPECT_EQ(p.fileRequests[0].filterName, "Saved models");
    EXPECT_EQ(p.fileRequests[0].pattern, "*.mod");

    // A new file: no question, the bytes of the model, the success box.
    const fs::path file = dir / "two.mod";
    p.saveNames.push_back(q(file));
    w.Savethecurrentmodel1Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].kind, Kind::Information);
    EXPECT_EQ(p.messages[0].text, "Model successfully saved.");
    EXPECT_EQ(slurp(file), bytesOf(w.workspace()));
    EXPECT_EQ(w.workspace().app.ModelFileName, "");

    // Over an existing file: asked once; No keeps the old bytes.
    const std::string old = slurp(file);
    w.workspace().model.Bodies[1].Density = 0.9;
    p.clear();
    p.saveNames.push_back(q(file));
    p.confirmAnswers.push_back(false);
    w.Savethecurrentmodel1Click();
    EXPECT_EQ(p.texts(Kind::Confirm), QStringList{"A file with that name already exists. Overwrite it ?"});
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(slurp(file), old);
    // Yes replaces it.
    p.clear();
    p.saveNames.push_back(q(file));
    p.confirmAnswers.push_back(true);
    w.Savethecurrentmodel1Click();
    EXPECT_EQ(p.last().text, "Model successfully saved.");
    EXPECT_EQ(slurp(file), bytesOf(w.workspace()));

    // A name typed without an extension gets the filter's, before the
    // overwrite question is asked of it.
    p.clear();
    p.saveNames.push_back(q(dir / "two"));
    p.confirmAnswers.push_back(false);
    w.Savethecurrentmodel1Click();
    EXPECT_EQ(p.fileRequests.back().name, q(file));
    EXPECT_EQ(p.texts(Kind::Confirm), QStringList{"A file with that name already exists. Overwrite it ?"});
    p.clear();
    p.saveNames.push_back(q(dir / "after_edit"));
    w.Savethecurrentmodel1Click();
    EXPECT_TRUE(p.texts(Kind::Confirm).isEmpty());
    EXPECT_EQ(slurp(dir / "after_edit.mod"), bytesOf(w.workspace()));
    EXPECT_FALSE(fs::exists(dir / "after_edit"));

    // A failed save: one error box naming the file, no success message.
    p.clear();
    const fs::path impossible = file / "inside.mod";   // the "folder" is a file
    p.saveNames.push_back(q(impossible));
    w.Savethecurrentmodel1Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].kind, Kind::Error);
    EXPECT_TRUE(p.messages[0].text.contains(q(impossible))) << p.messages[0].text.toStdString();

    // A write-protected model is not replaced, even on Yes, and no success is claimed.
    const std::string kept = slurp(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    w.workspace().model.Bodies[1].Density = -0.4;
    p.clear();
    p.saveNames.push_back(q(file));
    p.confirmAnswers.push_back(true);
    w.Savethecurrentmodel1Click();
    ASSERT_EQ(p.texts(Kind::Error).size(), 1);
    EXPECT_TRUE(p.texts(Kind::Error)[0].contains("write-protected")) << p.texts(Kind::Error)[0].toStdString();
    EXPECT_TRUE(p.texts(Kind::Information).isEmpty());
    EXPECT_EQ(slurp(file), kept);
}

TEST(ModelFileCommands, LoadReplacesTheModelOnlyFromASoundFile)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    Workspace source;
    twoBodies(source);
    const fs::path good = dir / "good.mod";
    spit(good, bytesOf(source));
    const fs::path bad = dir / "bad.mod";
    spit(bad, bytesOf(source).substr(0, 200));

    ScriptedPlatform p;
    Tcorvane w(p);
    w.Loadanoldmodel1Click();   // cancelled
    EXPECT_FALSE(w.workspace().model.ModelExists);
    ASSERT_EQ(p.fileRequests.size(), 1u);
    EXPECT_FALSE(p.fileRequests[0].save);
    EXPECT_EQ(p.fileRequests[0].filterName, "Saved models");

    p.openNames.push_back(q(good));
    w.Loadanoldmodel1Click();
    EXPECT_TRUE(p.messages.empty());
    const Workspace& ws = w.workspace();
    EXPECT_TRUE(ws.model.ModelExists);
    EXPECT_TRUE(ws.display.ModelLoaded);
    EXPECT_EQ(ws.model.NumBodies, 2);
    EXPECT_EQ(ws.app.ModelFileName, good.string());
    EXPECT_TRUE(enabled(w, "Savethecurrentmodel1"));
    EXPECT_TRUE(enabled(w, "Linkabody1"));   // the loaded state with two bodies
    EXPECT_EQ(bytesOf(ws), bytesOf(source));

    // A bad file: one error box naming it; model and menus as they were.
    const std::string before = bytesOf(ws);
    p.openNames.push_back(q(bad));
    w.Loadanoldmodel1Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].kind, Kind::Error);
    EXPECT_TRUE(p.messages[0].text.contains(q(bad)));
    EXPECT_EQ(bytesOf(ws), before);
    EXPECT_EQ(ws.app.ModelFileName, good.string());
    EXPECT_TRUE(enabled(w, "Linkabody1"));
}

TEST(InputFileCommands, FiltersMessagesAndMenuItems)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    ScriptedPlatform p;
    Tcorvane w(p);
    Workspace& ws = w.workspace();
    twoBodies(ws);
    w.MenuStateLoaded();

    p.openNames.push_back(q(dir / "missing.mod"));
    w.ImportamodelfromSidero1Click();
    EXPECT_EQ(p.fileRequests.back().filterName, "Mag. models");
    EXPECT_EQ(p.fileRequests.back().pattern, "*.mod");
    EXPECT_EQ(p.texts(Kind::Error), QStringList{"That file is inaccessible."});

    // A body file that would pass 51 bodies, then one that reaches 51.
    std::string body = "c\nc\nBodies         1\nDensity        0.1\nCorners        3\n"
                       "               1 1\n               2 1\n               1.5 2\n";
    std::string two = body;
    two.replace(two.find("1\nDensity"), 1, "2");
    spit(dir / "one.bod", body);
    spit(dir / "two.bod", two);
    ws.model.NumBodies = 50;
    for (int b = 3; b <= 50; ++b)
        ws.model.CopyBody(1, b);
    ws.model.RecalculateModel();
    p.clear();
    p.openNames.push_back(q(dir / "two.bod"));
    w.Readinamodelfile1Click();
    EXPECT_EQ(p.fileRequests.back().filterName, "Ascii model files");
    EXPECT_EQ(p.fileRequests.back().pattern, "*.bod");
    EXPECT_EQ(p.texts(Kind::Error), QStringList{"Invalid no. of bodies in file."});
    EXPECT_EQ(ws.model.NumBodies, 50);
    EXPECT_TRUE(enabled(w, "Addabody1"));
    p.clear();
    p.openNames.push_back(q(dir / "one.bod"));
    w.Readinamodelfile1Click();
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(ws.model.NumBodies, 51);
    for (const char* n : {"Addabody1", "KeyinaBody1", "Readinamodelfile1", "Copyabody1"})
        EXPECT_FALSE(enabled(w, n)) << n;

    // Boreholes: three slots; the fourth is refused before a file is chosen.
    spit(dir / "b.hol", "BH\n\n\n1 0\n1 5\n");
    for (int i = 0; i < 3; ++i)
        p.openNames.push_back(q(dir / "b.hol"));
    p.clear();
    for (int i = 0; i < 3; ++i)
        w.boreholedata1Click();
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(ws.model.NumHoles, 3);
    EXPECT_EQ(p.fileRequests.back().filterName, "Borehole data");
    EXPECT_EQ(p.fileRequests.back().pattern, "*.hol");
    const auto requests = p.fileRequests.size();
    w.boreholedata1Click();
    EXPECT_EQ(p.fileRequests.size(), requests);
    EXPECT_EQ(p.texts(Kind::Error), QStringList{QString::fromLatin1(TooManyBoreholesText)});
    EXPECT_EQ(ws.model.NumHoles, 3);
}
