// Hostile and extreme input for the readers and writers: files that lie about
// themselves, models at every limit, degenerate bodies, and files that vanish
// or cannot be written. Whatever happens, the model stays sound and the
// user's files stay as they were.
#include "../../fuzz/model_invariants.h"
#include "display/paint.h"
#include "io/hpgl.h"
#include "io/input_files.h"
#include "io/model_file.h"
#include "io/real48.h"
#include "io/report.h"
#include "io/safe_file.h"
#include "output/dxf.h"
#include "support/bodies.h"
#include "support/full_model.h"
#include "support/helpers.h"
#include "support/result.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <filesystem>
#include <cctype>
#include <fstream>

namespace fs = std::filesystem;
using namespace corvane;
using corvane::test::slurp;
using corvane::test::spit;

namespace {

const fs::path dataDir = CORVANE_TEST_DATA;

std::string rec(double v)
{
    const auto r = encodeReal48(v).value();
    return std::string(r.begin(), r.end());
}

std::string modelBytes(const Workspace& ws)
{
    const auto bytes = modelFileBytes(ws);
    EXPECT_TRUE(bytes) << bytes.message();
    return bytes.value_or("");
}

// A text holds no number that went wrong: printf and Qt write those as
// "nan" and "inf" in some capitalisation, standing alone.
void expectNoNonFinite(const std::string& text, const char* what)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto letter = [&](std::size_t i) { return i < lower.size() && std::isalpha(static_cast<unsigned char>(lower[i])); };
    for (const char* bad : {"nan", "inf"})
        for (std::size_t at = lower.find(bad); at != std::string::npos; at = lower.find(bad, at + 1))
            if (!(at > 0 && letter(at - 1)) && !letter(at + 3)) {
                ADD_FAILURE() << what << " holds \"" << text.substr(at, 3) << "\" at " << at;
                return;
            }
}

