#include "microTutorial.h"

#include "UITutorial.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "qz7core.h"
#include "qz7files.h"
#include "qz7kvdata.h"
#include "qz7text.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {
int32_t PageNumber(const std::string& text)
{
    int32_t n = 0;
    try {
        n = std::stoi(text);
    } catch (const std::exception&) {
        n = 0;
    }
    return std::max(1, n);
}
}  // namespace

void TTutorialService::TLink::Trigger(const std::string& name, int32_t page)
{
    if (Gameflow) Gameflow->TriggerTutorial(name, page);
    else owner_->OnTutorialEvent(name + " " + std::to_string(page));
}

TTutorialService::TTutorialService(const std::string& fileName, TServiceNotice notice)
    : TMicroService("TTutorialService"), notice_(std::move(notice))
{
    switch (pages_.Load(fileName)) {
        case TUTORIAL_MISSING: ShowWarning("Error - file \"" + ShownPath(fileName) + "\" not found."); break;
        case TUTORIAL_MALFORMED:
            ShowWarning("Error - file \"" + ShownPath(fileName) + "\" is not a valid tutorial file; no tutorials are shown.");
            break;
        default: break;
    }
    name = "TUTORIAL";
    TGUIWindow* root = StateEngine ? StateEngine->RootWindow() : nullptr;
    if (!root) return;
    window_ = NewWindow<TUITutorial>(
        root, [this](const std::string& id, int32_t page) { return GetPage(id, page); },
        [this](const std::string& instruction) { Execute(instruction); });
    window_->onDestroyed = [this] { window_ = nullptr; };
    // Only a page that exists: a missing file warns once, not again here.
    if (PageExists("Welcome", 1)) window_->ShowPage("Welcome", 1);
    window_->SetVisible(false);
}

TTutorialService::~TTutorialService() { Shutdown(); }

void TTutorialService::Shutdown()
{
    StopListening();
    pages_.Clear();
    if (window_) {
        window_->onDestroyed = nullptr;
        TGUIWindow::Free(window_);
        window_ = nullptr;
    }
}

void TTutorialService::StopListening()
{
    if (!listening_) return;
    listening_ = false;
    if (Gameflow) Gameflow->UnsubscribeText("TUTORIAL", MakeMethod<&TTutorialService::OnTutorialEvent>(this));
    if (&TutorialLink() == &link_) SetTutorialLink(nullptr);
}

void TTutorialService::Notice(const std::string& text) const
{
    if (notice_) notice_(text);
    else AdminLog(text);
}

bool TTutorialService::WindowShown() const { return window_ && window_->IsVisible(); }

void TTutorialService::ShowWindow(bool show)
{
    if (!window_) return;
    if (show && !window_->IsVisible()) window_->PlaceInParent();
    window_->SetVisible(show);
    if (show) window_->BringToFront();
    owner_ = show && StateEngine ? StateEngine->Current() : nullptr;
    suspended_ = false;
}

void TTutorialService::ShowPage(const std::string& id, int32_t page)
{
    ShowWindow(true);
    if (window_) window_->ShowPage(id, page);
}

TTutorialPage TTutorialService::GetPage(const std::string& id, int32_t page)
{
    AdminLog("TutorialService.GetPage(\"" + id + "\"," + std::to_string(page) + ")");
    TTutorialPage found;
    if (!pages_.Find(id, page, found)) {
        ShowWarning("Cannot find Tutorial reference: ID=\"" + id + "\", Page=" + std::to_string(page));
        return {};
    }
    return found;
}

bool TTutorialService::PageExists(const std::string& id, int32_t page)
{
    TTutorialPage found;
    const std::string where = "Tutorial Page " + id + "[" + std::to_string(page) + "]";
    if (!pages_.Find(id, page, found)) {
        AdminLog(where + " does not exist");
        return false;
    }
    if (found.content.empty()) {
        AdminLog(where + " has no content");
        return false;
    }
    return true;
}

bool TTutorialService::IsPageViewed(const std::string& id, int32_t page)
{
    const bool viewed = SettingInt("Tutorials." + id) >= page;
    AdminLog("Testing IsPageViewed(\"" + id + "\",Page=" + std::to_string(page) + " result=" +
             (viewed ? "true" : "false"));
    return viewed;
}

void TTutorialService::SetPageViewed(int32_t page, const std::string& id)
{
    if (id.empty()) return;
    if (SettingInt("Tutorials." + id) < page) SetSetting("Tutorials." + id, std::to_string(page));
}

void TTutorialService::Execute(const std::string& instruction)
{
    AdminLog("TutorialService; instruction=\"" + instruction + "\"");
    std::istringstream fields(instruction);
    std::string command, id, pageText;
    fields >> command >> id >> pageText;
    command = UpperText(command);
    const int32_t page = PageNumber(pageText);
    const TTutorialPage current = window_ ? window_->Page() : TTutorialPage{};

    if (command == "INIT") {
        if (!listening_ && Gameflow)
            Gameflow->SubscribeText("TUTORIAL", MakeMethod<&TTutorialService::OnTutorialEvent>(this));
        listening_ = true;
        SetTutorialLink(&link_);
    } else if (command == "ON") {
        ShowWindow(true);
    } else if (command == "OFF") {
        ShowWindow(false);
    } else if (command == "RESET") {
        if (Settings) Settings->DeletePath("Tutorials");
        Notice("Tutorial status has been reset<BR>(All Tutorial windows will be re-displayed at appropriate times)");
    } else if (command == "PAGE") {
        ShowPage(id, page);
    } else if (command == "PAGEIFNEW") {
        // The editor's build does not ask whether the tutorial has the page.
        const bool known = EditorVariant() || PageExists(id, page);
        if (SettingBool("Tutorial.Enabled") && known && !IsPageViewed(id, page)) ShowPage(id, page);
    } else if (command == "SETVIEWED") {
        SetPageViewed(current.page, current.id);
    } else if (command == "OK") {
        ShowWindow(false);
        SetPageViewed(current.page, current.id);
    } else if (command == "HIDE") {
        SetPageViewed(current.page, current.id);
        ShowWindow(false);
        SetSetting("Tutorial.Enabled", "false");
        Notice("Tutorials disabled. They can be re-enabled on the Game Options screeen.");
    } else if (command == "NEXT") {
        SetPageViewed(current.page, current.id);
        ShowPage(current.id, current.page + 1);
    } else if (command == "PREV") {
        ShowPage(current.id, std::max(1, current.page - 1));
    }
}

void TTutorialService::OnTutorialEvent(const std::string& text)
{
    // A tutorial on screen is never replaced by another; the page of a
    // screen just covered is no longer on screen.
    // (The editor's build asks also while one is shown.)
    FollowOwner();
    if (!WindowShown() || EditorVariant()) Execute("PAGEIFNEW " + text);
}

void TTutorialService::Tick()
{
    FollowOwner();
    if (StateEngine && StateEngine->CurrentId() == STATE_CONFIRM && WindowShown()) ShowWindow(false);
}

void TTutorialService::FollowOwner()
{
    if (!window_ || !StateEngine || !owner_) return;
    const TState* current = StateEngine->Current();
    if (window_->IsVisible() && current != owner_) {
        window_->SetVisible(false);
        suspended_ = true;
    }
    if (!suspended_) return;
    if (!StateEngine->Holds(owner_)) {
        owner_ = nullptr;
        suspended_ = false;
    } else if (current == owner_) {
        // Where the player left it.
        window_->SetVisible(true);
        window_->BringToFront();
        suspended_ = false;
    }
}
