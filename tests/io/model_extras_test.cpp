#include "io/model_extras.h"
#include "io/model_file.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <QColor>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace corvane;
using corvane::test::link;

namespace {

// Two bodies side by side sharing their corner at (20, 2), a third below.
void threeBodies(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 41, 0, 40);
    for (int i = 1; i <= 41; ++i)
        m.ObservedGravity[i] = 0.1 * i;
    m.NumBodies = 3;
    test::setBody(m, 1, {{10, 1}, {20, 2}, {20, 5}, {10, 5}}, -0.3, 30, 30);
    test::setBody(m, 2, {{20, 2}, {30, 1}, {30, 5}, {20, 5}}, 0.2, 30, 30);
    test::setBody(m, 3, {{0, 8}, {40, 8}, {40, 10}, {0, 10}}, 0.05, 60, 60);
    ws.display.GridStepX = 5;
    ws.display.GridStepZ = 1;
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 12;
    m.RecalculateModel();
}

std::string save(const Workspace& ws)
{
    auto bytes = modelFileBytes(ws);
    EXPECT_TRUE(bytes) << bytes.message();
    return bytes.value_or("");
}

// The records of a file and its block (without the line break after the records).
std::string recordsOf(const std::string& file)
{
    ModelFileContents c;
    EXPECT_EQ(parseModelFile(file, c).message(), "");
    return file.substr(0, c.RecordBytes);
}

// A model that holds one of every kind of item the program writes.
void everything(Workspace& ws)
{
    threeBodies(ws);
    Model& m = ws.model;
    link(m, 1, 2, 2, 1);
    link(m, 1, 3, 2, 4);
    m.setHidden(3, true);
    m.Bodies[2].InvertDensity = m.Bodies[2].InvertDepth = true;
    m.Bodies[2].InvertSusceptibility = true;
    m.Bodies[2].SusceptibilityMax = 0.2;
    m.Bodies[2].RemanenceMin = 1.5;
    m.Bodies[2].DensMin = 0.05;
    m.Bodies[2].DensMax = 0.4;
    m.Bodies[1].CornerInvertZ[4] = true;
    m.Bodies[1].CornerInvertX[1] = true;
    ws.inversion.InversionBody = 2;
    ws.inversion.NumIterations = 25;
    ws.extras.KeepLinkedCorners = true;
    ws.extras.AllBodies = ws.extras.FitShift = ws.extras.FitMagnetic = true;
    ws.extras.MagneticError = 2.5;
    ws.extras.FitGradients[5] = {true, 3, true};
    ws.extras.FitGradients[1] = {false, 7, true};   // not chosen: not kept
    ws.extras.RegionalRemoved = RegionalRecord{"linear", {0.156361, -52.2}};
    ws.extras.MagneticRegionalRemoved = MagneticRegionalRecord{12.5, -0.03};
    for (int h = 1; h <= 2; ++h) {
        THole& hole = m.Holes[h];
        hole.Name = h == 1 ? "well A1" : "  Bore ñ 2";
        hole.NumDepths = 3;
        for (int r = 1; r <= 3; ++r) {
            hole.HoleX[r] = 5 * h + 0.1 * r;
            hole.HoleDepth[r] = 0.7 * r;
        }
        hole.NumLabels = 2;
        hole.Label[1] = "sand stone";
        hole.LabelRow[1] = 1;
        hole.Label[2] = "granite ";
        hole.LabelRow[2] = 3;
    }
    m.NumHoles = 2;
    ws.display.ShowBodyNumbers = true;
    ws.display.ShowDensities = false;
    ws.display.ColourScheme = 2;
    ws.display.ObsCurveColour = QColor(200, 10, 0);
    ws.display.ShowMap = true;
    ws.app.Title1 = "Basin line 7";
}

}  // namespace

