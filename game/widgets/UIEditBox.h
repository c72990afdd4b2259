// The game's edit box: a panel whose background pulses while it has the
// focus, with an underscore for the cursor.
#pragma once

#include "arcqz7guiwidgets.h"

class TUIEditBox : public TGUIEditbox {
public:
    TUIEditBox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId = 0);
    void Draw(const TQZRect& rect) override;
    // The background's alpha at a clock time: a pulse of one second while focused.
    uint8_t BackgroundAlpha(uint32_t clock) const;
};

TUIEditBox* MakeUIEditBox(const std::string& caption, const TQZRect& rect, TGUIWindow* parent);
