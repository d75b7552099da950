#include "io/safe_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using corvane::readWholeFile;
using corvane::writeFileSafely;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const fs::path& p, const std::string& s)
{
    std::ofstream(p, std::ios::binary) << s;
}

int entries(const fs::path& dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}

}  // namespace

TEST(SafeFile, WritesReplacesAndReadsBack)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    const std::string path = (dir / "model.mod").string();

    const std::string binary("\x81\0\0\0\0\x80\r\n\0zz", 11);
    EXPECT_EQ(writeFileSafely(path, binary), "");
    EXPECT_EQ(slurp(path), binary);
    std::string back;
    EXPECT_EQ(readWholeFile(path, back), "");
    EXPECT_EQ(back, binary);

    // Replacing keeps the file's permissions and leaves no temporary behind.
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(writeFileSafely(path, "second"), "");
    EXPECT_EQ(slurp(path), "second");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), 1);

    // Empty contents make an empty file.
    EXPECT_EQ(writeFileSafely(path, ""), "");
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(SafeFile, WritingThroughALinkReplacesTheFileItPointsTo)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    spit(dir / "real.mod", "old");
    fs::create_symlink(dir / "real.mod", dir / "link.mod");
    EXPECT_EQ(writeFileSafely((dir / "link.mod").string(), "new"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link.mod"));
    EXPECT_EQ(slurp(dir / "real.mod"), "new");
}

TEST(SafeFile, FailedWritesLeaveEverythingAsItWas)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();

    // The "folder" is a regular file: nothing can be created in it.
    spit(dir / "notafolder", "keep me");
    const std::string inFile = (dir / "notafolder" / "x.mod").string();
    const std::string err1 = writeFileSafely(inFile, "data");
    EXPECT_NE(err1, "");
    EXPECT_NE(err1.find(inFile), std::string::npos) << err1;
    EXPECT_EQ(slurp(dir / "notafolder"), "keep me");

    // A folder in the way of the target name.
    fs::create_directory(dir / "taken.mod");
    spit(dir / "taken.mod" / "inside", "x");
    EXPECT_NE(writeFileSafely((dir / "taken.mod").string(), "data"), "");
    EXPECT_TRUE(fs::is_directory(dir / "taken.mod"));
    EXPECT_EQ(slurp(dir / "taken.mod" / "inside"), "x");

    // A missing folder.
    EXPECT_NE(writeFileSafely((dir / "nowhere" / "x.mod").string(), "data"), "");
    EXPECT_NE(writeFileSafely("", "data"), "");

    // No temporary files were left in the folder.
    EXPECT_EQ(entries(dir), 2);
}

TEST(SafeFile, ReadFailuresNameTheFile)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    std::string bytes = "stale";

    const std::string missing = (dir / "missing.mod").string();
    const std::string err = readWholeFile(missing, bytes);
    EXPECT_NE(err.find(missing), std::string::npos) << err;
    EXPECT_TRUE(bytes.empty());

    EXPECT_NE(readWholeFile(dir.string(), bytes), "");
    EXPECT_NE(readWholeFile("", bytes), "");

    spit(dir / "big", std::string(100, 'a'));
    EXPECT_NE(readWholeFile((dir / "big").string(), bytes, 99), "");
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readWholeFile((dir / "big").string(), bytes, 100), "");
    EXPECT_EQ(bytes.size(), 100u);
}
