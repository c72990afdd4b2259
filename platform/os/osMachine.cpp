#include "osMachine.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <mutex>
#include <sstream>

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define VQ_HAS_CPUID 1
#else
#define VQ_HAS_CPUID 0
#endif

namespace plat::os {
namespace {

std::mutex factLock;
CpuidSource cpuidSource;
std::string factRoot;

std::string ReadText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::string();
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Trim(const std::string& s)
{
    const char* blanks = " \t\r\n";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

// Splits "key <sep> value" lines; calls visit(key, value) with both trimmed
// until visit returns false.
template <class Visit> void ForEachField(const std::string& text, char sep, Visit visit)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t at = line.find(sep);
        if (at == std::string::npos) continue;
        if (!visit(Trim(line.substr(0, at)), Trim(line.substr(at + 1)))) return;
    }
}

bool HardwareCpuid(uint32_t leaf, CpuidRegisters& out)
{
#if VQ_HAS_CPUID
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(leaf, &a, &b, &c, &d)) return false;
    out = {a, b, c, d};
    return true;
#else
    (void)leaf;
    (void)out;
    return false;
#endif
}

// kB figure of a meminfo line in bytes, saturating instead of wrapping.
uint64_t KilobytesToBytes(const std::string& value)
{
    char* end = nullptr;
    unsigned long long kb = std::strtoull(value.c_str(), &end, 10);
    if (end == value.c_str()) return 0;
    if (kb > std::numeric_limits<uint64_t>::max() / 1024) return std::numeric_limits<uint64_t>::max();
    return uint64_t(kb) * 1024;
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

uint32_t LoadPercent(uint64_t total, uint64_t avail)
{
    if (total == 0 || avail >= total) return 0;
    return uint32_t(((long double)(total - avail) * 100) / total);
}

void FillVirtual(MemoryFacts& m)
{
    m.totalVirtual = sizeof(void*) == 8 ? (uint64_t(1) << 47) : (uint64_t(1) << 32);
    m.availVirtual = m.totalVirtual;
    std::istringstream statm(ReadText("/proc/self/statm"));
    uint64_t pages = 0;
    long pageSize = ::sysconf(_SC_PAGESIZE);
    if (statm >> pages && pageSize > 0) {
        uint64_t used = pages * uint64_t(pageSize);
        m.availVirtual = used < m.totalVirtual ? m.totalVirtual - used : 0;
    }
}

std::string Unquote(const std::string& v)
{
    if (v.size() < 2 || (v.front() != '"' && v.front() != '\'') || v.back() != v.front()) return v;
    std::string out;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[0] == '"' && v[i] == '\\' && i + 2 < v.size()) ++i;
        out += v[i];
    }
    return out;
}

}  // namespace

bool Cpuid(uint32_t leaf, CpuidRegisters& out)
{
    CpuidSource source;
    {
        std::lock_guard<std::mutex> g(factLock);
        source = cpuidSource;
    }
    return source ? source(leaf, out) : HardwareCpuid(leaf, out);
}

void SetCpuidSource(CpuidSource source)
{
    std::lock_guard<std::mutex> g(factLock);
    cpuidSource = std::move(source);
}

int32_t FamilyBeforeCpuid()
{
    return VQ_HAS_CPUID ? 4 : 0;
}

ProcessorFacts ParseCpuInfo(const std::string& text)
{
    ProcessorFacts p;
    bool haveName = false, haveMhz = false;
    ForEachField(text, ':', [&](const std::string& key, const std::string& value) {
        if (key == "model name" && !haveName) {
            p.name = value.substr(0, 512);
            haveName = true;
        } else if (key == "cpu MHz" && !haveMhz) {
            double mhz = std::strtod(value.c_str(), nullptr);
            if (std::isfinite(mhz) && mhz > 0 && mhz < 2147483647.0) p.mhz = int32_t(std::lround(mhz));
            haveMhz = true;
        }
        return !(haveName && haveMhz);
    });
    return p;
}

ProcessorFacts ReadCpuInfo(const std::string& path)
{
    return ParseCpuInfo(ReadText(path));
}