TEST(ModelExtras, EveryKindOfItemSavesLoadsAndSavesAlike)
{
    Workspace ws;
    everything(ws);
    const std::string first = save(ws);
    const std::string records = recordsOf(first);
    ASSERT_EQ(first.substr(records.size(), 21), "\r\n#CORVANE-EXTRAS 1\r\n");
    ASSERT_TRUE(first.ends_with("\r\n#END\r\n"));

    // Magnetic and height items and keys of other programs, read between and
    // after the program's own, blanks as typed.
    const std::string foreign = "field 50000 65.5 -2 90\r\nmagnetisation 2 0.01 1.5 60 5\r\n"
                                "elevation 3 0.25\r\nmagstation 1.5 0.1 -\r\nmagstation 2  0.1 12.5\r\n"
                                "backdrop-image 0 0 40 12 /data/seis mic.png\r\nzz future\tkey\r\n";
    std::string withForeign = first;
    withForeign.insert(withForeign.find("invert "), foreign);

    Workspace back;
    std::vector<std::string> notes;
    ASSERT_EQ(loadModelBytes(back, withForeign, &notes).message(), "");
    EXPECT_TRUE(notes.empty()) << notes.front();
    const std::string again = save(back);
    Workspace third;
    ASSERT_EQ(loadModelBytes(third, again, &notes).message(), "");
    EXPECT_EQ(save(third), again);
    EXPECT_EQ(again.substr(0, records.size()), records);
    // The magnetic keys stand at their place in the canonical order, written
    // from the model; the unknown ones last, each line as it was read.
    const std::size_t field = again.find("field 50000 65.5 -2 90\r\n");
    const std::size_t links = again.find("link 1 3 2 4\r\n");
    const std::size_t invert = again.find("invert 2 1 0 1 0\r\n");
    ASSERT_NE(field, std::string::npos);
    EXPECT_LT(links, field);
    EXPECT_LT(field, invert);
    EXPECT_NE(again.find("magnetisation 2 0.01 1.5 60 5\r\nelevation 3 0.25\r\n"
                         "magstation 1.5 0.1 -\r\nmagstation 2 0.1 12.5\r\n"),
              std::string::npos);
    {
        const Model& m = back.model;
        EXPECT_EQ(m.Mag.FieldInclination, 65.5);
        EXPECT_EQ(m.Bodies[2].Susceptibility, 0.01);
        EXPECT_EQ(m.Bodies[2].RemanentDeclination, 5);
        EXPECT_EQ(m.StationHeight[3], 0.25);
        ASSERT_EQ(m.Mag.Num, 2);
        EXPECT_FALSE(m.Mag.HasObserved[1]);
        EXPECT_EQ(m.Mag.Observed[2], 12.5);
        // The magnetised body's anomaly is calculated at the stations read.
        EXPECT_NE(m.Mag.Calculated[1], 0);
        EXPECT_EQ(m.Mag.Calculated[1], m.Bodies[1].Magnetic[1] + m.Bodies[2].Magnetic[1]);
    }
    EXPECT_NE(again.find("zz future\tkey\r\n#END\r\n"), std::string::npos);
    // Without them the file is the one first written.
    Workspace plain;
    ASSERT_EQ(loadModelBytes(plain, first).message(), "");
    EXPECT_EQ(save(plain), first);

    const Model& m = back.model;
    EXPECT_TRUE(m.Bodies[3].Hidden);
    EXPECT_FALSE(m.Bodies[1].Hidden || m.Bodies[2].Hidden);
    for (int i = 1; i <= m.NumStations; ++i)
        ASSERT_DOUBLE_EQ(m.CalculatedGravity[i], m.Bodies[1].Gravity[i] + m.Bodies[2].Gravity[i]) << i;
    // Links both ways.
    EXPECT_TRUE(m.Bodies[1].Linked[2] && m.Bodies[1].LinkBody[2] == 2 && m.Bodies[1].LinkCorner[2] == 1);
    EXPECT_TRUE(m.Bodies[2].Linked[1] && m.Bodies[2].LinkBody[1] == 1 && m.Bodies[2].LinkCorner[1] == 2);
    EXPECT_TRUE(m.Bodies[2].Linked[4] && m.Bodies[2].LinkCorner[4] == 3);
    EXPECT_TRUE(m.Bodies[2].InvertDensity && m.Bodies[2].InvertDepth && !m.Bodies[2].InvertXPos);
    EXPECT_EQ(m.Bodies[2].DensMin, 0.05);
    EXPECT_EQ(m.Bodies[2].DensMax, 0.4);
    EXPECT_TRUE(m.Bodies[2].InvertSusceptibility && !m.Bodies[2].InvertRemanence);
    EXPECT_FALSE(m.Bodies[1].InvertSusceptibility || m.Bodies[1].InvertRemanence);
    EXPECT_EQ(m.Bodies[2].SusceptibilityMax, 0.2);
    EXPECT_EQ(m.Bodies[2].RemanenceMin, 1.5);
    EXPECT_EQ(m.Bodies[2].RemanenceMax, 100);
    EXPECT_EQ(m.Bodies[1].SusceptibilityMax, 1);
    EXPECT_NE(again.find("invert-magnetic 2 1 0\r\nbounds-magnetic 2 0 0.2 1.5 100\r\n"), std::string::npos);
    EXPECT_TRUE(m.Bodies[1].CornerInvertZ[4] && m.Bodies[1].CornerInvertX[1] && !m.Bodies[1].CornerInvertX[4]);
    EXPECT_EQ(back.inversion.InversionBody, 2);
    EXPECT_EQ(back.inversion.NumIterations, 25);
    EXPECT_TRUE(back.extras.KeepLinkedCorners);
    EXPECT_NE(again.find("keep-linked 1\r\ninvert-all 1\r\nfit-shift 1\r\nfit-data 1 1 0.1 2.5\r\n"
                         "fit-gradient zz 3 1\r\n"),
              std::string::npos);
    EXPECT_EQ(back.extras.FitGradients, (std::array<GradientFitChoice, 6>{{{}, {}, {}, {}, {}, {true, 3, true}}}));
    EXPECT_TRUE(back.extras.AllBodies && back.extras.FitShift && back.extras.FitGravity && back.extras.FitMagnetic);
    EXPECT_EQ(back.extras.GravityError, 0.1);
    EXPECT_EQ(back.extras.MagneticError, 2.5);
    ASSERT_TRUE(back.extras.RegionalRemoved);
    EXPECT_EQ(back.extras.RegionalRemoved->Coefficients, (std::vector<double>{0.156361, -52.2}));
    EXPECT_NE(again.find("regional linear 0.156361 -52.2\r\nmagnetic-regional 12.5 -0.03\r\n"), std::string::npos);
    EXPECT_EQ(back.extras.MagneticRegionalRemoved, (MagneticRegionalRecord{12.5, -0.03}));
    ASSERT_EQ(m.NumHoles, 2);
    EXPECT_EQ(m.Holes[2].Name, "  Bore ñ 2");
    EXPECT_EQ(m.Holes[2].Label[2], "granite ");
    EXPECT_EQ(m.Holes[2].LabelRow[2], 3);
    EXPECT_EQ(m.Holes[1].HoleX[3], ws.model.Holes[1].HoleX[3]);
    EXPECT_TRUE(back.display.ShowBodyNumbers);
    EXPECT_FALSE(back.display.ShowDensities);
    EXPECT_EQ(back.display.ObsCurveColour, QColor(200, 10, 0));
    EXPECT_TRUE(back.display.ShowMap);
    EXPECT_EQ(back.app.Title1, "Basin line 7");

    // The magnetic items are read as data too, ready for their users.
    ModelFileContents c;
    ASSERT_EQ(parseModelFile(withForeign, c).message(), "");
    ASSERT_TRUE(c.Extras && c.Extras->Field);
    EXPECT_EQ(c.Extras->Field->Inclination, 65.5);
    ASSERT_EQ(c.Extras->MagStations.size(), 2u);
    EXPECT_FALSE(c.Extras->MagStations[0].Anomaly);
    EXPECT_EQ(c.Extras->MagStations[1].Anomaly, 12.5);
    EXPECT_EQ(c.Extras->Magnetisations.at(0).Remanence, 1.5);
    EXPECT_EQ(c.Extras->Elevations.at(0).Station, 3);
}

