// The fancy button of the scene toolkit: rounded corners from a shared
// corner texture, a press that sinks and a glow that follows the pointer
// and the focus.
#pragma once

#include "qz7guibutton.h"

class TQZTexture;

class TQZGUIButtonFancy : public TQZGUIButton {
public:
    const char* ClassName() const override { return "TQZGUIButtonFancy"; }

    void InitDefaults() override;
    void StateChanged() override;
    void Update() override;
    void Paint(const TQZRect& rect) override;

    float Depth() const { return depth_; }
    float Glow() const { return glow_; }
    bool Animating() const { return animating_; }
    // One step of the press and glow animation over dt seconds; false when
    // nothing changed (the step then ends itself).
    bool AnimationStep(float dt);

    static constexpr const char* CORNER_TEXTURE = "qz7gui_roundcorner";
    static constexpr float MAX_DEPTH = 0.075f;
    static constexpr float MAX_GLOW = 0.5f;
    // The shared corner texture: the resource manager's, else drawn once.
    static TQZTexture* CornerTexture();

private:
    float depth_ = 0, glow_ = 0;
    bool animating_ = false;
};
