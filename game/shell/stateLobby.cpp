#include "stateLobby.h"

#include "UIButton.h"
#include "UICycleButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UILobbyPlayer.h"
#include "UITheme.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "mgrSteam.h"
#include "stateConfirm.h"

namespace {
constexpr int32_t kPanelWidth = 600, kPanelHeight = 600;
constexpr int32_t kRowsTop = 60, kRowHeight = 88;
constexpr int32_t kLeaveWidth = 200, kLeaveHeight = 45;

int32_t CountHumans() { return Session ? Session->Players().CountHumans() : 0; }
bool IsHost() { return Multiplayer && Multiplayer->IsHost(); }

// Every person's seat is ready (however many people there are).
bool AllHumansReady()
{
    if (!Session) return false;
    for (TSeat s = 1; s <= 4; ++s) {
        const TSessionPlayer* p = Session->Players().GetPlayer(s);
        if (!p->IsAI() && !p->Continued()) return false;
    }
    return true;
}

// The host's session names this machine's seat once it has arrived.
bool Seated()
{
    if (!Session) return false;
    const TSessionPlayer* local = Session->Players().LocalPlayer();
    if (!local) return false;
    return IsHost() || !Multiplayer || !Multiplayer->IsMultiplayer() ||
           local->PartyId() == int32_t(Multiplayer->GetLocalPartyID());
}

bool GameGoesOn()
{
    if (!Session) return false;
    const TGovernAction* head = Session->Governor().Head();
    return Session->GameInProgress() || Session->Status() != STATUS_STARTING ||
           (head && head->Decided() && head->AwaitedState() != 0);
}
}  // namespace

std::string LobbyInstructions()
{
    if (!Seated()) return "Waiting for lobby details from host...";
    if (!TMPLobby::LocalReady()) return "Choose a seat, Ready Up when happy!";
    if (AllHumansReady())
        return IsHost() && CountHumans() < 2 ? "Waiting for more players to join..." : "Waiting for host to start the game...";
    return "Waiting for other players to ready up.";
}

// ---------------------------------------------------------------- window

TLobbyGUI::TLobbyGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    panel_ = MakeUIFrame("Multiplayer Lobby", TQZRect{0, 0, kPanelWidth, kPanelHeight}, this);
    lobby_ = MakeUILabel("Lobby: ", TQZRect{20, 48, kPanelWidth - 20, 73}, panel_, 0xFFFFFFFF, UIFONT_BUTTON);
    for (TSeat s = 1; s <= 4; ++s) {
        // The second partnership's rows sit below the "VS".
        const int32_t top = kRowsTop + s * 94 - 59 + (s >= 3 ? 30 : 0);
        rows_[s - 1] = MakeUILobbyPlayer({20, top, kPanelWidth - 20, top + kRowHeight}, s, panel_);
    }
    const int32_t vsTop = kRowsTop + 2 * 94 - 59 + kRowHeight;
    TUILabel* vs = MakeUILabel("VS", TQZRect{20, vsTop, kPanelWidth - 20, vsTop + 36}, panel_, 0xFFFFFF00, UIFONT_BUTTON);
    vs->centreHorizontal = true;
    vs->centreVertical = true;
    const int32_t buttons = kRowsTop + 4 * 94 - 59 + 30 + kRowHeight + 12;
    ready_ = NewWindow<TUIButton>("Ready Up!", TQZRect{20, buttons, 200, buttons + 45}, panel_, 6);
    start_ = NewWindow<TUIButton>("Start Game", TQZRect{210, buttons, 390, buttons + 45}, panel_, 5);
    public_ = MakeUICycleButton("Open to Public", TQZRect{400, buttons, 580, buttons + 45}, panel_, 8);
    public_->AddOption("Open to Public");
    public_->AddOption("Closed");
    public_->SetEnabled(false);
    instructions_ =
        MakeUILabel("", TQZRect{20, buttons + 55, kPanelWidth - 20, buttons + 80}, panel_, 0xFFFFFFFF, UIFONT_BUTTON);
    instructions_->centreHorizontal = true;
    leave_ = NewWindow<TUIButton>("Leave Party", TQZRect{0, 0, kLeaveWidth, kLeaveHeight}, this, GUICMD_BACK);
    Arrange();
    ChangeFocus(ready_);
}

