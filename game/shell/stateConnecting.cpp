#include "stateConnecting.h"

#include "UIButton.h"
#include "UIFrame.h"
#include "UILabel.h"
#include "UIProgressBar.h"
#include "UITheme.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "qz7falcon.h"
#include "qz7netadmin.h"

#include <algorithm>

namespace {
constexpr int32_t kFrameWidth = 500, kFrameHeight = 260;

// The join attempt under way and how long it has waited, while connecting.
bool JoinProgress(int32_t& attempt, uint32_t& waited)
{
    if (!Multiplayer) return false;
    TQZFalcon* falcon = Multiplayer->GetFalcon();
    if (falcon->State() != FS_CLIENT_CONNECTING) return false;
    std::shared_ptr<TQZPeer> host = falcon->Peers().First();
    if (!host || !host->Admin()) return false;
    attempt = host->Admin()->JoinAttempts();
    // What is left of this attempt, less the attempts still to come.
    const int64_t left = int64_t(host->Admin()->GetConnectTimeRemaining()) -
                         int64_t(kJoinAttempts - attempt) * int64_t(kJoinInterval);
    waited = uint32_t(std::clamp<int64_t>(int64_t(kJoinInterval) - left, 0, kJoinInterval));
    return true;
}
}  // namespace

std::string ConnectionStateText(int32_t state)
{
    static const char* const texts[] = {"Disconnected", "Listening (Host)", "Connected (Host)", "Connecting",
                                        "Connected",    "Searching (Host)", "Searching (Outbound)"};
    return state >= 0 && state <= 6 ? texts[state] : std::string();
}

TConnectingGUI::TConnectingGUI(TState* owner, TGUIWindow* layout) : TStateGUI(owner, layout)
{
    frame_ = MakeUIFrame("Attempting to Connect...", TQZRect{0, 0, kFrameWidth, kFrameHeight}, this);
    const std::string address = Multiplayer ? Multiplayer->HostAddress() : std::string();
    address_ = MakeUILabel(address, TQZRect{20, 40, kFrameWidth - 20, 70}, frame_, 0xFFFFFFFF, UIFONT_BUTTON);
    address_->centreHorizontal = true;
    status_ = MakeUILabel("", TQZRect{20, 75, kFrameWidth - 20, 105}, frame_, 0xFFFFFF00, UIFONT_BUTTON);
    status_->centreHorizontal = true;
    bar_ = MakeUIProgressBar(TQZRect{20, 120, kFrameWidth - 20, 150}, frame_, 0);
    bar_->max = int32_t(kJoinInterval);
    bar_->SetVisible(false);
    retry_ = NewWindow<TUIButton>("Retry", TQZRect{40, 190, 230, 235}, frame_, 1);
    TUIButton* cancel = NewWindow<TUIButton>("Cancel", TQZRect{270, 190, 460, 235}, frame_, GUICMD_BACK);
    Arrange();
    ChangeFocus(cancel);
}

bool TConnectingGUI::Arrange()
{
    TStateGUI::Arrange();
    const int32_t x = (GetWidth() - kFrameWidth) / 2, y = (GetHeight() - kFrameHeight) / 2;
    frame_->SetRect({x, y, x + kFrameWidth, y + kFrameHeight});
    return false;
}

void TConnectingGUI::Refresh()
{
    const int32_t state = Multiplayer ? int32_t(Multiplayer->GetFalcon()->State()) : int32_t(FS_DISCONNECTED);
    status_->SetCaption(ConnectionStateText(state));
    if (Multiplayer) address_->SetCaption(Multiplayer->HostAddress());
    int32_t attempt = 0;
    uint32_t waited = 0;
    if (state == FS_CLIENT_CONNECTING && JoinProgress(attempt, waited)) {
        bar_->max = int32_t(kJoinInterval);
        bar_->position = int32_t(waited);
        bar_->caption = "Attempt " + std::to_string(attempt);
        bar_->SetVisible(true);
        retry_->SetVisible(false);
        return;
    }
    bar_->SetVisible(false);
    retry_->SetVisible(state != FS_CLIENT_CONNECTED && state != FS_CLIENT_CONNECTING);
}

// ---------------------------------------------------------------- state

void TStateConnecting::CreateGUI()
{
    MakeWindow<TConnectingGUI>();
}

void TStateConnecting::Enter(TState* previous, int32_t param)
{
    TState::Enter(previous, param);
    if (Gameflow && !subscribed_) {
        Gameflow->Subscribe("LOBBY_WELCOME", MakeMethod<&TStateConnecting::OnWelcome>(this));
        subscribed_ = true;
    }
}

void TStateConnecting::Leave(TState* next)
{
    TState::Leave(next);
    if (Gameflow && subscribed_) Gameflow->Unsubscribe("LOBBY_WELCOME", MakeMethod<&TStateConnecting::OnWelcome>(this));
    subscribed_ = false;
}

void TStateConnecting::OnWelcome(TQZClass*)
{
    // The lobby takes this screen's place.
    // A screen not in this build is refused and logged inside.
    if (StateEngine && StateEngine->Current() == this) (void)StateEngine->PushById(STATE_LOBBY, false);
}

void TStateConnecting::Update()
{
    TState::Update();
    if (auto* w = dynamic_cast<TConnectingGUI*>(Window())) w->Refresh();
    // The bar moves while a join is under way.
    if (Multiplayer && Multiplayer->GetFalcon()->State() == FS_CLIENT_CONNECTING) UIRequestFrames();
}

void TStateConnecting::HandleEvent(int32_t command)
{
    switch (command) {
    case 1:
        if (Multiplayer && !Multiplayer->HostAddress().empty())
            Multiplayer->JoinHost(Multiplayer->HostAddress(), Multiplayer->HostPort());
        break;
    case GUICMD_BACK:
        if (Multiplayer) Multiplayer->Leave(false);
        if (StateEngine) StateEngine->PopState();
        break;
    default: break;
    }
}
