// Point data files, their item lines in the model file and their DXF layers.
#include "io/overlay_items.h"
#include "io/point_file.h"
#include "output/dxf.h"

#include "support/bodies.h"
#include "support/helpers.h"
#include "support/result.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace corvane;
using corvane::test::spit;

namespace {

std::size_t count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(PointFile, ReadsPointsLabelsAndRefusesBadLines)
{
    struct Case {
        const char* text;
        std::vector<DataPoint> points;   // empty: refused
        const char* error;               // start of the message when refused
    };
    const Case cases[] = {
        {"10 2.5\n20 3\n", {{10, 2.5, ""}, {20, 3, ""}}, ""},
        {"10 2.5 Top chalk\r\n\n20,3,Well 2 base\n", {{10, 2.5, "Top chalk"}, {20, 3, "Well 2 base"}}, ""},
        {"x depth name\n1;2;a\n", {{1, 2, "a"}}, ""},            // a header line
        {"12,5 -3,25 q\n1,0 2,0\n", {{12.5, -3.25, "q"}, {1, 2, ""}}, ""},   // decimal commas
        {"1 2\n3\n", {}, "Line 2 of pts.txt"},                   // depth missing
        {"1 2\n3 deep\n", {}, "Line 2 of pts.txt"},
        {"1 2\nx 4\n", {}, "Line 2 of pts.txt"},                  // only the first line may be a header
        {"1 nan\n", {}, "Line 1 of pts.txt"},
        {"name only\n\n", {}, "pts.txt holds no points."},
        {"", {}, "pts.txt holds no points."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = readPointFile(c.text, "/some/where/pts.txt");
        EXPECT_EQ(r ? *r : std::vector<DataPoint>{}, c.points);
        if (c.points.empty())
            EXPECT_EQ(r.message().rfind(c.error, 0), 0u) << r.message();
        else
            EXPECT_EQ(r.message(), "");
    }
}

TEST(PointFile, SetsGetTheirOwnLookAndAFailedReadAddsNothing)
{
    QTemporaryDir dir;
    const std::string a = dir.filePath("a.txt").toStdString();
    const std::string bad = dir.filePath("bad.txt").toStdString();
    spit(a, "1 2 one\n3 4\n");
    spit(bad, "1 2\nthree 4\n");
    Overlays o;
    EXPECT_EQ(addPointSet(o, a).message(), "");
    EXPECT_EQ(addPointSet(o, a).message(), "");
    EXPECT_NE(addPointSet(o, bad).message(), "");
    EXPECT_NE(addPointSet(o, dir.filePath("missing.txt").toStdString()).message(), "");
    ASSERT_EQ(o.pointSets.size(), 2u);
    EXPECT_EQ(o.pointSets[0].points.size(), 2u);
    EXPECT_EQ(o.pointSets[0].path, a);
    EXPECT_NE(o.pointSets[0].colour, o.pointSets[1].colour);
    EXPECT_NE(o.pointSets[0].symbol, o.pointSets[1].symbol);
}

TEST(OverlayItems, RoundTripRelativePathsAndReportedProblems)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::filesystem::create_directory(folder + "/data dir");
    const std::string model = folder + "/basin.mod";
    const std::string pts = folder + "/data dir/hypo \"deep\".txt";
    spit(pts, "1 2 a\n5 6\n");

    Overlays o;
    ASSERT_EQ(addPointSet(o, pts).message(), "");
    o.pointSets[0].symbol = PointSymbol::Diamond;
    o.pointSets[0].colour = 0x12ab3c;
    o.pointSets[0].hidden = true;
    ASSERT_EQ(addPointSet(o, pts).message(), "");
    o.backdrop = Backdrop{folder + "/seis.png", 0.1, 1e5 / 3, -0.5, 12.25, 35, 99.5, true, {}};

    const std::vector<std::string> lines = overlayItemLines(o, model);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "points \"data dir/hypo \\\"deep\\\".txt\" diamond 12ab3c hidden");
    EXPECT_EQ(lines[2].rfind("backdrop \"seis.png\" ", 0), 0u) << lines[2];

