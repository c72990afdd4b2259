#include "UIAnimFireWorks.h"

#include "UITheme.h"
#include "clRenderer.h"
#include "mgrAudio.h"
#include "qz7texture.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr TQZColour kRocketColours[7] = {0xFFFFFFFF, 0xFFFF6060, 0xFF60FF60, 0xFF6060FF,
                                         0xFFFFFF60, 0xFFFF60FF, 0xFF00FFFF};

TQZRect Around(const TFireworkSlot& slot, TQZPoint offset)
{
    const int32_t x = int32_t(std::lround(slot.position.x - slot.size.x / 2)) + offset.x;
    const int32_t y = int32_t(std::lround(slot.position.y - slot.size.y / 2)) + offset.y;
    return {x, y, x + int32_t(std::lround(slot.size.x)), y + int32_t(std::lround(slot.size.y))};
}

TQZRect VariantCell(int32_t variant)
{
    const int32_t x = (variant % 2) * 64, y = (variant / 2) * 64;
    return {x, y, x + 64, y + 64};
}
}  // namespace

TUIAnimFireworks::TUIAnimFireworks(TGUIWindow* host, bool quiet) : TUIAnim(host), quiet(quiet)
{
    blocking = false;
}

int32_t TUIAnimFireworks::CountInUse() const
{
    return int32_t(std::count_if(slots_.begin(), slots_.end(),
                                 [](const TFireworkSlot& s) { return s.kind != FIREWORK_FREE; }));
}

TFireworkSlot* TUIAnimFireworks::FreeSlot()
{
    for (TFireworkSlot& s : slots_)
        if (s.kind == FIREWORK_FREE) return &s;
    return nullptr;
}

void TUIAnimFireworks::LaunchRocket()
{
    TFireworkSlot* slot = FreeSlot();
    if (!slot) return;
    const int32_t width = GetWidth(), height = GetHeight();
    TFireworkSlot r;
    r.kind = FIREWORK_ROCKET;
    if (quiet) {
        const int32_t w = std::min(width - 150, 1024);
        r.position = {float(RandomBetween((width - w) / 2, (width + w) / 2)), float(RandomBetween(60, 150))};
        r.velocity = {float(RandomUnit() * 18 - 9), float(RandomUnit() * 3 - 3)};
        r.size = {float(RandomBetween(40, 80)), float(RandomBetween(40, 80))};
        r.value = float(RandomBetween(2, 5));
        r.colour = 0x40808080;
    } else {
        r.position = {float(RandomBetween(50, width - 50)), float(height - 10)};
        r.velocity = {float(RandomUnit() * 8 - 4), float(-2 - RandomUnit() * 10 - height / 256.0)};
        r.size = {float(RandomBetween(150, 250)), float(RandomBetween(150, 250))};
        r.value = float(RandomBetween(5, 10));
        r.colour = kRocketColours[RandomBetween(0, 6)];
    }
    r.variant = RandomBetween(0, 3);
    *slot = r;
}

void TUIAnimFireworks::LaunchSpark(const TFireworkSlot& rocket)
{
    TFireworkSlot* slot = FreeSlot();
    if (!slot) return;
    TFireworkSlot s;
    s.kind = FIREWORK_SPARK;
    s.velocity = {float(RandomUnit() * 8 - 4), float(RandomUnit() * 2 - 1)};
    s.position = {rocket.position.x + float(RandomBetween(-10, 10)), rocket.position.y + float(RandomBetween(-10, 10))};
    s.size = {rocket.size.x / float(RandomBetween(3, 6)), rocket.size.y / float(RandomBetween(3, 6))};
    s.value = float(RandomBetween(1, 50));
    s.colour = rocket.colour;
    s.variant = RandomBetween(0, 3);
    *slot = s;
}

void TUIAnimFireworks::Advance(uint32_t milliseconds)
{
    const float k = float(milliseconds) / 15;
    const float height = float(GetHeight());
    for (TFireworkSlot& s : slots_) {
        if (s.kind == FIREWORK_FREE) continue;
        if (s.kind != FIREWORK_FLASH) {
            s.position.x += s.velocity.x * k;
            s.position.y += s.velocity.y * k;
            s.velocity.x *= 0.98f;
            s.velocity.y = std::min(15.0f, s.velocity.y + 0.12f * k);
        }
        if (s.position.y - s.size.y / 2 > height) {
            s.kind = FIREWORK_FREE;
            continue;
        }
        switch (s.kind) {
        case FIREWORK_ROCKET:
            if (s.velocity.y > 0 && s.value > 0) {
                const TFireworkSlot rocket = s;
                // The rocket's own slot turns into the flash first, so the
                // sparks take other slots.
                s.kind = FIREWORK_FLASH;
                s.value = 255;
                s.size = {s.size.x * 2, s.size.y * 2};
                for (int32_t i = 0; i < int32_t(std::lround(rocket.value)); ++i) LaunchSpark(rocket);
                if (!quiet && Audio) Audio->PlaySound(SOUND_FIREWORK, false);
            }
            break;
        case FIREWORK_SPARK:
            s.value += k;
            break;
        case FIREWORK_FLASH:
            s.size = {s.size.x + 8 * k, s.size.y + 8 * k};
            s.value -= k * float(GetWidth()) / 256;
            if (s.value <= 0) s.kind = FIREWORK_FREE;
            break;
        default:
            break;
        }
    }
    const int32_t wanted = quiet ? 5 : 10;
    for (int32_t n = CountInUse(); n < wanted; ++n) {
        if (!FreeSlot()) break;
        LaunchRocket();
    }
    UIRequestFrames();
}

void TUIAnimFireworks::Draw(const TQZRect& rect)
{
    TQZTexture* cells = UITexture(TEXTURE_FIREWORK);
    TQZTexture* glow = UITexture(TEXTURE_GLOW);
    const TQZRect screen = GetScreenRect();
    const TQZPoint offset{rect.left - screen.left, rect.top - screen.top};
    const float t = ElapsedSeconds();
    UISetAdditiveBlending(true);
    for (const TFireworkSlot& s : slots_) {
        const TQZRect r = Around(s, offset);
        switch (s.kind) {
        case FIREWORK_ROCKET:
            if (cells) cells->DrawRotated(VariantCell(s.variant), r, s.colour, s.value / 20);
            if (glow) {
                const TQZPoint shift{int32_t(std::lround(std::sin(t) * s.size.x * 0.25f)),
                                     int32_t(std::lround(std::sin(0.6f * t) * s.size.y * 0.25f))};
                glow->Draw(OffsetRectBy(r, shift), ColorWithAlpha(10, s.colour));
            }
            break;
        case FIREWORK_SPARK:
            if (cells) cells->DrawRotated(VariantCell(s.variant), r, s.colour, s.value / 20);
            break;
        case FIREWORK_FLASH:
            if (glow) glow->Draw(r, ColorWithAlpha(uint8_t(std::clamp(s.value, 0.0f, 255.0f)), s.colour));
            break;
        default:
            break;
        }
    }
    UISetAdditiveBlending(false);
}
