#include "output/hardcopy.h"

#include "support/bodies.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace corvane;

namespace {

template <class W>
W* child(QWidget& parent, const char* name)
{
    W* w = parent.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QRadioButton* radio(QWidget& parent, const QString& caption)
{
    for (QRadioButton* b : parent.findChildren<QRadioButton*>())
        if (b->text() == caption)
            return b;
    ADD_FAILURE() << caption.toStdString();
    return nullptr;
}

void exampleModel(Workspace& ws)
{
    Model& m = ws.model;
    test::twoBodyModel(m, 51);
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i] * 0.9 + 0.2;
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 100;
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 80;
    ws.display.ModelBegun = true;
    ws.display.GravityTickStep = 10;
    ws.display.DepthTickStep = 20;
}

}  // namespace

TEST(Thardcopyout, OpensWithItsValuesAndShowsWhatEachModeUses)
{
    Workspace ws;
    Thardcopyout dialog(ws);
    EXPECT_EQ(dialog.windowTitle(), "Produce Hardcopy of Model");

    auto* titles = child<QCheckBox>(dialog, "titles");
    auto* bodyinfo = child<QCheckBox>(dialog, "bodyinfo");
    auto* width = child<QLineEdit>(dialog, "width");
    auto* xscale = child<QLineEdit>(dialog, "xscale");
    auto* units = child<QGroupBox>(dialog, "units");
    auto* title1 = child<QLineEdit>(dialog, "title1");
    ASSERT_TRUE(titles && bodyinfo && width && xscale && units && title1);
    EXPECT_EQ(units->title(), "Units");
    EXPECT_EQ(child<QCheckBox>(dialog, "filename")->text(), "Display filename");

    // Change everything, then open again: all back except the titles.
    titles->setChecked(false);
    bodyinfo->setChecked(true);
    width->setText("9");
    title1->setText("Line A-A'");
    radio(dialog, "Cm,")->setChecked(true);
    dialog.plotsizeClick(HardcopySettings::FitToPage);
    dialog.FormActivate();
    const HardcopySettings s = dialog.settings();
    EXPECT_TRUE(s.titles);
    EXPECT_FALSE(s.bodyInfo);
    EXPECT_FALSE(s.fileName);
    EXPECT_EQ(s.plotSize, HardcopySettings::SetSize);
    EXPECT_FALSE(s.centimetres);
    EXPECT_EQ(s.width, "7.0");
    EXPECT_EQ(s.height, "5.0");
    EXPECT_EQ(s.xscale, "10000.0");
    EXPECT_EQ(s.yscale, "10000.0");
    EXPECT_EQ(title1->text(), "Line A-A'");

    // Set plot size: width, height and units; fixed scale: the scales; fit: none.
    auto shown = [&](const char* name) { return !child<QWidget>(dialog, name)->isHidden(); };
    EXPECT_TRUE(shown("width") && shown("height") && shown("units"));
    EXPECT_FALSE(shown("xscale") || shown("yscale"));
    dialog.plotsizeClick(HardcopySettings::FixedScale);
    EXPECT_FALSE(shown("width") || shown("height") || shown("units"));
    EXPECT_TRUE(shown("xscale") && shown("yscale"));
    dialog.plotsizeClick(HardcopySettings::FitToPage);
    EXPECT_FALSE(shown("width") || shown("units") || shown("xscale") || shown("yscale"));
    EXPECT_EQ(dialog.settings().plotSize, HardcopySettings::FitToPage);

    // OK takes the titles (at most 40 characters) into the workspace.
    child<QLineEdit>(dialog, "Title2")->setText("Second");
    dialog.OKBtnClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ws.app.Title1, "Line A-A'");
    EXPECT_EQ(ws.app.Title2, "Second");
    title1->setText(QString(50, 'x'));
    EXPECT_EQ(title1->text().size(), 40);
}

