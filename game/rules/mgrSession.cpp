#include "mgrSession.h"

#include "qz7files.h"
#include "qz7kvdata.h"
#include "qz7text.h"
#include "clShellLinks.h"
#include "coreGameDiagnostics.h"
#include "mgrSettings.h"
#include "GameTextHelpers.h"

#include <cstdlib>

TSession* Session = nullptr;

void RegisterSessionManager()
{
    RegisterManagerClass<TSession, &Session>(MGR_SESSION, DomainBit(MGR_SETTINGS) | DomainBit(MGR_TIMERS),
                                             "Game Session Management");
}

bool IsValidDeckText(const std::string& text)
{
    TCardset deck;
    deck.FromText(text);
    if (deck.Count() != DECK_SIZE) return false;
    bool seen[53] = {};
    for (int32_t i = 1; i <= deck.Count(); ++i) {
        TCard c = deck.Get(i);
        if (!IsCardInDeck(c) || seen[c]) return false;
        seen[c] = true;
    }
    return true;
}

TSession::TSession() : governor_(std::make_unique<TSessionGovernor>(*this)), players_(std::make_unique<TSessionPlayers>())
{
    tricks_.SetTable(&deck_);
}

TSession::~TSession()
{
    if (Timers) Timers->Cancel(MakeMethod<&TSession::OnCardMoveDone>(this), TIMER_ANY_KEY);
}

void TSession::Initialize()
{
    prompt_.clear();
    viewRotation_ = 0;
    moveHook_ = TCardMoveHook();
    playedHook_ = TCardPlayedHook();
    NewGame(TSeat(RandomBetween(1, 4)));
}

void TSession::NewGame(TSeat seat)
{
    handsWon_[0] = handsWon_[1] = 0;
    score_[0] = score_[1] = 0;
    resultText_.clear();
    lastTeam_ = 0;
    lastPoints_[0] = lastPoints_[1] = 0;
    status_ = STATUS_STARTING;
    bidding_.SetOpeningSeat(IsSeat(seat) ? seat : 1);
}

void TSession::NewHand(const std::string& deckText)
{
    // Cards of the last hand still flying land before it is cleared away,
    // never into the new one.
    FinishMoves();
    deck_.FromText(deckText);
    outOfPlay_.Clear();
    for (TSeat s = 1; s <= 4; ++s) HandOf(s).Clear();
    for (auto& c : moveCount_) c = 0;
    bidding_.SetOpeningSeat(bidding_.OpeningSeat() == 4 ? 1 : TSeat(bidding_.OpeningSeat() + 1));
    bidding_.Reset();
    tricks_.Reset();
    tricks_.SetContract(TContract{});
    status_ = STATUS_DEALING;
}

void TSession::StartBidding() { status_ = STATUS_BIDDING; }

void TSession::CompleteBidding()
{
    if (!bidding_.IsComplete()) return;
    if (bidding_.HasContract()) {
        status_ = STATUS_BID_COMPLETE;
        return;
    }
    // Nobody bid: no contract, no score; the next hand is opened by the
    // next seat when it is dealt.
    prompt_ = "All players passed";
    status_ = STATUS_STARTING;
}

void TSession::StartPlay()
{
    TContract c = GetContract();
    tricks_.SetContract(c);
    for (TSeat s = 1; s <= 4; ++s) HandOf(s).SortForTrump(c.trump);
    tricks_.StartTrick(c.declarer);
}

TContract TSession::GetContract() const
{
    TContract c;
    if (!bidding_.IsComplete()) return c;
    c.declarer = bidding_.HighBidder();
    c.bid = bidding_.GetBid(c.declarer);
    c.team = TeamOfSeat(c.declarer);
    c.trump = IsSuit(c.bid.suit) ? c.bid.suit : SUIT_NOTRUMPS;
    return c;
}

int32_t TSession::MovesInFlight(TCardMoveKind kind) const
{
    int32_t n = 0;
    for (const auto& m : moves_) n += m.move.kind == kind ? 1 : 0;
    return n;
}

int32_t TSession::CardsComing(TSeat seat) const
{
    int32_t n = 0;
    for (const auto& m : moves_) n += m.move.kind == MOVE_DEAL && m.move.seat == seat ? 1 : 0;
    return n;
}

