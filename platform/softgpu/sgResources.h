// Memory objects of the software graphics device: surfaces (plain, render
// target, back buffer, texture level), textures and vertex or index buffers.
// Every colour surface keeps 32-bit pixels (bytes B, G, R, A) whatever format
// it reports, so drawing and copies never convert. Objects are shared: the
// device and its callers hold them as std::shared_ptr, the way references to
// device objects are counted.
#pragma once

#include "sgTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace plat::softgpu {

class Texture;

// Counts the default-pool objects alive for one device: a device cannot be
// reset while any remains, exactly the rule that makes loss listeners matter.
class PoolTicket {
public:
    PoolTicket() = default;
    explicit PoolTicket(std::shared_ptr<std::atomic<int32_t>> counter);
    ~PoolTicket();
    PoolTicket(const PoolTicket&) = delete;
    PoolTicket& operator=(const PoolTicket&) = delete;

private:
    std::shared_ptr<std::atomic<int32_t>> counter_;
};

class Surface {
public:
    // A colour surface of width x height pixels, cleared to 0; a depth format
    // makes a surface without pixel storage.
    Surface(const SurfaceDesc& desc, std::shared_ptr<std::atomic<int32_t>> poolCounter = {});

    const SurfaceDesc& GetDesc() const { return desc_; }
    int32_t Width() const { return int32_t(desc_.width); }
    int32_t Height() const { return int32_t(desc_.height); }
    bool HasPixels() const { return !pixels_.empty(); }

    // rect nullptr = whole surface. A rectangle outside the surface or a
    // second lock: kInvalidCall.
    [[nodiscard]] int32_t LockRect(LockedRect& out, const Rect* rect, uint32_t flags);
    [[nodiscard]] int32_t UnlockRect();
    bool IsLocked() const { return locked_; }

    // Direct pixel access for drawing, copies and tests (pitch in pixels).
    uint32_t* Pixels() { return pixels_.data(); }
    const uint32_t* Pixels() const { return pixels_.data(); }
    int32_t PitchPixels() const { return Width(); }
    uint32_t PixelAt(int32_t x, int32_t y) const { return pixels_[size_t(y) * desc_.width + size_t(x)]; }
    void SetPixelAt(int32_t x, int32_t y, uint32_t argb) { pixels_[size_t(y) * desc_.width + size_t(x)] = argb; }
    Rect Bounds() const { return {0, 0, Width(), Height()}; }

    // The texture whose level this surface is; empty for plain surfaces.
    std::shared_ptr<Texture> GetContainer() const { return container_.lock(); }

private:
    friend class Texture;
    SurfaceDesc desc_;
    std::vector<uint32_t> pixels_;
    bool locked_ = false;
    std::weak_ptr<Texture> container_;
    PoolTicket ticket_;
};

class Texture : public std::enable_shared_from_this<Texture> {
public:
    static std::shared_ptr<Texture> Make(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                         uint32_t format, uint32_t pool,
                                         std::shared_ptr<std::atomic<int32_t>> poolCounter);

    // Only level 0 is kept: the system draws every texture unscaled or with
    // one filter, so a mip chain request yields one level.
    uint32_t GetLevelCount() const { return 1; }
    int32_t GetLevelDesc(uint32_t level, SurfaceDesc& out) const;
    int32_t GetSurfaceLevel(uint32_t level, std::shared_ptr<Surface>& out) const;
    [[nodiscard]] int32_t LockRect(uint32_t level, LockedRect& out, const Rect* rect, uint32_t flags);
    [[nodiscard]] int32_t UnlockRect(uint32_t level);

    int32_t Width() const { return level0_->Width(); }
    int32_t Height() const { return level0_->Height(); }
    Surface& Level0() { return *level0_; }
    const Surface& Level0() const { return *level0_; }

private:
    Texture() = default;
    std::shared_ptr<Surface> level0_;
};

// A vertex or an index buffer: bytes with a lock count.
class Buffer {
public:
    Buffer(uint32_t length, uint32_t usage, uint32_t fvfOrIndexFormat, uint32_t pool, bool indices,
           std::shared_ptr<std::atomic<int32_t>> poolCounter);

    // offset and size in bytes; size 0 locks from offset to the end.
    [[nodiscard]] int32_t Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    [[nodiscard]] int32_t Unlock();
    int32_t LockCount() const { return lockCount_; }

    uint32_t Length() const { return uint32_t(bytes_.size()); }
    uint32_t Usage() const { return usage_; }
    uint32_t Pool() const { return pool_; }
    bool HoldsIndices() const { return indices_; }
    uint32_t Fvf() const { return indices_ ? 0 : format_; }
    uint32_t IndexFormat() const { return indices_ ? format_ : kFormatUnknown; }
    const uint8_t* Data() const { return bytes_.data(); }

private:
    std::vector<uint8_t> bytes_;
    uint32_t usage_, format_, pool_;
    bool indices_;
    int32_t lockCount_ = 0;
    PoolTicket ticket_;
};

// Size check shared by every creation: 1..kMaxTextureSize on both sides.
inline bool SizeAllowed(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxTextureSize && height <= kMaxTextureSize;
}

}  // namespace plat::softgpu
