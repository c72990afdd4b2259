// Hostile peers against a host, and against a client that joins one, on the
// in-memory transport with hand-built datagrams and the simulated clock:
// guessing a member's salt, floods of joins, early messages that would fill
// the host's memory, floods of refusals that would fill its log, and the
// pages of a chunk transfer from a peer that never connected.
#include "netsim.h"

#include <gtest/gtest.h>

namespace {

using namespace nettest;

// The main thread's step runs once a frame (16 ms), as in the game; the
// network threads pass every millisecond.
void RunFrames(TSim& sim, uint32_t ms, const std::function<void()>& eachMs = {})
{
    for (uint32_t i = 0; i < ms; ++i) {
        sim.net.Advance(1);
        if (eachMs) eachMs();
        if (sim.net.Now() % 16 == 0)
            for (auto& n : sim.nodes) n->session->Process();
        for (auto& n : sim.nodes) n->thread->Pump();
    }
}

// Log lines a node wrote while `what` ran, per simulated second.
template <class F> double LinesPerSecond(TSim& sim, TNode& node, F what)
{
    const size_t before = node.log.size();
    const uint32_t start = sim.net.Now();
    what();
    const double seconds = double(sim.net.Now() - start) / 1000.0;
    return double(node.log.size() - before) / std::max(seconds, 1.0);
}

// "A few lines a second" under a flood: a line a second for each kind of
// refusal it causes and one for its other sources.
constexpr double kFewLines = 8.0;

TEST(NetHostile, JoinSaltsComeFromTheSystemNotTheClock)
{
    TSim sim;
    TNode& a = sim.Add("a");
    TNode& b = sim.Add("b");
    (void)a.session->Open("host");
    (void)b.session->Open("host");
    const int32_t now = int32_t(sim.net.Now());
    const int32_t saltA = a.FirstPeer()->Salt(), saltB = b.FirstPeer()->Salt();
    EXPECT_NE(saltA, now);
    EXPECT_NE(saltB, now);
    EXPECT_NE(saltA, saltB) << "two joins in the same millisecond";
    (void)a.session->Open("host");
    EXPECT_NE(a.FirstPeer()->Salt(), saltA) << "every join draws anew";
}

TEST(NetHostile, NoTakeoverAfterAHundredThousandSaltGuesses)
{
    TPair pair;
    TQZPeer* member = pair.host.FirstPeer();
    const TQZIdentity victim = pair.client.session->LocalIdentity();
    const int32_t salt = member->Salt();
    ASSERT_EQ(salt, pair.client.FirstPeer()->Salt());
    // Guesses from a thousand addresses, sweeping around the member's salt;
    // the right one comes early, in the middle and at the end.
    std::vector<std::unique_ptr<TRaw>> mallory;
    for (int i = 0; i < 1000; ++i) mallory.push_back(std::make_unique<TRaw>(pair.sim, "m" + std::to_string(i)));
    const int32_t guesses = 100000;
    auto guessAt = [&](int32_t i) {
        if (i == 20 || i == guesses / 2 || i == guesses - 1) return salt;
        return int32_t(uint32_t(salt) - uint32_t(guesses / 2) + uint32_t(i) + 1u);
    };
    const double lines = LinesPerSecond(pair.sim, pair.host, [&] {
        for (int32_t i = 0; i < guesses;) {
            // About 28,000 a second.
            for (int k = 0; k < 28 && i < guesses; ++k, ++i)
                mallory[size_t(i) % mallory.size()]->Queue("host", kFalconPort, CHANNEL_ADMIN,
                                                           JoinPayload(kJoinMagic, kSessionId, victim, guessAt(i)));
            for (auto& m : mallory) m->thread->Pump();
            pair.sim.Run(1);
        }
        pair.sim.Run(100);
    });
    EXPECT_EQ(member->Connection().Address(), "client");
    EXPECT_TRUE(member->IsConnected());
    EXPECT_EQ(pair.host.session->Peers().Count(), 1);
    for (const auto& m : mallory) EXPECT_EQ(m->heard, 0) << "nothing of the member's reached an attacker";
    EXPECT_LE(lines, kFewLines);
    // The member's link carries on both ways.
    pair.clientGame->Send({1}, false);
    pair.hostGame->Send({2}, false);
    pair.sim.Run(100);
    EXPECT_EQ(pair.hostInbox.messages.size(), 1u);
    EXPECT_EQ(pair.clientInbox.messages.size(), 1u);
    EXPECT_TRUE(pair.client.session->IsConnected());
}

TEST(NetHostile, WrongSaltsAreFewPerAddressAndPerIdentityAndAMemberMayStillMove)
{
    TPair pair;
    TNode& other = pair.sim.Add("other");
    (void)other.session->Open("host");
    ASSERT_TRUE(pair.sim.RunUntil(3000, [&] { return other.session->IsConnected(); }));
    TQZPeer* member = pair.host.FirstPeer();
    const TQZIdentity victim = pair.client.session->LocalIdentity();
    const TQZIdentity second = other.session->LocalIdentity();
    const int32_t otherSalt = other.FirstPeer()->Salt();
    auto join = [&](TRaw& from, const TQZIdentity& who, int32_t salt) {
        from.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, who, salt));
        pair.sim.Run(2);
    };
    // One address spends its guesses on two members, half on each.
    TRaw mallory(pair.sim, "mallory");
    for (int32_t i = 1; i <= kSaltGuessesMax / 2; ++i) {
        join(mallory, victim, member->Salt() + i);
        join(mallory, second, otherSalt + i);
    }
    EXPECT_TRUE(pair.host.session->Ledger().GuessesSpent("mallory:77", pair.sim.net.Now()));
    join(mallory, second, otherSalt);
    EXPECT_EQ(pair.host.session->Peers().FindByIdentity(second)->Connection().Address(), "other")
        << "not even the right salt from that address";
    // Neither identity has spent its guesses: the member itself may move
    // (its link changed address) with its own salt.
    TRaw moved(pair.sim, "client-moved", pair.client.thread->LocalPort());
    join(moved, victim, member->Salt());
    EXPECT_EQ(member->Connection().Address(), "client-moved");
    // Guesses at one identity from fresh addresses spend the identity's.
    std::vector<std::unique_ptr<TRaw>> fresh;
    for (int32_t i = 0; i < kSaltGuessesMax / 2 + 1; ++i) {
        fresh.push_back(std::make_unique<TRaw>(pair.sim, "f" + std::to_string(i)));
        join(*fresh.back(), victim, member->Salt() - 1 - i);
    }
    join(*fresh.back(), victim, member->Salt());
    EXPECT_EQ(member->Connection().Address(), "client-moved") << "the identity moves nowhere for now";
    // After the window a salt may be tried again.
    pair.sim.Run(kSaltGuessWindow);
    EXPECT_TRUE(pair.host.Logged("Ignoring join request: too many wrong salts for client"));
    EXPECT_FALSE(pair.host.session->Ledger().GuessesSpent("mallory:77", pair.sim.net.Now()));
    EXPECT_FALSE(member->SaltGuesses().Spent(pair.sim.net.Now()));
}

