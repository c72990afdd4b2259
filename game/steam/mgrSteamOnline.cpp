#include "mgrSteamOnline.h"

#include "coreGameDiagnostics.h"
#include "mgrAchievements.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "qz7netsteam.h"
#include "qz7steam.h"

#include <cstdio>

namespace sw = plat::steamworks;

namespace {
const std::string kQuote = "\"";

std::string Padded(const std::string& text, size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}
}  // namespace

void RegisterSteamManagerVariant(TSteamVariant variant)
{
    if (variant != STEAM_ENABLED) {
        RegisterSteamManager();
        return;
    }
    RegisterManager(
        MGR_STEAM,
        []() -> std::unique_ptr<TManagerClass> {
            auto manager = std::make_unique<TSteamManagerOnline>();
            manager->QueuePostInitialize();
            return manager;
        },
        0,
        "Steam functionality", [](TManagerClass* m) { SteamManager = static_cast<TSteamManager*>(m); });
}

void TSteamManagerOnline::Start()
{
    isEditor_ = EditorVariant();
    if (isEditor_) return;
    TQZSteam* steam = layer_ ? layer_ : GetInstance<TQZSteam>(QZSLOT_STEAM);
    if (!steam || !steam->Initialised()) {
        AdminLog("Steam is not running: the Steam functions stay off");
        return;
    }
    steam_ = steam;
    joining_ = false;
    caption_.clear();
    AdminLog("Requesting Steam statistics");
    steam_->SetLogCallback([](const std::string& line) { AdminLog("STEAM: " + line); });
    steam_->Statistics()->SetStatsReceivedHandler([this](const sw::StatsReceived&) { OnStatsReceived(); });
    steam_->Statistics()->SetStatsStoredHandler([](const sw::StatsStored& s) {
        AdminLog("Steam statistics stored (result " + std::to_string(s.result) + ")");
    });
    steam_->Statistics()->SetGlobalStatsHandler([this](const sw::GlobalStatsReceived&) {
        globalTime_ = LocalNowDays();
        AdminLog("Global statistics updated");
    });
    steam_->Lobbies()->SetLobbyChangedHandler([this] { LobbyChanged(); });
    steam_->Lobbies()->SetLobbyLeftHandler([this] { LobbyChanged(); });
    steam_->Lobbies()->SetJoinRequestHandler([this](uint64_t lobby, uint64_t who) { OnJoinRequest(lobby, who); });
    // The shared game travels over Steam networking messages.
    RegisterSteamNetworkThread();
    if (queuePostInit_) AddPostInitCall([this] { PostInitialize(); });
}

void TSteamManagerOnline::PostInitialize()
{
    if (!steam_) return;
    steam_->Players()->SetPersonaHandler([this](const sw::PersonaChanged&) { UpdateRichPresence(); });
    const std::string name = GetLocalPlayerName();
    if (Settings) {
        SetSetting("Game.Playername", name);
        SetSetting("Multiplayer.Playername", name);
    }
    if (args_.size() >= 2 && args_[0] == "+connect_lobby") {
        AdminLog("Automatically joining lobby specified in command line...");
        JoinLobby(args_[1]);
    }
    for (const auto& board : leaderboards_) steam_->Leaderboards()->Find(board);
    ++statsPending_;
    steam_->Statistics()->RequestCurrentStats();
}

void TSteamManagerOnline::Process()
{
    if (steam_) steam_->RunFrame();
}

std::string TSteamManagerOnline::GetLocalPlayerName() const
{
    if (!steam_) return TSteamManager::GetLocalPlayerName();
    const std::string name = steam_->Players()->LocalPlayer().name;
    return name.empty() ? TSteamManager::GetLocalPlayerName() : name;
}

uint64_t TSteamManagerOnline::GetLocalSteamID() const { return steam_ ? steam_->GetSteamID() : 0; }

void TSteamManagerOnline::Notice(const std::string& text)
{
    if (Gameflow) Gameflow->Trigger("NOTICE", std::make_unique<TEventStringWrapper>(text));
}

