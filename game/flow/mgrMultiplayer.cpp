#include "mgrMultiplayer.h"

#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mpPeer.h"
#include "qz7kvdata.h"
#include "qz7memory.h"
#include "qz7netparty.h"
#include "qz7netudp.h"

TMultiplayer* Multiplayer = nullptr;

void RegisterMultiplayerManager()
{
    RegisterManagerClass<TMultiplayer, &Multiplayer>(
        MGR_MULTIPLAYER, DomainBit(MGR_GAMEFLOW) | DomainBit(MGR_SESSION) | DomainBit(MGR_SETTINGS), "Multiplayer");
}

namespace {
constexpr const char* kMisereKey = "variation_misere";

void TriggerText(const std::string& name, const std::string& text)
{
    if (Gameflow) Gameflow->Trigger(name, std::make_unique<TEventStringWrapper>(text));
}

void TriggerEvent(const std::string& name, TQZClass* payload = nullptr)
{
    if (Gameflow) Gameflow->Trigger(name, payload);
}
}  // namespace

// ---------------------------------------------------------------- records

std::vector<uint8_t> PackChatLine(TSeat seat, const std::string& text, const std::string& name)
{
    TQZBytesStream stream;
    WriteStreamByte(stream, seat);
    WriteStreamString(stream, text.substr(0, kChatTextMax));
    WriteStreamString(stream, name.substr(0, kIdentityTextMax));
    return stream.Bytes();
}

bool UnpackChatLine(const std::vector<uint8_t>& body, TMPChatLine& line)
{
    TQZBytesStream stream(body);
    try {
        line.seat = ReadStreamByte(stream);
        line.text = ReadStreamString(stream);
        line.name = ReadStreamString(stream);
    } catch (const EQZReadError&) {
        return false;
    }
    line.text = line.text.substr(0, kChatTextMax);
    line.name = line.name.substr(0, kIdentityTextMax);
    return true;
}

std::vector<uint8_t> PackLobbyWelcome(const std::string& lobby)
{
    std::vector<uint8_t> body(kLobbyWelcomeSize, 0);
    const size_t n = std::min(lobby.size(), kLobbyNameMax);
    body[0] = uint8_t(n);
    std::copy(lobby.begin(), lobby.begin() + ptrdiff_t(n), body.begin() + 1);
    return body;
}

std::string UnpackLobbyWelcome(const std::vector<uint8_t>& body)
{
    if (body.empty()) return std::string();
    // The length byte is the sender's word: never more than is there.
    const size_t n = std::min({size_t(body[0]), kLobbyNameMax, body.size() - 1});
    return std::string(body.begin() + 1, body.begin() + 1 + ptrdiff_t(n));
}

// ---------------------------------------------------------------- set-up

TMultiplayer::~TMultiplayer()
{
    if (falcon_) {
        falcon_->SetLogCallback(nullptr, nullptr);
        falcon_->SetOnStateChange(nullptr, nullptr);
        Party()->SetOnChange(nullptr, nullptr);
    }
    Leave(false);
    if (falcon_) SetGameReceiver(falcon_.get(), nullptr);
    falcon_.reset();
    if (&MultiplayerLink() == this) SetMultiplayerLink(nullptr);
    if (Multiplayer == this) Multiplayer = nullptr;
}

void TMultiplayer::Initialize() { SetMultiplayerLink(this); }

TQZFalcon* TMultiplayer::GetFalcon()
{
    if (!falcon_) Init();
    return falcon_.get();
}

TQZPartyService* TMultiplayer::Party() { return GetFalcon()->GetPartyService(); }

void TMultiplayer::Init()
{
    AdminLog("INITIALIZING MULTIPLAYER");
    mainThread_ = std::this_thread::get_id();
    falcon_ = std::make_unique<TQZFalcon>(kMultiplayerSessionId, std::move(thread_));
    isMultiplayer_ = false;
    lobbyName_.clear();
    handlers_.Clear();
    falcon_->Peers().SetPeerClass(&TMPPeer::Make);
    SetGameReceiver(falcon_.get(), [this](TMPPeer& peer, const std::vector<uint8_t>& m) { Receive(peer, m); });
    falcon_->SetLogCallback(&TMultiplayer::OnLog, this);
    falcon_->SetOnStateChange(&TMultiplayer::OnStateChange, this);
    TQZPartyService* party = falcon_->GetPartyService();
    party->SetOnChange(&TMultiplayer::OnPartyChange, this);
    (void)party->SetMaxPartySize(4);  // refused only for sizes below one
    handlers_.Register(GAMEMSG_HELP, MakeMethod<&TMultiplayer::OnHelp>(this));
    handlers_.Register(GAMEMSG_CHAT, MakeMethod<&TMultiplayer::OnChat>(this));
    handlers_.Register(GAMEMSG_ACTION_REFUSED, MakeMethod<&TMultiplayer::OnRefused>(this));
    SetMultiplayerLink(this);
    if (Session) Session->Governor().RegisterHandlers();
    AdminLog("MULTIPLAYER INITIALIZED!");
}