bool TLobbyGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t room = GetHeight() - kPanelHeight - kLeaveHeight - 10;
    const int32_t x = (GetWidth() - kPanelWidth) / 2, y = std::max(room / 2, 30);
    panel_->SetRect({x, y, x + kPanelWidth, y + kPanelHeight});
    const int32_t lx = x + kPanelWidth - kLeaveWidth, ly = y + kPanelHeight + 10;
    leave_->SetRect({lx, ly, lx + kLeaveWidth, ly + kLeaveHeight});
    return false;
}

void TLobbyGUI::Refresh()
{
    start_->SetVisible(IsHost());
    start_->SetEnabled(TMPLobby::CanStart());
    leave_->SetCaption(CountHumans() < 2 ? "Cancel" : "Leave Party");
    const std::string name = Multiplayer ? Multiplayer->LobbyName() : std::string();
    if (name != shownLobby_ || lobby_->Caption() == "Lobby: ") {
        shownLobby_ = name;
        lobby_->SetCaption("Lobby: " + name);
    }
    instructions_->SetCaption(LobbyInstructions());
}

// ---------------------------------------------------------------- state

void TStateLobby::CreateGUI()
{
    MakeWindow<TLobbyGUI>();
}

void TStateLobby::Enter(TState* previous, int32_t result)
{
    if (result == CONFIRM_OK) {
        auto* confirm = dynamic_cast<TStateConfirm*>(previous);
        if (confirm && confirm->Kind() == CONFIRM_LEAVE_PARTY) {
            if (Multiplayer) Multiplayer->Leave(false);
            if (StateEngine) StateEngine->PopState();
            return;
        }
    }
    TState::Enter(previous, result);
    lobby_.Open();
    if (Gameflow && !subscribed_) {
        Gameflow->Subscribe("LOBBY_CHANGED", MakeMethod<&TStateLobby::OnLobbyChanged>(this));
        subscribed_ = true;
    }
    // Back from the question: the host may have started meanwhile.
    if (dynamic_cast<TStateConfirm*>(previous)) JoinGameInProgress();
}

void TStateLobby::Leave(TState* next)
{
    TState::Leave(next);
    lobby_.Close();
    if (Gameflow && subscribed_) Gameflow->Unsubscribe("LOBBY_CHANGED", MakeMethod<&TStateLobby::OnLobbyChanged>(this));
    subscribed_ = false;
    if (next && StateEngine && StateEngine->IdOf(next) == STATE_MENU && Multiplayer) Multiplayer->Leave(false);
}

void TStateLobby::OnLobbyChanged(TQZClass*) { JoinGameInProgress(); }

void TStateLobby::JoinGameInProgress()
{
    if (!Multiplayer || !Multiplayer->IsMultiplayer() || IsHost() || !Seated() || !GameGoesOn()) return;
    // A screen not in this build is refused and logged inside.
    if (StateEngine && StateEngine->Current() == this) (void)StateEngine->PushById(STATE_GAME, false);
}

void TStateLobby::Update()
{
    TState::Update();
    if (auto* w = dynamic_cast<TLobbyGUI*>(Window())) w->Refresh();
}

void TStateLobby::HandleEvent(int32_t command)
{
    switch (command) {
    case 1:
    case 2:
    case 3:
    case 4: lobby_.TakeSeat(TSeat(command)); break;
    case 5: (void)lobby_.StartGame(); break;  // refused until every seat is ready; the screen shows who is not
    case 6: lobby_.ToggleReady(); break;
    case 7:
        if (SteamManager) SteamManager->LobbyChanged();
        break;
    case GUICMD_BACK:
        if (!StateEngine) break;
        if (CountHumans() < 2)
            StateEngine->PopState();
        else
            // A screen not in this build is refused and logged inside.
            (void)StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_LEAVE_PARTY);
        break;
    default: break;
    }
}
