#include "io/report.h"
#include "output/report_printer.h"

#include "support/bodies.h"
#include "support/golden.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace corvane;
using corvane::test::slurp;

namespace {

// Two bodies (a triangle and a square), three stations with field data.
std::unique_ptr<Model> smallModel()
{
    auto m = makeModel();
    test::setBody(*m, 1, {{10, 5}, {20, 5}, {15, 10}}, 0.1, 1000, 500);
    test::setBody(*m, 2, {{-1.25, 1}, {1, 1}, {1, 2.5}, {-1, 2}}, -0.25, 12.5, 7);
    m->NumBodies = 2;
    m->NumStations = 3;
    const double x[] = {-123.5, 0, 100};
    const double obs[] = {-2.5, 1, 2.25};
    const double calc[] = {0.5, -1.125, 3};
    for (int i = 1; i <= 3; ++i) {
        m->StationX[i] = x[i - 1];
        m->ObservedGravity[i] = obs[i - 1];
        m->CalculatedGravity[i] = calc[i - 1];
    }
    return m;
}

}  // namespace

TEST(Report, FileLayoutByteForByte)
{
    auto m = smallModel();
    const std::string expected =
        "CORVANE FOR WINDOWS\r\n"
        "There are 2 Bodies\r\n"
        "There are 3 Observation points.\r\n"
        "The units used were Km.\r\n"
        "\r\n"
        "Body 1\r\n"
        " No. of corners is 3    Density contrast : 0.100\r\n"
        " Strike lengths : 1000.00   500.00\r\n"
        " X and Y positions of the bodys corners:-\r\n"
        "          10.000       5.000\r\n"
        "          20.000       5.000\r\n"
        "          15.000      10.000\r\n"
        "Body 2\r\n"
        " No. of corners is 4    Density contrast : -0.250\r\n"
        " Strike lengths :   12.50     7.00\r\n"
        " X and Y positions of the bodys corners:-\r\n"
        "          -1.250       1.000\r\n"
        "           1.000       1.000\r\n"
        "           1.000       2.500\r\n"
        "          -1.000       2.000\r\n"
        "\r\n"
        "    Position             Observed Field                    Calculated Field\r\n"
        "   -123.5                        -2.50000                               0.50000\r\n"
        "     0.0                         1.00000                              -1.12500\r\n"
        "   100.0                         2.25000                               3.00000\r\n";
    EXPECT_EQ(reportForFile(*m), expected);

    // Without field data, in metres, with one body.
    m->HaveObserved = false;
    m->UnitsKm = false;
    m->NumBodies = 1;
    const std::string noField =
        "CORVANE FOR WINDOWS\r\n"
        "There is one body in the model.\r\n"
        "There are 3 Observation points.\r\n"
        "The units used were m.\r\n"
        "\r\n"
        "Body 1\r\n"
        " No. of corners is 3    Density contrast : 0.100\r\n"
        " Strike lengths : 1000.00   500.00\r\n"
        " X and Y positions of the bodys corners:-\r\n"
        "          10.000       5.000\r\n"
        "          20.000       5.000\r\n"
        "          15.000      10.000\r\n"
        "\r\n"
        "    Position              Calculated Field\r\n"
        "   -123.5                         0.50000\r\n"
        "     0.0                        -1.12500\r\n"
        "   100.0                         3.00000\r\n";
    EXPECT_EQ(reportForFile(*m), noField);

    // A model without bodies still gets a header (saying one body) and the table.
    m->NumBodies = 0;
    const std::string none = reportForFile(*m);
    EXPECT_EQ(none.rfind("CORVANE FOR WINDOWS\r\nThere is one body in the model.\r\n", 0), 0u);
    EXPECT_EQ(none.find("Body "), std::string::npos);
    EXPECT_NE(none.find("\r\n\r\n\r\n    Position "), std::string::npos);
}

