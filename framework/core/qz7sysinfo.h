// What the machine is: processor, memory, operating system and bitness, with
// a one-line summary for diagnostics; and a monitor's DPI for the window.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <string>

class TQZSysCPU : public TQZClass {
public:
    // Reads the identification instruction, then the processor's name and
    // speed.
    TQZSysCPU();

    uint32_t maxLeaf = 0;  // 0 without the instruction
    bool hasCpuid = false;
    int32_t family = 0;
    int32_t model = 0;
    int32_t extendedModel = 0;
    int32_t stepping = 0;
    std::string vendor = "UndefinedCPU";
    uint64_t features = 0;  // leaf 1: EDX low half, ECX high half
    int32_t mhz = 0;
    std::string name;
};

class TQZSysMemory : public TQZClass {
public:
    TQZSysMemory();

    uint32_t memoryLoad = 0;  // percent in use
    uint64_t totalPhys = 0, availPhys = 0;
    uint64_t totalPageFile = 0, availPageFile = 0;
    uint64_t totalVirtual = 0, availVirtual = 0;
};

class TQZSystemInfo : public TQZClassSingleton {
public:
    void Initialise() override;
    // Made on first use.
    TQZSysCPU* CPU();
    TQZSysMemory* Memory() const { return memory_; }
    // Operating system, bitness, processor name and memory in whole GiB.
    std::string Summary();

    std::string windowsName;
    bool is64Bit = false;

private:
    TQZSysCPU* cpu_ = nullptr;        // owned
    TQZSysMemory* memory_ = nullptr;  // owned
};

TQZSystemInfo* SystemInfo();

// "Windows " and the name of a Windows version.
std::string WindowsVersionName(uint32_t major, uint32_t minor, bool ntPlatform);

// The operating system as the summary names it: the distribution's name and
// the kernel, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0".
std::string OperatingSystemName();

// Effective DPI of a monitor; 96 x 96 when it cannot be told.
TQZPoint MonitorDpi(const void* monitor);
