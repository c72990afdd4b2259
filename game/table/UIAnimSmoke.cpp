#include "UIAnimSmoke.h"

#include "UITheme.h"
#include "qz7texture.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPi = 3.14159265f;
}

TUIAnimSmoke::TUIAnimSmoke(TGUIWindow* host, int32_t speed, const TQZRect& rect) : TUIAnim(host), speed(speed)
{
    // The particles start on a walk round the rectangle's edge: right along
    // the top, down, left along the bottom, up.
    TQZPointF p{0, 0};
    TQZPointF d{0.1f, 0};
    const float w = float(rect.Width()), h = float(rect.Height());
    for (TSmokeParticle& particle : particles_) {
        particle.cell = {RandomBetween(0, 3), RandomBetween(0, 3)};
        particle.alpha = float(RandomBetween(120, 180));
        particle.angle = RandomBetweenSingle(0, 2 * kPi);
        particle.spin = RandomBetweenSingle(-kPi / 4, kPi / 4);
        particle.size = {RandomBetween(48, 64), RandomBetween(48, 64)};
        particle.position = {float(rect.left) + p.x * w, float(rect.top) + p.y * h};
        particle.velocity = {(p.x - RandomBetweenSingle(0.3f, 0.5f)) * 2, (p.y - RandomBetweenSingle(0.3f, 0.5f)) * 2};
        const TQZPointF next{p.x + d.x, p.y + d.y};
        TQZPointF turn = d;
        if (next.x > 1) turn = {0, 1.0f / 6};
        if (next.y > 1) turn = {-0.1f, 0};
        if (next.x < 0) turn = {0, -1.0f / 6};
        if (turn == d) {
            p = next;
        } else {
            d = turn;
            p = {p.x + d.x, p.y + d.y};
        }
    }
}

void TUIAnimSmoke::Advance(uint32_t milliseconds)
{
    float k = 0;
    if (speed == SMOKE_SLOW) k = float(milliseconds) / 15;
    else if (speed == SMOKE_FAST) k = float(milliseconds) / 3;
    bool any = false;
    for (TSmokeParticle& particle : particles_) {
        if (particle.alpha <= 0) continue;
        any = true;
        particle.alpha -= 2 * k;
        particle.position.x += particle.velocity.x * k;
        particle.position.y += particle.velocity.y * k;
        particle.angle += particle.spin * k / 10;
    }
    if (!any) finished = true;
}

void TUIAnimSmoke::Draw(const TQZRect& rect)
{
    TQZTexture* texture = UITexture(TEXTURE_SMOKE);
    if (!texture) return;
    const TQZRect screen = GetScreenRect();
    const TQZPoint offset{rect.left - screen.left, rect.top - screen.top};
    for (const TSmokeParticle& particle : particles_) {
        if (particle.alpha <= 0) continue;
        const int32_t x = int32_t(std::lround(particle.position.x - particle.size.x / 2.0f)) + offset.x;
        const int32_t y = int32_t(std::lround(particle.position.y - particle.size.y / 2.0f)) + offset.y;
        const TQZRect source{particle.cell.x * 64, particle.cell.y * 64, particle.cell.x * 64 + 64,
                             particle.cell.y * 64 + 64};
        const uint8_t alpha = uint8_t(std::min(255.0f, particle.alpha));
        texture->DrawRotated(source, {x, y, x + particle.size.x, y + particle.size.y},
                             MakeColour(alpha, 128, 128, 128), particle.angle);
    }
}
