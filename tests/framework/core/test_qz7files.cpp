#include "qz7files.h"
#include "osFiles.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(FilesTest, NameParts)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"Assets\\Misc\\Default.cfg", "Assets\\Misc\\", "Default.cfg", "CFG"},
        {"a/b.tar.gz", "a/", "b.tar.gz", "GZ"},
        {"README", "", "README", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder);
        EXPECT_EQ(FileNameOf(c.path), c.name);
        EXPECT_EQ(FileExtOf(FileNameOf(c.path)), c.ext);
    }
    EXPECT_EQ(AddTrailingBackslash("x"), "x/");
    EXPECT_EQ(AddTrailingBackslash("x\\"), "x\\");
}

TEST(FilesTest, BackslashesAndLetterCaseFindExistingFiles)
{
    vqtest::TempDir dir;
    ::mkdir((dir.Path() + "Assets").c_str(), 0755);
    ::mkdir((dir.Path() + "Assets/Misc").c_str(), 0755);
    vqtest::WriteFile(dir.Path() + "Assets/Misc/Default.cfg", "x=\"1\"");
    std::string windows = dir.Path() + "ASSETS\\misc\\default.CFG";
    EXPECT_TRUE(IsFile(windows));
    EXPECT_TRUE(IsFolder(dir.Path() + "assets\\MISC\\"));
    EXPECT_EQ(FileSizeOf(windows), 5);
    EXPECT_EQ(ReadTextFile(windows), "x=\"1\"");
    EXPECT_FALSE(IsFile(dir.Path() + "Assets\\Misc\\Other.cfg"));
}

TEST(FilesTest, FoldersAndRemoval)
{
    vqtest::TempDir dir;
    EXPECT_EQ(CreateFolder(dir.File("sub")), QZRES_OK);
    EXPECT_EQ(CreateFolder(dir.File("sub")), QZRES_FOLDER_EXISTS);
    EXPECT_EQ(CreateFolder(dir.File("no/such/deep")), QZRES_FAILED);
    EXPECT_EQ(RemoveFile(dir.File("nothing")), QZRES_NOFILE);
    vqtest::WriteFile(dir.File("f"), "1");
    EXPECT_EQ(RemoveFile(dir.File("f")), QZRES_OK);
    EXPECT_FALSE(IsFile(dir.File("f")));
    EXPECT_EQ(FileDate(dir.File("f")), -1);
    EXPECT_EQ(FileSizeOf(dir.File("f")), 0);
}

TEST(FilesTest, FileDateIsPackedDos)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("f"), "1");
    int32_t d = FileDate(dir.File("f"));
    ASSERT_NE(d, -1);
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    EXPECT_EQ((uint32_t(d) >> 25) + 1980, uint32_t(t.tm_year + 1900));
    EXPECT_EQ((uint32_t(d) >> 21) & 15, uint32_t(t.tm_mon + 1));
}

TEST(FilesTest, ListingWithMasksFoldersAndHidden)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("b.PNG"), "");
    vqtest::WriteFile(dir.File("a.png"), "");
    vqtest::WriteFile(dir.File("c.txt"), "");
    vqtest::WriteFile(dir.File("noext"), "");
    vqtest::WriteFile(dir.File(".hidden.png"), "");
    ::mkdir(dir.File("Sub").c_str(), 0755);
    EXPECT_EQ(ListFiles(dir.Path(), true, false, false),
              (std::vector<std::string>{"a.png", "b.PNG", "c.txt", "noext"}));
    EXPECT_EQ(ListFiles(dir.Path() + "*.png", true, false, false), (std::vector<std::string>{"a.png", "b.PNG"}));
    EXPECT_EQ(ListFiles(dir.Path() + "*.png", true, false, true),
              (std::vector<std::string>{".hidden.png", "a.png", "b.PNG"}));
    EXPECT_EQ(ListFiles(dir.Path(), false, true, false), std::vector<std::string>{"Sub/"});
    EXPECT_EQ(ListFilesByMasks(dir.Path(), {"*.txt", "?.png"}, true, false, false),
              (std::vector<std::string>{"c.txt", "a.png", "b.PNG"}));
    EXPECT_TRUE(ListFiles(dir.File("missing/"), true, true, true).empty());
}

