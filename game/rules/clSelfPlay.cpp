#include "clSelfPlay.h"

#include "qz7kvdata.h"
#include "qz7text.h"
#include "clShellLinks.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "aiBidding.h"
#include "aiDiscard.h"
#include "aiPlaying.h"
#include "mgrSession.h"

#include <memory>

namespace {

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A small generator whose sequence depends only on the key it starts from.
class TKeyedRandom {
public:
    explicit TKeyedRandom(uint64_t key) : state_(Mix(key)) {}
    int32_t Between(int32_t lo, int32_t hi)
    {
        if (hi <= lo) return lo;
        state_ = Mix(state_);
        return lo + int32_t(state_ % uint64_t(hi - lo + 1));
    }

private:
    uint64_t state_;
};

uint64_t Key(uint64_t seed, int64_t game, int64_t hand, int64_t step, int64_t salt)
{
    return Mix(Mix(Mix(Mix(seed) ^ uint64_t(game)) ^ uint64_t(hand)) ^ uint64_t(step)) ^ uint64_t(salt);
}

class TSelfPlayScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = 0;
};

struct THandRecord {
    std::string contract;
    int32_t won[2] = {0, 0};
    int32_t score[2] = {0, 0};
    bool operator==(const THandRecord&) const = default;
};

struct TGameRecord {
    std::vector<THandRecord> hands;
    TTeam winner = 0;
    uint64_t trail = 0;  // every step's saved game, hashed in order (when compared)
    bool operator==(const TGameRecord&) const = default;
};

class TSelfPlayer {
public:
    TSelfPlayer(const TSelfPlayConfig& config, TSelfPlayResult& result) : config_(config), result_(result)
    {
        timers_.Initialize();
        timers_.SetImmediate(!config.cardsFly);
        // Flying cards take a millisecond each, landed by ticking the timers.
        settings_.SetBool("Debug.InstantPlay", true);
    }
    ~TSelfPlayer()
    {
        TScope scope(*this);
        session_.reset();
    }

    TGameRecord PlayGame(int32_t game, bool interrupt);

private:
    // While a player plays, the timers, settings and screen are its own; two
    // players take turns (the game and the reference it is compared with).
    class TScope {
    public:
        explicit TScope(TSelfPlayer& p)
            : timers_(Timers), settings_(Settings), screen_(&ScreenLink()), session_(Session)
        {
            Timers = &p.timers_;
            if (p.config_.cardsFly) Settings = &p.settings_;
            SetScreenLink(&p.screen_);
            if (p.session_) Session = p.session_.get();
        }
        ~TScope()
        {
            Session = session_;
            SetScreenLink(screen_);
            Settings = settings_;
            Timers = timers_;
        }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        TTimers* timers_;
        TQZKeyValue* settings_;
        TScreenLink* screen_;
        TSession* session_;
    };

    TSession& S() { return *session_; }
    void NewSession(bool named = true);
    void Fail(const std::string& what);
    void Process();
    void AfterAction();
    void LandCards();
    void RoundTrip();
    void Trail();
    void Resume();
    void CheckCards();
    void Deal();
    void Bid();
    void BidComplete();
    void Kitty();
    void ContinueLocalSeat();
    bool PlayTricks();
    void FinishHand(TGameRecord& record);
    TSelfPlayStyle StyleOf(TSeat seat) const { return config_.team[TeamOfSeat(seat) - 1]; }
    TCard ChooseCard(TSeat seat);
    TBid ChooseBid(TSeat seat, std::string& note);

    const TSelfPlayConfig& config_;
    TSelfPlayResult& result_;
    TTimers timers_;
    TQZKeyValue settings_;
    TSelfPlayScreen screen_;
    std::unique_ptr<TSession> session_;
    TAIBidding bidding_;
    TAIDiscard discard_;
    TAIPlaying playing_;
    int32_t game_ = 0;
    int64_t hand_ = 0;
    int64_t step_ = 0;
    bool interrupt_ = false;
    bool broken_ = false;
    TGameRecord* record_ = nullptr;  // the game being played
    // Expected scores, kept apart from the session's own arithmetic.
    int32_t expected_[2] = {0, 0};
};

