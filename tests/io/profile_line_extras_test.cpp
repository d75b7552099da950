// The profile line in the model file's extras: written in its place, read
// back the same (a system with blanks included), lines that cannot be read
// reported, and a file without it leaves the model with none.
#include "io/model_extras.h"
#include "io/model_file.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corvane;

namespace {

std::string save(const Workspace& ws)
{
    std::string reason;
    auto bytes = modelFileBytes(ws, reason);
    EXPECT_TRUE(bytes) << reason;
    return bytes.value_or("");
}

void fourStations(Workspace& ws)
{
    test::setStations(ws.model, 4, 0, 3);
    ws.model.NumBodies = 1;
    test::setBody(ws.model, 1, {{1, 1}, {2, 1}, {2, 2}}, 0.1, 10, 10);
    ws.model.RecalculateModel();
}

TEST(ProfileLineExtras, WrittenInItsPlaceAndReadBackTheSame)
{
    const std::string wkt = "PROJCRS[\"WGS 84 / UTM zone 33N\",BASEGEOGCRS[\"WGS 84\"]]";   // a text with blanks
    const ProfileLineRecord lines[] = {{500000, 6000000, 510000.5, 6004000.25, "EPSG:32633"},
                                       {-1.5, 2, 3, 1e7, wkt}};
    for (const ProfileLineRecord& l : lines) {
        Workspace ws;
        fourStations(ws);
        ws.model.ProfileLine = l;
        ws.model.Mag.FieldIntensity = 48000;   // "field" follows the line
        const std::string bytes = save(ws);
        const std::string item = "profile-line " + extrasNumber(l.E1) + " " + extrasNumber(l.N1) + " " +
                                 extrasNumber(l.E2) + " " + extrasNumber(l.N2) + " " + l.Crs + "\r\nfield ";
        EXPECT_NE(bytes.find("#CORVANE-EXTRAS 1\r\n" + item), std::string::npos) << bytes.substr(bytes.find('#'));

        Workspace back;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, bytes, &notes), "");
        EXPECT_TRUE(notes.empty());
        ASSERT_TRUE(back.model.ProfileLine);
        EXPECT_EQ(*back.model.ProfileLine, l);
        EXPECT_EQ(save(back), bytes);

        // A file without extras is placed on no map, whatever the last one was.
        Workspace plain;
        fourStations(plain);
        ASSERT_EQ(loadModelBytes(back, save(plain), &notes), "");
        EXPECT_FALSE(back.model.ProfileLine);
    }
}

TEST(ProfileLineExtras, LinesThatCannotBeReadAreReported)
{
    Workspace ws;
    fourStations(ws);
    const std::string file = save(ws);
    const struct {
        const char* line;
        const char* why;
    } cases[] = {
        {"profile-line 1 2 1 2 EPSG:32633", "Line 2 of the extras could not be read: the profile line's end points must differ."},
        {"profile-line 1 2 3 4", "Line 2 of the extras could not be read: \"profile-line\" takes at least 5 fields."},
        {"profile-line 1 2 x 4 EPSG:32633", "Line 2 of the extras could not be read: "},
    };
    for (const auto& c : cases) {
        Workspace back;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, file + "\r\n#CORVANE-EXTRAS 1\r\n" + c.line + "\r\n#END\r\n", &notes), "");
        ASSERT_EQ(notes.size(), 1u) << c.line;
        EXPECT_TRUE(notes[0].starts_with(c.why)) << notes[0];
        EXPECT_FALSE(back.model.ProfileLine) << c.line;
    }
}

}  // namespace
