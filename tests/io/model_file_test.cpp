#include "io/model_file.h"
#include "io/real48.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using namespace corvane;
using corvane::test::slurp;
using corvane::test::spit;

namespace {

const fs::path dataDir = CORVANE_TEST_DATA;
const fs::path examplesDir = dataDir / ".." / ".." / "examples";

std::string rec(double v) { const auto r = encodeReal48(v).value(); return std::string(r.begin(), r.end()); }

Real48 recordAt(const std::string& bytes, std::size_t index)   // 1-based record number
{
    Real48 r{};
    for (std::size_t i = 0; i < 6; ++i)
        r[i] = static_cast<std::uint8_t>(bytes.at((index - 1) * 6 + i));
    return r;
}

std::string save(const Workspace& ws)
{
    auto bytes = modelFileBytes(ws);
    EXPECT_TRUE(bytes) << bytes.message();
    return bytes.value_or("");
}

// --- The generator of the model files kept in tests/data and examples/. ---

// One body of four distinct corners under a profile of 100 stations, in km,
// with observed data: the 1338-byte file.
void oneBodyModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 100, 0, 99);
    for (int i = 1; i <= 100; ++i)
        m.ObservedGravity[i] = 2.0 * std::exp(-((i - 50.0) * (i - 50.0)) / 200.0);
    m.NumBodies = 1;
    test::setBody(m, 1, {{40, 2}, {60, 2}, {60, 6}, {40, 6}}, 0.25, 100, 100);
    ws.display.GridStepX = 10;
    ws.display.GridStepZ = 5;
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 20;
    m.RecalculateModel();
}

// Two bodies in metres without field data.
void metresModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 21, 0, 2000);
    m.HaveObserved = false;
    m.UnitsKm = false;
    m.NumBodies = 2;
    test::setBody(m, 1, {{500, 100}, {900, 100}, {800, 400}}, -0.3, 5000, 5000);
    test::setBody(m, 2, {{1000, 50}, {1500, 50}, {1500, 300}, {1250, 350}, {1000, 300}}, 0.45,
                  3000, 2000);
    ws.display.GridStepX = 100;
    ws.display.GridStepZ = 50;
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 1000;
    m.RecalculateModel();
}

// A sedimentary basin over a granite pluton: 81 stations at 0.5 km, observed
// anomaly computed from a "true" section plus a little noise and a regional
// gradient, the model a first interpretation that does not fit exactly.
void basinExample(Workspace& ws)
{
    Workspace truth;
    Model& t = truth.model;
    test::setStations(t, 81, 0, 40);
    t.NumBodies = 3;
    test::setBody(t, 1, {{6, 0.05}, {18, 0.05}, {15.5, 2.4}, {11, 3.1}, {8, 1.8}}, -0.35, 30, 30);
    test::setBody(t, 2, {{24, 4}, {31, 3.5}, {33, 9}, {28, 12}, {23, 9}}, -0.12, 25, 25);
    test::setBody(t, 3, {{0, 14}, {40, 14}, {40, 18}, {0, 18}}, 0.05, 60, 60);
    t.RecalculateModel();

    Model& m = ws.model;
    test::setStations(m, 81, 0, 40);
    unsigned noise = 12345;
    for (int i = 1; i <= 81; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double jitter = (static_cast<double>((noise >> 16) % 1000) / 1000.0 - 0.5) * 0.3;
        m.ObservedGravity[i] = std::round((t.CalculatedGravity[i] + 0.05 * m.StationX[i] + jitter) * 100) / 100;
    }
    m.NumBodies = 3;
    test::setBody(m, 1, {{6.5, 0.05}, {17.5, 0.05}, {15, 2}, {11, 2.8}, {8, 1.5}}, -0.3, 30, 30);
    test::setBody(m, 2, {{24, 4.5}, {31, 4}, {32, 9}, {27.5, 11}, {23.5, 9}}, -0.1, 25, 25);
    test::setBody(m, 3, {{0, 14}, {40, 14}, {40, 18}, {0, 18}}, 0.05, 60, 60);
    ws.display.GridStepX = 5;
    ws.display.GridStepZ = 2;
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 20;
    m.RecalculateModel();
}

