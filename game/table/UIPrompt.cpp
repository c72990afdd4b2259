#include "UIPrompt.h"

#include "UITheme.h"
#include "clRenderer.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "qz7fonts.h"
#include "qz7texture.h"

#include <cmath>

namespace {
constexpr int32_t kWideHand = 504;
}  // namespace

TQZRect TUIPrompt::PromptRect(const TQZRect& localHand)
{
    if (localHand.Width() > kWideHand) return {localHand.left, localHand.top - 50, localHand.right, localHand.top - 5};
    return {10, 20, 515, 65};
}

TUIPrompt::TUIPrompt(TGUIWindow* board, const TQZRect& localHand)
    : TGUILabel(Session ? Session->Prompt() : std::string(), PromptRect(localHand), board, 0)
{
    font = UIFont(UIFONT_CAPTION);
    centreHorizontal = GetRect().left != 10;
    centreVertical = true;
    std::unique_ptr<TQZTexture> picture;
    if (TQZTexture::CreateRenderTarget(picture, GetWidth(), GetHeight()) != QZRES_OK) picture.reset();
    SetRenderTarget(std::move(picture));
}

TUIPrompt::~TUIPrompt() { SetRenderTarget(nullptr); }

float TUIPrompt::RevealStep(int32_t milliseconds)
{
    // An absent or zero speed setting reads as 0: a division by it would
    // make the step infinite (or NaN for a zero frame), so it counts as 1.
    int32_t speed = GetSpeedSetting(kPromptSpeedKey);
    if (speed <= 0) speed = 1;
    return float(MaxOf(0, milliseconds)) * 10.0f / float(speed);
}

void TUIPrompt::Update()
{
    TGUILabel::Update();
    Advance(int32_t(UIFrameTime()));
}

void TUIPrompt::Advance(int32_t milliseconds)
{
    if (Session && Session->Prompt() != caption_) {
        SetCaption(Session->Prompt());
        revealWidth_ = 0;
    }
    const float width = float(GetWidth());
    if (revealWidth_ < width) {
        revealWidth_ = MinOfSingle(width, revealWidth_ + RevealStep(milliseconds));
        UIRequestFrames();
    }
}

void TUIPrompt::Draw(const TQZRect& rect)
{
    TQZFont* f = GetFont();
    if (!f || caption_.empty()) return;
    // A long line (a result with two long names) is written smaller rather
    // than cut off at both ends.
    for (int32_t id : {UIFONT_BUTTON, UIFONT_SMALL}) {
        if (f->TextWidth(caption_) <= rect.Width()) break;
        if (TQZFont* smaller = UIFont(id)) f = smaller;
    }
    uint32_t flags = 0;
    if (centreHorizontal) flags |= GUITEXT_CENTRE;
    if (centreVertical) flags |= GUITEXT_VCENTRE;
    f->DrawText(OffsetRectBy(rect, {2, 2}), caption_, flags, 0xFF000000);
    f->DrawText(rect, caption_, flags, 0xFFFFFFFF);
}

void TUIPrompt::DrawAfterChildren()
{
    TQZTexture* picture = Picture();
    if (!picture || !IsVisible()) return;
    TGUIWindow* parent = GetParent();
    const TQZRect at = parent ? OffsetRectBy(GetRect(), {parent->GetDrawRect().left, parent->GetDrawRect().top})
                              : GetRect();
    const int32_t w = GetWidth(), h = GetHeight();
    const int32_t r = MinOf(w, int32_t(std::lround(revealWidth_)));
    if (r > 0) picture->DrawPart({0, 0, r, h}, {at.left, at.top, at.left + r, at.top + h}, 0xFFFFFFFF);
    for (int32_t i = 0; i < PROMPT_EDGE_STRIPS; ++i) {
        const int32_t x = r + PROMPT_EDGE_STRIP * i;
        if (w < x + PROMPT_EDGE_STRIP) break;
        picture->DrawPart({x, 0, x + PROMPT_EDGE_STRIP, h},
                          {at.left + x, at.top, at.left + x + PROMPT_EDGE_STRIP, at.top + h},
                          ColorWithAlpha(uint8_t(255 - 63 * i), 0xFFFFFF));
    }
}
