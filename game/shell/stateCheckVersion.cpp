#include "stateCheckVersion.h"

#include "UIButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UIProgressBar.h"
#include "UITheme.h"
#include "clTaskbarProgress.h"
#include "clVersionCheck.h"
#include "mgrVideo.h"
#include "qz7window.h"
#include "mgrGameflow.h"
#include "stateConfirm.h"

#include <cmath>

namespace {
constexpr int32_t kFrameWidth = 700, kFrameHeight = 330;
constexpr int32_t kBarMaximum = 1000;
}  // namespace

TCheckVersionGUI::TCheckVersionGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("Check for Updates", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    TUILabel* intro = MakeUILabel("Check online for new versions of Vantorel Qar, Download and Install.",
                                  TQZRect{20, 50, kFrameWidth - 20, 100}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    intro->wordWrap = true;
    status_ = MakeUILabel("", TQZRect{20, 105, kFrameWidth - 20, 135}, frame_, 0xFFFFFF00, UIFONT_BUTTON);
    bar_ = MakeUIProgressBar(TQZRect{20, 145, kFrameWidth - 20, 175}, frame_, 0);
    bar_->max = kBarMaximum;
    bar_->SetVisible(false);
    NewWindow<TUIButton>("Check for New Version", TQZRect{20, 195, 340, 240}, frame_, 1);
    NewWindow<TUIButton>("View new version changes", TQZRect{360, 195, 680, 240}, frame_, 2);
    NewWindow<TUIButton>("Download", TQZRect{20, 260, 340, 305}, frame_, 3);
    NewWindow<TUIButton>("Return to Menu", TQZRect{360, 260, 680, 305}, frame_, GUICMD_BACK);
    Arrange();
}

TUIButton* TCheckVersionGUI::Button(int32_t command) const
{
    for (int32_t i = 1; i <= frame_->ChildCount(); ++i)
        if (auto* b = dynamic_cast<TUIButton*>(frame_->GetChild(i)); b && b->commandId == command) return b;
    return nullptr;
}

bool TCheckVersionGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t x = (GetWidth() - kFrameWidth) / 2, y = (GetHeight() - kFrameHeight) / 2;
    frame_->SetRect({x, y, x + kFrameWidth, y + kFrameHeight});
    return false;
}

void TCheckVersionGUI::Refresh(TVersionCheck& check, TTaskBarProgress* taskbar)
{
    const bool busy = check.IsBusy();
    Button(1)->SetEnabled(!busy);
    Button(2)->SetEnabled(check.ChangelogReceived());
    status_->SetCaption(check.GetStatusText());
    TUIButton* install = Button(3);
    install->SetCaption(check.Downloaded() ? "Run Installer" : "Download");
    install->SetEnabled((check.NewVersion() || check.Downloaded()) && !busy);
    TGUIWindow* focused = GetRoot()->GetFocused();
    if (!focused || !focused->IsEnabled() || !Contains(focused)) {
        if (Button(1)->IsEnabled()) ChangeFocus(Button(1));
    }
    const double remaining = check.GetTimeRemaining();
    if (remaining > 0) {
        bar_->max = kBarMaximum;
        bar_->position = int32_t(std::lround(remaining * 100));
        bar_->caption = "Waiting for response from server...";
        bar_->SetVisible(check.State() != 3);
    } else {
        int64_t received = 0, total = 0;
        check.GetProgress(received, total);
        bar_->max = total > 0 ? int32_t(std::min<int64_t>(total, INT32_MAX)) : kBarMaximum;
        bar_->position = int32_t(std::min<int64_t>(received, bar_->max));
        bar_->caption = std::to_string(received) + "B / " + std::to_string(total) + "B";
        bar_->SetVisible(total >= 1);
    }
    if (taskbar) {
        taskbar->SetState(bar_->IsVisible());
        taskbar->SetTotal(bar_->max);
        taskbar->SetValue(bar_->position);
    }
}

// ---------------------------------------------------------------- state

TStateCheckVersion::TStateCheckVersion() : check_(std::make_unique<TVersionCheck>())
{
    const uint64_t window = Video && Video->Window() ? uint64_t(Video->Window()->Handle()) : 0;
    taskbar_ = std::make_unique<TTaskBarProgress>(window);
    (void)check_->CheckForUpdate();  // the outcome shows in the check's state, which the screen reads
}

TStateCheckVersion::~TStateCheckVersion() = default;

void TStateCheckVersion::CreateGUI()
{
    MakeWindow<TCheckVersionGUI>();
}

void TStateCheckVersion::Enter(TState* previous, int32_t param)
{
    TState::Enter(previous, param);
    if (StateEngine) {
        savedMinimise_ = StateEngine->minimiseHandling;
        StateEngine->minimiseHandling = false;
    }
    if (dynamic_cast<TStateConfirm*>(previous) && param == CONFIRM_OK && StateEngine) StateEngine->PopState();
}

void TStateCheckVersion::Leave(TState* next)
{
    TState::Leave(next);
    if (StateEngine) StateEngine->minimiseHandling = savedMinimise_;
}

void TStateCheckVersion::Update()
{
    TState::Update();
    check_->CheckTimeout();
    if (auto* w = dynamic_cast<TCheckVersionGUI*>(Window())) w->Refresh(*check_, taskbar_.get());
    if (check_->IsBusy()) UIRequestFrames();
}

void TStateCheckVersion::HandleEvent(int32_t command)
{
    if (!StateEngine) return;
    switch (command) {
        case 1: (void)check_->CheckForUpdate(); break;  // the outcome shows in the check's state, which the screen reads
        case 2:
            // An opener that fails leaves nothing to show.
            if (check_->ChangelogReceived()) (void)check_->ShowChangelog();
            break;
        case 3:
            if (check_->Downloaded()) {
                if (check_->RunInstaller()) StateEngine->Clear();
            } else {
                (void)check_->DownloadUpdate();  // the outcome shows in the check's state, which the screen reads
            }
            break;
        case GUICMD_BACK: {
            int64_t received = 0, total = 0;
            check_->GetProgress(received, total);
            if (check_->IsBusy() && total > 0)
                // A screen not in this build is refused and logged inside.
                (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_ABORT_DOWNLOAD);
            else
                StateEngine->PopState();
            break;
        }
        default: break;
    }
}
