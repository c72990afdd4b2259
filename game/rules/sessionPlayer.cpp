#include "sessionPlayer.h"

#include "qz7kvdata.h"
#include "qz7text.h"
#include "coreGameDiagnostics.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "GameTextHelpers.h"

#include <cstdio>

namespace {
// Enough draws to find three different names in any sensible list; with a
// list too short the last draw is kept, repeated or not.
constexpr int kMaxNameDraws = 64;
}  // namespace

std::string GUIDToText(const TPlayerGUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[0],
                  g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return buf;
}

bool GUIDFromText(const std::string& text, TPlayerGUID& guid)
{
    std::string hex;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
        else if (c != '{' && c != '}' && c != '-') return false;
    if (hex.size() != 32) return false;
    for (int i = 0; i < 16; ++i) guid[i] = static_cast<uint8_t>(std::stoi(hex.substr(i * 2, 2), nullptr, 16));
    return true;
}

TSessionPlayer::TSessionPlayer(TSeat seat) : seat_(seat)
{
    if (seat == 1) {
        MakeLocal();
    } else {
        type_ = PLAYER_AI;
        avatar_ = AVATAR_TILE;
        RandomTile();
        name_ = "UNNAMED AI";
        partyId_ = 0;
        NewGUID();
    }
}

void TSessionPlayer::NewGUID()
{
    for (auto& b : guid_) b = static_cast<uint8_t>(RandomInt(256));
}

void TSessionPlayer::RandomTile() { tile_ = TQZPoint{RandomBetween(0, 7), RandomBetween(0, 7)}; }

void TSessionPlayer::MakeLocal()
{
    name_ = LocalPlayerName();
    type_ = PLAYER_LOCAL;
    avatar_ = AVATAR_LOCAL;
    partyId_ = 1;
    // The editor's build names the local player by its SteamID.
    if (EditorVariant()) {
        guid_ = GuidFromUInt64(LocalSteamID());
    } else {
        NewGUID();
    }
}

void TSessionPlayer::MakeAI()
{
    type_ = PLAYER_AI;
    avatar_ = AVATAR_TILE;
    name_ = OpponentName();
    if (!EditorVariant()) RandomTile();
    partyId_ = 0;
}

void TSessionPlayer::SetLocalControl(bool local)
{
    if (type_ == PLAYER_AI) return;
    type_ = local ? PLAYER_LOCAL : PLAYER_REMOTE;
    avatar_ = local ? AVATAR_LOCAL : AVATAR_REMOTE;
}

void TSessionPlayer::MakeRemote(int32_t partyId, const TPlayerGUID& guid, const std::string& name)
{
    type_ = PLAYER_REMOTE;
    avatar_ = AVATAR_REMOTE;
    partyId_ = partyId;
    guid_ = guid;
    name_ = name;
}

bool TSessionPlayer::IsComputerControlled() const
{
    return type_ == PLAYER_AI || (type_ == PLAYER_LOCAL && SettingBool("Debug.AutoPlay"));
}

int32_t TSessionPlayer::AvatarIconId() const
{
    switch (avatar_) {
    case AVATAR_TILE: return 0;
    case AVATAR_LOCAL: return 14;
    case AVATAR_REMOTE: return 15;
    default: return 16;
    }
}

TSessionPlayers::TSessionPlayers(bool randomizeNames)
{
    for (TSeat s = 1; s <= 4; ++s) players_[s - 1] = std::make_unique<TSessionPlayer>(s);
    if (randomizeNames) RandomizeNames();
}

// Players are replaced in place: the table's widgets and the computer
// players hold on to their hands across a new game or a load.
void TSessionPlayers::Reset()
{
    for (TSeat s = 1; s <= 4; ++s) *players_[s - 1] = TSessionPlayer(s);
    if (!EditorVariant()) RandomizeNames();
}

TSessionPlayer* TSessionPlayers::LocalPlayer() const
{
    for (const auto& p : players_)
        if (p->IsLocal()) return p.get();
    WriteLog("Error: No local player detected! Breakdown:");
    for (const auto& p : players_)
        WriteLog("   PlayerId[" + std::to_string(p->SeatId()) + "] type=" + PlayerKindName(p->PlayerType()) +
                 " control=" + std::to_string(p->PartyId()));
    return nullptr;
}

bool TSessionPlayers::FindAISeat(TSeat& seat) const
{
    for (const auto& p : players_)
        if (p->IsAI()) {
            seat = p->SeatId();
            return true;
        }
    return false;
}

bool TSessionPlayers::FindSeatByPartyID(int32_t id, TSeat& seat) const
{
    for (const auto& p : players_)
        if (p->PartyId() == id) {
            seat = p->SeatId();
            return true;
        }
    return false;
}

int32_t TSessionPlayers::CountHumans() const
{
    int32_t n = 0;
    for (const auto& p : players_) n += p->PlayerType() != PLAYER_AI ? 1 : 0;
    return n;
}

