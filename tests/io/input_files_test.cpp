#include "io/field_data.h"
#include "io/input_files.h"
#include "io/model_file.h"
#include "io/real48.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace corvane;

namespace {

const fs::path examplesDir = fs::path(CORVANE_TEST_DATA) / ".." / ".." / "examples";

std::string rec(double v)
{
    const auto r = encodeReal48(v).value();
    return std::string(r.begin(), r.end());
}

struct SideroBody {
    double n;   // stored corner count as written
    double property, strike;
    std::vector<std::pair<double, double>> corners;   // stored, closing copy included
};

// A Sidero model file: 13 header records, s station pairs, then the bodies.
std::string sidero(double m, double s, double top, double bottom, double unit,
                   const std::vector<SideroBody>& bodies)
{
    std::string b = rec(m) + rec(s);
    for (int i = 3; i <= 9; ++i)
        b += rec(1000 + i);   // meaning belongs to Sidero; must be skipped
    b += rec(top) + rec(bottom) + rec(-7) + rec(unit);
    for (int i = 0; i < std::fabs(s); ++i)
        b += rec(i * 10.0) + rec(50000 + i);
    for (const auto& body : bodies) {
        b += rec(body.n) + rec(body.property) + rec(body.strike) + rec(0.01) + rec(45) + rec(-3);
        for (auto [x, z] : body.corners)
            b += rec(x) + rec(z);
    }
    return b;
}

SideroBody square(double x0, double z0, double size, double property = 0.02, double strike = 2000)
{
    return {5, property, strike, {{x0, z0}, {x0 + size, z0}, {x0 + size, z0 + size}, {x0, z0 + size}, {x0, z0}}};
}

// A model of n identical simple bodies over 11 stations 0..10 km.
void modelWithBodies(Workspace& ws, int n)
{
    test::setStations(ws.model, 11, 0, 10);
    ws.model.NumBodies = n;
    for (int b = 1; b <= n; ++b)
        test::setBody(ws.model, b, {{4, 1}, {6, 1}, {6, 2}, {4, 2}}, 0.1, 10, 10);
    ws.model.RecalculateModel();
}

std::string snapshot(const Workspace& ws)
{
    const auto bytes = modelFileBytes(ws);
    std::string s = bytes.value_or("unsaveable " + bytes.message());
    for (int i = 1; i <= ws.model.NumStations; ++i)
        s += rec(ws.model.CalculatedGravity[i]);
    s += rec(ws.display.ViewDepthMin) + rec(ws.display.ViewDepthMax) + std::to_string(ws.model.NumHoles);
    for (int h = 1; h <= MaxHoles; ++h)
        s += ws.model.Holes[h].Name + std::to_string(ws.model.Holes[h].NumDepths);
    return s;
}

void expectTotalIsSumOfVisibleBodies(const Model& m)
{
    for (int i = 1; i <= m.NumStations; ++i) {
        double sum = 0;
        for (int b = 1; b <= m.NumBodies; ++b)
            if (!m.Bodies[b].Hidden)
                sum += m.Bodies[b].Gravity[i];
        EXPECT_NEAR(m.CalculatedGravity[i], sum, 1e-9) << i;
    }
}

}  // namespace

// ---------------------------------------------------------------- Sidero

