#include "osInputScript.h"
#include "osKeys.h"
#include "osWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace os = plat::os;

namespace {

using Kind = os::InputStep::Kind;

TEST(OsInputScript, ReadsEveryStepAndSkipsCommentsAndBlanks)
{
    std::vector<os::InputStep> steps;
    int32_t bad = -1;
    ASSERT_TRUE(os::ParseInputScript("# a comment\n\nwait 500\r\nmove 3 4\nclick 10 20\n"
                                     "drop 5 6 /tmp/a b.png\nkey 0x0D\ntype aB1 .\nclose\n",
                                     steps, bad));
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[0].kind, Kind::Wait);
    EXPECT_EQ(steps[0].value, 500u);
    EXPECT_EQ(steps[3].kind, Kind::Drop);
    EXPECT_EQ(steps[3].file, "/tmp/a b.png") << "a file name keeps its blanks";
    EXPECT_EQ(steps[4].value, os::kVkReturn);
    // "aB1 ." becomes five key presses, the capital one shifted.
    EXPECT_EQ(steps[5].value, os::kVkA);
    EXPECT_EQ(steps[5].modifiers, 0u);
    EXPECT_EQ(steps[6].value, uint32_t(os::kVkA + 1));
    EXPECT_EQ(steps[6].modifiers, os::kModShift);
    EXPECT_EQ(steps[7].value, uint32_t(os::kVk0 + 1));
    EXPECT_EQ(steps[8].value, os::kVkSpace);
    EXPECT_EQ(steps[10].kind, Kind::Close);
}

TEST(OsInputScript, RefusesUnreadableLinesWithTheirNumber)
{
    const char* cases[] = {"jump 1 2", "wait", "wait -3", "click 1", "drop 1 2", "key 0", "key 300",
                           "key 12x", "type a*b"};
    for (const char* line : cases) {
        std::vector<os::InputStep> steps;
        int32_t bad = 0;
        EXPECT_FALSE(os::ParseInputScript(std::string("wait 1\n") + line + "\n", steps, bad)) << line;
        EXPECT_EQ(bad, 2) << line;
    }
}

class OsInputScriptPlay : public ::testing::Test {
protected:
    void SetUp() override { os::SelectWindowBackEnd(os::WindowBackEnd::Headless); }
    void TearDown() override { os::ResetWindowSystem(); }
};

TEST_F(OsInputScriptPlay, ADropBecomesEnterOverAndDropAtThePoint)
{
    os::InputStep drop;
    drop.kind = Kind::Drop;
    drop.x = 30;
    drop.y = 40;
    drop.file = "/tmp/card.png";
    const auto events = os::InputStepEvents(drop, 7);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, os::InputKind::DragEnter);
    EXPECT_EQ(events[0].text, "/tmp/card.png\n");
    EXPECT_EQ(events[2].kind, os::InputKind::DropFile);
    for (const auto& e : events) {
        EXPECT_EQ(e.window, 7u);
        EXPECT_EQ(e.x, 30);
        EXPECT_EQ(e.y, 40);
    }
}

// The one test that plays the script named by the environment (it is read
// once per process): steps come one per poll, spaced, and waits hold back.
TEST_F(OsInputScriptPlay, PlaysTheNamedScriptIntoTheShownWindowInTime)
{
    const std::string path = ::testing::TempDir() + "input_script_" + std::to_string(getpid()) + ".txt";
    std::ofstream(path) << "click 10 20\nwait 1000\ndrop 1 2 /tmp/x.png\n";
    setenv(os::kInputScriptVariable, path.c_str(), 1);
    os::WindowCreation c;
    c.title = "T";
    c.width = 100;
    c.height = 100;
    c.show = true;
    const os::WindowHandle w = os::CreateNativeWindow(c, os::DefaultWindowProcedure);
    os::WindowMessage m;
    while (os::PeekWindowMessage(m)) {}
    auto messages = [] {
        std::vector<uint32_t> out;
        os::WindowMessage one;
        while (os::PeekWindowMessage(one)) {
            out.push_back(one.message);
            os::DispatchWindowMessage(one);
        }
        return out;
    };
    os::PlayInputScript(1000);  // the first step is due a gap later
    EXPECT_TRUE(messages().empty());
    os::PlayInputScript(1000 + os::kStepGapMs);
    auto got = messages();
    EXPECT_NE(std::find(got.begin(), got.end(), os::kMsgLButtonDown), got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), os::kMsgLButtonUp), got.end());
    os::PlayInputScript(1100);  // the wait step
    os::PlayInputScript(1200);  // held back by the wait
    EXPECT_TRUE(messages().empty());
    os::PlayInputScript(2200);
    got = messages();
    EXPECT_NE(std::find(got.begin(), got.end(), os::kMsgDropFiles), got.end());
    (void)w;
    unsetenv(os::kInputScriptVariable);
    std::remove(path.c_str());
}

}  // namespace
