#include "stateAchievements.h"

#include "UIAchievement.h"
#include "UIButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UIProgressBar.h"
#include "UIScrollBar.h"
#include "UITheme.h"
#include "mgrAchievements.h"
#include "mgrGameflow.h"
#include "mgrSteam.h"
#include "stateConfirm.h"

#include <algorithm>

namespace {
constexpr int32_t kFrameWidth = 750, kFrameHeight = 500;
constexpr TQZRect kListRect{15, 45, 395, 440};
constexpr int32_t kTileHeight = 49, kTileStep = 54, kTileInset = 6, kBarWidth = 20;
constexpr int32_t kMainMenu = 998, kSteamAchievements = 997, kLeaderboards = 996, kReset = 999;
}  // namespace

std::string UnlockedText(double unlockTime)
{
    const std::string text = DateTimeToText(unlockTime);  // "YYYY-MM-DD hh:nn:ss"
    return "Unlocked on " + text.substr(0, 10) + " at " + text.substr(11, 5);
}

TAchieveGUI::TAchieveGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("Achievements", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    list_ = NewWindow<TUIFrame>("", kListRect, frame_);
    list_->forwardCommands = true;
    list_->captionFont = UIFONT_SMALL;
    const int32_t listW = kListRect.Width(), listH = kListRect.Height();
    scroll_ = NewWindow<TUIScrollBar>(TQZRect{listW - kBarWidth - 5, 5, listW - 5, listH - 5}, list_, 0);
    list_->scrollBar = scroll_;

    const int32_t x = 410, right = kFrameWidth - 15;
    title_ = MakeUILabel("", TQZRect{x, 40, right, 82}, frame_, 0xFFFFFFFF, UIFONT_CAPTION);
    image_ = NewWindow<TUIAchievementImage>(0, frame_, TQZRect{x, 85, x + 80, 165});
    description_ = MakeUILabel("", TQZRect{x + 92, 85, right, 165}, frame_, 0xFFDDDDDD, UIFONT_SMALL);
    description_->wordWrap = true;
    progressLabel_ = MakeUILabel("Current Progress:", TQZRect{x, 185, right, 210}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    progress_ = MakeUIProgressBar(TQZRect{x, 215, right, 245}, frame_, 0);
    unlock_ = MakeUILabel("", TQZRect{x, 260, right, 285}, frame_, 0xFFFFFF80, UIFONT_SMALL);

    const struct {
        const char* caption;
        int32_t command;
    } buttons[] = {{"Main Menu", kMainMenu}, {"Steam Achievements", kSteamAchievements}, {"Leaderboards", kLeaderboards}};
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t left = 15 + i * 245;
        TUIButton* b = NewWindow<TUIButton>(buttons[i].caption, TQZRect{left, 450, left + 230, 490}, frame_,
                                            buttons[i].command);
        b->SetEnabled(buttons[i].command == kMainMenu);
        buttons_.push_back(b);
    }
    BuildList();
    ShowDetails(1);
    Arrange();
    ChangeFocus(buttons_.front());
}

TUIButton* TAchieveGUI::Button(int32_t command) const
{
    for (TUIButton* b : buttons_)
        if (b->commandId == command) return b;
    return nullptr;
}

bool TAchieveGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t left = (GetWidth() - kFrameWidth) / 2, top = std::max(0, (GetHeight() - kFrameHeight) / 2);
    frame_->SetRect({left, top, left + kFrameWidth, top + kFrameHeight});
    return false;
}

void TAchieveGUI::BuildList()
{
    for (TUIAchievement* t : tiles_) TGUIWindow::Free(t);
    tiles_.clear();
    scroll_->SetPosition(0);
    list_->SetPosition(0, 0);
    const int32_t count = Achievements ? Achievements->GetAchievementCount() : 0;
    const int32_t width = kListRect.Width() - kBarWidth - 2 * kTileInset;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t top = kTileInset + i * kTileStep;
        TUIAchievement* tile = TUIAchievement::Create(Achievements->GetAchievement(i)->id, list_,
                                                      TQZRect{kTileInset, top, kTileInset + width, top + kTileHeight},
                                                      false);
        tile->commandId = i + 1;  // the screen asks by position in the list
        tiles_.push_back(tile);
    }
    // The list scrolls by whole tiles' pixels; no bar when everything fits.
    const int32_t content = kTileInset * 2 + count * kTileStep, visible = kListRect.Height();
    scroll_->SetMax(std::max(0, content - visible));
    scroll_->step = kTileStep;
    scroll_->SetVisible(content > visible);
}

void TAchieveGUI::ShowDetails(int32_t n)
{
    const int32_t count = Achievements ? Achievements->GetAchievementCount() : 0;
    const bool exists = n >= 1 && n <= count;
    shown_ = exists ? n : 0;
    for (TGUIWindow* w : std::initializer_list<TGUIWindow*>{title_, image_, description_, progressLabel_, progress_, unlock_})
        w->SetVisible(exists);
    if (!exists) return;
    const TAchieveRec r = Achievements->GetAchievementRec(n - 1);
    const bool unlocked = r.progress >= r.target;
    const bool hidden = r.kind == "hidden" && !unlocked;
    title_->SetCaption(hidden ? "Hidden Achievement" : r.title);
    // A long title is written smaller rather than cut off at the panel's edge.
    title_->font =
        UIFont(UIFontThatFits(title_->Caption(), title_->GetWidth(), {UIFONT_CAPTION, UIFONT_BUTTON, UIFONT_SMALL}));
    description_->SetCaption(hidden ? "Details for achievement hidden until unlocked" : r.description);
    image_->achievementId = r.id;
    progress_->max = r.target;
    progress_->position = std::min(r.progress, r.target);
    progress_->caption = std::to_string(progress_->position) + " of " + std::to_string(r.target);
    unlock_->SetCaption(unlocked ? UnlockedText(r.unlockTime) : std::string());
}

void TStateAchievements::CreateGUI()
{
    MakeWindow<TAchieveGUI>();
}

TAchieveGUI* TStateAchievements::Gui() const { return dynamic_cast<TAchieveGUI*>(Window()); }

void TStateAchievements::Enter(TState* previous, int32_t param)
{
    TState::Enter(previous, param);
    if (dynamic_cast<TStateConfirm*>(previous) && param == CONFIRM_OK) {
        if (Achievements) Achievements->ResetProgress();
        if (TAchieveGUI* gui = Gui()) {
            gui->BuildList();
            gui->ShowDetails(1);
        }
        if (SteamManager) SteamManager->AchievementsShown();
    }
}

void TStateAchievements::HandleEvent(int32_t command)
{
    const int32_t count = Achievements ? Achievements->GetAchievementCount() : 0;
    if (command >= 1 && command <= count) {
        if (TAchieveGUI* gui = Gui()) gui->ShowDetails(command);
        return;
    }
    switch (command) {
        case kMainMenu:
        case GUICMD_BACK:
            if (StateEngine) StateEngine->PopState();
            break;
        case kReset:
            // A screen not in this build is refused and logged inside.
            if (StateEngine) (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_RESET_ACHIEVEMENTS);
            break;
        default: break;
    }
}