void TSelfPlayer::Fail(const std::string& what)
{
    broken_ = true;
    if (result_.failures.size() < 20)
        result_.failures.push_back("game " + std::to_string(game_) + " hand " + std::to_string(hand_) + ": " + what);
}

// A new session's seats get fixed names, so that the prompts of a game do not
// depend on which session played it; one about to be loaded keeps the file's.
void TSelfPlayer::NewSession(bool named)
{
    session_ = std::make_unique<TSession>();
    session_->Initialize();
    if (named)
        for (TSeat s = 1; s <= 4; ++s) session_->Players().GetPlayer(s)->SetName("Seat " + std::to_string(s));
    // Published as the game's session, as at the table: whoever the rules
    // report to (achievements) reads the game from there.
    Session = session_.get();
}

void TSelfPlayer::Process()
{
    int32_t before = S().Governor().QueueLength();
    S().ProcessActions();
    result_.actions += before - S().Governor().QueueLength();
    if (S().Governor().QueueLength() != 0) Fail("an action is stuck at the head of the queue");
    AfterAction();
}

void TSelfPlayer::AfterAction()
{
    ++step_;
    bool step = interrupt_ && config_.saveEveryStep;
    // A card may still be in flight here: the save must hold it all the same.
    if (step) RoundTrip();
    if (S().MoveInProgress()) {
        LandCards();
        if (step) RoundTrip();
    }
    if (config_.compareResumed) Trail();
    // Between hands (before the first deal, after scoring) there is no deal to check.
    if (config_.checkInvariants && S().Status() != STATUS_STARTING) CheckCards();
    if (interrupt_ && config_.resumeChance > 0) {
        TKeyedRandom r(Key(config_.seed, game_, hand_, step_, 77));
        if (r.Between(0, 999999) < int32_t(config_.resumeChance * 1000000.0)) Resume();
    }
}

void TSelfPlayer::LandCards()
{
    for (int guard = 0; S().MoveInProgress() && guard < 1000; ++guard) timers_.Tick(1);
    if (S().MoveInProgress()) Fail("a card never lands");
}

void TSelfPlayer::RoundTrip()
{
    ++result_.roundTrips;
    bool flying = S().MoveInProgress();
    result_.inFlightSaves += flying ? 1 : 0;
    std::string where = " (step " + std::to_string(step_) + ", status " + std::to_string(S().Status()) +
                        (flying ? ", a card in flight)" : ")");
    std::string saved;
    if (!SaveGameText(S(), saved)) {
        Fail("the game could not be saved" + where);
        return;
    }
    NewSession(false);
    if (!LoadGameText(S(), saved)) {
        Fail("the saved game could not be loaded" + where);
        return;
    }
    std::string again;
    if (!SaveGameText(S(), again)) {
        Fail("the loaded game could not be saved again" + where);
        return;
    }
    if (again != saved) Fail("the loaded game differs from the saved one" + where);
}

// FNV-1a over the saved game of each step, chained; without what each new
// session draws at random for its seats (identities and avatar tiles).
void TSelfPlayer::Trail()
{
    if (!record_) return;
    TQZKeyValue root;
    S().SaveTo(&root);
    for (TSeat s = 1; s <= 4; ++s) {
        std::string player = "state.players.Player[" + std::to_string(s) + "].";
        root.DeletePath(player + "GUID");
        root.DeletePath(player + "AvatarSubIcon");
    }
    std::string text = root.ToText(true);
    uint64_t h = record_->trail ^ 0xCBF29CE484222325ull;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001B3ull;
    record_->trail = h;
}

void TSelfPlayer::CheckCards()
{
    int32_t seen[53] = {};
    int32_t total = 0;
    auto count = [&](const TCardset& set, bool skipEmpty) {
        for (int32_t i = 1; i <= set.Count(); ++i) {
            TCard c = set.Get(i);
            if (skipEmpty && c == 0) continue;
            if (c < 0 || c > 52 || !IsCardInDeck(c)) {
                Fail("a card that is not in the deck: " + std::to_string(c));
                return;
            }
            ++seen[c];
            ++total;
        }
    };
    for (TSeat s = 1; s <= 4; ++s) count(S().HandOf(s), false);
    count(S().OutOfPlay(), false);
    // While tricks are played the deck set holds copies of the table cards:
    // each one the seat's card in the current trick, and already played.
    if (S().Status() != STATUS_PLAYING) count(S().Deck(), false);
    else
        for (TSeat s = 1; s <= 4; ++s) {
            TCard c = S().Deck().Get(s);
            if (c != 0 && (c != S().Tricks().CurrentTrickRef().Card(s) || !S().OutOfPlay().Contains(c)))
                Fail("a table card that is not the seat's play: " + std::to_string(c));
        }
    if (total != DECK_SIZE) Fail("cards are not conserved: " + std::to_string(total));
    for (TCard c = 0; c <= 52; ++c)
        if (seen[c] > 1) Fail("card held twice: " + std::to_string(c));
}

