// The root of the widget tree: it takes the client area from the video
// manager on every resize and lays the tree out again.
#pragma once

#include "arcqz7gui.h"
#include "mgrVideo.h"

class TGUIRootWindow : public TGUIWindow, public TResizeReceiver {
public:
    TGUIRootWindow() : TGUIWindow({}, nullptr, 0) {}
    void ClientResized(const TQZRect& client) override;
};