TEST(FilesTest, HandleReadsAndErrors)
{
    vqtest::TempDir dir;
    TQZFileHandle h;
    EXPECT_EQ(CreateFileHandle("", h), QZRES_BADARG);
    ASSERT_EQ(CreateFileHandle(dir.File("h.bin"), h), QZRES_OK);
    EXPECT_EQ(WriteFileHandle(h, "12345", 5), QZRES_OK);
    EXPECT_EQ(WriteFileHandle(h, "1", 0), QZRES_BADARG);
    EXPECT_EQ(QZRES_OK, CloseFileHandle(h));
    EXPECT_EQ(OpenFileHandle(dir.File("h.bin"), false, false, h), QZRES_BADARG);
    EXPECT_EQ(OpenFileHandle(dir.File("none"), true, false, h), QZRES_NOFILE);
    ASSERT_EQ(OpenFileHandle(dir.File("h.bin"), true, false, h), QZRES_OK);
    char buf[16];
    EXPECT_EQ(ReadFileHandle(h, buf, 8), QZRES_FILE_READ);
    EXPECT_EQ(std::string(buf, 5), "12345");
    EXPECT_EQ(ReadFileHandle(h, buf, 0), QZRES_BADARG);
}

TEST(FilesTest, ReadTextJoinsLinesWithCrLf)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("t.txt"), "a\nb\r\nc\rd");
    EXPECT_EQ(ReadTextFile(dir.File("t.txt")), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(ReadTextFile(dir.File("missing")), "");
}

TEST(FilesTest, WriteTextReplacesWholeOrNotAtAll)
{
    vqtest::TempDir dir;
    std::string path = dir.File("Settings.txt");
    ASSERT_EQ(WriteTextFile(path, "old"), QZRES_OK);
    ASSERT_EQ(WriteTextFile(path, "new text"), QZRES_OK);
    EXPECT_EQ(vqtest::ReadFile(path), "new text");
    // No temporary file is left behind.
    EXPECT_EQ(ListFiles(dir.Path(), true, false, true), std::vector<std::string>{"Settings.txt"});
    // A folder that cannot be written keeps the old file and reports failure.
    if (::geteuid() != 0) {
        ::chmod(dir.Path().c_str(), 0555);
        EXPECT_EQ(WriteTextFile(path, "lost?"), QZRES_FILE_WRITE);
        ::chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(vqtest::ReadFile(path), "new text");
    }
    EXPECT_EQ(WriteTextFile(dir.File("no/folder/x"), "x"), QZRES_FILE_WRITE);
}

TEST(FilesTest, WriteTextSyncsTheFolderOnceTheNewFileIsInPlace)
{
    vqtest::TempDir dir;
    std::string path = dir.File("Settings.txt");
    std::vector<std::string> synced;
    plat::os::SetFolderSyncObserver([&](const std::string& folder) {
        synced.push_back(folder + ":" + vqtest::ReadFile(path));
    });
    EXPECT_EQ(WriteTextFile(path, "new"), QZRES_OK);
    plat::os::SetFolderSyncObserver(nullptr);
    EXPECT_EQ(synced, std::vector<std::string>{dir.Path() + ":new"});
}

TEST(FilesTest, WriteTextKeepsTheExistingNameWhenCaseDiffers)
{
    vqtest::TempDir dir;
    ASSERT_EQ(WriteTextFile(dir.File("Savedgame.txt"), "1"), QZRES_OK);
    ASSERT_EQ(WriteTextFile(dir.File("SAVEDGAME.TXT"), "2"), QZRES_OK);
    EXPECT_EQ(ListFiles(dir.Path(), true, false, true), std::vector<std::string>{"Savedgame.txt"});
    EXPECT_EQ(vqtest::ReadFile(dir.File("Savedgame.txt")), "2");
}

TEST(FilesTest, AppDataFolderFollowsTheEnvironment)
{
    vqtest::ScopedEnv env("VANTOREL_DATA_HOME", "/tmp/somewhere");
    int32_t r = 1;
    EXPECT_EQ(AppDataFolder(&r), "/tmp/somewhere/");
    EXPECT_EQ(r, QZRES_OK);
    EXPECT_EQ(ProgramFolder().back(), '/');
}

}  // namespace