TEST(SideroImport, AppendsBodiesInTheModelsUnit)
{
    Workspace ws;
    modelWithBodies(ws, 2);
    // A leftover in the slot the import fills.
    ws.model.Bodies[3].Hidden = true;
    ws.model.Bodies[3].Linked[1] = true;
    ws.model.Bodies[3].LinkBody[1] = 1;
    ws.model.Bodies[3].InvertAngle = true;

    // Metres into kilometres: corners and strike length divided by 1000.
    const auto file = sidero(-2, 3, 1.5, 12, 0,
                             {square(3000, 1000, 2000, 0.02, 5000), square(7000, 500, 500, -0.1, 800)});
    ASSERT_EQ(importSideroModel(ws, file, "a.mod").message(), "");
    const Model& m = ws.model;
    EXPECT_EQ(m.NumBodies, 4);
    const Tbody& b3 = m.Bodies[3];
    EXPECT_EQ(b3.NumCorners, 5);
    EXPECT_EQ(b3.Density, decodeReal48(encodeReal48(0.02).value()));
    EXPECT_EQ(b3.StrikeLength1, 5.0);
    EXPECT_EQ(b3.StrikeLength2, 5.0);
    EXPECT_DOUBLE_EQ(b3.CornerX[2], 5.0);
    EXPECT_DOUBLE_EQ(b3.CornerZ[3], 3.0);
    EXPECT_DOUBLE_EQ(b3.CornerX[5], 3.0);
    EXPECT_EQ(b3.XPosMin, 0.0);
    EXPECT_EQ(b3.XPosMax, 10.0);
    EXPECT_FALSE(b3.Hidden);
    EXPECT_FALSE(b3.Linked[1]);
    EXPECT_FALSE(b3.InvertAngle);
    EXPECT_DOUBLE_EQ(m.Bodies[4].CornerZ[1], 0.5);
    EXPECT_DOUBLE_EQ(m.Bodies[4].StrikeLength2, 0.8);
    EXPECT_EQ(ws.display.ViewDepthMin, 1.5);
    EXPECT_EQ(ws.display.ViewDepthMax, 12.0);
    expectTotalIsSumOfVisibleBodies(m);
    EXPECT_NE(m.Bodies[3].Gravity[5], 0.0);

    // Kilometres into metres: multiplied by 1000; same unit: unchanged.
    Workspace metres;
    modelWithBodies(metres, 1);
    metres.model.UnitsKm = false;
    ASSERT_EQ(importSideroModel(metres, sidero(1, 0, 0, 5, 1, {square(3, 1, 2)}), "b.mod").message(), "");
    EXPECT_DOUBLE_EQ(metres.model.Bodies[2].CornerX[2], 5000.0);
    EXPECT_DOUBLE_EQ(metres.model.Bodies[2].StrikeLength1, 2000000.0);
    Workspace same;
    modelWithBodies(same, 1);
    ASSERT_EQ(importSideroModel(same, sidero(1, 0, 0, 5, 2.5, {square(3, 1, 2)}), "c.mod").message(), "");
    EXPECT_DOUBLE_EQ(same.model.Bodies[2].CornerX[2], 5.0);

    // A body of two distinct corners is taken like any other.
    const SideroBody line{3, 0.02, 2000, {{1, 1}, {3, 2}, {1, 1}}};
    ASSERT_EQ(importSideroModel(same, sidero(1, 0, 0, 5, 1, {line}), "d.mod").message(), "");
    EXPECT_EQ(same.model.NumBodies, 3);
    EXPECT_EQ(same.model.Bodies[3].NumCorners, 3);
    EXPECT_EQ(same.model.Bodies[3].CornerX[2], 3.0);
}

TEST(SideroImport, OnlyAsManyBodiesAsTheSlotsHold)
{
    Workspace ws;
    modelWithBodies(ws, 45);
    std::vector<SideroBody> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back(square(i, 1, 0.5, 0.01 * (i + 1)));
    std::string file = sidero(10, 2, 0, 10, 1, ten);
    // Bodies past the sixth are not read at all: a file cut there still imports.
    file.resize(6 * (13 + 4 + 6 * (6 + 10)));
    ASSERT_EQ(importSideroModel(ws, file, "ten.mod").message(), "");
    EXPECT_EQ(ws.model.NumBodies, 51);
    EXPECT_NEAR(ws.model.Bodies[51].Density, 0.06, 1e-12);
    expectTotalIsSumOfVisibleBodies(ws.model);
}

TEST(SideroImport, BadFilesLeaveTheModelUntouched)
{
    Workspace ws;
    modelWithBodies(ws, 2);
    const std::string before = snapshot(ws);
    SideroBody tooMany = square(1, 1, 1);
    tooMany.n = 52;
    SideroBody tooFew = square(1, 1, 1);
    tooFew.n = 2;
    const std::string good = sidero(2, 4, 0, 10, 1, {square(1, 1, 1), square(2, 2, 1)});
    const struct {
        const char* what;
        std::string bytes;
        const char* says;
    } bad[] = {
        {"empty", "", "shorter than the 13 records"},
        {"header cut", good.substr(0, 6 * 12), "shorter than the 13 records"},
        {"stations cut", good.substr(0, 6 * 20), "4 stations"},
        {"huge station count", sidero(1, 1, 0, 10, 1, {}).replace(6, 6, rec(1e30)), "stations"},
        {"body cut", good.substr(0, 6 * (13 + 8 + 3)), "body 1 are complete"},
        {"corners cut", good.substr(0, good.size() - 6), "corners of body 2"},
        {"52 corners", sidero(1, 0, 0, 10, 1, {tooMany}), "body 1 announces 52 stored corners"},
        {"2 corners", sidero(1, 0, 0, 10, 1, {tooFew}), "body 1 announces 2 stored corners; a body holds 3 to 51"},
    };
    for (const auto& b : bad) {
        const std::string msg = importSideroModel(ws, b.bytes, "/data/bad.mod").message();
        EXPECT_NE(msg.find("\"/data/bad.mod\""), std::string::npos) << b.what << ": " << msg;
        EXPECT_NE(msg.find(b.says), std::string::npos) << b.what << ": " << msg;
        EXPECT_TRUE(snapshot(ws) == before) << b.what;
    }
    EXPECT_EQ(importSideroFile(ws, "/nonexistent/folder/model.mod").message(), "That file is inaccessible.");
    EXPECT_TRUE(snapshot(ws) == before);
}

// ---------------------------------------------------------------- separators

