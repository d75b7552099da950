#include "io/hpgl.h"
#include "output/dxf.h"

#include "display/paint.h"

#include "support/bodies.h"
#include "support/helpers.h"
#include "support/result.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace corvane;
using corvane::test::slurp;

namespace {

// Three stations 0, 2.5, 5; one triangle; depths 0..4; gravity -1..3.
// Every scale is then an exact binary fraction: sx 2000, sz = sg = 937.5.
void smallPlotModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 3, 0, 5);
    const double calc[] = {0, 2, -1}, obs[] = {1, 3, 0};
    for (int i = 1; i <= 3; ++i) {
        m.CalculatedGravity[i] = calc[i - 1];
        m.ObservedGravity[i] = obs[i - 1];
    }
    m.NumBodies = 1;
    test::setBody(m, 1, {{1, 1}, {3, 1}, {2, 2}}, 0.2);
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 4;
    ws.display.GravityMin = -1;
    ws.display.GravityMax = 3;
}

// Stations 0..R with a curve from 20 to 30 mGal and a body in the middle.
void profileOf(Workspace& ws, double R, int n = 41)
{
    Model& m = ws.model;
    test::setStations(m, n, 0, R);
    for (int i = 1; i <= n; ++i) {
        m.CalculatedGravity[i] = 20 + 10.0 * (i - 1) / (n - 1);
        m.ObservedGravity[i] = 21 + 8.0 * (i - 1) / (n - 1);
    }
    m.NumBodies = 2;
    test::setBody(m, 1, {{0.3 * R, 10}, {0.6 * R, 12}, {0.55 * R, 40}, {0.35 * R, 35}}, 0.3);
    test::setBody(m, 2, {{0.1 * R, 50}, {0.2 * R, 50}, {0.2 * R, 70}}, -0.1);
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 100;
    ws.display.GravityMin = 20;
    ws.display.GravityMax = 30;
}

