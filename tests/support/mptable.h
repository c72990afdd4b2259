// Shared games without a window. A headless table does for one peer what the
// game's screens do with the session (the lobby, the deal, the auction, the
// kitty, the tricks, the result screens), every seat it controls played by
// the computer (AutoPlay). A rig gives each peer its own settings, timers,
// session, game flow, computer players and multiplayer manager, and makes
// them the game's globals while that peer runs, so several peers share one
// process. Used by the shared-game tests, their driver program and the
// benchmark.
//
// Sections, in order: options and helpers (key mixing, the shared session's
// text); the headless table (its screen stack, lobby, game, and the hand's
// phases); the current rig and the log router; a peer's rig (its globals,
// made current while it runs); the shared game of several rigs.
#pragma once

#include "qz7kvdata.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrAI.h"
#include "mgrGameflow.h"
#include "mgrMultiplayer.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "mgrTimers.h"
#include "mpLobby.h"
#include "qz7netadmin.h"
#include "qz7netmemory.h"
#include "qz7netparty.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mptest {

constexpr int32_t kScreenMenu = 11;

struct TTableOptions {
    uint64_t seed = 1;
    int32_t speed = 4;           // every Speed.* setting, in ms
    std::string name = "Player";  // the local player's name
    TSeat wantSeat = 0;           // a client asks for this seat in the lobby (0: keeps its own)
    int32_t expectPeople = 2;     // the host waits for this many people, itself included
    bool misere = false;          // the host's "Variation.Misere"
    int32_t games = 1;            // games to play before staying in the lobby
    bool drive = true;            // false: the table takes no step of its own in the lobby
};

