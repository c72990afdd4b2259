// Every change to a game in progress is an action that passes one ordered
// queue. Screens, computer opponents and the network submit actions; the
// game screens run the queue head once a frame while it is ready. In a
// shared game the host checks each action and broadcasts it, so every peer
// executes the same sequence.
#pragma once

#include "qz7core.h"
#include "clDatablocks.h"
#include "coreGame.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

class TSession;

enum TGovernActionType : int32_t {
    ACTION_NULL = 0,
    ACTION_NEWGAME = 1,
    ACTION_NEWHAND = 2,
    ACTION_BID = 3,
    ACTION_DISCARD = 4,
    ACTION_PLAYCARD = 5,
    ACTION_CONTINUE = 6,
};
std::string ActionTypeName(TGovernActionType type);

// Game messages the governor sends and receives.
constexpr int32_t GAMEMSG_ACTION_SUBMITTED = 3;
constexpr int32_t GAMEMSG_ACTION_BROADCAST = 4;
// Host to one client: an action it submitted was dropped, with the reason;
// the client tells its player and offers the move again. Peers that do not
// know it drop it as an unknown message.
constexpr int32_t GAMEMSG_ACTION_REFUSED = 7;

// Screen ids the actions wait for.
constexpr int32_t STATE_BIDDING = 3;
constexpr int32_t STATE_DEALING = 6;
constexpr int32_t STATE_GAME = 7;
constexpr int32_t STATE_GAMEWIN = 8;
constexpr int32_t STATE_HANDWIN = 9;
constexpr int32_t STATE_KITTY = 10;
constexpr int32_t STATE_BIDCOMPLETE = 20;

class TGovernAction {
public:
    TGovernAction(TGovernActionType type, int32_t awaitedState);
    virtual ~TGovernAction() = default;
    TGovernAction(const TGovernAction&) = delete;
    TGovernAction& operator=(const TGovernAction&) = delete;

    TGovernActionType Type() const { return type_; }
    int32_t AwaitedState() const { return awaited_; }
    // The seat the action is for; 0 for an action of no seat.
    virtual TSeat Seat() const { return 0; }

    virtual std::string Describe(const TSession& session) const;
    virtual void Execute(TSession& session);
    virtual bool Acceptable(const TSession& session) const;
    virtual bool SameAs(const TGovernAction& other) const { return this == &other; }
    virtual bool IsLegal(const TSession& session) const;
    virtual bool IsReady(const TSession& session) const;
    // Whether every field holds a value the game can have (decoded bytes).
    virtual bool HasValidFields() const { return true; }
    // Not ready and never going to be: the queue drops it rather than wait.
    virtual bool IsStale(const TSession&) const { return false; }
    // Whether the party holds the action's seat as a person (a client's
    // action for a seat it does not own is refused).
    bool SentBySeatOwner(const TSession& session, int32_t partyId) const;

    // Queued from the host's broadcast: the host has judged it, and a client
    // runs it as judged so that every peer executes the same sequence.
    bool Decided() const { return decided_; }
    void SetDecided() { decided_ = true; }
    // The party id of the client that submitted it (host only); 0 for this
    // peer's own actions.
    int32_t Origin() const { return origin_; }
    void SetOrigin(int32_t partyId) { origin_ = partyId; }

    void LoadFrom(const std::vector<uint8_t>& bytes) { block_.ReadFrom(bytes); }
    std::vector<uint8_t> SaveTo() const { return block_.WriteTo(); }

protected:
    TDatablock block_;

private:
    TGovernActionType type_;
    int32_t awaited_;
    bool decided_ = false;
    int32_t origin_ = 0;
};

// What the host sends with GAMEMSG_ACTION_REFUSED: the reason and the action.
std::vector<uint8_t> PackRefusal(const TGovernAction& action, const std::string& reason);
// False when the bytes hold no reason followed by a well-formed action.
[[nodiscard]] bool UnpackRefusal(const std::vector<uint8_t>& bytes, std::string& reason, std::unique_ptr<TGovernAction>& action);

class TActionNewGame : public TGovernAction {
public:
    explicit TActionNewGame(TSeat seat = 0);
    TSeat Seat() const override { return seat_; }
    void Execute(TSession& session) override;
    bool HasValidFields() const override { return IsSeat(seat_); }

private:
    TSeat seat_;
};

class TActionNewHand : public TGovernAction {
public:
    explicit TActionNewHand(const std::string& deckText = std::string());
    const std::string& DeckText() const { return deck_; }
    std::string Describe(const TSession& session) const override;
    void Execute(TSession& session) override;
    bool IsLegal(const TSession& session) const override;
    bool HasValidFields() const override;

private:
    std::string deck_;
};

