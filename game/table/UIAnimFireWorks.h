// Fireworks over the whole host: rockets rise and burst into sparks with a
// flash; a quiet variant drifts a few dim rockets near the top. They never
// finish by themselves: the screen that shows them frees them.
#pragma once

#include "UIAnim.h"

#include <array>

constexpr int32_t FIREWORK_SLOTS = 100;
constexpr int32_t FIREWORK_FREE = 0;
constexpr int32_t FIREWORK_ROCKET = 1;
constexpr int32_t FIREWORK_SPARK = 2;
constexpr int32_t FIREWORK_FLASH = 3;
constexpr int32_t TEXTURE_GLOW = 11;
constexpr int32_t TEXTURE_FIREWORK = 12;

struct TFireworkSlot {
    int32_t kind = FIREWORK_FREE;
    TQZColour colour = 0;
    int32_t variant = 0;
    TQZPointF velocity;
    TQZPointF position;
    TQZPointF size;
    // Sparks a rocket carries, a spark's age, a flash's brightness.
    float value = 0;
};

class TUIAnimFireworks : public TUIAnim {
public:
    TUIAnimFireworks(TGUIWindow* host, bool quiet);

    void Advance(uint32_t milliseconds) override;
    void Draw(const TQZRect& rect) override;

    int32_t CountInUse() const;
    std::array<TFireworkSlot, FIREWORK_SLOTS>& Slots() { return slots_; }
    bool quiet;

private:
    TFireworkSlot* FreeSlot();
    void LaunchRocket();
    void LaunchSpark(const TFireworkSlot& rocket);

    std::array<TFireworkSlot, FIREWORK_SLOTS> slots_{};
};