TEST(TextFields, EmptyCellsKeepTheirColumnsAndDecimalCommasAreReadPerFile)
{
    using V = std::vector<std::string_view>;
    const auto sep = Commas::Separate;
    EXPECT_EQ(splitLine("1.5,,3", sep, 5), (V{"1.5", "", "3"}));
    EXPECT_EQ(splitLine(",7", sep, 5), (V{"", "7"}));
    EXPECT_EQ(splitLine("1\t\t2", sep, 5), (V{"1", "2"}));   // tabs align, as blanks do
    EXPECT_EQ(splitLine("1;;2", sep, 5), (V{"1", "", "2"}));
    EXPECT_EQ(splitLine(" 1.5 , 2 ;3\t4,;", sep, 5), (V{"1.5", "2", "3", "4"}));   // blanks pad; a last mark adds nothing
    EXPECT_EQ(splitLine("12,5;-3,25", Commas::Decimal, 5), (V{"12,5", "-3,25"}));
    EXPECT_EQ(fieldValue("-3,25", Commas::Decimal), -3.25);
    EXPECT_EQ(fieldValue("-3,25", Commas::Grouping), std::nullopt);

    // Decimal commas where other separators already part the numbers; a
    // semicolon in a heading or commas in comment lines do not decide it, and
    // a body file's single-value lines do not outvote its corner lines.
    EXPECT_EQ(commasOf("Survey, line 3\nx;g\n0,5;1,25\n10;2,5\n"), Commas::Decimal);
    EXPECT_EQ(commasOf("0,5\t1,25\n"), Commas::Decimal);
    EXPECT_EQ(commasOf("x; g\n1.5,2\n10,25\n"), sep);
    EXPECT_EQ(commasOf("0 1.5\n10 2.5\n"), sep);

    // A missing anomaly leaves the station out rather than taking the next column.
    StationList s = stationsFromTable(readFieldDataText("0,1.5,100\n5,,101\n10,2.5,102\n").value(),
                                      ColumnChoice{1, 2, 2, 0, false});
    EXPECT_EQ(s.x, (std::vector<double>{0, 10}));
    EXPECT_EQ(s.g, (std::vector<double>{1.5, 2.5}));
    s = stationsFromTable(readFieldDataText("x;g\n0,0;1,5\n10,0;-2,5\n").value(), ColumnChoice{1, 2, 2, 1, false});
    EXPECT_EQ(s.x, (std::vector<double>{0, 10}));
    EXPECT_EQ(s.g, (std::vector<double>{1.5, -2.5}));
}

// ---------------------------------------------------------------- body files

TEST(BodyFile, ReadValueLineTakesFieldsFromColumn16)
{
    const std::string text =
        "x23456789012345 1.5  -2e3   7   8\r\n"          // four fields: three kept
        "Label that runs 12345678901234567890 x\n"        // cut to 15 characters
        "short\n"                                         // nothing from column 16
        "Density      0.25\n"                             // value starts in column 14
        "tabs          \t3\t4\n" +
        std::string(15, ' ') + std::string(62, 'a') + " 9 10\n";   // past column 80
    LineReader lines(text);
    std::vector<std::string> f;
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_EQ(f, (std::vector<std::string>{"1.5", "-2e3", "7"}));
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_EQ(f, (std::vector<std::string>{"123456789012345", "x"}));
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_TRUE(f.empty());
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_EQ(f, (std::vector<std::string>{"25"}));
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_EQ(f, (std::vector<std::string>{"3", "4"}));
    ASSERT_TRUE(ReadValueLine(lines, f));
    EXPECT_EQ(f, (std::vector<std::string>{std::string(15, 'a'), "9"}));
    EXPECT_EQ(lines.lineNumber(), 6);
    EXPECT_FALSE(ReadValueLine(lines, f));
}

namespace {

// A body file line: a label in columns 1 to 15 and the values from column 16.
std::string line(const std::string& label, const std::string& values)
{
    std::string l = label;
    l.resize(15, ' ');
    return l + values + "\n";
}

std::string bodyFile(int m, const std::vector<std::vector<std::pair<double, double>>>& bodies,
                     double density = 0.3)
{
    std::string t = "comment one\ncomment two\n" + line("No. of bodies", std::to_string(m));
    for (const auto& corners : bodies) {
        t += line("Density", std::to_string(density)) + line("Corners", std::to_string(corners.size()));
        for (auto [x, z] : corners)
            t += line("", std::to_string(x) + "  " + std::to_string(z));
    }
    return t;
}

const std::vector<std::pair<double, double>> triangle = {{3, 1}, {7, 1}, {5, 4}};

}  // namespace