TEST(ModelExtras, ANewModelsSettingsWriteNoBlock)
{
    Workspace ws;
    threeBodies(ws);
    const std::string bytes = save(ws);
    EXPECT_EQ(bytes, recordsOf(bytes));
    // A load of a file without a block leaves nothing for the next save.
    Workspace other;
    everything(other);
    ASSERT_EQ(loadModelBytes(other, bytes).message(), "");
    other.display.ShowBodyNumbers = false;
    other.display.ShowDensities = true;
    other.display.ColourScheme = 4;
    other.display.ObsCurveColour = Display{}.ObsCurveColour;
    other.display.ShowMap = false;
    other.app.Title1 = std::string(24, ' ');
    other.model.NumHoles = 0;
    other.extras = {};   // the inversion's options, like the rest, outlast a load without a block
    other.inversion.NumIterations = 10;
    // (Typed bounds surviving a load is a matter of the inversion's own.)
    other.model.Bodies[2].DensMin = 0.0001;
    other.model.Bodies[2].DensMax = 1.0;
    EXPECT_EQ(save(other), bytes);
}

TEST(ModelExtras, LinesThatCannotBeReadAreReportedAndLeftOut)
{
    Workspace base;
    threeBodies(base);
    const std::string records = recordsOf(save(base));
    struct Case {
        const char* line;
        const char* why;
    };
    const Case cases[] = {
        {"link 1 2 9 1", "there is no body 9"},
        {"link 1 9 2 1", "body 1 has no corner 9"},
        {"link 1 5 2 1", "body 1 has no corner 5"},   // the closing copy
        {"link 1 1 2 1", "linked corners lie in the same place"},
        {"link 1 2 1 3", "another body"},
        {"hidden 0", "\"0\" is not a whole number"},
        {"hidden 4", "there is no body 4"},
        {"hidden two", "\"two\" is not a whole number"},
        {"invert 1 2 0 0 0", "\"2\" is not 0 or 1"},
        {"bounds 1 0 1", "takes 9 fields, this line has 3"},
        {"bounds 1 0 1 0 40 0 10 -90 nan", "\"nan\" is not a number"},
        {"corner-invert 2 7 1 0", "body 2 has no corner 7"},
        {"invert-magnetic 1 1", "takes 3 fields, this line has 2"},
        {"invert-magnetic 4 1 0", "there is no body 4"},
        {"bounds-magnetic 1 0 1 0 x", "\"x\" is not a number"},
        {"inversion-body 5", "there is no body 5"},
        {"iterations 300", "from 0 to 255"},
        {"invert-all 2", "\"2\" is not 0 or 1"},
        {"fit-data 1 0 0 1", "must be above 0"},
        {"fit-data 1 1 0.1", "takes 4 fields"},
        {"fit-gradient tzz 5 0", "\"tzz\" is not a gradient component (xx, xy, xz, yy, yz or zz)"},
        {"fit-gradient zz 0 1", "must be above 0"},
        {"field 50000 60 2", "takes 4 fields"},
        {"magstation 1 0.1 x", "\"x\" is not a number"},
        {"regional cubic 1 2", "not a kind of regional"},
        {"regional linear 1", "takes 3 fields"},
        {"magnetic-regional 1", "takes 2 fields"},
        {"magnetic-regional 1 inf", "\"inf\" is not a number"},
        {"borehole-row 1 2 3", "from 1 to 0"},
        {"borehole 2 late", "does not follow borehole 0"},
        {"display colour-scheme 9", "\"9\" is not a value of \"colour-scheme\""},
        {"display wallpaper 1", "\"wallpaper\" is not a display setting"},
        {"display gradient-components zz,zz", "\"zz,zz\" is not a value of \"gradient-components\""},
        {" hidden 1", "does not begin with a key"},
        {"title 3 x", "from 1 to 2"},
        // Values whose magnetic sums would overflow are refused by name.
        {"field 1e308 60 2 90", "the field intensity must be from 0 to 500000 nT"},
        {"field 50000 90.5 2 90", "the field inclination must be from -90 to 90 degrees"},
        {"field 50000 60 -361 90", "the field declination must be from -360 to 360 degrees"},
        {"field 50000 60 2 1e300", "the profile azimuth must be from -360 to 360 degrees"},
        {"magnetisation 1 1e308 0 0 0", "the susceptibility must be from -1 to 100 SI"},
        {"magnetisation 1 0.01 -1e308 0 0", "the remanent intensity must be from -100000 to 100000 A/m"},
        {"magnetisation 1 0.01 1 -91 0", "the remanent inclination must be from -90 to 90 degrees"},
        {"magnetisation 1 0.01 1 0 720", "the remanent declination must be from -360 to 360 degrees"},
        {"elevation 1 1e308", "a station's height must be from -1000000 to 1000000."},
        {"magstation 1e308 0 -", "a station's position must be from -1000000000 to 1000000000."},
        {"magstation 1 -2e6 -", "a station's height must be from"},
        {"magstation 1 0 1e308", "an observed magnetic value must be from -10000000 to 10000000 nT"},
        {"gradstation 1 0 - - - - - 1e308", "an observed gradient must be from -10000000 to 10000000 E"},
        {"gradient-frame north", "\"north\" is not a frame (profile or geographic)"},
        {"bounds-magnetic 1 0 1 0 1e308", "the remanent intensity must be from"},
        {"density-law 1 cubic 0.1 0", "\"cubic\" is not a density law (linear or exponential)"},
        {"density-law 1 constant 0 0", "\"constant\" is not a density law"},
        {"density-law 4 linear 0.1 0", "there is no body 4"},
        {"density-law 1 exponential x 0", "\"x\" is not a number"},
        {"density-law 1 linear 0.1", "takes 4 fields, this line has 3"},
    };
    for (const Case& c : cases) {
        // The bad line is line 3; the good ones around it still count.
        const std::string file = records + "\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n" + c.line +
                                 "\r\ninvert 3 1 0 0 0\r\n#END\r\n";
        Workspace ws;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(ws, file, &notes).message(), "") << c.line;
        ASSERT_EQ(notes.size(), 1u) << c.line;
        EXPECT_EQ(notes[0].rfind("Line 3 of the extras could not be read: ", 0), 0u) << notes[0];
        EXPECT_NE(notes[0].find(c.why), std::string::npos) << c.line << " -> " << notes[0];
        EXPECT_TRUE(ws.model.Bodies[2].Hidden) << c.line;
        EXPECT_TRUE(ws.model.Bodies[3].InvertDensity) << c.line;
        EXPECT_FALSE(ws.model.Bodies[1].Linked[2] || ws.model.Bodies[1].Linked[1]) << c.line;
        // A line that was left out is not written back.
        const std::string saved = save(ws);
        EXPECT_EQ(saved.find(c.line), std::string::npos) << c.line;
    }
}

