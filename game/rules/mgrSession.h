// The game in progress: players and hands, the deck, the auction, the
// tricks, the scores, the status of the hand and the prompt line, and the
// governor through which every change arrives. It owns no drawing; the board
// follows it through two hooks.
#pragma once

#include "coreManager.h"
#include "mgrTimers.h"
#include "clCardset.h"
#include "sessionBidding.h"
#include "sessionGovernor.h"
#include "sessionPlayer.h"
#include "sessionTricks.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQZKeyValue;

enum TSessionStatus : int32_t {
    STATUS_STARTING = 0,
    STATUS_DEALING = 1,
    STATUS_BIDDING = 2,
    STATUS_BID_COMPLETE = 3,
    STATUS_KITTY = 4,
    STATUS_PLAYING = 5,
};

enum TCardMoveKind : int32_t { MOVE_DEAL = 0, MOVE_DISCARD = 1, MOVE_PLAY = 2 };

struct TCardMove {
    TSeat seat = 0;
    TCard card = 0;
    int32_t kind = MOVE_DEAL;
    uint32_t timerId = 0;  // 0 when the move completed at once
    int32_t duration = 0;  // milliseconds
};

using TCardMoveHook = TQZMethod<void(const TCardMove&)>;
using TCardPlayedHook = TQZMethod<void(TSeat seat, bool trumpedIn)>;

constexpr const char* kSavedGameVersion = "Version 1.90";

class TSession : public TManagerClass {
public:
    TSession();
    ~TSession() override;
    void Initialize() override;

    void NewGame(TSeat seat);
    void NewHand(const std::string& deckText);
    void StartBidding();
    // Ends the auction: with a contract the hand goes on to the bid-complete
    // status; when every seat passed the hand is thrown in unscored and the
    // next hand is dealt by the next opening seat.
    void CompleteBidding();
    void StartPlay();
    TContract GetContract() const;
    bool HasContract() const { return bidding_.HasContract(); }
    void MoveCard(TSeat seat, TCard card, TCardMoveKind kind);
    bool MoveInProgress() const { return !moves_.empty(); }
    int32_t MovesInFlight(TCardMoveKind kind) const;
    // Cards still flying into the seat's hand (dealt, or the kitty).
    int32_t CardsComing(TSeat seat) const;
    // Lands every card still moving.
    void FinishMoves();
    // The deal and the kitty take the deck's last card one at a time (the
    // screens pace them): the deal to each seat in turn until three are
    // left, the kitty to the declarer until none is. Every peer deals the
    // same cards to the same seats, whatever its cardset draws on top.
    // CardsLeftToDeal is 0 outside those two statuses.
    int32_t CardsLeftToDeal() const;
    void DealNextCard();
    // Deals all that is left at once and lands it: a table left half way
    // through a deal leaves no half-dealt hand for a saved game or a
    // recording to keep.
    void DealOutNow();
    void ScoreHand();
    void ProcessActions() { governor_->ProcessQueue(); }
    bool GameInProgress() const;
    // The team that has won the game (team 1 looked at first), or 0.
    TTeam WinningTeam() const;

    int32_t HandsWon(TTeam team) const { return team == 1 ? handsWon_[0] : team == 2 ? handsWon_[1] : 0; }
    int32_t Score(TTeam team) const { return team == 1 ? score_[0] : team == 2 ? score_[1] : 0; }
    void SetScore(TTeam team, int32_t score)
    {
        if (team == 1 || team == 2) score_[team - 1] = score;
    }
    int32_t LastHandPoints(TTeam team) const { return team == 1 ? lastPoints_[0] : team == 2 ? lastPoints_[1] : 0; }
    TTeam LastHandTeam() const { return lastTeam_; }
    const std::string& ResultText() const { return resultText_; }
    const std::string& Prompt() const { return prompt_; }
    void SetPrompt(const std::string& text) { prompt_ = text; }
    TSessionStatus Status() const { return status_; }
    void SetStatus(TSessionStatus status) { status_ = status; }
    int32_t ViewRotation() const { return viewRotation_; }
    void SetViewRotation(int32_t value) { viewRotation_ = value; }
    TSeat LocalSeat() const;
    int32_t MoveCount(TSeat seat) const { return IsSeat(seat) ? moveCount_[seat - 1] : 0; }

