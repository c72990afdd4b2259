#include "clRenderer.h"

#include "mgrResources.h"
#include "qz7crc.h"
#include "qz7video.h"

namespace {

int32_t UnloadStamp()
{
    return Resources ? Resources->UnloadCount() : 0;
}

}  // namespace

TRenderKey& TRenderKey::Add(int32_t value)
{
    const uint32_t v = uint32_t(value);
    crc_ = CRC32UpdateDWords(&v, 0, crc_);
    return *this;
}

TRenderKey& TRenderKey::Add(const std::string& text)
{
    Add(int32_t(text.size()));
    crc_ = CRC32String(text, crc_, false);
    return *this;
}

TRenderKey& TRenderKey::Add(const TQZRect& rect)
{
    return Add(rect.left).Add(rect.top).Add(rect.right).Add(rect.bottom);
}

TRenderer::TRenderer() = default;
TRenderer::~TRenderer() = default;

bool TRenderer::NeedsRedraw(uint32_t key) const
{
    return !recorded_ || key != key_ || UnloadStamp() != stamp_;
}

bool TRenderer::Begin(uint32_t key)
{
    TQZVideo* video = CurrentVideo();
    if (!video) return false;
    if (!cache_) {
        cache_ = TQZRenderCache::Create(RENDERER_QUADS, false);
        if (!cache_) return false;
        cache_->growable = true;
    }
    video->SelectRenderCache(cache_.get());
    cache_->Clear();
    key_ = key;
    stamp_ = UnloadStamp();
    recorded_ = true;
    return true;
}

void TRenderer::End()
{
    if (TQZVideo* video = CurrentVideo()) video->SelectRenderCache(nullptr);
}

void TRenderer::Replay()
{
    TQZVideo* video = CurrentVideo();
    if (!video || !cache_ || !recorded_) return;
    video->SelectRenderCache(cache_.get());
    cache_->Replay();
    video->SelectRenderCache(nullptr);
}