TEST(ModelExtras, BlockFormsTheReaderAccepts)
{
    Workspace base;
    threeBodies(base);
    const std::string records = recordsOf(save(base));
    struct Case {
        std::string block;
        bool read;        // the block is taken
        bool hidden;      // body 2 ends hidden
        std::size_t notes;
    };
    const Case cases[] = {
        {"\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n#END\r\n", true, true, 0},
        {"#CORVANE-EXTRAS 1\r\nhidden 2\r\n#END\r\n", true, true, 0},   // no break after the records
        {"\n#CORVANE-EXTRAS 1\nhidden 2\n\n#END\n", true, true, 0},     // LF alone, a blank line
        {"\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n#END", true, true, 0},   // no break after #END
        {"\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n", true, true, 1},       // cut short
        {"\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n#END\r\nhidden 1\r\n", true, true, 0},   // after #END: ignored
        {"\r\n#CORVANE-EXTRAS 2\r\nhidden 2\r\n#END\r\n", false, false, 1},   // kept, reported
        {"\r\njunk from elsewhere", false, false, 0},
        {"", false, false, 0},
    };
    for (const Case& c : cases) {
        Workspace ws;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(ws, records + c.block, &notes).message(), "") << c.block;
        ModelFileContents f;
        ASSERT_EQ(parseModelFile(records + c.block, f).message(), "");
        EXPECT_EQ(f.Extras.has_value(), c.read) << c.block;
        EXPECT_EQ(ws.model.Bodies[2].Hidden, c.hidden) << c.block;
        EXPECT_FALSE(ws.model.Bodies[1].Hidden) << c.block;
        EXPECT_EQ(notes.size(), c.notes) << c.block;
    }
}

