// corvane-calc run as a user runs it, and compared with what the window
// calculates, reports and says for the same files.
#include "app/tcorvane.h"
#include "inversion_ui/texts.h"
#include "inversion_ui/tinvertmodel.h"
#include "io/field_data.h"
#include "io/model_file.h"
#include "io/real48.h"
#include "model/gravity.h"
#include "model/magnetic_data.h"
#include "platform/scripted_platform.h"
#include "version.h"
#include "map/map_grids.h"   // tests/map: grids with known values
#include "support/golden.h"
#include "support/helpers.h"

#include <QProcess>
#include <ogrsf_frmts.h>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace corvane;
using corvane::test::slurp;

namespace {

const fs::path examples = fs::path(CORVANE_TEST_DATA) / ".." / ".." / "examples";

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome calc(const QStringList& args, const QString& outputFile = {})
{
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    p.start(QStringLiteral(CORVANE_CALC), args);
    Outcome r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

std::vector<std::vector<std::string>> csvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t c; (c = line.find(',', start)) != std::string::npos; start = c + 1)
            cells.push_back(line.substr(start, c - start));
        cells.push_back(line.substr(start));
        rows.push_back(cells);
    }
    return rows;
}

double number(const std::string& s)
{
    std::size_t used = 0;
    const double v = std::stod(s, &used);
    EXPECT_EQ(used, s.size()) << s;
    return v;
}

// A figure of the model file: the text must give back the same six-byte real.
bool sameSixByteReal(const std::string& text, double v)
{
    return encodeReal48(number(text)) == encodeReal48(v);
}

// The window with a model loaded through "Load an old model".
struct Window {
    ScriptedPlatform platform;
    Tcorvane window{platform};

    // The error box's text, or "" when the model was loaded.
    QString load(const fs::path& p)
    {
        platform.clear();
        platform.openNames.push_back(q(p));
        window.Loadanoldmodel1Click();
        const auto errors = platform.texts(ScriptedPlatform::Kind::Error);
        return errors.isEmpty() ? QString() : errors.join('\n');
    }
};

std::vector<fs::path> exampleModels()
{
    std::vector<fs::path> models;
    for (const auto& e : fs::directory_iterator(examples))
        if (e.path().extension() == ".mod")
            models.push_back(e.path());
    std::sort(models.begin(), models.end());
    return models;
}

}  // namespace

TEST(CorvaneCalc, ExampleModelsGiveTheWindowsFiguresAndReport)
{
    QTemporaryDir tmp;
    const std::vector<fs::path> models = exampleModels();
    ASSERT_GE(models.size(), 2u);
    for (const fs::path& p : models) {
        SCOPED_TRACE(p.filename().string());
        Window w;
        ASSERT_EQ(w.load(p), QString());
        const Model& m = w.window.workspace().model;

        const Outcome r = calc({q(p)});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto rows = csvRows(r.out);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(m.NumStations) + 1);
        std::vector<std::string> header = {m.UnitsKm ? "position (km)" : "position (m)", "observed (mGal)",
                                           "calculated (mGal)"};
        for (int b = 1; b <= m.NumBodies; ++b)
            header.push_back("body " + std::to_string(b) + " (mGal)");
        EXPECT_EQ(rows[0], header);
        for (int i = 1; i <= m.NumStations; ++i) {
            const auto& row = rows[static_cast<std::size_t>(i)];
            ASSERT_EQ(row.size(), header.size()) << "station " << i;
            EXPECT_TRUE(sameSixByteReal(row[0], m.StationX[i])) << "station " << i << ": " << row[0];
            EXPECT_TRUE(sameSixByteReal(row[1], m.ObservedGravity[i])) << "station " << i << ": " << row[1];
            EXPECT_EQ(number(row[2]), m.CalculatedGravity[i]) << "station " << i;
            for (int b = 1; b <= m.NumBodies; ++b)
                EXPECT_EQ(number(row[2 + static_cast<std::size_t>(b)]), m.Bodies[b].Gravity[i])
                    << "station " << i << " body " << b;
        }

        // The report is the window's "to an ASCII file", byte for byte.
        const QString file = tmp.filePath(QString::fromStdString(p.stem().string() + ".dta"));
        w.platform.saveNames.push_back(file);
        w.window.toanASCIIfile1Click();
        const Outcome report = calc({QStringLiteral("--report"), q(p)});
        ASSERT_EQ(report.status, 0) << report.err;
        EXPECT_EQ(report.out, slurp(file.toStdString()));
    }
}