void TSession::MoveCard(TSeat seat, TCard card, TCardMoveKind kind)
{
    if (!IsSeat(seat)) return;
    TCardMove move{seat, card, kind, 0, 0};
    bool instant = !Timers || Timers->Immediate();
    if (!instant) move.duration = MaxOf(0, GetSpeedSetting(kind == MOVE_DEAL ? "Speed.Deal" : "Speed.Play"));

    // The card leaves its place and the seat's count goes up before the
    // timer starts: a timer that fires at once then lands a complete move.
    moveCount_[seat - 1] += 1;
    // The governor moves only cards it found where they leave from.
    if (kind == MOVE_DEAL) {
        (void)deck_.Remove(card);
    } else {
        outOfPlay_.Add(card);
        (void)HandOf(seat).Remove(card);
    }
    int64_t serial = nextSerial_++;
    moves_.push_back(PendingMove{serial, move});
    if (Timers && move.duration > 0 && !Timers->Immediate()) {
        move.timerId = Timers->Add(MakeMethod<&TSession::OnCardMoveDone>(this), move.duration, serial, seat);
        for (auto& m : moves_)
            if (m.serial == serial) m.move.timerId = move.timerId;
    } else {
        OnCardMoveDone(serial, seat);
    }
    if (moveHook_) moveHook_(move);
}

int32_t TSession::OnCardMoveDone(int64_t serial, uint32_t /*key*/)
{
    for (size_t i = 0; i < moves_.size(); ++i) {
        if (moves_[i].serial != serial) continue;
        TCardMove move = moves_[i].move;
        moves_.erase(moves_.begin() + long(i));
        LandMove(move);
        return 1;
    }
    return 0;
}

void TSession::PlaceCard(const TCardMove& move, const TCardPlaces& places) const
{
    if (move.kind == MOVE_DEAL) {
        TCardset& hand = *places.hands[move.seat - 1];
        hand.Add(move.card);
        hand.SortForTrump(GetContract().trump);
    } else if (move.kind == MOVE_PLAY) {
        places.deck->SetAt(move.seat, move.card);
        places.tricks->SetCard(move.seat, move.card);
    }
}

void TSession::LandMove(const TCardMove& move)
{
    moveCount_[move.seat - 1] -= 1;
    PlaceCard(move, {&deck_, {&HandOf(1), &HandOf(2), &HandOf(3), &HandOf(4)}, &tricks_});
    if (move.kind == MOVE_PLAY) {
        if (playedHook_) {
            bool trumpedIn = tricks_.TrickWinner() == move.seat && tricks_.CardsPlayed() > 1 &&
                             IsTrumpCard(move.card, tricks_.CurrentTrump());
            playedHook_(move.seat, trumpedIn);
        }
    }
}

void TSession::FinishMoves()
{
    if (Timers) Timers->FireMatching(MakeMethod<&TSession::OnCardMoveDone>(this), false);
    while (!moves_.empty()) OnCardMoveDone(moves_.front().serial, moves_.front().move.seat);
}

namespace {
constexpr int32_t kKittySize = 3;
}

int32_t TSession::CardsLeftToDeal() const
{
    if (status_ == STATUS_DEALING) return MaxOf(0, deck_.Count() - kKittySize);
    if (status_ == STATUS_KITTY && IsSeat(bidding_.HighBidder())) return deck_.Count();
    return 0;
}

void TSession::DealNextCard()
{
    const int32_t left = CardsLeftToDeal();
    if (left <= 0) return;
    const TSeat seat = status_ == STATUS_DEALING ? TSeat(left % 4 + 1) : bidding_.HighBidder();
    MoveCard(seat, deck_.Get(deck_.Count()), MOVE_DEAL);
}

void TSession::DealOutNow()
{
    while (CardsLeftToDeal() > 0) DealNextCard();
    FinishMoves();
}