TEST(Report, ClipboardLayoutByteForByte)
{
    auto m = smallModel();
    const std::string expected =
        "CORVANE FOR WINDOWS\n"
        "There are 2 Bodies.\n"
        "There are 3 Observation points.\n"
        "The units used were Km.\n"
        "\n"
        "Body 1\n"
        " No. of corners is 3\n"
        " Density contrast : 0.1000\n"
        " Strike lengths : 1000.00  500.00\n"
        " X and Y positions of the bodys corners:-\n"
        "    10.0    5.0\n"
        "    20.0    5.0\n"
        "    15.0   10.0\n"
        "Body 2\n"
        " No. of corners is 4\n"
        " Density contrast : -0.2500\n"
        " Strike lengths :   12.50    7.00\n"
        " X and Y positions of the bodys corners:-\n"
        "    -1.2    1.0\n"     // -1.25 to one decimal: the binary value is exact, halves go to even
        "     1.0    1.0\n"
        "     1.0    2.5\n"
        "    -1.0    2.0\n"
        "  Position     Observed Field     Calculated Field\n"
        "   -123.5           -2.5             0.5\n"
        "      0.0            1.0            -1.1\n"
        "    100.0            2.2             3.0\n";
    EXPECT_EQ(reportForClipboard(*m), expected);

    m->HaveObserved = false;
    m->UnitsKm = false;
    const std::string text = reportForClipboard(*m);
    EXPECT_NE(text.find("The units used were m.\n"), std::string::npos);
    const std::string tail =
        "  Position    Calculated Field\n"
        "    -123.5             0.5\n"
        "       0.0            -1.1\n"
        "     100.0             3.0\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(Report, PrinterLayoutLineByLine)
{
    auto m = smallModel();
    m->NumBodies = 1;
    std::vector<std::string> expected = {
        "                   CORVANE FOR WINDOWS",
        " There is one body in the model.",
        "There are 3 observation points.",
        "The units used were km.",
        "Body 1",
        " No. of corners is 3",
        "    Density contrast : 0.100000",
        " Strike length 1 : 1000.00",
        "",
        " Strike length 2 :  500.00",
        "",
        " X and Y positions of the bodys corners:-",
        "  10.000      5.000",
        "  20.000      5.000",
        "  15.000     10.000",
        "",
        "    Position             Observed Field                    Calculated Field",
        "    -123.5         -2.5          0.5",
        "       0.0          1.0         -1.1",
        "     100.0          2.2          3.0",
    };
    EXPECT_EQ(reportForPrinter(*m), expected);

    m->NumBodies = 2;
    m->UnitsKm = false;
    m->HaveObserved = false;
    const auto lines = reportForPrinter(*m);
    EXPECT_EQ(lines[1], " There are 2 Bodies");
    EXPECT_EQ(lines[3], "The units used were metres.");
    EXPECT_EQ(lines[lines.size() - 4], "    Position             Calculated Field");
    EXPECT_EQ(lines.back(), "     100.0          3.0");
}

TEST(Report, FileIsWrittenAndFailureLeavesNoPartialFile)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    auto m = smallModel();
    const std::filesystem::path dir = tmp.path().toStdString();

    const auto path = dir / "model.dta";
    std::ofstream(path, std::ios::binary) << "old contents";
    EXPECT_EQ(writeReportFile(*m, path.string()).message(), "");
    EXPECT_EQ(slurp(path), reportForFile(*m));

    // A folder that does not exist: a reason comes back, nothing is created.
    const auto bad = dir / "missing" / "model.dta";
    EXPECT_NE(writeReportFile(*m, bad.string()).message(), "");
    EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST(Report, PrintsEveryLineOnAsManyPagesAsNeeded)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    auto m = smallModel();
    test::setStations(*m, 200, 0, 199);   // long enough for several pages

    const QString pdf = tmp.filePath("report.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_EQ(printTextLines(printer, reportForPrinter(*m)).message(), "");

    const std::string bytes = slurp(pdf.toStdString());
    ASSERT_EQ(bytes.rfind("%PDF", 0), 0u);
    // A page holds well under 200 lines of 10-point text.
    std::size_t pages = 0;
    for (std::size_t at = bytes.find("/Type /Page\n"); at != std::string::npos;
         at = bytes.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_GE(pages, 3u);
    if (const char* keep = std::getenv("CORVANE_KEEP_PLOTS"))   // to look at
        QFile::copy(pdf, QString::fromLocal8Bit(keep) + "/report.pdf");
}

// The section after the listing: written in every layout, after the listing
// a gravity model gets, for magnetic stations, a magnetised body or station
// heights; not for field settings alone.
TEST(Report, MagneticsAndHeightsSectionFollowsTheListing)
{
    auto m = smallModel();
    MagneticStations& g = m->Mag;
    g.Num = 3, g.FieldIntensity = 48500.5, g.FieldInclination = -62.25, g.FieldDeclination = 3.5, g.FieldAzimuth = 135;
    const double x[] = {-100, 0.125, 250}, h[] = {0.3, 0.3, 0}, obs[] = {12.5, 0, -7.25}, calc[] = {10, -3.5, 0.001};
    for (int i = 1; i <= 3; ++i) {
        g.X[i] = x[i - 1], g.Height[i] = h[i - 1], g.Observed[i] = obs[i - 1];
        g.HasObserved[i] = i != 2, g.Calculated[i] = calc[i - 1];
    }
    m->Bodies[1].Susceptibility = 0.035;
    m->Bodies[2].Remanence = 2.5, m->Bodies[2].RemanentInclination = -30, m->Bodies[2].RemanentDeclination = 15;
    m->Bodies[2].Hidden = true;
    m->StationHeight[2] = 0.125;
    test::expectGolden("report_magnetics.dta", reportForFile(*m));

    auto gravity = smallModel();
    std::string file = reportForFile(*gravity), clip = reportForClipboard(*gravity);
    std::vector<std::string> printed = reportForPrinter(*gravity);
    for (const std::string& line : reportExtraLines(*m))
        file += line + "\r\n", clip += line + "\n", printed.push_back(line);
    EXPECT_EQ(reportForFile(*m), file);
    EXPECT_EQ(reportForClipboard(*m), clip);
    EXPECT_EQ(reportForPrinter(*m), printed);

    const std::pair<void (*)(Model&), bool> cases[] = {
        {[](Model& g) { g.Mag.FieldInclination = 10; }, false}, {[](Model& g) { g.StationHeight[3] = -0.01; }, true},
        {[](Model& g) { g.Mag.Num = 1; }, true}, {[](Model& g) { g.Bodies[1].Remanence = 1; }, true}};
    for (const auto& [set, written] : cases) {
        auto g = smallModel();
        set(*g);
        EXPECT_EQ(reportForFile(*g).size() > reportForFile(*gravity).size(), written);
    }
}

// A body whose density changes with depth has its law on a line after the
// strike lengths, in each form of the report; the others have none.
TEST(Report, DensityLawFollowsTheStrikeLengths)
{
    auto m = smallModel();
    m->Bodies[1].Law = DensityLaw::Linear, m->Bodies[1].LawRate = 0.025, m->Bodies[1].LawZ0 = 1.5;
    test::expectGolden("report_density_law.dta", reportForFile(*m));
    const std::string line = " Density law : linear gradient 0.025 per km from depth 1.5 km";
    EXPECT_NE(reportForClipboard(*m).find("500.00\n" + line + "\n X and Y"), std::string::npos);
    const std::vector<std::string> printed = reportForPrinter(*m);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), line), 1);
}
