// A bar filled to a fraction with its percentage beside it and an optional
// moving glow at the fill's end; the slider adds a knob the user drags.
#pragma once

#include "arcqz7gui.h"

#include <string>

constexpr int32_t UIPROGRESS_GLOW_OFF = -100;

class TUIProgressBar : public TGUIWindow {
public:
    TUIProgressBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void Draw(const TQZRect& rect) override;
    void SetGlow(bool on);
    double Fraction() const;
    // The width of the percentage text at the right.
    int32_t TextPartWidth() const;
    int32_t GlowPhase() const { return glowPhase_; }

    std::string caption;
    int32_t position = 0;
    int32_t max = 100;

protected:
    void DrawBar(const TQZRect& rect);

private:
    int32_t glowPhase_ = UIPROGRESS_GLOW_OFF;
};

TUIProgressBar* MakeUIProgressBar(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