void TSession::ScoreHand()
{
    if (!bidding_.HasContract()) {
        status_ = STATUS_STARTING;
        return;
    }
    TContract c = GetContract();
    int32_t points = BidPoints(c.bid);
    int32_t taken = tricks_.TricksWon(c.team);
    int32_t defended = tricks_.TricksWon(OtherTeam(c.team));
    bool misere = IsMisereBid(c.bid);
    bool made = misere ? taken == 0 : taken >= c.bid.count;
    std::string message;
    if (misere) message = made ? "%1: Misere won! %2 points won!" : "%1: Misere failed! %2 points lost!";
    if (made) {
        if (taken == 10 && points < 250) points = 250;
        if (message.empty()) message = "%1: %2 points won!";
        lastTeam_ = c.team;
    } else {
        points = -points;
        if (message.empty()) message = "%1: %2 points lost!";
        lastTeam_ = OtherTeam(c.team);
    }
    // The message already says lost: show the size of the loss.
    prompt_ = FormatNumbered(message, {players_->TeamName(c.team), std::to_string(std::abs(points))});
    resultText_ = made ? "Contract successful " : "Contract failed ";
    if (!misere)
        resultText_ += "(" + std::to_string(taken) + " tricks / " + std::to_string(c.bid.count) + " bid)";
    int32_t defenders = (misere && made) ? 0 : defended * 10;
    score_[c.team - 1] += points;
    int32_t& other = score_[OtherTeam(c.team) - 1];
    other = MinOf(other + defenders, 490);
    lastPoints_[c.team - 1] = points;
    lastPoints_[OtherTeam(c.team) - 1] = defenders;
    handsWon_[(points > 0 ? c.team : OtherTeam(c.team)) - 1] += 1;
    AchievementTrigger("HAND");
    status_ = STATUS_STARTING;
}

bool TSession::GameInProgress() const { return score_[0] != 0 || score_[1] != 0 || status_ > STATUS_DEALING; }

bool TSession::MisereAllowed() const
{
    return hostMisere_ ? *hostMisere_ : SettingBool("Variation.Misere");
}

TTeam TSession::WinningTeam() const
{
    for (TTeam t = 1; t <= 2; ++t)
        if (Score(t) >= 500 || Score(OtherTeam(t)) <= -500) return t;
    return 0;
}

TSeat TSession::LocalSeat() const
{
    // In a shared game every machine has its own seat, computer-played or not.
    if (SettingBool("Debug.AutoPlay") && !IsMultiplayerActive()) return 1;
    for (TSeat s = 1; s <= 4; ++s)
        if (players_->GetPlayer(s)->IsLocal()) return s;
    return 1;  // a game always has a local seat; seat 1 stands in without one
}

// ---------------------------------------------------------------- saved game
namespace {
constexpr const char* kRootName = "savegameQar";

bool SetFromText(const std::string& text, TCardset& set)
{
    if (!set.FromTextChecked(text)) return false;
    for (int32_t i = 1; i <= set.Count(); ++i)
        if (set.Get(i) != 0 && !IsCardInDeck(set.Get(i))) return false;
    return true;
}

// How many cards each place may hold in each phase of a hand: the deal
// leaves three in the deck, and only the declarer takes the kitty.
bool CardCountsFit(int32_t status, const TCardset& deck, const TSessionPlayers& players, TSeat declarer)
{
    if (status == STATUS_STARTING || status == STATUS_PLAYING) return true;
    if (status == STATUS_DEALING && deck.Count() < 3) return false;
    if ((status == STATUS_BIDDING || status == STATUS_BID_COMPLETE) && deck.Count() != 3) return false;
    if (status == STATUS_KITTY && deck.Count() > 3) return false;
    for (TSeat s = 1; s <= 4; ++s) {
        int32_t most = status == STATUS_KITTY && s == declarer ? 13 : 10;
        if (players.GetPlayer(s)->Hand().Count() > most) return false;
    }
    return true;
}

// The tricks tell the same story as the rest of the game: none before play
// starts, each closed trick led on by its winner, the tricks won counted
// from those winners, every trick card among the played cards and played
// once, and while play runs each seat holding what it has not yet played.
bool TricksAgree(const TSessionTricks& tricks, int32_t status, const TCardset& played, const TSessionPlayers& players,
                 const TContract& contract)
{
    int32_t current = tricks.Current();
    if (status > STATUS_STARTING && status < STATUS_PLAYING && current != 0) return false;
    bool seen[53] = {};
    int32_t won[2] = {0, 0}, playedBy[4] = {0, 0, 0, 0};
    for (int32_t n = 1; n <= current; ++n) {
        TTrick t = tricks.GetTrick(n);
        if (n < current && (!IsSeat(t.winner) || tricks.GetTrick(n + 1).leader != t.winner)) return false;
        if (IsSeat(t.winner)) ++won[TeamOfSeat(TSeat(t.winner)) - 1];
        for (int32_t s = 0; s < 4; ++s) {
            TCard c = t.cards[s];
            if (c == 0) continue;
            if (seen[c] || !played.Contains(c)) return false;
            seen[c] = true;
            ++playedBy[s];
        }
    }
    if (won[0] != tricks.TricksWon(1) || won[1] != tricks.TricksWon(2)) return false;
    if (status != STATUS_PLAYING) return true;
    bool misere = IsMisereBid(contract.bid);
    for (TSeat s = 1; s <= 4; ++s) {
        int32_t dealt = misere && s == PartnerOf(contract.declarer) ? 0 : 10;
        if (players.GetPlayer(s)->Hand().Count() + playedBy[s - 1] != dealt) return false;
    }
    return true;
}

bool LoadFailed(const std::string& reason)
{
    ShowWarning("Unable to load the saved game: " + reason);
    return false;
}
}  // namespace