void TMultiplayer::OnLog(void* user, const std::string& line)
{
    auto* self = static_cast<TMultiplayer*>(user);
    if (std::this_thread::get_id() == self->mainThread_) {
        AdminLog(line);
        return;
    }
    std::lock_guard<std::mutex> guard(self->logLock_);
    self->pendingLog_.push_back(line);
}

void TMultiplayer::FlushLog()
{
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> guard(logLock_);
        lines.swap(pendingLog_);
    }
    for (const auto& line : lines) AdminLog(line);
}

void TMultiplayer::Process()
{
    if (!falcon_) return;
    falcon_->Process();
    throttle_.Flush(GetNetTime(), [](const std::string& line) { AdminLog(line); });
    FlushLog();
}

void TMultiplayer::LogRepeated(const std::string& kind, const std::string& source, const std::string& line)
{
    throttle_.Repeated(kind, source, line, GetNetTime(), [](const std::string& l) { AdminLog(l); });
}

void TMultiplayer::LogRefusal(int32_t partyId, const std::string& line)
{
    LogRepeated("refused", "party " + std::to_string(partyId), line);
}

void TMultiplayer::SetLocalIdentity()
{
    TSessionPlayer* local = Session ? Session->Players().LocalPlayer() : nullptr;
    TQZIdentity identity;
    identity.name = local ? local->Name() : LocalPlayerName();
    AdminLog("Setting LocalIdentity to \"" + identity.name + "\"");
    // The identity outlives a game (a new game gives the local player a new
    // one), so a player who comes back is known as the one who left; and it
    // is drawn from the system's randomness, not the game's (seeded) one.
    if (localGuid_ == TPlayerGUID{}) localGuid_ = MakeIdentity(identity.name).guid;
    identity.guid = localGuid_;
    GetFalcon()->SetIdentity(identity);
}

void TMultiplayer::JoinHost(const std::string& address, uint16_t port)
{
    SetLocalIdentity();
    GetFalcon()->SetPort(port);
    hostAddress_ = ClampNetAddress(address);
    hostPort_ = port;
    wasConnected_ = false;
    if (int32_t result = falcon_->Open(ClampNetAddress(address)); result != QZRES_OK)
        WriteLog("Unable to open the session to " + hostAddress_ + ": " + ResultText(result));
    if (Session) Session->Governor().SetAuthority(false);
    SetIsMultiplayer(true);
}

bool TMultiplayer::Host(uint16_t port, const std::string& lobbyName)
{
    SetLocalIdentity();
    GetFalcon()->SetPort(port);
    if (falcon_->Host() != 0) return false;
    lobbyName_ = lobbyName.substr(0, kLobbyNameMax);
    if (Session) Session->Governor().SetAuthority(true);
    Party()->SetPartyState(PARTY_OPEN);
    if (Gameflow) Gameflow->Subscribe("LOBBY_CHANGED", MakeMethod<&TMultiplayer::OnLobbyChanged>(this));
    SetIsMultiplayer(true);
    return true;
}

uint16_t TMultiplayer::LocalPort() const
{
    if (!falcon_) return 0;
    if (auto* udp = dynamic_cast<TQZUdpNetworkThread*>(falcon_->Thread())) return udp->LocalPort();
    return falcon_->Port();
}

void TMultiplayer::Leave(bool backToMenu)
{
    if (falcon_ && isMultiplayer_) {
        SetIsMultiplayer(false);
        falcon_->Close();
        if (Session) {
            Session->Governor().SetAuthority(true);
            Session->SetHostMisere(std::nullopt);
        }
        if (Gameflow) Gameflow->Unsubscribe("LOBBY_CHANGED", MakeMethod<&TMultiplayer::OnLobbyChanged>(this));
        if (backToMenu && Gameflow) Gameflow->ResetForNewGame();
    }
    if (SteamManager) SteamManager->LeaveLobby();
}

void TMultiplayer::SetIsMultiplayer(bool value)
{
    AdminLog(std::string("TMultiplayer.SetIsMultiplayer(Value=") + (value ? "true" : "false") + ")");
    isMultiplayer_ = value;
}

