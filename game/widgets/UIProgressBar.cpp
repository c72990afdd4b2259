#include "UIProgressBar.h"

#include "UITheme.h"
#include "qz7fonts.h"
#include "qz7texture.h"

#include <cmath>

namespace {

// The fill's cell in the texture is at most this wide.
constexpr int32_t kFillCellWidth = 204;
constexpr int32_t kRowHeight = 22;

int32_t RoundToInt(double v)
{
    return int32_t(std::lround(v));
}

}  // namespace

TUIProgressBar::TUIProgressBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId)
{
}

TUIProgressBar* MakeUIProgressBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
{
    return NewWindow<TUIProgressBar>(rect, parent, commandId);
}

double TUIProgressBar::Fraction() const
{
    if (position <= 0 || max == 0) return 0.0;
    if (position < max) return double(position) / double(max);
    return 1.0;
}

int32_t TUIProgressBar::TextPartWidth() const
{
    return int32_t(GetWidth() * 0.203125);
}

void TUIProgressBar::SetGlow(bool on)
{
    glowPhase_ = on ? 0 : UIPROGRESS_GLOW_OFF;
}

void TUIProgressBar::DrawBar(const TQZRect& rect)
{
    const double fraction = Fraction();
    const int32_t textPart = int32_t(rect.Width() * 0.203125);
    const int32_t filled = RoundToInt((rect.Width() - textPart) * fraction);
    if (TQZTexture* bar = UITexture(UITEX_PROGRESS)) {
        const int32_t row = bar->GetHeight() / 2;
        bar->DrawPart({0, row, bar->GetWidth(), row + kRowHeight}, rect, 0xFFFFFFFF);
        const int32_t cell = RoundToInt(fraction * kFillCellWidth);
        if (filled >= 1 && cell >= 1)
            bar->DrawPart({0, 0, cell, kRowHeight}, {rect.left, rect.top, rect.left + filled, rect.bottom}, 0xFFFFFFFF);
    }
    if (glowPhase_ != UIPROGRESS_GLOW_OFF) {
        glowPhase_ = glowPhase_ >= 13 ? -13 : glowPhase_ + 1;
        if (TQZTexture* plasma = UITexture(UITEX_PLASMA)) {
            const int32_t x = rect.left + filled, inset = glowPhase_ / 4;
            UISetAdditiveBlending(true);
            plasma->Draw({x - 16, rect.top + inset, x + 16, rect.bottom - inset}, 0x80FFFFFF);
            UISetAdditiveBlending(false);
        }
    }
    TQZFont* f = UIFont(UIFONT_SMALL);
    const TQZRect textRect{rect.right - textPart, rect.top, rect.right, rect.bottom};
    UIDrawShadowedText(f, textRect, std::to_string(RoundToInt(fraction * 100)) + "%", 0x12, 0xFFFFFFFF, 0xFF000000);
    if (!caption.empty())
        UIDrawShadowedText(f, {rect.left, rect.top, rect.right - textPart, rect.bottom}, caption, 0x12, 0xFFFFFFFF,
                           0xFF000000);
}

void TUIProgressBar::Draw(const TQZRect& rect)
{
    DrawBar(rect);
}