    TCardset& Deck() { return deck_; }
    const TCardset& Deck() const { return deck_; }
    TCardset& OutOfPlay() { return outOfPlay_; }
    const TCardset& OutOfPlay() const { return outOfPlay_; }
    TSessionPlayers& Players() { return *players_; }
    const TSessionPlayers& Players() const { return *players_; }
    TSessionBidding& Bidding() { return bidding_; }
    const TSessionBidding& Bidding() const { return bidding_; }
    TSessionTricks& Tricks() { return tricks_; }
    const TSessionTricks& Tricks() const { return tricks_; }
    TSessionGovernor& Governor() { return *governor_; }
    const TSessionGovernor& Governor() const { return *governor_; }
    TCardset& HandOf(TSeat seat) { return players_->GetPlayer(seat)->Hand(); }
    const TCardset& HandOf(TSeat seat) const { return players_->GetPlayer(seat)->Hand(); }

    // Whether misere may be bid: in a shared game the host's setting, which a
    // client learns with the session update, else this machine's own
    // "Variation.Misere". Bidding panels offer only what this allows.
    bool MisereAllowed() const;
    void SetHostMisere(std::optional<bool> allowed) { hostMisere_ = allowed; }

    void SetCardMoveHook(TCardMoveHook hook) { moveHook_ = hook; }
    void SetCardPlayedHook(TCardPlayedHook hook) { playedHook_ = hook; }
    const TCardMoveHook& CardMoveHook() const { return moveHook_; }
    const TCardPlayedHook& CardPlayedHook() const { return playedHook_; }

    // The saved game. Loading checks the whole file before anything changes;
    // a bad file leaves the session as it was, with a warning.
    [[nodiscard]] bool LoadGame(const std::string& file);
    [[nodiscard]] bool SaveGame(const std::string& file);
    [[nodiscard]] bool LoadFrom(TQZKeyValue* node);
    void SaveTo(TQZKeyValue* node) const;

private:
    // Where a moving card ends up: a hand, or the table and the trick.
    struct TCardPlaces {
        TCardset* deck;
        TCardset* hands[4];
        TSessionTricks* tricks;
    };
    int32_t OnCardMoveDone(int64_t serial, uint32_t key);
    void LandMove(const TCardMove& move);
    void PlaceCard(const TCardMove& move, const TCardPlaces& places) const;

    int32_t moveCount_[4] = {0, 0, 0, 0};
    TSessionBidding bidding_;
    TCardset deck_;
    TCardset outOfPlay_;
    std::unique_ptr<TSessionGovernor> governor_;
    int32_t handsWon_[2] = {0, 0};
    std::string resultText_;
    TTeam lastTeam_ = 0;
    int32_t lastPoints_[2] = {0, 0};
    int32_t viewRotation_ = 0;
    TCardMoveHook moveHook_;
    TCardPlayedHook playedHook_;
    std::unique_ptr<TSessionPlayers> players_;
    std::string prompt_;
    int32_t score_[2] = {0, 0};
    TSessionStatus status_ = STATUS_STARTING;
    TSessionTricks tricks_;

    struct PendingMove {
        int64_t serial;
        TCardMove move;
    };
    std::vector<PendingMove> moves_;
    int64_t nextSerial_ = 1;
    std::optional<bool> hostMisere_;
};

extern TSession* Session;
void RegisterSessionManager();

// The saved game as the text the file holds, and back. Loading changes
// nothing unless the whole text is a valid game.
[[nodiscard]] bool SaveGameText(const TSession& session, std::string& text);
[[nodiscard]] bool LoadGameText(TSession& session, const std::string& text);

// A deck text the game can deal: exactly the 43 cards of the deck, each once.
bool IsValidDeckText(const std::string& text);