void TSelfPlayer::Deal()
{
    screen_.id = STATE_DEALING;
    while (S().Status() == STATUS_DEALING && S().CardsLeftToDeal() > 0) {
        S().DealNextCard();
        AfterAction();
    }
    if (S().Status() == STATUS_DEALING) {
        S().StartBidding();
        AfterAction();
    }
}

TBid TSelfPlayer::ChooseBid(TSeat seat, std::string& note)
{
    TSelfPlayStyle style = StyleOf(seat);
    if (style != SELFPLAY_BASELINE) {
        TAIBidOutput out = bidding_.ChooseBid(S(), seat, PlayStyleText(TPlayStyle(style)));
        note = out.note;
        return out.bid;
    }
    // Only a very strong suit: seven trumps or more, worth at least 130,
    // holding a bower or the joker; it then bids seven if that still raises.
    TBid pass{S().Bidding().GetBid(seat).suit, 1};
    if (S().Bidding().BidsMade(seat) > 0) return pass;
    int32_t standing = BidPoints(S().Bidding().WinningBid());
    for (int s = SUIT_HEARTS; s >= SUIT_SPADES; --s) {
        TSuitEvaluation e = bidding_.EvaluateSuit(S(), seat, TSuit(s));
        TBid bid{TSuit(s), 7};
        if (e.count >= 7 && e.strength >= 130 && e.highest >= 13 && BidPoints(bid) > standing) return bid;
    }
    return pass;
}

void TSelfPlayer::Bid()
{
    screen_.id = STATE_BIDDING;
    for (int guard = 0; S().Status() == STATUS_BIDDING && !S().Bidding().IsComplete(); ++guard) {
        if (guard > 200) {
            Fail("the auction does not end");
            return;
        }
        TSeat seat = S().Bidding().CurrentBidder();
        std::string note;
        TBid bid = ChooseBid(seat, note);
        S().Governor().Submit(std::make_unique<TActionBid>(seat, note, bid));
        Process();
        if (broken_) return;
    }
    if (S().Status() == STATUS_BIDDING) {
        S().CompleteBidding();
        AfterAction();
    }
    if (S().Status() == STATUS_STARTING) ++result_.thrownIn;
}

void TSelfPlayer::BidComplete()
{
    screen_.id = STATE_BIDCOMPLETE;
    S().Players().SetAllContinue(false);
    TContract c = S().GetContract();
    if (IsMisereBid(c.bid)) {
        TSeat partner = PartnerOf(c.declarer);
        while (S().HandOf(partner).Count() > 0 && !broken_) {
            S().Governor().Submit(std::make_unique<TActionDiscard>(partner, S().HandOf(partner).Get(1)));
            int32_t before = S().HandOf(partner).Count();
            Process();
            if (S().HandOf(partner).Count() >= before) Fail("the sitting-out partner's discard was refused");
        }
    }
    ContinueLocalSeat();
    if (S().Status() == STATUS_BID_COMPLETE) {
        S().SetStatus(STATUS_KITTY);
        AfterAction();
    }
}

// The local seat, played by the computer, acknowledges the result screen
// by itself, as the screens let it.
void TSelfPlayer::ContinueLocalSeat()
{
    TSeat local = S().LocalSeat();
    S().Governor().Submit(std::make_unique<TActionContinue>(local));
    Process();
    if (!S().Players().GetPlayer(local)->Continued() || !S().Players().AllContinued())
        Fail("the local seat could not continue");
}

