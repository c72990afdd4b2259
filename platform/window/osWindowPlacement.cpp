// Window placement records and full-screen modes of the window stand-in.
#include "osWindow.h"

#include "osWindowBackEnd.h"

#include <cstdint>

namespace plat::os {
using namespace detail;

namespace {
void Put(std::vector<uint8_t>& b, int32_t value)
{
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(value) >> (8 * i)));
}

int32_t Take(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

bool Overlap(const OsRect& a, const OsRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
}  // namespace

std::vector<uint8_t> EncodePlacement(const WindowPlacement& p)
{
    std::vector<uint8_t> b;
    b.reserve(kPlacementRecordSize);
    for (int32_t v : {int32_t(kPlacementRecordSize), int32_t(p.flags), int32_t(p.showCommand), p.minPosition.x,
                      p.minPosition.y, p.maxPosition.x, p.maxPosition.y, p.normalPosition.left, p.normalPosition.top,
                      p.normalPosition.right, p.normalPosition.bottom})
        Put(b, v);
    return b;
}

bool DecodePlacement(const uint8_t* data, size_t size, WindowPlacement& out)
{
    if (!data || size != kPlacementRecordSize || uint32_t(Take(data)) != kPlacementRecordSize) return false;
    WindowPlacement p;
    p.flags = uint32_t(Take(data + 4));
    p.showCommand = uint32_t(Take(data + 8));
    p.minPosition = {Take(data + 12), Take(data + 16)};
    p.maxPosition = {Take(data + 20), Take(data + 24)};
    p.normalPosition = {Take(data + 28), Take(data + 32), Take(data + 36), Take(data + 40)};
    out = p;
    return true;
}

bool PlacementOnDisplay(const WindowPlacement& p)
{
    const OsRect& r = p.normalPosition;
    // A saved record may hold any four numbers: positions stay within the
    // signed 16 bits that window messages carry.
    for (int32_t v : {r.left, r.top, r.right, r.bottom})
        if (v < INT16_MIN || v > INT16_MAX) return false;
    if (r.right <= r.left || r.bottom <= r.top) return false;
    for (int32_t i = 0; i < DisplayCount(); ++i)
        if (Overlap(r, GetDisplayInfo(i).workArea)) return true;
    return false;
}

bool GetWindowPlacement(WindowHandle window, WindowPlacement& out)
{
    WindowRecord* r = FindRecord(window);
    if (!r) return false;
    WindowPlacement p;
    p.showCommand = r->maximized ? kShowMaximized : r->minimized ? kShowMinimized : kShowNormal;
    p.normalPosition = (r->maximized || r->minimized) ? r->restoreOuter : r->outer;
    out = p;
    return true;
}

bool SetWindowPlacement(WindowHandle window, const WindowPlacement& p)
{
    WindowRecord* r = FindRecord(window);
    if (!r || !PlacementOnDisplay(p)) return false;
    // False only for a window already gone: nothing left to change.
    if (r->maximized || r->minimized) (void)ShowNativeWindow(window, ShowCommand::Restore);
    const OsRect& n = p.normalPosition;
    // False only for a window already gone: nothing left to change.
    (void)SetWindowBounds(window, n.left, n.top, n.Width(), n.Height());
    if ((r = FindRecord(window))) r->restoreOuter = n;
    // False only for a window already gone: nothing left to change.
    (void)ShowNativeWindow(window, p.showCommand == kShowMaximized ? ShowCommand::Maximize : ShowCommand::Show);
    return true;
}

bool SetWindowFullScreen(WindowHandle window, FullScreenMode mode)
{
    WindowRecord* r = FindRecord(window);
    if (!r) return false;
    if (r->fullScreen == mode) return true;
    BackEnd& be = EnsureBackEnd();
    if (mode != FullScreenMode::Off) {
        OsRect b = GetDisplayInfo(DisplayOfWindow(window)).bounds;
        // False only for a window already gone: nothing left to change.
        (void)SetWindowBounds(window, b.left, b.top, b.Width(), b.Height());
        if (!(r = FindRecord(window))) return false;
    }
    r->fullScreen = mode;
    be.ApplyFullScreen(*r);
    return true;
}

FullScreenMode GetWindowFullScreen(WindowHandle window)
{
    WindowRecord* r = FindRecord(window);
    return r ? r->fullScreen : FullScreenMode::Off;
}

}  // namespace plat::os
