#include "osMachine.h"

#include <gtest/gtest.h>

namespace {

using plat::os::MemoryFacts;

TEST(CpuInfoTest, FirstNameAndSpeedOrNothing)
{
    struct Case { const char* text; const char* name; int32_t mhz; };
    const Case cases[] = {
        {"processor\t: 0\nmodel name\t: AMD EPYC\ncpu MHz\t\t: 2596.140\n\n"
         "processor\t: 1\nmodel name\t: Other\ncpu MHz\t\t: 1.0\n", "AMD EPYC", 2596},
        {"processor\t: 0\ncpu MHz\t\t: 3400.6\n", "", 3401},         // no model name
        {"processor\t: 0\nBogoMIPS\t: 50.00\nHardware\t: board\n", "", 0},  // no x86 fields
        {"model name\t:   Spaced   Name  \ncpu MHz : fast\n", "Spaced   Name", 0},
        {"cpu MHz : -5\n", "", 0},
        {"cpu MHz : 1e40\n", "", 0},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        plat::os::ProcessorFacts p = plat::os::ParseCpuInfo(c.text);
        EXPECT_EQ(p.name, c.name) << c.text;
        EXPECT_EQ(p.mhz, c.mhz) << c.text;
    }
    EXPECT_EQ(plat::os::ParseCpuInfo("model name : " + std::string(600, 'x')).name.size(), 512u);
}

TEST(MemInfoTest, FiguresInBytesWithFallbacks)
{
    MemoryFacts m;
    ASSERT_TRUE(plat::os::ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nMemAvailable: 250 kB\n"
                                       "SwapTotal: 500 kB\nSwapFree: 400 kB\n", m));
    EXPECT_EQ(m.totalPhys, 1024000u);
    EXPECT_EQ(m.availPhys, 256000u);
    EXPECT_EQ(m.load, 75u);
    EXPECT_EQ(m.totalPageFile, 1500u * 1024);
    EXPECT_EQ(m.availPageFile, 650u * 1024);

    MemoryFacts old;  // kernels without MemAvailable
    ASSERT_TRUE(plat::os::ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\n", old));
    EXPECT_EQ(old.availPhys, 102400u);
    EXPECT_EQ(old.load, 90u);

    MemoryFacts bad;
    EXPECT_FALSE(plat::os::ParseMemInfo("MemFree: 100 kB\n", bad));
    EXPECT_FALSE(plat::os::ParseMemInfo("", bad));

    MemoryFacts odd;  // more available than total, and a figure that would overflow
    ASSERT_TRUE(plat::os::ParseMemInfo("MemTotal: 99999999999999999999 kB\nMemAvailable: 5 kB\n", odd));
    EXPECT_EQ(odd.totalPhys, UINT64_MAX);
    ASSERT_TRUE(plat::os::ParseMemInfo("MemTotal: 10 kB\nMemAvailable: 50 kB\n", odd));
    EXPECT_EQ(odd.availPhys, odd.totalPhys);
    EXPECT_EQ(odd.load, 0u);
}

TEST(MemInfoTest, MissingFileFallsBackToTheKernel)
{
    MemoryFacts m = plat::os::ReadMemInfo("/nonexistent/meminfo");
    EXPECT_GT(m.totalPhys, 0u);
    EXPECT_GT(m.totalVirtual, 0u);
}

TEST(OsReleaseTest, PrettyNameUnquoted)
{
    struct Case { const char* text; const char* name; };
    const Case cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Single Quoted'\n", "Single Quoted"},
        {"PRETTY_NAME=Bare\n", "Bare"},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"\n", "Say \"hi\""},
        {"# comment\nNAME=OnlyName\n", "OnlyName"},
        {"PRETTY_NAME=\"\"\nNAME=Fallback\n", "Fallback"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::os::ParseOsRelease(c.text), c.name) << c.text;
}

TEST(MachineTest, FactRootPrefixesPaths)
{
    EXPECT_EQ(plat::os::FactFile("/proc/cpuinfo"), "/proc/cpuinfo");
    plat::os::SetFactRoot("/tmp/root/");
    EXPECT_EQ(plat::os::FactFile("/proc/cpuinfo"), "/tmp/root/proc/cpuinfo");
    plat::os::SetFactRoot("");
    EXPECT_EQ(plat::os::FactFile("/proc/cpuinfo"), "/proc/cpuinfo");
}

}  // namespace

TEST(CommandLineTest, ArgumentsEndInNulBytes)
{
    using plat::os::ParseCommandLine;
    const std::string text("/usr/games/game\0+connect_lobby\0\0with space\0", 43);
    EXPECT_EQ((std::vector<std::string>{"/usr/games/game", "+connect_lobby", "", "with space"}), ParseCommandLine(text));
    EXPECT_EQ((std::vector<std::string>{"last"}), ParseCommandLine("last"));  // no NUL at the end
    EXPECT_TRUE(ParseCommandLine("").empty());
    EXPECT_FALSE(plat::os::ReadCommandLine("/proc/self/cmdline").empty());
}