void TSelfPlayer::Kitty()
{
    screen_.id = STATE_KITTY;
    TSeat d = S().GetContract().declarer;
    while (S().CardsLeftToDeal() > 0) {
        S().DealNextCard();
        AfterAction();
    }
    while (S().HandOf(d).Count() > 10 && !broken_) {
        TCard card;
        if (StyleOf(d) == SELFPLAY_BASELINE) {
            TKeyedRandom r(Key(config_.seed, game_, hand_, step_, 3));
            card = S().HandOf(d).Get(r.Between(1, S().HandOf(d).Count()));
        } else {
            card = discard_.ChooseDiscard(S(), d);
        }
        S().Governor().Submit(std::make_unique<TActionDiscard>(d, card));
        Process();
        if (S().HandOf(d).Contains(card)) Fail("a discard was refused");
    }
    if (S().Status() == STATUS_KITTY) {
        S().StartPlay();
        S().SetStatus(STATUS_PLAYING);
        AfterAction();
    }
}

TCard TSelfPlayer::ChooseCard(TSeat seat)
{
    TKeyedRandom r(Key(config_.seed, game_, hand_, S().Tricks().Current() * 8 + seat, 5));
    if (StyleOf(seat) != SELFPLAY_BASELINE) {
        playing_.SetRandomSource([&r](int32_t lo, int32_t hi) { return r.Between(lo, hi); });
        TCard c = playing_.ChooseCard(S(), seat);
        playing_.SetRandomSource(nullptr);
        return c;
    }
    const TSessionTricks& t = S().Tricks();
    const TCardset& hand = S().HandOf(seat);
    bool leading = t.CardsPlayed() == 0 || t.LedSuit() == SUIT_NOTRUMPS;
    TCard legal[DECK_SIZE];
    int32_t n = 0;
    for (int32_t i = 1; i <= hand.Count(); ++i)
        if (leading || IsLegalPlay(hand.Get(i), hand, t.LedSuit(), t.CurrentTrump())) legal[n++] = hand.Get(i);
    return n ? legal[r.Between(0, n - 1)] : 0;
}

bool TSelfPlayer::PlayTricks()
{
    screen_.id = STATE_GAME;
    while (S().Status() == STATUS_PLAYING && !broken_) {
        if (S().Tricks().TrickComplete()) {
            if (S().Tricks().CloseTrick()) return true;
            AfterAction();
            continue;
        }
        TSeat seat = S().Tricks().SeatToPlay();
        TCard card = ChooseCard(seat);
        const TSessionTricks& t = S().Tricks();
        bool leading = t.CardsPlayed() == 0 || t.LedSuit() == SUIT_NOTRUMPS;
        if (!S().HandOf(seat).Contains(card) ||
            (!leading && !IsLegalPlay(card, S().HandOf(seat), t.LedSuit(), t.CurrentTrump()))) {
            Fail("illegal play chosen: " + std::to_string(card));
            return false;
        }
        S().Governor().Submit(std::make_unique<TActionPlaycard>(seat, card));
        Process();
        if (S().HandOf(seat).Contains(card)) Fail("a legal play was refused");
    }
    return false;
}

void TSelfPlayer::FinishHand(TGameRecord& record)
{
    screen_.id = STATE_HANDWIN;
    TContract c = S().GetContract();
    // Copied: continuing below may resume into a fresh session.
    const TSessionTricks t = S().Tricks();
    if (t.Current() != 10 || t.TricksWon(1) + t.TricksWon(2) != 10) Fail("a hand without ten tricks");
    ++result_.contracts[c.team - 1];
    result_.misere += IsMisereBid(c.bid) ? 1 : 0;
    // The score the table gives, worked out here on its own.
    int32_t taken = t.TricksWon(c.team), other = t.TricksWon(OtherTeam(c.team));
    bool misere = IsMisereBid(c.bid);
    bool made = misere ? taken == 0 : taken >= c.bid.count;
    int32_t p = BidPoints(c.bid);
    if (made && taken == 10 && p < 250) p = 250;
    if (!made) p = -p;
    result_.made[c.team - 1] += made ? 1 : 0;
    expected_[c.team - 1] += p;
    int32_t& e = expected_[OtherTeam(c.team) - 1];
    e = MinOf(e + ((misere && made) ? 0 : other * 10), 490);
    S().ScoreHand();
    AfterAction();
    S().Players().SetAllContinue(false);
    ContinueLocalSeat();
    if (S().Score(1) != expected_[0] || S().Score(2) != expected_[1]) Fail("scores differ from the hand results");
    THandRecord h;
    h.contract = ContractToText(c);
    h.won[0] = t.TricksWon(1);
    h.won[1] = t.TricksWon(2);
    h.score[0] = S().Score(1);
    h.score[1] = S().Score(2);
    record.hands.push_back(h);
}

