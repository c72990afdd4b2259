// A puff of smoke over a rectangle (a trump played): particles laid along
// the rectangle's edge that drift outwards, turn and fade.
#pragma once

#include "UIAnim.h"

#include <array>

constexpr int32_t SMOKE_PARTICLES = 32;
constexpr int32_t SMOKE_SLOW = 0;
constexpr int32_t SMOKE_FAST = 1;
constexpr int32_t TEXTURE_SMOKE = 24;

struct TSmokeParticle {
    TQZPoint cell;  // column and row of the texture's 4 x 4 cells
    TQZPointF position;
    TQZPoint size;
    float angle = 0, spin = 0;
    TQZPointF velocity;
    float alpha = 0;
};

class TUIAnimSmoke : public TUIAnim {
public:
    // Speed: SMOKE_SLOW, SMOKE_FAST, anything else frozen.
    TUIAnimSmoke(TGUIWindow* host, int32_t speed, const TQZRect& rect);

    void Advance(uint32_t milliseconds) override;
    void Draw(const TQZRect& rect) override;

    const std::array<TSmokeParticle, SMOKE_PARTICLES>& Particles() const { return particles_; }
    int32_t speed;

private:
    std::array<TSmokeParticle, SMOKE_PARTICLES> particles_{};
};