TEST(BodyFile, AppendsClosedBodiesWithDefaultStrike)
{
    Workspace ws;
    modelWithBodies(ws, 1);
    ws.model.Bodies[2].Hidden = true;   // a leftover in the slot
    ws.model.Bodies[2].Linked[2] = true;
    ASSERT_EQ(readBodyFile(ws, bodyFile(2, {triangle, {{1, 1}, {2, 1}, {2, 2}, {1, 2}}}), "b.bod").message(), "");
    const Model& m = ws.model;
    EXPECT_EQ(m.NumBodies, 3);
    const Tbody& b = m.Bodies[2];
    EXPECT_EQ(b.NumCorners, 4);
    EXPECT_EQ(b.CornerX[4], 3.0);
    EXPECT_EQ(b.CornerZ[4], 1.0);
    EXPECT_EQ(b.CornerX[3], 5.0);
    EXPECT_EQ(b.StrikeLength1, 100.0);
    EXPECT_EQ(b.StrikeLength2, 100.0);
    EXPECT_DOUBLE_EQ(b.Density, 0.3);
    EXPECT_FALSE(b.Hidden);
    EXPECT_FALSE(b.Linked[2]);
    EXPECT_EQ(m.Bodies[3].NumCorners, 5);
    EXPECT_GT(b.Gravity[6], 0.0);
    expectTotalIsSumOfVisibleBodies(m);
}

TEST(BodyFile, CountsOutOfRangeAreRefused)
{
    Workspace ws;
    modelWithBodies(ws, 50);
    const std::string before = snapshot(ws);
    EXPECT_EQ(readBodyFile(ws, bodyFile(2, {triangle, triangle}), "f.bod").message(), "Invalid no. of bodies in file.");
    EXPECT_EQ(readBodyFile(ws, bodyFile(0, {}), "f.bod").message(), "Invalid no. of bodies in file.");
    EXPECT_EQ(readBodyFile(ws, bodyFile(-1, {}), "f.bod").message(), "Invalid no. of bodies in file.");
    EXPECT_TRUE(snapshot(ws) == before);
    ASSERT_EQ(readBodyFile(ws, bodyFile(1, {triangle}), "f.bod").message(), "");
    EXPECT_EQ(ws.model.NumBodies, 51);

    Workspace few;
    modelWithBodies(few, 1);
    const std::string fewBefore = snapshot(few);
    std::vector<std::pair<double, double>> fifty, fiftyOne;
    for (int k = 0; k < 51; ++k)
        (k < 50 ? fifty : fiftyOne).emplace_back(k, 1 + k % 2);
    fiftyOne.insert(fiftyOne.begin(), fifty.begin(), fifty.end());
    // The second body is bad: the first one is not kept either.
    EXPECT_EQ(readBodyFile(few, bodyFile(2, {triangle, fiftyOne}), "f.bod").message(),
              "Invalid no. of corners in body.");
    EXPECT_EQ(readBodyFile(few, bodyFile(1, {{{1, 1}, {2, 2}}}), "f.bod").message(), "Invalid no. of corners in body.");
    EXPECT_TRUE(snapshot(few) == fewBefore);
    ASSERT_EQ(readBodyFile(few, bodyFile(1, {fifty}), "f.bod").message(), "");
    EXPECT_EQ(few.model.Bodies[2].NumCorners, 51);
}

TEST(BodyFile, FieldsThatAreNotNumbersAndShortFilesAreRefused)
{
    Workspace ws;
    modelWithBodies(ws, 1);
    const std::string before = snapshot(ws);
    const std::string good = bodyFile(1, {triangle});
    auto replaceLine = [&](int n, const std::string& with) {
        std::string t = good;
        std::size_t start = 0;
        for (int i = 1; i < n; ++i)
            start = t.find('\n', start) + 1;
        return t.replace(start, t.find('\n', start) - start, with);
    };
    const struct {
        std::string text;
        const char* says;
    } bad[] = {
        {replaceLine(3, "Number of bodies 1"), "Line 3 of the body file \"/d/x.bod\" does not hold the expected whole number of bodies from column 16."},
        {replaceLine(3, line("No. of bodies", "1.5")), "Line 3 "},
        {replaceLine(4, line("Density", "heavy")), "Line 4 of the body file \"/d/x.bod\" does not hold the expected density contrast"},
        {replaceLine(5, line("Corners", "three")), "Line 5 "},
        {replaceLine(7, line("", "7.0")), "Line 7 "},
        {replaceLine(8, line("", "5.0 4.0.0")), "Line 8 "},
        {good.substr(0, good.size() - 10), "Line 8 "},
        {good.substr(0, good.rfind('\n', good.size() - 2) + 1), "ends after line 7"},
        {"only one line\n", "ends after line 1"},
        {"", "ends after line 0"},
    };
    for (const auto& b : bad) {
        const std::string msg = readBodyFile(ws, b.text, "/d/x.bod").message();
        EXPECT_NE(msg.find(b.says), std::string::npos) << msg;
        EXPECT_TRUE(snapshot(ws) == before) << b.text;
    }
    // Windows line ends are fine.
    std::string crlf;
    for (char c : good) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(readBodyFile(ws, crlf, "/d/x.bod").message(), "");
    EXPECT_EQ(ws.model.NumBodies, 2);
}

