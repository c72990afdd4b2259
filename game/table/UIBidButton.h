// A selectable tile of the bidding panel: a suit, a trick count or misere.
// It calls the panel back with its value instead of sending a command, and
// asks the panel for the bid being composed to show whether it is chosen.
#pragma once

#include "arcqz7guiwidgets.h"
#include "clRenderer.h"
#include "coreGame.h"

using TBidButtonClick = TQZMethod<void(int32_t value)>;
using TBidButtonCheck = TQZMethod<TBid()>;

// Values: 0..4 a suit, 6..10 a trick count, BIDVALUE_MISERE misere.
constexpr int32_t BIDVALUE_MISERE = 12;
constexpr int32_t ICON_MISERE = 24;
constexpr TQZColour BIDBUTTON_FACE = 0xFFEAEAEA;

class TUIBidButton : public TGUILabel {
public:
    TUIBidButton(const std::string& caption, TGUIWindow* parent, TBidButtonCheck onCheck, int32_t value,
                 TBidButtonClick onClick, int32_t icon, const TQZRect& rect);

    void Press() override;
    void Draw(const TQZRect& rect) override;
    bool IsSelected() const;

    TBidButtonClick onClick;
    TBidButtonCheck onCheck;
    int32_t value;
    int32_t icon;  // -1: none

private:
    TRenderer renderer_;
    int32_t redraws_ = 0;
};
