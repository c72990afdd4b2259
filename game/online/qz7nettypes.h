// Shared types of the peer session layer: the datagram record and its queue,
// the ticket counter, the network clock, address texts, little-endian wire
// helpers and the two lock-protected containers that cross threads.
#pragma once

#include "qz7core.h"
#include "qz7threads.h"

#include <atomic>
#include <deque>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using TQZByteArray = std::vector<uint8_t>;

// The millisecond clock of the network layer (32 bits, wraps). Every time in
// the session layer comes from here.
uint32_t GetNetTime();
// Replaces the clock (tests and simulations); an empty function restores it.
void SetNetTimeSource(std::function<uint32_t()> source);
// Signed distance a - b of two wrapping clock readings.
inline int32_t NetTimeDiff(uint32_t a, uint32_t b) { return int32_t(a - b); }

constexpr size_t kNetAddressMax = 127;

struct TQZNetPacket {
    std::string address;  // at most 127 characters
    uint16_t port = 0;
    uint32_t time = 0;
    TQZByteArray bytes;  // the whole datagram, header included
};

// "[" + address + "]:" + port
std::string NetAddressText(const std::string& address, uint16_t port);
// address + ":" + port
std::string NetAddressPlain(const std::string& address, uint16_t port);
std::string ClampNetAddress(const std::string& address);

enum TQZNetEndPointState { ES_UNKNOWN, ES_SELF, ES_INVITED, ES_CONNECTED, ES_DISCONNECTED };
std::string NetEndPointStateName(TQZNetEndPointState state);

// The queue and the safe containers below: any thread, each under its own lock.
class TQZNetQueueManager : public TQZClass {
public:
    int32_t Push(const TQZNetPacket& packet);
    bool Pop(TQZNetPacket& packet);
    int32_t Count();
    void Clear();
    int32_t Largest();

private:
    TQZCriticalSection lock_{"NetQueue"};
    std::vector<TQZNetPacket> items_;
    size_t head_ = 0;
    int32_t largest_ = 0;
};

class TQZNetTicketer : public TQZClass {
public:
    int32_t Next() { return counter_.fetch_add(1) + 1; }

private:
    std::atomic<int32_t> counter_{0};
};

template <class T> class TQZSafeQueue : public TQZClass {
public:
    ~TQZSafeQueue() override { Clear(); }
    int32_t Push(const T& item)
    {
        TQZLock guard(lock_);
        items_.push_back(item);
        return int32_t(items_.size() - 1);
    }
    bool Pop(T& item)
    {
        TQZLock guard(lock_);
        if (items_.empty()) return false;
        item = std::move(items_.front());
        items_.pop_front();
        return true;
    }
    int32_t Count()
    {
        TQZLock guard(lock_);
        return int32_t(items_.size());
    }
    void Clear()
    {
        TQZLock guard(lock_);
        items_.clear();
    }

private:
    TQZCriticalSection lock_{"SafeQueue"};
    std::deque<T> items_;
};

// Elements are values; object lists keep shared pointers, so a snapshot keeps
// its objects alive while the caller walks it.
template <class T> class TQZSafeArray : public TQZClass {
public:
    using TEquals = std::function<bool(const T&, const T&)>;
    explicit TQZSafeArray(TEquals equals = [](const T& a, const T& b) { return a == b; })
        : equals_(std::move(equals))
    {
    }
    void Lock() { lock_.Enter(); }
    void Unlock() { lock_.Leave(); }
    int32_t Add(const T& item)
    {
        TQZLock guard(lock_);
        items_.push_back(item);
        return int32_t(items_.size() - 1);
    }
    int32_t IndexOf(const T& item)
    {
        TQZLock guard(lock_);
        for (size_t i = 0; i < items_.size(); ++i)
            if (equals_(items_[i], item)) return int32_t(i);
        return -1;
    }
    bool Remove(const T& item)
    {
        TQZLock guard(lock_);
        int32_t i = IndexOf(item);
        if (i < 0) return false;
        Delete(i);
        return true;
    }
    void Delete(int32_t index)
    {
        TQZLock guard(lock_);
        if (index >= 0 && size_t(index) < items_.size()) items_.erase(items_.begin() + index);
    }
    int32_t Count()
    {
        TQZLock guard(lock_);
        return int32_t(items_.size());
    }
    void Clear()
    {
        std::vector<T> gone;
        {
            TQZLock guard(lock_);
            gone.swap(items_);
        }
    }
    std::vector<T> Snapshot()
    {
        TQZLock guard(lock_);
        return items_;
    }

protected:
    TQZCriticalSection lock_{"SafeArray"};
    std::vector<T> items_;
    TEquals equals_;
};

// Little-endian writer over a byte array.
class TQZNetWriter {
public:
    explicit TQZNetWriter(TQZByteArray& out) : out_(out) {}
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) { U8(uint8_t(v)); U8(uint8_t(v >> 8)); }
    void U32(uint32_t v) { U16(uint16_t(v)); U16(uint16_t(v >> 16)); }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void I64(int64_t v) { U32(uint32_t(uint64_t(v))); U32(uint32_t(uint64_t(v) >> 32)); }
    void Bytes(const uint8_t* p, size_t n) { out_.insert(out_.end(), p, p + n); }
    void Zero(size_t n) { out_.insert(out_.end(), n, 0); }

private:
    TQZByteArray& out_;
};

// Little-endian reader over untrusted bytes: a read past the end yields 0 and
// clears Ok, so a parser checks once at the end.
class TQZNetReader {
public:
    TQZNetReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    explicit TQZNetReader(const TQZByteArray& bytes) : TQZNetReader(bytes.data(), bytes.size()) {}
    bool Ok() const { return ok_; }
    size_t Remaining() const { return length_ - pos_; }
    size_t Position() const { return pos_; }
    const uint8_t* Here() const { return data_ + pos_; }
    uint8_t U8() { return Need(1) ? data_[pos_++] : 0; }
    uint16_t U16() { return uint16_t(Read(2)); }
    uint32_t U32() { return uint32_t(Read(4)); }
    int32_t I32() { return int32_t(U32()); }
    int64_t I64() { return int64_t(Read(8)); }
    bool Skip(size_t n)
    {
        if (!Need(n)) return false;
        pos_ += n;
        return true;
    }
    TQZByteArray Bytes(size_t n)
    {
        if (!Need(n)) return {};
        TQZByteArray out(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return out;
    }
    TQZByteArray Rest() { return Bytes(Remaining()); }

private:
    // A read that does not fit yields 0 whole, never part of a value.
    uint64_t Read(size_t n)
    {
        if (!Need(n)) return 0;
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }
    bool Need(size_t n)
    {
        if (ok_ && n <= length_ - pos_) return true;
        ok_ = false;
        return false;
    }
    const uint8_t* data_;
    size_t length_;
    size_t pos_ = 0;
    bool ok_ = true;
};