int count(const std::string& s, const std::string& what)
{
    int n = 0;
    for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// Pairs of "PU"/"PD" coordinates that follow one another as integers: the
// body outlines and curves.
std::vector<std::pair<long, long>> integerMoves(const std::string& hpgl)
{
    std::vector<std::pair<long, long>> out;
    for (std::size_t i = 0; i + 2 < hpgl.size(); ++i) {
        if (hpgl[i] != 'P' || (hpgl[i + 1] != 'U' && hpgl[i + 1] != 'D'))
            continue;
        const char* p = hpgl.c_str() + i + 2;
        char* end = nullptr;
        const long x = std::strtol(p, &end, 10);
        if (end == p || *end != ',' || end[1] == ' ')
            continue;
        const char* q = end + 1;
        const long y = std::strtol(q, &end, 10);
        if (end == q || *end == '.' || *end == ',')
            continue;
        out.emplace_back(x, y);
    }
    return out;
}

QString python3WithEzdxf()
{
    for (const QString& exe : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(exe, {"-c", "import ezdxf"});
        if (p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return exe;
    }
    return QString();
}

}  // namespace

TEST(Hpgl, SmallModelByteForByte)
{
    Workspace ws;
    smallPlotModel(ws);
    std::string problem;
    const std::string bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
    ASSERT_EQ(problem, "");
    const std::string expected =
        "IN;SP1;SC;PA;PU0,0;PD 10000.0,0, 10000.0,7500,0,7500,0,0PU0,3750;PD  10000.0,3750"
        "PU0,4688PD  10000.0,4688\r\n"
        "IP0,0,10000,7500;SI0.18,0.25;"
        "PU2000,2812PD6000,2812PD4000,1875PD2000,2812"
        "PU  4000.000,  2500.000LB1\x03"
        "PU0,4688PD5000,6562PD10000,3750"
        "LT1PU0,5625PD5000,7500PD10000,4688LT"
        // Four characters are 396 units wide: centred under each tick, the
        // last one kept 20 units inside the frame.
        "PU  2000.000,  4687.500XTPU  1802.000,   4487.50LB1.00\x03"
        "PU  4000.000,  4687.500XTPU  3802.000,   4487.50LB2.00\x03"
        "PU  6000.000,  4687.500XTPU  5802.000,   4487.50LB3.00\x03"
        "PU  8000.000,  4687.500XTPU  7802.000,   4487.50LB4.00\x03"
        "PU 10000.000,  4687.500XTPU  9584.000,   4487.50LB5.00\x03"
        "TL0.5,0;"
        "PU75,7375\r\n"
        "LB3.0\x03PU75,6144LB1.5\x03PU0,6094YTPU75,3800LB-1.0\x03"
        "PU0,2812YTPU75,2862LB1.0\x03"
        "PU0,1875YTPU75,1925LB2.0\x03"
        "PU0,938YTPU75,988LB3.0\x03";
    EXPECT_EQ(bytes, expected);
}

TEST(Hpgl, ZeroLineFieldDataAndGravityRule)
{
    Workspace ws;
    smallPlotModel(ws);
    std::string problem;

    // GravityMin of 0: no zero line, the curves stand on the divider.
    ws.display.GravityMin = 0;
    std::string bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
    EXPECT_EQ(count(bytes, "PD  10000.0,"), 1);   // the divider only
    EXPECT_EQ(count(bytes, "\r\n"), 1);   // only after "PU75,7375"
    EXPECT_NE(bytes.find(",  3750.000XT"), std::string::npos);
    EXPECT_EQ(bytes.find("PU75,3800"), std::string::npos);

    // A GravityMin between 0 and 10 is taken to 0, for good.
    ws.display.GravityMin = 5;
    ws.display.GravityMax = 30;
    const std::string at5 = corvane::test::bytesOf(hpglBytes(ws), problem);
    EXPECT_EQ(ws.display.GravityMin, 0);
    ws.display.GravityMin = 0;
    EXPECT_EQ(corvane::test::bytesOf(hpglBytes(ws), problem), at5);

    // Without field data there is no dashed observed curve.
    EXPECT_NE(at5.find("LT1"), std::string::npos);
    ws.model.HaveObserved = false;
    bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
    EXPECT_EQ(bytes.find("LT1"), std::string::npos);
    EXPECT_EQ(bytes.find("LT"), std::string::npos);
}

TEST(Hpgl, DistanceTickStep)
{
    struct Case {
        double range;
        double step;
        int count;
    } cases[] = {{1000, 100, 10}, {250, 20, 12}, {5, 1, 5}, {25, 2, 12}, {0.5, 1, 0}, {9999, 1000, 9}};
    for (const Case& c : cases) {
        double step = 0;
        int n = 0;
        plotTickStep(c.range, step, n);
        EXPECT_DOUBLE_EQ(step, c.step) << c.range;
        EXPECT_EQ(n, c.count) << c.range;
    }

    // In the file: a 250-unit profile gets its labels every 20 from the first station.
    Workspace ws;
    profileOf(ws, 250);
    for (int i = 1; i <= 41; ++i)
        ws.model.StationX[i] += 1000;
    std::string problem;
    const std::string bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
    EXPECT_EQ(count(bytes, "XT"), 12);
    EXPECT_NE(bytes.find("LB1020.0\x03"), std::string::npos);
    EXPECT_NE(bytes.find("LB1240.0\x03"), std::string::npos);
    EXPECT_EQ(bytes.find("LB1260.0\x03"), std::string::npos);
}

TEST(Hpgl, CurvesStayInTheirPanelWhateverTheGravityRange)
{
    // All anomalies well above zero, or all below it: the curves must fill
    // the upper panel from the divider (3750) to the top (7500).
    for (double shift : {0.0, -60.0}) {
        Workspace ws;
        profileOf(ws, 1000);
        for (int i = 1; i <= ws.model.NumStations; ++i) {
            ws.model.CalculatedGravity[i] += shift;
            ws.model.ObservedGravity[i] += shift;
        }
        ws.display.GravityMin = 20 + shift;
        ws.display.GravityMax = 30 + shift;
        std::string problem;
        const std::string bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
        ASSERT_EQ(problem, "");
        // The calculated curve follows the last body label, the observed one
        // stands between "LT1" and "LT".
        const auto from = bytes.find("LB2\x03") + 4;
        const auto lt1 = bytes.find("LT1");
        const auto lt = bytes.find("LT", lt1 + 3);
        ASSERT_NE(lt, std::string::npos);
        auto moves = integerMoves(bytes.substr(from, lt1 - from));
        const auto observed = integerMoves(bytes.substr(lt1 + 3, lt - lt1 - 3));
        ASSERT_EQ(moves.size(), 41u);
        ASSERT_EQ(observed.size(), 41u);
        moves.insert(moves.end(), observed.begin(), observed.end());
        long lo = 1 << 30, hi = -(1 << 30);
        for (const auto& xy : moves) {
            lo = std::min(lo, xy.second);
            hi = std::max(hi, xy.second);
        }
        EXPECT_EQ(lo, 3750) << shift;
        EXPECT_EQ(hi, 7500) << shift;
        // The distance axis runs along the divider, and the bottom value is labelled.
        EXPECT_NE(bytes.find(",  3750.000XT"), std::string::npos) << shift;
        EXPECT_NE(bytes.find("PU75,3800LB" + std::string(shift < 0 ? "-40.0" : "20.0")),
                  std::string::npos)
            << shift;
        // The half-way label is half-way between bottom and top.
        EXPECT_NE(bytes.find(std::string("LB") + (shift < 0 ? "-35.0" : "25.0") + "\x03PU0,5625YT"),
                  std::string::npos)
            << shift;
    }
}

// Each distance tick "PU<x>,<y>XT" and the label after it, "PU<x>,<y>LB<text>ETX".
struct TickLabel {
    double tickX = 0, labelX = 0, labelY = 0, tickY = 0;
    std::string text;
};

std::vector<TickLabel> distanceLabels(const std::string& hpgl)
{
    std::vector<TickLabel> out;
    for (auto xt = hpgl.find("XTPU"); xt != std::string::npos; xt = hpgl.find("XTPU", xt + 1)) {
        TickLabel t;
        const auto pu = hpgl.rfind("PU", xt);
        t.tickX = std::strtod(hpgl.c_str() + pu + 2, nullptr);
        t.tickY = std::strtod(hpgl.c_str() + hpgl.find(',', pu) + 1, nullptr);
        const char* p = hpgl.c_str() + xt + 4;
        char* end = nullptr;
        t.labelX = std::strtod(p, &end);
        t.labelY = std::strtod(end + 1, &end);
        if (std::string(end, 2) != "LB")
            continue;
        const auto etx = hpgl.find('\x03', static_cast<std::size_t>(end - hpgl.c_str()));
        t.text = hpgl.substr(static_cast<std::size_t>(end - hpgl.c_str()) + 2,
                             etx - static_cast<std::size_t>(end - hpgl.c_str()) - 2);
        out.push_back(t);
    }
    return out;
}

TEST(Hpgl, LabelsStandOnTheirTicksInsideTheFrame)
{
    const struct Case {
        double first, range, gravityMax, gravitySpan;
    } cases[] = {{0, 40, 17.5, 10},   {0, 1000, 30, 10},    {-35, 250, 125.25, 10},
                 {1000, 7.5, 3, 10},  {0, 123456, -2, 10},  {0, 40, 1.8, 30.2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        Workspace ws;
        profileOf(ws, c.range);
        for (int i = 1; i <= ws.model.NumStations; ++i)
            ws.model.StationX[i] += c.first;
        ws.display.GravityMin = c.gravityMax - c.gravitySpan;
        ws.display.GravityMax = c.gravityMax;
        std::string problem;
        const std::string bytes = corvane::test::bytesOf(hpglBytes(ws), problem);
        ASSERT_EQ(problem, "");
        ASSERT_NE(bytes.find(HpglCharSize), std::string::npos);
        ASSERT_LT(bytes.find(HpglCharSize), bytes.find("LB"));

        double step = 0;
        int n = 0;
        plotTickStep(c.range, step, n);
        const auto labels = distanceLabels(bytes);
        ASSERT_EQ(static_cast<int>(labels.size()), n);
        for (std::size_t j = 0; j < labels.size(); ++j) {
            const TickLabel& t = labels[j];
            SCOPED_TRACE(t.text);
            // The value of its own tick, with no blanks before it.
            ASSERT_FALSE(t.text.empty());
            EXPECT_NE(t.text.front(), ' ');
            EXPECT_NEAR(std::stod(t.text), c.first + static_cast<double>(j + 1) * step, 1e-6 * c.range);
            // Inside the frame, below the tick, and centred on it unless that
            // would cross the frame's side.
            const double width = labelWidth(t.text.size());
            EXPECT_GE(t.labelX, 0);
            EXPECT_LE(t.labelX + width, 10000);
            EXPECT_LT(t.labelY + HpglCharHeight, t.tickY);
            if (t.tickX - width / 2 >= 20 && t.tickX + width / 2 <= 9980) {
                EXPECT_NEAR(t.labelX + width / 2, t.tickX, 0.001);
            } else {
                EXPECT_LE(std::fabs(t.labelX + width / 2 - t.tickX), width / 2 + 20);
            }
        }

        // The gravity and depth labels: no blanks, and the top one ends below the frame's top.
        for (const char* at : {"PU75,7375\r\nLB", "PU75,3800LB"}) {
            const auto p = bytes.find(at);
            if (p != std::string::npos) {
                EXPECT_NE(bytes[p + std::strlen(at)], ' ') << at;
            }
        }
        EXPECT_EQ(bytes.find("LB "), std::string::npos);

        // The labels on the left edge: inside the frame, none over another.
        std::vector<long> rows;
        for (auto at = bytes.find("PU75,"); at != std::string::npos; at = bytes.find("PU75,", at + 1))
            rows.push_back(std::strtol(bytes.c_str() + at + 5, nullptr, 10));
        ASSERT_GE(rows.size(), 5u);
        std::sort(rows.begin(), rows.end());
        for (std::size_t k = 0; k < rows.size(); ++k) {
            EXPECT_GE(rows[k], 0);
            EXPECT_LE(rows[k] + HpglCharHeight, 7500);
            if (k > 0) {
                EXPECT_GE(rows[k] - rows[k - 1], HpglCharHeight) << rows[k - 1] << " " << rows[k];
            }
        }
    }
}

TEST(Plots, RefuseScalesWithoutExtentAndWriteNothing)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string hpg = tmp.filePath("p.hpg").toStdString();
    const std::string dxf = tmp.filePath("p.dxf").toStdString();

    auto expectRefused = [&](Workspace& ws, const char* what) {
        const std::string h = WriteHPGL(ws, hpg).message();
        const std::string d = WriteDXF(ws, dxf).message();
        EXPECT_NE(h.find(what), std::string::npos) << what << ": " << h;
        EXPECT_EQ(h, d);
        EXPECT_FALSE(std::filesystem::exists(hpg));
        EXPECT_FALSE(std::filesystem::exists(dxf));
    };

    Workspace one;
    smallPlotModel(one);
    one.model.NumStations = 1;
    expectRefused(one, "no length");

    Workspace same;
    smallPlotModel(same);
    same.model.StationX[3] = same.model.StationX[1];
    expectRefused(same, "no length");

    Workspace flat;
    smallPlotModel(flat);
    flat.display.ViewDepthMax = flat.display.ViewDepthMin;
    expectRefused(flat, "depth range");

    Workspace level;
    smallPlotModel(level);
    level.display.GravityMin = level.display.GravityMax = -2;
    expectRefused(level, "gravity range");

    // Never drawn yet: GravityMin 1e8 above GravityMax -1e8.
    Workspace fresh;
    smallPlotModel(fresh);
    fresh.display.GravityMin = 1e8;
    fresh.display.GravityMax = -1e8;
    expectRefused(fresh, "gravity range");

    // And a sound model is written, replacing nothing but the target.
    Workspace good;
    smallPlotModel(good);
    EXPECT_EQ(WriteHPGL(good, hpg).message(), "");
    EXPECT_EQ(WriteDXF(good, dxf).message(), "");
    std::string problem;
    EXPECT_EQ(slurp(hpg), corvane::test::bytesOf(hpglBytes(good), problem));
    EXPECT_EQ(slurp(dxf), corvane::test::bytesOf(dxfBytes(good), problem));
    EXPECT_NE(WriteHPGL(good, tmp.filePath("none/p.hpg").toStdString()).message(), "");
}

TEST(Dxf, RealFormat)
{
    EXPECT_EQ(dxfReal(37.5), " 3.75000000000000E+0001");
    EXPECT_EQ(dxfReal(-0.001), "-1.00000000000000E-0003");
    EXPECT_EQ(dxfReal(0), " 0.00000000000000E+0000");
    EXPECT_EQ(dxfReal(-0.0), " 0.00000000000000E+0000");
    EXPECT_EQ(dxfReal(100), " 1.00000000000000E+0002");
    EXPECT_EQ(dxfReal(1.5e-300), " 1.50000000000000E-0300");
}

TEST(Dxf, SmallModelByteForByte)
{
    Workspace ws;
    smallPlotModel(ws);
    std::string expected;
    auto g = [&](const char* code, const std::string& value) {
        expected += code;
        expected += "\r\n" + value + "\r\n";
    };
    const std::string r = dxfReal(100);
    auto line = [&](const std::string& layer, const std::string& x1, const std::string& y1,
                    const std::string& x2, const std::string& y2) {
        g("0", "LINE");
        g("8", layer);
        g("10", x1);
        g("20", y1);
        g("30", "0.0");
        g("11", x2);
        g("21", y2);
        g("31", "0.0");
    };
    auto text = [&](const std::string& x, const std::string& y, const std::string& t) {
        g("0", "TEXT");
        g("8", "LABELS");
        g("10", x);
        g("20", y);
        g("30", "0.0");
        g("40", "1.0");
        g("1", t);
    };
    auto layer = [&](const char* name, const char* aci, const char* rgb) {
        g("0", "LAYER");
        g("2", name);
        g("70", "0");
        g("62", aci);
        g("6", "CONTINUOUS");
        if (*rgb)
            g("420", rgb);
    };
    auto R = dxfReal;
    const std::string A = "AXES", C = "CALCULATED", O = "OBSERVED", B = "BODY_1";
    g("0", "SECTION");
    g("2", "TABLES");
    g("0", "TABLE");
    g("2", "LTYPE");
    g("70", "1");
    g("0", "LTYPE");
    g("2", "CONTINUOUS");
    g("70", "0");
    g("3", "Solid line");
    g("72", "65");
    g("73", "0");
    g("40", "0.0");
    g("0", "ENDTAB");
    g("0", "TABLE");
    g("2", "LAYER");
    g("70", "5");
    // Black as colour 7; the observed curve's (0, 150, 0) and the lone
    // body's (0, 200, 0) nearest to green, 3, and exact as true colour.
    layer("AXES", "7", "");
    layer("LABELS", "7", "");
    layer("CALCULATED", "7", "");
    layer("OBSERVED", "3", "38400");
    layer("BODY_1", "3", "51200");
    g("0", "ENDTAB");
    g("0", "ENDSEC");
    g("0", "SECTION");
    g("2", "ENTITIES");
    line(A, "0.0", "0.0", r, "0.0");
    line(A, r, "0.0", r, "75.0");
    line(A, r, "75.0", "0.0", "75.0");
    line(A, "0.0", "75.0", "0.0", "0.0");
    line(A, "0.0", "37.5", r, "37.5");
    // The triangle (1,1) (3,1) (2,2): x * 20, 37.5 - z * 9.375.
    line(B, R(20), R(28.125), R(60), R(28.125));
    line(B, R(60), R(28.125), R(40), R(18.75));
    line(B, R(40), R(18.75), R(20), R(28.125));
    // Its density, centred on the mean of its corners (2, 4/3).
    g("0", "TEXT");
    g("8", B);
    g("10", R(40));
    g("20", R(25));
    g("30", "0.0");
    g("40", "1.0");
    g("1", "0.2000");
    g("72", "1");
    g("73", "2");
    g("11", R(40));
    g("21", R(25));
    g("31", "0.0");
    // The zero line at 46.875; calculated 0, 2, -1 and observed 1, 3, 0.
    line(C, R(0), R(46.875), R(50), R(65.625));
    line(C, R(50), R(65.625), R(100), R(37.5));
    line(O, R(0), R(56.25), R(50), R(75));
    line(O, R(50), R(75), R(100), R(46.875));
    text("48.0", R(47.875), "Distance");
    for (int j = 1; j <= 5; ++j) {
        const std::string x = j == 5 ? "   100.000" : "    " + std::to_string(20 * j) + ".000";
        line(A, x, "    46.375", x, "    47.375");
        text(R(20 * j - 6), R(44.875), "    " + std::to_string(j) + ".0");
    }
    text("2.0", R(73.75), " 3.000");
    text("1.0", R(60.4375), " 1.500");
    text("2.0", R(38), "-1.000");
    text("2.0", R(68), "mG");
    text("1.0", "2.0", "Km.");
    line(A, "     0.000", "    28.125", "     1.000", "    28.125");
    text("2.0", R(27.625), "    1.0");
    line(A, "     0.000", "    18.750", "     1.000", "    18.750");
    text("2.0", R(18.25), "    2.0");
    line(A, "     0.000", "     9.375", "     1.000", "     9.375");
    text("2.0", R(8.875), "    3.0");
    g("0", "ENDSEC");
    g("0", "EOF");

    std::string problem;
    EXPECT_EQ(corvane::test::bytesOf(dxfBytes(ws), problem), expected);
    EXPECT_EQ(problem, "");

    // Without field data the observed curve goes; in metres the unit text changes.
    ws.model.HaveObserved = false;
    ws.model.UnitsKm = false;
    const std::string noField = corvane::test::bytesOf(dxfBytes(ws), problem);
    EXPECT_EQ(count(noField, "\r\nLINE\r\n"), count(expected, "\r\nLINE\r\n") - 2);
    EXPECT_EQ(noField.find(R(56.25)), std::string::npos);
    EXPECT_NE(noField.find("\r\n1\r\nm.\r\n"), std::string::npos);

    // The GravityMin rule holds here too.
    ws.display.GravityMin = 5;
    ws.display.GravityMax = 30;
    corvane::test::bytesOf(dxfBytes(ws), problem);
    EXPECT_EQ(ws.display.GravityMin, 0);
}

TEST(PlotReaders, Hp2xxRendersTheHpglFile)
{
    const QString hp2xx = QStandardPaths::findExecutable("hp2xx");
    if (hp2xx.isEmpty())
        GTEST_SKIP() << "hp2xx is not installed (scripts/corvane.sh installs it)";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    Workspace ws;
    profileOf(ws, 1000);
    const QString hpg = tmp.filePath("model.hpg");
    ASSERT_EQ(WriteHPGL(ws, hpg.toStdString()).message(), "");

    const QString png = tmp.filePath("model.png");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(hp2xx, {"-m", "png", "-d", "100", "-f", png, hpg});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString log = QString::fromLocal8Bit(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << log.toStdString();
    // Its report: every command understood, nothing unexpected.
    EXPECT_TRUE(log.contains(QRegularExpression("command\\(s\\) ignored:\\s*0\\b"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QRegularExpression("Unexpected event\\(s\\):\\s*0\\b"))) << log.toStdString();
    EXPECT_FALSE(log.contains("rror")) << log.toStdString();
    // Everything it drew, labels and ticks included, lies within the frame.
    EXPECT_TRUE(log.contains("Coordinate range: (0, 0) ... (10000, 7500)")) << log.toStdString();

    QImage image(png);
    ASSERT_FALSE(image.isNull());
    // Ink on the page, but far from all of it.
    long dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    const long all = static_cast<long>(image.width()) * image.height();
    EXPECT_GT(dark, all / 200);
    EXPECT_LT(dark, all / 4);

    // A short profile whose last tick is the frame's right edge, with a top
    // value of four characters, or with the zero line just under the top
    // (the half-way tick close to the top value): every label stays inside.
    const struct {
        double low, high;
        const char* label;
    } ranges[] = {{7.5, 17.5, "LB17.5\x03"}, {-28.4, 1.8, "LB0.9\x03"}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.label);
        Workspace edge;
        profileOf(edge, 40);
        for (int i = 1; i <= edge.model.NumStations; ++i) {
            const double t = (edge.model.CalculatedGravity[i] - 20) / 10;   // 0 .. 1
            edge.model.CalculatedGravity[i] = r.low + t * (r.high - r.low);
            edge.model.ObservedGravity[i] = r.low + 0.9 * t * (r.high - r.low);
        }
        edge.display.GravityMin = r.low;
        edge.display.GravityMax = r.high;
        const QString edgeHpg = tmp.filePath("edge.hpg");
        ASSERT_EQ(WriteHPGL(edge, edgeHpg.toStdString()).message(), "");
        QProcess e;
        e.setProcessChannelMode(QProcess::MergedChannels);
        e.start(hp2xx, {"-m", "png", "-d", "100", "-f", tmp.filePath("edge.png"), edgeHpg});
        ASSERT_TRUE(e.waitForFinished(60000));
        const QString edgeLog = QString::fromLocal8Bit(e.readAll());
        EXPECT_TRUE(edgeLog.contains("Coordinate range: (0, 0) ... (10000, 7500)")) << edgeLog.toStdString();
        const std::string written = slurp(edgeHpg.toStdString());
        EXPECT_NE(written.find("LB40.0\x03"), std::string::npos);
        EXPECT_NE(written.find(r.label), std::string::npos);
    }

    if (const char* keep = std::getenv("CORVANE_KEEP_PLOTS")) {   // to look at
        QFile::copy(png, QString::fromLocal8Bit(keep) + "/hpgl.png");
        QFile::copy(hpg, QString::fromLocal8Bit(keep) + "/model.hpg");
    }
}

TEST(PlotReaders, EzdxfLoadsAndAuditsTheDxfFile)
{
    const QString python = python3WithEzdxf();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with ezdxf is not installed (scripts/corvane.sh installs it)";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    Workspace ws;
    profileOf(ws, 1000);
    const QString dxf = tmp.filePath("model.dxf");
    ASSERT_EQ(WriteDXF(ws, dxf.toStdString()).message(), "");

    // Loads, audits, counts the entities and checks the frame and texts.
    const char* script = R"(
import sys, ezdxf
from ezdxf import recover
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
if auditor.has_errors:
    auditor.print_error_report()
    sys.exit(2)
msp = doc.modelspace()
lines = msp.query('LINE')
texts = [t.dxf.text.strip() for t in msp.query('TEXT')]
xs = [v for l in lines for v in (l.dxf.start.x, l.dxf.end.x)]
ys = [v for l in lines for v in (l.dxf.start.y, l.dxf.end.y)]
print(len(lines), len(texts), min(xs), max(xs), min(ys), max(ys))
print('|'.join(texts))
)";
    QProcess p;
    p.start(python, {"-c", script, dxf});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    ASSERT_EQ(p.exitCode(), 0) << out.toStdString() << err.toStdString();
    const QStringList rows = out.split('\n');
    ASSERT_GE(rows.size(), 2);
    // 5 frame lines, 4 + 3 body edges, 2 x 40 curve segments, 10 distance
    // ticks and 3 depth ticks; the drawing fills exactly the 100 x 75 frame.
    EXPECT_EQ(rows[0].trimmed().toStdString(), "105 21 0.0 100.0 0.0 75.0");
    // The two bodies' densities, then the axes' texts.
    EXPECT_TRUE(rows[1].startsWith("0.3000|-0.100|Distance|100.0|200.0|")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].contains("|mG|Km.|25.0|50.0|75.0")) << rows[1].toStdString();
    if (const char* keep = std::getenv("CORVANE_KEEP_PLOTS"))
        QFile::copy(dxf, QString::fromLocal8Bit(keep) + "/model.dxf");
}

