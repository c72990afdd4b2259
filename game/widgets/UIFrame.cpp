#include "UIFrame.h"

#include "UITheme.h"
#include "arcqz7guiwidgets.h"
#include "qz7fonts.h"
#include "qz7texture.h"
#include "qz7video.h"

TUIFrame::TUIFrame(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId), caption(caption)
{
    forwardCommands = true;
}

TUIFrame* MakeUIFrame(const std::string& caption, const TQZRect& rect, TGUIWindow* parent)
{
    return NewWindow<TUIFrame>(caption, rect, parent);
}

// ---------------------------------------------------------------- fading

int32_t TUIFrame::GetAlpha() const
{
    const int32_t faded = int32_t(uint64_t(fadeTime_) * UIFRAME_FADE_PER_SECOND / 1000);
    if (shown_) return ClampLowWins(0, faded, maxAlpha);
    if (hiding_) return ClampLowWins(0, maxAlpha - faded, maxAlpha);
    return maxAlpha;
}

void TUIFrame::SetShown(bool flag)
{
    shown_ = flag;
    if (flag) hiding_ = false;
    SetFadePicture(flag || useFadePicture_);
    fadeTime_ = 0;
}

void TUIFrame::SetHiding(bool flag)
{
    if (flag != hiding_) fadeTime_ = 0;
    hiding_ = flag;
    if (flag) shown_ = false;
    SetFadePicture(useFadePicture_ || hiding_);
}

// Without a picture (none can be made) the frame draws straight to the screen.
void TUIFrame::SetFadePicture(bool flag)
{
    useFadePicture_ = flag;
    if (flag && GetWidth() > 0 && GetHeight() > 0) {
        TQZTexture* current = GetRenderTarget();
        if (current && current->GetWidth() == GetWidth() && current->GetHeight() == GetHeight()) return;
        std::unique_ptr<TQZTexture> picture;
        if (TQZTexture::CreateRenderTarget(picture, GetWidth(), GetHeight()) != QZRES_OK) picture.reset();
        SetRenderTarget(std::move(picture));
    } else {
        SetRenderTarget(nullptr);
    }
}

void TUIFrame::SetRect(const TQZRect& rect)
{
    TGUIWindow::SetRect(rect);
    SetRenderTarget(nullptr);
    SetFadePicture(useFadePicture_);
}

void TUIFrame::SetVisible(bool visible)
{
    if (visible && !Visible()) fadeTime_ = 0;
    TGUIWindow::SetVisible(visible);
}

// ---------------------------------------------------------------- scrolling

void TUIFrame::Update()
{
    TGUIWindow::Update();
    if (scrollBar && scrollBar->Position() != scrollY_)
        SetPosition(0, scrollBar->Position());
}

void TUIFrame::SetPosition(int32_t x, int32_t y)
{
    const TQZPoint by{scrollX_ - x, scrollY_ - y};
    for (int32_t i = 1; i <= ChildCount(); ++i) {
        TGUIWindow* child = GetChild(i);
        if (child != scrollBar) child->SetBounds(OffsetRectBy(child->GetRect(), by));
    }
    scrollX_ = x;
    scrollY_ = y;
}

// ---------------------------------------------------------------- drawing

TQZRect TUIFrame::OuterDrawRect() const
{
    const TGUIWindow* parent = GetParent();
    if (!parent) return GetRect();
    const TQZRect p = parent->GetDrawRect();
    return OffsetRectBy(GetRect(), {p.left, p.top});
}

void TUIFrame::DrawBody(const TQZRect& rect)
{
    if (!noBackground)
        if (TQZTexture* smooth = UITexture(UITEX_SMOOTH)) smooth->Draw(AdjustRect(rect, 4, 4, -4, -4), tint);
    if (borderColour != 0) UIDrawPanel(borderColour, rect);
    if (!caption.empty())
        if (TQZFont* f = UIFont(captionFont))
            f->DrawText({rect.left + 6, rect.top, rect.right - 8, rect.bottom - 8}, caption, 0, 0xFFE0E0E0);
}

void TUIFrame::PushChildClip(const TQZRect& rect)
{
    TQZVideo* video = CurrentVideo();
    clipPushed_ = video != nullptr;
    if (video) video->PushClip(AdjustRect(rect, 5, 5, -5, -5));
}

void TUIFrame::Draw(const TQZRect& rect)
{
    AdvanceFade(UIFrameTime());
    DrawBody(rect);
    PushChildClip(rect);
}

void TUIFrame::DrawAfterChildren()
{
    TQZVideo* video = CurrentVideo();
    if (!video) return;
    if (clipPushed_) video->PopClip();
    clipPushed_ = false;
    const TQZRect outer = OuterDrawRect();
    const TQZColour alpha = TQZColour(ClampLowWins(0, GetAlpha(), 255)) << 24;
    if (useFadePicture_)
        if (TQZTexture* picture = GetRenderTarget()) picture->Draw(outer, alpha | 0xFFFFFF);
    if (shadowBelow) {
        video->FillGradient({outer.left + 1, outer.bottom - 1, outer.right - 1, outer.bottom + 5}, alpha, 1,
                            0x00000000);
    }
}

void TUIFrame::DrawSeparator(int32_t y)
{
    const TQZRect r = GetDrawRect();
    UIFill({r.left + 7, r.top + y, r.right - 7, r.top + y + 3}, 0xFF000000);
}

void TUIFrame::DrawTeamMarker(int32_t team, const TQZRect& rect)
{
    if (team == 1) UIFill(rect, 0x200000FF);
    else if (team == 2) UIFill(rect, 0x20FF0000);
}

void TUIFrame::DrawText(TQZPoint point, const std::string& text)
{
    TQZFont* f = UIFont(UIFONT_SMALL);
    if (!f) return;
    const TQZRect r = GetDrawRect();
    const int32_t x = r.left + point.x, y = r.top + point.y;
    f->DrawText({x, y, x + f->TextWidth(text), y + f->TextHeight(text)}, text, 0, 0xFF000000);
}

// ---------------------------------------------------------------- separator

TUIFrameSeparator::TUIFrameSeparator(const TQZRect& rect, TGUIWindow* parent) : TGUIWindow(rect, parent, 0) {}

TUIFrameSeparator* MakeUIFrameSeparator(const TQZRect& rect, TGUIWindow* parent)
{
    return NewWindow<TUIFrameSeparator>(rect, parent);
}

void TUIFrameSeparator::Draw(const TQZRect& rect)
{
    UIFill(rect, 0xFF000000);
}
