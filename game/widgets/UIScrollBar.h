// The game's scroll bar: a grey track with the knob texture for its thumb.
#pragma once

#include "arcqz7guiwidgets.h"

class TUIScrollBar : public TGUIScrollBar {
public:
    TUIScrollBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
    void Draw(const TQZRect& rect) override;
};
