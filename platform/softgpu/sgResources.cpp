#include "sgResources.h"

namespace plat::softgpu {

bool IsDepthFormat(uint32_t format)
{
    return format == kFormatD32 || format == kFormatD24X8 || format == kFormatD16;
}

bool HasAlphaChannel(uint32_t format)
{
    return format == kFormatA8R8G8B8 || format == kFormatA1R5G5B5;
}

bool IsColourFormat(uint32_t format)
{
    return format == kFormatA8R8G8B8 || format == kFormatX8R8G8B8 || format == kFormatR5G6B5 ||
           format == kFormatX1R5G5B5 || format == kFormatA1R5G5B5;
}

uint32_t FvfVertexSize(uint32_t fvf)
{
    uint32_t size = 0;
    switch (fvf & 0x00E) {
    case kFvfXyz: size = 12; break;
    case kFvfXyzRhw: size = 16; break;
    case 0: break;
    default: return 0;
    }
    if (fvf & kFvfNormal) size += 12;
    if (fvf & 0x020) size += 4;  // point size
    if (fvf & kFvfDiffuse) size += 4;
    if (fvf & kFvfSpecular) size += 4;
    uint32_t texCount = (fvf >> 8) & 0xF;
    if (texCount > 8) return 0;
    return size + texCount * 8;  // two-component coordinates
}

PoolTicket::PoolTicket(std::shared_ptr<std::atomic<int32_t>> counter) : counter_(std::move(counter))
{
    if (counter_) counter_->fetch_add(1);
}

PoolTicket::~PoolTicket()
{
    if (counter_) counter_->fetch_sub(1);
}

Surface::Surface(const SurfaceDesc& desc, std::shared_ptr<std::atomic<int32_t>> poolCounter)
    : desc_(desc), ticket_(desc.pool == kPoolDefault ? std::move(poolCounter) : nullptr)
{
    if (!IsDepthFormat(desc.format))
        pixels_.assign(size_t(desc.width) * desc.height, HasAlphaChannel(desc.format) ? 0u : 0xFF000000u);
}

int32_t Surface::LockRect(LockedRect& out, const Rect* rect, uint32_t)
{
    out = {};
    if (locked_ || pixels_.empty()) return kInvalidCall;
    Rect r = rect ? *rect : Bounds();
    if (r.left < 0 || r.top < 0 || r.right > Width() || r.bottom > Height() || r.left > r.right ||
        r.top > r.bottom)
        return kInvalidCall;
    locked_ = true;
    out.pitch = Width() * 4;
    out.bits = pixels_.data() + size_t(r.top) * desc_.width + size_t(r.left);
    return kOk;
}

int32_t Surface::UnlockRect()
{
    if (!locked_) return kInvalidCall;
    locked_ = false;
    return kOk;
}

std::shared_ptr<Texture> Texture::Make(uint32_t width, uint32_t height, uint32_t, uint32_t usage, uint32_t format,
                                       uint32_t pool, std::shared_ptr<std::atomic<int32_t>> poolCounter)
{
    std::shared_ptr<Texture> t(new Texture());
    SurfaceDesc d;
    d.format = format;
    d.type = kResourceTexture;
    d.usage = usage;
    d.pool = pool;
    d.width = width;
    d.height = height;
    t->level0_ = std::make_shared<Surface>(d, std::move(poolCounter));
    t->level0_->container_ = t;
    return t;
}

int32_t Texture::GetLevelDesc(uint32_t level, SurfaceDesc& out) const
{
    if (level != 0) return kInvalidCall;
    out = level0_->GetDesc();
    return kOk;
}

int32_t Texture::GetSurfaceLevel(uint32_t level, std::shared_ptr<Surface>& out) const
{
    out.reset();
    if (level != 0) return kInvalidCall;
    out = level0_;
    return kOk;
}

int32_t Texture::LockRect(uint32_t level, LockedRect& out, const Rect* rect, uint32_t flags)
{
    if (level != 0) return kInvalidCall;
    return level0_->LockRect(out, rect, flags);
}

int32_t Texture::UnlockRect(uint32_t level)
{
    if (level != 0) return kInvalidCall;
    return level0_->UnlockRect();
}

Buffer::Buffer(uint32_t length, uint32_t usage, uint32_t fvfOrIndexFormat, uint32_t pool, bool indices,
               std::shared_ptr<std::atomic<int32_t>> poolCounter)
    : bytes_(length, 0), usage_(usage), format_(fvfOrIndexFormat), pool_(pool), indices_(indices),
      ticket_(pool == kPoolDefault ? std::move(poolCounter) : nullptr)
{
}

int32_t Buffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t)
{
    if (!data) return kInvalidCall;
    *data = nullptr;
    if (offset > bytes_.size()) return kInvalidCall;
    if (size == 0) size = uint32_t(bytes_.size()) - offset;
    if (uint64_t(offset) + size > bytes_.size()) return kInvalidCall;
    ++lockCount_;
    *data = bytes_.data() + offset;
    return kOk;
}

int32_t Buffer::Unlock()
{
    if (lockCount_ == 0) return kInvalidCall;
    --lockCount_;
    return kOk;
}

}  // namespace plat::softgpu
