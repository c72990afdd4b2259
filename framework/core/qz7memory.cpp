#include "qz7memory.h"

#include "qz7files.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <stdexcept>
#include <new>

// ---------------------------------------------------------------- TQZMemory
TQZMemory::TQZMemory(int32_t size)
{
    // A buffer that cannot be had stays empty, which Size shows.
    if (size > 0) (void)Allocate(size);
}

TQZMemory::~TQZMemory()
{
    Clear();
}

std::unique_ptr<TQZMemory> TQZMemory::CreateFromFile(const std::string& fileName, int32_t* result)
{
    auto m = std::make_unique<TQZMemory>();
    int32_t r = m->LoadFromFile(fileName);
    if (result) *result = r;
    if (r != QZRES_OK) return nullptr;
    return m;
}

int32_t TQZMemory::Allocate(int32_t size)
{
    Clear();
    if (size < 1) return ErrorResult(QZRES_BADARG);
    try {
        data_.resize(static_cast<size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        Clear();
        return ErrorResult(QZRES_ALLOC);
    }
    ownsData_ = true;
    return QZRES_OK;
}

void TQZMemory::Clear()
{
    decltype(data_)().swap(data_);
    ownsData_ = false;
}

int32_t TQZMemory::Resize(int32_t size)
{
    if (size <= 0) {
        Clear();
        return QZRES_OK;
    }
    if (data_.empty()) return Allocate(size);
    const int32_t old = Size();
    if (ResizeForOverwrite(size) != QZRES_OK) return ErrorResult(QZRES_FAILED);
    if (size > old) std::memset(data_.data() + old, 0, static_cast<size_t>(size - old));
    return QZRES_OK;
}

int32_t TQZMemory::ResizeForOverwrite(int32_t size)
{
    if (size < 0) return ErrorResult(QZRES_BADARG);
    if (size == 0) {
        Clear();
        return QZRES_OK;
    }
    try {
        if (size_t(size) > data_.capacity()) {
            // Grown by hand: the vector would move its bytes one by one.
            decltype(data_) grown;
            grown.reserve(static_cast<size_t>(size));
            grown.resize(static_cast<size_t>(size));
            if (!data_.empty()) std::memcpy(grown.data(), data_.data(), data_.size());
            data_.swap(grown);
        } else {
            data_.resize(static_cast<size_t>(size));
        }
    } catch (const std::bad_alloc&) {
        Clear();
        return ErrorResult(QZRES_ALLOC);
    }
    ownsData_ = true;
    return QZRES_OK;
}

int32_t TQZMemory::Write(const void* source, int32_t count, int32_t offset)
{
    if (count <= 0 || !source || offset < 0 || int64_t(offset) + count > Size()) return ErrorResult(QZRES_BADARG);
    std::memcpy(data_.data() + offset, source, static_cast<size_t>(count));
    return QZRES_OK;
}

int32_t TQZMemory::WriteText(int32_t position, const std::string& text)
{
    if (position < 0 || position >= Size()) return 0;
    const int32_t count = std::min(int32_t(text.size()), Size() - position);
    std::copy_n(text.data(), count, data_.data() + position);
    return count;
}

int32_t TQZMemory::Read(void* destination, int32_t count, int32_t offset) const
{
    if (count < 1 || !destination || offset < 0 || int64_t(offset) + count > Size())
        return ErrorResult(QZRES_BADARG);
    std::memcpy(destination, data_.data() + offset, static_cast<size_t>(count));
    return QZRES_OK;
}

void TQZMemory::ReadBytes(int32_t offset, uint32_t count, std::vector<uint8_t>& out) const
{
    out.clear();
    if (offset < 0) return;
    int64_t left = int64_t(Size()) - offset;
    int64_t n = count == TO_END ? std::max<int64_t>(0, left) : std::min<int64_t>(left, count);
    if (n >= 1) {
        out.resize(static_cast<size_t>(n));
        (void)Read(out.data(), static_cast<int32_t>(n), offset);  // the range lies inside the buffer
    }
}

std::string TQZMemory::ReadString(int32_t offset, int32_t length) const
{
    if (length <= 0 || offset < 0 || int64_t(offset) + length > Size()) return std::string();
    return std::string(reinterpret_cast<const char*>(data_.data()) + offset, static_cast<size_t>(length));
}

std::string TQZMemory::AsString() const
{
    return std::string(reinterpret_cast<const char*>(data_.data()), data_.size());
}

int32_t TQZMemory::AssignString(const std::string& text)
{
    if (text.size() >= size_t(INT32_MAX)) {
        Clear();
        return ErrorResult(QZRES_ALLOC);
    }
    Clear();
    int32_t r = ResizeForOverwrite(static_cast<int32_t>(text.size()) + 1);
    if (r != QZRES_OK) return r;
    std::memcpy(data_.data(), text.c_str(), text.size() + 1);
    return QZRES_OK;
}

int32_t TQZMemory::AssignBytes(const void* data, int32_t count)
{
    if (count <= 0) {
        Clear();
        return QZRES_OK;
    }
    Clear();
    int32_t r = ResizeForOverwrite(count);
    if (r != QZRES_OK) return r;
    std::memcpy(data_.data(), data, static_cast<size_t>(count));
    return QZRES_OK;
}

int32_t TQZMemory::LoadFromFile(const std::string& fileName)
{
    Clear();
    if (!IsFile(fileName)) return ErrorResult(QZRES_NOFILE);
    int64_t n = FileSizeOf(fileName);
    if (n == 0) return ErrorResult(QZRES_FAILED);
    if (n > INT32_MAX) return ErrorResult(QZRES_ALLOC);
    int32_t r = Allocate(static_cast<int32_t>(n));
    if (r != QZRES_OK) return r;
    TQZFileHandle h;
    r = OpenFileHandle(fileName, true, false, h);
    if (r != QZRES_OK) {
        Clear();
        return ErrorResult(QZRES_FILE_OPEN);
    }
    r = ReadFileHandle(h, data_.data(), n);
    (void)CloseFileHandle(h);  // closing after a read loses nothing
    // A short read leaves nothing half-loaded behind.
    if (r != QZRES_OK) Clear();
    return r;
}

int32_t TQZMemory::SaveToFile(const std::string& fileName) const
{
    return WriteFileAtomic(fileName, data_.data(), Size()) == QZRES_OK ? QZRES_OK : ErrorResult(QZRES_FAILED);
}

int32_t TQZMemory::XorWithKey(const std::string& key)
{
    if (key.empty()) return ErrorResult(QZRES_BADARG);
    if (data_.empty()) return ErrorResult(QZRES_FAILED);
    for (size_t i = 0; i < data_.size(); ++i) data_[i] ^= static_cast<uint8_t>(key[i % key.size()]);
    return QZRES_OK;
}

void TQZMemory::Swap(TQZMemory& other) noexcept
{
    data_.swap(other.data_);
    std::swap(ownsData_, other.ownsData_);
}

TQZMemoryStream* TQZMemory::Stream()
{
    if (!stream_) stream_ = AddOwned(std::make_unique<TQZMemoryStream>(this));
    return stream_;
}

uint16_t TQZMemory::GetWord(int32_t offset) const
{
    uint16_t v;
    std::memcpy(&v, data_.data() + offset, 2);
    return v;
}

uint32_t TQZMemory::GetDWord(int32_t offset) const
{
    uint32_t v;
    std::memcpy(&v, data_.data() + offset, 4);
    return v;
}

void TQZMemory::SetDWord(int32_t offset, uint32_t v)
{
    std::memcpy(data_.data() + offset, &v, 4);
}

// ---------------------------------------------------------------- streams
int64_t TQZMemoryStream::Read(void* destination, int64_t count)
{
    if (count <= 0 || position_ < 0 || position_ >= Size()) return 0;
    int64_t n = std::min(count, Size() - position_);
    // The count was cut to what the buffer holds from here.
    (void)memory_->Read(destination, static_cast<int32_t>(n), static_cast<int32_t>(position_));
    position_ += n;
    return n;
}

int64_t TQZMemoryStream::Write(const void* source, int64_t count)
{
    if (count <= 0 || position_ < 0 || count > INT32_MAX - position_) return 0;
    if (position_ + count > Size()) {
        SetSize(position_ + count);
        if (Size() < position_ + count) return 0;
    }
    (void)memory_->Write(source, static_cast<int32_t>(count), static_cast<int32_t>(position_));  // it fits: checked above
    position_ += count;
    return count;
}

void TQZMemoryStream::SetSize(int64_t size)
{
    // A size that cannot be had shows in Size, which Write checks.
    if (size != memory_->Size()) (void)memory_->Resize(static_cast<int32_t>(std::clamp<int64_t>(size, 0, INT32_MAX)));
}

int64_t TQZBytesStream::Read(void* destination, int64_t count)
{
    if (count <= 0 || position_ < 0 || position_ >= Size()) return 0;
    int64_t n = std::min(count, Size() - position_);
    std::memcpy(destination, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TQZBytesStream::Write(const void* source, int64_t count)
{
    if (count <= 0 || position_ < 0 || count > INT64_MAX - position_) return 0;
    if (position_ + count > Size()) bytes_.resize(static_cast<size_t>(position_ + count));
    std::memcpy(bytes_.data() + position_, source, static_cast<size_t>(count));
    position_ += count;
    return count;
}

void SeekStream(TQZStream& stream, int64_t position)
{
    stream.SetPosition(position);
}

void TruncateStream(TQZStream& stream)
{
    stream.SetSize(stream.Position());
}

bool StreamAtEnd(const TQZStream& stream)
{
    return stream.Position() >= stream.Size();
}

void ReadStreamBuffer(TQZStream& stream, void* buffer, int64_t count)
{
    if (count <= 0) return;
    if (stream.Read(buffer, count) != count) throw EQZReadError("stream read error");
}

void WriteStreamBuffer(TQZStream& stream, const void* buffer, int64_t count)
{
    if (count <= 0) return;
    if (stream.Write(buffer, count) != count) throw std::runtime_error("stream write error");
}

namespace {
template <class T> T ReadLE(TQZStream& s)
{
    uint8_t b[sizeof(T)];
    ReadStreamBuffer(s, b, sizeof(T));
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v |= T(b[i]) << (8 * i);
    return v;
}

template <class T> void WriteLE(TQZStream& s, T v)
{
    uint8_t b[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) b[i] = uint8_t(v >> (8 * i));
    WriteStreamBuffer(s, b, sizeof(T));
}
}  // namespace

uint8_t ReadStreamByte(TQZStream& s) { return ReadLE<uint8_t>(s); }
void WriteStreamByte(TQZStream& s, uint8_t v) { WriteLE<uint8_t>(s, v); }
uint16_t ReadStreamWord(TQZStream& s) { return ReadLE<uint16_t>(s); }
void WriteStreamWord(TQZStream& s, uint16_t v) { WriteLE<uint16_t>(s, v); }
uint32_t ReadStreamDWord(TQZStream& s) { return ReadLE<uint32_t>(s); }
void WriteStreamDWord(TQZStream& s, uint32_t v) { WriteLE<uint32_t>(s, v); }
int32_t ReadStreamInt(TQZStream& s) { return static_cast<int32_t>(ReadLE<uint32_t>(s)); }
void WriteStreamInt(TQZStream& s, int32_t v) { WriteLE<uint32_t>(s, static_cast<uint32_t>(v)); }
uint64_t ReadStreamQWord(TQZStream& s) { return ReadLE<uint64_t>(s); }
void WriteStreamQWord(TQZStream& s, uint64_t v) { WriteLE<uint64_t>(s, v); }

std::string ReadStreamString(TQZStream& stream)
{
    int32_t length = ReadStreamInt(stream);
    if (length < 0 || length > stream.Remaining()) throw EQZReadError("string length exceeds the stream");
    std::string text(static_cast<size_t>(length), '\0');
    ReadStreamBuffer(stream, text.data(), length);
    return text;
}

void WriteStreamString(TQZStream& stream, const std::string& text)
{
    // The length prefix is 32 bits: a longer text cannot be written faithfully.
    if (text.size() > size_t(INT32_MAX)) throw std::length_error("string too long for the stream");
    WriteStreamInt(stream, static_cast<int32_t>(text.size()));
    WriteStreamBuffer(stream, text.data(), static_cast<int64_t>(text.size()));
}

std::string ReadStreamLine(TQZStream& stream)
{
    std::string line;
    while (!StreamAtEnd(stream)) {
        uint8_t b;
        if (stream.Read(&b, 1) != 1) break;
        line += static_cast<char>(b);
        if (b == 10 && line.size() >= 2 && line[line.size() - 2] == '\r') {
            line.resize(line.size() - 2);
            break;
        }
    }
    return line;
}

void WriteStreamLine(TQZStream& stream, const std::string& line)
{
    WriteStreamBuffer(stream, line.data(), static_cast<int64_t>(line.size()));
    WriteStreamBuffer(stream, "\r\n", 2);
}