TEST(CorvaneCalc, BadFilesGiveTheWindowsMessageStatusOneAndNoOutput)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    const std::string basin = slurp(examples / "basin.mod");
    ASSERT_GT(basin.size(), 600u);
    std::ofstream(dir / "cut.mod", std::ios::binary) << basin.substr(0, basin.size() - 600);
    const fs::path files[] = {dir / "missing.mod", dir / "cut.mod", examples / "field_profile.dta"};
    for (const fs::path& p : files) {
        SCOPED_TRACE(p.filename().string());
        Window w;
        const QString shown = w.load(p);
        ASSERT_FALSE(shown.isEmpty());
        const Outcome r = calc({q(p)});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(QString::fromLocal8Bit(r.err), shown + "\n");
    }

    // A stations file that cannot be read, or gives too few stations.
    const Outcome missing = calc({"--stations", q(dir / "none.dta"), q(examples / "basin.mod")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("none.dta"), std::string::npos) << missing.err;
    std::ofstream(dir / "one.csv") << "x,g\n5,1.0\nend\n";
    const Outcome few = calc({"--stations", q(dir / "one.csv"), "--comment-lines", "1", q(examples / "basin.mod")});
    EXPECT_EQ(few.status, 1);
    EXPECT_EQ(few.out, "");
    EXPECT_EQ(few.err, tooFewStationsMessage(1) + "\n");

    // Output that cannot be written is a failure, not a success.
    const Outcome full = calc({q(examples / "basin.mod")}, QStringLiteral("/dev/full"));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("could not be written"), std::string::npos) << full.err;
}

TEST(CorvaneCalc, StationsOfAFieldDataFile)
{
    const fs::path dta = examples / "field_profile.dta";
    const fs::path mod = examples / "field_profile.mod";
    const Outcome r = calc({"--stations", q(dta), q(mod)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto rows = csvRows(r.out);

    // The data lines of the file, read here on their own.
    std::vector<std::vector<double>> data;
    std::istringstream in(slurp(dta));
    int line = 0;
    for (std::string text; std::getline(in, text);)
        if (++line > 3) {
            std::istringstream words(text);
            std::vector<double> v;
            for (double x; words >> x;)
                v.push_back(x);
            if (v.size() >= 2)
                data.push_back(v);
        }
    ASSERT_EQ(data.size(), 398u);
    ASSERT_EQ(rows.size(), data.size() + 1);

    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, mod.string()).message(), "");
    const Model& m = ws.model;
    std::vector<double> x;
    for (const auto& v : data)
        x.push_back(v[0]);
    std::vector<double> total(x.size(), 0.0);
    for (int b = 1; b <= m.NumBodies; ++b) {
        std::vector<double> g(x.size());
        referenceAnomaly(m.Bodies[b], x.data(), static_cast<int>(x.size()), m.UnitsKm, g.data());
        for (std::size_t i = 0; i < x.size(); ++i)
            total[i] += g[i];
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 3u + static_cast<std::size_t>(m.NumBodies));
        EXPECT_EQ(number(row[0]), data[i][0]) << "line " << i + 4;
        EXPECT_EQ(number(row[1]), data[i][1]) << "line " << i + 4;
        EXPECT_NEAR(number(row[2]), total[i], 1e-9 * (1 + std::fabs(total[i]))) << "line " << i + 4;
    }

    // Other columns, and comment lines counted differently.
    const auto elevation = csvRows(calc({"--stations", q(dta), "--columns", "1,3", q(mod)}).out);
    ASSERT_EQ(elevation.size(), rows.size());
    EXPECT_EQ(number(elevation[1][1]), data[0][2]);
    EXPECT_EQ(elevation[1][2], rows[1][2]);
    const auto later = csvRows(calc({"--stations=" + q(dta), "--comment-lines=10", q(mod)}).out);
    EXPECT_EQ(later.size(), rows.size() - 7);   // 7 data lines fewer
}