struct Generated {
    fs::path path;
    std::function<void(Workspace&)> build;
};

const std::vector<Generated>& generatedFiles()
{
    static const std::vector<Generated> files = {
        {dataDir / "one_body_100_stations.mod", oneBodyModel},
        {dataDir / "metres_no_field_data.mod", metresModel},
        {examplesDir / "basin.mod", basinExample},
    };
    return files;
}

// A snapshot of everything a load may change, to prove a refused load changed nothing.
std::string snapshot(const Workspace& ws)
{
    const Model& m = ws.model;
    std::string s = save(ws);
    for (int i = 1; i <= m.NumStations; ++i)
        s += rec(m.CalculatedGravity[i]);
    for (int b = 1; b <= MaxBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        s += rec(body.XPosMin) + rec(body.XPosMax) + (body.Hidden ? "H" : "-") +
             (body.InvertDensity ? "I" : "-") + (body.Linked[2] ? "L" : "-");
    }
    const Display& d = ws.display;
    s += rec(d.ViewXMin) + rec(d.ViewXMax) + rec(d.DepthTickStep) + rec(d.GravityTickStep);
    s += std::to_string(d.ModelLoaded) + std::to_string(m.ModelExists) +
         std::to_string(d.ShowIndividual) + std::to_string(ws.inversion.InversionBody) + ws.app.ModelFileName;
    return s;
}

}  // namespace

// Run with CORVANE_WRITE_TEST_DATA=1 to rewrite the files after a deliberate
// change of the format; otherwise the files on disk must match the generator.
TEST(ModelFile, KeptFilesMatchTheirGenerator)
{
    const bool write = std::getenv("CORVANE_WRITE_TEST_DATA") != nullptr;
    for (const auto& g : generatedFiles()) {
        Workspace ws;
        g.build(ws);
        if (write) {
            ASSERT_EQ(saveModelFile(ws, g.path.string()).message(), "");
        }
        EXPECT_EQ(slurp(g.path), save(ws)) << g.path;
    }
}

TEST(ModelFile, RecordLayoutByteForByte)
{
    Workspace ws;
    oneBodyModel(ws);
    const std::string bytes = save(ws);
    ASSERT_EQ(bytes.size(), 1338u);   // 6 * (9 + 2 * 100 + 4 + 2 * 5)

    EXPECT_EQ(recordAt(bytes, 1), (Real48{0x81, 0, 0, 0, 0, 0x00}));   // 1 body
    EXPECT_EQ(recordAt(bytes, 2), (Real48{0x87, 0, 0, 0, 0, 0x48}));   // 100 stations
    EXPECT_EQ(recordAt(bytes, 3), (Real48{0x84, 0, 0, 0, 0, 0x20}));   // grid x 10
    EXPECT_EQ(decodeReal48(recordAt(bytes, 4)), 5.0);
    EXPECT_EQ(recordAt(bytes, 5), Real48{});                          // top 0
    EXPECT_EQ(decodeReal48(recordAt(bytes, 6)), 20.0);
    EXPECT_EQ(recordAt(bytes, 7), (Real48{0x81, 0, 0, 0, 0, 0x00}));   // km
    EXPECT_EQ(recordAt(bytes, 8), (Real48{0x81, 0, 0, 0, 0, 0x00}));   // field data
    EXPECT_EQ(recordAt(bytes, 9), (Real48{0x81, 0, 0, 0, 0, 0x00}));   // constant
    // Stations: position then observed value.
    EXPECT_EQ(decodeReal48(recordAt(bytes, 10)), 0.0);
    EXPECT_EQ(decodeReal48(recordAt(bytes, 11)), decodeReal48(encodeReal48(ws.model.ObservedGravity[1]).value()));
    EXPECT_EQ(decodeReal48(recordAt(bytes, 9 + 2 * 50 - 1)), 49.0);
    EXPECT_EQ(decodeReal48(recordAt(bytes, 9 + 2 * 50)), 2.0);   // the peak of the data
    // The body: stored count 5 (closing copy included), density, strike lengths, corners.
    const std::size_t b = 9 + 200 + 1;
    EXPECT_EQ(recordAt(bytes, b), (Real48{0x83, 0, 0, 0, 0, 0x20}));
    EXPECT_EQ(decodeReal48(recordAt(bytes, b + 1)), 0.25);
    EXPECT_EQ(decodeReal48(recordAt(bytes, b + 2)), 100.0);
    EXPECT_EQ(decodeReal48(recordAt(bytes, b + 3)), 100.0);
    const double corners[] = {40, 2, 60, 2, 60, 6, 40, 6, 40, 2};
    for (std::size_t k = 0; k < 10; ++k)
        EXPECT_EQ(decodeReal48(recordAt(bytes, b + 4 + k)), corners[k]) << k;
}