// ---------------------------------------------------------------- boreholes

TEST(BoreholeFile, LabelsNameTheRowThatFollows)
{
    Workspace ws;
    modelWithBodies(ws, 1);
    const std::string text =
        "Borehole BH-7 at the quarry gate\r\n"
        "x depth\r\n"
        "--- ---\r\n"
        "  5.0   0\r\n"
        "\r\n"
        "granite\r\n"
        "  5.0   120   extra fields ignored\r\n"
        "clay sandy\r\n"
        "gravel\r\n"
        "  5.5   300\r\n"
        "basement";
    ASSERT_EQ(readBoreholeFile(ws, text, "bh.hol").message(), "");
    EXPECT_EQ(ws.model.NumHoles, 1);
    const THole& h = ws.model.Holes[1];
    EXPECT_EQ(h.Name, "Borehole BH-7 at the");
    EXPECT_EQ(h.NumDepths, 3);
    EXPECT_EQ(h.HoleX[3], 5.5);
    EXPECT_EQ(h.HoleDepth[2], 120.0);
    EXPECT_EQ(h.HoleDepth[3], 300.0);
    // "clay" was followed by another label and the last one by nothing: both
    // name no row and are dropped.
    ASSERT_EQ(h.NumLabels, 2);
    EXPECT_EQ(h.Label[1], "granite");
    EXPECT_EQ(h.LabelRow[1], 2);
    EXPECT_EQ(h.Label[2], "gravel");
    EXPECT_EQ(h.LabelRow[2], 3);
}

TEST(BoreholeFile, LimitsAndBadFiles)
{
    Workspace ws;
    modelWithBodies(ws, 1);
    std::string text = "A very long borehole name indeed\nh\nh\n";
    for (int i = 1; i <= 60; ++i) {
        text += "LabelNumber" + std::to_string(i) + "isLong\n";
        text += "1 " + std::to_string(i * 10) + "\n";
    }
    ASSERT_EQ(readBoreholeFile(ws, text, "long.hol").message(), "");
    const THole& h = ws.model.Holes[1];
    EXPECT_EQ(h.NumDepths, 50);
    EXPECT_EQ(h.HoleDepth[50], 500.0);
    EXPECT_EQ(h.NumLabels, 10);
    EXPECT_EQ(h.Label[10], "LabelNumber10is");
    EXPECT_EQ(h.LabelRow[10], 10);

    // A row without a depth is refused with its line; nothing changes.
    const std::string before = snapshot(ws);
    for (const char* bad : {"n\nh\nh\n1 2\n3\n", "n\nh\nh\n1 2\n3 deep\n"}) {
        const std::string msg = readBoreholeFile(ws, bad, "/x/b.hol").message();
        EXPECT_EQ(msg, "Line 5 of the borehole file \"/x/b.hol\" holds a position but no depth.");
        EXPECT_TRUE(snapshot(ws) == before);
    }
    EXPECT_NE(readBoreholeFile(ws, "", "/x/b.hol").message().find("empty"), std::string::npos);
    EXPECT_NE(readBoreholeFileAt(ws, "/nonexistent/b.hol").message().find("/nonexistent/b.hol"), std::string::npos);
    EXPECT_TRUE(snapshot(ws) == before);

    // Slots fill in order; a fourth borehole is refused.
    ASSERT_EQ(readBoreholeFile(ws, "second\n\n\n2 5\n", "2.hol").message(), "");
    EXPECT_NE(readBoreholeFile(ws, "third", "3.hol").message().find("holds no data rows"), std::string::npos);
    ASSERT_EQ(readBoreholeFile(ws, "third\n\n\n3 1\n", "3.hol").message(), "");
    EXPECT_EQ(ws.model.Holes[2].Name, "second");
    EXPECT_EQ(ws.model.Holes[3].NumDepths, 1);
    const std::string full = snapshot(ws);
    EXPECT_EQ(readBoreholeFile(ws, "fourth\n\n\n1 1\n", "4.hol").message(), TooManyBoreholesText);
    EXPECT_TRUE(snapshot(ws) == full);
}

TEST(InputFiles, ExamplesReadIntoTheExampleModel)
{
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examplesDir / "basin.mod").string()).message(), "");
    ASSERT_EQ(readBodyFileAt(ws, (examplesDir / "basin_dykes.bod").string()).message(), "");
    EXPECT_EQ(ws.model.NumBodies, 5);
    EXPECT_EQ(ws.model.Bodies[5].NumCorners, 4);
    ASSERT_EQ(readBoreholeFileAt(ws, (examplesDir / "well_a1.hol").string()).message(), "");
    const THole& h = ws.model.Holes[1];
    EXPECT_EQ(h.Name, "Well A-1");
    EXPECT_EQ(h.NumDepths, 8);
    EXPECT_EQ(h.NumLabels, 4);
    EXPECT_EQ(h.Label[4], "Granite");
    EXPECT_EQ(h.LabelRow[4], 7);
    expectTotalIsSumOfVisibleBodies(ws.model);
}