TEST(NetHostile, AConnectingClientFollowsNoWelcomeFromElsewhereAfterAFewWrongSalts)
{
    TSim sim;
    TNode& client = sim.Add("client");
    TRaw host(sim, "host", kFalconPort);
    (void)client.session->Open("host");
    TQZPeer* peer = client.FirstPeer();
    const int32_t salt = peer->Salt();
    const TQZIdentity hostId = MakeIdentity("host");
    std::vector<std::unique_ptr<TRaw>> mallory;
    for (int i = 0; i < 100; ++i) mallory.push_back(std::make_unique<TRaw>(sim, "e" + std::to_string(i)));
    const int32_t guesses = 100000;
    const double lines = LinesPerSecond(sim, client, [&] {
        for (int32_t i = 0; i < guesses;) {
            for (int k = 0; k < 28 && i < guesses; ++k, ++i) {
                const int32_t guess = (i == 20 || i == guesses / 2)
                                          ? salt
                                          : int32_t(uint32_t(salt) - uint32_t(guesses / 2) + uint32_t(i) + 1u);
                mallory[size_t(i) % mallory.size()]->Queue("client", client.thread->LocalPort(), CHANNEL_ADMIN,
                                                           WelcomePayload(hostId, guess), 1);
            }
            for (auto& m : mallory) m->thread->Pump();
            RunFrames(sim, 1);
        }
    });
    EXPECT_EQ(peer->Connection().Address(), "host");
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTING);
    EXPECT_LE(lines, kFewLines);
    // The host's own welcome still lands.
    host.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, WelcomePayload(hostId, salt), 1);
    RunFrames(sim, 20);
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTED);
    EXPECT_EQ(peer->Connection().Address(), "host");
}

