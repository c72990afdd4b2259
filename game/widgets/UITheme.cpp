#include "UITheme.h"

#include "mgrAudio.h"
#include "mgrResources.h"
#include "clVideoDraw.h"
#include "mgrVideo.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7video.h"

TQZTexture* UITexture(int32_t id)
{
    return Resources ? Resources->GetTexture(id) : nullptr;
}

TQZFont* UIFont(int32_t id)
{
    return Resources ? Resources->GetFont(id) : nullptr;
}

int32_t UIFontThatFits(const std::string& text, int32_t width, std::initializer_list<int32_t> faces)
{
    int32_t chosen = 0;
    for (int32_t id : faces) {
        chosen = id;
        if (TQZFont* f = UIFont(id); f && f->TextWidth(text) <= width) break;
    }
    return chosen;
}

void UIPlaySound(int32_t id)
{
    if (Audio) Audio->PlaySound(id, false);
}

uint32_t UIFrameTime()
{
    return Video ? uint32_t(Video->FrameTime()) : 0;
}

void UIFill(const TQZRect& rect, TQZColour colour)
{
    if (TQZVideo* v = CurrentVideo()) v->FillRect(rect, colour);
}

void UIFillOutlined(const TQZRect& rect, TQZColour colour)
{
    UIFill(rect, 0xFF000000);
    UIFill(AdjustRect(rect, 1, 1, -1, -1), colour);
}

void UIDrawPanel(TQZColour colour, const TQZRect& rect)
{
    if (Video && Video->Draw()) Video->Draw()->DrawPanel(colour, rect);
}

void UIDrawBadge(int32_t kind, const TQZRect& rect)
{
    if (Video && Video->Draw()) Video->Draw()->DrawBadge(kind, rect);
}

void UISetAdditiveBlending(bool on)
{
    if (Video && Video->Draw()) Video->Draw()->SetAdditiveBlending(on);
}

TQZColour UIKnobColour(bool activeState, bool hover)
{
    if (activeState) return UICOLOUR_ACTIVE;
    return hover ? UICOLOUR_HOVER : UICOLOUR_IDLE;
}

void UIDrawKnob(const TQZRect& rect, bool lit, TQZColour colour)
{
    if (TQZTexture* knob = UITexture(UITEX_KNOB)) {
        const int32_t y = lit ? 32 : 0;
        knob->DrawPart({0, y, UIKNOB_SIZE, y + UIKNOB_SIZE}, rect, colour);
    }
}

void UIDrawShadowedText(TQZFont* font, const TQZRect& rect, const std::string& text, uint32_t flags,
                        TQZColour shadow, TQZColour colour)
{
    if (!font) return;
    font->DrawText(OffsetRectBy(rect, {1, 1}), text, flags, shadow);
    font->DrawText(rect, text, flags, colour);
}

namespace {
bool framesRequested = false;
}

void UIRequestFrames() { framesRequested = true; }

bool UITakeFrameRequest()
{
    const bool requested = framesRequested;
    framesRequested = false;
    return requested;
}
