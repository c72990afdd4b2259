#include "qz7sysinfo.h"

#include "osMachine.h"

#include <cmath>

namespace {

uint32_t Bits(uint32_t value, int first, int count)
{
    return (value >> first) & ((1u << count) - 1);
}

std::string RegisterText(uint32_t r)
{
    std::string s;
    for (int i = 0; i < 4; ++i) s += char((r >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace

// ---------------------------------------------------------------- processor
TQZSysCPU::TQZSysCPU()
{
    family = plat::os::FamilyBeforeCpuid();
    plat::os::CpuidRegisters r;
    if (plat::os::Cpuid(0, r)) {
        hasCpuid = true;
        maxLeaf = r.eax;
        vendor = RegisterText(r.ebx) + RegisterText(r.edx) + RegisterText(r.ecx);
        if (maxLeaf > 0 && plat::os::Cpuid(1, r)) {
            stepping = int32_t(Bits(r.eax, 0, 4));
            model = int32_t(Bits(r.eax, 4, 4));
            family = int32_t(Bits(r.eax, 8, 4));
            extendedModel = int32_t(Bits(r.eax, 16, 4)) * 16 + model;
            features = uint64_t(r.edx) | (uint64_t(r.ecx) << 32);
        }
    }
    plat::os::ProcessorFacts p = plat::os::ReadCpuInfo(plat::os::FactFile("/proc/cpuinfo"));
    name = p.name;
    mhz = p.mhz;
}

// ---------------------------------------------------------------- memory
TQZSysMemory::TQZSysMemory()
{
    plat::os::MemoryFacts m = plat::os::ReadMemInfo(plat::os::FactFile("/proc/meminfo"));
    memoryLoad = m.load;
    totalPhys = m.totalPhys;
    availPhys = m.availPhys;
    totalPageFile = m.totalPageFile;
    availPageFile = m.availPageFile;
    totalVirtual = m.totalVirtual;
    availVirtual = m.availVirtual;
}

// ---------------------------------------------------------------- system
void TQZSystemInfo::Initialise()
{
    memory_ = AddOwned(std::make_unique<TQZSysMemory>());
    is64Bit = plat::os::SystemIs64Bit();
    windowsName = OperatingSystemName();
}

TQZSysCPU* TQZSystemInfo::CPU()
{
    if (!cpu_) cpu_ = AddOwned(std::make_unique<TQZSysCPU>());
    return cpu_;
}

std::string TQZSystemInfo::Summary()
{
    uint64_t total = memory_ ? memory_->totalPhys : 0;
    long long gib = std::llround(double(total) / double(uint64_t(1) << 30));
    return windowsName + " " + (is64Bit ? "64-bit" : "32-bit") + ", " + CPU()->name + ", " +
           Int64ToString(gib) + "Gb RAM";
}

TQZSystemInfo* SystemInfo()
{
    return GetInstance<TQZSystemInfo>(QZSLOT_SYSINFO);
}

std::string WindowsVersionName(uint32_t major, uint32_t minor, bool ntPlatform)
{
    const char* name = nullptr;
    if (major == 4) {
        if (ntPlatform) name = "NT 4";
        else if (minor == 0) name = "95";
        else if (minor == 10) name = "98";
        else if (minor == 90) name = "ME";
    } else if (major == 5) {
        static const char* const names[] = {"2000", "XP", "Server 2003"};
        if (minor <= 2) name = names[minor];
    } else if (major == 6) {
        static const char* const names[] = {"Vista", "7", "8", "8.1"};
        if (minor <= 3) name = names[minor];
    } else if (major == 10) {
        name = "10";
    }
    if (name) return std::string("Windows ") + name;
    return "Windows v" + std::to_string(major) + "." + std::to_string(minor);
}

std::string OperatingSystemName()
{
    std::string distribution = plat::os::ReadOsRelease(plat::os::FactFile("/etc/os-release"));
    if (distribution.empty()) distribution = plat::os::ReadOsRelease(plat::os::FactFile("/usr/lib/os-release"));
    std::string kernel = plat::os::KernelName();
    if (distribution.empty()) return kernel;
    if (kernel.empty()) return distribution;
    return distribution + ", " + kernel;
}

TQZPoint MonitorDpi(const void* monitor)
{
    uint32_t x = 0, y = 0;
    if (!plat::os::MonitorEffectiveDpi(monitor, x, y) || x == 0 || y == 0) return {96, 96};
    return {int32_t(x), int32_t(y)};
}
