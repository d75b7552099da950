// The output commands as the user meets them: the file dialogs with their
// filters, the files written, the clipboard, the print jobs and the messages.
#include "app/tcorvane.h"
#include "display/paint.h"
#include "display/view.h"
#include "io/hpgl.h"
#include "io/report.h"
#include "output/dxf.h"
#include "output/hardcopy.h"
#include "output/picture.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/helpers.h"
#include "support/result.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

using namespace corvane;
using corvane::test::slurp;
using Kind = ScriptedPlatform::Kind;

namespace {

struct Fixture {
    ScriptedPlatform platform;
    Tcorvane window{platform};
    QTemporaryDir tmp;

    Fixture()
    {
        Workspace& ws = window.workspace();
        Model& m = ws.model;
        test::twoBodyModel(m, 21);
        for (int i = 1; i <= m.NumStations; ++i)
            m.ObservedGravity[i] = m.CalculatedGravity[i] + 0.5;
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 100;
        ws.display.ModelBegun = true;
        platform.clear();
    }

    QString path(const char* name) const { return tmp.filePath(QString::fromLatin1(name)); }
};

void expectRequest(const ScriptedPlatform& p, const char* filter, const char* pattern)
{
    ASSERT_EQ(p.fileRequests.size(), 1u);
    EXPECT_TRUE(p.fileRequests[0].save);
    EXPECT_EQ(p.fileRequests[0].filterName, filter);
    EXPECT_EQ(p.fileRequests[0].pattern, pattern);
}

}  // namespace

TEST(OutputCommands, ReportToFileAndClipboard)
{
    Fixture f;
    const Model& m = f.window.workspace().model;

    // Cancelling the save dialog does nothing.
    f.window.toanASCIIfile1Click();
    expectRequest(f.platform, "ascii files", "*.dta");
    EXPECT_TRUE(f.platform.messages.empty());

    f.platform.clear();
    f.platform.saveNames.push_back(f.path("model"));   // typed without the extension
    f.window.toanASCIIfile1Click();
    EXPECT_EQ(slurp(f.path("model.dta")), reportForFile(m));
    EXPECT_FALSE(QFile::exists(f.path("model")));
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"ASCII data successfully saved."});

    // A file that cannot be made: one error box, no success message.
    f.platform.clear();
    f.platform.saveNames.push_back(f.path("no/such/folder/model.dta"));
    f.window.toanASCIIfile1Click();
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.messages[0].kind, Kind::Error);

    f.platform.clear();
    f.window.totheclipboard1Click();
    EXPECT_EQ(f.platform.clipboard.toStdString(), reportForClipboard(m));
    EXPECT_EQ(f.platform.texts(Kind::Information),
              QStringList{"Data successfully transferred to Clipboard"});

    // Without bodies the clipboard is left alone.
    f.platform.clear();
    f.platform.clipboard.clear();
    f.window.workspace().model.NumBodies = 0;
    f.window.totheclipboard1Click();
    EXPECT_TRUE(f.platform.clipboard.isEmpty());
    EXPECT_TRUE(f.platform.messages.empty());
}

TEST(OutputCommands, ReportToThePrinter)
{
    Fixture f;
    f.platform.printFileName = f.path("report.pdf");
    f.window.totheprinter1Click();
    EXPECT_EQ(f.platform.printJobs, 1);
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_EQ(slurp(f.path("report.pdf")).rfind("%PDF", 0), 0u);
}

TEST(OutputCommands, PlotFiles)
{
    Fixture f;
    Workspace& ws = f.window.workspace();

    f.platform.saveNames.push_back(f.path("model.hpg"));
    f.window.createanHPGLfile1Click();
    expectRequest(f.platform, "HPGL files", "*.hpg");
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"HPGL data successfully saved."});
    const std::string hpgl = slurp(f.path("model.hpg"));
    EXPECT_EQ(hpgl.rfind("IN;SP1;SC;PA;", 0), 0u);

    f.platform.clear();
    f.platform.saveNames.push_back(f.path("model"));
    f.window.createaDXFfile1Click();
    expectRequest(f.platform, "DXF files", "*.dxf");
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"DXF data successfully saved."});
    std::string problem;
    EXPECT_EQ(slurp(f.path("model.dxf")), corvane::test::bytesOf(dxfBytes(ws), problem));

    // Zoomed in on a part of the profile and showing the difference curve, the
    // plot still scales its gravity axis to both curves over the whole profile.
    ws.display.ViewXMin = 40;
    ws.display.ViewXMax = 50;
    ws.display.ShowDifference = true;
    ws.display.GravityMin = -0.6;
    ws.display.GravityMax = -0.4;
    f.platform.clear();
    f.platform.saveNames.push_back(f.path("zoomed"));
    f.window.createanHPGLfile1Click();
    EXPECT_EQ(slurp(f.path("zoomed.hpg")), hpgl);

    // A profile of one station is refused with a message; nothing is written.
    ws.model.NumStations = 1;
    f.platform.clear();
    f.platform.saveNames.push_back(f.path("one.hpg"));
    f.platform.saveNames.push_back(f.path("one.dxf"));
    f.window.createanHPGLfile1Click();
    f.window.createaDXFfile1Click();
    EXPECT_EQ(f.platform.texts(Kind::Error).size(), 2);
    EXPECT_TRUE(f.platform.texts(Kind::Information).isEmpty());
    EXPECT_FALSE(QFile::exists(f.path("one.hpg")));
    EXPECT_FALSE(QFile::exists(f.path("one.dxf")));
}

