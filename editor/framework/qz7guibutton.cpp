#include "qz7videochoice.h"
#include "qz7guibutton.h"

#include "qz7timer.h"

// ---------------------------------------------------------------- button

const TQZGUIPropertyList& TQZGUIButton::ButtonProperties()
{
    using W = TQZGUIButton;
    static const TQZGUIPropertyList list =
        qz7props::Extend(WindowProperties(), {qz7props::String<W>("Script", &W::Script, &W::SetScript)});
    return list;
}

const TQZGUIPropertyList& TQZGUIButton::Properties() const
{
    return ButtonProperties();
}

void TQZGUIButton::InitDefaults()
{
    SetRepaintOptions(RepaintOptions() | QZREPAINT_PRESSED | QZREPAINT_DIRTYTARGET);
    SetCanClick(true);
    SetCanFocus(true);
}

void TQZGUIButton::SetSelected(bool flag)
{
    if (flag == selected_) return;
    selected_ = flag;
    Invalidate(true);
}

bool TQZGUIButton::HandleKey(uint32_t key)
{
    if (key == 13 && Enabled() && HasFocus()) {
        SetState(QZSTATE_PRESSED, true);
        Invalidate(true);
        keyPressed_ = true;
        keyPressTick_ = GetTickMS();
        return true;
    }
    return TQZGUIWindow::HandleKey(key);
}

void TQZGUIButton::Update()
{
    if (!keyPressed_ || TickDiff(keyPressTick_, GetTickMS()) < KEY_PRESS_MS) return;
    keyPressed_ = false;
    if (HasState(QZSTATE_PRESSED)) {
        Invalidate(true);
        Click();
    }
}

void TQZGUIButton::Paint(const TQZRect& rect)
{
    PaintPlain(rect);
}

void TQZGUIButton::PaintPlain(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    int32_t face = 6, band = 5, caption = 4;
    if (HasState(QZSTATE_PRESSED)) {
        face = 5;
    } else if (HasState(QZSTATE_HOVER)) {
        face = 7;
    }
    if (!IsShownInTree()) {
        face = 2;
        caption = 3;
    }
    if (selected_) {
        face = 4;
        band = 4;
        caption = 0;
    }
    video->FillRect({r.left, r.top, r.right, r.bottom - 6}, GetThemeColor(face));
    video->FillRect({r.left, r.bottom - 6, r.right, r.bottom}, GetThemeColor(band));
    video->DrawFrame(r, GetThemeColor(9), 1, GetThemeColor(9));
    if (!Text().empty()) DrawText(r, Text(), QZFD_ALIGN_CENTRE | QZFD_ALIGN_MIDDLE, GetThemeColor(caption));
}

// ---------------------------------------------------------------- checkbox

const TQZGUIPropertyList& TQZGUICheckbox::Properties() const
{
    using W = TQZGUICheckbox;
    static const TQZGUIPropertyList list =
        qz7props::Extend(ButtonProperties(), {qz7props::Boolean<W>("Value", &W::Value, &W::SetValue, false)});
    return list;
}

void TQZGUICheckbox::InitDefaults()
{
    TQZGUIButton::InitDefaults();
    value_ = false;
}

void TQZGUICheckbox::SetValue(bool v)
{
    if (v == value_) return;
    value_ = v;
    Invalidate(true);
}

void TQZGUICheckbox::Click()
{
    SetValue(!value_);
    TQZGUIButton::Click();
}

void TQZGUICheckbox::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const int32_t h = GetHeight();
    const TQZRect box = OffsetRectBy({0, h / 2 - 10, 20, h / 2 + 10}, {r.left, r.top});
    if (BGColor() == 0) {
        video->FillRect(r, GetThemeColor(Selected() ? 6 : 4));
    } else if (BGColor() > 0xFFFFFF) {
        video->FillRect(r, BGColor());
    }
    // Not shown in the tree (it or a parent disabled): greyed as a button is.
    const bool live = IsShownInTree();
    video->FillRect(box, GetThemeColor(!live ? 3 : HasState(QZSTATE_HOVER) ? 8 : 4));
    const TQZColour inner = GetThemeColor(live ? 6 : 2), outer = GetThemeColor(live ? 0 : 2);
    video->DrawFrame(AdjustRect(box, 1, 1, -1, -1), inner, 1, inner);
    video->DrawFrame(box, outer, 1, outer);
    if (!Text().empty())
        DrawText({r.left + 25, r.top, r.right, r.bottom}, Text(), QZFD_ALIGN_MIDDLE, GetThemeColor(live ? 0 : 2));
    if (!value_) return;
    const int32_t cx = (box.left + box.right) / 2 - 2, cy = (box.top + box.bottom) / 2;
    const TQZColour tick = GetThemeColor(live ? 6 : 2);
    for (int32_t d = 0; d <= 1; ++d) {
        video->DrawLine({cx - 4, cy - d}, {cx, cy + 4 - d}, tick, tick, 2);
        video->DrawLine({cx, cy + 4 - d}, {cx + 8, cy - 4 - d}, tick, tick, 2);
    }
}
