// The bar of the four players' icons shown on the result screens: each
// icon's marker tells whether its player has pressed continue.
#pragma once

#include "UIContainer.h"
#include "coreGame.h"

class TUIPlayerIcon;

constexpr int32_t CONTINUEBAR_WIDTH = 264;
constexpr int32_t CONTINUEBAR_HEIGHT = 72;

class TUIContinueBar : public TUIContainer {
public:
    explicit TUIContinueBar(TGUIWindow* parent);
    // Centred across the parent, two thirds of the way down.
    bool Arrange() override;
    TUIPlayerIcon* Icon(TSeat seat) const { return IsSeat(seat) ? icons_[seat - 1] : nullptr; }
    // The bar's place in a parent of the size.
    static TQZRect PlaceIn(TQZPoint parentSize);

private:
    TUIPlayerIcon* icons_[4] = {};
};

TUIContinueBar* MakeUIContinueBar(TGUIWindow* parent);