TEST(PlotReaders, EzdxfSeesEachPartOnItsOwnLayerInTheWindowsColours)
{
    const QString python = python3WithEzdxf();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with ezdxf is not installed (scripts/corvane.sh installs it)";
    // The layers, their colours, and what stands on each, as ezdxf reads them.
    const char* script = R"(
import sys, json, ezdxf
doc = ezdxf.readfile(sys.argv[1])
if doc.audit().has_errors:
    sys.exit(2)
layers = {l.dxf.name: [l.dxf.color, l.dxf.get('true_color', -1)] for l in doc.layers}
on = {}
for e in doc.modelspace():
    on.setdefault(e.dxf.layer, {}).setdefault(e.dxftype(), 0)
    on[e.dxf.layer][e.dxftype()] += 1
texts = {e.dxf.layer + ':' + e.dxf.text: [e.dxf.get('halign', 0), round(e.dxf.get('align_point', e.dxf.insert)[0], 6),
         round(e.dxf.get('align_point', e.dxf.insert)[1], 6)] for e in doc.modelspace().query('TEXT')}
print(json.dumps({'layers': layers, 'on': on, 'texts': texts}))
)";
    auto read = [&](Workspace& ws) {
        QTemporaryDir tmp;
        const QString dxf = tmp.filePath("model.dxf");
        EXPECT_EQ(WriteDXF(ws, dxf.toStdString()).message(), "");
        QProcess p;
        p.start(python, {"-c", script, dxf});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    };
    auto rgb = [](const QColor& c) { return static_cast<int>(c.rgb() & 0xffffff); };
    auto count = [](const QJsonObject& doc, const char* layer, const char* type) {
        return doc["on"].toObject()[layer].toObject()[type].toInt();
    };

    struct Case {
        int scheme;
        bool hideSecond, observed, hole;
        QColor observedColour;
    } cases[] = {{4, false, true, false, QColor(0, 150, 0)},
                 {3, true, true, true, QColor(200, 30, 40)},
                 {1, false, false, true, QColor(0, 150, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        Workspace ws;
        profileOf(ws, 1000);
        ws.display.ColourScheme = c.scheme;
        ws.display.ObsCurveColour = c.observedColour;
        ws.display.CalcCurveColour = QColor(0, 0, 255);
        ws.model.Bodies[2].Hidden = c.hideSecond;
        ws.model.HaveObserved = c.observed;
        if (c.hole) {
            ws.model.NumHoles = 1;
            THole& h = ws.model.Holes[1];
            h.Name = "A1";
            h.NumDepths = 3;
            const double xs[] = {500, 500, 520}, zs[] = {0, 30, 60};
            for (int k = 1; k <= 3; ++k) {
                h.HoleX[k] = xs[k - 1];
                h.HoleDepth[k] = zs[k - 1];
            }
            h.NumLabels = 1;
            h.Label[1] = "clay";
            h.LabelRow[1] = 2;
        }
        const QJsonObject doc = read(ws);
        const QJsonObject layers = doc["layers"].toObject();

        // Colours as the window has them: true colour exactly, and an index
        // for readers without it; black and white as colour 7.
        auto expectColour = [&](const char* name, const QColor& colour, int aci) {
            const QJsonArray l = layers[name].toArray();
            ASSERT_EQ(l.size(), 2) << name;
            EXPECT_EQ(l[0].toInt(), aci) << name;
            const bool plain = rgb(colour) == 0 || rgb(colour) == 0xffffff;
            EXPECT_EQ(l[1].toInt(), plain ? -1 : rgb(colour)) << name;
        };
        expectColour("AXES", Qt::black, 7);
        expectColour("LABELS", Qt::black, 7);
        expectColour("CALCULATED", QColor(0, 0, 255), 5);
        EXPECT_EQ(layers.contains("OBSERVED"), c.observed);
        if (c.observed)
            expectColour("OBSERVED", c.observedColour, c.observedColour.red() > 100 ? 1 : 3);
        const double low = -0.1, high = 0.3;
        const QColor first = bodyColour(c.scheme, 0.3, c.scheme > 2 ? low : 1e8, c.scheme > 2 ? high : -1e8);
        if (c.scheme == 1) {
            expectColour("BODY_1", Qt::black, 7);   // white fill: the outline shows in black
        } else {
            const QJsonArray l = layers["BODY_1"].toArray();
            EXPECT_EQ(l[1].toInt(), rgb(first));
            EXPECT_NE(l[0].toInt(), 7);
        }
        if (c.hideSecond) {
            expectColour("BODY_2", Qt::black, 7);
        } else if (c.scheme > 1) {
            EXPECT_EQ(layers["BODY_2"].toArray()[1].toInt(), rgb(bodyColour(c.scheme, -0.1, low, high)));
        }
        EXPECT_EQ(layers.contains("BOREHOLES"), c.hole);

        // What stands where: nothing on layer 0, each part on its own layer.
        EXPECT_FALSE(doc["on"].toObject().contains("0"));
        EXPECT_EQ(count(doc, "AXES", "LINE"), 5 + 10 + 3);
        EXPECT_EQ(count(doc, "AXES", "TEXT"), 0);
        EXPECT_EQ(count(doc, "LABELS", "TEXT"), 19);
        EXPECT_EQ(count(doc, "CALCULATED", "LINE"), 40);
        EXPECT_EQ(count(doc, "OBSERVED", "LINE"), c.observed ? 40 : 0);
        EXPECT_EQ(count(doc, "BODY_1", "LINE"), 4);
        EXPECT_EQ(count(doc, "BODY_2", "LINE"), 3);
        EXPECT_EQ(count(doc, "BOREHOLES", "LINE"), c.hole ? 2 + 1 : 0);
        EXPECT_EQ(count(doc, "BOREHOLES", "TEXT"), c.hole ? 2 : 0);

        // Each body's label is a text centred on the mean of its corners.
        const QJsonObject texts = doc["texts"].toObject();
        const QJsonArray one = texts["BODY_1:0.3000"].toArray();
        ASSERT_EQ(one.size(), 3);
        EXPECT_EQ(one[0].toInt(), 1);
        EXPECT_NEAR(one[1].toDouble(), 0.45 * 100, 1e-6);
        EXPECT_NEAR(one[2].toDouble(), 37.5 - 24.25 * 0.375, 1e-6);
        EXPECT_TRUE(texts.contains("BODY_2:-0.100"));
        if (c.hole) {
            EXPECT_TRUE(texts.contains("BOREHOLES:A1"));
            EXPECT_TRUE(texts.contains("BOREHOLES:clay"));
        }
    }

    // Where the window shows body numbers instead of densities, so does the drawing.
    Workspace numbers;
    profileOf(numbers, 1000);
    numbers.display.ShowDensities = false;
    numbers.display.ShowBodyNumbers = true;
    const QJsonObject texts = read(numbers)["texts"].toObject();
    EXPECT_TRUE(texts.contains("BODY_1:1"));
    EXPECT_TRUE(texts.contains("BODY_2:2"));
}

TEST(Plots, TakeTheGravityAxisFromTheModelWhateverTheWindowDrew)
{
    // Never drawn: the display's axis is still GravityMin 1e8 above GravityMax -1e8.
    Workspace ws;
    profileOf(ws, 1000);
    ws.display.GravityMin = 1e8;
    ws.display.GravityMax = -1e8;
    ws.display.ViewXMin = 0;
    ws.display.ViewXMax = 1000;
    ws.display.ModelBegun = true;
    std::string problem;
    const std::string hpgl = test::bytesOf(hpglBytes(ws, plotGravityAxis(ws.model)), problem);
    ASSERT_EQ(problem, "");
    const std::string dxf = test::bytesOf(dxfBytes(ws, plotGravityAxis(ws.model)), problem);
    ASSERT_EQ(problem, "");

    auto draw = [&ws] {
        QImage image(652, 486, QImage::Format_RGB32);
        QPainter p(&image);
        PaintModel(p, image.rect(), ws);
    };
    // Drawn over the whole profile: the window's axis is the plots' one.
    draw();
    EXPECT_EQ(test::bytesOf(hpglBytes(ws), problem), hpgl);
    EXPECT_EQ(test::bytesOf(dxfBytes(ws), problem), dxf);

    // Drawn zoomed in, with the difference curve: the plots stay as they were.
    ws.display.ViewXMin = 400;
    ws.display.ViewXMax = 500;
    ws.display.ShowDifference = true;
    draw();
    EXPECT_NE(ws.display.GravityMax, 30);
    EXPECT_EQ(test::bytesOf(hpglBytes(ws, plotGravityAxis(ws.model)), problem), hpgl);
    EXPECT_EQ(test::bytesOf(dxfBytes(ws, plotGravityAxis(ws.model)), problem), dxf);
}