class TActionBid : public TGovernAction {
public:
    TActionBid(TSeat seat = 0, const std::string& note = std::string(), TBid bid = BID_NONE);
    TSeat Seat() const override { return seat_; }
    const TBid& Bid() const { return bid_; }
    std::string Describe(const TSession& session) const override;
    void Execute(TSession& session) override;
    bool Acceptable(const TSession& session) const override;
    bool SameAs(const TGovernAction& other) const override;
    bool IsLegal(const TSession& session) const override;
    bool HasValidFields() const override { return IsSeat(seat_) && IsValidBid(bid_); }

private:
    TSeat seat_;
    TBid bid_;
    std::string note_;  // kept with the bid; not part of the byte form
};

class TActionPlaycard : public TGovernAction {
public:
    TActionPlaycard(TSeat seat = 0, TCard card = 0);
    TSeat Seat() const override { return seat_; }
    TCard Card() const { return card_; }
    std::string Describe(const TSession& session) const override;
    void Execute(TSession& session) override;
    bool Acceptable(const TSession& session) const override;
    bool SameAs(const TGovernAction& other) const override;
    bool IsLegal(const TSession& session) const override;
    bool IsReady(const TSession& session) const override;
    bool HasValidFields() const override { return IsSeat(seat_) && IsCardInDeck(card_); }
    bool IsStale(const TSession& session) const override;

protected:
    TActionPlaycard(TGovernActionType type, int32_t awaited, TSeat seat, TCard card);
    TSeat seat_;
    TCard card_;
};

class TActionDiscard : public TActionPlaycard {
public:
    TActionDiscard(TSeat seat = 0, TCard card = 0);
    void Execute(TSession& session) override;
    bool Acceptable(const TSession& session) const override;
    bool IsLegal(const TSession& session) const override;
    bool IsReady(const TSession& session) const override;
    bool IsStale(const TSession&) const override { return false; }
};

class TActionContinue : public TGovernAction {
public:
    explicit TActionContinue(TSeat seat = 0);
    TSeat Seat() const override { return seat_; }
    std::string Describe(const TSession& session) const override;
    void Execute(TSession& session) override;
    bool Acceptable(const TSession& session) const override;
    bool SameAs(const TGovernAction& other) const override;
    bool IsReady(const TSession& session) const override;
    bool HasValidFields() const override { return IsSeat(seat_); }

private:
    TSeat seat_;
};

using TGovernListener = TQZMethod<void(TGovernAction*)>;

class TSessionGovernor {
public:
    explicit TSessionGovernor(TSession& session) : session_(session) {}

    // From this peer: to the host when this peer is a client, else queued.
    void Submit(std::unique_ptr<TGovernAction> action);
    // Queues the action unless it is not acceptable now. Actions broadcast by
    // the host are queued as they come (the host has checked them).
    void Enqueue(std::unique_ptr<TGovernAction> action, bool fromHost = false);
    void ProcessQueue();
    void RemoveActions(TGovernActionType type);
    int32_t CountActions(TGovernActionType type) const;
    int32_t CountActions(TGovernActionType type, TSeat seat) const;
    bool IsQueued(const TGovernAction& action) const;
    int32_t QueueLength() const { return int32_t(queue_.size()); }
    const TGovernAction* Head() const { return queue_.empty() ? nullptr : queue_.front().get(); }

    void AddListener(TGovernListener listener);
    // Removes the entries of that method bound to that object.
    void RemoveListener(TGovernListener listener);

    bool Authority() const { return authority_; }
    void SetAuthority(bool value) { authority_ = value; }

    void RegisterHandlers();
    // The host receiving a client's action: dropped unless the sender owns
    // the action's seat.
    void OnClientAction(const std::vector<uint8_t>& bytes, int32_t senderPartyId);
    // A peer receiving the host's broadcast.
    void OnHostBroadcast(const std::vector<uint8_t>& bytes);

    // The action in the bytes, or nullptr (with a log line) when they do not
    // hold a well-formed action.
    static std::unique_ptr<TGovernAction> DecodeGovernAction(const std::vector<uint8_t>& bytes);

private:
    // Drops an action with a log line; a client's action is reported back to
    // it, so its player is told and the game never waits for it.
    void Refuse(const TGovernAction& action, const std::string& reason);

    TSession& session_;
    std::deque<std::unique_ptr<TGovernAction>> queue_;
    std::vector<TGovernListener> listeners_;
    bool authority_ = true;
};
