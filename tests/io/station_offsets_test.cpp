// The stations' offsets from the profile line in the model file's extras:
// written only for stations off the line, read back the same; a model with
// every station on the line saves the bytes it always did.
#include "io/model_file.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"
#include "support/golden.h"

using namespace corvane;

TEST(StationOffsets, WrittenOnlyOffTheLineAndReadBackTheSame)
{
    struct Case {
        std::vector<std::pair<int, double>> gravity, magnetic;   // station and offset
        const char* lines;   // the offset items as written, "" for none
        const char* note = "";   // a line added to the block, and what loading says of it
    };
    const Case cases[] = {
        {{}, {}, ""},
        {{{2, 0.25}, {5, -1.5}}, {}, "offset 2 0.25\r\noffset 5 -1.5\r\n"},
        {{{1, -0.001}}, {{1, 2}, {3, 0.125}}, "magstation 3.5 0 -4\r\nmagoffset 1 2\r\nmagoffset 3 0.125\r\n"},
        {{}, {}, "", "offset 6 1\r\n"},
        {{}, {}, "", "magoffset 4 1\r\n"},
    };
    for (const Case& c : cases) {
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 5, 0, 4);
        m.StationHeight[2] = 0.1;
        test::setBody(m, 1, {{1, 1}, {2, 1}, {2, 2}}, 0.1, 10, 10);
        m.Bodies[1].Susceptibility = 0.01;
        m.ProfileLine = ProfileLineRecord{500000, 6000000, 504000, 6000000, "EPSG:32633"};
        setMagneticStations(m, {{0.5, 0, 12.5}, {1.5, 0.2, std::nullopt}, {3.5, 0, -4}});
        m.RecalculateModel();
        for (const auto& [i, d] : c.gravity)
            m.StationOffset[i] = d;
        for (const auto& [i, d] : c.magnetic)
            m.Mag.Offset[i] = d;
        std::string bytes = modelFileBytes(ws).value_or("");
        if (*c.lines == 0 && *c.note == 0)
            test::expectGolden("stations_on_line.mod", bytes);   // as the program wrote it before offsets
        EXPECT_EQ(bytes.find("offset") == std::string::npos, *c.lines == 0);
        EXPECT_NE(bytes.find(c.lines), std::string::npos) << bytes;
        bytes.insert(bytes.rfind("#END"), c.note);

        Workspace back;   // holding offsets from the model loaded before
        back.model.StationOffset.fill(9);
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, bytes, &notes).message(), "");
        EXPECT_EQ(notes.size(), *c.note ? 1u : 0u) << c.note;
        for (int i = 1; i <= 5; ++i)
            EXPECT_EQ(back.model.StationOffset[i], m.StationOffset[i]) << c.lines << i;
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(back.model.Mag.Offset[i], m.Mag.Offset[i]) << c.lines << i;
        EXPECT_TRUE(*c.note || modelFileBytes(back).value_or("") == bytes) << c.lines;   // saved again the same
    }
}
