// A card flying from one place on the table to another: fast at the start,
// slowing as it arrives, resting at its target for about three frames.
#pragma once

#include "UIAnim.h"
#include "coreGame.h"

class TUIAnimCardMove : public TUIAnim {
public:
    // The duration is in milliseconds; the points are screen positions of
    // the card's top-left.
    TUIAnimCardMove(TGUIWindow* host, bool playSound, bool fadeOut, bool faceUp, TCard card, int32_t duration,
                    TQZPoint to, TQZPoint from);

    void Advance(uint32_t milliseconds) override;
    void Draw(const TQZRect& rect) override;

    // Where the card stands and how opaque it is after t seconds.
    TQZPoint PositionAt(float t) const;
    uint8_t AlphaAt(float t) const;

    TCard card;
    bool faceUp;
    bool fadeOut;
    TQZPoint from;
    float duration;  // seconds
    TQZPoint to;
};