TEST(ModelFile, MetresAndNoFieldDataFlags)
{
    Workspace ws;
    metresModel(ws);
    // Whatever the model holds as observed values is written, flag or not.
    ws.model.ObservedGravity[3] = 0;
    const std::string bytes = save(ws);
    EXPECT_EQ(bytes.size(), 6u * (9 + 2 * 21 + (4 + 2 * 4) + (4 + 2 * 6)));
    EXPECT_EQ(recordAt(bytes, 7), Real48{});
    EXPECT_EQ(recordAt(bytes, 8), (Real48{0x81, 0, 0, 0, 0, 0x80}));
    for (int i = 1; i <= 21; ++i)
        EXPECT_EQ(recordAt(bytes, 9 + 2 * static_cast<std::size_t>(i)), Real48{}) << i;

    Workspace back;
    ASSERT_EQ(loadModelBytes(back, bytes).message(), "");
    EXPECT_FALSE(back.model.UnitsKm);
    EXPECT_FALSE(back.model.HaveObserved);
    // Only values above zero set the flags.
    std::string flags = bytes;
    flags.replace(6 * 6, 6, rec(-1));
    flags.replace(7 * 6, 6, rec(0));
    Workspace other;
    ASSERT_EQ(loadModelBytes(other, flags).message(), "");
    EXPECT_FALSE(other.model.UnitsKm);
    EXPECT_FALSE(other.model.HaveObserved);
    flags.replace(6 * 6, 6, rec(0.5));
    flags.replace(7 * 6, 6, rec(2));
    ASSERT_EQ(loadModelBytes(other, flags).message(), "");
    EXPECT_TRUE(other.model.UnitsKm);
    EXPECT_TRUE(other.model.HaveObserved);
}