bool ParseMemInfo(const std::string& text, MemoryFacts& out)
{
    uint64_t total = 0, avail = 0, free = 0, swapTotal = 0, swapFree = 0;
    bool haveTotal = false, haveAvail = false;
    ForEachField(text, ':', [&](const std::string& key, const std::string& value) {
        if (key == "MemTotal") { total = KilobytesToBytes(value); haveTotal = true; }
        else if (key == "MemAvailable") { avail = KilobytesToBytes(value); haveAvail = true; }
        else if (key == "MemFree") free = KilobytesToBytes(value);
        else if (key == "SwapTotal") swapTotal = KilobytesToBytes(value);
        else if (key == "SwapFree") swapFree = KilobytesToBytes(value);
        return true;
    });
    if (!haveTotal) return false;
    // Older kernels lack MemAvailable; free memory is the nearest figure.
    if (!haveAvail) avail = free;
    if (avail > total) avail = total;
    out.totalPhys = total;
    out.availPhys = avail;
    out.load = LoadPercent(total, avail);
    out.totalPageFile = SaturatingAdd(total, swapTotal);
    out.availPageFile = SaturatingAdd(avail, swapFree < swapTotal ? swapFree : swapTotal);
    return true;
}

MemoryFacts ReadMemInfo(const std::string& path)
{
    MemoryFacts m;
    if (!ParseMemInfo(ReadText(path), m)) {
        struct sysinfo si {};
        if (::sysinfo(&si) == 0) {
            uint64_t unit = si.mem_unit ? si.mem_unit : 1;
            m.totalPhys = uint64_t(si.totalram) * unit;
            m.availPhys = uint64_t(si.freeram + si.bufferram) * unit;
            if (m.availPhys > m.totalPhys) m.availPhys = m.totalPhys;
            m.load = LoadPercent(m.totalPhys, m.availPhys);
            m.totalPageFile = m.totalPhys + uint64_t(si.totalswap) * unit;
            m.availPageFile = m.availPhys + uint64_t(si.freeswap) * unit;
        }
    }
    FillVirtual(m);
    return m;
}

std::string ParseOsRelease(const std::string& text)
{
    std::string pretty, name;
    ForEachField(text, '=', [&](const std::string& key, const std::string& value) {
        if (key == "PRETTY_NAME" && pretty.empty()) pretty = Unquote(value);
        else if (key == "NAME" && name.empty()) name = Unquote(value);
        return true;
    });
    return pretty.empty() ? name : pretty;
}

std::string ReadOsRelease(const std::string& path)
{
    return ParseOsRelease(ReadText(path));
}

std::string KernelName()
{
    struct utsname u {};
    if (::uname(&u) != 0) return std::string();
    return std::string(u.sysname) + " " + u.release;
}

bool SystemIs64Bit()
{
    if (sizeof(void*) == 8) return true;
    struct utsname u {};
    if (::uname(&u) != 0) return false;
    std::string machine = u.machine;
    return machine.find("64") != std::string::npos || machine == "s390x";
}

std::vector<std::string> ParseCommandLine(const std::string& text)
{
    std::vector<std::string> args;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\0', at);
        if (end == std::string::npos) end = text.size();
        args.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return args;
}

std::vector<std::string> ReadCommandLine(const std::string& path)
{
    return ParseCommandLine(ReadText(path));
}

std::string FactFile(const std::string& absolutePath)
{
    std::lock_guard<std::mutex> g(factLock);
    return factRoot + absolutePath;
}

void SetFactRoot(const std::string& root)
{
    std::lock_guard<std::mutex> g(factLock);
    factRoot = root;
    while (!factRoot.empty() && factRoot.back() == '/') factRoot.pop_back();
}

namespace {
std::mutex dpiLock;
MonitorDpiSource dpiSource;
}  // namespace

void SetMonitorDpiSource(MonitorDpiSource source)
{
    std::lock_guard<std::mutex> g(dpiLock);
    dpiSource = std::move(source);
}

bool MonitorEffectiveDpi(const void* monitor, uint32_t& x, uint32_t& y)
{
    MonitorDpiSource source;
    {
        std::lock_guard<std::mutex> g(dpiLock);
        source = dpiSource;
    }
    x = y = 96;
    // A monitor handle here is the display's index, as DisplayOfWindow gives it.
    return source && source(static_cast<int32_t>(reinterpret_cast<intptr_t>(monitor)), x, y);
}

}  // namespace plat::os
