#include "osClock.h"
#include "osFiles.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