// Draws the window picture in every display mode, then the report, the
// HP-GL and the DXF file; none may show a number that is not finite, and the
// model must stay sound throughout.
void expectAllOutputsSound(Workspace& ws)
{
    QImage image(1000, 700, QImage::Format_RGB32);
    Display& d = ws.display;
    d.ModelLoaded = true;
    for (int mode = 0; mode < 4; ++mode) {
        d.ShowDifference = mode == 1;
        d.ShowIndividual = mode == 2;
        d.PlanView = mode == 3;
        d.ShowBodyNumbers = d.PlotPoints = d.DrawGrid = mode == 3;
        QPainter p(&image);
        const auto status = PaintModel(p, image.rect(), ws);
        if (status)
            expectNoNonFinite(status->toStdString(), "the status read-out");
        EXPECT_TRUE(std::isfinite(d.GravityMin) && std::isfinite(d.GravityMax)) << "mode " << mode;
    }
    d.ShowDifference = d.ShowIndividual = d.PlanView = false;
    {
        QPainter p(&image);
        PaintModel(p, image.rect(), ws);
    }
    expectNoNonFinite(reportForFile(ws.model), "the report");
    expectNoNonFinite(reportForClipboard(ws.model), "the clipboard report");
    std::string problem;
    const std::string hpgl = corvane::test::bytesOf(hpglBytes(ws), problem);
    if (problem.empty()) {
        EXPECT_FALSE(hpgl.empty());
        expectNoNonFinite(hpgl, "the HP-GL file");
    }
    problem.clear();
    const std::string dxf = corvane::test::bytesOf(dxfBytes(ws), problem);
    if (problem.empty()) {
        EXPECT_FALSE(dxf.empty());
        expectNoNonFinite(dxf, "the DXF file");
    }
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(HostileModelFile, BodyWhoseLastCornerDoesNotCloseItIsRefused)
{
    // Found by the model-file fuzzer: an outline whose stored last corner is
    // not its first was loaded open, and calculated and edited as another shape.
    Workspace ws;
    ws.model.NumStations = 2;
    ws.model.StationX[1] = 0;
    ws.model.StationX[2] = 10;
    ws.model.NumBodies = 1;
    test::setBody(ws.model, 1, {{2, 1}, {4, 1}, {3, 2}});
    ws.model.RecalculateModel();
    std::string good = modelBytes(ws);
    ASSERT_TRUE(loadModelBytes(ws, good).message().empty());

    // The closing copy (the last pair of records) moved to x = 5.
    std::string open = good;
    open.replace(open.size() - 12, 6, rec(5));
    Workspace target;
    test::fullModel(target);
    const std::string before = modelBytes(target);
    const std::string reason = loadModelBytes(target, open).message();
    EXPECT_EQ(reason, "body 1 is not closed: its last corner does not repeat its first");
    EXPECT_EQ(modelBytes(target), before);
    EXPECT_EQ(check::modelViolation(target), "");
}

// A Sidero model: 13 header records, no stations, then the bodies (each
// with its stored corners, closing copy included).
std::string sideroFile(double top, double bottom,
                       const std::vector<std::vector<std::pair<double, double>>>& bodies)
{
    std::string b = rec(static_cast<double>(bodies.size())) + rec(0);
    for (int i = 3; i <= 9; ++i)
        b += rec(i);
    b += rec(top) + rec(bottom) + rec(0) + rec(1);
    for (const auto& corners : bodies) {
        b += rec(static_cast<double>(corners.size())) + rec(0.02) + rec(100) + rec(0) + rec(0) + rec(0);
        for (auto [x, z] : corners)
            b += rec(x) + rec(z);
    }
    return b;
}

TEST(HostileSideroModel, OpenOutlinesAndUnusableSectionsFoundByTheFuzzer)
{
    Workspace ws;
    test::setStations(ws.model, 11, 0, 10);
    ws.model.NumBodies = 1;
    test::setBody(ws.model, 1, {{4, 1}, {6, 1}, {5, 2}});
    ws.model.RecalculateModel();
    const std::string before = modelBytes(ws);

    // The second body's last corner is not its first: refused as a whole.
    const std::string open = sideroFile(0, 10, {{{1, 1}, {2, 1}, {2, 2}, {1, 1}},
                                                {{3, 1}, {4, 1}, {4, 2}, {3, 1.5}}});
    EXPECT_EQ(importSideroModel(ws, open, "open.mod").message(),
              "\"open.mod\" is not a Sidero model that can be imported: body 2 is not closed: "
              "its last corner does not repeat its first.");
    EXPECT_EQ(modelBytes(ws), before);

    // A top so deep that 100 more is the same number: the start-up section.
    const std::string deep = sideroFile(1.7e38, 0, {{{1, 1}, {2, 1}, {2, 2}, {1, 1}}});
    EXPECT_EQ(importSideroModel(ws, deep, "deep.mod").message(), "");
    EXPECT_EQ(ws.display.ViewDepthMin, 0);
    EXPECT_EQ(ws.display.ViewDepthMax, 100);
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(HostileModelFile, TruncationAtEveryRecordIsRefusedAndLeavesTheModel)
{
    Workspace source;
    source.model.NumStations = 3;
    for (int i = 1; i <= 3; ++i)
        source.model.StationX[i] = i;
    source.model.NumBodies = 2;
    test::setBody(source.model, 1, {{0, 1}, {1, 1}, {1, 2}});
    test::setBody(source.model, 2, {{2, 1}, {3, 1}, {3, 2}, {2, 2}});
    const std::string whole = modelBytes(source);

    Workspace ws;
    test::fullModel(ws);
    const std::string before = modelBytes(ws);
    for (std::size_t n = 0; n < whole.size(); n += 3) {
        EXPECT_FALSE(loadModelBytes(ws, std::string_view(whole).substr(0, n)).message().empty()) << n;
        ASSERT_EQ(modelBytes(ws), before) << "cut at byte " << n;
    }
    EXPECT_TRUE(loadModelBytes(ws, whole).message().empty());
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(HostileModelFile, CountsAndValuesAtTheEdgesOfSixByteReals)
{
    // Counts beyond the limits, fractional, negative and huge; the largest
    // reals for positions and densities.
    const double big = 1.7e38;
    for (double bodies : {-1.0, 52.0, 51.6, big})
        for (double stations : {0.0, 4097.0, -3.0, big}) {
            Workspace ws;
            std::string bytes = rec(bodies) + rec(stations);
            for (int i = 0; i < 7; ++i)
                bytes += rec(1);
            EXPECT_FALSE(loadModelBytes(ws, bytes + std::string(600, '\x81')).message().empty());
        }

    // Sound counts, absurd values: loaded or refused, never a NaN.
    Workspace ws;
    std::string bytes = rec(1) + rec(2) + rec(big) + rec(-big) + rec(big) + rec(-big) + rec(1) +
                        rec(1) + rec(1);
    bytes += rec(-big) + rec(big) + rec(big) + rec(-big);
    bytes += rec(4) + rec(big) + rec(big) + rec(big);
    bytes += rec(-big) + rec(big) + rec(big) + rec(1e-38) + rec(0) + rec(big) + rec(-big) + rec(big);
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");
    // The top and bottom of the section were 1.7e38 and -1.7e38: the
    // start-up section rather than an empty one.
    EXPECT_EQ(ws.display.ViewDepthMin, 0);
    EXPECT_EQ(ws.display.ViewDepthMax, 100);
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(HostileInputFiles, BinaryAndHugeTextsAreRefusedOrReadSoundly)
{
    // Each text read as a body file, a borehole file and a Sidero model, with
    // the message each reader must give ("" when it reads the text). The body
    // files carry their two heading lines, so that each is judged by what
    // follows them.
    const std::string heading = "Bodies keyed in by hand\n(two free lines)\n";
    const std::string bodyEnds = "The body file \"hostile.txt\" ends after line ";
    const std::string bodyLine = "of the body file \"hostile.txt\" does not hold the expected ";
    const std::string notSidero = "\"hostile.txt\" is not a Sidero model that can be imported: ";
    const std::string shortSidero = notSidero + "it is shorter than the 13 records that begin every Sidero model.";
    const std::string noRows =
        "The borehole file \"hostile.txt\" holds no data rows (a position and a depth from line 4 on); "
        "no borehole was added.";
    struct Case {
        std::string text, body, borehole, sidero;
    };
    const Case cases[] = {
        {std::string(), bodyEnds + "0, before all its bodies are read.", "The borehole file \"hostile.txt\" is empty.",
         shortSidero},
        // Refused as a borehole without rows, read as a Sidero model of no bodies
        // (the first six bytes of each of these texts round to a count of 0).
        {std::string(100000, '\0'), bodyEnds + "1, before all its bodies are read.", noRows, ""},
        {std::string(5000, '\n'), "Line 3 " + bodyLine + "whole number of bodies from column 16.", noRows, ""},
        {std::string(20000, '9'), bodyEnds + "1, before all its bodies are read.", noRows, ""},
        {heading + "No. of bodies  51\n" + std::string(100, 'x'), InvalidBodiesText, noRows, ""},
        {heading + "No. of bodies  1e999\nDensity 1\n",
         "Line 3 " + bodyLine + "whole number of bodies from column 16.", noRows, shortSidero},
        {heading + "No. of bodies  1\nDensity        nan\nNo. of corners 3\nCorner 1       0 1\n"
                   "Corner 2       1 1\nCorner 3       0 2\n",
         "Line 4 " + bodyLine + "density contrast from column 16.", noRows, ""},
        // Read: numbers at the edge of the reals, and a body that is a point.
        {heading + "No. of bodies  1\nDensity        0.1\nNo. of corners 3\nCorner 1       1e308 1\n"
                   "Corner 2       -1e308 1\nCorner 3       0 1e308\n",
         "", noRows, ""},
        {heading + "No. of bodies  1\nDensity        0.1\nNo. of corners 3\nCorner 1       5 1\n"
                   "Corner 2       5 1\nCorner 3       5 1\n",
         "", noRows, ""},
        {slurp(dataDir / "field_profile.dta"), "Line 3 " + bodyLine + "whole number of bodies from column 16.",
         "Line 11 of the borehole file \"hostile.txt\" holds a position but no depth.", ""},
        {slurp(dataDir / "one_body_100_stations.mod"), "Line 3 " + bodyLine + "whole number of bodies from column 16.",
         noRows, notSidero + "it ends before the corners of body 1 are complete."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        Workspace ws;
        test::fullModel(ws);
        ws.model.NumBodies = 3;
        ws.model.RecalculateModel();
        const std::string before = modelBytes(ws);
        EXPECT_EQ(readBodyFile(ws, c.text, "hostile.txt").message(), c.body);
        if (c.body.empty()) {
            // Appended, with an anomaly that is a number at every station.
            ASSERT_EQ(ws.model.NumBodies, 4);
            for (int i = 1; i <= ws.model.NumStations; ++i)
                ASSERT_TRUE(std::isfinite(ws.model.Bodies[4].Gravity[i])) << i;
        } else {
            EXPECT_EQ(modelBytes(ws), before);
        }
        EXPECT_EQ(readBoreholeFile(ws, c.text, "hostile.txt").message(), c.borehole);
        EXPECT_EQ(importSideroModel(ws, c.text, "hostile.txt").message(), c.sidero);
        EXPECT_EQ(check::modelViolation(ws), "");
    }
}

TEST(ExtremeModels, FullModelSavesLoadsAndDrawsWithEveryOutput)
{
    QTemporaryDir dir;
    Workspace ws;
    test::fullModel(ws);
    ASSERT_EQ(check::modelViolation(ws), "");
    const std::string path = dir.filePath("full.mod").toStdString();
    ASSERT_EQ(saveModelFile(ws, path).message(), "");
    const std::string saved = slurp(path);
    EXPECT_EQ(saved.size(), 6u * (9 + 2 * MaxStations + MaxBodies * (4 + 2 * MaxCorners)));

    Workspace again;
    ASSERT_EQ(loadModelFile(again, path).message(), "");
    EXPECT_EQ(modelBytes(again), saved);
    EXPECT_EQ(again.model.NumBodies, MaxBodies);
    for (int i = 1; i <= MaxStations; i += 511)
        EXPECT_NEAR(again.model.CalculatedGravity[i], ws.model.CalculatedGravity[i],
                    1e-9 * (1 + std::fabs(ws.model.CalculatedGravity[i])));
    expectAllOutputsSound(again);

    // A full model takes no more bodies and no more boreholes than it can
    // hold; the body file itself is sound, as a model with room shows.
    const std::string body =
        "One body\n(two free lines)\nNo. of bodies  1\nDensity        0.1\nNo. of corners 3\n"
        "Corner 1       1 1\nCorner 2       2 1\nCorner 3       1 2\n";
    const std::string hole = "BH\n\n\n1 0\n1 5\n";
    again.model.NumHoles = MaxHoles;
    const std::string before = modelBytes(again);
    EXPECT_EQ(readBodyFile(again, body, "one.bod").message(), InvalidBodiesText);
    EXPECT_EQ(readBoreholeFile(again, hole, "bh.hol").message(), TooManyBoreholesText);
    EXPECT_EQ(modelBytes(again), before);
    EXPECT_EQ(check::modelViolation(again), "");
    again.model.NumBodies = MaxBodies - 1;
    again.model.NumHoles = MaxHoles - 1;
    EXPECT_EQ(readBodyFile(again, body, "one.bod").message(), "");
    EXPECT_EQ(again.model.NumBodies, MaxBodies);
    EXPECT_EQ(readBoreholeFile(again, hole, "bh.hol").message(), "");
    EXPECT_EQ(again.model.NumHoles, MaxHoles);
}

TEST(ExtremeModels, DegenerateBodiesAndProfiles)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> corners;
        int stations;
        bool flatData;
    };
    const Case cases[] = {
        {"all corners on one point", {{5, 2}, {5, 2}, {5, 2}}, 50, false},
        {"zero area, corners on a line", {{2, 1}, {5, 1}, {8, 1}, {5, 1}}, 50, false},
        {"corner on a station at the depth limit", {{5, MinDepth}, {6, MinDepth}, {5, 1}}, 50, false},
        {"single station", {{2, 1}, {4, 1}, {3, 2}}, 1, false},
        {"single station under a point body", {{0, 1}, {0, 1}, {0, 1}}, 1, false},
        {"all observed anomalies equal", {{2, 1}, {4, 1}, {3, 2}}, 50, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, c.stations, 0, 10);
        for (int i = 1; i <= m.NumStations; ++i)
            m.ObservedGravity[i] = c.flatData ? 3.25 : 0.1 * i;
        m.NumBodies = 2;
        test::setBody(m, 1, c.corners, 0.3, 10, 10);
        test::setBody(m, 2, c.corners, -0.3, 0, 0);   // no strike length at all
        m.ModelExists = true;
        m.RecalculateModel();
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 10;
        ASSERT_EQ(check::modelViolation(ws), "");
        // Equal and opposite bodies with a point outline add nothing.
        if (std::string(c.name).find("point") != std::string::npos) {
            for (int i = 1; i <= m.NumStations; ++i)
                EXPECT_EQ(m.Bodies[1].Gravity[i], 0) << i;
        }

        const std::string bytes = modelBytes(ws);
        Workspace again;
        ASSERT_EQ(loadModelBytes(again, bytes).message(), "");
        EXPECT_EQ(modelBytes(again), bytes);
        expectAllOutputsSound(again);
    }
}

TEST(FileFaults, SaveIntoAPlaceThatCannotBeWrittenLeavesNothingBehind)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    spit(root / "plain", "I am a file, not a folder");
    Workspace ws;
    test::fullModel(ws);
    ws.model.NumStations = 10;
    ws.model.NumBodies = 2;
    ws.model.RecalculateModel();

    // The parent of the target is a regular file: no write can succeed, even as root.
    for (const fs::path& target : {root / "plain" / "model.mod", root / "missing" / "model.mod"}) {
        const std::string message = saveModelFile(ws, target.string()).message();
        EXPECT_NE(message, "");
        EXPECT_NE(message.find(target.string()), std::string::npos) << message;
        EXPECT_FALSE(fs::exists(target));
        EXPECT_NE(WriteHPGL(ws, target.string()).message(), "");
        EXPECT_NE(WriteDXF(ws, target.string()).message(), "");
        EXPECT_NE(writeReportFile(ws.model, target.string()).message(), "");
    }
    EXPECT_EQ(slurp(root / "plain"), "I am a file, not a folder");

    // The target is a folder: refused, the folder and its contents untouched.
    fs::create_directory(root / "folder.mod");
    spit(root / "folder.mod" / "inside", "keep");
    EXPECT_NE(saveModelFile(ws, (root / "folder.mod").string()).message(), "");
    EXPECT_EQ(slurp(root / "folder.mod" / "inside"), "keep");

    // Only the two files made here remain: no temporary left over.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(root))
        ++entries;
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(check::modelViolation(ws), "");
}

TEST(FileFaults, UnsaveableModelKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("keep.mod").toStdString();
    Workspace ws;
    test::fullModel(ws);
    ws.model.NumStations = 20;
    ws.model.NumBodies = 3;
    ASSERT_EQ(saveModelFile(ws, path).message(), "");
    const std::string previous = slurp(path);

    // A value a six-byte real cannot hold: the save is refused before the file is touched.
    ws.model.Bodies[2].Density = 1e300;
    const std::string message = saveModelFile(ws, path).message();
    EXPECT_NE(message, "");
    EXPECT_EQ(slurp(path), previous);
}

TEST(FileFaults, FileThatVanishesOrCannotBeReadLeavesTheModel)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    Workspace ws;
    test::fullModel(ws);
    ws.model.NumStations = 30;
    ws.model.NumBodies = 4;
    ws.model.RecalculateModel();
    const std::string path = (root / "gone.mod").string();
    ASSERT_EQ(saveModelFile(ws, path).message(), "");
    fs::remove(path);
    const std::string before = modelBytes(ws);

    EXPECT_NE(loadModelFile(ws, path).message(), "");
    EXPECT_NE(readBodyFileAt(ws, path).message(), "");
    EXPECT_NE(readBoreholeFileAt(ws, path).message(), "");
    EXPECT_EQ(importSideroFile(ws, path).message(), InaccessibleText);
    // A folder in place of the file: the read fails half way.
    fs::create_directory(path);
    EXPECT_NE(loadModelFile(ws, path).message(), "");
    EXPECT_NE(readBodyFileAt(ws, path).message(), "");
    EXPECT_EQ(importSideroFile(ws, path).message(), InaccessibleText);
    EXPECT_EQ(modelBytes(ws), before);
    EXPECT_EQ(ws.model.NumHoles, 0);
    EXPECT_EQ(check::modelViolation(ws), "");
}

}  // namespace
