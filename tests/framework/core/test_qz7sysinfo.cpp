#include "qz7sysinfo.h"
#include "osMachine.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

namespace {

TEST(WindowsVersionNameTest, NamesEveryKnownVersion)
{
    struct Case { uint32_t major, minor; bool nt; const char* name; };
    const Case cases[] = {
        {4, 0, true, "Windows NT 4"},     {4, 10, true, "Windows NT 4"},
        {4, 0, false, "Windows 95"},      {4, 10, false, "Windows 98"},
        {4, 90, false, "Windows ME"},     {4, 3, false, "Windows v4.3"},
        {5, 0, true, "Windows 2000"},     {5, 1, true, "Windows XP"},
        {5, 2, true, "Windows Server 2003"}, {5, 3, true, "Windows v5.3"},
        {6, 0, true, "Windows Vista"},    {6, 1, true, "Windows 7"},
        {6, 2, true, "Windows 8"},        {6, 3, true, "Windows 8.1"},
        {6, 4, true, "Windows v6.4"},     {10, 0, true, "Windows 10"},
        {3, 51, true, "Windows v3.51"},   {11, 2, true, "Windows v11.2"},
    };
    for (const Case& c : cases) EXPECT_EQ(WindowsVersionName(c.major, c.minor, c.nt), c.name);
}

// Answers the identification instruction from a table of leaves.
class FakeCpuid {
public:
    explicit FakeCpuid(std::map<uint32_t, plat::os::CpuidRegisters> leaves, bool present = true)
    {
        plat::os::SetCpuidSource([this, leaves, present](uint32_t leaf, plat::os::CpuidRegisters& out) {
            asked.push_back(leaf);
            auto it = leaves.find(leaf);
            if (!present || it == leaves.end()) return false;
            out = it->second;
            return true;
        });
    }
    ~FakeCpuid() { plat::os::SetCpuidSource(nullptr); }
    std::vector<uint32_t> asked;
};

// Fact files under a temporary root.
class FactRoot {
public:
    void Put(const std::string& path, const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(dir.Path() + path).parent_path());
        vqtest::WriteFile(dir.Path() + path, text);
    }
    FactRoot() { plat::os::SetFactRoot(dir.Path()); }
    ~FactRoot() { plat::os::SetFactRoot(""); }
    vqtest::TempDir dir;
};

// "GenuineIntel" in EBX, EDX, ECX order.
constexpr uint32_t kGenu = 0x756E6547, kIneI = 0x49656E69, kNtel = 0x6C65746E;

TEST(SysCpuTest, DecodesVendorAndSignature)
{
    FakeCpuid cpuid({{0, {0x16, kGenu, kNtel, kIneI}}, {1, {0x000906EA, 0, 0x7FFAFBFF, 0xBFEBFBFF}}});
    TQZSysCPU cpu;
    EXPECT_TRUE(cpu.hasCpuid);
    EXPECT_EQ(cpu.maxLeaf, 0x16u);
    EXPECT_EQ(cpu.vendor, "GenuineIntel");
    EXPECT_EQ(cpu.stepping, 10);
    EXPECT_EQ(cpu.model, 14);
    EXPECT_EQ(cpu.family, 6);
    EXPECT_EQ(cpu.extendedModel, 9 * 16 + 14);
    EXPECT_EQ(cpu.features, 0x7FFAFBFFBFEBFBFFull);
}

TEST(SysCpuTest, WithoutTheInstructionOrLeafOneFieldsStayAtTheirDefaults)
{
    {
        FakeCpuid cpuid({}, false);
        TQZSysCPU cpu;
        EXPECT_FALSE(cpu.hasCpuid);
        EXPECT_EQ(cpu.maxLeaf, 0u);
        EXPECT_EQ(cpu.vendor, "UndefinedCPU");
        EXPECT_EQ(cpu.family, plat::os::FamilyBeforeCpuid());
        EXPECT_EQ(cpu.features, 0u);
    }
    {
        FakeCpuid cpuid({{0, {0, kGenu, kNtel, kIneI}}, {1, {0x000906EA, 0, 1, 1}}});
        TQZSysCPU cpu;
        EXPECT_TRUE(cpu.hasCpuid);
        EXPECT_EQ(cpu.vendor, "GenuineIntel");
        EXPECT_EQ(cpu.model, 0);  // highest leaf 0: leaf 1 is not read
        EXPECT_EQ(cpuid.asked, std::vector<uint32_t>{0});
    }
}

TEST(SysCpuTest, NameAndSpeedComeFromTheProcessorFile)
{
    FactRoot root;
    root.Put("proc/cpuinfo", "processor\t: 0\nmodel name\t: Test CPU @ 3.00GHz\ncpu MHz\t\t: 2995.512\n");
    TQZSysCPU cpu;
    EXPECT_EQ(cpu.name, "Test CPU @ 3.00GHz");
    EXPECT_EQ(cpu.mhz, 2996);
}

TEST(SystemInfoTest, SummaryWithoutProcessorNameStillNamesSystemAndMemory)
{
    FactRoot root;
    root.Put("etc/os-release", "NAME=\"Test\"\nPRETTY_NAME=\"Test OS 1\"\n");
    root.Put("proc/cpuinfo", "processor\t: 0\ncpu MHz\t\t: 1000.0\n");
    root.Put("proc/meminfo", "MemTotal:       16357786 kB\nMemAvailable:    8000000 kB\n");  // 15.6 GiB
    FrameworkStart("sysinfo test");
    TQZSystemInfo* info = SystemInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info, GetInstance<TQZSystemInfo>(QZSLOT_SYSINFO));
    EXPECT_EQ(info->windowsName, "Test OS 1, " + plat::os::KernelName());
    EXPECT_EQ(info->Summary(), "Test OS 1, " + plat::os::KernelName() +
                                   (info->is64Bit ? " 64-bit" : " 32-bit") + ", , 16Gb RAM");
    EXPECT_EQ(info->CPU()->mhz, 1000);
    EXPECT_EQ(info->Memory()->totalPhys, 16357786ull * 1024);
    FrameworkStop();
}

TEST(SystemInfoTest, NoReleaseFileLeavesTheKernelName)
{
    FactRoot root;
    EXPECT_EQ(OperatingSystemName(), plat::os::KernelName());
    root.Put("usr/lib/os-release", "PRETTY_NAME='Fallback OS'\n");
    EXPECT_EQ(OperatingSystemName(), "Fallback OS, " + plat::os::KernelName());
}

TEST(SystemInfoTest, RealMachineFactsAreSane)
{
    FrameworkStart("sysinfo test");
    TQZSystemInfo* info = SystemInfo();
    EXPECT_GT(info->Memory()->totalPhys, 0u);
    EXPECT_LE(info->Memory()->availPhys, info->Memory()->totalPhys);
    EXPECT_LE(info->Memory()->memoryLoad, 100u);
    EXPECT_FALSE(info->windowsName.empty());
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(info->is64Bit);
    }
    FrameworkStop();
}

TEST(MonitorDpiTest, UnknownMonitorIs96By96)
{
    EXPECT_EQ(MonitorDpi(nullptr), (TQZPoint{96, 96}));
}

}  // namespace