// A host with its party, and joins that never complete.
struct TJoinFlood {
    explicit TJoinFlood(uint64_t seed) : sim(seed), host(sim.Add("host"))
    {
        host.session->GetPartyService();
        (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    }
    // The peers the host holds stay within bounds.
    void CheckBounds()
    {
        int32_t pending = 0;
        for (const auto& p : host.session->Peers().Snapshot()) pending += p->Pending() ? 1 : 0;
        maxPeers = std::max(maxPeers, host.session->Peers().Count());
        maxPending = std::max(maxPending, pending);
        maxQueued = std::max(maxQueued, host.session->UnknownQueued());
    }
    // A real client opens after 3 s of the flood and must join within 5 s
    // (connected, its welcome answered at the host, its party id known),
    // then keep its place for `after` ms more of it; the host stays within
    // its bounds and writes a few lines a second.
    void RealClientJoinsDuring(const std::function<void()>& flood, uint32_t after)
    {
        auto step = [&] {
            flood();
            CheckBounds();
        };
        const double lines = LinesPerSecond(sim, host, [&] { RunFrames(sim, 3000, step); });
        TNode& client = sim.Add("player");
        client.session->GetPartyService();
        (void)client.session->Open("host");
        const uint32_t start = sim.net.Now();
        auto joined = [&] {
            auto peer = host.session->Peers().FindByIdentity(client.session->LocalIdentity());
            return client.session->State() == FS_CLIENT_CONNECTED && peer && peer->Answered() &&
                   client.session->GetPartyService()->LocalPartyId() != 0;
        };
        while (!joined() && sim.net.Now() - start < 20000) RunFrames(sim, 1, step);
        EXPECT_TRUE(joined());
        EXPECT_LE(sim.net.Now() - start, 5000u);
        RunFrames(sim, after, step);
        EXPECT_TRUE(client.session->IsConnected());
        EXPECT_LE(maxPeers, kPeersMax);
        EXPECT_LE(maxPending, kPendingJoinsMax);
        EXPECT_LE(lines, kFewLines);
    }

    TSim sim;
    TNode& host;
    int32_t maxPeers = 0, maxPending = 0, maxQueued = 0;
};

TEST(NetHostile, ARealClientJoinsWhileFortySocketsRepeatJoinsTheyNeverComplete)
{
    TJoinFlood f(3);
    std::vector<std::unique_ptr<TRaw>> sockets;
    std::vector<TQZIdentity> ids;
    for (int i = 0; i < 40; ++i) {
        sockets.push_back(std::make_unique<TRaw>(f.sim, "j" + std::to_string(i)));
        ids.push_back(MakeIdentity("j" + std::to_string(i)));
    }
    int32_t n = 0;
    // Every socket repeats its join every 5 ms, with a new salt each time.
    auto flood = [&] {
        for (size_t i = 0; i < sockets.size(); ++i)
            if ((f.sim.net.Now() + i) % 5 == 0)
                sockets[i]->Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, ids[i], ++n));
    };
    f.RealClientJoinsDuring(flood, 15000);
}