// The computer's random draws keyed by the game's own state, so that a game
// goes the same way whatever the network's timing.
inline uint64_t MixKey(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// The session as every peer must see it: the text of the saved game with
// what differs by machine taken out (whose seat is local, the prompt).
inline std::string SharedSessionText(const TSession& session)
{
    TQZKeyValue root("samegameQar");
    session.SaveTo(&root);
    root.SetString("state.prompt", "");
    for (int n = 1; n <= 4; ++n) {
        const std::string p = "state.players.Player[" + std::to_string(n) + "].";
        if (root.GetInt(p + "PlayerType") == PLAYER_LOCAL) {
            root.SetInt(p + "PlayerType", PLAYER_REMOTE);
            root.SetInt(p + "Avatar", AVATAR_REMOTE);
        }
    }
    return root.ToText(true);
}

class THeadlessTable : public TScreenLink {
public:
    explicit THeadlessTable(const TTableOptions& options) : options_(options) {}

    int32_t CurrentStateId() const override { return stack_.empty() ? 0 : stack_.back(); }

    // In the peer's scope.
    void Attach()
    {
        Gameflow->Subscribe("GAME_STARTED", MakeMethod<&THeadlessTable::OnGameStarted>(this));
        Gameflow->Subscribe("ACTION_REFUSED", MakeMethod<&THeadlessTable::OnRefused>(this));
        Gameflow->Subscribe("LOBBY_WELCOME", MakeMethod<&THeadlessTable::OnWelcome>(this));
        Gameflow->Subscribe("LOBBY_CHANGED", MakeMethod<&THeadlessTable::OnSessionChanged>(this));
        Session->Governor().AddListener(MakeMethod<&THeadlessTable::OnExecuted>(this));
        stack_ = {kScreenMenu};
    }
    void Detach()
    {
        Session->Governor().RemoveListener(MakeMethod<&THeadlessTable::OnExecuted>(this));
        Gameflow->Unsubscribe("GAME_STARTED", MakeMethod<&THeadlessTable::OnGameStarted>(this));
        Gameflow->Unsubscribe("ACTION_REFUSED", MakeMethod<&THeadlessTable::OnRefused>(this));
        Gameflow->Unsubscribe("LOBBY_WELCOME", MakeMethod<&THeadlessTable::OnWelcome>(this));
        Gameflow->Unsubscribe("LOBBY_CHANGED", MakeMethod<&THeadlessTable::OnSessionChanged>(this));
        lobby_.Close();
    }

    void EnterLobby() { Push(STATE_LOBBY); }
    // A single-player game straight from the menu.
    void StartSinglePlayer()
    {
        Gameflow->NewGame(false);
        Push(STATE_GAME);
    }

    // One frame of elapsed milliseconds: the screens' timers, then the
    // screen on top.
    void Frame(int32_t elapsed)
    {
        now_ += elapsed;
        const bool shared = Multiplayer && Multiplayer->IsMultiplayer();
        if (wasShared_ && !shared) LeftSharedGame();
        wasShared_ = shared;
        if (credit_.Tick(elapsed)) ++dealCredit_;
        if (bidTimer_.Tick(elapsed)) OnBidTimer();
        if (doneTimer_.Tick(elapsed)) OnBiddingDone();
        if (aiTimer_.Tick(elapsed)) OnThinking();
        if (trickTimer_.Tick(elapsed)) OnTrickComplete();
        switch (CurrentStateId()) {
        case STATE_LOBBY: UpdateLobby(); break;
        case STATE_GAME: UpdateGame(); break;
        case STATE_DEALING: UpdateDealing(); break;
        case STATE_BIDDING: UpdateBidding(); break;
        case STATE_BIDCOMPLETE: UpdateBidComplete(); break;
        case STATE_KITTY: UpdateKitty(); break;
        case STATE_HANDWIN: UpdateHandWin(); break;
        case STATE_GAMEWIN: UpdateGameWin(); break;
        default: break;
        }
    }

    // What the game came to, taken as the game-won screen opened.
    int32_t gamesWon = 0;
    int32_t handsScored = 0;
    TTeam winner = 0;
    std::string gameWonText;
    bool backInLobby = false;
    int32_t refusals = 0;
    uint64_t frames = 0;

private:
    struct TTimer {
        int32_t left = -1;
        bool Active() const { return left >= 0; }
        void Start(int32_t ms) { left = std::max(ms, 0); }
        void Cancel() { left = -1; }
        bool Tick(int32_t elapsed)
        {
            if (left < 0) return false;
            left -= elapsed;
            if (left > 0) return false;
            left = -1;
            return true;
        }
    };

    TSession& S() { return *Session; }
    int32_t Speed(const char* key) { return GetSpeedSetting(key); }
    bool Authority() { return S().Governor().Authority(); }
    // The seats this peer's computer plays: its own (AutoPlay) and, where it
    // decides, the computer opponents.
    bool Controls(TSeat seat)
    {
        const TSessionPlayer* p = S().Players().GetPlayer(seat);
        return p && p->IsComputerControlled() && (Authority() || p->IsLocal());
    }

    // A move asked of the host counts until it runs or is refused; it is not
    // asked again meanwhile (nor after a while, in case the answer is lost
    // with a link that is gone).
    bool Pending(TGovernActionType type, TSeat seat)
    {
        auto it = pending_.find({type, seat});
        return it != pending_.end() && now_ - it->second < 3000;
    }
    void Submit(std::unique_ptr<TGovernAction> action)
    {
        pending_[{action->Type(), action->Seat()}] = now_;
        S().Governor().Submit(std::move(action));
    }
    void OnExecuted(TGovernAction* action) { pending_.erase({action->Type(), action->Seat()}); }
    void OnRefused(TQZClass* payload)
    {
        ++refusals;
        if (auto* r = dynamic_cast<TMPRefusedAction*>(payload))
            if (r->action) pending_.erase({r->action->Type(), r->action->Seat()});
    }
    void Continue()
    {
        const TSeat local = S().LocalSeat();
        const TSessionPlayer* p = S().Players().GetPlayer(local);
        if (!p || p->Continued() || !p->IsComputerControlled() || Pending(ACTION_CONTINUE, local)) return;
        Submit(std::make_unique<TActionContinue>(local));
    }

    TRandomSource KeyedRandom(TSeat seat)
    {
        uint64_t key = MixKey(options_.seed);
        for (int64_t v : {int64_t(S().Score(1)), int64_t(S().Score(2)), int64_t(S().HandsWon(1) + S().HandsWon(2)),
                          int64_t(S().Tricks().Current()), int64_t(seat)})
            key = MixKey(key ^ uint64_t(v));
        return [key](int32_t lo, int32_t hi) mutable {
            key = MixKey(key);
            return hi <= lo ? lo : lo + int32_t(key % uint64_t(hi - lo + 1));
        };
    }

    // ------------------------------------------------------------ stack
    void Push(int32_t id)
    {
        stack_.push_back(id);
        Enter(id);
    }
    void Replace(int32_t id)
    {
        Leave(CurrentStateId(), id);
        stack_.pop_back();
        stack_.push_back(id);
        Enter(id);
    }
    void Pop(int32_t param)
    {
        const int32_t top = CurrentStateId();
        stack_.pop_back();
        Leave(top, CurrentStateId());
        if (CurrentStateId() == STATE_GAME) ResumeGame(param);
    }
    void Enter(int32_t id)
    {
        switch (id) {
        case STATE_LOBBY:
            lobby_.Open();
            lobbyAsked_ = -100000;
            seatAsked_ = false;
            backInLobby = gamesWon > 0;
            break;
        case STATE_DEALING: dealCredit_ = 1; break;
        case STATE_BIDDING: S().Governor().RemoveActions(ACTION_CONTINUE); break;
        case STATE_BIDCOMPLETE: EnterBidComplete(); break;
        case STATE_KITTY: kittyPhase_ = S().Deck().Count() == 0 ? 1 : 0; break;
        case STATE_HANDWIN: EnterHandWin(); break;
        case STATE_GAMEWIN: EnterGameWin(); break;
        default: break;
        }
    }
    void Leave(int32_t id, int32_t next)
    {
        switch (id) {
        case STATE_LOBBY:
            lobby_.Close();
            if (next == kScreenMenu && Multiplayer) Multiplayer->Leave(false);
            break;
        case STATE_BIDDING:
            bidTimer_.Cancel();
            doneTimer_.Cancel();
            S().Governor().RemoveActions(ACTION_BID);
            break;
        case STATE_BIDCOMPLETE: S().SetStatus(STATUS_KITTY); break;
        case STATE_KITTY: S().Governor().RemoveActions(ACTION_DISCARD); break;
        case STATE_GAME:
            aiTimer_.Cancel();
            trickTimer_.Cancel();
            Timers->FlushAll();
            break;
        case STATE_GAMEWIN:
            S().NewGame(1);
            if (Multiplayer && Multiplayer->IsHost())
                S().Governor().Submit(std::make_unique<TActionNewGame>(TSeat(RandomBetween(1, 4))));
            break;
        default: break;
        }
    }

    // The shared game ended here (the host left, the link was lost): the
    // screens go back to the menu, as the game flow's reset does.
    void LeftSharedGame()
    {
        while (CurrentStateId() != kScreenMenu && !stack_.empty()) {
            const int32_t top = CurrentStateId();
            stack_.pop_back();
            Leave(top, CurrentStateId());
        }
        if (stack_.empty()) stack_ = {kScreenMenu};
        pending_.clear();
    }
    // A session from the host while at the table (a return after a lost
    // link): a result screen the host still shows waits for our continue.
    void OnSessionChanged(TQZClass*)
    {
        if (CurrentStateId() == STATE_GAME) resync_ = true;
    }

    // ------------------------------------------------------------ lobby
    void OnGameStarted(TQZClass*)
    {
        if (CurrentStateId() == STATE_LOBBY) Replace(STATE_GAME);
    }
    // The connecting screen gives way to the lobby.
    void OnWelcome(TQZClass*)
    {
        if (CurrentStateId() == kScreenMenu) Push(STATE_LOBBY);
    }
    // A client that came back to a game going on finds it by the session the
    // host sent, or by the host's moves waiting for the table.
    bool GameGoesOn()
    {
        const TGovernAction* head = S().Governor().Head();
        return S().GameInProgress() || S().Status() != STATUS_STARTING ||
               (head && head->Decided() && head->AwaitedState() != 0);
    }
    void UpdateLobby()
    {
        if (!options_.drive || !Multiplayer || !Multiplayer->IsMultiplayer() || gamesWon >= options_.games) return;
        const TSessionPlayer* local = S().Players().LocalPlayer();
        if (!local) return;  // not yet given a seat
        if (!Multiplayer->IsHost() && GameGoesOn()) {
            Replace(STATE_GAME);
            return;
        }
        if (Multiplayer->IsHost()) {
            if (S().Players().CountHumans() < options_.expectPeople) return;
            for (TSeat s = 1; s <= 4; ++s) {
                const TSessionPlayer* p = S().Players().GetPlayer(s);
                if (!p->IsAI() && !p->IsLocal() && !p->Continued()) return;
            }
            if (!local->Continued()) lobby_.ToggleReady();
            // The deals come from the seed alone, however many draws the
            // lobby took (each session a client loads draws identities).
            if (TMPLobby::CanStart()) SeedRandom(options_.seed);
            (void)lobby_.StartGame();  // setup: what the test checks after it shows whether it took
            return;
        }
        if (options_.wantSeat && local->SeatId() != options_.wantSeat && !seatAsked_) {
            lobby_.TakeSeat(options_.wantSeat);
            seatAsked_ = true;
            lobbyAsked_ = now_;
            return;
        }
        if (!local->Continued() && now_ - lobbyAsked_ >= 500) {
            lobby_.ToggleReady();
            lobbyAsked_ = now_;
        }
    }

    // ------------------------------------------------------------ game
    void ResumeGame(int32_t param)
    {
        if (param != 2000) return;
        stack_.pop_back();  // the game is over: back to the lobby or the menu
        Leave(STATE_GAME, CurrentStateId());
        if (Multiplayer && Multiplayer->IsMultiplayer()) Push(STATE_LOBBY);
    }
    void UpdateGame()
    {
        S().ProcessActions();
        const bool busy = aiTimer_.Active() || trickTimer_.Active() || S().MoveInProgress();
        if (resync_ && S().Status() == STATUS_STARTING && S().GameInProgress()) Continue();
        resync_ = false;
        switch (S().Status()) {
        case STATUS_STARTING: Deal(); return;
        case STATUS_DEALING: Push(STATE_DEALING); return;
        case STATUS_BIDDING: Push(STATE_BIDDING); return;
        case STATUS_BID_COMPLETE: Push(STATE_BIDCOMPLETE); return;
        case STATUS_KITTY: Push(STATE_KITTY); return;
        case STATUS_PLAYING: break;
        }
        if (busy) return;
        if (S().Tricks().TrickComplete()) {
            trickPhase_ = 1;
            trickTimer_.Start(Speed("Speed.Play"));
            return;
        }
        const TSeat seat = S().Tricks().SeatToPlay();
        if (Controls(seat) && !Pending(ACTION_PLAYCARD, seat)) {
            aiSeat_ = seat;
            aiTimer_.Start(Speed("Speed.Thinking"));
        }
    }
    // The game flow's new hand with the deck shuffled from the seed and the
    // number of the deal, so that the deals are the same whichever process
    // (or how many tables in one) draw from the game's own randomness.
    void Deal()
    {
        if (!Authority()) return;
        TCardset deck;
        deck.FillDeck();
        uint64_t key = MixKey(MixKey(options_.seed) ^ uint64_t(++deals_));
        deck.Shuffle([&key](int32_t lo, int32_t hi) {
            key = MixKey(key);
            return hi <= lo ? lo : lo + int32_t(key % uint64_t(hi - lo + 1));
        });
        S().Governor().Submit(std::make_unique<TActionNewHand>(deck.ToText()));
    }
    void OnThinking()
    {
        if (S().Status() != STATUS_PLAYING || S().Tricks().SeatToPlay() != aiSeat_ || !Controls(aiSeat_)) return;
        AI->Playing().SetRandomSource(KeyedRandom(aiSeat_));
        const TCard card = AI->ChooseCard(S(), aiSeat_);
        AI->Playing().SetRandomSource(nullptr);
        Submit(std::make_unique<TActionPlaycard>(aiSeat_, card));
    }
    void OnTrickComplete()
    {
        if (trickPhase_ == 1) {
            S().Deck().Clear();
            trickPhase_ = 2;
            trickTimer_.Start(Speed("Speed.Play"));
            return;
        }
        trickPhase_ = 0;
        if (CurrentStateId() == STATE_GAME && S().Tricks().CloseTrick()) Push(STATE_HANDWIN);
    }

    // ------------------------------------------------------------ hand phases
    void UpdateDealing()
    {
        S().ProcessActions();
        const int32_t left = S().Deck().Count() - 3;
        if (left <= 0 && !S().MoveInProgress()) {
            S().StartBidding();
            Pop(0);
            return;
        }
        if (left > 0 && dealCredit_ > 0) {
            --dealCredit_;
            const TSeat seat = TSeat(left % 4 + 1);
            S().MoveCard(seat, S().Deck().Get(S().Deck().Count()), MOVE_DEAL);
            credit_.Start(Speed("Speed.Deal") / 4);
        }
    }
    void UpdateBidding()
    {
        S().ProcessActions();
        if (S().Bidding().IsComplete()) {
            if (!doneTimer_.Active()) doneTimer_.Start(Speed("Speed.Bid"));
            return;
        }
        const TSeat bidder = S().Bidding().CurrentBidder();
        if (!bidTimer_.Active() && Controls(bidder) && !Pending(ACTION_BID, bidder)) {
            bidSeat_ = bidder;
            bidTimer_.Start(Speed("Speed.Bid"));
        }
    }
    void OnBidTimer()
    {
        if (CurrentStateId() != STATE_BIDDING || S().Bidding().IsComplete()) return;
        if (S().Bidding().CurrentBidder() != bidSeat_ || !Controls(bidSeat_)) return;
        TAIBidOutput out = AI->ChooseBid(S(), bidSeat_);
        Submit(std::make_unique<TActionBid>(bidSeat_, out.note, out.bid));
    }
    void OnBiddingDone()
    {
        if (CurrentStateId() != STATE_BIDDING) return;
        S().CompleteBidding();
        Pop(0);
    }
    void EnterBidComplete()
    {
        S().Players().SetAllContinue(false);
        const TContract c = S().GetContract();
        if (IsMisereBid(c.bid) && Authority()) {
            const TSeat partner = PartnerOf(c.declarer);
            const TCardset hand = S().HandOf(partner);
            for (int32_t i = 1; i <= hand.Count(); ++i) Gameflow->Discard(hand.Get(i), partner);
        }
    }
    void UpdateBidComplete()
    {
        S().ProcessActions();
        Continue();
        if (S().Players().AllContinued() || S().Status() != STATUS_BID_COMPLETE) Pop(0);
    }
    void UpdateKitty()
    {
        S().ProcessActions();
        const TSeat d = S().GetContract().declarer;
        if (kittyPhase_ == 0) {
            if (S().MoveInProgress()) return;
            if (S().Deck().Count() == 0) kittyPhase_ = 1;
            else S().MoveCard(d, S().Deck().Get(S().Deck().Count()), MOVE_DEAL);
            return;
        }
        if (S().MoveInProgress()) return;
        if (S().HandOf(d).Count() > 10) {
            if (Controls(d) && !Pending(ACTION_DISCARD, d)) Submit(std::make_unique<TActionDiscard>(d, AI->ChooseDiscard(S(), d)));
            return;
        }
        S().StartPlay();
        S().SetStatus(STATUS_PLAYING);
        Pop(0);
    }
    void EnterHandWin()
    {
        S().Deck().FillDeck();
        S().ScoreHand();
        ++handsScored;
        S().Players().SetAllContinue(false);
        S().Governor().RemoveActions(ACTION_PLAYCARD);
        if (TTeam t = S().WinningTeam()) {
            winner = t;
            Replace(STATE_GAMEWIN);
        }
    }
    void UpdateHandWin()
    {
        S().ProcessActions();
        Continue();
        if (S().Players().AllContinued() || S().Status() != STATUS_STARTING) Pop(0);
    }
    void EnterGameWin()
    {
        S().Players().SetAllContinue(false);
        ++gamesWon;
        gameWonText = SharedSessionText(S());
    }
    void UpdateGameWin()
    {
        S().ProcessActions();
        Continue();
        if (S().Players().AllContinued()) Pop(2000);
    }

    TTableOptions options_;
    std::vector<int32_t> stack_;
    TMPLobby lobby_;
    int64_t now_ = 0;
    int64_t lobbyAsked_ = 0;
    bool seatAsked_ = false;
    bool wasShared_ = false;
    bool resync_ = false;
    std::map<std::pair<int32_t, TSeat>, int64_t> pending_;
    TTimer credit_, bidTimer_, doneTimer_, aiTimer_, trickTimer_;
    int32_t dealCredit_ = 0;
    int64_t deals_ = 0;
    int32_t kittyPhase_ = 0;
    int32_t trickPhase_ = 0;
    TSeat aiSeat_ = 0, bidSeat_ = 0;
};

class TPeerRig;
// The peer whose scope is open: admin-log lines go to it.
inline TPeerRig*& CurrentRig()
{
    static TPeerRig* rig = nullptr;
    return rig;
}

// While it lives the admin log goes to the rig whose scope is open (lines
// outside every scope are dropped). Made before the rigs.
class TLogRouter {
public:
    // Lines outside every scope (a network thread of its own) go to the
    // fallback rig when there is one.
    explicit TLogRouter(TPeerRig* fallback = nullptr);
    ~TLogRouter() { SetAdminConsole(nullptr); }
    TLogRouter(const TLogRouter&) = delete;
    TLogRouter& operator=(const TLogRouter&) = delete;
};

// One peer: its own managers, made the game's globals while it runs.
class TPeerRig {
public:
    explicit TPeerRig(const TTableOptions& options) : table(options)
    {
        settings.SetString("Speed.Deal", std::to_string(options.speed));
        settings.SetString("Speed.Bid", std::to_string(options.speed));
        settings.SetString("Speed.Play", std::to_string(options.speed));
        settings.SetString("Speed.Thinking", std::to_string(options.speed));
        settings.SetBool("Debug.AutoPlay", true);
        settings.SetBool("Variation.Misere", options.misere);
        settings.SetString("Game.PlayStyle", "moderate");
        TScope scope(*this);
        timers.Initialize();
        session.Initialize();
        gameflow.Initialize();
        multiplayer.Initialize();
        session.Players().LocalPlayer()->SetName(options.name);
        table.Attach();
    }
    ~TPeerRig()
    {
        TScope scope(*this);
        table.Detach();
        multiplayer.Leave(false);
    }
    TPeerRig(const TPeerRig&) = delete;
    TPeerRig& operator=(const TPeerRig&) = delete;

    // While it lives, this peer's managers are the game's.
    class TScope {
    public:
        explicit TScope(TPeerRig& rig)
            : settings_(Settings), timers_(Timers), session_(Session), gameflow_(Gameflow), ai_(AI),
              multiplayer_(Multiplayer), states_(StateEngine), screen_(&ScreenLink()), link_(&MultiplayerLink()),
              rig_(CurrentRig())
        {
            CurrentRig() = &rig;
            Settings = &rig.settings;
            Timers = &rig.timers;
            Session = &rig.session;
            Gameflow = &rig.gameflow;
            AI = &rig.ai;
            Multiplayer = &rig.multiplayer;
            StateEngine = nullptr;
            SetScreenLink(&rig.table);
            SetMultiplayerLink(&rig.multiplayer);
        }
        ~TScope()
        {
            CurrentRig() = rig_;
            SetMultiplayerLink(link_);
            SetScreenLink(screen_);
            StateEngine = states_;
            Multiplayer = multiplayer_;
            AI = ai_;
            Gameflow = gameflow_;
            Session = session_;
            Timers = timers_;
            Settings = settings_;
        }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        TQZKeyValue* settings_;
        TTimers* timers_;
        TSession* session_;
        TGameflow* gameflow_;
        TAI* ai_;
        TMultiplayer* multiplayer_;
        TStateEngine* states_;
        TScreenLink* screen_;
        TMultiplayerLink* link_;
        TPeerRig* rig_;
    };

    // One frame: the session's step, the table, the card timers.
    void Frame(int32_t elapsed)
    {
        TScope scope(*this);
        multiplayer.Process();
        table.Frame(elapsed);
        timers.Tick(elapsed);
        ++table.frames;
    }
    // The network side of a hand-stepped transport, in this peer's scope.
    void Pump()
    {
        if (!pump) return;
        TScope scope(*this);
        pump->Pump();
    }

    bool Logged(const std::string& text) const
    {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
    int32_t CountLogged(const std::string& text) const
    {
        return int32_t(std::count_if(log.begin(), log.end(),
                                     [&](const std::string& l) { return l.find(text) != std::string::npos; }));
    }
    void OnLog(const std::string& line)
    {
        if (keepLog) log.push_back(line);
        if (echo) echo(line);
    }

    TQZNetworkThread* pump = nullptr;  // stepped by hand (in-memory transport)
    bool keepLog = true;
    std::function<void(const std::string&)> echo;
    std::vector<std::string> log;
    TQZKeyValue settings;
    TTimers timers;
    TSession session;
    TGameflow gameflow;
    TAI ai;
    TMultiplayer multiplayer;
    THeadlessTable table;
};

inline TLogRouter::TLogRouter(TPeerRig* fallback)
{
    SetAdminConsole([fallback](const std::string& line) {
        if (TPeerRig* rig = CurrentRig() ? CurrentRig() : fallback) rig->OnLog(line);
    });
}

// A shared game on the in-memory transport, stepped a millisecond at a time.
class TSharedGame {
public:
    explicit TSharedGame(uint64_t seed = 1) : net(seed) { net.UseAsNetClock(); }

    TPeerRig& AddHost(TTableOptions options)
    {
        TPeerRig& rig = Add(options, "host");
        TPeerRig::TScope scope(rig);
        // Setup: what the test checks after it shows whether it took.
        (void)rig.multiplayer.Host(kFalconPort, "Test lobby");
        rig.table.EnterLobby();
        return rig;
    }
    TPeerRig& AddClient(TTableOptions options, const std::string& address)
    {
        TPeerRig& rig = Add(options, address);
        TPeerRig::TScope scope(rig);
        rig.multiplayer.JoinHost("host");
        return rig;
    }
    void Run(uint32_t ms)
    {
        for (uint32_t i = 0; i < ms; ++i) {
            net.Advance(1);
            for (auto& rig : rigs) rig->Frame(1);
            for (auto& rig : rigs) rig->Pump();
        }
    }
    template <class F> bool RunUntil(uint32_t limit, F done)
    {
        for (uint32_t i = 0; i < limit; i += 10) {
            if (done()) return true;
            Run(10);
        }
        return done();
    }
    // Every table back in the lobby after its games.
    bool AllBackInLobby() const
    {
        return std::all_of(rigs.begin(), rigs.end(), [](const auto& r) { return r->table.backInLobby; });
    }

    TLogRouter router;
    TQZMemoryNetwork net;
    std::vector<std::unique_ptr<TPeerRig>> rigs;

private:
    TPeerRig& Add(const TTableOptions& options, const std::string& address)
    {
        rigs.push_back(std::make_unique<TPeerRig>(options));
        auto thread = net.CreateEndpoint(address);
        rigs.back()->pump = thread.get();
        rigs.back()->multiplayer.UseNetworkThread(std::move(thread));
        return *rigs.back();
    }
};

}  // namespace mptest