void TSession::SaveTo(TQZKeyValue* node) const
{
    // A card still in flight is written where it lands (a hand, or the table
    // and the trick): it has already left the deck or the hand, and a game
    // that holds it nowhere would not load.
    TCardset deck = deck_;
    TCardset hands[4] = {HandOf(1), HandOf(2), HandOf(3), HandOf(4)};
    TSessionTricks tricks = tricks_;
    for (const auto& m : moves_) PlaceCard(m.move, {&deck, {&hands[0], &hands[1], &hands[2], &hands[3]}, &tricks});

    node->SetString("game_version", kSavedGameVersion);
    node->SetString("save_date", "*TODO!*");
    TQZKeyValue* state = node->GetNode("state");
    state->SetString("contract", ContractToText(GetContract()));
    state->SetString("deck", deck.ToText());
    state->SetString("deckplayed", outOfPlay_.ToText());
    state->SetString("handswon", PairToText(handsWon_[0], handsWon_[1]));
    state->SetString("prompt", prompt_);
    state->SetString("score", PairToText(score_[0], score_[1]));
    state->SetInt("status", status_);
    TQZKeyValue* players = state->GetNode("players");
    players_->SaveTo(players);
    for (TSeat s = 1; s <= 4; ++s)
        players->GetNode("Player[" + std::to_string(s) + "]")->SetString("Hand", hands[s - 1].ToText());
    bidding_.SaveTo(state->GetNode("bidding"));
    tricks.SaveTo(state->GetNode("tricks"));
}

