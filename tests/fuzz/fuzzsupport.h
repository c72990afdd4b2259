// Shared by the fuzz targets that run the program's own managers: nothing
// opens a window, a sound device or a message box, and the per-user folder
// is a scratch folder of the process, removed at its end.
#pragma once

#include "osDesktop.h"
#include "testutil.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

// A property of the target broken: said where, then the crash the fuzzer
// reports.
inline void Check(bool ok, const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed at %s:%d\n", file, line);
    std::abort();
}

// The scratch folder that stands for the user's home (VANTOREL_DATA_HOME).
inline const vqtest::TempDir& Home()
{
    static const vqtest::TempDir home;
    return home;
}

// Headless, every box answered Ok, the per-user folder a scratch one.
inline bool StartQuiet()
{
    ::setenv("VQ_TEST", "1", 1);
    ::setenv("VANTOREL_DATA_HOME", Home().Path().c_str(), 1);
    plat::os::SetMessageBoxHandler([](const plat::os::MessageBoxRequest&) { return plat::os::BoxAnswer::Ok; });
    return true;
}

// The bytes as the whole file (its folders made), '\\' taken for '/'.
inline void WriteBinary(const std::string& path, const std::string& bytes)
{
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(native).parent_path(), ec);
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The input cut at the first occurrence of the separator: what comes before
// it and what comes after (all of it and nothing when it is absent).
inline void SplitInput(const uint8_t* data, size_t size, const std::string& separator, std::string& first,
                       std::string& second)
{
    const std::string all(reinterpret_cast<const char*>(data), size);
    const size_t at = all.find(separator);
    first = all.substr(0, at);
    second = at == std::string::npos ? std::string() : all.substr(at + separator.size());
}

}  // namespace fuzz