    Overlays back;
    std::vector<std::string> problems;
    for (const std::string& l : lines)
        EXPECT_TRUE(readOverlayItem(l, model, back, problems));
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back, o);   // paths come back whole, numbers bit for bit

    // Lines that are not ours are left to the caller; broken ones and a
    // missing file are reported and leave the rest as it was.
    problems.clear();
    EXPECT_FALSE(readOverlayItem("elevation 3 120", model, back, problems));
    const char* broken[] = {
        "points \"data dir/none.txt\" circle ff0000 shown", "points \"unclosed circle ff0000 shown",
        "points \"a.txt\" star ff0000 shown",   "points \"a.txt\" circle red shown",
        "backdrop \"s.png\" 0 0 1 2 60",        "backdrop \"s.png\" 0 1 1 2 160",
        "backdrop \"s.png\" 0 1 1 2",         "backdrop \"s.png\" 0 1 1 2 60 0 grey",
        "backdrop \"s.png\" 0 1 1 2 60 98 pink", "backdrop \"s.png\" 0 1 1 2 60 98",
    };
    for (const char* l : broken)
        EXPECT_TRUE(readOverlayItem(l, model, back, problems)) << l;
    EXPECT_EQ(problems.size(), std::size(broken));
    EXPECT_EQ(back, o);

    // How the bodies are drawn over it: written when not the default, read back.
    for (BodyFill f : {BodyFill::Outlines, BodyFill::Opaque, BodyFill::Translucent}) {
        Overlays one;
        one.backdrop = Backdrop{folder + "/s.png", 0, 1, 1, 2, 60, 98, false, {}, true, 0, f};
        const std::string line = overlayItemLines(one, model).at(0);
        EXPECT_EQ(line.find(" bodies ") != std::string::npos, f != BodyFill::Translucent) << line;
        Overlays read;
        EXPECT_TRUE(readOverlayItem(line, model, read, problems));
        EXPECT_EQ(read, one) << line;
    }
    for (const char* l : {"backdrop \"s.png\" 0 1 1 2 60 98 grey bodies",
                          "backdrop \"s.png\" 0 1 1 2 60 98 grey bodies none",
                          "backdrop \"s.png\" 0 1 1 2 60 98 grey bodies opaque bodies opaque"}) {
        const std::size_t before = problems.size();
        EXPECT_TRUE(readOverlayItem(l, model, back, problems));
        EXPECT_EQ(problems.size(), before + 1) << l;
    }
    EXPECT_EQ(back, o);

    // Without its last two words a backdrop line takes the grey picture at 98 %.
    EXPECT_TRUE(readOverlayItem("backdrop \"s.png\" 0 1 1 2 60", model, back, problems));
    ASSERT_TRUE(back.backdrop);
    EXPECT_EQ(back.backdrop->clipPercent, 98);
    EXPECT_FALSE(back.backdrop->redWhiteBlue);
    EXPECT_EQ(back.backdrop->path, folder + "/s.png");
}

TEST(OverlayItems, LinesAndHorizonsKeepTheirWords)
{
    const std::string model = "/data/basin/basin.mod";
    struct Case {
        bool joined;
        HorizonGrid horizon;
        double step;
        const char* ending;   // of the line written
    };
    const Case cases[] = {
        {false, HorizonGrid::None, 0, "cross 0050d0 shown"},   // as before: no word added
        {true, HorizonGrid::None, 0, "cross 0050d0 shown line"},
        {true, HorizonGrid::Depth, 0.25, "cross 0050d0 shown line horizon depth 0.25"},
        {true, HorizonGrid::Elevation, 1e3 / 3, "cross 0050d0 shown line horizon elevation 333.3333333333333"},
    };
    for (const Case& c : cases) {
        Overlays o;
        o.pointSets.push_back({"/data/basin/top.tif", {}, PointSymbol::Cross, 0x0050d0, false, c.joined, c.horizon, c.step});
        const std::string line = overlayItemLines(o, model).at(0);
        EXPECT_EQ(line, std::string("points \"top.tif\" ") + c.ending);
        Overlays back;
        std::vector<std::string> problems;
        // A horizon's grid is not read as a point file (here it is not there at all).
        EXPECT_TRUE(readOverlayItem(line, model, back, problems, c.horizon != HorizonGrid::None));
        EXPECT_TRUE(problems.empty()) << line;
        EXPECT_EQ(back, o) << line;
    }
    const char* broken[] = {
        "points \"a.tif\" circle ff0000 shown line line",    "points \"a.tif\" circle ff0000 shown horizon depth",
        "points \"a.tif\" circle ff0000 shown horizon rock 1", "points \"a.tif\" circle ff0000 shown horizon depth 0",
        "points \"a.tif\" circle ff0000 shown horizon depth 1 2", "points \"a.tif\" circle ff0000 shown horizon depth 1 line",
    };
    Overlays back;
    std::vector<std::string> problems;
    for (const char* l : broken)
        EXPECT_TRUE(readOverlayItem(l, model, back, problems, false)) << l;
    EXPECT_EQ(problems.size(), std::size(broken));
    EXPECT_TRUE(back.pointSets.empty());

    // The map's grid, by the same rule for its path.
    EXPECT_EQ(mapGridItemLine("/data/basin/grids/mag.tif", model), "map-grid \"grids/mag.tif\"");
    EXPECT_EQ(readMapGridItem("map-grid \"grids/mag.tif\"", model), "/data/basin/grids/mag.tif");
    EXPECT_EQ(readMapGridItem("map-grid \"\"", model), std::nullopt);
    EXPECT_EQ(readMapGridItem("map-grid", model), std::nullopt);
}