TEST(OutputCommands, Hardcopy)
{
    Fixture f;
    f.platform.printFileName = f.path("hardcopy.pdf");

    // Cancelled dialog: no print job.
    f.window.producehardcopy1Click();
    EXPECT_EQ(f.platform.dialogsRun, QStringList{"Thardcopyout"});
    EXPECT_EQ(f.platform.printJobs, 0);

    f.platform.dialogHandler = [](QDialog& d) {
        auto& form = dynamic_cast<Thardcopyout&>(d);
        form.plotsizeClick(HardcopySettings::FitToPage);
        form.OKBtnClick();
        return d.result();
    };
    f.window.producehardcopy1Click();
    EXPECT_EQ(f.platform.printJobs, 1);
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_EQ(slurp(f.path("hardcopy.pdf")).rfind("%PDF", 0), 0u);
    EXPECT_FALSE(f.window.workspace().display.Printing);
}

TEST(OutputCommands, SvgAndPngHoldTheWindowsPicture)
{
    Fixture f;
    f.window.show();
    f.window.repaintModel();
    const DrawingArea& area = f.window.drawingArea();
    // The picture above the status panel.
    const QImage shown = area.picture().toImage().copy(area.clientRect()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), area.clientRect().size());
    // Inside each body, clear of its label and corners.
    const Workspace& ws = f.window.workspace();
    const QPoint inside[] = {SectionToScreen(area.clientRect(), ws.display, 50, 12),
                             SectionToScreen(area.clientRect(), ws.display, 82, 45)};
    const QColor fill[] = {bodyColour(4, 0.3, -0.2, 0.3), bodyColour(4, -0.2, -0.2, 0.3)};
    for (int b = 0; b < 2; ++b)
        ASSERT_EQ(shown.pixelColor(inside[b]), fill[b]) << "body " << b + 1 << " in the window";

    // Cancelled: nothing.
    f.window.createanSVGfile1Click();
    expectRequest(f.platform, "SVG files", "*.svg");
    EXPECT_TRUE(f.platform.messages.empty());

    f.platform.clear();
    f.platform.saveNames.push_back(f.path("model.svg"));
    f.window.createanSVGfile1Click();
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"SVG data successfully saved."});
    const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (rsvg.isEmpty()) {
        ADD_FAILURE() << "rsvg-convert is not installed (scripts/corvane.sh installs librsvg2-bin)";
    } else {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(rsvg, {"-w", QString::number(shown.width()), "-h", QString::number(shown.height()),
                       "-b", "white", "-o", f.path("svg.png"), f.path("model.svg")});
        ASSERT_TRUE(p.waitForFinished(30000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        const QImage svg(f.path("svg.png"));
        ASSERT_EQ(svg.size(), shown.size());
        for (int b = 0; b < 2; ++b)
            EXPECT_EQ(svg.pixelColor(inside[b]), fill[b]) << "body " << b + 1 << " in the SVG";
    }

    // The PNG is the window's picture to the pixel; beside it the same at
    // twice the size.
    f.platform.clear();
    f.platform.saveNames.push_back(f.path("model.png"));
    f.window.createaPNGfile1Click();
    expectRequest(f.platform, "PNG files", "*.png");
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"PNG data successfully saved."});
    const QImage png = QImage(f.path("model.png")).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(png == shown);
    const QImage big(f.path("model@2x.png"));
    ASSERT_EQ(big.size(), 2 * shown.size());
    for (int b = 0; b < 2; ++b)
        EXPECT_EQ(big.pixelColor(2 * inside[b] + QPoint(1, 1)), fill[b]) << "body " << b + 1 << " at twice the size";
    EXPECT_EQ(big.logicalDpiX(), 2 * png.logicalDpiX());   // prints at the same size

    // Files that cannot be made: one error box, no success message.
    f.platform.clear();
    f.platform.saveNames.push_back(f.path("no/such/folder/model.svg"));
    f.platform.saveNames.push_back(f.path("no/such/folder/model.png"));
    f.window.createanSVGfile1Click();
    f.window.createaPNGfile1Click();
    EXPECT_EQ(f.platform.texts(Kind::Error).size(), 2);
    EXPECT_TRUE(f.platform.texts(Kind::Information).isEmpty());

    EXPECT_EQ(printSizeName("/a.b/profile.PNG"), "/a.b/profile@2x.PNG");
    EXPECT_EQ(printSizeName("/a.b/profile"), "/a.b/profile@2x");
}