TEST(ModelFile, LoadRebuildsTheModelAndTheView)
{
    Workspace src;
    metresModel(src);
    src.model.HaveObserved = true;
    for (int i = 1; i <= 21; ++i)
        src.model.ObservedGravity[i] = 0.5 * i - 3;   // -2.5 .. 7.5
    std::string bytes = save(src);
    // Another program moved a corner of body 2 (the file holds no anomaly to
    // trust) and wrote the body count as 2.4.
    bytes.replace(0, 6, rec(2.4));
    const std::size_t body2 = 9 + 42 + 4 + 8;   // records before body 2
    bytes.replace((body2 + 4 + 2) * 6, 6, rec(1600));   // CornerX[2]

    Workspace ws;
    Model& m = ws.model;
    // Leftovers in the slots the load fills, and a current body beyond the new model.
    test::setBody(m, 2, test::unitRectangle);
    m.Bodies[1].Hidden = true;
    m.Bodies[2].Linked[2] = true;
    m.Bodies[2].LinkBody[2] = 1;
    m.Bodies[2].LinkCorner[2] = 3;
    m.Bodies[2].InvertDepth = true;
    m.Bodies[2].CornerInvertX[6] = true;
    m.CurrentBody = 7;
    ws.inversion.InversionBody = 4;
    ws.display.ShowIndividual = true;
    ws.display.Zoomed = true;
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");

    EXPECT_EQ(m.NumBodies, 2);
    EXPECT_EQ(m.NumStations, 21);
    EXPECT_EQ(m.CurrentBody, 1);
    EXPECT_EQ(ws.inversion.InversionBody, 1);
    EXPECT_EQ(m.StationX[21], 2000.0);
    EXPECT_EQ(m.ObservedGravity[21], 7.5);
    EXPECT_EQ(m.Bodies[2].CornerX[2], 1600.0);
    EXPECT_EQ(m.Bodies[2].NumCorners, 6);
    for (int b = 1; b <= 2; ++b) {
        EXPECT_FALSE(m.Bodies[b].Hidden);
        EXPECT_FALSE(m.Bodies[b].InvertDepth);
        for (int k = 1; k <= MaxCorners; ++k) {
            EXPECT_FALSE(m.Bodies[b].Linked[k]);
            EXPECT_EQ(m.Bodies[b].LinkBody[k], 0);
            EXPECT_FALSE(m.Bodies[b].CornerInvertX[k]);
        }
    }
    for (int b = 1; b <= MaxBodies; ++b) {
        EXPECT_EQ(m.Bodies[b].XPosMin, 0.0);
        EXPECT_EQ(m.Bodies[b].XPosMax, 2000.0);
    }

    // The anomalies follow the corners that were read, not the source model's.
    Workspace ref;
    metresModel(ref);
    ref.model.Bodies[2].CornerX[2] = 1600;
    ref.model.RecalculateModel();
    double hi = -1e8, lo = 1e8;
    for (int i = 1; i <= 21; ++i) {
        EXPECT_NEAR(m.CalculatedGravity[i], ref.model.CalculatedGravity[i], 1e-9) << i;
        EXPECT_NEAR(m.Bodies[2].Gravity[i], ref.model.Bodies[2].Gravity[i], 1e-9) << i;
        hi = std::max({hi, m.CalculatedGravity[i], m.ObservedGravity[i]});
        lo = std::min({lo, m.CalculatedGravity[i], m.ObservedGravity[i]});
    }
    EXPECT_NE(m.Bodies[2].Gravity[11], src.model.Bodies[2].Gravity[11]);

    const Display& d = ws.display;
    EXPECT_EQ(d.ViewXMin, 0.0);
    EXPECT_EQ(d.ViewXMax, 2000.0);
    EXPECT_EQ(d.ViewDepthMin, 0.0);
    EXPECT_EQ(d.ViewDepthMax, 1000.0);
    EXPECT_EQ(d.GridStepX, 100.0);
    EXPECT_EQ(d.GridStepZ, 50.0);
    EXPECT_EQ(d.DepthTickStep, 250.0);
    // A quarter of the anomaly range, 2.5 mGal, rounded down to a round step.
    EXPECT_DOUBLE_EQ((hi - lo) * 0.25, 2.5);
    EXPECT_EQ(d.GravityTickStep, 2.0);
    EXPECT_TRUE(d.ModelLoaded);
    EXPECT_TRUE(m.ModelExists);
    EXPECT_FALSE(d.ShowIndividual);
    EXPECT_FALSE(d.Zoomed);
}

TEST(ModelFile, CountsAreRoundedToTheNearestWholeNumber)
{
    Workspace src;
    metresModel(src);
    std::string bytes = save(src);
    Workspace ws;
    bytes.replace(0, 6, rec(2.6));   // 3 bodies announced ...
    Workspace third;
    test::setBody(third.model, 1, test::unitRectangle, 0.2, 10, 10);
    third.model.NumBodies = 1;
    third.model.NumStations = 1;
    std::string extra = save(third).substr(6 * (9 + 2));   // ... and a third body appended
    ASSERT_EQ(loadModelBytes(ws, bytes + extra).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 3);
    EXPECT_NEAR(ws.model.Bodies[3].Density, 0.2, 1e-12);

    bytes = save(src);
    bytes.replace(0, 6, rec(2.5));   // halves to even: 2
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 2);
    bytes.replace(0, 6, rec(1.5));   // halves to even: 2
    ASSERT_EQ(loadModelBytes(ws, bytes).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 2);
}