TEST(Dxf, PointSetsOnTheirOwnLayers)
{
    Workspace ws;
    Model& m = ws.model;
    test::setStations(m, 3, 0, 5);
    m.NumBodies = 1;
    test::setBody(m, 1, {{1, 1}, {3, 1}, {2, 2}}, 0.2);
    Display& d = ws.display;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 4;
    d.GravityMin = -1;
    d.GravityMax = 3;
    std::string problem;
    const std::string plain = corvane::test::bytesOf(dxfBytes(ws), problem);

    ws.overlays.pointSets = {
        {"a", {{1.25, 0.5, "A1"}, {4, 3, ""}, {6, 1, "beyond"}, {2, 5, "deep"}}, PointSymbol::Circle, 0x0000ff, false},
        {"b", {{2, 2, "hidden"}}, PointSymbol::Cross, 0x00ff00, true},
        {"c", {{0, 0, ""}}, PointSymbol::Square, 0xff0000, false},
    };
    const std::string dxf = corvane::test::bytesOf(dxfBytes(ws), problem);
    ASSERT_EQ(problem, "");
    // A model without point data keeps its layers.
    EXPECT_EQ(dxfLayers(m, d).size(), dxfLayers(m, d, &ws.overlays).size() - 2);
    EXPECT_NE(dxf.find("LAYER\r\n2\r\nPOINTS_1\r\n70\r\n0\r\n62\r\n5\r\n"), std::string::npos);
    EXPECT_NE(dxf.find("LAYER\r\n2\r\nPOINTS_3\r\n"), std::string::npos);
    EXPECT_EQ(dxf.find("POINTS_2"), std::string::npos);
    EXPECT_EQ(count(dxf, "\r\nPOINT\r\n"), 3u);   // two of set 1 in view, set 3's
    auto point = [](const std::string& layer, double x, double z) {
        return "POINT\r\n8\r\n" + layer + "\r\n10\r\n" + dxfReal(x * 100 / 5) + "\r\n20\r\n" +
               dxfReal(37.5 - z * 37.5 / 4) + "\r\n30\r\n0.0\r\n";
    };
    EXPECT_NE(dxf.find(point("POINTS_1", 1.25, 0.5)), std::string::npos);
    EXPECT_NE(dxf.find(point("POINTS_1", 4, 3)), std::string::npos);
    EXPECT_NE(dxf.find(point("POINTS_3", 0, 0)), std::string::npos);
    EXPECT_NE(dxf.find("\r\n1\r\nA1\r\n"), std::string::npos);
    EXPECT_EQ(dxf.find("beyond"), std::string::npos);
    EXPECT_EQ(dxf.find("deep"), std::string::npos);
    // Everything else is as it was.
    EXPECT_EQ(count(dxf, "\r\nLINE\r\n"), count(plain, "\r\nLINE\r\n"));

    // A horizon: lines, no points, broken at its gap.
    PointSet horizon{"h", {{0, 1, ""}, {1, 1.5, ""}, {2, std::nan(""), ""}, {3, 2, ""}, {4, 2, ""}},
                     PointSymbol::Circle, 0, false};
    horizon.joined = true;
    ws.overlays.pointSets.push_back(horizon);
    const std::string lined = corvane::test::bytesOf(dxfBytes(ws), problem);
    EXPECT_EQ(count(lined, "\r\nLINE\r\n8\r\nPOINTS_4\r\n"), 2u);
    EXPECT_EQ(count(lined, "\r\nPOINT\r\n"), 3u);
}
