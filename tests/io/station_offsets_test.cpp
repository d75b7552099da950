// The stations' offsets from the profile line in the model file's extras:
// written only for stations off the line, read back the same, and a model
// with every station on the line saves the bytes it always did.
#include "io/model_extras.h"
#include "io/model_file.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"
#include "support/golden.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// Five gravity stations (one off the datum) and three magnetic ones on a
// line, a body under them.
void surveyModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 5, 0, 4);
    m.StationHeight[2] = 0.1;
    test::setBody(m, 1, {{1, 1}, {2, 1}, {2, 2}}, 0.1, 10, 10);
    m.Bodies[1].Susceptibility = 0.01;
    m.NumBodies = 1;
    m.ProfileLine = ProfileLineRecord{500000, 6000000, 504000, 6000000, "EPSG:32633"};
    setMagneticStations(m, {{0.5, 0, 12.5}, {1.5, 0.2, std::nullopt}, {3.5, 0, -4}});
    m.RecalculateModel();
}

TEST(StationOffsets, WrittenOnlyOffTheLineAndReadBackTheSame)
{
    struct Case {
        std::vector<std::pair<int, double>> gravity, magnetic;   // station and offset
        const char* lines;   // the offset items as written, "" for none
    };
    const Case cases[] = {
        {{}, {}, ""},
        {{{2, 0.25}, {5, -1.5}}, {}, "offset 2 0.25\r\noffset 5 -1.5\r\n"},
        {{}, {{3, 0.125}}, "magoffset 3 0.125\r\n"},
        {{{1, -0.001}}, {{1, 2}, {2, -2}}, "offset 1 -0.001\r\n"},
    };
    for (const Case& c : cases) {
        Workspace ws;
        surveyModel(ws);
        for (const auto& [i, d] : c.gravity)
            ws.model.StationOffset[i] = d;
        for (const auto& [i, d] : c.magnetic)
            ws.model.Mag.Offset[i] = d;
        const std::string bytes = modelFileBytes(ws).value_or("");
        if (*c.lines == 0) {
            // The bytes of a model on the line, as they were before offsets.
            test::expectGolden("stations_on_line.mod", bytes);
            EXPECT_EQ(bytes.find("offset"), std::string::npos);
        } else {
            EXPECT_NE(bytes.find(c.lines), std::string::npos) << bytes;
        }
        if (!c.magnetic.empty()) {
            EXPECT_NE(bytes.find("magstation 3.5 0 -4\r\nmagoffset"), std::string::npos);
        }

        Workspace back;
        back.model.StationOffset.fill(9);   // what a model loaded before held
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, bytes, &notes).message(), "");
        EXPECT_TRUE(notes.empty()) << notes.front();
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(back.model.StationOffset[i], ws.model.StationOffset[i]) << c.lines << i;
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(back.model.Mag.Offset[i], ws.model.Mag.Offset[i]) << c.lines << i;
        EXPECT_EQ(modelFileBytes(back).value_or(""), bytes);
    }
}

TEST(StationOffsets, AnOffsetOfAStationTheModelLacksIsReported)
{
    Workspace ws;
    surveyModel(ws);
    const std::string bytes = modelFileBytes(ws).value_or("");
    const std::pair<const char*, const char*> cases[] = {
        {"offset 6 1", "there is no station 6."},
        {"magoffset 4 1", "there is no magnetic station 4."},
        {"offset 2 x", ""},
    };
    for (const auto& [line, why] : cases) {
        std::string edited = bytes;
        const std::size_t end = edited.rfind("#END");
        ASSERT_NE(end, std::string::npos);
        edited.insert(end, std::string(line) + "\r\n");
        Workspace back;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, edited, &notes).message(), "");
        ASSERT_EQ(notes.size(), 1u) << line;
        EXPECT_NE(notes[0].find(why), std::string::npos) << notes[0];
        EXPECT_FALSE(hasGravityOffsets(back.model) || hasMagneticOffsets(back.model)) << line;
    }
}

}  // namespace
