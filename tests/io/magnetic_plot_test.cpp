// The plot files with magnetic stations: the gravity plot as before, and
// after it the magnetic curves on their own pen or layers, at a scale that
// puts the lowest value on the divider and the highest at the top.
#include "io/hpgl.h"
#include "output/dxf.h"

#include "support/bodies.h"
#include "support/golden.h"
#include "support/result.h"

#include <gtest/gtest.h>


#include <QRegularExpression>
#include <QString>

using namespace corvane;

namespace {

// Gravity stations 0..5; magnetic stations -1..6 (the ends off the plot),
// the calculated curve from -20 to 60 nT, observed (1 nT higher) at every
// other station.
void plotModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 3, 0, 5);
    for (int i = 1; i <= 3; ++i) {
        m.CalculatedGravity[i] = i;
        m.ObservedGravity[i] = i + 0.5;
    }
    m.NumBodies = 1;
    test::setBody(m, 1, {{1, 1}, {3, 1}, {2, 2}}, 0.2);
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 4;
    ws.display.GravityMin = 0;
    ws.display.GravityMax = 4;
}

void addMagnetics(Model& m)
{
    m.Mag.Num = 8;
    for (int i = 1; i <= 8; ++i) {
        m.Mag.X[i] = i - 2;   // -1 .. 6
        m.Mag.Calculated[i] = -20 + 80.0 * (i - 1) / 7;
        m.Mag.HasObserved[i] = i % 2 == 0;
        m.Mag.Observed[i] = m.Mag.Calculated[i] + 1;
    }
}

}  // namespace

TEST(MagneticPlots, MagneticCurvesFollowTheGravityPlotOnTheirOwnPenAndLayers)
{
    struct Writer {
        const char* name;
        corvane::Result<std::string> (*bytes)(Workspace&, const std::optional<GravityAxis>&);
        const char* magneticStart;
    };
    const Writer writers[] = {{"HP-GL", &hpglBytes, "SP2;"}, {"DXF", &dxfBytes, "MAGNETIC_CALCULATED"}};
    for (const Writer& w : writers) {
        Workspace plain, with;
        plotModel(plain);
        plotModel(with);
        addMagnetics(with.model);
        std::string p1, p2;
        const std::string a = corvane::test::bytesOf(w.bytes(plain, {}), p1);
        const std::string b = corvane::test::bytesOf(w.bytes(with, {}), p2);
        ASSERT_TRUE(p1.empty() && p2.empty()) << w.name;
        EXPECT_EQ(a.find(w.magneticStart), std::string::npos) << w.name;
        // The plot without magnetics, then the magnetic part, then the same
        // end; a DXF names the magnetic layers in its table first.
        const bool dxf = std::string(w.name) == "DXF";
        const std::string tail = dxf ? "0\r\nENDSEC\r\n0\r\nEOF\r\n" : "";
        const std::string entities = "2\r\nENTITIES\r\n";
        const std::size_t from = dxf ? a.find(entities) : 0, fromB = dxf ? b.find(entities) : 0;
        ASSERT_NE(from, std::string::npos);
        const std::size_t body = a.size() - tail.size() - from;
        EXPECT_EQ(b.substr(fromB, body), a.substr(from, body)) << w.name;
        EXPECT_EQ(b.substr(b.size() - tail.size()), tail) << w.name;
        const std::size_t at = b.find(w.magneticStart, fromB);
        ASSERT_NE(at, std::string::npos) << w.name;
        EXPECT_GE(at, fromB + body) << w.name;
        if (dxf) {
            EXPECT_LT(b.find("2\r\nMAGNETIC_CALCULATED\r\n"), fromB) << "the layer table names it";
        }
        EXPECT_NE(b.find("61.0 nT"), std::string::npos) << w.name;   // observed at station 8
        EXPECT_NE(b.find("-20.0 nT"), std::string::npos) << w.name;
    }

    // HP-GL: the calculated curve over the six stations on the plot, lowest on
    // the divider (y 3750) and highest at the top; the observed one in pieces.
    Workspace ws;
    plotModel(ws);
    addMagnetics(ws.model);
    std::string problem;
    const QString h = QString::fromStdString(corvane::test::bytesOf(hpglBytes(ws), problem));
    const QString part = h.mid(h.indexOf(QStringLiteral("SP2;")));
    const QString calc = part.section(QStringLiteral("LT1"), 0, 0);
    EXPECT_EQ(calc.count(QStringLiteral("PU")), 1);
    EXPECT_EQ(calc.count(QStringLiteral("PD")), 5);
    EXPECT_TRUE(calc.startsWith(QStringLiteral("SP2;PU0,"))) << calc.toStdString();
    const QString observed = part.section(QStringLiteral("LT1"), 1).section(QStringLiteral("LT"), 0, 0);
    EXPECT_EQ(observed.count(QStringLiteral("PD")), 0);   // never two observed neighbours
    EXPECT_EQ(observed.count(QStringLiteral("PU")), 3);   // stations 2, 4, 6 (8 is off the plot)
    EXPECT_TRUE(part.endsWith(QStringLiteral("SP1;")));

    // DXF: every magnetic line lies on the plot's upper half.
    const std::string d = corvane::test::bytesOf(dxfBytes(ws), problem);
    QRegularExpression line(QStringLiteral("8\r\nMAGNETIC_\\w+\r\n10\r\n *(\\S+)\r\n20\r\n *(\\S+)\r\n30\r\n *\\S+\r\n11\r\n *(\\S+)\r\n21\r\n *(\\S+)"));
    int lines = 0;
    for (auto it = line.globalMatch(QString::fromStdString(d)); it.hasNext(); ++lines) {
        const auto mt = it.next();
        for (int c : {1, 3})
            EXPECT_TRUE(mt.captured(c).toDouble() >= 0 && mt.captured(c).toDouble() <= 100);
        for (int c : {2, 4})
            EXPECT_TRUE(mt.captured(c).toDouble() >= 37.5 - 1e-9 && mt.captured(c).toDouble() <= 75 + 1e-9);
    }
    EXPECT_EQ(lines, 5);   // five calculated segments on the plot, no observed pair
}

// With the magnetic panel shown the plots share the upper half as the window
// does, and draw the ground line (a hill at x 2.5) and the airborne line
// (stations 1 to 4 flown, the one at 4 above the view) on pens and layers of
// their own, cut at the section's edge. A model on the datum draws neither:
// the gravity plots' own byte-for-byte tests hold.
TEST(MagneticPlots, PanelGroundAndAirborneLinesByteForByte)
{
    Workspace ws;
    plotModel(ws);
    addMagnetics(ws.model);
    ws.model.StationHeight[2] = 0.5;
    for (int i = 1; i <= ws.model.Mag.Num; ++i)
        ws.model.Mag.Height[i] = i == 6 ? 1.5 : i >= 3 && i <= 5 ? 0.8 : 0;
    ws.display.ViewDepthMin = -1;
    ws.display.ShowMagnetic = true;
    std::string problem;
    test::expectGolden("airborne.hpg", corvane::test::bytesOf(hpglBytes(ws), problem));
    test::expectGolden("airborne.dxf", corvane::test::bytesOf(dxfBytes(ws), problem));
    EXPECT_EQ(problem, "");
}
