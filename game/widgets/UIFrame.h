// A captioned panel that fades in and out, optionally through a picture of
// itself, with a scroll offset for its children; and the black line that
// separates parts of a frame.
#pragma once

#include "arcqz7gui.h"

#include <string>

class TGUIScrollBar;

// The fade runs at 160 alpha steps a second.
constexpr int32_t UIFRAME_FADE_PER_SECOND = 160;

class TUIFrame : public TGUIWindow {
public:
    TUIFrame(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId = 0);

    void SetRect(const TQZRect& rect) override;
    void SetVisible(bool visible) override;
    void Update() override;
    void Draw(const TQZRect& rect) override;
    void DrawAfterChildren() override;
    virtual int32_t GetAlpha() const;

    void SetShown(bool flag);
    void SetHiding(bool flag);
    void SetFadePicture(bool flag);
    // Moves every child but the scroll bar to the scroll offset.
    void SetPosition(int32_t x, int32_t y);
    void DrawSeparator(int32_t y);
    void DrawTeamMarker(int32_t team, const TQZRect& rect);
    void DrawText(TQZPoint point, const std::string& text);
    // The fade clock moves on by the frame time each time the frame is drawn.
    void AdvanceFade(uint32_t milliseconds) { fadeTime_ += milliseconds; }

    bool Shown() const { return shown_; }
    bool Hiding() const { return hiding_; }
    bool UseFadePicture() const { return useFadePicture_; }
    uint32_t FadeTime() const { return fadeTime_; }
    TQZPoint Scroll() const { return {scrollX_, scrollY_}; }
    // Where the frame lands on its parent's drawing surface (its own
    // picture, when it has one, is drawn there).
    TQZRect OuterDrawRect() const;

    TQZColour tint = 0xFFFFFFFF;
    std::string caption;
    int32_t captionFont = 3;
    TQZColour borderColour = 0xFFFFFFFF;
    bool shadowBelow = false;
    bool noBackground = false;
    int32_t maxAlpha = 255;
    TGUIScrollBar* scrollBar = nullptr;  // a child, when set

protected:
    // The background, border and caption of Draw; the movable frame has its own.
    virtual void DrawBody(const TQZRect& rect);
    void PushChildClip(const TQZRect& rect);

    uint32_t fadeTime_ = 0;

private:
    bool shown_ = false;
    bool hiding_ = false;
    bool useFadePicture_ = false;
    bool clipPushed_ = false;
    int32_t scrollX_ = 0, scrollY_ = 0;
};

class TUIFrameSeparator : public TGUIWindow {
public:
    TUIFrameSeparator(const TQZRect& rect, TGUIWindow* parent);
    void Draw(const TQZRect& rect) override;
};

TUIFrame* MakeUIFrame(const std::string& caption, const TQZRect& rect, TGUIWindow* parent);
TUIFrameSeparator* MakeUIFrameSeparator(const TQZRect& rect, TGUIWindow* parent);