TEST(ModelFile, SaveLoadSaveGivesTheSameBytes)
{
    for (const auto& g : generatedFiles()) {
        Workspace a;
        g.build(a);
        // Values that the file rounds to 39 bits round the same way again.
        a.model.ObservedGravity[2] = 0.1;
        a.model.StationX[1] = -1.0 / 3.0;
        const std::string first = save(a);
        Workspace b;
        ASSERT_EQ(loadModelBytes(b, first).message(), "");
        EXPECT_EQ(save(b), first) << g.path;
    }
    // The kept files load and save to themselves.
    for (const auto& g : generatedFiles()) {
        const std::string kept = slurp(g.path);
        Workspace ws;
        ASSERT_EQ(loadModelBytes(ws, kept).message(), "") << g.path;
        EXPECT_EQ(save(ws), kept) << g.path;
    }
}

TEST(ModelFile, TrailingBytesAreIgnored)
{
    Workspace src;
    oneBodyModel(src);
    const std::string bytes = save(src);
    Workspace ws;
    ASSERT_EQ(loadModelBytes(ws, bytes + std::string(6 * 3 + 4, '\x7f')).message(), "");
    EXPECT_EQ(save(ws), bytes);
}

TEST(ModelFile, BadFilesLeaveTheModelUntouched)
{
    Workspace src;
    metresModel(src);
    const std::string good = save(src);
    const std::size_t body1 = 9 + 42;   // records before body 1
    auto with = [&](std::size_t record, double v, std::size_t cut = 0) {
        std::string b = good;
        if (record > 0)
            b.replace((record - 1) * 6, 6, rec(v));
        if (cut > 0)
            b.resize(b.size() - cut);
        return b;
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* says;
    } bad[] = {
        {"empty", "", "shorter than the 9 records"},
        {"header cut", good.substr(0, 6 * 8 + 5), "shorter than the 9 records"},
        {"stations cut", good.substr(0, 6 * 30), "stations are complete"},
        {"body cut", good.substr(0, 6 * (body1 + 3)), "body 1 are complete"},
        {"corners cut", with(0, 0, 6), "corners of body 2"},
        {"odd length", with(0, 0, 1), "corners of body 2"},
        {"negative bodies", with(1, -1), "-1 bodies"},
        {"52 bodies", with(1, 52), "52 bodies"},
        {"huge bodies", with(1, 1e30), "bodies"},
        {"no stations", with(2, 0), "0 stations"},
        {"negative stations", with(2, -5), "-5 stations"},
        {"4097 stations", with(2, 4097), "4097 stations"},
        {"52 corners", with(body1 + 1, 52), "body 1 announces 52 stored corners"},
        {"2 corners", with(body1 + 1, 2), "body 1 announces 2 stored corners"},
        {"negative corners", with(body1 + 1, -8), "body 1"},
        {"more stations than data", with(2, 4000), "stations are complete"},
    };

    Workspace ws;
    oneBodyModel(ws);
    ws.model.Bodies[1].Hidden = true;
    ws.model.Bodies[2].Linked[2] = true;
    ws.app.ModelFileName = "/home/user/old.mod";
    ws.display.ShowIndividual = true;
    const std::string before = snapshot(ws);
    for (const auto& b : bad) {
        const std::string reason = loadModelBytes(ws, b.bytes).message();
        EXPECT_NE(reason.find(b.says), std::string::npos) << b.what << ": " << reason;
        EXPECT_TRUE(snapshot(ws) == before) << b.what;
    }
}

