#include "stateMenu.h"

#include "UIButton.h"
#include "UITheme.h"
#include "UITitle.h"
#include "clCardGraphics.h"
#include "clShellLinks.h"
#include "clVideoDraw.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrResources.h"
#include "mgrServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "osClock.h"
#include "osDesktop.h"
#include "qz7texture.h"
#include "stateConfirm.h"
#include "clNotice.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int32_t kLogoTexture = 6;
constexpr int32_t kStoreTexture = 28;
constexpr int32_t kMultiplayerTexture = 29;
constexpr uint32_t kAnimStepMs = 100;

struct TMenuCell {
    int32_t column, row;
    const char* caption;
    int32_t command;
};
constexpr TMenuCell kMenuCells[] = {
    {0, 0, "Continue Game", 1},  {0, 1, "Start New Game", 5},  {0, 2, "Multiplayer Game", 11},
    {0, 3, "Exit", 4},           {1, 0, "Achievements", 6},    {1, 1, "Preferences", 2},
    {1, 2, "Game Options", 7},   {1, 3, "About Qar", 3},       {2, 0, "Check new Version", 8},
};

// A 210 x 55 cell centred on (width / 2, height - 240), moved by the column
// and row.
TQZRect MenuCellRect(int32_t width, int32_t height, int32_t column, int32_t row)
{
    const int32_t cx = width / 2 + column * 220 - 110, cy = height - 240 + row * 65;
    return {cx - 105, cy - 27, cx + 105, cy + 28};
}

bool GameInProgress() { return Session && Session->GameInProgress(); }
}  // namespace

bool OpenWebSetting(const std::string& key)
{
    const std::string address = SettingText(key);
    if (address.empty()) return false;
    const bool web = address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0;
    if (!web) {
        AdminLog("Refused to open \"" + address + "\" from " + key + ": not an http or https address");
        return false;
    }
    return plat::os::OpenWithDesktop(address);
}

bool WebSettingConfigured(const std::string& key) { return !SettingText(key).empty(); }

// ---------------------------------------------------------------- animation

TMenuFan MenuFanLayout(int32_t width, TQZPoint card, int32_t cards, int32_t titleBottom, int32_t buttonsTop)
{
    constexpr int32_t kSwing = 20;
    TMenuFan fan;
    fan.step = cards > 1 ? std::max(0, width - card.x) / (cards - 1) : 0;
    fan.base = (width - 120) / 8 + 40;
    if (fan.base - kSwing < titleBottom) {
        const int32_t room = buttonsTop - titleBottom - (card.y + 2 * kSwing);
        fan.base = titleBottom + kSwing + std::max(0, room / 2);
    }
    return fan;
}

TMainMenuAnim::TMainMenuAnim(TGUIWindow* parent, const TCardset* deck)
    : TGUIWindow(parent ? TQZRect{0, 0, parent->GetWidth(), parent->GetHeight()} : TQZRect{}, parent, 0), deck_(deck)
{
    clickThrough = true;
}

bool TMainMenuAnim::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect({0, 0, parent->GetWidth(), parent->GetHeight()});
    return true;
}

void TMainMenuAnim::Update()
{
    TGUIWindow::Update();
    elapsed_ += UIFrameTime();
    while (elapsed_ >= kAnimStepMs) {
        elapsed_ -= kAnimStepMs;
        ++counter;
    }
}

void TMainMenuAnim::Draw(const TQZRect& rect)
{
    TVideoDraw* draw = Video ? Video->Draw() : nullptr;
    const int32_t n = deck_ ? deck_->Count() : 0;
    if (draw && n > 0) {
        const int32_t step = fan.step, base = fan.base;
        const double t = double(plat::os::TickMilliseconds());
        TCardGraphics* cards = Resources ? Resources->GetCardset() : nullptr;
        const bool alignLeft = !cards || cards->AlignLeft;
        for (int32_t k = 1; k <= n; ++k) {
            const int32_t i = alignLeft ? k : n + 1 - k;
            const TCard card = deck_->Get(((counter + i) % n) + 1);
            const int32_t y = base + int32_t(std::lround(std::sin((t / 250.0 + i) / 3.14159) * 20.0));
            draw->DrawCard({rect.left + (i - 1) * step, rect.top + y}, card, 0xFFFFFFFF, true);
        }
    }
    if (TQZTexture* logo = UITexture(kLogoTexture))
        logo->Draw({rect.right - 256, rect.bottom - 64, rect.right, rect.bottom}, 0xFFFFFFFF);
}

// ---------------------------------------------------------------- window

TMainMenuGUI::TMainMenuGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    deck_.FillDeck();
    deck_.Shuffle();
    anim_ = NewWindow<TMainMenuAnim>(this, &deck_);
    title_ = NewWindow<TUITitle>(this, false);
    for (const TMenuCell& c : kMenuCells) NewWindow<TUIButton>(c.caption, TQZRect{}, this, c.command);
    store_ = NewWindow<TUIButton>("", TQZRect{}, this, 13);
    store_->picture = UITexture(kStoreTexture);
    multiplayerWarning_ = NewWindow<TUIButton>("", TQZRect{}, this, 1);
    multiplayerWarning_->picture = UITexture(kMultiplayerTexture);
    PlaceButtons();
    RefreshButtons();
    if (Gameflow) {
        Gameflow->TriggerTutorial("welcome", 1);
        Gameflow->TriggerTutorial("whatsnew", 1);
    }
}

