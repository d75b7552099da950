// The profile line in the model file's extras: written in its place, read
// back the same (a system with blanks too), lines that cannot be read
// reported, and a file without it leaves the model placed on no map.
#include "io/model_extras.h"
#include "io/model_file.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

std::string saved(const ProfileLineRecord* line)
{
    Workspace ws;
    test::setStations(ws.model, 4, 0, 3);
    test::setBody(ws.model, 1, {{1, 1}, {2, 1}, {2, 2}}, 0.1, 10, 10);
    if (line) {   // else no extras at all
        ws.model.ProfileLine = *line;
        ws.model.Mag.FieldIntensity = 48000;   // "field" follows the line
    }
    const Result<std::string> bytes = modelFileBytes(ws);
    return bytes ? *bytes : bytes.message();
}

TEST(ProfileLineExtras, WrittenInItsPlaceAndReadBackTheSame)
{
    const ProfileLineRecord lines[] = {{500000, 6000000, 510000.5, 6004000.25, "EPSG:32633"},
                                       {-1.5, 2, 3, 1e7, "PROJCRS[\"WGS 84 / UTM zone 33N\",BASEGEOGCRS[\"WGS 84\"]]"}};
    const std::string items[] = {"profile-line 5e+05 6e+06 510000.5 6004000.25 EPSG:32633\r\nfield ",
                                 "profile-line -1.5 2 3 1e+07 PROJCRS[\"WGS 84 / UTM zone 33N\","};
    for (int i = 0; i < 2; ++i) {
        const std::string bytes = saved(&lines[i]);
        EXPECT_NE(bytes.find("#CORVANE-EXTRAS 1\r\n" + items[i]), std::string::npos) << bytes;
        Workspace back;
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, bytes, &notes).message(), "");
        EXPECT_TRUE(notes.empty());
        EXPECT_EQ(back.model.ProfileLine, lines[i]);
        EXPECT_EQ(modelFileBytes(back).value_or(""), bytes);
        ASSERT_EQ(loadModelBytes(back, saved(nullptr), &notes).message(), "");
        EXPECT_FALSE(back.model.ProfileLine);
    }
}

TEST(ProfileLineExtras, LinesThatCannotBeReadAreReported)
{
    const std::pair<const char*, const char*> cases[] = {
        {"profile-line 1 2 1 2 EPSG:32633", "the profile line's end points must differ."},
        {"profile-line 1 2 3 4", "\"profile-line\" takes at least 5 fields."},
        {"profile-line 1 2 x 4 EPSG:32633", ""},
    };
    for (const auto& [line, why] : cases) {
        Workspace back;
        std::vector<std::string> notes;
        const std::string block = std::string("\r\n#CORVANE-EXTRAS 1\r\n") + line + "\r\n#END\r\n";
        ASSERT_EQ(loadModelBytes(back, saved(nullptr) + block, &notes).message(), "");
        ASSERT_EQ(notes.size(), 1u) << line;
        EXPECT_TRUE(notes[0].starts_with(std::string("Line 2 of the extras could not be read: ") + why)) << notes[0];
        EXPECT_FALSE(back.model.ProfileLine) << line;
    }
}

TEST(ProfileLineExtras, TheMapsGridIsWrittenOnlyWhenShown)
{
    const std::string grids[] = {"", "/tmp/grids/mag field.tif"};
    for (const std::string& grid : grids) {
        Workspace ws;
        test::setStations(ws.model, 4, 0, 3);
        test::setBody(ws.model, 1, {{1, 1}, {2, 1}, {2, 2}}, 0.1, 10, 10);
        ws.model.ProfileLine = ProfileLineRecord{500000, 6000000, 510000, 6000000, "EPSG:32633"};
        ws.display.MapGrid = grid;
        const Result<std::string> bytes = modelFileBytes(ws);
        ASSERT_TRUE(bytes) << bytes.message();
        EXPECT_EQ(bytes->find("map-grid") != std::string::npos, !grid.empty()) << grid;
        if (!grid.empty()) {
            EXPECT_NE(bytes->find("\r\nmap-grid \"" + grid + "\"\r\n"), std::string::npos);
        }
        Workspace back;
        back.display.MapGrid = "left from before";
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(back, *bytes, &notes).message(), "");
        EXPECT_TRUE(notes.empty());
        EXPECT_EQ(back.display.MapGrid, grid);
    }
}

}  // namespace