// ---------------------------------------------------------------- spreadsheet files

namespace {

// Twenty stations as a spreadsheet writes them: the texts of each cell.
struct Cells {
    std::string x, g;
};
std::vector<Cells> stationCells(bool grouped = false)
{
    std::vector<Cells> out;
    for (int i = 0; i < 20; ++i) {
        char x[32], g[32];
        std::snprintf(x, sizeof x, "%.3f", grouped ? 950.0 + i * 1234.5 : i * 2.5 - 1);
        std::snprintf(g, sizeof g, "%.2f", -10 + 0.37 * i);
        out.push_back({x, g});
    }
    return out;
}

// A number text with a decimal point, read independently of the readers.
double plain(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return std::strtod(s.c_str(), nullptr);
}

// "12345.5" as "12,345.5".
std::string withThousands(const std::string& s)
{
    const auto point = s.find('.');
    std::string whole = s.substr(0, point);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(static_cast<std::size_t>(i), ",");
    return whole + s.substr(point);
}

std::string utf16(const std::string& ascii, bool bigEndian, bool mark = true)
{
    std::string out = mark ? (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) : std::string();
    for (char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

std::string replaced(std::string s, char from, char to)
{
    std::replace(s.begin(), s.end(), from, to);
    return s;
}

}  // namespace

TEST(SpreadsheetFiles, EveryKindGivesTheStationsItHoldsOrIsRefusedWithTheReason)
{
    const std::vector<Cells> cells = stationCells();
    const std::vector<Cells> big = stationCells(true);
    auto lines = [](const std::vector<Cells>& rows, const std::function<std::string(const Cells&)>& f) {
        std::string s;
        for (const Cells& c : rows)
            s += f(c) + "\n";
        return s;
    };
    const std::string csv = lines(cells, [](const Cells& c) { return c.x + "," + c.g; });
    struct Case {
        const char* what;
        std::string bytes;
        int commentLines;              // the default the reader must find
        bool thousands = false;        // positions are the grouped ones
        std::string refusal = {};      // a part of the message when refused
    };
    const Case cases[] = {
        {"header row", "x,g\n" + csv, 1},
        {"quoted", "\"x\",\"g\"\n" + lines(cells, [](const Cells& c) { return "\"" + c.x + "\",\"" + c.g + "\""; }), 1},
        {"UTF-8 mark", "\xEF\xBB\xBF" + csv, 0},
        {"semicolons, decimal commas",
         "x;g\n" + lines(cells, [](const Cells& c) { return replaced(c.x, '.', ',') + ";" + replaced(c.g, '.', ','); }), 1},
        {"two tabs", "x\t\tg\t\televation\n" +
                         lines(cells, [](const Cells& c) { return c.x + "\t\t" + c.g + "\t\t240.5"; }), 1},
        {"thousands, tabs", "x\tg\n" + lines(big, [](const Cells& c) { return withThousands(c.x) + "\t" + c.g; }), 1, true},
        {"thousands, quoted CSV",
         "x,g\n" + lines(big, [](const Cells& c) { return "\"" + withThousands(c.x) + "\"," + c.g; }), 1, true},
        {"thousands, semicolons and decimal commas",
         "x;g\n" + lines(big, [](const Cells& c) {
             std::string x = withThousands(c.x);
             for (char& ch : x)
                 ch = ch == ',' ? '.' : ch == '.' ? ',' : ch;   // 12.345,500
             return x + ";" + replaced(c.g, '.', ',');
         }), 1, true},
        {"UTF-16, little-endian", utf16("x,g\n" + csv, false), 1},
        {"UTF-16, big-endian", utf16("x,g\n" + csv, true), 1},
        {"CR only", replaced("x,g\n" + csv, '\n', '\r'), 1},
        {"CR LF", [&] { std::string s; for (char c : "x,g\n" + csv) s += c == '\n' ? std::string("\r\n") : std::string(1, c); return s; }(), 1},
        {"dated heading, decimal commas",
         "Date 01,02,2024\n" + lines(cells, [](const Cells& c) { return c.x + " " + replaced(c.g, '.', ','); }), 1},
        // Refused, saying why.
        {"UTF-16 without its mark", utf16("x,g\n" + csv, false, false), 0, false, "UTF-16 without a byte order mark"},
        {"UTF-32", std::string("\xFF\xFE\0\0", 4) + "x", 0, false, "UTF-32"},
        {"thousands unquoted in CSV", "x,g\n0.5,1\n1,000.5,2\n1.5,3\n", 0, false,
         "Line 3 of \"t.csv\" holds a number with a thousands separator"},
        {"as many CSV lines as decimal-comma lines", "1,5 2,5\n0.25,1.5\n", 0, false, "as many data lines"},
        {"one CSV line among decimal-comma lines", "1,5 2,5\n3,5 4,5\n0.5,1.5\n", 0, false,
         "line 3 uses commas to separate its fields, while most data lines use them as decimal commas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<FieldDataTable> read = readFieldDataText(c.bytes, "t.csv");
        if (!c.refusal.empty()) {
            EXPECT_NE(read.message().find(c.refusal), std::string::npos) << read.message();
            EXPECT_TRUE(read.value_or({}).lines.empty());
            continue;
        }
        ASSERT_EQ(read.message(), "");
        const FieldDataTable& table = *read;
        ColumnChoice choice{1, 2, 2, 0, false};
        choice.commentLines = leadingNonStationLines(table, choice);
        EXPECT_EQ(choice.commentLines, c.commentLines);
        const StationList s = stationsFromTable(table, choice);
        EXPECT_TRUE(s.skipped.empty());
        const std::vector<Cells>& want = c.thousands ? big : cells;
        ASSERT_EQ(s.x.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(s.x[i], plain(want[i].x)) << i;
            EXPECT_EQ(s.g[i], plain(want[i].g)) << i;
        }
    }
}

TEST(SpreadsheetFiles, CsvLinesThatLookLikeGroupedNumbersStayTwoFields)
{
    // "12,100.5" alone is a grouped number; as a station line of a CSV file
    // it is a position and an anomaly.
    for (const char* text : {"x,g\n12,100.5\n13,101.25\n", "12,100.5\n13,-4.5\n"}) {
        SCOPED_TRACE(text);
        const Result<FieldDataTable> read = readFieldDataText(text);
        ASSERT_EQ(read.message(), "");
        const FieldDataTable& table = *read;
        ColumnChoice choice{1, 2, 2, 0, false};
        choice.commentLines = leadingNonStationLines(table, choice);
        const StationList s = stationsFromTable(table, choice);
        EXPECT_EQ(s.x, (std::vector<double>{12, 13}));
        EXPECT_EQ(s.g[0], 100.5);
    }
}

TEST(SpreadsheetFiles, LinesThatGiveNoStationAreCountedAndNamed)
{
    std::string text = "x g\n";
    std::vector<int> bad;
    for (int i = 0; i < 12; ++i) {
        const int line = i + 2;
        std::string row = std::to_string(i) + " " + std::to_string(i * 0.5);
        switch (i) {
        case 2: row = "2 nan"; break;
        case 4: row = "inf 3"; break;
        case 5: row = "5 1e400"; break;
        case 7: row = std::string("7 3.5\0", 6); break;
        case 9: row = "9" + std::string(70, ' ') + "123456789.125"; break;   // crosses column 80
        case 10: row = ""; break;                                              // blank: nothing to say
        default: break;
        }
        if (i == 2 || i == 4 || i == 5 || i == 7 || i == 9)
            bad.push_back(line);
        text += row + "\n";
    }
    const FieldDataTable table = readFieldDataText(text).value();
    ColumnChoice choice{1, 2, 2, 1, false};
    const StationList s = stationsFromTable(table, choice);
    EXPECT_EQ(s.skipped, bad);
    EXPECT_EQ(s.cut, std::vector<int>{11});
    EXPECT_EQ(s.x.size(), 6u);
    EXPECT_EQ(std::count(s.g.begin(), s.g.end(), 12345678.0), 0);
    const std::string note = skippedStationsNote(s);
    EXPECT_NE(note.find("5 lines of the field data were skipped (lines 4, 6, 7, 9, 11)"), std::string::npos) << note;
    EXPECT_NE(note.find("Line 11 holds a number cut at column 80."), std::string::npos) << note;
}

TEST(SpreadsheetFiles, BodyAndBoreholeFilesFollowTheSameRules)
{
    auto label = [](std::string s) { return s.append(15 - s.size(), ' '); };
    auto body = [&](const std::string& density, const std::vector<std::string>& corners,
                    const std::string& cornerLabel = "Corner") {
        std::string s = "Two dykes\nkeyed in 01,02,2024\n" + label("No. of bodies") + "1\n" +
                        label("Density") + density + "\n" + label("Corners") + std::to_string(corners.size()) + "\n";
        for (std::size_t k = 0; k < corners.size(); ++k)
            s += label(cornerLabel + " " + std::to_string(k + 1) + ",0") + corners[k] + "\n";
        return s;
    };
    struct BodyCase {
        const char* what;
        std::string bytes;
        double density;
        std::vector<std::pair<double, double>> corners;
        std::string refusal = {};
    };
    const BodyCase bodies[] = {
        {"decimal-comma density, whole corners", body("-0,35", {"10 1", "20 1", "15 4"}), -0.35,
         {{10, 1}, {20, 1}, {15, 4}}},
        {"labelled decimal-comma corners", body("0,2", {"20,1  1,5", "30,2  1,5", "25  4,25"}), 0.2,
         {{20.1, 1.5}, {30.2, 1.5}, {25, 4.25}}},
        {"thousands", body("0.1", {"1,500.0  300.0", "2,500.5  300.0", "2,000.0  1,200.0"}), 0.1,
         {{1500, 300}, {2500.5, 300}, {2000, 1200}}},
        {"CR only", replaced(body("0.1", {"1 1", "2 1", "1 2"}), '\n', '\r'), 0.1, {{1, 1}, {2, 1}, {1, 2}}},
        {"UTF-8 mark", "\xEF\xBB\xBF" + body("0.1", {"1 1", "2 1", "1 2"}), 0.1, {{1, 1}, {2, 1}, {1, 2}}},
        {"UTF-16", utf16(body("0.1", {"1\t\t1", "2\t\t1", "1\t\t2"}), false), 0.1, {{1, 1}, {2, 1}, {1, 2}}},
        // Found by the fuzzer: a line past column 80 whose kept part is no number.
        {"NUL bytes across column 80", body("0.1", {"1 1", "19.6       " + std::string(90, '\0') + "0.4", "1 2"}), 0, {},
         "Line 7 of the body file \"b.bod\" does not hold the expected corner position and depth"},
        {"a corner cut at column 80", body("0.1", {"1 1", "2 1", "1" + std::string(60, ' ') + "2.123456"}), 0, {},
         "Line 8 of the body file \"b.bod\" holds a number cut at column 80"},
    };
    for (const BodyCase& c : bodies) {
        SCOPED_TRACE(c.what);
        Workspace ws;
        modelWithBodies(ws, 0);
        const std::string msg = readBodyFile(ws, c.bytes, "b.bod").message();
        if (!c.refusal.empty()) {
            EXPECT_NE(msg.find(c.refusal), std::string::npos) << msg;
            EXPECT_EQ(ws.model.NumBodies, 0);
            continue;
        }
        ASSERT_EQ(msg, "");
        ASSERT_EQ(ws.model.NumBodies, 1);
        const Tbody& b = ws.model.Bodies[1];
        EXPECT_EQ(b.Density, c.density);
        ASSERT_EQ(b.NumCorners, static_cast<int>(c.corners.size()) + 1);
        for (std::size_t k = 0; k < c.corners.size(); ++k) {
            EXPECT_EQ(b.CornerX[static_cast<int>(k) + 1], c.corners[k].first) << k;
            EXPECT_EQ(b.CornerZ[static_cast<int>(k) + 1], c.corners[k].second) << k;
        }
    }

    // Boreholes: every line end, the mark, and files without rows.
    struct HoleCase {
        const char* what;
        std::string bytes;
        int rows;
        std::string message;   // refusal, or the note of skipped lines
    };
    const HoleCase holes[] = {
        {"LF", "Well A1\nfree\nfree\nsand\n10 120\n10 250\n", 2, ""},
        {"CR only", "Well A1\rfree\rfree\rsand\r10 120\r10 250\r", 2, ""},
        {"CR LF", "Well A1\r\nfree\r\nfree\r\nsand\r\n10 120\r\n10 250\r\n", 2, ""},
        {"UTF-8 mark", "\xEF\xBB\xBFWell A1\nfree\nfree\nsand\n10 120\n10 250\n", 2, ""},
        {"decimal commas", "Well A1\nfree\nfree\nsand\n10,5 120,25\n10,5 250\n", 2, ""},
        {"nan, 1e400 and NUL lines", std::string("Well A1\nfree\nfree\nnan 5\n10 120\n10 1e400\n10 5\0\n10 250\n", 53), 2,
         "3 lines of the borehole file \"h.hol\" were skipped (lines 4, 6, 7)."},
        {"no rows", "Well A1\nfree\nfree\nsand\n", 0, "holds no data rows"},
        {"no rows, CR only", "Well A1\rfree\rfree\rsand\r", 0, "holds no data rows"},
    };
    for (const HoleCase& c : holes) {
        SCOPED_TRACE(c.what);
        Workspace ws;
        modelWithBodies(ws, 1);
        std::string note;
        const std::string msg = readBoreholeFile(ws, c.bytes, "h.hol", &note).message();
        if (c.rows == 0) {
            EXPECT_NE(msg.find(c.message), std::string::npos) << msg;
            EXPECT_EQ(ws.model.NumHoles, 0);
            continue;
        }
        ASSERT_EQ(msg, "");
        EXPECT_EQ(note, c.message);
        const THole& h = ws.model.Holes[1];
        EXPECT_EQ(h.Name, "Well A1");
        ASSERT_EQ(h.NumDepths, c.rows);
        EXPECT_EQ(h.HoleDepth[2], 250.0);
        EXPECT_EQ(h.NumLabels, c.message.empty() ? 1 : 0);
    }
}
