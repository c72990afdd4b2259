// The host: the root window of a scene bound to a video object. It follows
// the output's size, times its frames, and can drag the output window.
#pragma once

#include "qz7gui.h"

class TQZGUIHost : public TQZGUIWindow {
public:
    ~TQZGUIHost() override;
    const char* ClassName() const override { return "TQZGUIHost"; }
    const TQZGUIPropertyList& Properties() const override;

    void AfterCreate() override;
    void InitDefaults() override;
    void LayoutChanged() override;
    void DragMove(TQZPoint delta) override;
    void DragEnd(TQZPoint delta) override;
    void Update() override;
    void SetVideo(TQZVideo* video) override;

    bool CanDragVideo() const { return canDragVideo_; }
    void SetCanDragVideo(bool b);
    uint32_t FrameTime() const { return frameTime_; }
    // The video's resize notices come to this host.
    bool IsEventPrimary() const;

    // The output changed size: the host takes it and lays its tree out.
    void VideoResized(TQZVideo* video);

private:
    void Unbind();

    bool canDragVideo_ = false;
    uint32_t frameTime_ = 0;
    uint32_t lastTick_ = 0;
    TQZVideo* bound_ = nullptr;
    bool capturing_ = false;
};
