#include "coreEngine.h"

#include "UIAdminConsole.h"
#include "UIChatWindow.h"
#include "UIAchievement.h"
#include "UITable.h"
#include "UIToast.h"
#include "clNotice.h"
#include "osMachine.h"
#include "UITheme.h"
#include "qz7input.h"
#include "clStartSeed.h"
#include "clStartupProbe.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "gameStates.h"
#include "mgrAI.h"
#include "mgrAchievements.h"
#include "mgrAudio.h"
#include "mgrGameflow.h"
#include "mgrLoaders.h"
#include "mgrMultiplayer.h"
#include "mgrResources.h"
#include "mgrServices.h"
#include "microGameServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "mgrVideo.h"
#include "osClock.h"
#include "osWindow.h"
#include "UIRootWindow.h"

namespace {
// The screen on top for the rules (actions wait for screens).
class TEngineScreenLink : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return StateEngine ? StateEngine->CurrentId() : 0; }
};
TEngineScreenLink engineScreenLink;

// Frames are paced: the loop sleeps on window messages for the rest of the
// period instead of spinning. While the player acts, a widget animates or a
// timer waits, the period is a 60th of a second; a screen left alone is
// drawn ten times a second (the menu's own animation step).
constexpr uint32_t kFramePeriodMs = 16;
constexpr uint32_t kIdleFramePeriodMs = 100;
constexpr uint32_t kIdleAfterMs = 1000;

// The display is gone and with it every window: what the player would lose
// is written out before the program ends (no screen can be drawn, nor the
// window's placement asked for). A saved game is never deleted here.
void SaveAfterDisplayLost()
{
    WriteLog("The connection to the display was lost: saving and ending");
    // No box can be shown without a display: each failure goes to the log.
    if (Gameflow && Session && Session->GameInProgress() && !Gameflow->SaveGame())
        WriteLog("The game could not be saved");
    if (SettingsManager && !SettingsManager->SaveSettings()) WriteLog("The settings could not be saved");
    if (Achievements && !Achievements->SaveProgress()) WriteLog("The progress could not be saved");
}

bool InputWaiting()
{
    TQZKeyboard* keyboard = GetKeyboard();
    TQZMouse* mouse = GetMouse();
    return (keyboard && keyboard->HasKeys()) ||
           (mouse && (mouse->HasEvent() || mouse->HasMoved() || mouse->HasWheel()));
}
}  // namespace

void RegisterGameManagers()
{
    RegisterAIManager();
    RegisterSettingsManager();
    RegisterTimersManager();
    RegisterSteamManager();
    RegisterSessionManager();
    RegisterGameflowManager();
    RegisterServiceManager();
    RegisterGameServices(&ShowNoticeText);
    RegisterMultiplayerManager();
    RegisterVideoManager();
    RegisterStatesManager();
    RegisterAudioManager();
    RegisterLoadersManager();
    RegisterResourcesManager();
    RegisterAchievementsManager();
}

// ---------------------------------------------------------------- layout

TLayoutGUI::TLayoutGUI(TGUIWindow* parent)
    : TGUIWindow(parent ? TQZRect{0, 0, parent->GetWidth(), parent->GetHeight()} : TQZRect{}, parent, 0)
{
}

bool TLayoutGUI::Arrange()
{
    if (TGUIWindow* parent = GetParent()) SetRect({0, 0, parent->GetWidth(), parent->GetHeight()});
    // The screens lay themselves out again for the new size.
    return false;
}

// ---------------------------------------------------------------- engine

TMainEngine::TMainEngine()
{
    ResetSettingsIfOutdated();
    CreateManagers();
    root_ = NewRootWindow<TGUIRootWindow>();
    root_->SetRect(Video ? Video->ClientRect() : TQZRect{0, 0, 1280, 800});
    table_ = NewWindow<TUITable>(root_.get());
    layout_ = NewWindow<TLayoutGUI>(root_.get());
    animHost_ = NewWindow<TUIAnimHost>(root_.get());
    if (Achievements)
        Achievements->SetPopupHook([this](int32_t id, const TQZRect& rect) {
            if (animHost_) TUIAchievement::Create(id, animHost_, rect, true);
        });
    if (Gameflow) Gameflow->SubscribeText("TABLE_CAPTION", MakeMethod<&TMainEngine::OnTableCaption>(this));
    if (Video && Video->Window()) Video->Window()->onClose = MakeMethod<&TMainEngine::OnWindowClose>(this);
    if (Gameflow) Gameflow->RegisterStates(GameStateClasses());
    SetScreenLink(&engineScreenLink);
    if (StateEngine) StateEngine->SetWindows(root_.get(), layout_);
    if (Video) {
        Video->SetResizeReceiver(static_cast<TGUIRootWindow*>(root_.get()));
        Video->renderCallback = [] {
            if (StateEngine) StateEngine->Render();
        };
    }
    console_ = NewWindow<TUIAdminConsole>(root_.get(), plat::os::ReadCommandLine(plat::os::FactFile("/proc/self/cmdline")));
    console_->SetVisible(false);
    toast_ = NewWindow<TUIToast>(root_.get());
    chat_ = NewWindow<TUIChatWindow>(root_.get());
    SetNoticeSink([this](const std::string& text) { OnNotice(text); });
    if (Gameflow) {
        Gameflow->SubscribeText("NOTICE", MakeMethod<&TMainEngine::OnNotice>(this));
        Gameflow->SubscribeText("PLAYER_JOINED", MakeMethod<&TMainEngine::OnPlayerJoined>(this));
        Gameflow->SubscribeText("PLAYER_LEFT", MakeMethod<&TMainEngine::OnPlayerLeft>(this));
    }
    if (ServiceManager) ServiceManager->MarshalInstruction("Tutorial.Init");
}

