#include "io/safe_file.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
// The file's bytes into bytes (empty on failure) and the failure's message.
static std::string readWholeFile(const std::string& path, std::string& bytes,
                                 std::size_t maxBytes = std::size_t{64} << 20)
{
    const corvane::Result<std::string> r = corvane::readWholeFile(path, maxBytes);
    bytes = r ? *r : std::string();
    return r.message();
}
using corvane::writeFileSafely;

using corvane::test::slurp;
using corvane::test::spit;

namespace {

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
    EXPECT_EQ(writeFileSafely(path, binary).message(), "");
    EXPECT_EQ(slurp(path), binary);
    std::string back;
    EXPECT_EQ(readWholeFile(path, back), "");
    EXPECT_EQ(back, binary);

    // Replacing keeps the file's permissions and leaves no temporary behind.
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(writeFileSafely(path, "second").message(), "");
    EXPECT_EQ(slurp(path), "second");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), 1);

    // Empty contents make an empty file.
    EXPECT_EQ(writeFileSafely(path, "").message(), "");
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(SafeFile, WritingThroughALinkReplacesTheFileItPointsTo)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    spit(dir / "real.mod", "old");
    fs::create_symlink(dir / "real.mod", dir / "link.mod");
    EXPECT_EQ(writeFileSafely((dir / "link.mod").string(), "new").message(), "");
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
    const std::string err1 = writeFileSafely(inFile, "data").message();
    EXPECT_NE(err1, "");
    EXPECT_NE(err1.find(inFile), std::string::npos) << err1;
    EXPECT_EQ(slurp(dir / "notafolder"), "keep me");

    // A folder in the way of the target name.
    fs::create_directory(dir / "taken.mod");
    spit(dir / "taken.mod" / "inside", "x");
    EXPECT_NE(writeFileSafely((dir / "taken.mod").string(), "data").message(), "");
    EXPECT_TRUE(fs::is_directory(dir / "taken.mod"));
    EXPECT_EQ(slurp(dir / "taken.mod" / "inside"), "x");

    // A missing folder.
    EXPECT_NE(writeFileSafely((dir / "nowhere" / "x.mod").string(), "data").message(), "");
    EXPECT_NE(writeFileSafely("", "data").message(), "");

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

TEST(SafeFile, WriteProtectedFilesAndLinks)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();

    // What is named, what it is, and where the new bytes must land (empty:
    // refused, everything left as it was).
    struct Case {
        const char* name;
        mode_t mode;            // of the existing file, 0 for none
        const char* linkTo;     // the name is a symbolic link to this, or ""
        const char* lands;
    } cases[] = {
        {"plain.dta", 0644, "", "plain.dta"},
        {"readonly.dta", 0444, "", ""},
        {"owneronly.dta", 0400, "", ""},
        {"executable.dta", 0555, "", ""},
        {"linked.dta", 0644, "real/target.dta", "real/target.dta"},
        {"linkedreadonly.dta", 0444, "real/locked.dta", ""},
        {"dangling.dta", 0, "real/new.dta", "real/new.dta"},
        {"chain.dta", 0644, "hop.dta", "real/end.dta"},
    };
    fs::create_directory(dir / "real");
    // The middle link of the chain, relative to its own folder.
    fs::create_symlink("real/end.dta", dir / "hop.dta");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path named = dir / c.name;
        fs::path file = named;
        if (*c.linkTo) {
            fs::create_symlink(c.linkTo, named);
            file = std::string(c.linkTo) == "hop.dta" ? dir / "real/end.dta" : dir / c.linkTo;
        }
        if (c.mode != 0) {
            spit(file, "old");
            ::chmod(file.c_str(), c.mode);
        }
        const std::string err = writeFileSafely(named.string(), "new").message();
        if (*c.lands) {
            EXPECT_EQ(err, "");
            EXPECT_EQ(slurp(dir / c.lands), "new");
        } else {
            EXPECT_NE(err.find(named.string()), std::string::npos) << err;
            EXPECT_NE(err.find("write-protected"), std::string::npos) << err;
            EXPECT_EQ(slurp(file), "old");
            struct stat st {};
            ASSERT_EQ(::stat(file.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.mode);
        }
        // A link stays a link.
        EXPECT_EQ(fs::is_symlink(named), *c.linkTo != 0);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "hop.dta"));
    // No temporary left anywhere.
    for (const fs::path& d : {dir, dir / "real"})
        for (const auto& e : fs::directory_iterator(d))
            EXPECT_EQ(e.path().filename().string().rfind(".corvane-save-", 0), std::string::npos) << e.path();
}