TEST(ModelExtras, TheLastVisibleBodyStaysShown)
{
    Workspace base;
    threeBodies(base);
    const std::string file = recordsOf(save(base)) + "\r\n#CORVANE-EXTRAS 1\r\nhidden 1\r\nhidden 2\r\nhidden 3\r\n#END\r\n";
    Workspace ws;
    std::vector<std::string> notes;
    ASSERT_EQ(loadModelBytes(ws, file, &notes).message(), "");
    EXPECT_TRUE(ws.model.Bodies[1].Hidden && ws.model.Bodies[2].Hidden && !ws.model.Bodies[3].Hidden);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "Line 4 of the extras could not be read: one body stays shown.");
}

TEST(ModelExtras, ChecksumCoversEveryByteBeforeIt)
{
    Workspace ws;
    everything(ws);
    const std::string bytes = modelFileBytes(ws, extrasOf(ws), true).value();
    const std::size_t at = bytes.find("checksum ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(bytes.substr(at).starts_with("checksum " + extrasChecksum(bytes.substr(0, at)) + "\r\n#END"));
    // The CRC-32 of the zlib polynomial ("123456789" is the usual check value).
    EXPECT_EQ(extrasChecksum("123456789"), "cbf43926");

    auto verdict = [](const std::string& b) {
        ModelFileContents c;
        EXPECT_EQ(parseModelFile(b, c).message(), "");
        return c.ExtrasRead.HasChecksum && c.ExtrasRead.ChecksumGood;
    };
    EXPECT_TRUE(verdict(bytes));
    // A change anywhere before the checksum is seen: a record, an item.
    for (std::size_t pos : {std::size_t{20}, bytes.find("hidden 3") + 7, at - 3}) {
        std::string hurt = bytes;
        hurt[pos] = static_cast<char>(hurt[pos] ^ 0x04);
        EXPECT_FALSE(verdict(hurt)) << pos;
    }
    EXPECT_FALSE(verdict(save(ws)));   // a model file carries none
}

TEST(ModelExtras, NumbersAreTheShortestThatReadBack)
{
    for (double v : {0.1, -52.2, 1e-7, 123456789.125, 1.0 / 3.0, -0.0, 6.02214076e23}) {
        const std::string s = extrasNumber(v);
        EXPECT_EQ(std::stod(s), v) << s;
        EXPECT_EQ(s.find(','), std::string::npos);
        EXPECT_NE(s, "-0");
    }
    EXPECT_EQ(extrasNumber(0.1), "0.1");
}

TEST(ModelExtras, BlocksOfOtherVersionsAreKeptByteForByte)
{
    Workspace base;
    threeBodies(base);
    const std::string records = recordsOf(save(base));
    const std::string ours = "\r\n#CORVANE-EXTRAS 1\r\nhidden 2\r\n#END\r\n";
    const std::string v2 = "#CORVANE-EXTRAS 2\r\nhidden 1\r\nfuture \xc3\xa9 1\r\n\r\n#END\r\n";
    // The bytes after the records, and where the kept part begins.
    const std::pair<std::string, std::size_t> cases[] = {
        {"\r\n" + v2, 2},
        {ours + v2 + "#CORVANE-EXTRAS 3\nx\n#END\n", ours.size()},
        {"\r\n#CORVANE-EXTRAS 1 \r\nhidden 2\r\n#END\r\n", 2},   // a trailing blank: not ours
        {"\r\n#CORVANE-EXTRAS 2\r\nhidden 1\r\nno end", 2},
    };
    for (const auto& [after, kept] : cases) {
        Workspace ws;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(ws, records + after, &notes).message(), "");
        EXPECT_EQ(ws.model.Bodies[2].Hidden, kept > 2) << after;   // only our block is applied
        EXPECT_FALSE(ws.model.Bodies[1].Hidden) << after;
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes[0].rfind("The extras headed \"#CORVANE-EXTRAS ", 0), 0u) << notes[0];
        EXPECT_EQ(save(ws), records + after);
        ws.model.setHidden(3, true);   // our block is written ahead of the kept one
        const std::string edited = save(ws);
        EXPECT_TRUE(edited.ends_with(after.substr(kept))) << after;
        ASSERT_EQ(loadModelBytes(ws, edited).message(), "");
        EXPECT_EQ(save(ws), edited);
    }
    // The next model loaded keeps nothing of them.
    Workspace ws;
    ASSERT_EQ(loadModelBytes(ws, records + "\r\n" + v2).message(), "");
    ASSERT_EQ(loadModelBytes(ws, records).message(), "");
    EXPECT_EQ(save(ws), records);
}

