// Inside the window stand-in: the window records and what a back end does
// with them. Not for use outside platform/os.
#pragma once

#include "platform/os/osWindow.h"

#include <memory>

namespace plat::os::detail {

struct WindowRecord {
    WindowHandle handle = 0;
    WindowProcedure procedure;
    std::string title;
    uint32_t style = 0, exStyle = 0;
    OsRect outer;              // frame included, screen coordinates
    int32_t clientWidth = 0, clientHeight = 0;
    OsRect restoreOuter;       // the normal rectangle while maximised or minimised
    bool shown = false, minimized = false, maximized = false;
    bool invalid = false;
    bool trackLeave = false;
    IconHandle icon = 0;
    MinMaxInfo limits;
    void* native = nullptr;    // the back end's own window
    std::vector<uint32_t> frame;  // headless: the last frame presented
    int32_t frameWidth = 0, frameHeight = 0;
};

class BackEnd {
public:
    virtual ~BackEnd() = default;
    virtual WindowBackEnd Kind() const = 0;
    // Makes the native window for a filled record (false: no window).
    virtual bool Create(WindowRecord& record) = 0;
    virtual void Destroy(WindowRecord& record) = 0;
    // The record's outer rectangle changed by a call (not by the user).
    virtual void ApplyBounds(WindowRecord& record) = 0;
    virtual void ApplyStyle(WindowRecord& record) = 0;
    virtual void ApplyTitle(WindowRecord& record) = 0;
    virtual void ApplyIcon(WindowRecord& record) = 0;
    virtual void ApplyLimits(WindowRecord& record) = 0;
    virtual void Show(WindowRecord& record, ShowCommand command) = 0;
    virtual void Focus(WindowRecord& record) = 0;
    // Turns pending native events into input (InjectInput).
    virtual void Poll() = 0;
    virtual void Wait(uint32_t milliseconds) = 0;
    virtual void SetCursor(CursorHandle cursor) = 0;
    virtual void Capture(WindowHandle window, bool on) = 0;
    virtual std::vector<DisplayInfo> Displays() = 0;
    virtual int32_t DisplayOf(const WindowRecord& record) = 0;
    virtual bool Present(WindowRecord& record, const uint32_t* pixels, int32_t pitchBytes, int32_t width,
                         int32_t height) = 0;
    virtual bool ReadFrame(WindowRecord& record, std::vector<uint32_t>& pixels, int32_t& width, int32_t& height) = 0;
};

// The SDL back end, or nullptr when SDL's video cannot start.
std::unique_ptr<BackEnd> MakeSdlBackEnd();
// Frees what the SDL back end keeps process-wide (cursors, video).
void ShutdownSdlVideo();

// Record lookup for the back ends (nullptr when gone).
WindowRecord* FindRecord(WindowHandle window);
WindowRecord* FindRecordByNative(const void* native);
// The client size of an outer rectangle under the record's style.
void ClientFromOuter(const WindowRecord& record, const OsRect& outer, int32_t& width, int32_t& height);
void UseWindowedMessageBoxes();
// A 32-bit top-down BMP of the pixels.
bool WriteBmp(const std::string& path, const std::vector<uint32_t>& pixels, int32_t width, int32_t height);
// The pixels of a registered icon (nullptr when unknown).
const std::vector<uint32_t>* IconPixels(IconHandle icon, int32_t& width, int32_t& height);

}  // namespace plat::os::detail