void TSelfPlayer::Resume()
{
    ++result_.resumes;
    std::string text;
    if (!SaveGameText(S(), text)) {
        Fail("the game could not be saved");
        return;
    }
    NewSession(false);
    if (!LoadGameText(S(), text)) Fail("the saved game could not be loaded");
}

TGameRecord TSelfPlayer::PlayGame(int32_t game, bool interrupt)
{
    TScope scope(*this);
    game_ = game;
    interrupt_ = interrupt;
    broken_ = false;
    expected_[0] = expected_[1] = 0;
    TGameRecord record;
    record_ = &record;
    // One session serves every game, as at the table; a resumed game gets a
    // fresh one loaded from the save.
    if (!session_) NewSession();
    TKeyedRandom opening(Key(config_.seed, game, 0, 0, 1));
    screen_.id = STATE_GAME;
    S().Governor().Submit(std::make_unique<TActionNewGame>(TSeat(opening.Between(1, 4))));
    Process();
    for (int32_t hands = 0; hands < config_.handLimit && !broken_; ++hands) {
        hand_ = hands + 1;
        step_ = 0;
        TCardset deck;
        deck.FillDeck();
        TKeyedRandom shuffle(Key(config_.seed, game, hand_, 0, 2));
        deck.Shuffle([&shuffle](int32_t lo, int32_t hi) { return shuffle.Between(lo, hi); });
        screen_.id = STATE_GAME;
        S().Governor().Submit(std::make_unique<TActionNewHand>(deck.ToText()));
        Process();
        ++result_.hands;
        // A resumed session may come back in any phase: each step looks at
        // the status rather than assuming the previous step ran.
        while (!broken_ && S().Status() != STATUS_STARTING) {
            switch (S().Status()) {
            case STATUS_DEALING: Deal(); break;
            case STATUS_BIDDING: Bid(); break;
            case STATUS_BID_COMPLETE: BidComplete(); break;
            case STATUS_KITTY: Kitty(); break;
            case STATUS_PLAYING:
                if (PlayTricks()) FinishHand(record);
                break;
            default: Fail("unknown status"); break;
            }
        }
        if ((record.winner = S().WinningTeam()) != 0) break;
    }
    if (record.winner) {
        ++result_.wins[record.winner - 1];
    } else {
        ++result_.unfinished;
    }
    result_.points[0] += S().Score(1);
    result_.points[1] += S().Score(2);
    record_ = nullptr;
    return record;
}

}  // namespace

bool SelfPlayStyleFromText(const std::string& text, TSelfPlayStyle& style)
{
    static const char* const kNames[] = {"conservative", "moderate", "aggressive", "baseline"};
    for (int i = 0; i < 4; ++i)
        if (LowerText(text) == kNames[i]) {
            style = TSelfPlayStyle(i);
            return true;
        }
    return false;
}

std::string SelfPlayStyleText(TSelfPlayStyle style)
{
    return style == SELFPLAY_BASELINE ? "Baseline" : PlayStyleText(TPlayStyle(style));
}

TSelfPlayResult RunSelfPlay(const TSelfPlayConfig& config)
{
    TSelfPlayResult result;
    TSelfPlayer player(config, result);
    bool interrupt = config.resumeChance > 0 || config.saveEveryStep;
    // The reference plays the same games uninterrupted, on one session too,
    // so each game starts from what the last one left. Not counted.
    TSelfPlayResult scratch;
    std::unique_ptr<TSelfPlayer> reference;
    if (interrupt && config.compareResumed) reference = std::make_unique<TSelfPlayer>(config, scratch);
    for (int32_t g = 0; g < config.games; ++g) {
        TGameRecord played = player.PlayGame(g, interrupt);
        ++result.games;
        if (reference && !(reference->PlayGame(g, false) == played)) ++result.resumeMismatches;
    }
    return result;
}