TEST(OutputCommands, EverySaveAsksBeforeReplacingAFile)
{
    const QString question = QStringLiteral("A file with that name already exists. Overwrite it ?");
    struct Command {
        const char* file;
        void (Tcorvane::*click)();
        const char* done;
        QString asked;
    } commands[] = {
        {"out.dta", &Tcorvane::toanASCIIfile1Click, "ASCII data successfully saved.", question},
        {"out.hpg", &Tcorvane::createanHPGLfile1Click, "HPGL data successfully saved.", question},
        {"out.dxf", &Tcorvane::createaDXFfile1Click, "DXF data successfully saved.", question},
        {"out.svg", &Tcorvane::createanSVGfile1Click, "SVG data successfully saved.", question},
        // The print-size picture beside it was made too, and is named.
        {"out.png", &Tcorvane::createaPNGfile1Click, "PNG data successfully saved.",
         "A file with that name already exists, and so does \"out@2x.png\". Overwrite them ?"},
    };
    Fixture f;
    f.window.show();
    f.window.repaintModel();
    for (const Command& c : commands) {
        SCOPED_TRACE(c.file);
        const QString path = f.path(c.file);
        auto save = [&](std::optional<bool> answer) {
            f.platform.clear();
            f.platform.saveNames.push_back(path);
            if (answer)
                f.platform.confirmAnswers.push_back(*answer);
            (f.window.*c.click)();
        };

        // A new file: no question.
        save(std::nullopt);
        EXPECT_TRUE(f.platform.texts(Kind::Confirm).isEmpty());
        EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{c.done});
        const std::string written = slurp(path);
        ASSERT_FALSE(written.empty());

        // An existing one: asked; No keeps it as it is, with no message.
        {
            std::ofstream(path.toStdString(), std::ios::binary) << "mine";
        }
        save(false);
        EXPECT_EQ(f.platform.texts(Kind::Confirm), QStringList{c.asked});
        EXPECT_EQ(f.platform.messages.size(), 1u);
        EXPECT_EQ(slurp(path), "mine");

        // Yes replaces it.
        save(true);
        EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{c.done});
        EXPECT_NE(slurp(path), "mine");

        // A write-protected file is not replaced even on Yes: an error says
        // why, and no success is claimed.
        QFile::remove(path);
        {
            std::ofstream(path.toStdString(), std::ios::binary) << "protected";
        }
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        save(true);
        ASSERT_EQ(f.platform.texts(Kind::Error).size(), 1);
        EXPECT_TRUE(f.platform.texts(Kind::Error)[0].contains("write-protected"));
        EXPECT_TRUE(f.platform.texts(Kind::Information).isEmpty());
        EXPECT_EQ(slurp(path), "protected");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(path);
    }
}

TEST(OutputCommands, ThePngPairIsAskedForAndWrittenTogether)
{
    Fixture f;
    f.window.show();
    f.window.repaintModel();
    const QString png = f.path("pair.png"), big = f.path("pair@2x.png");
    auto put = [](const QString& p, const char* bytes) { std::ofstream(p.toStdString(), std::ios::binary) << bytes; };
    auto save = [&](bool answer) {
        f.platform.clear();
        f.platform.saveNames.push_back(png);
        f.platform.confirmAnswers.push_back(answer);
        f.window.createaPNGfile1Click();
    };

    // Only the print-size file exists: the question names it; No keeps it
    // and makes nothing.
    put(big, "old big");
    save(false);
    EXPECT_EQ(f.platform.texts(Kind::Confirm),
              QStringList{"The file \"pair@2x.png\" already exists. Overwrite it ?"});
    EXPECT_FALSE(QFile::exists(png));
    EXPECT_EQ(slurp(big), "old big");

    // Both exist: one question names both.
    put(png, "old png");
    save(false);
    EXPECT_EQ(f.platform.texts(Kind::Confirm),
              QStringList{"A file with that name already exists, and so does \"pair@2x.png\". Overwrite them ?"});
    EXPECT_EQ(slurp(png), "old png");
    EXPECT_EQ(slurp(big), "old big");

    // The print-size file cannot be replaced: neither is, and an error says so.
    QFile::setPermissions(big, QFileDevice::ReadOwner);
    save(true);
    EXPECT_EQ(f.platform.texts(Kind::Error).size(), 1);
    EXPECT_TRUE(f.platform.texts(Kind::Information).isEmpty());
    EXPECT_EQ(slurp(png), "old png");
    EXPECT_EQ(slurp(big), "old big");

    // Once it can: both are new.
    QFile::setPermissions(big, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    save(true);
    EXPECT_EQ(f.platform.texts(Kind::Information), QStringList{"PNG data successfully saved."});
    EXPECT_FALSE(QImage(png).isNull());
    EXPECT_EQ(QImage(big).size(), 2 * QImage(png).size());
}