TEST(CorvaneCalc, StationHeightsFromAColumn)
{
    // The heights example: X,G,H by name, and the same stations as X,Y,G,H
    // (y 0 everywhere) from a file written here; both give the anomaly where
    // the stations stand, and a height column. Without H: no height column.
    const fs::path dta = examples / "field_profile_heights.dta";
    const QString mod = q(examples / "field_profile.mod");
    const Outcome named = calc({"--stations", q(dta), "--columns", "x=1,g=2,h=3", mod});
    ASSERT_EQ(named.status, 0) << named.err;
    const auto rows = csvRows(named.out);
    ASSERT_GT(rows.size(), 300u);
    EXPECT_EQ(rows[0][0], "position (km)");
    EXPECT_EQ(rows[0][1], "height (km)");
    EXPECT_EQ(rows[0][2], "observed (mGal)");

    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examples / "field_profile.mod").string()).message(), "");
    const Model& m = ws.model;
    std::vector<double> x, h;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        x.push_back(number(rows[i][0]));
        h.push_back(number(rows[i][1]));
    }
    EXPECT_GT(*std::max_element(h.begin(), h.end()), 0.5);
    std::vector<double> total(x.size(), 0.0), flat(x.size(), 0.0);
    for (int b = 1; b <= m.NumBodies; ++b) {
        std::vector<double> g(x.size()), g0(x.size());
        referenceAnomaly(m.Bodies[b], x.data(), static_cast<int>(x.size()), true, g.data(), h.data());
        referenceAnomaly(m.Bodies[b], x.data(), static_cast<int>(x.size()), true, g0.data());
        for (std::size_t i = 0; i < x.size(); ++i) {
            total[i] += g[i];
            flat[i] += g0[i];
        }
    }
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(number(rows[i + 1][3]), total[i], 1e-9 * (1 + std::fabs(total[i]))) << i;

    QTemporaryDir dir;
    std::string xygh = "a\nb\nc\n";
    for (std::size_t i = 0; i < x.size(); ++i)
        xygh += rows[i + 1][0] + " 0 " + rows[i + 1][2] + " " + rows[i + 1][1] + "\n";
    const fs::path file = fs::path(dir.path().toStdString()) / "xygh.dta";
    std::ofstream(file, std::ios::binary) << xygh;
    const Outcome four = calc({"--stations", q(file), "--columns", "1,2,3,4", mod});
    ASSERT_EQ(four.status, 0) << four.err;
    EXPECT_EQ(four.out, named.out);

    const auto noHeights = csvRows(calc({"--stations", q(dta), "--columns", "1,2", mod}).out);
    ASSERT_EQ(noHeights.size(), rows.size());
    EXPECT_EQ(noHeights[0][1], "observed (mGal)");
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(number(noHeights[i + 1][2]), flat[i], 1e-9 * (1 + std::fabs(flat[i]))) << i;
}

