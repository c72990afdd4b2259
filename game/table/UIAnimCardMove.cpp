#include "UIAnimCardMove.h"

#include "clRenderer.h"
#include "clVideoDraw.h"
#include "mgrAudio.h"
#include "mgrVideo.h"

#include <cmath>

TUIAnimCardMove::TUIAnimCardMove(TGUIWindow* host, bool playSound, bool fadeOut, bool faceUp, TCard card,
                                 int32_t duration, TQZPoint to, TQZPoint from)
    : TUIAnim(host), card(card), faceUp(faceUp), fadeOut(fadeOut), from(from), duration(float(duration) / 1000.0f),
      to(to)
{
    if (playSound && Audio) Audio->PlaySound(SOUND_CARDPLAY, false);
}

TQZPoint TUIAnimCardMove::PositionAt(float t) const
{
    if (t >= duration) return to;
    const double s = std::sin(double(t) / duration * 1.57075);
    return {from.x + int32_t(std::lround(s * (to.x - from.x))), from.y + int32_t(std::lround(s * (to.y - from.y)))};
}

uint8_t TUIAnimCardMove::AlphaAt(float t) const
{
    if (!fadeOut) return 255;
    // A flight of no duration has already faded out.
    if (duration <= 0) return 0;
    const double a = 255.0 - std::lround(double(t) / duration * 255.0);
    return uint8_t(a < 0 ? 0 : a > 255 ? 255 : a);
}

void TUIAnimCardMove::Advance(uint32_t milliseconds)
{
    finished = duration + float(milliseconds) * 2.8f / 1000.0f < ElapsedSeconds();
}

void TUIAnimCardMove::Draw(const TQZRect& rect)
{
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    if (!draw) return;
    const float t = ElapsedSeconds();
    const TQZRect screen = GetScreenRect();
    const TQZPoint at = PositionAt(t);
    draw->DrawCard({at.x + rect.left - screen.left, at.y + rect.top - screen.top}, card,
                   ColorWithAlpha(AlphaAt(t), 0xFFFFFFFF), faceUp);
}
