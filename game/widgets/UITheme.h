// What the themed widgets share: the resources they draw with (by the
// resource manager's ids), the button sound, the frame time, and the few
// drawing steps more than one of them uses.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <initializer_list>
#include <string>

class TQZFont;
class TQZTexture;

// Textures of the interface.
constexpr int32_t UITEX_TITLE = 1;
constexpr int32_t UITEX_PANEL = 2;
constexpr int32_t UITEX_CYCLE = 3;
constexpr int32_t UITEX_SMOOTH = 4;
constexpr int32_t UITEX_PLASMA = 11;
constexpr int32_t UITEX_BUTTONS = 17;
constexpr int32_t UITEX_PROGRESS = 18;
constexpr int32_t UITEX_KNOB = 19;
constexpr int32_t UITEX_ONOFF = 20;
constexpr int32_t UITEX_FLOWERS = 30;

// Fonts.
constexpr int32_t UIFONT_SMALL = 1;
constexpr int32_t UIFONT_BUTTON = 2;
constexpr int32_t UIFONT_CAPTION = 3;
constexpr int32_t UIFONT_LIST = 5;

constexpr int32_t UISOUND_BUTTON = 5;

// The 23 x 23 knob of scroll bars and sliders.
constexpr int32_t UIKNOB_SIZE = 23;

// The colours of knobs and captions by state.
constexpr TQZColour UICOLOUR_ACTIVE = 0xFFFFFFFF;  // knob pressed or focused
constexpr TQZColour UICOLOUR_HOVER = 0xFFC0C0FF;
constexpr TQZColour UICOLOUR_IDLE = 0xFF808080;
constexpr TQZColour UICOLOUR_VEIL = 0xA0808080;     // over a disabled widget

TQZTexture* UITexture(int32_t id);
TQZFont* UIFont(int32_t id);
// The first of the faces (largest first) in which the text fits the width,
// else the last: a long text is written smaller rather than cut.
int32_t UIFontThatFits(const std::string& text, int32_t width, std::initializer_list<int32_t> faces);
void UIPlaySound(int32_t id);
// Milliseconds of the last frame.
uint32_t UIFrameTime();
// A widget that moves on its own (a flight, a fade, a pop-up) asks for the
// next frames at the full rate; without such a request, input or a pending
// timer the program draws its idle screens slowly. The engine takes the
// request once a frame.
void UIRequestFrames();
bool UITakeFrameRequest();

// A lower bound that wins when the bounds cross (a widget larger than the
// room it is given ends at the lower bound).
inline int32_t ClampLowWins(int32_t lo, int32_t value, int32_t hi)
{
    return value > hi ? (hi < lo ? lo : hi) : (value < lo ? lo : value);
}

void UIFill(const TQZRect& rect, TQZColour colour);
// Opaque black, then the colour 1 pixel in.
void UIFillOutlined(const TQZRect& rect, TQZColour colour);
void UIDrawPanel(TQZColour colour, const TQZRect& rect);
void UIDrawBadge(int32_t kind, const TQZRect& rect);
void UISetAdditiveBlending(bool on);
TQZColour UIKnobColour(bool activeState, bool hover);
// The knob cell ((0, 32) instead of (0, 0) when lit) into the rectangle.
void UIDrawKnob(const TQZRect& rect, bool lit, TQZColour colour);
// Text twice: offset by (1, 1) in the first colour, then in place in the second.
void UIDrawShadowedText(TQZFont* font, const TQZRect& rect, const std::string& text, uint32_t flags,
                        TQZColour shadow, TQZColour colour);
