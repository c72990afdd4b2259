// The occupant of a seat (this machine's player, a remote player or a
// computer opponent) with name, avatar, identity and hand; and the four seats.
#pragma once

#include "qz7core.h"
#include "clCardset.h"

#include <array>
#include <memory>
#include <string>

class TQZKeyValue;

enum TPlayerType : int32_t { PLAYER_LOCAL = 0, PLAYER_REMOTE = 1, PLAYER_AI = 2 };
enum TAvatarKind : int32_t { AVATAR_LOCAL = 0, AVATAR_TILE = 1, AVATAR_DEFAULT = 2, AVATAR_REMOTE = 3 };

using TPlayerGUID = std::array<uint8_t, 16>;
std::string GUIDToText(const TPlayerGUID& guid);
[[nodiscard]] bool GUIDFromText(const std::string& text, TPlayerGUID& guid);

class TSessionPlayer {
public:
    explicit TSessionPlayer(TSeat seat);

    void MakeLocal();
    void MakeAI();
    void MakeRemote(int32_t partyId, const TPlayerGUID& guid, const std::string& name);
    // A person's seat as seen from this machine: its own player (local) or
    // another machine's (remote); name, identity and party id stay. Computer
    // seats are left as they are.
    void SetLocalControl(bool local);

    TPlayerType PlayerType() const { return type_; }
    bool IsAI() const { return type_ == PLAYER_AI; }
    bool IsLocal() const { return type_ == PLAYER_LOCAL; }
    bool IsComputerControlled() const;
    // The resource icon shown for the avatar; 0 for a tile of the sheet.
    int32_t AvatarIconId() const;

    TCardset& Hand() { return hand_; }
    const TCardset& Hand() const { return hand_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    TSeat SeatId() const { return seat_; }
    void SetSeatId(TSeat seat) { seat_ = seat; }
    int32_t PartyId() const { return partyId_; }
    const TPlayerGUID& GUID() const { return guid_; }
    TAvatarKind AvatarKind() const { return avatar_; }
    TQZPoint AvatarTile() const { return tile_; }
    void RandomTile();
    bool Continued() const { return continue_; }
    void SetContinue(bool value) { continue_ = value; }

    // Reads a saved player; false (nothing changed) when a value is out of
    // range or the hand is not made of deck cards.
    [[nodiscard]] bool LoadFrom(TQZKeyValue* node);
    void SaveTo(TQZKeyValue* node) const;

private:
    void NewGUID();

    TCardset hand_;
    TPlayerGUID guid_{};
    TAvatarKind avatar_ = AVATAR_DEFAULT;
    TQZPoint tile_{};
    int32_t partyId_ = 0;
    std::string name_;
    TSeat seat_ = 1;
    TPlayerType type_ = PLAYER_AI;
    bool continue_ = false;
};

class TSessionPlayers {
public:
    TSessionPlayers() : TSessionPlayers(true) {}
    // Without the random names: a set about to be loaded.
    explicit TSessionPlayers(bool randomizeNames);
    void Reset();
    TSessionPlayer* GetPlayer(TSeat seat) { return IsSeat(seat) ? players_[seat - 1].get() : nullptr; }
    const TSessionPlayer* GetPlayer(TSeat seat) const { return IsSeat(seat) ? players_[seat - 1].get() : nullptr; }
    TSessionPlayer* LocalPlayer() const;
    bool FindAISeat(TSeat& seat) const;
    bool FindSeatByPartyID(int32_t id, TSeat& seat) const;
    int32_t CountHumans() const;
    bool AllContinued() const;
    void SetAllContinue(bool value);
    std::string TeamName(TTeam team) const;
    void SwapPlayers(TSeat a, TSeat b);
    void RandomizeNames();

    [[nodiscard]] bool LoadFrom(TQZKeyValue* node);
    void SaveTo(TQZKeyValue* node) const;

private:
    std::unique_ptr<TSessionPlayer> players_[4];
};
