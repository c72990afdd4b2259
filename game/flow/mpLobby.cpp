#include "mpLobby.h"

#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "qz7netparty.h"

std::vector<uint8_t> PackLobbyMessage(int32_t kind, int32_t partyId, int32_t value)
{
    std::vector<uint8_t> body;
    for (int32_t v : {kind, partyId, value})
        for (int i = 0; i < 4; ++i) body.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return body;
}

namespace {
int32_t ReadI32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(b[at + i]) << (8 * i);
    return int32_t(v);
}

void LobbyChanged()
{
    if (Gameflow) Gameflow->Trigger("LOBBY_CHANGED", nullptr);
}
}  // namespace

TMPLobby::~TMPLobby() { Close(); }

void TMPLobby::Open()
{
    if (open_ || !Multiplayer) return;
    Multiplayer->Handlers().Register(GAMEMSG_LOBBY, MakeMethod<&TMPLobby::OnMessage>(this));
    open_ = true;
    if (Multiplayer->IsHost()) {
        AdminLog("Opening party");
        Multiplayer->Party()->SetPartyState(PARTY_OPEN);
    }
}

void TMPLobby::Close()
{
    if (!open_ || !Multiplayer) return;
    Multiplayer->Handlers().Unregister(GAMEMSG_LOBBY, MakeMethod<&TMPLobby::OnMessage>(this));
    open_ = false;
}

bool TMPLobby::MoveToSeat(TSeat from, TSeat to)
{
    if (!Session || !IsSeat(from) || !IsSeat(to)) return false;
    TSessionPlayers& players = Session->Players();
    // A seat held by another person is theirs; only a computer gives way.
    if (from != to && !players.GetPlayer(to)->IsAI()) return false;
    players.SwapPlayers(from, to);
    if (Gameflow) Gameflow->SetViewSeat();
    return true;
}

void TMPLobby::TakeSeat(TSeat seat)
{
    if (!Multiplayer || !Session) return;
    if (!Multiplayer->IsHost()) {
        AdminLog("Player " + std::to_string(Multiplayer->GetLocalPartyID()) + ": sending seat request to host");
        Multiplayer->SendToHost(
            PrependMessageID(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_SEAT_REQUEST, Multiplayer->GetLocalPartyID(), seat)));
        return;
    }
    if (MoveToSeat(Session->LocalSeat(), seat)) LobbyChanged();
}

bool TMPLobby::LocalReady()
{
    if (!Session) return false;
    const TSessionPlayer* local = Session->Players().LocalPlayer();
    return local && local->Continued();
}

void TMPLobby::ToggleReady()
{
    if (!Multiplayer || !Session) return;
    TSessionPlayer* local = Session->Players().LocalPlayer();
    if (!local) return;
    if (Multiplayer->IsHost()) {
        local->SetContinue(!local->Continued());
        LobbyChanged();
        return;
    }
    Multiplayer->SendToHost(PrependMessageID(
        GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_READY, Multiplayer->GetLocalPartyID(), local->Continued() ? 0 : 1)));
}

bool TMPLobby::CanStart()
{
    if (!Session) return false;
    const TSessionPlayers& players = Session->Players();
    if (players.CountHumans() < 2) return false;
    for (TSeat s = 1; s <= 4; ++s)
        if (!players.GetPlayer(s)->IsAI() && !players.GetPlayer(s)->Continued()) return false;
    return true;
}

bool TMPLobby::StartGame()
{
    if (!Multiplayer || !Multiplayer->IsHost() || !CanStart()) return false;
    AdminLog("Sending game start");
    Multiplayer->SendToPeers(PrependMessageID(GAMEMSG_LOBBY, PackLobbyMessage(LOBBY_GAME_START, 1, 1)));
    // Nobody new joins a game in progress; a member that drops keeps its place.
    Multiplayer->Party()->SetPartyState(PARTY_CLOSED);
    if (Gameflow) {
        Gameflow->NewGame(false);
        Gameflow->Trigger("GAME_STARTED", nullptr);
    }
    return true;
}

void TMPLobby::OnMessage(uint8_t sender, const std::vector<uint8_t>& body)
{
    if (!Multiplayer || !Session || body.size() < kLobbyMessageSize) return;
    const int32_t kind = ReadI32(body, 0);
    const int32_t value = ReadI32(body, 8);
    const bool host = Multiplayer->IsHost();
    TSeat from = 0;
    const bool seated = Session->Players().FindSeatByPartyID(sender, from);
    switch (kind) {
    case LOBBY_SEAT_REQUEST:
        AdminLog("Seat request: PartyID " + std::to_string(sender) + " wants seat " + std::to_string(value));
        if (host && seated && value >= 1 && value <= 4 && MoveToSeat(from, TSeat(value))) LobbyChanged();
        break;
    case LOBBY_READY:
        AdminLog("Received ReadyUp from PartyiD " + std::to_string(sender));
        if (host && seated) {
            Session->Players().GetPlayer(from)->SetContinue(value == 1);
            LobbyChanged();
        }
        break;
    case LOBBY_GAME_START:
        if (host || sender != 1) break;
        Multiplayer->Party()->SetPartyState(PARTY_CLOSED);
        if (Gameflow) {
            Gameflow->NewGame(false);
            Gameflow->Trigger("GAME_STARTED", nullptr);
        }
        break;
    default: break;
    }
}