bool TMultiplayer::IsHost() const { return isMultiplayer_ && falcon_ && falcon_->IsHost(); }

uint8_t TMultiplayer::GetLocalPartyID()
{
    if (!isMultiplayer_) return 1;
    return Party()->LocalPartyId();
}

// ---------------------------------------------------------------- sending

void TMultiplayer::Send(TMPPeer& peer, const std::vector<uint8_t>& message)
{
    ++traffic_.messagesSent;
    traffic_.bytesSent += int64_t(message.size());
    peer.Send(message);
}

void TMultiplayer::SendToPeers(const std::vector<uint8_t>& message)
{
    if (!falcon_) return;
    for (const auto& peer : falcon_->Peers().ConnectedPeers()) {
        if (!peer->Answered()) continue;
        if (auto* p = dynamic_cast<TMPPeer*>(peer.get())) Send(*p, message);
    }
}

void TMultiplayer::SendToHost(const std::vector<uint8_t>& message)
{
    if (!falcon_) return;
    std::shared_ptr<TQZPeer> host = IsHost() ? nullptr : falcon_->Peers().First();
    if (auto* p = dynamic_cast<TMPPeer*>(host.get())) Send(*p, message);
}

void TMultiplayer::SubmitAction(const TGovernAction& action)
{
    AdminLog("Submitting " + ActionTypeName(action.Type()) + " action to host");
    SendToHost(PrependMessageID(GAMEMSG_ACTION_SUBMITTED, action.SaveTo()));
}

void TMultiplayer::BroadcastAction(const TGovernAction& action)
{
    AdminLog("Sending " + ActionTypeName(action.Type()) + " action to other players");
    SendToPeers(PrependMessageID(GAMEMSG_ACTION_BROADCAST, action.SaveTo()));
}

void TMultiplayer::SendToHost(int32_t messageId, const std::vector<uint8_t>& bytes)
{
    SendToHost(PrependMessageID(messageId, bytes));
}

void TMultiplayer::Broadcast(int32_t messageId, const std::vector<uint8_t>& bytes)
{
    SendToPeers(PrependMessageID(messageId, bytes));
}

void TMultiplayer::SendToPlayer(int32_t partyId, int32_t messageId, const std::vector<uint8_t>& bytes)
{
    if (!falcon_ || partyId <= 0 || partyId > 255) return;
    std::shared_ptr<TQZPeer> peer = Party()->GetMemberPeer(uint8_t(partyId));
    if (auto* p = dynamic_cast<TMPPeer*>(peer.get())) Send(*p, PrependMessageID(messageId, bytes));
}

void TMultiplayer::RegisterHandler(int32_t messageId, THandler handler)
{
    handlers_.Register(messageId, [handler](uint8_t partyId, const std::vector<uint8_t>& body) { handler(body, partyId); });
}

void TMultiplayer::SendAction(const std::string& text, const std::string& name, TSeat seat)
{
    if (!isMultiplayer_) return;
    const std::vector<uint8_t> message = PrependMessageID(GAMEMSG_CHAT, PackChatLine(seat, text, name));
    if (IsHost()) {
        if (Session && seat == Session->LocalSeat()) {
            TMPChatLine line;
            line.seat = seat;
            line.text = text.substr(0, kChatTextMax);
            line.name = name;
            ShowChat(line);
        }
        SendToPeers(message);
    } else {
        SendToHost(message);
    }
}

void TMultiplayer::SendSessionUpdate()
{
    if (!Session) return;
    TQZKeyValue tree("samegameQar");
    Session->SaveTo(&tree);
    // What a client may offer follows the host's rules.
    tree.SetBool(kMisereKey, SettingBool("Variation.Misere"));
    const std::vector<uint8_t> bytes = tree.SaveToBytes();
    AdminLog("Generate session data.. size " + std::to_string(bytes.size()));
    const std::vector<uint8_t> message = PrependMessageID(GAMEMSG_SESSION_UPDATE, bytes);
    AdminLog("Sending session update size " + std::to_string(message.size()) + " to all clients.");
    SendToPeers(message);
}

void TMultiplayer::OnLobbyChanged(TQZClass*) { SendSessionUpdate(); }

// ---------------------------------------------------------------- receiving

uint8_t TMultiplayer::SenderOf(TQZPeer* peer)
{
    if (!falcon_ || !peer || !peer->IsConnected()) return 0;
    if (!falcon_->IsHost()) return falcon_->Peers().First().get() == peer ? 1 : 0;
    for (const TQZPartyMember& m : Party()->Members())
        if (m.partyId != 1 && m.Present() && m.peer.lock().get() == peer) return m.partyId;
    return 0;
}

