// The window stand-in's message queue: posting, sending, taking messages
// with the paint and timer rules, default handling, timers and drops.
#include "osWindow.h"

#include "osClock.h"
#include "osKeys.h"
#include "osWindowBackEnd.h"

#include <algorithm>

namespace plat::os {
using namespace detail;

namespace {
void NoteRetrieved(const WindowMessage& m)
{
    WindowSystem& s = S();
    s.retrievedModifiers = m.modifiers;
    switch (m.message) {
    case kMsgKeyDown:
    case kMsgSysKeyDown: s.keyRetrieved[m.wParam & 0xFF] = true; break;
    case kMsgKeyUp:
    case kMsgSysKeyUp: s.keyRetrieved[m.wParam & 0xFF] = false; break;
    default: break;
    }
    SetModifierKeys(s.keyRetrieved, m.modifiers);
}

}  // namespace

// ---------------------------------------------------------------- queue
bool PostWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (!WindowExists(window)) return false;
    Post(window, message, wParam, lParam, S().retrievedModifiers);
    return true;
}

int64_t SendWindowMessage(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam)
{
    return DispatchWindowMessage(WindowMessage{window, message, wParam, lParam, S().retrievedModifiers});
}

bool PeekWindowMessage(WindowMessage& out, WindowHandle window, bool queuedOnly)
{
    WindowSystem& s = S();
    auto matches = [&](const WindowMessage& m) { return window == 0 || m.window == window; };
    if (std::none_of(s.queue.begin(), s.queue.end(), matches)) EnsureBackEnd().Poll();
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        if (!matches(*it)) {
            ++it;
            continue;
        }
        out = *it;
        it = s.queue.erase(it);
        // Leaving counts only while tracking was asked when the message is
        // taken: a move taken just before may have asked for it.
        if (out.message == kMsgMouseLeave) {
            WindowRecord* r = detail::FindRecord(out.window);
            if (!r || !r->trackLeave) continue;
            r->trackLeave = false;
        }
        NoteRetrieved(out);
        return true;
    }
    if (queuedOnly) return false;
    // Nothing queued: paint what was invalidated, then due timers.
    for (auto& [h, r] : s.windows) {
        if ((window == 0 || h == window) && r->invalid && r->shown && !r->minimized) {
            r->invalid = false;  // handed out; a paint handler that forgets to validate cannot spin
            out = WindowMessage{h, kMsgPaint, 0, 0, s.retrievedModifiers};
            return true;
        }
    }
    uint64_t now = MonotonicNanoseconds();
    for (Timer& t : s.timers) {
        if ((window == 0 || t.window == window) && now >= t.due) {
            t.due = now + uint64_t(t.interval) * 1000000ull;
            out = WindowMessage{t.window, kMsgTimer, t.id, 0, s.retrievedModifiers};
            return true;
        }
    }
    return false;
}

int64_t DispatchWindowMessage(const WindowMessage& message)
{
    std::shared_ptr<WindowRecord> r = Shared(message.window);
    if (!r) return 0;
    WindowProcedure procedure = r->procedure;  // the window may go while it runs
    return procedure ? procedure(message) : DefaultWindowProcedure(message);
}

void WaitForWindowMessages(uint32_t milliseconds)
{
    if (!S().queue.empty()) return;
    EnsureBackEnd().Wait(milliseconds);
}

size_t QueuedMessageCount() { return S().queue.size(); }

int64_t DefaultWindowProcedure(const WindowMessage& m)
{
    if (S().defaultObserver) S().defaultObserver(m);
    switch (m.message) {
    // False only for a window already gone: nothing left to change.
    case kMsgClose: (void)DestroyNativeWindow(m.window); return 0;
    case kMsgSysCommand:
        switch (m.wParam & 0xFFF0) {
        // False only for a window already gone: nothing left to change.
        case kCommandMinimize: (void)ShowNativeWindow(m.window, ShowCommand::Minimize); break;
        case kCommandMaximize: (void)ShowNativeWindow(m.window, ShowCommand::Maximize); break;
        case kCommandRestore: (void)ShowNativeWindow(m.window, ShowCommand::Restore); break;
        // False only for a window already gone, which needs no message.
        case kCommandClose: (void)PostWindowMessage(m.window, kMsgClose, 0, 0); break;
        default: break;
        }
        return 0;
    case kMsgSysKeyDown:
        // False only for a window already gone, which needs no message.
        if (m.wParam == kVkF4 && (m.modifiers & kModAlt)) (void)PostWindowMessage(m.window, kMsgSysCommand, kCommandClose, 0);
        return 0;
    case kMsgPaint: ValidateWindow(m.window); return 0;
    case kMsgDropFiles:
    case kMsgDragLeave: FinishDrop(m.wParam); return 0;
    case kMsgSetCursor:
        if ((m.lParam & 0xFFFF) == kHitClient) SetCursorShape(kCursorArrow);
        return 0;
    case kMsgEraseBackground:
    case kMsgQueryEndSession: return 1;
    default: return 0;
    }
}

void SetDefaultProcedureObserver(std::function<void(const WindowMessage&)> observer)
{
    S().defaultObserver = std::move(observer);
}

void SetWindowTimer(WindowHandle window, uint32_t id, uint32_t milliseconds)
{
    if (!WindowExists(window)) return;
    (void)KillWindowTimer(window, id);  // false only for a window already gone: nothing left to change
    milliseconds = std::max<uint32_t>(milliseconds, kMinimumTimerInterval);
    S().timers.push_back(Timer{window, id, milliseconds, MonotonicNanoseconds() + uint64_t(milliseconds) * 1000000ull});
}

bool KillWindowTimer(WindowHandle window, uint32_t id)
{
    return std::erase_if(S().timers, [&](const Timer& t) { return t.window == window && t.id == id; }) > 0;
}

std::vector<std::string> DroppedFiles(uint64_t drop)
{
    auto it = S().drops.find(drop);
    return it == S().drops.end() ? std::vector<std::string>() : it->second.files;
}

OsPoint DropPoint(uint64_t drop)
{
    auto it = S().drops.find(drop);
    return it == S().drops.end() ? OsPoint{} : it->second.point;
}

void FinishDrop(uint64_t drop) { S().drops.erase(drop); }

}  // namespace plat::os
