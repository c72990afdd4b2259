// The game program's top object: builds the managers and the permanent
// windows, runs one frame per Tick until the window closes or no screen is
// left, and takes everything down in order.
#pragma once

#include "arcqz7gui.h"
#include "clScreenCapture.h"
#include "clTableReport.h"
#include "qz7core.h"

#include <string>
#include <vector>

class TUIAdminConsole;
class TUIChatWindow;
class TUITable;
class TUIToast;
class TUIAnimHost;
class TQZWindow;

// The full-window container the screens are placed in.
class TLayoutGUI : public TGUIWindow {
public:
    explicit TLayoutGUI(TGUIWindow* parent);
    bool Arrange() override;
};

class TMainEngine : public TQZClass {
public:
    TMainEngine();
    ~TMainEngine() override;

    void Start();
    void Tick();
    bool Terminated() const;
    // The length of the last frame's period, work and wait together: what a
    // measurement of the loop's CPU use divides by.
    uint32_t FramePeriodMs() const { return period_; }

    TGUIWindow* Root() const { return root_.get(); }
    TUITable* Table() const { return table_; }
    TGUIWindow* Layout() const { return layout_; }
    TUIAdminConsole* Console() const { return console_; }
    TUIToast* Toast() const { return toast_; }
    TUIChatWindow* Chat() const { return chat_; }
    // Over the screens: the achievement pop-ups live here.
    TUIAnimHost* AnimHost() const { return animHost_; }

    // The window-close command path, also for tests.
    void OnWindowClose(TQZWindow* window);

private:
    void OnTableCaption(const std::string& text);
    void OnNotice(const std::string& text);
    void OnPlayerJoined(const std::string& name);
    void OnPlayerLeft(const std::string& name);

    TGUIWindowPtr<TGUIWindow> root_;
    TUITable* table_ = nullptr;
    TGUIWindow* layout_ = nullptr;
    TUIAdminConsole* console_ = nullptr;
    TUIToast* toast_ = nullptr;
    TUIChatWindow* chat_ = nullptr;
    TUIAnimHost* animHost_ = nullptr;
    uint32_t lastActive_ = 0;  // the last frame with input, animation or a timer
    uint32_t period_ = 0;
    TScreenCapture capture_;
    TTableReport report_;
};

// The managers of the game program, registered in one place.
void RegisterGameManagers();
// The warning shown at shut-down naming what could not be saved.
std::string UnsavedText(const std::vector<std::string>& what);
// What the main routine does; returns the exit code.
[[nodiscard]] int RunGame();