TEST(Thardcopyout, TitlesTypedIntoTheBoxesStandInTheBoxesAndOnThePage)
{
    Workspace ws;   // both titles start as blanks
    exampleModel(ws);
    Thardcopyout dialog(ws);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* title1 = child<QLineEdit>(dialog, "title1");
    auto* title2 = child<QLineEdit>(dialog, "Title2");
    ASSERT_TRUE(title1 && title2);

    // Click into the empty box and type; type after text already there.
    QTest::mouseClick(title1, Qt::LeftButton, {}, title1->rect().center());
    QTest::keyClicks(title1, "Line 7 Bouguer anomaly model");
    EXPECT_EQ(title1->text(), "Line 7 Bouguer anomaly model");
    QTest::mouseClick(title2, Qt::LeftButton, {}, title2->rect().center());
    QTest::keyClicks(title2, "Observed");
    QTest::keyClick(title2, Qt::Key_End);
    QTest::keyClicks(title2, " and calculated");
    EXPECT_EQ(title2->text(), "Observed and calculated");
    dialog.OKBtnClick();
    EXPECT_EQ(ws.app.Title1, "Line 7 Bouguer anomaly model");
    EXPECT_EQ(ws.app.Title2, "Observed and calculated");

    QTemporaryDir tmp;
    const QString pdf = tmp.filePath("titles.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ASSERT_EQ(printHardcopy(printer, ws, dialog.settings()).message(), "");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (scripts/corvane.sh installs it)";
    QProcess p;
    p.start(pdftotext, {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString page = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    EXPECT_TRUE(page.contains("Line 7 Bouguer anomaly model")) << page.toStdString();
    EXPECT_TRUE(page.contains("Observed and calculated")) << page.toStdString();
}

TEST(Hardcopy, PlotSizeForEachMode)
{
    Workspace ws;
    exampleModel(ws);
    const QSize page(850, 1100);   // letter at 100 pixels per inch
    HardcopySettings s;

    // Inches and centimetres.
    auto g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_EQ(g.options.plotWidth, 700);
    EXPECT_EQ(g.options.plotHeight, 500);
    EXPECT_DOUBLE_EQ(g.options.u, 100);
    EXPECT_FALSE(g.tooBig);
    s.centimetres = true;
    s.width = "25.4";
    s.height = "12.7";
    g = hardcopyGeometry(s, ws, page, 100, 200);
    EXPECT_EQ(g.options.plotWidth, 1000);
    EXPECT_EQ(g.options.plotHeight, 1000);
    EXPECT_TRUE(g.tooBig);   // ten inches do not go on an 8.5-inch page
    // Boxes that are not positive numbers take the opening values.
    s.centimetres = false;
    s.width = "wide";
    s.height = "-3";
    g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_EQ(g.options.plotWidth, 700);
    EXPECT_EQ(g.options.plotHeight, 500);

    // Fixed scale: 100 km across at 1:1 000 000 is 0.1 m, beside the half-inch
    // axis strip; 80 km of depth at 1:2 000 000 is 0.04 m, twice for both panels.
    s.plotSize = HardcopySettings::FixedScale;
    s.xscale = "1000000";
    s.yscale = "2000000";
    g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_EQ(g.options.plotWidth, std::lround((0.5 + 0.1 / 0.0254) * 100));
    EXPECT_EQ(g.options.plotHeight, std::lround(0.08 / 0.0254 * 100));
    // A scale that is not a number, or 0, counts as 1:100 000 (in metres here).
    ws.model.UnitsKm = false;
    ws.display.ViewXMax = 10000;
    ws.display.ViewDepthMax = 5000;
    s.xscale = "0";
    s.yscale = "1:5";
    g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_EQ(g.options.plotWidth, std::lround((0.5 + 10000 / 100000.0 / 0.0254) * 100));
    EXPECT_EQ(g.options.plotHeight, std::lround(2 * 5000 / 100000.0 / 0.0254 * 100));
    // An absurd scale is bounded instead of overflowing the page coordinates.
    ws.model.UnitsKm = true;
    s.xscale = "0.001";
    g = hardcopyGeometry(s, ws, page, 1200, 1200);
    EXPECT_LE(g.options.plotWidth, 500 * 1200);
    EXPECT_TRUE(g.tooBig);

    // Fit to page: the page less the offsets, the legend rows and a margin.
    s.plotSize = HardcopySettings::FitToPage;
    g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_FALSE(g.tooBig);
    EXPECT_EQ(g.options.plotWidth, 850 - 10 - 25);
    const int plain = g.options.plotHeight;
    s.bodyInfo = true;
    s.fileName = true;
    g = hardcopyGeometry(s, ws, page, 100, 100);
    EXPECT_FALSE(g.tooBig);
    EXPECT_LT(g.options.plotHeight, plain);   // room kept for the legend
    EXPECT_TRUE(g.options.legend && g.options.thirdLine && g.options.titles);
}

TEST(Hardcopy, PrintsToAPdfAndLeavesTheDisplayAsItWas)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    Workspace ws;
    exampleModel(ws);
    ws.app.Title1 = "Test line";
    ws.app.ModelFileName = "/data/line1.mod";
    ws.display.GravityMin = -1;
    ws.display.GravityMax = 2;
    const corvane::Display before = ws.display;

    const QString pdf = tmp.filePath("hardcopy.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    HardcopySettings s;
    s.bodyInfo = true;
    s.fileName = true;
    bool tooBig = true;
    ASSERT_EQ(printHardcopy(printer, ws, s, &tooBig).message(), "");
    EXPECT_FALSE(tooBig);

    EXPECT_FALSE(ws.display.Printing);
    EXPECT_EQ(ws.display.SectionLeft, before.SectionLeft);
    EXPECT_EQ(ws.display.TickLength, before.TickLength);
    EXPECT_EQ(ws.display.GravityMin, before.GravityMin);
    EXPECT_EQ(ws.display.GravityMax, before.GravityMax);

    std::ifstream in(pdf.toStdString(), std::ios::binary);
    std::string head(4, '\0');
    in.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");

    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed (scripts/corvane.sh installs it)";
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(pdftoppm, {"-r", "50", "-png", "-singlefile", pdf, tmp.filePath("page")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    QImage page(tmp.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    long dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            dark += qGray(page.pixel(x, y)) < 160;
    EXPECT_GT(dark, 200);   // the frame and the picture are on the page
    if (const char* keep = std::getenv("CORVANE_KEEP_PLOTS"))
        QFile::copy(tmp.filePath("page.png"), QString::fromLocal8Bit(keep) + "/hardcopy.png");
}