TEST(NetHostile, ARealClientJoinsWhileTwentyEightThousandJoinsASecondArrive)
{
    TJoinFlood f(4);
    std::vector<std::unique_ptr<TRaw>> sockets;
    for (int i = 0; i < 64; ++i) sockets.push_back(std::make_unique<TRaw>(f.sim, "f" + std::to_string(i)));
    int32_t n = 0;
    // 28 a millisecond, each with a fresh identity and salt.
    auto flood = [&] {
        for (int k = 0; k < 28; ++k, ++n)
            sockets[size_t(n) % sockets.size()]->Queue(
                "host", kFalconPort, CHANNEL_ADMIN,
                JoinPayload(kJoinMagic, kSessionId, MakeIdentity("f" + std::to_string(n)), n));
        for (auto& s : sockets) s->thread->Pump();
    };
    f.RealClientJoinsDuring(flood, 10000);
    EXPECT_LE(f.maxQueued, kUnknownPerAddress * int32_t(sockets.size()));
}

TEST(NetHostile, AnAddressThatLeavesItsWelcomeUnansweredIsShutOutForAWhile)
{
    TSim sim;
    TNode& host = sim.Add("host");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    TRaw m(sim, "m");
    const TQZIdentity id = MakeIdentity("m");
    m.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, id, 1));
    sim.Run(kWelcomeAnswerTime / 2);
    // Joining again keeps the first deadline.
    m.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, id, 2));
    sim.Run(kWelcomeAnswerTime / 2 + 100);
    EXPECT_EQ(host.session->Peers().Count(), 0);
    EXPECT_TRUE(host.Logged("the welcome was never answered"));
    m.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, id, 3));
    sim.Run(10);
    EXPECT_EQ(host.session->Peers().Count(), 0);
    sim.Run(kUnansweredBlock);
    m.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, id, 4));
    sim.Run(10);
    EXPECT_EQ(host.session->Peers().Count(), 1) << "the block has passed";
}

// A host's peer with the game's two ordered channels beside the relay.
class TGamePeer : public TQZPeer {
public:
    using TQZPeer::TQZPeer;
    void Setup() override
    {
        for (uint16_t id : {CHANNEL_GAME, CHANNEL_PARTY}) {
            auto* c = AddChannel(std::make_shared<TQZChannelReliable>(this, true, id));
            c->SetReceiveCallback(&TInbox::OnReceive, &inbox);
        }
    }
    static std::shared_ptr<TQZPeer> Make(TQZFalcon* s, const std::string& a, uint16_t p)
    {
        return std::make_shared<TGamePeer>(s, a, p);
    }
    TInbox inbox;
};

// A host whose peers carry the game's ordered channels.
TNode& AddGameHost(TSim& sim)
{
    TNode& host = sim.Add("host");
    host.session->Peers().SetPeerClass(&TGamePeer::Make);
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    return host;
}

// An early message: number n (never 1) on an ordered channel, with as many
// bytes as the datagram takes.
TQZByteArray Early(uint32_t n, size_t size)
{
    TQZByteArray m(size - 4, uint8_t(n));
    TQZNetWriter(m).U32(n);
    return m;
}

