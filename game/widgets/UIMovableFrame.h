// A frame the user drags by its body and resizes by its grip, with a close
// button; it stays inside its parent and never shrinks below its first size.
#pragma once

#include "UIButton.h"
#include "UIFrame.h"

constexpr int32_t UIMOVABLE_CLOSE = 20000;
constexpr int32_t UIMOVABLE_GRIP = 20001;

class TUIMovableFrame : public TUIFrame {
public:
    TUIMovableFrame(const std::string& caption, TGUIWindow* parent, TQZPoint size);

    void AfterCreate() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    bool MouseDown(TQZPoint point) override;
    bool MouseUp(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    bool Arrange() override;
    void Draw(const TQZRect& rect) override;

    void SetGripShown(bool flag);
    bool Dragging() const { return dragging_; }
    bool Resizing() const { return resizing_; }
    TUIButton* CloseButton() const { return closeButton_; }
    TUIButton* GripButton() const { return gripButton_; }

    int32_t frameWidth, frameHeight;
    int32_t frameMinWidth, frameMinHeight;
    int32_t left = 0, top = 0;
    bool darkBackground = true;

private:
    TUIButton* closeButton_ = nullptr;
    TUIButton* gripButton_ = nullptr;
    TQZPoint lastPointer_{0, 0};
    bool dragging_ = false;
    bool resizing_ = false;
    bool gripShown_ = true;
};