TMainEngine::~TMainEngine()
{
    if (Video) {
        if (Video->Window()) Video->Window()->onClose = {};
        Video->renderCallback = nullptr;
        Video->SetResizeReceiver(nullptr);
        Video->SaveWindowPlacement();
    }
    if (StateEngine) {
        StateEngine->Clear();
        StateEngine->Update();  // frees the retired screens while their windows exist
        StateEngine->SetWindows(nullptr, nullptr);
    }
    SetNoticeSink(nullptr);
    if (Gameflow) {
        Gameflow->UnsubscribeText("NOTICE", MakeMethod<&TMainEngine::OnNotice>(this));
        Gameflow->UnsubscribeText("PLAYER_JOINED", MakeMethod<&TMainEngine::OnPlayerJoined>(this));
        Gameflow->UnsubscribeText("PLAYER_LEFT", MakeMethod<&TMainEngine::OnPlayerLeft>(this));
    }
    console_ = nullptr;
    toast_ = nullptr;
    chat_ = nullptr;
    if (Achievements) Achievements->SetPopupHook(nullptr);
    root_.reset();
    // Whatever could not be saved is named in one box: the player would
    // otherwise learn of it only at the next start, from what is missing.
    std::vector<std::string> unsaved;
    if (Gameflow && Gameflow->SaveFailed()) unsaved.push_back("the saved game");
    if (SettingsManager && !SettingsManager->SaveSettings()) unsaved.push_back("the settings");
    if (Achievements && !Achievements->SaveProgress()) unsaved.push_back("the achievements and statistics");
    if (!unsaved.empty()) ShowWarning(UnsavedText(unsaved));
    if (Gameflow) Gameflow->UnsubscribeText("TABLE_CAPTION", MakeMethod<&TMainEngine::OnTableCaption>(this));
    SetScreenLink(nullptr);
    FreeManagers();
}

void TMainEngine::Start()
{
    if (Gameflow) Gameflow->LoadGame();
    // A screen not in this build is refused and logged inside.
    if (StateEngine) (void)StateEngine->PushById(STATE_MENU, false);
}

void TMainEngine::Tick()
{
    const uint32_t started = plat::os::TickMilliseconds();
    PumpFrame();
    if (InputWaiting()) lastActive_ = started;
    if (SteamManager) SteamManager->Process();
    if (StateEngine) StateEngine->Update();
    if (Multiplayer) Multiplayer->Process();
    if (ServiceManager) ServiceManager->Tick();
    if (Timers && Video) Timers->Tick(Video->FrameTime());
    capture_.FrameDone();  // before the redraw, which may paint at once
    if (Video) Video->Redraw();
    report_.FrameDone();
    if (UITakeFrameRequest() || (Timers && Timers->CountActive() > 0)) lastActive_ = started;
    const uint32_t period = started - lastActive_ < kIdleAfterMs ? kFramePeriodMs : kIdleFramePeriodMs;
    period_ = period;
    const uint32_t spent = plat::os::TickMilliseconds() - started;
    if (spent < period && !Terminated()) plat::os::WaitForWindowMessages(period - spent);
}

bool TMainEngine::Terminated() const
{
    const bool quitting = Video && Video->Window() && Video->Window()->Closed();
    return quitting || !StateEngine || !StateEngine->Current();
}

std::string UnsavedText(const std::vector<std::string>& what)
{
    std::string list;
    for (size_t i = 0; i < what.size(); ++i)
        list += (i == 0 ? "" : i + 1 == what.size() ? " and " : ", ") + what[i];
    return "Vantorel Qar could not save " + list + " in " + UserFolder() +
           ". The disk may be full or the folder not writable; what was saved before is kept.";
}

void TMainEngine::OnWindowClose(TQZWindow*)
{
    if (!StateEngine) return;
    StateEngine->PopUntil(STATE_MENU);
    if (TState* current = StateEngine->Current()) current->HandleEvent(GUICMD_WINDOW_CLOSE);
}

void TMainEngine::OnTableCaption(const std::string& text)
{
    if (table_) table_->SetStatus(text);
}

void TMainEngine::OnNotice(const std::string& text)
{
    if (toast_) toast_->ShowText(text);
}

void TMainEngine::OnPlayerJoined(const std::string& name)
{
    if (toast_) toast_->ShowPlayerJoined(name);
}

void TMainEngine::OnPlayerLeft(const std::string& name)
{
    if (toast_) toast_->ShowPlayerLeft(name);
}

int RunGame()
{
    RegisterGameManagers();
    FrameworkStart("Vantorel Qar");
    const uint64_t seed = SeedStartRandom();
    int code = 0;
    {
        TMainEngine engine;
        // Logged once the per-user folder (and with it log.txt) exists.
        WriteLog("Random seed " + std::to_string(seed));
        plat::os::SetDisplayLostHandler(&SaveAfterDisplayLost);
        TStartupProbe probe;
        bool measured = false;
        if (probe.Active() && Video) {
            // Counts the frames the state engine presents.
            Video->renderCallback = [&probe, &measured] {
                if (StateEngine) StateEngine->Render();
                measured = measured || probe.FramePresented();
            };
        }
        engine.Start();
        while (!engine.Terminated() && !measured) engine.Tick();
        plat::os::SetDisplayLostHandler(nullptr);
    }
    FrameworkStop();
    return code;
}