void TSteamManagerOnline::JoinLobby(const std::string& id)
{
    if (!steam_) return;
    uint64_t lobby = 0;
    // Anything but a lobby number would join lobby 0 (nothing) or another.
    if (!ParseSteamId(id, lobby)) {
        AdminLog("Not a lobby id: \"" + id + "\" - nothing joined");
        return;
    }
    joining_ = true;
    steam_->Lobbies()->JoinLobby(lobby);
    Notice("Joining lobby");
}

void TSteamManagerOnline::OnJoinRequest(uint64_t lobby, uint64_t friendUser)
{
    joining_ = true;
    steam_->Lobbies()->JoinLobby(lobby);
    std::string name = SteamIdText(friendUser);
    for (const auto& f : steam_->Players()->Friends())
        if (f.id == friendUser) name = f.name;
    Notice("Joining player<br>*" + name + "*");
}

void TSteamManagerOnline::LobbyChanged()
{
    if (!steam_) return;
    ++lobbyChanges_;
    if (steam_->Lobbies()->InLobby()) {
        if (!joining_) return;
        const TQZSteamLobby& lobby = steam_->Lobbies()->Lobby();
        if (lobby.owner != steam_->GetSteamID()) {
            AdminLog("Have joined a lobby! Connecting to it's owner");
            if (StateEngine) StateEngine->PopUntil(STATE_MENU);
            if (Multiplayer) Multiplayer->JoinHost(SteamIdText(lobby.owner));
            // A screen not in this build is refused and logged inside.
            if (StateEngine) (void)StateEngine->PushById(STATE_CONNECTING, true);
            SetTableCaption("In multiplayer lobby: " + lobby.title);
            caption_ = lobby.title;
        }
        joining_ = false;
        return;
    }
    AdminLog("No longer in a lobby");
    SetTableCaption("");
}

void TSteamManagerOnline::LeaveLobby()
{
    if (!steam_ || !steam_->Lobbies()->InLobby()) return;
    steam_->Lobbies()->LeaveLobby();
    SetTableCaption("");
}

bool TSteamManagerOnline::InLobby() const { return steam_ && steam_->Lobbies()->InLobby(); }

void TSteamManagerOnline::UpdateRichPresence()
{
    if (!steam_ || !Session) return;
    TQZSteamCapPlayers* players = steam_->Players();
    const int32_t humans = Session->Players().CountHumans();
    players->SetRichPresence("score", std::to_string(Session->Score(1)) + " - " + std::to_string(Session->Score(2)));
    players->SetRichPresence("players", std::to_string(humans));
    players->SetRichPresence("mode", humans > 1 ? "Multiplayer" : "Single player");
    players->SetRichPresence("steam_player_group", humans > 1 ? caption_ : std::string());
    players->SetRichPresence("steam_player_group_size", humans > 1 ? std::to_string(humans) : "1");
}

void TSteamManagerOnline::OnStatsReceived()
{
    if (statsPending_ > 0) --statsPending_;
    AdminLog("Steam Statistics downloaded...");
    if (!Achievements) return;
    for (int32_t i = 0; i < Achievements->GetStatisticCount(); ++i) {
        const TStatisticRec& rec = Achievements->GetStatistic(i);
        int32_t steamValue = 0;
        if (!steam_->Statistics()->GetStat(rec.name, steamValue) || steamValue == rec.value) continue;
        char local[16];
        std::snprintf(local, sizeof(local), "%3d", rec.value);
        AdminLog(" Statistic " + Padded(kQuote + rec.name + kQuote, 28) + " has value " + local +
                 ", Steam's value is=" + std::to_string(steamValue));
        Achievements->SetStatistic(i, steamValue);
    }
}

void TSteamManagerOnline::AchievementChanged(const std::string& name)
{
    if (!steam_ || !Achievements) return;
    if (const TAchieveRec* rec = Achievements->GetAchievement(Achievements->IndexOfAchievement(name))) {
        // Set only in the client until stored: stored at once, so that it is
        // not lost with the session.
        if (steam_->Statistics()->SetAchievement(name, rec->unlocked)) steam_->Statistics()->StoreStats();
        return;
    }
    ShowWarning("Cannot find achievement " + kQuote + name + kQuote);
}
