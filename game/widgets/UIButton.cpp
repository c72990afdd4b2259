#include "UIButton.h"

#include "UITheme.h"
#include "qz7fonts.h"
#include "qz7texture.h"

TUIButton::TUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIButton(caption, rect, parent, commandId)
{
}

TUIButton* MakeUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
{
    return NewWindow<TUIButton>(caption, rect, parent, commandId);
}

void TUIButton::Press()
{
    TGUIButton::Press();
    UIPlaySound(UISOUND_BUTTON);
    if (sendOnPress) SendCommand(commandId);
}

// A send-on-press button sends again when the press ends, wherever the
// release happens.
bool TUIButton::MouseUp(TQZPoint point)
{
    const bool wasPressed = Pressed();
    const bool clicked = TGUIButton::MouseUp(point);
    if (sendOnPress && wasPressed && !clicked) SendCommand(commandId);
    return clicked;
}

void TUIButton::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TGUIButton::MouseMove(point, hit);
    pointer_ = hit == this ? point : QZ_NOWHERE;
}

// The focus is part of the key: it changes the caption's colour.
TRenderKey TUIButton::FaceKey(const TQZRect& rect) const
{
    TRenderKey key;
    key.Add(rect).Add(caption_).Add(IsEnabled()).Add(IsHover()).Add(IsPressed()).Add(IsFocused());
    return key;
}

void TUIButton::DrawFace(const TQZRect& rect)
{
    // A disabled button must read as one at a glance: its picture and its
    // caption are dimmed as well as its face.
    const bool enabled = IsEnabled();
    if (picture) {
        picture->Draw(rect, enabled ? 0xFFFFFFFF : UIBUTTON_DISABLED_PICTURE);
    } else if (TQZTexture* face = UITexture(UITEX_BUTTONS)) {
        const TQZRect& cell = IsPressed() ? UIBUTTON_FACE_PRESSED : IsHover() ? UIBUTTON_FACE_HOVER : UIBUTTON_FACE;
        face->DrawNineSlice(rect, {4, 4, 4, 4}, true, enabled ? 0xFFFFFFFF : UIBUTTON_DISABLED, cell);
    }
    TQZColour colour = 0xFFFFFFFF;
    if (!enabled) colour = UIBUTTON_DISABLED_CAPTION;
    else if (IsPressed() || IsFocused()) colour = 0xFF80FFFF;
    else if (IsHover()) colour = 0xFFC0C0FF;
    if (TQZFont* f = UIFont(UIFONT_BUTTON)) f->DrawText(AdjustRect(rect, 2, 0, -2, 0), caption_, textFlags, colour);
}

void TUIButton::Draw(const TQZRect& rect)
{
    if (rect.Width() <= 1 || rect.Height() <= 1) return;
    DrawCached(renderer_, FaceKey(rect).Value(), [&] { DrawFace(rect); });
}
