// Machine facts: the processor's identification instruction, processor name
// and speed, memory, the operating system's name and the monitor's DPI.
// Readers of the kernel's text files take the text or a path, so fixtures
// can stand in for the real files.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::os {

// ---------------------------------------------------------------- CPUID
struct CpuidRegisters {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};
// Runs the identification instruction for a leaf; false on processors
// without it (every non-x86 machine).
[[nodiscard]] bool Cpuid(uint32_t leaf, CpuidRegisters& out);
// Replaces the instruction (tests); an empty function restores it.
using CpuidSource = std::function<bool(uint32_t leaf, CpuidRegisters& out)>;
void SetCpuidSource(CpuidSource source);
// The processor family known before the instruction is asked: 4 on x86
// (every x86 that runs this toggles the alignment-check flag), 0 elsewhere.
int32_t FamilyBeforeCpuid();

// ---------------------------------------------------------------- processor
struct ProcessorFacts {
    std::string name;  // empty when the kernel does not tell it
    int32_t mhz = 0;   // 0 when unknown
};
// The first processor's "model name" and "cpu MHz" from a cpuinfo text.
ProcessorFacts ParseCpuInfo(const std::string& text);
ProcessorFacts ReadCpuInfo(const std::string& path);

// ---------------------------------------------------------------- memory
struct MemoryFacts {
    uint32_t load = 0;  // percent of physical memory in use
    uint64_t totalPhys = 0, availPhys = 0;
    uint64_t totalPageFile = 0, availPageFile = 0;  // memory plus swap
    uint64_t totalVirtual = 0, availVirtual = 0;    // this process's address space
};
// Figures from a meminfo text; false when it has no MemTotal.
[[nodiscard]] bool ParseMemInfo(const std::string& text, MemoryFacts& out);
// Figures from a meminfo file, else from the kernel's sysinfo call.
MemoryFacts ReadMemInfo(const std::string& path);

// ---------------------------------------------------------------- system
// PRETTY_NAME (else NAME) of an os-release text, without its quotes.
std::string ParseOsRelease(const std::string& text);
std::string ReadOsRelease(const std::string& path);
// The kernel's name and release, e.g. "Linux 6.1.0".
std::string KernelName();
// Whether the operating system is 64-bit (not merely this program).
bool SystemIs64Bit();

// ---------------------------------------------------------------- process
// The arguments of a command-line text whose arguments each end in a NUL
// byte (the kernel's cmdline file); the program itself comes first.
std::vector<std::string> ParseCommandLine(const std::string& text);
std::vector<std::string> ReadCommandLine(const std::string& path);

// Where the fact files are read: the path under a root that tests may set
// ("" = the real file system).
std::string FactFile(const std::string& absolutePath);
void SetFactRoot(const std::string& root);

// ---------------------------------------------------------------- monitor
// The effective DPI of a monitor (a display index, as DisplayOfWindow gives
// it); false, with 96 x 96, when it cannot be told. Displays belong to the
// window stand-in, which installs the source when it starts; this layer must
// not pull the window system in.
[[nodiscard]] bool MonitorEffectiveDpi(const void* monitor, uint32_t& x, uint32_t& y);
using MonitorDpiSource = std::function<bool(int32_t display, uint32_t& x, uint32_t& y)>;
void SetMonitorDpiSource(MonitorDpiSource source);

}  // namespace plat::os
