// The table backdrop: a still image, or an `.ice` archive that carries an
// animated backdrop: an effect in the effect language, an optional texture
// for it and a description "Backdrop.json". An animated backdrop is drawn
// by running the effect's technique over the table each frame, at most at
// its maximum render size (stretched or tiled from there), and in slow mode
// a band of rows at a time.
#pragma once

#include "qz7core.h"

#include <memory>
#include <string>

class TQZLuxEffect;
class TQZSurface;
class TQZTexture;
class TQZIceData;

constexpr int32_t BACKDROP_STRETCH = 0;
constexpr int32_t BACKDROP_TILE = 1;
constexpr int32_t BACKDROP_TILE_HORIZONTAL = 2;
// Largest render size a description may ask for, and its default.
constexpr int32_t BACKDROP_MAX_RENDER_SIDE = 4096;
// Most slices slow mode cuts a frame into.
constexpr int32_t BACKDROP_MAX_SLICES = 64;

class TAnimatedBackdrop : public TQZClass {
public:
    // nullptr when the file cannot be shown (the reason is logged).
    static std::unique_ptr<TAnimatedBackdrop> Create(const std::string& fileName);
    TAnimatedBackdrop();
    ~TAnimatedBackdrop() override;

    // The still image; nullptr for an animated backdrop.
    TQZSurface* Image() const { return image_.get(); }
    bool Still() const { return image_ != nullptr; }
    TQZLuxEffect* Effect() const { return effect_.get(); }
    TQZTexture* Texture() const { return texture_.get(); }

    // Draws an animated backdrop over the rectangle of the current render
    // target at the time given (seconds, from any start). The effect gets
    // gLuxExtra = (seconds, width, height, width / height) of the rectangle.
    // 0, or a result code (a still backdrop draws nothing here).
    [[nodiscard]] int32_t Draw(const TQZRect& rect, double seconds);
    // In slow mode each frame renders one of slowModeSlices bands anew.
    void SetSlowMode(bool on) { slowMode_ = on; }
    bool SlowMode() const { return slowMode_; }
    // The band slow mode renders next (0 .. slices - 1).
    int32_t NextSlice() const { return nextSlice_; }

    // The key that descrambles protected effect nodes.
    static const char* ProtectionKey();

    std::string title;
    int32_t displayMode = BACKDROP_STRETCH;
    bool aspectCorrect = false;
    std::string technique;
    int32_t slowModeSlices = 0;
    TQZPoint maxRenderSize{BACKDROP_MAX_RENDER_SIDE, BACKDROP_MAX_RENDER_SIDE};
    double lastSeconds = 0;  // the time of the frame drawn last
    int32_t framesDrawn = 0;

private:
    [[nodiscard]] bool LoadArchive(const std::string& fileName);
    [[nodiscard]] bool LoadEffect(TQZIceData& archive, const std::string& node, bool scrambled);
    TQZPoint RenderSize(const TQZRect& rect) const;
    void SetParameters(TQZPoint size, TQZPoint shown, double seconds);
    [[nodiscard]] int32_t RenderInto(TQZPoint size, float uw, float vh);
    [[nodiscard]] int32_t Show(const TQZRect& rect, TQZPoint size);

    std::unique_ptr<TQZLuxEffect> effect_;
    std::unique_ptr<TQZTexture> texture_;
    std::unique_ptr<TQZSurface> image_;
    std::unique_ptr<TQZTexture> target_;  // the rendered frame, when not drawn straight to the screen
    bool targetFilled_ = false;
    bool slowMode_ = false;
    int32_t nextSlice_ = 0;
};

bool IsAnimatedBackdropFile(const std::string& fileName);