TEST(CorvaneCalc, CommandLineHelpVersionAndMistakes)
{
    const Outcome version = calc({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("corvane-calc ") + CorvaneVersion + "\n");
    const Outcome help = calc({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: corvane-calc"), std::string::npos);

    const QString model = q(examples / "basin.mod");
    const QStringList wrong[] = {{},
                                 {"--frobnicate", model},
                                 {model, model},
                                 {"--stations"},
                                 {"--columns", "1,2", model},
                                 {"--stations", model, "--columns", "0,2", model},
                                 {"--stations", model, "--columns", "1,2,3,4,5", model},
                                 {"--stations", model, "--columns", "x=1,h=3", model},
                                 {"--stations", model, "--columns", "x=1,g=2,g=3", model},
                                 {"--stations", model, "--columns", "x=1,2,h=3", model},
                                 {"--stations", model, "--comment-lines", "-1", model},
                                 {"--decimal-comma", model},
                                 {"--stations", model, "--decimal-comma", "--decimal-point", model},
                                 {"--report=yes", model},
                                 {"--magnetic", "--report", model},
                                 {"--magnetic", model, "--stations"},
                                 {"--magnetic=1", model},
                                 {"--invert", model},
                                 {"-o", "fitted.mod", model},
                                 {"--invert", "--report", model, "-o", "fitted.mod"}};
    for (const QStringList& args : wrong) {
        const Outcome r = calc(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "") << args.join(' ').toStdString();
        EXPECT_EQ(r.err.rfind("corvane-calc: ", 0), 0u) << r.err;
    }
}

TEST(CorvaneCalc, MagneticOutputNamesItsColumnsAndLeavesTheDefaultAlone)
{
    const QString model = q(examples / "basement.mod");
    const Outcome plain = calc({model});
    const Outcome magnetic = calc({"--magnetic", model});
    ASSERT_EQ(magnetic.status, 0) << magnetic.err;
    EXPECT_EQ(magnetic.out.rfind("position (km),height (km),observed (nT),calculated (nT),body 1 (nT),body 2 (nT)\n", 0),
              0u);
    // One row per magnetic station the model holds, in their order, with each
    // station's observed value.
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examples / "basement.mod").string()).message(), "");
    const MagneticStations& mag = ws.model.Mag;
    ASSERT_GT(mag.Num, 0);
    const auto rows = csvRows(magnetic.out);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(mag.Num) + 1);
    for (int i = 1; i <= mag.Num; ++i) {
        ASSERT_EQ(rows[i].size(), 6u) << i;
        EXPECT_DOUBLE_EQ(std::stod(rows[i][0]), mag.X[i]) << i;
        EXPECT_DOUBLE_EQ(std::stod(rows[i][2]), mag.Observed[i]) << i;
    }

    // A model file without magnetic stations says so and fails, unless a
    // file gives them: the example's own data file gives the example's rows.
    QTemporaryDir dir;
    setMagneticStations(ws.model, {});
    ws.display.ShowMagnetic = false;
    const std::string bare = (fs::path(dir.path().toStdString()) / "bare.mod").string();
    ASSERT_EQ(saveModelFile(ws, bare).message(), "");
    const Outcome none = calc({"--magnetic", q(fs::path(bare))});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "The model has no magnetic stations: give a file of them with --stations.\n");
    const Outcome given = calc({"--magnetic", "--stations", q(examples / "basement_mag.dta"), q(fs::path(bare))});
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.out, magnetic.out);
    EXPECT_EQ(plain.out.rfind("position (km),observed (mGal),calculated (mGal),body 1 (mGal),body 2 (mGal)\n", 0), 0u);
}

TEST(CorvaneCalc, MessagesShowControlCharacters)
{
    // Two unreadable lines of extras, one with a NUL, one with a ^A: two
    // whole messages, each on its own line.
    QTemporaryDir dir;
    std::string bytes = slurp(examples / "basement.mod");
    const std::size_t at = bytes.find("field 50000");
    ASSERT_NE(at, std::string::npos);
    bytes.insert(at, std::string("field 5\0" "000 60 0 90\r\nfield 1 2 3 x\x01y\r\n", 38));
    const fs::path bad = fs::path(dir.path().toStdString()) / "nul.mod";
    std::ofstream(bad, std::ios::binary) << bytes;
    const Outcome r = calc({"--magnetic", q(bad)});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Line 2 of the extras could not be read: \"5\\x00000\" is not a number.\n"
                     "Line 3 of the extras could not be read: \"x\\x01y\" is not a number.\n");
}

TEST(CorvaneCalc, NeedsNoWidgets)
{
    QProcess p;
    p.start(QStringLiteral("readelf"), {"-d", QStringLiteral(CORVANE_CALC)});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        GTEST_SKIP() << "readelf (binutils) is not available";
    const QString needed = QString::fromLocal8Bit(p.readAllStandardOutput());
    EXPECT_TRUE(needed.contains(QStringLiteral("libc.so")));
    EXPECT_FALSE(needed.contains(QStringLiteral("libQt6Widgets"))) << needed.toStdString();
}

