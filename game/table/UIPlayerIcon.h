// A seat's avatar on the table. When the seat changes hands (a computer
// takes over a remote player's seat, or the other way round) the picture
// turns over: the old one narrows to nothing, then the new one widens.
#pragma once

#include "UIAvatar.h"
#include "arcqz7guiwidgets.h"
#include "coreGame.h"
#include "sessionPlayer.h"

// Half of the turn-over, in milliseconds.
constexpr int32_t PLAYERICON_FLIP_MS = 300;

class TUIPlayerIcon : public TGUIButton {
public:
    TUIPlayerIcon(TSeat seat, TGUIWindow* parent, const TQZRect& rect);

    void Update() override;
    // An icon without a command of its own sends nothing when clicked.
    void Click() override;
    void Draw(const TQZRect& rect) override;
    // The turn-over moved on by a frame of the given length.
    void Advance(int32_t milliseconds);
    // Where the avatar is drawn within the icon's rectangle at this moment.
    TQZRect AvatarRect(const TQZRect& rect) const;

    TSeat Seat() const { return seat_; }
    TPlayerType ShownType() const { return shownType_; }
    int32_t FlipTime() const { return flipTime_; }

    // Set by the continue bar: a marker under the icon, on once the player
    // has pressed continue (a computer seat always has).
    bool showMarker = false;

private:
    // The seat's player type now; the shown one when there is no session.
    TPlayerType CurrentType() const;

    TSeat seat_;
    TPlayerType shownType_;
    // The picture of the shown type: the old one while it closes.
    TAvatarPicture shownPicture_;
    int32_t flipTime_ = 0;
};
