#include "UIMovableFrame.h"

#include "UITheme.h"
#include "qz7texture.h"

#include <algorithm>

TUIMovableFrame::TUIMovableFrame(const std::string& caption, TGUIWindow* parent, TQZPoint size)
    : TUIFrame(caption, {}, parent, 0),
      frameWidth(size.x),
      frameHeight(size.y),
      frameMinWidth(size.x),
      frameMinHeight(size.y)
{
    mouseEnabled = true;
    focusable = true;
    forwardCommands = false;
    maxAlpha = 255;
    if (parent) {
        left = (parent->GetWidth() - size.x) / 2;
        top = (parent->GetHeight() - size.y) / 2;
    }
}

void TUIMovableFrame::AfterCreate()
{
    TUIFrame::AfterCreate();
    SetShown(true);
    closeButton_ = MakeUIButton("x", {}, this, UIMOVABLE_CLOSE);
    gripButton_ = MakeUIButton("/", {}, this, UIMOVABLE_GRIP);
    gripButton_->sendOnPress = true;
    Arrange();
}

void TUIMovableFrame::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TUIFrame::HandleCommand(sender, id);
    if (id == UIMOVABLE_CLOSE) SetVisible(false);
    else if (id == UIMOVABLE_GRIP) resizing_ = !resizing_;  // the grip's press starts, its release ends
}

// A press over one of the frame's children is left to that child: the frame
// takes presses first and would otherwise keep its close and grip buttons
// from ever being pressed.
bool TUIMovableFrame::MouseDown(TQZPoint point)
{
    const TQZRect s = GetScreenRect();
    dragging_ = GetRoot()->FindWindowAt({s.left + point.x, s.top + point.y}) == this;
    if (!dragging_) return false;
    lastPointer_ = point;
    dragging_ = TUIFrame::MouseDown(point);
    return dragging_;
}

bool TUIMovableFrame::MouseUp(TQZPoint point)
{
    const bool result = TUIFrame::MouseUp(point);
    dragging_ = false;
    return result;
}

// While dragging the frame moves with the pointer, so the pointer's place in
// the frame stays; otherwise it is followed, so that a resize started by the
// grip measures from where the pointer was.
void TUIMovableFrame::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TUIFrame::MouseMove(point, hit);
    const TQZPoint d{point.x - lastPointer_.x, point.y - lastPointer_.y};
    if (dragging_) {
        left += d.x;
        top += d.y;
        Arrange();
        return;
    }
    if (resizing_ && !(point == QZ_NOWHERE)) {
        frameWidth = std::max(frameMinWidth, frameWidth + d.x);
        frameHeight = std::max(frameMinHeight, frameHeight + d.y);
        Arrange();
    }
    if (!(point == QZ_NOWHERE)) lastPointer_ = point;
}

// A frame larger than its parent ends at the parent's top-left corner.
bool TUIMovableFrame::Arrange()
{
    frameWidth = std::max(frameWidth, frameMinWidth);
    frameHeight = std::max(frameHeight, frameMinHeight);
    if (const TGUIWindow* parent = GetParent()) {
        top = ClampLowWins(0, top, parent->GetHeight() - frameHeight);
        left = ClampLowWins(0, left, parent->GetWidth() - frameWidth);
    }
    SetBounds({left, top, left + frameWidth, top + frameHeight});
    if (gripButton_) gripButton_->SetBounds({frameWidth - 35, frameHeight - 40, frameWidth - 5, frameHeight - 5});
    if (closeButton_) closeButton_->SetBounds({frameWidth - 30, 0, frameWidth, 30});
    BringToFront();
    return true;
}

void TUIMovableFrame::SetGripShown(bool flag)
{
    gripShown_ = flag;
    if (gripButton_) gripButton_->SetVisible(flag);
}

void TUIMovableFrame::Draw(const TQZRect& rect)
{
    AdvanceFade(UIFrameTime());
    if (darkBackground) {
        UIFill(AdjustRect(rect, 4, 4, -4, -4), 0xFF000000);
        if (TQZTexture* flowers = UITexture(UITEX_FLOWERS)) {
            flowers->Draw({std::max(rect.left + 4, rect.right - 516), rect.top + 4, rect.right - 4,
                           std::min(rect.top + 516, rect.bottom - 4)},
                          tint);
        }
    } else if (TQZTexture* smooth = UITexture(UITEX_SMOOTH)) {
        smooth->Draw(AdjustRect(rect, 4, 4, -4, -4), tint);
    }
    if (borderColour != 0) UIDrawPanel(borderColour, rect);
    PushChildClip(rect);
}