TEST(ModelExtras, AVeryLongBadLineIsQuotedByItsBeginning)
{
    Workspace base;
    threeBodies(base);
    const std::string records = recordsOf(save(base));
    const std::string huge(10'000'000, '7');
    for (const std::string& line : {"#CORVANE-EXTRAS 1\r\nhidden " + huge, "#CORVANE-EXTRAS 1\r\ndisplay grid " + huge,
                                    "#CORVANE-EXTRAS 1\r\nregional " + huge + " 1",
                                    "#CORVANE-EXTRAS 1\r\npoints \"" + huge + "\" circle ff0000 shown",
                                    "#CORVANE-EXTRAS 1\r\nbackdrop \"a.png\" 0 1 0 1 50 " + huge,
                                    "#CORVANE-EXTRAS " + huge}) {
        Workspace ws;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(ws, records + "\r\n" + line + "\r\n#END\r\n", &notes).message(), "");
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_LT(notes[0].size(), 200u) << notes[0];
        EXPECT_NE(notes[0].find(huge.substr(0, 20) + "...\""), std::string::npos) << notes[0];
    }
    // The cut falls between characters.
    EXPECT_EQ(extrasQuote(std::string(59, 'a') + "\xc3\xa9\xc3\xa9"), "\"" + std::string(59, 'a') + "\xc3\xa9...\"");
}

