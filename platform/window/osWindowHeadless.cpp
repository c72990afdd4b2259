// The headless back end of the window stand-in: no native windows; showing
// and sizing are played as input, the displays are what tests set.
#include "osWindow.h"

#include "osClock.h"
#include "osWindowBackEnd.h"

#include <algorithm>

namespace plat::os {
using namespace detail;

namespace {
bool paced = false;

class HeadlessBackEnd final : public BackEnd {
public:
    WindowBackEnd Kind() const override { return WindowBackEnd::Headless; }
    bool Create(WindowRecord&) override { return true; }
    void Destroy(WindowRecord&) override {}
    void ApplyBounds(WindowRecord&) override {}
    void ApplyStyle(WindowRecord&) override {}
    void ApplyTitle(WindowRecord&) override {}
    void ApplyIcon(WindowRecord&) override {}
    void ApplyLimits(WindowRecord&) override {}
    void ApplyFullScreen(WindowRecord&) override {}
    void Focus(WindowRecord& r) override { InjectInput(MakeInput(InputKind::FocusGained, r.handle)); }
    void Poll() override
    {
        if (!paced) return;
        // A termination signal closes the shown windows, as the SDL back
        // end does with its quit event; it waits for one to be shown.
        bool any = false;
        for (const auto& [handle, record] : S().windows) any = any || (record && record->shown);
        if (!any || !TakeTerminationRequest()) return;
        for (const auto& [handle, record] : S().windows)
            if (record && record->shown) InjectInput(MakeInput(InputKind::CloseRequest, handle));
    }
    // Unpaced (tests) it never waits.
    void Wait(uint32_t milliseconds) override
    {
        if (paced) SleepMilliseconds(milliseconds);
    }
    void SetCursor(CursorHandle) override {}
    void Capture(WindowHandle, bool) override {}
    std::vector<DisplayInfo> Displays() override
    {
        return S().headlessDisplays.empty() ? DefaultDisplays() : S().headlessDisplays;
    }
    int32_t DisplayOf(const WindowRecord&) override { return 0; }

    bool Present(WindowRecord& r, const uint32_t* pixels, int32_t pitch, int32_t w, int32_t h) override
    {
        r.frame.resize(size_t(w) * size_t(h));
        for (int32_t y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(pitch));
            std::copy(row, row + w, r.frame.begin() + ptrdiff_t(y) * w);
        }
        r.frameWidth = w;
        r.frameHeight = h;
        return true;
    }

    bool ReadFrame(WindowRecord& r, std::vector<uint32_t>& pixels, int32_t& w, int32_t& h) override
    {
        if (r.frame.empty()) return false;
        pixels = r.frame;
        w = r.frameWidth;
        h = r.frameHeight;
        return true;
    }

    bool SetClipboard(const std::string& utf8) override
    {
        S().headlessClipboard = utf8;
        S().headlessClipboardSet = true;
        return true;
    }
    bool GetClipboard(std::string& utf8) override
    {
        if (!S().headlessClipboardSet) return false;
        utf8 = S().headlessClipboard;
        return true;
    }
    bool HasClipboard() override { return S().headlessClipboardSet && !S().headlessClipboard.empty(); }

    void Show(WindowRecord& r, ShowCommand command) override
    {
        WindowHandle h = r.handle;
        switch (command) {
        case ShowCommand::Hide:
            r.shown = false;
            InjectInput(MakeInput(InputKind::FocusLost, h));
            break;
        case ShowCommand::Show:
            if (r.shown) return;
            r.shown = true;
            r.invalid = true;
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        case ShowCommand::Minimize:
            r.shown = true;
            InjectInput(MakeInput(InputKind::FocusLost, h));
            InjectInput(MakeInput(InputKind::Minimized, h));
            break;
        case ShowCommand::Maximize: {
            r.shown = true;
            OsRect work = GetDisplayInfo(0).workArea;
            int32_t w = 0, hh = 0;
            detail::ClientFromOuter(r, work, w, hh);
            InjectInput(MakeInput(InputKind::Maximized, h, w, hh));
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        }
        case ShowCommand::Restore: {
            r.shown = true;
            int32_t w = 0, hh = 0;
            detail::ClientFromOuter(r, r.restoreOuter, w, hh);
            InjectInput(MakeInput(InputKind::Restored, h, w, hh));
            InjectInput(MakeInput(InputKind::FocusGained, h));
            break;
        }
        }
    }
};
}  // namespace

namespace detail {
std::unique_ptr<BackEnd> MakeHeadlessBackEnd()
{
    return std::make_unique<HeadlessBackEnd>();
}
}  // namespace detail

void SetHeadlessPacing(bool on)
{
    if (on == paced) return;
    paced = on;
    CatchTerminationSignals(on);
}

bool HeadlessPacing() { return paced; }

void SetHeadlessDisplays(std::vector<DisplayInfo> displays)
{
    S().headlessDisplays = std::move(displays);
}

}  // namespace plat::os
