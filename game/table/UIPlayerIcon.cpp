#include "UIPlayerIcon.h"

#include "UIAvatar.h"
#include "UITheme.h"
#include "clVideoDraw.h"
#include "mgrSession.h"
#include "mgrVideo.h"

#include <cmath>

namespace {
const TSessionPlayer* PlayerOf(TSeat seat) { return Session ? Session->Players().GetPlayer(seat) : nullptr; }
}  // namespace

TUIPlayerIcon::TUIPlayerIcon(TSeat seat, TGUIWindow* parent, const TQZRect& rect)
    : TGUIButton("", rect, parent, 0), seat_(seat), shownType_(PLAYER_AI)
{
    // The icon has nothing to do with the keyboard: it must not take the
    // focus from the screen's own buttons.
    focusable = false;
    const TSessionPlayer* player = PlayerOf(seat);
    shownType_ = player ? player->PlayerType() : PLAYER_AI;
    shownPicture_ = AvatarPicture(player);
}

TPlayerType TUIPlayerIcon::CurrentType() const
{
    const TSessionPlayer* player = PlayerOf(seat_);
    return player ? player->PlayerType() : shownType_;
}

void TUIPlayerIcon::Click()
{
    if (commandId != 0) TGUIButton::Click();
}

void TUIPlayerIcon::Update()
{
    TGUIButton::Update();
    Advance(int32_t(UIFrameTime()));
}

void TUIPlayerIcon::Advance(int32_t milliseconds)
{
    const TPlayerType now = CurrentType();
    if (flipTime_ == 0 && now != shownType_) flipTime_ = PLAYERICON_FLIP_MS;
    if (flipTime_ <= 0) return;
    UIRequestFrames();
    flipTime_ = MaxOf(0, flipTime_ - MaxOf(0, milliseconds));
    if (flipTime_ == 0 && now != shownType_) {
        shownType_ = now;
        shownPicture_ = AvatarPicture(PlayerOf(seat_));
        flipTime_ = PLAYERICON_FLIP_MS;
    }
}

TQZRect TUIPlayerIcon::AvatarRect(const TQZRect& rect) const
{
    if (flipTime_ <= 0) return rect;
    const bool closing = CurrentType() != shownType_;
    const double f = closing ? double(PLAYERICON_FLIP_MS - flipTime_) / PLAYERICON_FLIP_MS
                             : double(flipTime_) / PLAYERICON_FLIP_MS;
    const int32_t inset = int32_t(std::lround((rect.Width() / 2 - 4) * f));
    return {rect.left + inset, rect.top, rect.right - inset, rect.bottom};
}

void TUIPlayerIcon::Draw(const TQZRect& rect)
{
    const TSessionPlayer* player = PlayerOf(seat_);
    const bool closing = flipTime_ > 0 && CurrentType() != shownType_;
    DrawAvatarPicture(closing ? shownPicture_ : AvatarPicture(player), AvatarRect(rect), 0xFFFFFFFF);
    if (showMarker && player && Video && Video->Draw())
        Video->Draw()->DrawTabMarker(player->Continued() || player->IsAI(), rect);
}
