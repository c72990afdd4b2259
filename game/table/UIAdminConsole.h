// The admin console: a movable, resizable, translucent window that shows the
// program's diagnostic log and hands typed instructions to the service
// manager. F11 (or its "x") shows and hides it; its place and size are kept
// in the settings.
#pragma once

#include "UIFrame.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TUIButton;
class TUIEditBox;
class TUIListBox;

constexpr int32_t UICONSOLE_ENTER = 1;
constexpr int32_t UICONSOLE_GRIP = 2;
constexpr int32_t UICONSOLE_TOGGLE = 1002;
constexpr uint32_t UICONSOLE_KEY = 0x0100007A;  // F11
// The log keeps this many lines and one more.
constexpr int32_t UICONSOLE_LINES = 50;
constexpr int32_t UICONSOLE_MIN_WIDTH = 350;
constexpr int32_t UICONSOLE_MIN_HEIGHT = 150;

class TUIAdminConsole : public TUIFrame {
public:
    // The launch parameters are the program's command line, its own path first.
    TUIAdminConsole(TGUIWindow* parent, std::vector<std::string> launchParameters = {});

    void AfterCreate() override;
    void Destroying() override;
    void Update() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    bool MouseDown(TQZPoint point) override;
    bool MouseUp(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    bool Arrange() override;
    int32_t GetAlpha() const override;

    void AddLine(const std::string& text);

    TUIListBox* Log() const { return log_; }
    TUIEditBox* Entry() const { return entry_; }
    TUIButton* CloseButton() const { return closeButton_; }
    TUIButton* GripButton() const { return gripButton_; }
    bool Dragging() const { return dragging_; }
    bool Resizing() const { return resizing_; }

    int32_t width = 700, height = 300;
    int32_t left = 20, top = 20;

private:
    // The log's entry point: lines from other threads wait for the next update.
    void Receive(const std::string& text);

    std::vector<std::string> launchParameters_;
    std::thread::id owner_;
    std::mutex pendingLock_;
    std::vector<std::string> pending_;
    TUIButton* closeButton_ = nullptr;
    TUIEditBox* entry_ = nullptr;
    TUIListBox* log_ = nullptr;
    TUIButton* gripButton_ = nullptr;
    TQZPoint lastPointer_{0, 0};
    bool dragging_ = false;
    bool resizing_ = false;
};