TEST(ModelExtras, MagneticValuesAtTheirLimitsGiveFiniteAnomalies)
{
    Workspace ws;
    threeBodies(ws);
    const std::string file = recordsOf(save(ws)) +
                             "\r\n#CORVANE-EXTRAS 1\r\nfield 500000 -90 360 -360\r\n"
                             "magnetisation 1 100 100000 90 -360\r\nmagnetisation 2 -1 -100000 -90 360\r\n"
                             "magstation -1000000000 1000000 10000000\r\nmagstation 20 -1000000 -10000000\r\n"
                             "magstation 1000000000 0.5 -\r\n#END\r\n";
    std::vector<std::string> notes;
    ASSERT_EQ(loadModelBytes(ws, file, &notes).message(), "");
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(ws.model.Mag.Num, 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(std::isfinite(ws.model.Mag.Calculated[i])) << i;
    EXPECT_NE(ws.model.Mag.Calculated[2], 0);
}

// A body's density law is saved with it and read back before the body is
// calculated; taking the law off writes the file without it, byte for byte.
TEST(ModelExtras, DensityLawsSaveAndLoad)
{
    Workspace ws;
    threeBodies(ws);
    const std::string constant = save(ws);
    Model& m = ws.model;
    m.Bodies[1].Law = DensityLaw::Linear, m.Bodies[1].LawRate = 0.05, m.Bodies[1].LawZ0 = 1.5;
    m.Bodies[3].Law = DensityLaw::Exponential, m.Bodies[3].LawRate = 0.3;
    const std::string first = save(ws);
    EXPECT_TRUE(first.ends_with("\r\n#CORVANE-EXTRAS 1\r\ndensity-law 1 linear 0.05 1.5\r\n"
                                "density-law 3 exponential 0.3 0\r\n#END\r\n"));
    Workspace back;
    back.model.Bodies[2].Law = DensityLaw::Linear;   // left by the model before: not this one's
    back.model.Bodies[2].LawRate = 1;
    ASSERT_EQ(loadModelBytes(back, first).message(), "");
    EXPECT_EQ(save(back), first);
    auto again = std::make_unique<Model>(back.model);
    again->RecalculateModel();
    for (int i = 1; i <= m.NumStations; ++i)
        ASSERT_EQ(back.model.CalculatedGravity[i], again->CalculatedGravity[i]) << i;
    m.Bodies[1].Law = m.Bodies[3].Law = DensityLaw::Constant;
    EXPECT_EQ(save(ws), constant);
}