TEST(CorvaneCalc, SpreadsheetFilesAsTheWindowReadsThem)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const std::string& bytes) {
        const fs::path f = fs::path(dir.path().toStdString()) / name;
        std::ofstream(f, std::ios::binary) << bytes;
        return q(f);
    };
    const QString model = q(examples / "basin.mod");
    std::string csv = "x,g\r";
    for (int i = 0; i < 20; ++i)
        csv += std::to_string(i * 2) + "," + (i == 4 ? std::string("1e400") : std::to_string(i - 10)) + "\r";
    struct Case {
        const char* name;
        std::string bytes;
        int status;
        std::size_t rows;
        std::string err;   // standard error (a part of it when refused)
    };
    const Case cases[] = {
        // A heading row and CR line ends: every station but the one that is not a number.
        {"heading.csv", csv, 0, 19, "1 line of the field data was skipped (line 6).\n"},
        {"utf16.csv", std::string("\xFF\xFEx\0,\0g\0\n\0001\0,\0002\0\n\0003\0,\0004\0\n\0", 26), 0, 2, ""},
        {"nomark.csv", std::string("x\0,\0g\0\n\0001\0,\0002\0\n\0", 16), 1, 0,
         "is written in UTF-16 without a byte order mark"},
        {"tie.csv", "1,5 2,5\n0.25,1.5\n", 1, 0, "cannot be read safely"},
        {"grouped.txt", "x g\n1,000 5\n2,500 7\n", 1, 0,
         "line 2 holds \"1,000\", a different number with a decimal point than with a decimal comma. "
         "Say which the file uses with --decimal-point or --decimal-comma."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = calc({"--stations", write(c.name, c.bytes), model});
        EXPECT_EQ(r.status, c.status);
        if (c.status != 0) {
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
            continue;
        }
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(csvRows(r.out).size(), c.rows + 1);
    }
    // The decimal mark said: the positions follow it.
    for (const auto& [option, second] : {std::pair{"--decimal-point", "2500"}, std::pair{"--decimal-comma", "2.5"}}) {
        const Outcome said = calc({"--stations", write("grouped.txt", "x g\n1,000 5\n2,500 7\n"), option, model});
        ASSERT_EQ(said.status, 0) << said.err;
        const auto rows = csvRows(said.out);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[2][0], second);
    }
    // Comment lines given on the command line still count as given.
    const Outcome r = calc({"--stations", write("heading2.csv", csv), "--comment-lines", "3", model});
    EXPECT_EQ(csvRows(r.out).size(), 18u);
    EXPECT_EQ(r.err, "1 line of the field data was skipped (line 6).\n");
}

TEST(CorvaneCalc, ReadmeStationsExampleReadsTheModelsOwnStationsBack)
{
    // The model's stations written as CSV (heading row included) and read
    // back with --stations give the same stations and the same misfit.
    const QString model = q(examples / "field_profile.mod");
    const Outcome own = calc({model});
    ASSERT_EQ(own.status, 0) << own.err;
    std::string twoColumns;
    for (const auto& row : csvRows(own.out))
        twoColumns += row[0] + "," + row[1] + "\n";
    QTemporaryDir dir;
    const fs::path residual = fs::path(dir.path().toStdString()) / "residual.csv";
    std::ofstream(residual, std::ios::binary) << twoColumns;
    const Outcome back = calc({"--stations", q(residual), model});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.err, "");
    const auto a = csvRows(own.out), b = csvRows(back.out);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 1; i < a.size(); ++i) {
        EXPECT_EQ(number(b[i][0]), number(a[i][0])) << i;
        EXPECT_EQ(number(b[i][1]), number(a[i][1])) << i;
        // Positions print as the six-byte reals they are; read back as
        // doubles they differ in the last bits only.
        EXPECT_NEAR(number(b[i][2]), number(a[i][2]), 1e-9) << i;
    }
}

TEST(CorvaneCalc, HiddenBodiesKeepTheirColumnButLeaveCalculated)
{
    QTemporaryDir tmp;
    const fs::path model = fs::path(tmp.path().toStdString()) / "hidden.mod";
    std::ofstream(model, std::ios::binary)
        << slurp(examples / "basin.mod") + "\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\nlink 1 2 9 9\r\n#END\r\n";
    Window w;
    ASSERT_EQ(w.load(model), QString());
    const Model& m = w.window.workspace().model;
    ASSERT_EQ(m.NumBodies, 3);
    ASSERT_TRUE(m.Bodies[2].Hidden);
    const std::string note = "Line 3 of the extras could not be read: there is no body 9.";
    EXPECT_EQ(w.platform.texts(ScriptedPlatform::Kind::Warning), QStringList{QString::fromStdString(note)});

    const Outcome r = calc({q(model)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, note + "\n");
    const auto rows = csvRows(r.out);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(m.NumStations) + 1);
    ASSERT_EQ(rows[0].size(), 6u);
    double body2 = 0;
    for (int i = 1; i <= m.NumStations; ++i) {
        const auto& row = rows[static_cast<std::size_t>(i)];
        EXPECT_EQ(number(row[2]), m.CalculatedGravity[i]) << i;
        EXPECT_NEAR(number(row[2]), number(row[3]) + number(row[5]), 1e-9) << i;
        EXPECT_EQ(number(row[4]), m.Bodies[2].Gravity[i]) << i;
        body2 = std::max(body2, std::fabs(number(row[4])));
    }
    EXPECT_GT(body2, 0.1);   // the hidden body still has its own anomaly

    const QString file = tmp.filePath(QStringLiteral("hidden.dta"));
    w.platform.saveNames.push_back(file);
    w.window.toanASCIIfile1Click();
    const Outcome report = calc({QStringLiteral("--report"), q(model)});
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, slurp(file.toStdString()));
}