TEST(NetHostile, EarlyMessagesOfThirtyTwoMembersStayWithinTheSessionsBudget)
{
    TSim sim(5);
    TNode& host = AddGameHost(sim);
    std::vector<TNode*> members;
    for (int i = 0; i < 32; ++i) {
        members.push_back(&sim.Add("m" + std::to_string(i)));
        (void)members.back()->session->Open("host");
    }
    // More at once than may wait for their answer: the rest come in with
    // their next join.
    ASSERT_TRUE(sim.RunUntil(5000, [&] {
        const auto peers = host.session->Peers().ConnectedPeers();
        return peers.size() == members.size() &&
               std::all_of(peers.begin(), peers.end(), [](const auto& p) { return p->Answered(); }) &&
               std::all_of(members.begin(), members.end(), [](TNode* m) { return m->session->IsConnected(); });
    }));
    TQZCacheBudget& budget = host.session->CacheBudget();
    const int64_t start = budget.InUse();
    int64_t peak = 0;
    const uint16_t channels[] = {CHANNEL_GAME, CHANNEL_PARTY, CHANNEL_RELAY};
    const double lines = LinesPerSecond(sim, host, [&] {
        for (uint32_t n = 2; n < 800; ++n) {
            for (TNode* m : members) {
                TQZConnection& c = m->FirstPeer()->Connection();
                for (uint16_t channel : channels) c.SendDatagram(Early(n, kNetMaxDatagramPayload), channel, true);
                // Datagrams of 60 KB are refused whole.
                if (n % 100 == 0) c.SendDatagram(Early(n + 1, 60000), CHANNEL_GAME, true);
            }
            sim.Run(1);
            peak = std::max(peak, budget.InUse());
            ASSERT_LE(budget.InUse(), budget.Limit());
        }
    });
    EXPECT_GT(peak, budget.Limit() / 2) << "the flood did reach the budget";
    EXPECT_LE(budget.Peak(), budget.Limit());
    EXPECT_TRUE(host.Logged("room for early messages"));
    EXPECT_TRUE(host.Logged("it sent more ahead of time than the session keeps"));
    // Beside a few a second, two lines for each member cut off.
    EXPECT_LE(lines, kFewLines + 2.0 * double(members.size()));
    // Members cut off hold nothing more; the rest leave and take it along.
    for (const auto& peer : host.session->Peers().Snapshot()) {
        if (!peer->IsConnected()) {
            EXPECT_EQ(budget.Held(peer.get()), 0);
        }
    }
    for (TNode* m : members) m->session->Close();
    sim.Run(100);
    EXPECT_EQ(budget.InUse(), start);
    EXPECT_EQ(start, 0);
}

TEST(NetHostile, DatagramsLongerThanTheProtocolsAreRefusedBeforeTheyCount)
{
    TPair pair;
    TQZConnection& from = pair.client.FirstPeer()->Connection();
    TQZConnection& at = pair.host.FirstPeer()->Connection();
    pair.sim.Run(10);
    const uint32_t acked = at.AckLatest();
    const int32_t received = at.Received();
    from.SendDatagram(Early(2, kNetMaxDatagramPayload + 1), CHANNEL_GAME, true);
    pair.sim.Run(2);
    EXPECT_EQ(at.Received(), received);
    EXPECT_EQ(at.AckLatest(), acked) << "never acknowledged";
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
    from.SendDatagram(Early(3, kNetMaxDatagramPayload), CHANNEL_GAME, true);
    pair.sim.Run(2);
    EXPECT_EQ(pair.hostGame->FutureCount(), 1);
    EXPECT_EQ(pair.host.session->CacheBudget().Held(pair.host.FirstPeer()), int64_t(kNetMaxDatagramPayload - 4));
}