bool TMultiplayer::Accepts(int32_t id, uint8_t sender) const
{
    if (sender == 0) return false;
    const bool host = IsHost();
    switch (id) {
    // The host's word: only a client takes it, and only from the host.
    case GAMEMSG_LOBBY_WELCOME:
    case GAMEMSG_SESSION_UPDATE:
    case GAMEMSG_ACTION_BROADCAST:
    case GAMEMSG_ACTION_REFUSED: return !host && sender == 1;
    // A client's requests: only the host takes them.
    case GAMEMSG_ACTION_SUBMITTED: return host;
    case GAMEMSG_CHAT: return host || sender == 1;
    // Its handler answers on the host and says it is ignored elsewhere.
    case GAMEMSG_HELP: return true;
    default: return true;  // the lobby checks roles itself; unknown ids find no handler
    }
}

void TMultiplayer::Receive(TMPPeer& peer, const std::vector<uint8_t>& message)
{
    int32_t id = 0;
    std::vector<uint8_t> body;
    ++traffic_.messagesReceived;
    traffic_.bytesReceived += int64_t(message.size());
    if (!isMultiplayer_ || !SplitMessageID(message, id, body)) return;
    const uint8_t sender = SenderOf(&peer);
    if (!Accepts(id, sender)) {
        LogRepeated("dropped " + std::to_string(id), peer.PlainAddress(),
                    "Dropped game message " + std::to_string(id) + " from party " + std::to_string(sender));
        return;
    }
    if (id == GAMEMSG_LOBBY_WELCOME) ReceiveWelcome(body);
    else if (id == GAMEMSG_SESSION_UPDATE) ReceiveSessionUpdate(body);
    else handlers_.Dispatch(id, sender, body);
}

void TMultiplayer::ReceiveWelcome(const std::vector<uint8_t>& body)
{
    lobbyName_ = UnpackLobbyWelcome(body);
    AdminLog("Lobby welcome received! Lobby=" + lobbyName_);
    TriggerEvent("LOBBY_WELCOME");
}

void TMultiplayer::ReceiveSessionUpdate(const std::vector<uint8_t>& body)
{
    AdminLog("Receive session data... size " + std::to_string(body.size()));
    TQZKeyValue tree("savegameQar");
    if (!Session || !tree.LoadFromBytes(body) || !Session->LoadFrom(&tree)) {
        AdminLog("Session data refused");
        return;
    }
    // The host's copy names the host's own seat local: here only the seat
    // of this machine's player is.
    for (TSeat s = 1; s <= 4; ++s) {
        TSessionPlayer* p = Session->Players().GetPlayer(s);
        p->SetLocalControl(p->GUID() == localGuid_);
    }
    const std::string misere = tree.GetString(kMisereKey);
    Session->SetHostMisere(misere.empty() ? std::nullopt : std::optional<bool>(tree.GetBool(kMisereKey, false)));
    if (Gameflow) Gameflow->SetViewSeat();
    TriggerEvent("LOBBY_CHANGED");
}

void TMultiplayer::OnHelp(uint8_t partyId, const std::vector<uint8_t>&)
{
    if (!IsHost()) {
        AdminLog("Received a STUCK HELP message, but not the host - ignored");
        return;
    }
    AdminLog("Received HELP message from #" + std::to_string(partyId) + "! Sending full session info");
    TriggerEvent("LOBBY_CHANGED");
}

void TMultiplayer::OnChat(uint8_t partyId, const std::vector<uint8_t>& body)
{
    TMPChatLine line;
    if (!UnpackChatLine(body, line)) {
        AdminLog("Dropped a chat message whose lengths do not fit");
        return;
    }
    if (IsHost()) {
        // The line goes out as the seat and name of the member who sent it,
        // whatever the record claims.
        TSeat seat = 0;
        if (!Session || !Session->Players().FindSeatByPartyID(partyId, seat)) return;
        line.seat = seat;
        line.name = Session->Players().GetPlayer(seat)->Name();
        SendAction(line.text, line.name, line.seat);
    }
    ShowChat(line);
}

void TMultiplayer::ShowChat(const TMPChatLine& line)
{
    TMPChatLine copy;
    copy.seat = line.seat;
    copy.text = line.text;
    copy.name = line.name;
    TriggerEvent("CHAT_MESSAGE", &copy);
}