TEST(CorvaneCalc, InvertWritesTheWindowsFittedModel)
{
    // The basin example with choices for two bodies, a kept link and a count
    // of iterations, all in its extras.
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    const fs::path model = dir / "choices.mod";
    std::ofstream(model, std::ios::binary)
        << slurp(examples / "basin.mod") +
               "\r\n#CORVANE-EXTRAS 1\r\ninvert 1 1 0 0 0\r\ninvert 2 0 1 1 0\r\ncorner-invert 1 2 0 1\r\n"
               "inversion-body 2\r\niterations 6\r\ninvert-all 1\r\nfit-shift 1\r\n#END\r\n";
    const Outcome r = calc({"--invert", q(model), "-o", q(dir / "cli.mod")});
    ASSERT_EQ(r.status, 0) << r.err;

    Window w;
    ASSERT_EQ(w.load(model), QString());
    Tinvertmodel dlg(w.window.workspace(), w.platform, {});
    dlg.FormActivate();
    dlg.OKBtnClick();
    ASSERT_NE(dlg.lastRun(), nullptr);
    EXPECT_EQ(r.out, reportTable(*dlg.lastRun(), "\n"));
    w.platform.saveNames.push_back(q(dir / "window.mod"));
    w.window.Savethecurrentmodel1Click();
    const std::string fitted = slurp(dir / "cli.mod");
    EXPECT_EQ(fitted, slurp(dir / "window.mod"));
    const std::string basin = slurp(examples / "basin.mod");
    EXPECT_NE(fitted.substr(0, basin.size()), basin);   // the bodies moved

    // Nothing chosen: the window's message, status 1 and no file.
    const Outcome none = calc({"--invert", q(examples / "basin.mod"), "--output", q(dir / "none.mod")});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(QString::fromStdString(none.err), texts::NothingSelected + "\n");
    EXPECT_FALSE(fs::exists(dir / "none.mod"));
}

// A body whose density changes with depth: its column and the report name
// the law.
TEST(CorvaneCalc, DensityLawInTheColumnAndTheReport)
{
    QTemporaryDir tmp;
    const fs::path model = fs::path(tmp.path().toStdString()) / "law.mod";
    std::ofstream(model, std::ios::binary)
        << slurp(examples / "basin.mod") + "\r\n#CORVANE-EXTRAS 1\r\ndensity-law 1 exponential 0.35 0.5\r\n#END\r\n";
    EXPECT_EQ(calc({q(model)}).out.rfind("position (km),observed (mGal),calculated (mGal),"
                                         "body 1 exponential decay 0.35 per km from depth 0.5 km (mGal),body 2 (mGal),",
                                         0),
              0u);
    EXPECT_NE(calc({QStringLiteral("--report"), q(model)}).out.find(" 0.35 per km from depth 0.5 km\r\n"),
              std::string::npos);
}

// Gradients in both frames byte for byte; the vertical component turns into itself.
TEST(CorvaneCalc, GradientsInTheProfileAndTheGeographicFrame)
{
    const QString model = q(fs::path(CORVANE_TEST_DATA) / "gradiometry.mod");
    const Outcome profile = calc({"--gradients", model});
    const Outcome geographic = calc({"--gradients", "--geographic", model});
    test::expectGolden("gradients_profile.csv", profile.out);
    test::expectGolden("gradients_geographic.csv", geographic.out);
    const auto p = csvRows(profile.out), g = csvRows(geographic.out);
    ASSERT_EQ(p.size(), 6u);
    for (std::size_t i = 1; i < p.size(); ++i)
        EXPECT_EQ(p[i][13], g[i][13]) << i;
    const Outcome none = calc({"--gradients", q(fs::path(CORVANE_TEST_DATA) / "one_body_100_stations.mod")});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "The model has no gradient stations.\n");
    EXPECT_EQ(calc({"--geographic", model}).status, 2);
}

