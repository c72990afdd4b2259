// The title picture of a screen, placed by its parent's size.
#pragma once

#include "arcqz7guiwidgets.h"

class TUITitle : public TGUIBitmap {
public:
    TUITitle(TGUIWindow* parent, bool centred);
    void AfterCreate() override;
    void ParentResized() override;
    // The place of the title in a parent of the size.
    static TQZRect PlaceIn(TQZPoint parentSize, bool centred);

private:
    bool centred_;
};
