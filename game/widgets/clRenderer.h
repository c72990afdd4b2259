// The widget render cache: a widget that is costly to draw records its
// drawing once and replays it while nothing it shows has changed. The key is
// a CRC-32 of what the widget shows; a recording is also made again when the
// resource manager has unloaded anything since (it may refer to a texture
// that is gone).
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <memory>
#include <string>

class TQZRenderCache;

// Quads a widget's recording starts with; it grows when it needs more.
constexpr int32_t RENDERER_QUADS = 64;

inline TQZColour ColorWithAlpha(uint8_t alpha, TQZColour colour)
{
    return (uint32_t(alpha) << 24) | (colour & 0xFFFFFF);
}
inline TQZColour OpaqueColour(uint8_t red, uint8_t green, uint8_t blue)
{
    return MakeColour(255, red, green, blue);
}

// A CRC-32 over the values a widget shows.
class TRenderKey {
public:
    TRenderKey& Add(int32_t value);
    TRenderKey& Add(const std::string& text);
    TRenderKey& Add(const TQZRect& rect);
    uint32_t Value() const { return crc_; }

private:
    uint32_t crc_ = 0xFFFFFFFFu;
};

class TRenderer : public TQZClass {
public:
    TRenderer();
    ~TRenderer() override;

    bool NeedsRedraw(uint32_t key) const;
    // Makes the cache the video's current one, empty, for recording.
    [[nodiscard]] bool Begin(uint32_t key);
    void End();
    void Replay();

    uint32_t Key() const { return key_; }
    TQZRenderCache* Cache() const { return cache_.get(); }

private:
    std::unique_ptr<TQZRenderCache> cache_;
    uint32_t key_ = 0;
    int32_t stamp_ = -1;
    bool recorded_ = false;
};

// A widget's cached drawing: records with draw when the key or the resources
// changed, then replays; without a running frame nothing happens.
template <class F> void DrawCached(TRenderer& renderer, uint32_t key, F draw)
{
    if (renderer.NeedsRedraw(key)) {
        if (!renderer.Begin(key)) {
            draw();  // no cache to record into: draw straight away
            return;
        }
        draw();
        renderer.End();
    }
    renderer.Replay();
}