TEST(NetHostile, WhenTheBudgetIsSpentThePeerHoldingTheMostGivesWay)
{
    TSim sim(6);
    TNode& host = AddGameHost(sim);
    std::vector<TNode*> nodes;
    for (const char* name : {"greedy", "greedier", "honest"}) {
        nodes.push_back(&sim.Add(name));
        (void)nodes.back()->session->Open("host");
        ASSERT_TRUE(sim.RunUntil(3000, [&] { return nodes.back()->session->IsConnected(); })) << name;
    }
    TNode& greedy = *nodes[0];
    TNode& greedier = *nodes[1];
    TNode& honest = *nodes[2];
    TQZCacheBudget& budget = host.session->CacheBudget();
    auto peerOf = [&](TNode& n) { return host.session->Peers().FindByIdentity(n.session->LocalIdentity()); };
    // Two greedy members fill the budget almost to the brim, one more than
    // the other (a channel keeps at most kFutureWindow messages ahead).
    for (uint32_t n = 2; n < kFutureWindow && budget.InUse() + 4 * int64_t(kNetMaxDatagramPayload) < budget.Limit();
         ++n) {
        for (uint16_t channel : {CHANNEL_GAME, CHANNEL_PARTY, CHANNEL_RELAY}) {
            greedier.FirstPeer()->Connection().SendDatagram(Early(n, kNetMaxDatagramPayload), channel, true);
            if (n >= 200)
                greedy.FirstPeer()->Connection().SendDatagram(Early(n, kNetMaxDatagramPayload), channel, true);
        }
        sim.Run(1);
    }
    ASSERT_GT(budget.InUse() + 4 * int64_t(kNetMaxDatagramPayload), budget.Limit());
    ASSERT_TRUE(peerOf(greedy)->IsConnected());
    ASSERT_TRUE(peerOf(greedier)->IsConnected());
    // The honest one has a few messages waiting for a lost one: when they
    // do not fit, the one that holds the most gives way, not the honest one.
    for (uint32_t k = 2; k < 8; ++k) honest.FirstPeer()->Connection().SendDatagram(Early(k, 1000), CHANNEL_GAME, true);
    sim.Run(5);
    EXPECT_FALSE(peerOf(greedier)->IsConnected());
    EXPECT_EQ(budget.Held(peerOf(greedier).get()), 0);
    EXPECT_TRUE(peerOf(greedy)->IsConnected());
    EXPECT_TRUE(peerOf(honest)->IsConnected());
    EXPECT_EQ(budget.Held(peerOf(honest).get()), 6 * 996);
    EXPECT_LE(budget.Peak(), budget.Limit());
}

TEST(NetHostile, AMemberThatGoesTakesItsCachesAlong)
{
    TPair pair;
    TQZPeer* member = pair.host.FirstPeer();
    pair.client.FirstPeer()->Connection().SendDatagram(Early(5, 500), CHANNEL_GAME, true);
    pair.sim.Run(2);
    ASSERT_EQ(pair.host.session->CacheBudget().Held(member), 496);
    pair.client.session->Close();
    pair.sim.Run(5);
    ASSERT_FALSE(member->IsConnected());
    EXPECT_EQ(pair.host.session->Peers().Count(), 1) << "the peer stays";
    EXPECT_EQ(pair.host.session->CacheBudget().InUse(), 0) << "its caches do not";
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
}

TEST(NetHostile, AFloodOfRefusedDatagramsFromAMemberWritesAFewLinesASecond)
{
    TPair pair;
    TQZConnection& c = pair.client.FirstPeer()->Connection();
    TQZByteArray badJoin = JoinPayload(kJoinMagic + 1, kSessionId, MakeIdentity("x"), 1);
    TQZByteArray shortWelcome{ADMIN_WELCOME, 0, 0, 0, 1, 2};
    TQZByteArray badPart{1, 0, 1, 0, 9, 3, 7};
    TQZByteArray badAnnounce(32, 0);
    badAnnounce[16] = 0xFF;  // a length of -1 wherever the rest points
    badAnnounce[23] = 0xFF;
    const struct {
        uint16_t channel;
        TQZByteArray payload;
    } kinds[] = {
        {77, {1, 2, 3}},                // no such channel
        {CHANNEL_GAME, {1, 2}},         // no message number
        {CHANNEL_ADMIN, badJoin},       // an invalid join
        {CHANNEL_ADMIN, shortWelcome},  // a short welcome
        {CHANNEL_MULTIPART, badPart},   // a malformed part
        {CHANNEL_CHUNK, badAnnounce},   // an announce of no length
    };
    // 25,000 datagrams a second for five seconds.
    int32_t n = 0;
    const size_t before = pair.host.log.size();
    pair.sim.Run(1);
    for (int ms = 0; ms < 5000; ++ms) {
        for (int k = 0; k < 25; ++k, ++n) {
            const auto& kind = kinds[size_t(n) % std::size(kinds)];
            c.SendDatagram(kind.payload, kind.channel, false);
        }
        pair.sim.Run(1);
    }
    pair.sim.Run(3000);
    const size_t lines = pair.host.log.size() - before;
    // A few lines a second, the counts told.
    EXPECT_LE(double(lines), kFewLines * 8);
    EXPECT_GE(lines, 4u);
    EXPECT_TRUE(pair.host.Logged("Abandoning packet for channel 77 as doesn't exist! (and "));
    EXPECT_TRUE(pair.host.session->IsConnected());
}