// A grid rising 2 per km east and 1 per km north, sampled along a diagonal:
// bilinear sampling gives the plane exactly, at the points the rows name.
TEST(CorvaneCalc, SamplesAGridAlongALineAndExportsAModelForGis)
{
    using map::test::GridSpec;
    const auto plane = [](double e, double n) { return 0.002 * (e - 500000) + 0.001 * (n - 6000000); };
    const QString grid = QString::fromStdString(
        map::test::makeGrid(GridSpec{"GTiff", "plane.tif", "EPSG:32633", 500000, 6010000, 100, 100, 100, plane, {}}));
    ASSERT_FALSE(grid.isEmpty());
    struct Case {
        QStringList args;
        std::size_t rows;
        double last;   // the last row's distance
    } cases[] = {
        {{"--count", "5"}, 5, 5000 * std::sqrt(2.0)},
        {{"--spacing", "1000", "--bicubic"}, 8, 7000},
        {{"--count", "3", "--km", "--crs", "EPSG:32633"}, 3, 5 * std::sqrt(2.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = calc(QStringList{"--sample", grid, "--line", "502000,6002000,507000,6007000"} + c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto rows = csvRows(r.out);
        ASSERT_EQ(rows.size(), c.rows + 1);
        EXPECT_EQ(rows[0][0], c.args.contains("--km") ? "distance (km)" : "distance (m)");
        EXPECT_NEAR(number(rows.back()[0]), c.last, 1e-6);
        for (std::size_t i = 1; i < rows.size(); ++i)
            EXPECT_NEAR(number(rows[i][3]), plane(number(rows[i][1]), number(rows[i][2])), 1e-9) << i;
    }
    // Off the grid's east edge: stations left out and counted.
    const Outcome past = calc({"--sample", grid, "--line", "505000,6005000,515000,6005000", "--count", "11"});
    EXPECT_EQ(past.err, "5 of 11 stations were left out over no-data or off the grid.\n");
    EXPECT_EQ(csvRows(past.out).size(), 7u);
    for (const QStringList& wrong : {QStringList{"--sample", grid}, {"--sample", grid, "--line", "1,2,3"},
                                     {"--sample", grid, "--line", "1,2,3,4", "--count", "5", "--spacing", "1"},
                                     {"--export-gis", grid}, {"--sample", grid, "--export-gis", grid}})
        EXPECT_EQ(calc(wrong).status, 2) << wrong.join(' ').toStdString();

    // The GeoPackage of a model on a line, and the message of one without.
    const fs::path dir = map::test::scratch();
    const Outcome none = calc({"--export-gis", q(fs::path(CORVANE_TEST_DATA) / "one_body_100_stations.mod"), "-o",
                               q(dir / "none.gpkg")});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "The model has no profile line.\n");
    EXPECT_FALSE(fs::exists(dir / "none.gpkg"));
    Workspace ws;
    ASSERT_TRUE(loadModelFile(ws, (fs::path(CORVANE_TEST_DATA) / "one_body_100_stations.mod").string()));
    ws.model.ProfileLine = ProfileLineRecord{500000, 6000000, 510000, 6000000, "EPSG:32633"};
    ASSERT_TRUE(saveModelFile(ws, (dir / "placed.mod").string()));
    const Outcome placed = calc({"--export-gis", q(dir / "placed.mod"), "-o", q(dir / "placed.gpkg")});
    ASSERT_EQ(placed.status, 0) << placed.err;
    EXPECT_TRUE(placed.out.empty());
    GDALDatasetUniquePtr gpkg(GDALDataset::Open((dir / "placed.gpkg").string().c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(gpkg);
    EXPECT_EQ(gpkg->GetLayerCount(), 4);
    EXPECT_EQ(gpkg->GetLayerByName("stations")->GetFeatureCount(), 100);
}
