#include "osDesktop.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace os = plat::os;

namespace {

TEST(DesktopOpenTest, HeadlessRecordsEveryRequestInOrder)
{
    vqtest::ScopedEnv headless("VQ_TEST", "1");
    os::TakeOpenRequests();
    EXPECT_TRUE(os::OpenWithDesktop("https://example.org/a b"));
    EXPECT_TRUE(os::OpenWithDesktop("/tmp/Read me.txt"));
    EXPECT_EQ(os::TakeOpenRequests(), (std::vector<std::string>{"https://example.org/a b", "/tmp/Read me.txt"}));
    EXPECT_TRUE(os::TakeOpenRequests().empty());
}

TEST(DesktopOpenTest, EmptyAddressesAndOptionsAreRefused)
{
    vqtest::ScopedEnv headless("VQ_TEST", "1");
    os::TakeOpenRequests();
    EXPECT_FALSE(os::OpenWithDesktop(""));
    EXPECT_FALSE(os::OpenWithDesktop("--help"));
    EXPECT_TRUE(os::TakeOpenRequests().empty());
}

// The opener gets the address as its one argument, untouched by any shell:
// `touch` makes a file whose name is exactly the address.
TEST(DesktopOpenTest, TheOpenerIsStartedDirectlyWithTheAddressAsItsOneArgument)
{
    vqtest::TempDir dir;
    os::SetDesktopOpener("touch", true);
    const std::string odd = dir.Path() + "a b;echo x>$HOME`id` 'q\"";
    EXPECT_TRUE(os::OpenWithDesktop(odd));
    os::WaitForOpeners();
    os::SetDesktopOpener("", false);
    EXPECT_TRUE(std::filesystem::exists(odd));
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1u);
}

TEST(DesktopOpenTest, AnOpenerThatCannotStartIsAFailure)
{
    os::SetDesktopOpener("/nonexistent/opener", true);
    EXPECT_FALSE(os::OpenWithDesktop("https://example.org/"));
    os::SetDesktopOpener("", false);
}

}  // namespace
