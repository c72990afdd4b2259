// Shared pieces of the widget tests: a window that records what happens to
// it, a settable clock, and a headless video whose back buffer can be read.
#pragma once

#include "arcqz7gui.h"
#include "osClock.h"
#include "qz7direct3d.h"
#include "qz7video.h"
#include "qz7videochoice.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace widgettest {

// Every window of a test appends what happens to it to one log.
class TProbe : public TGUIWindow {
public:
    TProbe(const TQZRect& rect, TGUIWindow* parent, int32_t commandId, std::vector<std::string>* log = nullptr,
           std::string name = {})
        : TGUIWindow(rect, parent, commandId), log_(log), name_(std::move(name))
    {
        mouseEnabled = parent != nullptr;  // a root that took presses would hide its children
    }
    void HandleCommand(TGUIWindow* sender, int32_t id) override
    {
        const auto* probe = dynamic_cast<const TProbe*>(sender);
        Log("command " + std::to_string(id) + " from " + (probe ? probe->name_ : std::string("?")));
        if (onCommand) onCommand(sender, id);
    }
    void GotFocus() override { Log("got focus"); }
    void LostFocus() override { Log("lost focus"); }
    void Click() override
    {
        Log("click");
        TGUIWindow::Click();
    }
    void Update() override
    {
        TGUIWindow::Update();
        if (onUpdate) onUpdate();
    }
    bool KeyPress(uint32_t key) override
    {
        if (key != handledKey) return false;
        Log("key " + std::to_string(key));
        return true;
    }
    bool MouseWheel(int32_t delta) override
    {
        if (!takesWheel) return false;
        Log("wheel " + std::to_string(delta));
        return true;
    }
    void Draw(const TQZRect& rect) override
    {
        drawnAt = rect;
        if (fill != 0)
            if (TQZVideo* v = CurrentVideo()) v->FillRect(rect, fill);
    }
    bool IsPressedRaw() const { return Pressed(); }
    const std::string& Name() const { return name_; }

    std::function<void()> onUpdate;
    std::function<void(TGUIWindow*, int32_t)> onCommand;
    uint32_t handledKey = 0;
    bool takesWheel = false;
    TQZColour fill = 0;
    TQZRect drawnAt;

private:
    void Log(const std::string& what)
    {
        if (log_) log_->push_back(name_ + ": " + what);
    }
    std::vector<std::string>* log_;
    std::string name_;
};

// The millisecond tick, set by the test.
class ManualClock {
public:
    ManualClock()
    {
        plat::os::SetClockSource([this] { return uint64_t(ms_) * 1000000ull; });
    }
    ~ManualClock() { plat::os::SetClockSource(nullptr); }
    void Set(uint32_t ms) { ms_ = ms; }
    void Advance(uint32_t ms) { ms_ += ms; }

private:
    uint32_t ms_ = 1000;
};

// A running framework with a headless 160 x 120 video.
class VideoFixture : public ::testing::Test {
protected:
    TQZVideo* video = nullptr;

    void SetUp() override
    {
        FrameworkStart("Test");
        video = GetVideo();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(160, 120, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                           QZWINDOW_WINDOWED, 0));
    }
    void TearDown() override { FrameworkStop(); }

    // One frame: cleared to opaque black, then drawn with the function.
    bool Frame(const std::function<void(TQZVideo*)>& draw)
    {
        static std::function<void(TQZVideo*)> current;
        current = draw;
        video->drawProc = [](TQZVideo* v) {
            v->Clear(0xFF000000);
            current(v);
        };
        const bool drawn = video->Redraw();
        video->drawProc = nullptr;
        return drawn;
    }

    static uint32_t BackPixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }
};

}  // namespace widgettest