TEST(SafeFile, AGroupOfFilesIsWrittenWholeOrNotAtAll)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    const fs::path a = dir / "out.png", b = dir / "out@2x.png";

    // The second cannot be written, for each reason in turn: the first keeps
    // its old bytes, or is not made at all when it was new.
    enum Spoil { Protected, Folder, NoFolder };
    for (const bool firstExists : {true, false})
        for (const Spoil spoil : {Protected, Folder, NoFolder}) {
            SCOPED_TRACE(std::to_string(firstExists) + " " + std::to_string(spoil));
            fs::remove_all(dir);
            fs::create_directory(dir);
            if (firstExists)
                spit(a, "old a");
            fs::path second = b;
            if (spoil == Protected) {
                spit(b, "old b");
                ::chmod(b.c_str(), 0444);
            } else if (spoil == Folder) {
                fs::create_directory(b);
            } else {
                second = dir / "none" / "out@2x.png";
            }
            const std::string err =
                corvane::writeFilesSafely({{a.string(), "new a"}, {second.string(), "new b"}}).message();
            EXPECT_NE(err.find(second.string()), std::string::npos) << err;
            EXPECT_EQ(fs::exists(a), firstExists);
            if (firstExists) {
                EXPECT_EQ(slurp(a), "old a");
            }
            if (spoil == Protected) {
                EXPECT_EQ(slurp(b), "old b");
            }
            EXPECT_EQ(entries(dir), (firstExists ? 1 : 0) + (spoil == NoFolder ? 0 : 1));
        }

    // Both writable: both replaced, nothing else left beside them.
    fs::remove_all(dir);
    fs::create_directory(dir);
    spit(a, "old a");
    spit(b, "old b");
    EXPECT_EQ(corvane::writeFilesSafely({{a.string(), "new a"}, {b.string(), "new b"}}).message(), "");
    EXPECT_EQ(slurp(a), "new a");
    EXPECT_EQ(slurp(b), "new b");
    EXPECT_EQ(entries(dir), 2);
}

TEST(SafeFile, TemporariesOfADeadSaveGoAndNothingElse)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    // A process that has ended: its pid names what a crash left behind.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child), alive = std::to_string(::getpid());
    const std::pair<std::string, bool> cases[] = {   // name, stays
        {".corvane-save-" + dead + "-a1B2c3", false},   {".corvane-save-" + alive + "-a1B2c3", true},
        {".corvane-save-a1B2c3", true},                  {".corvane-save-" + dead + "-a1B2", true},
        {".corvane-save-" + dead + "x-a1B2c3", true},    {"corvane-save-" + dead + "-a1B2c3", true}};
    for (const auto& [name, stays] : cases)
        spit(dir / name, std::string(1000, 'x'));
    fs::create_directory(dir / (".corvane-save-" + dead + "-folder"));
    EXPECT_EQ(writeFileSafely((dir / "model.mod").string(), "new").message(), "");
    for (const auto& [name, stays] : cases)
        EXPECT_EQ(fs::exists(dir / name), stays) << name;
    EXPECT_TRUE(fs::is_directory(dir / (".corvane-save-" + dead + "-folder")));
    spit(dir / (".corvane-save-" + dead + "-zzzzzz"), "left");
    EXPECT_EQ(corvane::removeStaleTemporaries(dir.string()), 1);
}

TEST(SafeFile, ALoopOfLinksIsRefused)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    fs::create_symlink(dir / "b.mod", dir / "a.mod");
    fs::create_symlink(dir / "a.mod", dir / "b.mod");
    const std::string err = writeFileSafely((dir / "a.mod").string(), "data").message();
    EXPECT_NE(err.find("symbolic links"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_symlink(dir / "a.mod"));
    EXPECT_TRUE(fs::is_symlink(dir / "b.mod"));
    EXPECT_EQ(entries(dir), 2);
}
