// Point data and the backdrop as the user adds, hides, removes and undoes them.
#include "app/history.h"
#include "app/recovery.h"
#include "app/tcorvane.h"
#include "display/backdrop.h"
#include "io/point_file.h"
#include "output/backdrop_file.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace corvane;

namespace {

struct Window {
    ScriptedPlatform platform;
    Tcorvane window{platform};
    Workspace& ws = window.workspace();
    QTemporaryDir dir;

    Window()
    {
        Model& m = ws.model;
        test::setStations(m, 21, 0, 100);
        test::setBody(m, 1, {{30, 5}, {60, 8}, {55, 30}, {35, 25}}, 0.3);
        m.NumBodies = 1;
        m.ModelExists = true;
        m.RecalculateModel();
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ModelLoaded = true;
        window.resize(652, 486);
        window.MenuStateLoaded();
        platform.clear();
    }
    QString file(const char* name, const std::string& text)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }
    void run(const char* item) { window.action(QString::fromLatin1(item))->trigger(); }
    void undo() { run("Undo1"); }
    void redo() { run("Redo1"); }
};

}  // namespace

TEST(PointDataCommands, AddHideRemoveEachUndoneAndRedone)
{
    Window w;
    w.platform.openNames = {w.file("a.txt", "10 5 A\n20 6\n"), w.file("bad.txt", "10 5\nx\n"),
                            w.file("b.txt", "30 7\n")};
    w.run("Addpointdata1");
    w.run("Addpointdata1");   // refused: nothing added, no step
    EXPECT_EQ(w.platform.last().text.left(14), QStringLiteral("Line 2 of bad."));
    w.run("Addpointdata1");
    ASSERT_EQ(w.ws.overlays.pointSets.size(), 2u);
    EXPECT_EQ(w.window.history().undoSteps(), 2);
    const Overlays added = w.ws.overlays;

    // The dialog: the first set unticked, the second removed.
    w.platform.dialogHandler = [](QDialog& d) {
        auto* list = d.findChild<QListWidget*>(QStringLiteral("Sets"));
        list->item(0)->setCheckState(Qt::Unchecked);
        list->setCurrentRow(1);
        d.findChild<QPushButton*>(QStringLiteral("RemoveBtn"))->click();
        d.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        return d.result();
    };
    w.run("Pointdata1");
    ASSERT_EQ(w.ws.overlays.pointSets.size(), 1u);
    EXPECT_TRUE(w.ws.overlays.pointSets[0].hidden);
    const Overlays edited = w.ws.overlays;

    w.undo();
    EXPECT_EQ(w.ws.overlays, added);
    w.undo();
    EXPECT_EQ(w.ws.overlays.pointSets.size(), 1u);
    w.undo();
    EXPECT_TRUE(w.ws.overlays.empty());
    w.redo();
    w.redo();
    w.redo();
    EXPECT_EQ(w.ws.overlays, edited);

    // Cancel changes nothing and records nothing.
    w.platform.dialogHandler = [](QDialog& d) {
        d.findChild<QListWidget*>(QStringLiteral("Sets"))->item(0)->setCheckState(Qt::Checked);
        d.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
        return d.result();
    };
    const int steps = w.window.history().undoSteps();
    w.run("Pointdata1");
    EXPECT_EQ(w.ws.overlays, edited);
    EXPECT_EQ(w.window.history().undoSteps(), steps);
}

TEST(BackdropCommands, PlacedRefusedRemovedAndUndone)
{
    Window w;
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const QString png = w.dir.filePath(QStringLiteral("s.png"));
    ASSERT_TRUE(img.save(png));

    auto fill = [](QString path, QString right, QString& seenLeft) {
        return [path, right, &seenLeft](QDialog& d) {
            seenLeft = d.findChild<QLineEdit*>(QStringLiteral("Left"))->text();
            d.findChild<QLineEdit*>(QStringLiteral("Path"))->setText(path);
            d.findChild<QLineEdit*>(QStringLiteral("Right"))->setText(right);
            d.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
            if (d.result() != QDialog::Accepted)   // a refusal keeps it open
                d.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
            return d.result();
        };
    };
    QString left;
    // Not a picture, then edges that coincide: refused with a message each.
    w.platform.dialogHandler = fill(w.file("t.txt", "no"), QStringLiteral("50"), left);
    w.run("Backdropimage1");
    w.platform.dialogHandler = fill(png, QStringLiteral("0"), left);
    w.run("Backdropimage1");
    EXPECT_FALSE(w.ws.overlays.backdrop);
    EXPECT_EQ(w.platform.messages.size(), 2u);
    EXPECT_EQ(w.window.history().undoSteps(), 0);
    EXPECT_EQ(left, QStringLiteral("0"));   // a first picture spans the view

    w.platform.dialogHandler = fill(png, QStringLiteral("50"), left);
    w.run("Backdropimage1");
    ASSERT_TRUE(w.ws.overlays.backdrop);
    const Backdrop placed = *w.ws.overlays.backdrop;
    EXPECT_EQ(placed.xRight, 50);
    EXPECT_EQ(placed.opacity, 60);
    ASSERT_TRUE(placed.image);

    w.run("Removebackdrop1");
    EXPECT_FALSE(w.ws.overlays.backdrop);
    w.undo();
    ASSERT_TRUE(w.ws.overlays.backdrop);
    EXPECT_EQ(*w.ws.overlays.backdrop, placed);   // the same picture, not read again
    w.undo();
    EXPECT_FALSE(w.ws.overlays.backdrop);
}

TEST(BackdropCommands, TiePointsClickedOnThePictureSetItsEdges)
{
    Window w;
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const QString png = w.dir.filePath(QStringLiteral("s.png"));
    ASSERT_TRUE(img.save(png));
    QStringList edges;
    w.platform.dialogHandler = [&](QDialog& d) {
        auto box = [&d](const char* name) { return d.findChild<QLineEdit*>(QString::fromLatin1(name)); };
        auto press = [&d](const char* name) { d.findChild<QPushButton*>(QString::fromLatin1(name))->click(); };
        box("Path")->setText(png);
        press("ShowBtn");
        // Shown 9 times its size: these clicks land on pixels (5, 5) and (35, 15).
        auto* picture = d.findChild<QWidget*>(QStringLiteral("TiePicture"));
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(47, 49));
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(318, 136));
        for (auto [name, value] : {std::pair{"X1", "5.5"}, {"Z1", "5.5"}, {"X2", "35.5"}, {"Z2", "15.5"}})
            box(name)->setText(QString::fromLatin1(value));
        press("PlaceBtn");
        for (const char* name : {"Left", "Right", "Top", "Bottom"})
            edges << box(name)->text();
        press("OKBtn");
        return d.result();
    };
    w.run("Backdropimage1");
    EXPECT_EQ(edges, (QStringList{"0", "40", "0", "20"}));
    ASSERT_TRUE(w.ws.overlays.backdrop);
    EXPECT_EQ(w.ws.overlays.backdrop->xRight, 40);
    EXPECT_EQ(w.ws.overlays.backdrop->zBottom, 20);
    EXPECT_TRUE(w.platform.messages.empty());
}
