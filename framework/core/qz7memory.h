// Byte buffer with typed access, file load and save, XOR scrambling; a
// stream view over it; and the framework's little-endian wire forms on any
// stream (byte, word, dword, buffer, length-prefixed string, CR LF line).
#pragma once

#include "qz7core.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a stream read runs past the end (or a length read from a
// stream does not fit the bytes left). Callers that parse untrusted bytes
// catch it.
class EQZReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TQZStream : public TQZClass {
public:
    virtual int64_t Read(void* destination, int64_t count) = 0;
    virtual int64_t Write(const void* source, int64_t count) = 0;
    virtual int64_t Size() const = 0;
    virtual void SetSize(int64_t size) = 0;
    int64_t Position() const { return position_; }
    void SetPosition(int64_t position) { position_ = position; }
    int64_t Remaining() const { return Size() > position_ ? Size() - position_ : 0; }

protected:
    int64_t position_ = 0;
};

class TQZMemoryStream;

// Leaves new bytes as they come (the buffer says when it wants them zeroed):
// growth for data about to be overwritten then costs no fill.
template <class T> struct TQZUninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = TQZUninitialisedAllocator<U>;
    };
    TQZUninitialisedAllocator() = default;
    template <class U> TQZUninitialisedAllocator(const TQZUninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
};

class TQZMemory : public TQZClass {
public:
    explicit TQZMemory(int32_t size = 0);
    ~TQZMemory() override;
    // nullptr when the file cannot be loaded (result in *result).
    static std::unique_ptr<TQZMemory> CreateFromFile(const std::string& fileName, int32_t* result = nullptr);

    [[nodiscard]] int32_t Allocate(int32_t size);
    void Clear();
    [[nodiscard]] int32_t Resize(int32_t size);
    // Like Resize, but the bytes past the old end are left for the caller to
    // overwrite (not zeroed), and growth allocates exactly size and copies
    // only the bytes kept. A negative size is refused and changes nothing.
    [[nodiscard]] int32_t ResizeForOverwrite(int32_t size);
    [[nodiscard]] int32_t Write(const void* source, int32_t count, int32_t offset);
    [[nodiscard]] int32_t Read(void* destination, int32_t count, int32_t offset) const;
    // The text's bytes at the position, cut at the buffer's end (never grows
    // it); the number of bytes written.
    int32_t WriteText(int32_t position, const std::string& text);
    static constexpr uint32_t TO_END = 0xDEADBEEF;
    void ReadBytes(int32_t offset, uint32_t count, std::vector<uint8_t>& out) const;
    std::string ReadString(int32_t offset, int32_t length) const;
    std::string AsString() const;
    [[nodiscard]] int32_t AssignString(const std::string& text);
    [[nodiscard]] int32_t AssignBytes(const void* data, int32_t count);
    [[nodiscard]] int32_t LoadFromFile(const std::string& fileName);
    // Written through a temporary file renamed over the target: 0, or 1 with
    // the previous file untouched.
    [[nodiscard]] int32_t SaveToFile(const std::string& fileName) const;
    [[nodiscard]] int32_t XorWithKey(const std::string& key);
    // Exchanges the bytes of two buffers; each keeps its own stream view.
    void Swap(TQZMemory& other) noexcept;
    TQZMemoryStream* Stream();

    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }
    int32_t Size() const { return static_cast<int32_t>(data_.size()); }
    bool OwnsData() const { return ownsData_; }

    // Direct access; the caller keeps the offset inside the buffer.
    uint8_t* PointerAt(int32_t offset) { return data_.data() + offset; }
    uint8_t GetByte(int32_t offset) const { return data_[static_cast<size_t>(offset)]; }
    void SetByte(int32_t offset, uint8_t v) { data_[static_cast<size_t>(offset)] = v; }
    uint16_t GetWord(int32_t offset) const;
    uint32_t GetDWord(int32_t offset) const;
    void SetDWord(int32_t offset, uint32_t v);

private:
    bool ownsData_ = false;
    TQZMemoryStream* stream_ = nullptr;  // owned
    std::vector<uint8_t, TQZUninitialisedAllocator<uint8_t>> data_;
};

class TQZMemoryStream : public TQZStream {
public:
    explicit TQZMemoryStream(TQZMemory* memory) : memory_(memory) {}
    int64_t Read(void* destination, int64_t count) override;
    int64_t Write(const void* source, int64_t count) override;
    int64_t Size() const override { return memory_->Size(); }
    void SetSize(int64_t size) override;
    TQZMemory* Memory() const { return memory_; }

private:
    TQZMemory* memory_;
};

// A memory buffer together with its stream: the usual way to build a message.
class TQZBytesStream : public TQZStream {
public:
    TQZBytesStream() = default;
    explicit TQZBytesStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    TQZBytesStream(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}
    int64_t Read(void* destination, int64_t count) override;
    int64_t Write(const void* source, int64_t count) override;
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    void SetSize(int64_t size) override { bytes_.resize(static_cast<size_t>(size < 0 ? 0 : size)); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

void SeekStream(TQZStream& stream, int64_t position);
void TruncateStream(TQZStream& stream);
bool StreamAtEnd(const TQZStream& stream);
uint8_t ReadStreamByte(TQZStream& stream);
void WriteStreamByte(TQZStream& stream, uint8_t value);
uint16_t ReadStreamWord(TQZStream& stream);
void WriteStreamWord(TQZStream& stream, uint16_t value);
uint32_t ReadStreamDWord(TQZStream& stream);
void WriteStreamDWord(TQZStream& stream, uint32_t value);
int32_t ReadStreamInt(TQZStream& stream);
void WriteStreamInt(TQZStream& stream, int32_t value);
uint64_t ReadStreamQWord(TQZStream& stream);
void WriteStreamQWord(TQZStream& stream, uint64_t value);
void ReadStreamBuffer(TQZStream& stream, void* buffer, int64_t count);
void WriteStreamBuffer(TQZStream& stream, const void* buffer, int64_t count);
// A length that is negative or larger than what is left raises EQZReadError.
std::string ReadStreamString(TQZStream& stream);
void WriteStreamString(TQZStream& stream, const std::string& text);
std::string ReadStreamLine(TQZStream& stream);
void WriteStreamLine(TQZStream& stream, const std::string& line);
