// The scene toolkit's application object: it owns the root window of the
// scenes (the host), runs one frame per Step, turns a clicked button's
// script into a command run at the end of the frame, and ends when the
// output window is asked to close. Main thread only.
#pragma once

#include "qz7gui.h"
#include "qz7states.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TQZGUIHost;
class TQZVideo;
class TQZWindow;

class TQZApplication : public TQZClass {
public:
    // Starts the framework under the identity; the output window will carry
    // the title. Init is the caller's next step.
    TQZApplication(const std::string& identity, const std::string& title);
    ~TQZApplication() override;
    TQZApplication(const TQZApplication&) = delete;
    TQZApplication& operator=(const TQZApplication&) = delete;

    virtual void Init() {}
    // A 1024 x 768 window from the video object.
    [[nodiscard]] virtual bool SetVideoMode();
    // Builds the scene file into the host (made on first use); an empty name
    // makes an empty 100 x 100 host. False when the file cannot be read or
    // built; the host is then left as it was.
    [[nodiscard]] virtual bool LoadScene(const std::string& fileName);
    // Builds scene text into the host; nullptr when nothing was built.
    TQZGUIWindow* BuildScene(const std::string& text);
    // The state engine's command operation, when there is one.
    virtual void RunCommand(const std::string& text);
    // One frame: framework, states, the host's input, update, layout and
    // paint, then the pending command.
    virtual void Step();
    virtual void Shutdown();

    TQZGUIHost* Host() const { return host_.get(); }
    TQZVideo* Video() const;
    // The platform window of the output, nullptr headless or before a mode.
    TQZWindow* OutputWindow() const;
    TQZStateEngine* StateEngine();
    bool Terminated = false;
    const std::string& PendingCommand() const { return pending_; }

    // Called for every clicked widget before a button's script is taken.
    std::function<void(TQZGUIWindow*)> onClick;
    // The host's messages (widget ids); the editor's commands arrive here.
    std::function<void(int32_t id)> onCommand;
    // Where the application's diagnostic lines go.
    std::function<void(const std::string&)> onLog;
    void Log(const std::string& text) const;

protected:
    // Binds the host to the application's hooks and the video's paint.
    void WireHost();

private:
    void HostClicked(TQZGUIWindow* sender);
    void CloseRequested(TQZWindow* window);
    void Paint(TQZVideo* video);

    std::unique_ptr<TQZGUIHost> host_;
    std::string pending_;
    std::vector<int32_t> commands_;
    std::unique_ptr<TQZStateEngine> states_;
    bool closeRequested_ = false;
};
