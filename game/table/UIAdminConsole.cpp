#include "UIAdminConsole.h"

#include "UIButton.h"
#include "UIEditBox.h"
#include "UIListbox.h"
#include "UITheme.h"
#include "coreGameDiagnostics.h"
#include "mgrServices.h"
#include "mgrSettings.h"
#include "qz7kvdata.h"

#include <algorithm>

namespace {
constexpr const char* kPositionKey = "Admin.Console.Position";
constexpr const char* kSizeKey = "Admin.Console.Size";
}  // namespace

TUIAdminConsole::TUIAdminConsole(TGUIWindow* parent, std::vector<std::string> launchParameters)
    : TUIFrame("Admin", {}, parent, 0), launchParameters_(std::move(launchParameters))
{
    forwardCommands = false;
    maxAlpha = 220;
    mouseEnabled = true;
    focusable = true;
}

// A stored size below the smallest the grip allows is taken as that size.
void TUIAdminConsole::AfterCreate()
{
    TUIFrame::AfterCreate();
    if (Settings && Settings->HasPath(kPositionKey)) {
        const TQZPoint p = Settings->GetPoint(kPositionKey);
        const TQZPoint s = Settings->GetPoint(kSizeKey);
        left = p.x;
        top = p.y;
        width = std::max(UICONSOLE_MIN_WIDTH, s.x);
        height = std::max(UICONSOLE_MIN_HEIGHT, s.y);
    }
    closeButton_ = MakeUIButton("x", {}, this, UICONSOLE_TOGGLE);
    closeButton_->hotKey = UICONSOLE_KEY;
    entry_ = NewWindow<TUIEditBox>("", TQZRect{}, this, UICONSOLE_ENTER);
    log_ = NewWindow<TUIListBox>(TQZRect{}, this, 0);
    log_->hideExtensions = false;
    gripButton_ = MakeUIButton("/", {}, this, UICONSOLE_GRIP);
    gripButton_->sendOnPress = true;
    Arrange();
    SetShown(true);
    owner_ = std::this_thread::get_id();
    SetAdminConsole([this](const std::string& line) { Receive(line); });
    AddLine("Admin console initialised.");
    const size_t count = launchParameters_.empty() ? 0 : launchParameters_.size() - 1;
    AddLine("Launch parameters=" + std::to_string(count));
    for (size_t i = 0; i < launchParameters_.size(); ++i)
        AddLine("   " + std::to_string(i) + ": \"" + launchParameters_[i] + "\"");
}

void TUIAdminConsole::Destroying()
{
    SetAdminConsole(nullptr);
    if (Settings) {
        Settings->SetPoint(kPositionKey, {left, top});
        Settings->SetPoint(kSizeKey, {width, height});
    }
    TUIFrame::Destroying();
}

// A widget is the main thread's alone.
void TUIAdminConsole::Receive(const std::string& text)
{
    if (std::this_thread::get_id() == owner_) {
        AddLine(text);
        return;
    }
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending_.push_back(text);
}

void TUIAdminConsole::Update()
{
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(pendingLock_);
        lines.swap(pending_);
    }
    for (const std::string& line : lines) AddLine(line);
    TUIFrame::Update();
}

void TUIAdminConsole::AddLine(const std::string& text)
{
    if (!log_) return;
    if (log_->Count() > UICONSOLE_LINES) log_->DeleteItem(0);
    log_->AddItem(text);
    log_->SetSelected(log_->Count() - 1);
}

void TUIAdminConsole::HandleCommand(TGUIWindow* sender, int32_t id)
{
    TUIFrame::HandleCommand(sender, id);
    switch (id) {
    case UICONSOLE_ENTER: {
        const std::string text = entry_->Caption();
        entry_->SetCaption("");
        AddLine(">> " + text);
        if (ServiceManager) ServiceManager->MarshalInstruction(text);
        break;
    }
    case UICONSOLE_GRIP: resizing_ = !resizing_; break;  // the grip's press starts, its release ends
    case UICONSOLE_TOGGLE:
        SetVisible(!Visible());
        if (Visible()) {
            Arrange();
            entry_->SetFocus(true);
        } else if (GetFocused() && Contains(GetFocused())) {
            GetRoot()->ChangeFocus(nullptr);
        }
        break;
    default: break;
    }
}

// A press over one of the console's children is left to that child; the
// point is remembered either way, so that a resize begun on the grip
// measures from it.
bool TUIAdminConsole::MouseDown(TQZPoint point)
{
    lastPointer_ = point;
    const TQZRect s = GetScreenRect();
    if (GetRoot()->FindWindowAt({s.left + point.x, s.top + point.y}) != this) return false;
    dragging_ = TUIFrame::MouseDown(point);
    return dragging_;
}

bool TUIAdminConsole::MouseUp(TQZPoint point)
{
    const bool result = TUIFrame::MouseUp(point);
    dragging_ = false;
    return result;
}

// While dragging the console moves with the pointer, so the pointer's place
// in it stays the same.
void TUIAdminConsole::MouseMove(TQZPoint point, TGUIWindow* hit)
{
    TUIFrame::MouseMove(point, hit);
    if (point == QZ_NOWHERE) return;
    const TQZPoint d{point.x - lastPointer_.x, point.y - lastPointer_.y};
    if (dragging_) {
        left += d.x;
        top += d.y;
        Arrange();
    } else if (resizing_) {
        width = std::max(UICONSOLE_MIN_WIDTH, width + d.x);
        height = std::max(UICONSOLE_MIN_HEIGHT, height + d.y);
        Arrange();
        lastPointer_ = point;
    }
}

bool TUIAdminConsole::Arrange()
{
    if (const TGUIWindow* parent = GetParent()) {
        left = ClampLowWins(0, left, parent->GetWidth() - width);
        top = ClampLowWins(0, top, parent->GetHeight() - height);
    }
    SetBounds({left, top, left + width, top + height});
    if (log_) log_->SetBounds({5, 60, width - 5, height - 45});
    if (entry_) entry_->SetBounds({5, height - 40, width - 35, height - 5});
    if (gripButton_) gripButton_->SetBounds({width - 35, height - 40, width - 5, height - 5});
    if (closeButton_) closeButton_->SetBounds({width - 30, 0, width, 30});
    BringToFront();
    return true;
}

int32_t TUIAdminConsole::GetAlpha() const
{
    const TGUIWindow* focused = const_cast<TUIAdminConsole*>(this)->GetFocused();
    if (dragging_ || (focused && (focused == this || focused == entry_ || focused == log_))) return 255;
    return TUIFrame::GetAlpha();
}