bool TSessionPlayers::AllContinued() const
{
    for (const auto& p : players_)
        if (!p->IsAI() && !p->Continued()) return false;
    return true;
}

void TSessionPlayers::SetAllContinue(bool value)
{
    for (auto& p : players_) p->SetContinue(value);
}

std::string TSessionPlayers::TeamName(TTeam team) const
{
    if (team != 1 && team != 2) return "??";
    TSeat a, b;
    TeamSeats(team, a, b);
    return players_[a - 1]->Name() + " & " + players_[b - 1]->Name();
}

void TSessionPlayers::SwapPlayers(TSeat a, TSeat b)
{
    if (!IsSeat(a) || !IsSeat(b)) return;
    AdminLog("Swapping players " + std::to_string(a) + " and " + std::to_string(b));
    std::swap(players_[a - 1], players_[b - 1]);
    players_[a - 1]->SetSeatId(a);
    players_[b - 1]->SetSeatId(b);
}

void TSessionPlayers::RandomizeNames()
{
    for (TSeat s = 1; s <= 4; ++s) {
        TSessionPlayer* p = players_[s - 1].get();
        if (!p->IsAI()) continue;
        std::string name;
        for (int draw = 0; draw < kMaxNameDraws; ++draw) {
            name = OpponentName();
            bool taken = false;
            for (TSeat o = 1; o <= 4; ++o)
                if (o != s && players_[o - 1]->Name() == name) taken = true;
            if (!taken) break;
        }
        AdminLog("Player " + std::to_string(s) + " name randomized as \"" + name + "\"");
        p->SetName(name);
        p->RandomTile();
    }
}

bool TSessionPlayer::LoadFrom(TQZKeyValue* node)
{
    if (!node) return false;
    int32_t seat = TextToIntDef(node->GetString("PlayerID"), 0);
    int32_t type = TextToIntDef(node->GetString("PlayerType"), -1);
    int32_t avatar = TextToIntDef(node->GetString("Avatar"), -1);
    // The editor's build keeps no avatar tile.
    TQZPoint tile = EditorVariant() ? TQZPoint{} : node->GetPoint("AvatarSubIcon");
    if (!IsSeat(seat) || type < PLAYER_LOCAL || type > PLAYER_AI || avatar < AVATAR_LOCAL || avatar > AVATAR_REMOTE)
        return false;
    if (tile.x < 0 || tile.x > 7 || tile.y < 0 || tile.y > 7) return false;
    TCardset hand;
    if (!hand.FromTextChecked(node->GetString("Hand")) || hand.Count() > 13) return false;
    for (int32_t i = 1; i <= hand.Count(); ++i)
        if (!IsCardInDeck(hand.Get(i))) return false;
    TPlayerGUID guid{};
    if (!GUIDFromText(node->GetString("GUID"), guid)) return false;
    // A missing party id reads as 0; one that is there must be a number.
    int32_t partyId = 0;
    std::string partyText = node->GetString("PartyID");
    if (!partyText.empty() && !TextToIntChecked(partyText, partyId)) return false;
    name_ = node->GetString("Name");
    seat_ = TSeat(seat);
    type_ = TPlayerType(type);
    avatar_ = TAvatarKind(avatar);
    tile_ = tile;
    partyId_ = partyId;
    hand_ = hand;
    guid_ = guid;
    continue_ = node->GetBool("Continue", false);
    return true;
}

void TSessionPlayer::SaveTo(TQZKeyValue* node) const
{
    node->SetString("Name", name_);
    node->SetInt("PlayerID", seat_);
    node->SetInt("PlayerType", type_);
    node->SetInt("Avatar", avatar_);
    if (!EditorVariant()) node->SetPoint("AvatarSubIcon", tile_);
    node->SetInt("PartyID", partyId_);
    node->SetString("Hand", hand_.ToText());
    node->SetString("GUID", GUIDToText(guid_));
    node->SetBool("Continue", continue_);
}

bool TSessionPlayers::LoadFrom(TQZKeyValue* node)
{
    if (!node) return false;
    std::unique_ptr<TSessionPlayer> loaded[4];
    for (TSeat s = 1; s <= 4; ++s) {
        TQZKeyValue* child = node->FindNode("Player[" + std::to_string(s) + "]", false);
        loaded[s - 1] = std::make_unique<TSessionPlayer>(s);
        if (!loaded[s - 1]->LoadFrom(child) || loaded[s - 1]->SeatId() != s) return false;
    }
    for (int i = 0; i < 4; ++i) *players_[i] = std::move(*loaded[i]);
    return true;
}

void TSessionPlayers::SaveTo(TQZKeyValue* node) const
{
    for (TSeat s = 1; s <= 4; ++s) players_[s - 1]->SaveTo(node->GetNode("Player[" + std::to_string(s) + "]"));
}