TEST(NetHostile, ChunkPagesOfAPeerThatNeverConnectedAreFreedWhenItsSlicesStop)
{
    TSim sim;
    TNode& client = sim.Add("client");
    TRaw host(sim, "host", kFalconPort);
    (void)client.session->Open("host");
    const uint16_t port = client.thread->LocalPort();
    host.Send("client", port, CHANNEL_CHUNK, ChunkControl(CHUNK_ANNOUNCE, 1, 1 << 20, CHANNEL_GAME), 1);
    for (int32_t i = 0; i < 200; i += 2) host.Send("client", port, CHANNEL_CHUNK, ChunkSlice(1, i, kChunkSliceSize), 2 + i);
    sim.Run(10);
    ASSERT_FALSE(client.FirstPeer()->IsConnected());
    EXPECT_GT(client.session->CacheBudget().InUse(), 0);
    sim.Run(kChunkReceiveExpiry + 2 * kChunkTick);
    EXPECT_EQ(client.session->CacheBudget().InUse(), 0);
    EXPECT_EQ(client.FirstPeer()->Chunk()->ReceiveState(), 0);
}

// The throttle itself: a line a second per kind and source with the count,
// one source per kind, and one entry for all the other sources.
TEST(NetLogThrottle, HoldsAFloodToALineASecondAndTellsTheCount)
{
    TQZLogThrottle t;
    std::vector<std::string> out;
    auto write = [&](const std::string& l) { out.push_back(l); };
    for (uint32_t ms = 0; ms < 2500; ++ms) t.Repeated("k", "a:1", "refused a", 10000 + ms, write);
    EXPECT_EQ(out, (std::vector<std::string>{"refused a", "refused a (and 999 more like it)",
                                             "refused a (and 999 more like it)"}));
    // Other sources of the kind share one entry with every other kind.
    for (char c : std::string("bcdef")) t.Repeated("k", std::string(1, c), std::string("refused ") + c, 12600, write);
    t.Repeated("j", "g", "refused g", 12601, write);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[3], "refused b");
    EXPECT_EQ(out[4], "refused g") << "a kind of its own";
    t.Flush(13000, write);
    EXPECT_EQ(out.size(), 5u) << "nothing has stopped yet";
    t.Flush(14700, write);
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[5], "refused f (and 4 more from other sources)");
    EXPECT_EQ(out[6], "refused a (and 499 more like it)");
    EXPECT_EQ(t.Entries(), 0u);
    t.Repeated("k", "b", "refused b", 14701, write);
    EXPECT_EQ(out.back(), "refused b") << "the kind's place is free again";
}

TEST(NetLogThrottle, ManyKindsFromManySourcesWriteAFewLinesASecond)
{
    TQZLogThrottle t;
    int64_t lines = 0;
    auto write = [&](const std::string&) { ++lines; };
    for (uint32_t ms = 0; ms < 10000; ++ms) {
        for (int k = 0; k < 10; ++k)
            t.Repeated("kind" + std::to_string(k), "s" + std::to_string(ms % 97), "x", ms, write);
        t.Flush(ms, write);
    }
    // The first of each kind and of the other sources; then a few a second.
    EXPECT_LE(lines, 11 + 10 * kThrottleLines);
    EXPECT_GE(lines, 11 + 9 * kThrottleLines);
    EXPECT_LE(t.Entries(), 11u);
}

}  // namespace
