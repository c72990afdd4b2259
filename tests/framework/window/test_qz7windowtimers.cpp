#include "qz7window.h"

#include <gtest/gtest.h>

namespace os = plat::os;

namespace {

class WindowTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        FrameworkStart("test");
    }
    void TearDown() override
    {
        FrameworkStop();
        os::ResetWindowSystem();
    }
};

TEST(WindowTimerList, NewTimersTakeTheLowestFreeIdFrom400)
{
    TQZWindowTimerList list;
    EXPECT_EQ(400u, list.Add(nullptr));
    EXPECT_EQ(401u, list.Add(nullptr));
    EXPECT_EQ(402u, list.Add(nullptr));
    EXPECT_TRUE(list.Remove(401));
    EXPECT_FALSE(list.Remove(401));
    EXPECT_EQ(401u, list.Add(nullptr));
    EXPECT_EQ((std::vector<uint32_t>{400, 401, 402}), list.Ids());
    EXPECT_FALSE(list.Fire(999));
}

TEST(WindowTimerList, AHandlerMayKillItsOwnTimer)
{
    TQZWindowTimerList list;
    int calls = 0;
    uint32_t id = 0;
    id = list.Add([&](uint32_t fired) {
        ++calls;
        EXPECT_EQ(id, fired);
        list.Remove(fired);
    });
    EXPECT_TRUE(list.Fire(id));
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(list.Has(id));
}

TEST_F(WindowTimerTest, TimerMessagesReachTheHandlerOfTheirId)
{
    TQZWindow window("T", 0, 100, 80);
    std::vector<uint32_t> fired;
    uint32_t a = window.SetWindowTimer(50, [&](uint32_t id) { fired.push_back(id); });
    uint32_t b = window.SetWindowTimer(50, [&](uint32_t id) { fired.push_back(id); });
    ASSERT_EQ(400u, a);
    ASSERT_EQ(401u, b);
    os::SendWindowMessage(window.Handle(), os::kMsgTimer, b, 0);
    os::SendWindowMessage(window.Handle(), os::kMsgTimer, 7, 0);  // not one of these: left alone
    window.KillWindowTimer(b);
    window.KillWindowTimer(12345);
    os::SendWindowMessage(window.Handle(), os::kMsgTimer, b, 0);
    EXPECT_EQ((std::vector<uint32_t>{401}), fired);
    EXPECT_EQ(1u, window.WindowTimers().Count());
}

TEST_F(WindowTimerTest, AWindowWithoutAHandleRunsNoTimer)
{
    TQZWindow window;
    EXPECT_EQ(0u, window.SetWindowTimer(50, [](uint32_t) {}));
}

}  // namespace