TUIButton* TMainMenuGUI::Button(int32_t command) const
{
    for (int32_t i = 1; i <= ChildCount(); ++i)
        if (auto* b = dynamic_cast<TUIButton*>(GetChild(i)); b && b->commandId == command && b != multiplayerWarning_)
            return b;
    return nullptr;
}

void TMainMenuGUI::PlaceButtons()
{
    const int32_t w = GetWidth(), h = GetHeight();
    for (const TMenuCell& c : kMenuCells)
        if (TUIButton* b = Button(c.command)) b->SetRect(MenuCellRect(w, h, c.column, c.row));
    const int32_t f = std::max(0, std::min(w / 2 - 230, 512));
    store_->SetRect({10, h - f / 2 - 10, f + 10, h - 10});
    store_->SetVisible(f > 0 && store_->picture != nullptr);
    multiplayerWarning_->SetRect({w / 2 - 128, h - 300, w / 2 + 128, h - 44});
    const int32_t cards = deck_.Count();
    anim_->fan = MenuFanLayout(w, Video ? Video->CardSize() : TQZPoint{}, cards, title_->GetRect().bottom,
                               MenuCellRect(w, h, 0, 0).top);
}

bool TMainMenuGUI::Arrange()
{
    TStateGUI::Arrange();
    PlaceButtons();
    return false;
}

void TMainMenuGUI::RefreshButtons()
{
    const bool shared = IsMultiplayerActive();
    multiplayerWarning_->SetVisible(shared);
    if (TUIButton* b = Button(5)) b->SetEnabled(!shared);
    if (TUIButton* b = Button(1)) b->SetEnabled(GameInProgress() || shared);
    if (TUIButton* b = Button(11)) b->SetEnabled(false);
    store_->SetEnabled(WebSettingConfigured("Internet.SteamURL"));
    FocusFirstChoice();
}

void TMainMenuGUI::FocusFirstChoice()
{
    TUIButton* focus = Button(GameInProgress() ? 1 : 5);
    if (focus && focus->CanFocus()) ChangeFocus(focus);
}

void TMainMenuGUI::Update()
{
    TStateGUI::Update();
    // A page or pop-up over the menu that took the focus and closed leaves it
    // nowhere; the keys then reach the menu's first choice again.
    const TGUIWindow* focused = GetFocused();
    if (IsVisible() && (!focused || !focused->CanFocus())) FocusFirstChoice();
}

// ---------------------------------------------------------------- state

void TStateMenu::CreateGUI()
{
    MakeWindow<TMainMenuGUI>();
}

void TStateMenu::Enter(TState* previous, int32_t param)
{
    TState::Enter(previous, param);
    if (auto* w = dynamic_cast<TMainMenuGUI*>(Window())) {
        w->ArrangeTree();
        w->RefreshButtons();
    }
    if (dynamic_cast<TStateConfirm*>(previous) && param == CONFIRM_OK) {
        if (pendingKind == 4) {
            if (StateEngine) StateEngine->Clear();
        } else if (pendingKind == 5) {
            StartNewGame();
        }
    }
    pendingKind = 0;
}

void TStateMenu::Leave(TState* next)
{
    TState::Leave(next);
}

void TStateMenu::Quit()
{
    // A failed save is kept (SaveFailed) and named when the program ends.
    if (Gameflow) (void)Gameflow->SaveGame();
    if (GameInProgress()) {
        pendingKind = 4;
        // A screen not in this build is refused and logged inside.
        if (StateEngine) (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_QUIT);
    } else if (StateEngine) {
        StateEngine->Clear();
    }
}

void TStateMenu::StartNewGame()
{
    // The menu stays under the game, which goes back to it.
    if (Gameflow) Gameflow->NewGame(true);
}

void TStateMenu::HandleEvent(int32_t command)
{
    if (!StateEngine) return;
    // A push of a screen not in this build is refused and logged inside.
    switch (command) {
        case 1: (void)StateEngine->PushById(STATE_GAME, true); break;
        case 2: (void)StateEngine->PushById(STATE_PREFERENCES, true); break;
        case 3: (void)StateEngine->PushById(STATE_ABOUT, true); break;
        case 4:
        case GUICMD_BACK: Quit(); break;
        case 5:
            if (GameInProgress()) {
                pendingKind = 5;
                (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_RESTART);
            } else {
                StartNewGame();
            }
            break;
        case 6: (void)StateEngine->PushById(STATE_ACHIEVEMENTS, true); break;
        case 7: (void)StateEngine->PushById(STATE_OPTIONS, true); break;
        case 8: (void)StateEngine->PushById(STATE_CHECKVERSION, true); break;
        case 10:
            if (ServiceManager) ServiceManager->MarshalInstruction("Tutorial.On");
            break;
        case 11: (void)StateEngine->PushById(STATE_MULTIPLAYER_ENTRY, true); break;
        case 13: (void)OpenWebSetting("Internet.SteamURL"); break;  // a refused address is logged there
        case 14: (void)StateEngine->PushById(STATE_FURTHER, true); break;
        case 15:
            if (Session && Session->SaveGame(UserFolder() + "debugsave.txt")) ShowNoticeText("Saved game state");
            break;
        case 16:
            if (Session && Session->LoadGame(UserFolder() + "debugsave.txt")) ShowNoticeText("Loaded game state");
            if (auto* w = dynamic_cast<TMainMenuGUI*>(Window())) w->RefreshButtons();
            break;
        case GUICMD_WINDOW_CLOSE:
            AdminLog("Force quit activated");
            if (Gameflow) (void)Gameflow->SaveGame();  // kept in SaveFailed, named at the end
            StateEngine->Clear();
            break;
        default: break;
    }
}