void TMultiplayer::OnRefused(uint8_t, const std::vector<uint8_t>& body)
{
    TMPRefusedAction refused;
    if (!UnpackRefusal(body, refused.reason, refused.action)) return;
    refused.text = "The host did not accept that move (" + refused.reason + ")";
    AdminLog("Refused by the host: " + (Session ? refused.action->Describe(*Session) : ActionTypeName(refused.action->Type())) +
             " (" + refused.reason + ")");
    TriggerEvent("ACTION_REFUSED", &refused);
    TriggerText("NOTICE", refused.text);
}

// ---------------------------------------------------------------- party

void TMultiplayer::OnPartyChange(void* user, const TQZPartyChange& change)
{
    static_cast<TMultiplayer*>(user)->PartyChanged(change);
}

std::string TMultiplayer::MemberName(uint8_t id) { return Party()->GetMember(id).identity.name; }

void TMultiplayer::PartyChanged(const TQZPartyChange& change)
{
    const bool self = change.partyId == Party()->LocalPartyId();
    switch (change.event) {
    case PARTY_JOINED:
        if (IsHost()) OnPlayerJoinedParty(change.partyId);
        if (!self) TriggerText("PLAYER_JOINED", MemberName(change.partyId));
        break;
    case PARTY_LEAVE:
        // The host's notice comes with the seat it frees (once).
        if (IsHost()) OnPlayerLeftParty(change.partyId);
        else if (!self) TriggerText("PLAYER_LEFT", MemberName(change.partyId));
        break;
    case PARTY_DISCONNECT: AdminLog("PLAYER DISCONNECTED! " + std::to_string(change.partyId)); break;
    case PARTY_DISBANDED:
        // A disband left over from a session already closed must not end
        // the one being joined now.
        if (isMultiplayer_ && falcon_->State() == FS_DISCONNECTED) HostLost();
        break;
    default: break;
    }
    if (SteamManager) SteamManager->PlayerDisconnected();
}

void TMultiplayer::HostLost()
{
    AdminLog("Multiplayer disconnected");
    TriggerText("NOTICE", "Multiplayer disconnected");
    Leave(true);
}

void TMultiplayer::OnStateChange(void* user, TQZFalcon*) { static_cast<TMultiplayer*>(user)->SessionStateChanged(); }

void TMultiplayer::SessionStateChanged()
{
    const TQZFalconState state = falcon_->State();
    if (state == FS_CLIENT_CONNECTED) wasConnected_ = true;
    // A host that vanished without its goodbye: the client's link times out
    // and nothing else would end its game.
    if (state == FS_DISCONNECTED && wasConnected_ && isMultiplayer_ && !falcon_->IsHost()) {
        wasConnected_ = false;
        HostLost();
    }
}

void TMultiplayer::OnPlayerJoinedParty(uint8_t id)
{
    AdminLog("HOST - New Player Joined Party (PartyID=" + std::to_string(id) + ")");
    if (!Session) return;
    const TQZPartyMember member = Party()->GetMember(id);
    TSessionPlayers& players = Session->Players();
    TSeat seat = 0;
    if (players.FindSeatByPartyID(id, seat) && !players.GetPlayer(seat)->IsLocal() &&
        players.GetPlayer(seat)->GUID() == member.identity.guid) {
        // Back within the grace of its disconnect: the seat waited for it.
        AdminLog("HOST - Player " + member.identity.name + " takes seat " + std::to_string(seat) + " again");
    } else if (players.FindAISeat(seat)) {
        players.GetPlayer(seat)->MakeRemote(id, member.identity.guid, member.identity.name);
    } else {
        AdminLog("ERROR - No player spot available for them!");
        return;
    }
    SendToPlayer(id, GAMEMSG_LOBBY_WELCOME, PackLobbyWelcome(lobbyName_));
    AdminLog("Generate lobby welcome, " + lobbyName_ + ", size " + std::to_string(kLobbyWelcomeSize + 4));
    SendSessionUpdate();
}

void TMultiplayer::OnPlayerLeftParty(uint8_t id)
{
    AdminLog("HOST - Player left Party (PartyID=" + std::to_string(id) + ")");
    if (!Session) return;
    TSeat seat = 0;
    if (id != 1 && Session->Players().FindSeatByPartyID(id, seat)) {
        TSessionPlayer* p = Session->Players().GetPlayer(seat);
        TriggerText("PLAYER_LEFT", p->Name());
        p->MakeAI();
        SendSessionUpdate();
    }
    if (Session->Players().CountHumans() < 2 && !(SteamManager && SteamManager->InLobby())) {
        AdminLog("Last remote player has left; no longer multiplayer");
        Leave(false);
    }
}
