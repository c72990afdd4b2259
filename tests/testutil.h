// Shared test helpers: a temporary folder removed afterwards, and a scoped
// environment variable.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace vqtest {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vqtest.XXXXXX").string();
        if (char* p = ::mkdtemp(pattern.data())) path_ = p;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder with a trailing '/'.
    std::string Path() const { return path_ + "/"; }
    std::string File(const std::string& name) const { return Path() + name; }

private:
    std::string path_;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

using Bytes = std::vector<uint8_t>;

// A little-endian 32-bit value at a byte offset, the buffer grown as needed.
inline void PutLE32(Bytes& b, size_t at, uint32_t v)
{
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline void PutFloatLE(Bytes& b, size_t at, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutLE32(b, at, v);
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace vqtest