TEST(ModelFile, FilesOnDisk)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    Workspace ws;
    oneBodyModel(ws);
    const std::string path = (dir / "model.mod").string();
    ASSERT_EQ(saveModelFile(ws, path).message(), "");
    EXPECT_EQ(slurp(path), save(ws));
    // Saving does not change the remembered name; loading does.
    EXPECT_EQ(ws.app.ModelFileName, "");
    Workspace back;
    ASSERT_EQ(loadModelFile(back, path).message(), "");
    EXPECT_EQ(back.app.ModelFileName, path);

    // A long name is remembered cut to 80 characters, never inside a character.
    const std::string accented = (dir / (std::string(80 - dir.string().size() - 2, 'b') + "\xC3\xA9\xC3\xA9.mod")).string();
    spit(accented, save(ws));
    ASSERT_EQ(loadModelFile(back, accented).message(), "");
    EXPECT_EQ(back.app.ModelFileName, accented.substr(0, 81));   // 79 ASCII + one two-byte letter

    // A model the file cannot hold is refused, and the old file stays as it was.
    const std::string old = slurp(path);
    ws.model.Bodies[1].Density = 1e39;
    const std::string err = saveModelFile(ws, path).message();
    EXPECT_NE(err.find(path), std::string::npos) << err;
    EXPECT_NE(err.find("density contrast of body 1"), std::string::npos) << err;
    EXPECT_EQ(slurp(path), old);
    ws.model.Bodies[1].Density = std::nan("");
    EXPECT_NE(saveModelFile(ws, path).message(), "");
    EXPECT_EQ(slurp(path), old);
    ws.model.Bodies[1].Density = 0.25;

    // A body of two distinct corners, the smallest "Add a body" closes, goes
    // to the file and comes back; fewer corners the editor cannot make.
    test::setBody(ws.model, 1, {{40, 2}, {60, 6}}, 0.25, 100, 100);
    ws.model.RecalculateModel();
    const std::string two = (dir / "two.mod").string();
    ASSERT_EQ(saveModelFile(ws, two).message(), "");
    ASSERT_EQ(loadModelFile(back, two).message(), "");
    ASSERT_EQ(back.model.Bodies[1].NumCorners, 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(back.model.Bodies[1].CornerX[k], ws.model.Bodies[1].CornerX[k]);
        EXPECT_EQ(back.model.Bodies[1].CornerZ[k], ws.model.Bodies[1].CornerZ[k]);
    }
    EXPECT_EQ(slurp(two), save(back));
    ws.model.Bodies[1].NumCorners = 2;
    EXPECT_NE(saveModelFile(ws, path).message().find("body 1 has 1 corners; a body needs 2 to 50"), std::string::npos);
    EXPECT_EQ(slurp(path), old);
    oneBodyModel(ws);

    // A folder in the way, and a "folder" that is a file.
    fs::create_directory(dir / "taken.mod");
    EXPECT_NE(saveModelFile(ws, (dir / "taken.mod").string()).message(), "");
    EXPECT_NE(saveModelFile(ws, (dir / "model.mod" / "x.mod").string()).message(), "");
    EXPECT_EQ(slurp(path), old);

    // Load failures name the file and leave the model alone.
    const std::string before = snapshot(back);
    const std::string missing = (dir / "missing.mod").string();
    std::string e = loadModelFile(back, missing).message();
    EXPECT_NE(e.find(missing), std::string::npos) << e;
    spit(dir / "short.mod", old.substr(0, 100));
    e = loadModelFile(back, (dir / "short.mod").string()).message();
    EXPECT_NE(e.find((dir / "short.mod").string()), std::string::npos) << e;
    EXPECT_NE(e.find("stations are complete"), std::string::npos) << e;
    EXPECT_TRUE(snapshot(back) == before);
}

TEST(ModelFile, DegenerateViewsAreOpenedOnLoad)
{
    // A flat profile (no bodies, no data) and an empty depth range would give
    // zero axis steps and a section of no height.
    Workspace src;
    src.model.NumBodies = 0;
    src.model.HaveObserved = false;
    test::setStations(src.model, 10, 0, 9);
    src.display.ViewDepthMin = 5;
    src.display.ViewDepthMax = 5;
    Workspace ws;
    ASSERT_EQ(loadModelBytes(ws, save(src)).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 0);
    EXPECT_EQ(ws.display.ViewDepthMin, 5.0);
    EXPECT_EQ(ws.display.ViewDepthMax, 105.0);
    EXPECT_EQ(ws.display.DepthTickStep, 25.0);
    EXPECT_GT(ws.display.GravityTickStep, 0.0);
}

TEST(ModelFile, ExampleModelLoads)
{
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examplesDir / "basin.mod").string()).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 3);
    EXPECT_EQ(ws.model.NumStations, 81);
    EXPECT_TRUE(ws.model.HaveObserved);
    // A first interpretation: close to the data, but not a perfect fit.
    double misfit = 0;
    for (int i = 1; i <= 81; ++i)
        misfit += std::fabs(ws.model.CalculatedGravity[i] - ws.model.ObservedGravity[i]);
    EXPECT_GT(misfit / 81, 0.1);
    EXPECT_LT(misfit / 81, 5.0);
}
