#include "coreGameDiagnostics.h"
#include "osDesktop.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Captured {
    std::vector<plat::os::MessageBoxRequest> boxes;
};

TEST(CoreGameTest, AdminBacklogIsReplayedToTheConsole)
{
    SetAdminConsole(nullptr);
    AdminLog("one");
    AdminLog("two");
    AdminLog("three");
    std::vector<std::string> got;
    SetAdminConsole([&](const std::string& t) { got.push_back(t); });
    AdminLog("four");
    EXPECT_EQ(got, (std::vector<std::string>{"Clearing 3 messages.", "one", "two", "three", "four"}));
    SetAdminConsole(nullptr);
}

TEST(CoreGameTest, DetachingDropsTheBacklog)
{
    SetAdminConsole(nullptr);
    AdminLog("lost");
    SetAdminConsole(nullptr);
    std::vector<std::string> got;
    SetAdminConsole([&](const std::string& t) { got.push_back(t); });
    EXPECT_EQ(got, std::vector<std::string>{"Clearing 0 messages."});
    SetAdminConsole(nullptr);
}

TEST(CoreGameTest, WarningShowsItsBoxAndLogs)
{
    vqtest::TempDir dir;
    SetLogFileForTesting(dir.File("log.txt"));
    Captured cap;
    plat::os::SetMessageBoxHandler([&](const plat::os::MessageBoxRequest& r) {
        cap.boxes.push_back(r);
        return plat::os::BoxAnswer::Ok;
    });
    ShowWarning("Disk full");
    AdminLog("hello");
    plat::os::SetMessageBoxHandler(nullptr);
    SetLogFileForTesting("");
    SetAdminConsole(nullptr);
    ASSERT_EQ(cap.boxes.size(), 1u);
    EXPECT_EQ(cap.boxes[0].caption, "Vantorel Qar - Warning");
    EXPECT_EQ(cap.boxes[0].text, "Disk full");
    EXPECT_EQ(cap.boxes[0].icon, plat::os::BoxIcon::Warning);
    EXPECT_EQ(vqtest::ReadFile(dir.File("log.txt")), "WARNING: Disk full\r\nADMIN: hello\r\n");
}

TEST(CoreGameTest, LogStartsANewFilePastItsLimitAndKeepsOnePrevious)
{
    vqtest::TempDir dir;
    std::string log = dir.File("log.txt"), previous = dir.File("log.1.txt");
    EXPECT_EQ(PreviousLogFile(log), previous);
    SetLogFileForTesting(log);
    auto size = [](const std::string& f) { return int64_t(vqtest::ReadFile(f).size()); };
    const std::string block(64 * 1024 - 2, 'a');  // 64 KiB with the line end
    for (int i = 0; i < 16; ++i) WriteLog(block);
    EXPECT_EQ(size(log), kLogFileLimit) << "a full file is not yet moved aside";
    EXPECT_FALSE(std::filesystem::exists(previous));
    WriteLog("first of the new file");
    EXPECT_EQ(vqtest::ReadFile(log), "first of the new file\r\n");
    EXPECT_EQ(size(previous), kLogFileLimit);
    // Megabytes more: still two files, each within the limit, the newest
    // lines in the current one and the full file before it kept.
    for (int i = 0; i < 40; ++i) WriteLog(std::string(64 * 1024 - 2, char('b' + i % 20)));
    WriteLog("last");
    SetLogFileForTesting("");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"log.1.txt", "log.txt"}));
    EXPECT_LE(size(log), kLogFileLimit);
    EXPECT_EQ(size(previous), kLogFileLimit);
    std::string current = vqtest::ReadFile(log);
    EXPECT_EQ(current.substr(current.size() - 6), "last\r\n");
}

TEST(CoreGameDeathTest, FatalErrorExitsNonZeroAfterItsBox)
{
    EXPECT_EXIT(FatalError("Unable to go on"), ::testing::ExitedWithCode(kFatalExitCode),
                "Vantorel Qar - Fatal Error\\] Unable to go on");
}

}  // namespace

namespace {

TEST(CoreGameTest, ConsoleMayDetachItselfWhilePrinting)
{
    SetAdminConsole(nullptr);
    // The console owns state that dies with the callback; it closes on "bye".
    auto lines = std::make_shared<std::vector<std::string>>();
    SetAdminConsole([lines](const std::string& t) {
        if (t == "bye") SetAdminConsole(nullptr);
        lines->push_back(t);  // still alive after detaching
    });
    AdminLog("hello");
    AdminLog("bye");
    AdminLog("after");
    EXPECT_EQ(*lines, (std::vector<std::string>{"Clearing 0 messages.", "hello", "bye"}));
    std::vector<std::string> got;
    SetAdminConsole([&](const std::string& t) { got.push_back(t); });
    EXPECT_EQ(got, (std::vector<std::string>{"Clearing 1 messages.", "after"}));
    SetAdminConsole(nullptr);
}

}  // namespace
