#include "qz7videochoice.h"
#include "qz7guibuttonfancy.h"

#include "qz7resource.h"
#include "qz7timer.h"

#include <algorithm>
#include <cmath>

void TQZGUIButtonFancy::InitDefaults()
{
    TQZGUIButton::InitDefaults();
    depth_ = 0;
    glow_ = 0;
    animating_ = false;
}

void TQZGUIButtonFancy::StateChanged()
{
    TQZGUIButton::StateChanged();
    animating_ = true;
}

void TQZGUIButtonFancy::Update()
{
    TQZGUIButton::Update();
    if (animating_) animating_ = AnimationStep(FrameDeltaSeconds());
}

bool TQZGUIButtonFancy::AnimationStep(float dt)
{
    bool sank = false, glowed = false;
    if (HasState(QZSTATE_PRESSED)) {
        if (depth_ < MAX_DEPTH) {
            depth_ = std::min(depth_ + dt, MAX_DEPTH);
            sank = depth_ < MAX_DEPTH;  // the press is done once it reaches the bottom
            Invalidate(true);
        }
    } else {
        depth_ = 0;
    }
    if (HasState(QZSTATE_HOVER) || HasFocus()) {
        if (glow_ < MAX_GLOW) {
            glow_ = std::min(glow_ + dt, MAX_GLOW);
            glowed = true;
            Invalidate(true);
        }
    } else if (glow_ > 0) {
        glow_ = std::max(glow_ - dt, 0.0f);
        glowed = true;
        Invalidate(true);
    }
    // The step keeps running while either value still moves.
    return sank || glowed;
}

TQZTexture* TQZGUIButtonFancy::CornerTexture()
{
    TQZResourceManager* rm = GetResourceManager();
    if (!rm) return nullptr;
    try {
        if (TQZTexture* t = rm->Textures().GetItem(rm->Textures().IndexOfOrLoad(CORNER_TEXTURE))) return t;
    } catch (const EQZResourceError&) {
        // A descriptor whose file is missing: drawn here instead.
    }
    auto texture = std::make_unique<TQZTexture>();
    if (texture->CreateD3DTexture(64, 64) != QZRES_OK) return nullptr;
    TQZTexturePixelData* pd = texture->PixelData();
    if (pd->Lock(0) != QZRES_OK) return nullptr;
    pd->Clear(0x00FFFFFF);
    static constexpr int32_t kIndent[16] = {13, 10, 8, 6, 5, 4, 3, 3, 2, 2, 1, 1, 1, 0, 0, 0};
    for (int32_t i = 0; i < 16; ++i) {
        const int32_t k = kIndent[i];
        pd->FillRect({k, i, 32, i + 1}, 0xFFFFFFFF);
        pd->FillRect({k, 63 - i, 32, 64 - i}, 0xFFFFFFFF);
        pd->FillRect({32, i, 64 - k, i + 1}, 0xFFFFFFFF);
        pd->FillRect({32, 63 - i, 64 - k, 64 - i}, 0xFFFFFFFF);
    }
    pd->FillRect({0, 16, 64, 48}, 0xFFFFFFFF);
    pd->Unlock();
    const int32_t index = rm->Textures().Add(CORNER_TEXTURE, std::move(texture));
    return rm->Textures().GetItem(index);
}

void TQZGUIButtonFancy::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    TQZTexture* corner = CornerTexture();
    if (r.bottom - r.top < 36 || r.right - r.left < 32 || !corner) {
        video->FillRect(r, 0xFF000000);
        PaintPlain(AdjustRect(r, 2, 2, -2, -2));
        return;
    }
    const bool pressed = HasState(QZSTATE_PRESSED);
    TQZColour face = GetThemeColor(6), border = GetThemeColor(5), caption = GetThemeColor(4);
    const int32_t o = pressed ? ClampInt(0, int32_t(std::nearbyint(depth_ * 40)), 3) : 0;
    if (glow_ > 0) {
        const float w = 1 - glow_ * 2 / 3;
        const TQZColour c6 = face, c7 = GetThemeColor(7);
        face = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const float v = float((c6 >> shift) & 0xFF) * w + float((c7 >> shift) & 0xFF) * (1 - w);
            face |= uint32_t(std::clamp(int32_t(std::trunc(v)), 0, 255)) << shift;
        }
    }
    if (!IsShownInTree()) {
        face = GetThemeColor(2);
        caption = GetThemeColor(3);
    }
    const TQZRect inner{16, 16, 48, 48};
    corner->DrawNineSlice(inner, {r.left + o - 2, r.top + o - 2, r.right + 2, r.bottom + 2}, true, 0xFF000000);
    corner->DrawNineSlice(inner, {r.left + o, r.top + o, r.right, r.bottom}, true, border);
    const int32_t t = pressed ? 2 * o + 4 : 0, b = pressed ? -2 : -8;
    corner->DrawNineSlice(inner, {r.left + o, r.top + t, r.right, r.bottom + b}, true, face);
    if (pressed) {
        video->FillGradient({r.left + 15, r.bottom + o - 8, r.right - 15, r.bottom + o - 5}, 0x00FFFFFF, 8, 0x80FFFFFF);
    } else {
        video->FillGradient({r.left + 15, r.bottom - 10, r.right - 15, r.bottom - 7}, 0x00FFFFFF, 8, 0x80FFFFFF);
        video->FillGradient({r.left + 7, r.top + 7, r.left + 35, r.top + 20}, 0x60000000, 4, 0);
    }
    if (Text().empty()) return;
    TQZFont* font = GetFont();
    if (HasFocus()) {
        if (TQZFonts* fonts = GetFonts(); fonts && font) font = fonts->GetBoldFont(font);
    }
    if (font)
        font->DrawText(OffsetRectBy(r, {o, o}), Text(), QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE, caption);
}
