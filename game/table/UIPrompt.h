// The prompt line above the local player's hand: the session's prompt text,
// drawn into a picture of its own and typed in from the left with a soft
// edge each time it changes.
#pragma once

#include "arcqz7guiwidgets.h"

class TQZTexture;

// The reveal moves on by frame time x 10 / "Speed.Prompt" pixels a frame.
constexpr const char* kPromptSpeedKey = "Speed.Prompt";
// The soft edge: four strips of six pixels, fading out.
constexpr int32_t PROMPT_EDGE_STRIPS = 4;
constexpr int32_t PROMPT_EDGE_STRIP = 6;

class TUIPrompt : public TGUILabel {
public:
    // localHand: the rectangle of the local seat's hand on the board.
    TUIPrompt(TGUIWindow* board, const TQZRect& localHand);
    ~TUIPrompt() override;

    void Update() override;
    void Draw(const TQZRect& rect) override;
    void DrawAfterChildren() override;
    // One frame of the given length: follows the session's prompt text and
    // uncovers more of it.
    void Advance(int32_t milliseconds);

    // Above a hand wider than 504 pixels, else at the top left.
    static TQZRect PromptRect(const TQZRect& localHand);
    // Pixels uncovered per frame of the given length.
    static float RevealStep(int32_t milliseconds);

    float RevealWidth() const { return revealWidth_; }
    // The picture the caption is drawn into; nullptr when none could be made
    // (then the caption is drawn straight onto the screen, whole).
    TQZTexture* Picture() const { return GetRenderTarget(); }

private:
    float revealWidth_ = 0;
};