bool TSession::LoadFrom(TQZKeyValue* node)
{
    if (!node) return false;
    std::string version = node->GetString("game_version");
    if (version != kSavedGameVersion) {
        ShowWarning("Load game version mismatch! Loading \"" + version + "\", expected \"" + kSavedGameVersion +
                    "\"");
        return false;
    }
    TQZKeyValue* state = node->FindNode("state", false);
    if (!state) return LoadFailed("no game state");
    // Far beyond what a game reaches (it ends at 500 either way), yet small
    // enough that scoring more hands can never overflow.
    constexpr int32_t kLimit = 1000000;
    int32_t won1 = 0, won2 = 0, score1 = 0, score2 = 0;
    if (!PairFromTextChecked(state->GetString("handswon"), won1, won2) || won1 < 0 || won2 < 0 || won1 > kLimit ||
        won2 > kLimit)
        return LoadFailed("hands won");
    if (!PairFromTextChecked(state->GetString("score"), score1, score2) || score1 < -kLimit || score1 > kLimit ||
        score2 < -kLimit || score2 > kLimit)
        return LoadFailed("score");
    int32_t status = TextToIntDef(state->GetString("status"), -1);
    if (status < STATUS_STARTING || status > STATUS_PLAYING) return LoadFailed("status");
    TCardset deck, played;
    if (!SetFromText(state->GetString("deck"), deck) || !SetFromText(state->GetString("deckplayed"), played))
        return LoadFailed("cards");
    TSessionBidding bidding;
    if (!bidding.LoadFrom(state->FindNode("bidding", false))) return LoadFailed("bidding");
    TSessionTricks tricks;
    if (!tricks.LoadFrom(state->FindNode("tricks", false))) return LoadFailed("tricks");
    auto players = std::make_unique<TSessionPlayers>(false);
    if (!players->LoadFrom(state->FindNode("players", false))) return LoadFailed("players");
    bool local = false;
    for (TSeat s = 1; s <= 4; ++s) local = local || players->GetPlayer(s)->IsLocal();
    if (!local) return LoadFailed("no local player");

    // Every card of the deck exactly once across hands, deck and played
    // cards while a hand runs; during trick play the deck set holds the
    // table slots, copies of played cards.
    int32_t seen[53] = {};
    int32_t total = 0;
    auto count = [&](const TCardset& set) {
        for (int32_t i = 1; i <= set.Count(); ++i)
            if (set.Get(i) != 0) ++seen[set.Get(i)], ++total;
    };
    for (TSeat s = 1; s <= 4; ++s) count(players->GetPlayer(s)->Hand());
    count(played);
    if (status != STATUS_STARTING && status != STATUS_PLAYING) count(deck);
    bool twice = false;
    for (int32_t c = 0; c <= 52; ++c) twice = twice || seen[c] > 1;
    if (twice) return LoadFailed("a card is held twice");
    if (status != STATUS_STARTING && total != DECK_SIZE) return LoadFailed("cards missing");
    // Empty places exist only on the table: never among the played cards,
    // nor in the deck before trick play.
    if (played.Contains(0) || (status > STATUS_STARTING && status < STATUS_PLAYING && deck.Contains(0)))
        return LoadFailed("cards");
    if (status == STATUS_PLAYING) {
        if (tricks.Current() < 1 || !bidding.HasContract()) return LoadFailed("no trick in play");
        // The table shows the current trick, seat by seat.
        const TTrick& trick = tricks.CurrentTrickRef();
        if (deck.Count() != 4) return LoadFailed("table cards");
        for (TSeat s = 1; s <= 4; ++s)
            if (deck.Get(s) != trick.Card(s)) return LoadFailed("table cards");
    }
    if (status >= STATUS_BID_COMPLETE && !bidding.HasContract()) return LoadFailed("no contract");
    TContract contract;
    if (bidding.HasContract()) {
        contract.declarer = bidding.HighBidder();
        contract.bid = bidding.WinningBid();
    }
    if (!CardCountsFit(status, deck, *players, contract.declarer)) return LoadFailed("cards in the wrong places");
    if (!TricksAgree(tricks, status, played, *players, contract)) return LoadFailed("tricks");

    // Everything checked: the session takes the loaded game.
    FinishMoves();
    governor_->RemoveActions(ACTION_NULL);
    handsWon_[0] = won1;
    handsWon_[1] = won2;
    score_[0] = score1;
    score_[1] = score2;
    prompt_ = state->GetString("prompt");
    status_ = TSessionStatus(status);
    deck_ = deck;
    outOfPlay_ = played;
    bidding_ = bidding;
    tricks_ = tricks;
    tricks_.SetTable(&deck_);
    tricks_.SetContract(bidding_.HasContract() ? GetContract() : TContract{});
    for (TSeat s = 1; s <= 4; ++s) *players_->GetPlayer(s) = std::move(*players->GetPlayer(s));
    for (auto& c : moveCount_) c = 0;
    return true;
}

bool SaveGameText(const TSession& session, std::string& text)
{
    TQZKeyValue root(kRootName);
    session.SaveTo(&root);
    text = root.ToText(false);
    return true;
}

bool LoadGameText(TSession& session, const std::string& text)
{
    TQZKeyValue root;
    if (!root.ParseText(text)) return LoadFailed("the file is not a saved game");
    return session.LoadFrom(&root);
}

bool TSession::SaveGame(const std::string& file)
{
    // Cards still flying land first, so the file holds them where they go;
    // other timers (thinking, screens) keep waiting.
    FinishMoves();
    std::string text;
    if (!SaveGameText(*this, text)) {
        WriteLog("Unable to save the game to " + file + ": the game could not be written as text");
        return false;
    }
    if (int32_t result = WriteTextFile(file, text); result != QZRES_OK) {
        WriteLog("Unable to save the game to " + file + ": " + ::ResultText(result));
        return false;
    }
    return true;
}

bool TSession::LoadGame(const std::string& file)
{
    if (!IsFile(file)) return false;
    return LoadGameText(*this, ReadTextFile(file));
}
