#include "osClock.h"
#include "osFiles.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(NativePathTest, CorrectsCaseOfExistingComponentsOnly)
{
    vqtest::TempDir dir;
    ::mkdir((dir.Path() + "Cardsets").c_str(), 0755);
    vqtest::WriteFile(dir.Path() + "Cardsets/Basic.cards", "x");
    EXPECT_EQ(plat::os::NativePath(dir.Path() + "cardsets\\BASIC.cards"), dir.Path() + "Cardsets/Basic.cards");
    EXPECT_EQ(plat::os::NativePath(dir.Path() + "CARDSETS\\New.cards"), dir.Path() + "Cardsets/New.cards");
    EXPECT_EQ(plat::os::NativePath(dir.Path() + "none\\New.cards"), dir.Path() + "none/New.cards");
    EXPECT_EQ(plat::os::NativePath("a\\b"), "a/b");
}

// A folder where writes died half-way: their temporary files go, and nothing
// else does, not even files that only look alike.
TEST(TemporaryFilesTest, OnlyStaleFilesOfOurOwnNamingAreRemoved)
{
    vqtest::TempDir dir;
    auto file = [&](const std::string& name, bool old) {
        vqtest::WriteFile(dir.File(name), "x");
        if (old) {
            struct timeval times[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
            ::utimes(dir.File(name).c_str(), times);
        }
    };
    std::string made;
    ASSERT_TRUE(plat::os::CreateTempBeside(dir.File("Savedgame.txt"), made).Valid());
    struct timeval times[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ::utimes(made.c_str(), times);
    const std::string removed[] = {"Settings.txt.tmp.Ab3xYz", "Tables.ice.tmp.000000"};
    for (const auto& n : removed) file(n, true);
    const std::string kept[] = {
        "Settings.txt",         "Settings.txt.tmp.Fresh1",  // may still be written
        "notes.tmp",            "x.tmp.abcde",     "x.tmp.abcdefg", ".tmp.abcdef",
        "x.tmp.ab-def",         "x.TMP.abcdef",    "x.tmp.abcdef.txt",
    };
    for (const auto& n : kept) file(n, n != "Settings.txt.tmp.Fresh1");
    ::mkdir(dir.File("Folder.tmp.abcdef").c_str(), 0755);
    ::symlink(dir.File("Settings.txt").c_str(), dir.File("Link.tmp.abcdef").c_str());

    EXPECT_TRUE(plat::os::IsTemporaryFileName(made.substr(made.rfind('/') + 1)));
    EXPECT_EQ(plat::os::RemoveStaleTemporaryFiles(dir.Path()), 3);
    EXPECT_FALSE(std::filesystem::exists(made));
    for (const auto& n : removed) EXPECT_FALSE(std::filesystem::exists(dir.File(n))) << n;
    for (const auto& n : kept) EXPECT_TRUE(std::filesystem::exists(dir.File(n))) << n;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Folder.tmp.abcdef")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("Link.tmp.abcdef")));
    EXPECT_EQ(plat::os::RemoveStaleTemporaryFiles(dir.File("missing")), 0);
}

// The new name is made durable: the folder is synced after the rename.
TEST(TemporaryFilesTest, CommittingSyncsTheFolderAfterTheRename)
{
    vqtest::TempDir dir;
    std::string target = dir.File("Settings.txt"), temp;
    vqtest::WriteFile(target, "old");
    plat::os::FileHandle h = plat::os::CreateTempBeside(target, temp);
    ASSERT_TRUE(h.Valid());
    ASSERT_EQ(h.Write("new", 3), 3);
    (void)h.Close();  // the write was checked; the close only ends the handle before the rename
    std::vector<std::string> synced;
    plat::os::SetFolderSyncObserver([&](const std::string& folder) {
        synced.push_back(folder + (vqtest::ReadFile(target) == "new" ? " after" : " before"));
    });
    EXPECT_TRUE(plat::os::CommitTempFile(temp, target));
    EXPECT_FALSE(plat::os::CommitTempFile(temp, target)) << "the temporary file is gone";
    plat::os::SetFolderSyncObserver(nullptr);
    EXPECT_EQ(synced, std::vector<std::string>{dir.Path() + " after"});
    EXPECT_EQ(vqtest::ReadFile(target), "new");
}

TEST(ClockTest, InjectedSourceDrivesBothCounters)
{
    uint64_t now = (uint64_t(0xFFFFFFFF) + 5) * 1000000ull;
    plat::os::SetClockSource([&] { return now; });
    EXPECT_EQ(plat::os::TickMilliseconds(), 4u);  // truncated to 32 bits
    EXPECT_EQ(plat::os::MonotonicNanoseconds(), now);
    plat::os::SetClockSource(nullptr);
    EXPECT_NE(plat::os::MonotonicNanoseconds(), now);
}

}  // namespace
