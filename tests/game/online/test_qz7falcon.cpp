#include "netsim.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace nettest;

struct TEvents {
    static void OnConnect(void* user, TQZPeer*) { ++static_cast<TEvents*>(user)->connects; }
    static void OnDisconnect(void* user, TQZPeer*) { ++static_cast<TEvents*>(user)->disconnects; }
    static void OnState(void* user, TQZFalcon*) { ++static_cast<TEvents*>(user)->states; }
    void Attach(TQZFalcon& s)
    {
        s.SetOnPeerConnect(&TEvents::OnConnect, this);
        s.SetOnPeerDisconnect(&TEvents::OnDisconnect, this);
        s.SetOnStateChange(&TEvents::OnState, this);
    }
    int connects = 0, disconnects = 0, states = 0;
};

TEST(NetIdentity, RecordIs48BytesAndClampsItsLength)
{
    TQZIdentity id = MakeIdentity(std::string(40, 'n'));
    EXPECT_EQ(id.name.size(), 31u);
    TQZByteArray bytes;
    TQZNetWriter w(bytes);
    WriteIdentity(w, id);
    ASSERT_EQ(bytes.size(), kIdentitySize);
    bytes[0] = 200;  // a peer may claim any length
    TQZNetReader r(bytes);
    TQZIdentity back = ReadIdentity(r);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(back.name, id.name);
    EXPECT_TRUE(back.SamePeer(id));
    EXPECT_FALSE(back.SamePeer(MakeIdentity("other")));
}

TEST(NetSession, ConnectTimeRemainingRightAfterOpen)
{
    TSim sim;
    TNode& client = sim.Add("client");
    ASSERT_EQ(client.session->Open("nowhere"), 0);
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTING);
    EXPECT_EQ(client.FirstPeer()->Admin()->GetConnectTimeRemaining(), 17500u);
    EXPECT_TRUE(client.Logged("Open - connecting to [nowhere]:6969"));
    sim.Run(1000);
    EXPECT_EQ(client.FirstPeer()->Admin()->GetConnectTimeRemaining(), 16500u);
}

TEST(NetSession, UnansweredJoinsGiveUpAfterFiveAttempts)
{
    TSim sim;
    TNode& client = sim.Add("client");
    TEvents events;
    events.Attach(*client.session);
    (void)client.session->Open("nowhere");
    std::vector<uint32_t> joins;
    const uint32_t start = sim.net.Now();
    size_t seen = client.log.size();
    while (client.session->State() == FS_CLIENT_CONNECTING && sim.net.Now() - start < 30000) {
        sim.Run(1);
        for (; seen < client.log.size(); ++seen)
            if (client.log[seen].find("MessageJoinRequest(Sending") != std::string::npos)
                joins.push_back(sim.net.Now() - start);
    }
    joins.insert(joins.begin(), 0);  // the first went out inside Open
    ASSERT_EQ(joins.size(), 5u);
    for (size_t i = 1; i < joins.size(); ++i) {
        EXPECT_GT(joins[i] - joins[i - 1], kJoinInterval);
        EXPECT_LE(joins[i] - joins[i - 1], kJoinInterval + kAdminTick);
    }
    EXPECT_EQ(client.session->State(), FS_DISCONNECTED);
    EXPECT_TRUE(client.Logged("Maximum join attempts reached - unsuccessful"));
    EXPECT_LE(sim.net.Now() - start, 5 * (kJoinInterval + kAdminTick));
    EXPECT_GE(events.states, 1);
}

TEST(NetSession, LostJoinRequestsAreRepeatedUntilTheHostHears)
{
    TSim sim;
    TNode& host = sim.Add("host");
    TNode& client = sim.Add("client");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    sim.net.Partition("host", true);
    (void)client.session->Open("host");
    sim.Run(7600);
    EXPECT_EQ(client.CountLogged("MessageJoinRequest(Sending"), 2);
    sim.net.Partition("host", false);
    ASSERT_TRUE(sim.RunUntil(5000, [&] { return client.session->State() == FS_CLIENT_CONNECTED; }));
    EXPECT_EQ(client.CountLogged("MessageJoinRequest(Sending"), 3);
    EXPECT_EQ(host.session->State(), FS_HOST_CONNECTED);
    EXPECT_TRUE(client.Logged("Welcome Received - host is host"));
}

TEST(NetSession, LostWelcomeIsSentAgain)
{
    TSim sim;
    TNode& host = sim.Add("host");
    TNode& client = sim.Add("client");
    sim.net.SetFaults({0, 0, 0, 10, 0, 0});
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    (void)client.session->Open("host");
    sim.Run(2);  // the join is on the wire; now the client goes deaf
    sim.net.Partition("client", true);
    sim.Run(100);
    EXPECT_EQ(host.session->State(), FS_HOST_CONNECTED);
    sim.net.Partition("client", false);
    ASSERT_TRUE(sim.RunUntil(3400, [&] { return client.session->State() == FS_CLIENT_CONNECTED; }));
    EXPECT_EQ(client.CountLogged("MessageJoinRequest(Sending"), 1);
    EXPECT_EQ(host.CountLogged("Adding new peer:"), 1);
}

TEST(NetSession, RepeatedJoinWithTheSameSaltOnlyRepeatsTheWelcome)
{
    TPair pair;
    for (uint32_t i = 0; i < 5; ++i) pair.clientGame->Send(Numbered(i, 8), false);
    pair.sim.Run(50);
    ASSERT_EQ(pair.hostGame->LastDelivered(), 5u);
    pair.sim.Run(kRewelcomeInterval);
    pair.client.FirstPeer()->Admin()->SendJoinRequest();
    pair.sim.Run(50);
    EXPECT_TRUE(pair.host.Logged("Repeated join request; sending the welcome again"));
    EXPECT_EQ(pair.hostGame->LastDelivered(), 5u);  // not reset
    pair.clientGame->Send(Numbered(5, 8), false);
    pair.sim.Run(50);
    ASSERT_EQ(pair.hostInbox.messages.size(), 6u);
    EXPECT_EQ(pair.hostInbox.messages[5], Numbered(5, 8));
}

TEST(NetSession, JoinWithANewSaltStartsTheChannelsOver)
{
    TPair pair;
    pair.clientGame->Send({1}, false);
    pair.sim.Run(50);
    TEvents events;
    events.Attach(*pair.host.session);
    TQZPeer* clientHost = pair.client.FirstPeer();
    clientHost->SetSalt(clientHost->Salt() + 1);
    clientHost->Admin()->SendJoinRequest();
    pair.sim.Run(50);
    EXPECT_TRUE(pair.host.Logged("from a peer we already recognise"));
    EXPECT_EQ(pair.hostGame->LastDelivered(), 0u);
    EXPECT_EQ(events.connects, 1);
    EXPECT_EQ(pair.host.session->Peers().Count(), 1);
}

TEST(NetSession, KnownIdentityFromANewAddressReaddressesTheSamePeer)
{
    TPair pair;
    TQZPeer* before = pair.host.FirstPeer();
    const uint16_t oldPort = before->Connection().Port();
    // The client opens again without a goodbye: its transport takes a new
    // port. The old link still counts until the host has timed it out, so
    // the joins from the new address are refused meanwhile.
    ASSERT_EQ(pair.client.session->Open("host"), 0);
    pair.sim.Run(kPeerTimeout / 2);
    EXPECT_NE(pair.client.session->State(), FS_CLIENT_CONNECTED);
    EXPECT_TRUE(pair.host.Logged("Ignoring join request: client is still connected from [client]:" +
                                 std::to_string(oldPort)));
    ASSERT_TRUE(pair.sim.RunUntil(kPeerTimeout + 2 * kJoinInterval,
                                  [&] { return pair.client.session->State() == FS_CLIENT_CONNECTED; }));
    EXPECT_TRUE(pair.host.Logged("Peer already exists but address changed - [client]:" + std::to_string(oldPort)));
    EXPECT_EQ(pair.host.session->Peers().Count(), 1);
    EXPECT_EQ(pair.host.FirstPeer(), before);
    EXPECT_NE(before->Connection().Port(), oldPort);
}

TEST(NetSession, InvalidJoinRequestsAreIgnored)
{
    TSim sim;
    TNode& host = sim.Add("host");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    TRaw raw(sim, "mallory");
    const TQZIdentity who = MakeIdentity("mallory");
    struct Case {
        TQZByteArray payload;
        const char* line;
        uint16_t channel = CHANNEL_ADMIN;
    } cases[] = {
        {JoinPayload(0x1CEDC0FE, kSessionId, who, 1), "Ignoring invalid Join Request"},
        {JoinPayload(kJoinMagic, 732, who, 1), "Ignoring invalid Join Request"},
        {JoinPayload(kJoinMagic, kSessionId, who, 1, 3), "Ignoring invalid Join Request"},
        {JoinPayload(kJoinMagic, kSessionId, who, 1), "Ignoring invalid Join Request", CHANNEL_GAME},
        {TQZByteArray(63, 0), "Packet from unknown address, unexpected size - purging"},
        {TQZByteArray(65, 0), "Packet from unknown address, unexpected size - purging"},
    };
    for (const auto& c : cases) {
        host.log.clear();
        raw.Send("host", kFalconPort, c.channel, c.payload);
        // A second apart, so that no line waits behind the one before.
        sim.Run(kThrottlePeriod);
        EXPECT_TRUE(host.Logged(c.line)) << c.line;
        EXPECT_EQ(host.session->Peers().Count(), 0);
    }
    raw.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, who, 1));
    sim.Run(5);
    EXPECT_EQ(host.session->Peers().Count(), 1);
    EXPECT_EQ(host.session->State(), FS_HOST_CONNECTED);
}

TEST(NetSession, InvalidJoinFromAKnownPeerIsIgnored)
{
    TPair pair;
    TQZPeer* peer = pair.client.FirstPeer();
    TQZByteArray bad = JoinPayload(kJoinMagic, 999, pair.client.session->LocalIdentity(), peer->Salt() + 5);
    peer->Admin()->Send(bad, false);
    pair.sim.Run(20);
    EXPECT_TRUE(pair.host.Logged("Ignoring invalid Join Request"));
    EXPECT_FALSE(pair.host.Logged("from a peer we already recognise"));
}

TEST(NetSession, AnOversizeJoinFromAConnectedPeerIsIgnored)
{
    TPair pair;
    pair.clientGame->Send({1}, false);
    pair.sim.Run(50);
    TQZPeer* peer = pair.client.FirstPeer();
    TQZByteArray big = JoinPayload(kJoinMagic, kSessionId, pair.client.session->LocalIdentity(), peer->Salt() + 5);
    big.push_back(0);
    peer->Admin()->Send(big, false);
    pair.sim.Run(20);
    EXPECT_TRUE(pair.host.Logged("Ignoring invalid Join Request"));
    EXPECT_FALSE(pair.host.Logged("from a peer we already recognise"));
    EXPECT_EQ(pair.hostGame->LastDelivered(), 1u) << "the channels were not started over";
}

TEST(NetSession, AMembersIdentityIsNotTakenOverWhileItIsConnected)
{
    TPair pair;
    const TQZIdentity victim = pair.client.session->LocalIdentity();
    TQZPeer* hostPeer = pair.host.FirstPeer();
    const uint16_t port = hostPeer->Connection().Port();
    // From another address, with any salt: identities travel in every party
    // update, so knowing one proves nothing.
    TRaw mallory(pair.sim, "mallory");
    for (int32_t salt : {hostPeer->Salt() + 1, 12345}) {
        mallory.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, victim, salt));
        pair.sim.Run(20);
    }
    EXPECT_TRUE(pair.host.Logged("Ignoring join request: client is still connected from [client]:"));
    EXPECT_EQ(hostPeer->Connection().Address(), "client");
    EXPECT_EQ(hostPeer->Connection().Port(), port);
    pair.clientGame->Send({7}, false);
    pair.sim.Run(50);
    ASSERT_EQ(pair.hostInbox.messages.size(), 1u) << "the member's link carries on";
    // A connected peer cannot take another member's identity either.
    TNode& other = pair.sim.Add("other");
    (void)other.session->Open("host");
    ASSERT_TRUE(pair.sim.RunUntil(3000, [&] { return other.session->State() == FS_CLIENT_CONNECTED; }));
    other.session->SetIdentity(victim);
    other.FirstPeer()->SetSalt(other.FirstPeer()->Salt() + 1);
    other.FirstPeer()->Admin()->SendJoinRequest();
    pair.sim.Run(20);
    EXPECT_TRUE(pair.host.Logged("Ignoring join request: client is connected from another address"));
    EXPECT_EQ(pair.host.session->Peers().FindByIdentity(victim).get(), hostPeer);
    // Once the member has timed out the identity may come back from anywhere.
    pair.sim.net.Partition("client", true);
    ASSERT_TRUE(pair.sim.RunUntil(kPeerTimeout + 2000, [&] { return !hostPeer->IsConnected(); }));
    mallory.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, victim, 99));
    pair.sim.Run(20);
    EXPECT_TRUE(hostPeer->IsConnected());
    EXPECT_EQ(hostPeer->Connection().Address(), "mallory");
}

TEST(NetSession, WelcomeMustBeWholeAndCarryOurSalt)
{
    TSim sim;
    TNode& client = sim.Add("client");
    TRaw host(sim, "host");
    (void)host.thread->Host(kFalconPort);  // setup: what the test checks after it shows whether it took
    (void)client.session->Open("host");
    TQZPeer* peer = client.FirstPeer();
    const TQZIdentity hostId = MakeIdentity("host");
    TQZByteArray shortOne = WelcomePayload(hostId, peer->Salt());
    shortOne.resize(22);
    host.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, shortOne, 1);
    host.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, WelcomePayload(hostId, peer->Salt() + 1), 2);
    sim.Run(5);
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTING);
    EXPECT_TRUE(client.Logged("WARNING in MessageWelcome(); mismatching connection salt!"));
    host.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, WelcomePayload(hostId, peer->Salt()), 3);
    sim.Run(5);
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTED);
    EXPECT_EQ(peer->Identity().name, "host");
}

TEST(NetSession, WelcomeFromAnUnknownAddressNeedsTheSalt)
{
    TSim sim;
    TNode& client = sim.Add("client");
    TRaw other(sim, "elsewhere");
    (void)client.session->Open("host");
    TQZPeer* peer = client.FirstPeer();
    const TQZIdentity hostId = MakeIdentity("host");
    other.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, WelcomePayload(hostId, peer->Salt() - 1), 1);
    sim.Run(5);
    EXPECT_TRUE(client.Logged("we got a welcome message from an unknown address!"));
    EXPECT_EQ(peer->Connection().Address(), "host");
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTING);
    // The right salt on another channel is no welcome: the host stays put.
    other.Send("client", client.thread->LocalPort(), CHANNEL_GAME, WelcomePayload(hostId, peer->Salt()), 1);
    sim.Run(5);
    EXPECT_EQ(peer->Connection().Address(), "host");
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTING);
    other.Send("client", client.thread->LocalPort(), CHANNEL_ADMIN, WelcomePayload(hostId, peer->Salt()), 2);
    sim.Run(5);
    EXPECT_EQ(peer->Connection().Address(), "elsewhere");
    EXPECT_EQ(client.session->State(), FS_CLIENT_CONNECTED);
}

TEST(NetSession, SilenceOfTenSecondsDisconnectsBothSides)
{
    TPair pair;
    TEvents hostEvents, clientEvents;
    hostEvents.Attach(*pair.host.session);
    clientEvents.Attach(*pair.client.session);
    pair.sim.Run(30000);  // keep-alives hold an idle link
    ASSERT_TRUE(pair.host.session->IsConnected());
    ASSERT_TRUE(pair.client.session->IsConnected());
    const uint32_t cut = pair.sim.net.Now();
    pair.sim.net.Partition("client", true);
    ASSERT_TRUE(pair.sim.RunUntil(15000, [&] { return !pair.host.session->IsConnected(); }));
    const uint32_t after = pair.sim.net.Now() - cut;
    EXPECT_GT(after, kPeerTimeout - kAdminTick);
    EXPECT_LE(after, kPeerTimeout + 2 * kAdminTick);
    EXPECT_EQ(pair.host.session->State(), FS_HOST_READY);
    EXPECT_TRUE(pair.host.Logged("Disconnecting due to timeout."));
    pair.sim.Run(3000);
    EXPECT_EQ(pair.client.session->State(), FS_DISCONNECTED);
    EXPECT_EQ(hostEvents.disconnects, 1);
    EXPECT_EQ(clientEvents.disconnects, 1);
}

TEST(NetSession, KeepAliveWaitsForEightDatagramsOrTheDelay)
{
    for (int received : {7, 8}) {
        SCOPED_TRACE(received);
        TPair pair;
        TQZPeer* clientPeer = pair.client.FirstPeer();
        TQZChannelAdmin* admin = clientPeer->Admin();
        // Stop just after the client's own tick, which sent a keep-alive.
        ASSERT_TRUE(pair.sim.RunUntil(2000, [&] { return admin->NextTick() - pair.sim.net.Now() == kAdminTick - 1; }));
        TQZPeer* hostPeer = pair.host.FirstPeer();
        auto* probe = hostPeer->AddChannel(std::make_shared<TQZChannel>(hostPeer, 5));
        for (int i = 0; i < received; ++i) probe->Send({1}, true);
        pair.sim.Run(39);
        ASSERT_EQ(clientPeer->Connection().ReceivedSinceSend(), received);
        const int32_t sent = clientPeer->Connection().Sent();
        admin->OnThreadTick();
        EXPECT_EQ(clientPeer->Connection().Sent() - sent, received >= 8 ? 1 : 0);
    }
}

TEST(NetSession, GoodbyeEndsTheConnectionAtOnce)
{
    TPair pair;
    TEvents hostEvents;
    hostEvents.Attach(*pair.host.session);
    pair.client.session->Close();
    EXPECT_EQ(pair.client.session->State(), FS_DISCONNECTED);
    EXPECT_EQ(pair.client.session->Peers().Count(), 0);
    pair.sim.Run(20);
    EXPECT_TRUE(pair.host.Logged("Client has closed the connection"));
    EXPECT_EQ(pair.host.session->State(), FS_HOST_READY);
    EXPECT_EQ(hostEvents.disconnects, 1);
    // A closed session closes nothing more.
    pair.client.log.clear();
    pair.client.session->Close();
    EXPECT_FALSE(pair.client.Logged("Close connection"));
}

TEST(NetSession, HostGoodbyeDisconnectsTheClient)
{
    TPair pair;
    pair.host.session->Close();
    pair.sim.Run(20);
    EXPECT_TRUE(pair.client.Logged("Host initiated disconnection"));
    EXPECT_EQ(pair.client.session->State(), FS_DISCONNECTED);
}

TEST(NetSession, SameStateChangesNothing)
{
    TSim sim;
    TNode& node = sim.Add("a");
    TEvents events;
    events.Attach(*node.session);
    node.session->StateChange(FS_DISCONNECTED);
    node.session->Process();
    EXPECT_TRUE(node.log.empty());
    EXPECT_EQ(events.states, 0);
    node.session->StateChange(FS_HOST_READY);
    node.session->Process();
    EXPECT_TRUE(node.Logged("StateChange from (Disconnected) to Listening (Host)"));
    EXPECT_EQ(events.states, 1);
}

TEST(NetSession, UnknownDatagramsWaitingForTheMainThreadAreBounded)
{
    TSim sim;
    TNode& host = sim.Add("host");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    const TQZByteArray junk = JoinPayload(kJoinMagic, 1, MakeIdentity("m"), 1);
    // From one address only a few wait; from many, the queue's bound holds.
    TRaw one(sim, "one");
    for (int i = 0; i < 10; ++i) one.Queue("host", kFalconPort, CHANNEL_ADMIN, junk);
    one.thread->Pump();
    std::vector<std::unique_ptr<TRaw>> many;
    for (int i = 0; i < kUnknownQueueMax + 40; ++i) {
        many.push_back(std::make_unique<TRaw>(sim, "m" + std::to_string(i)));
        many.back()->Send("host", kFalconPort, CHANNEL_ADMIN, junk);
    }
    sim.net.Advance(1);
    while (sim.net.Stats().delivered < 10 + kUnknownQueueMax + 40) host.thread->Pump();
    EXPECT_EQ(host.session->UnknownQueued(), kUnknownQueueMax);
    EXPECT_TRUE(host.Logged("Unknown packet queue holds enough from one:77 - purging"));
    EXPECT_TRUE(host.Logged("Unknown packet queue full - purging"));
    host.session->Process();
    EXPECT_EQ(host.session->UnknownQueued(), 0);
    EXPECT_EQ(host.session->Peers().Count(), 0) << "every one an invalid join";
}

TEST(NetSession, StrayDatagramsWhileIdleAreIgnored)
{
    TSim sim;
    TNode& node = sim.Add("a");
    (void)node.thread->Host(kFalconPort);  // setup: what the test checks after it shows whether it took
    TRaw raw(sim, "mallory");
    raw.Send("a", kFalconPort, CHANNEL_ADMIN, TQZByteArray(64, 1));
    sim.Run(3);
    EXPECT_TRUE(node.Logged("Received packet from unknown address mallory:77 - ignoring"));
}

// Records whether another thread could take the session's lock while the
// channel's peer was being freed.
struct TLockProbe : TQZChannel {
    TLockProbe(TQZPeer* peer, bool* held) : TQZChannel(peer, 42), held_(held) {}
    ~TLockProbe() override
    {
        TQZCriticalSection& lock = Peer()->Session()->Lock();
        std::thread probe([&] {
            *held_ = !lock.TryEnter();
            if (!*held_) lock.Leave();
        });
        probe.join();
    }
    bool* held_;
};

TEST(NetSession, APeerOutlivingTheListIsFreedUnderTheSessionLock)
{
    // An owner keeps a peer past the release of the list and lets it go later
    // on its own thread: the network thread dispatches to that peer's
    // connection under the session's lock, so the peer must go under it too.
    TPair pair;
    std::shared_ptr<TQZPeer> kept = pair.host.session->Peers().First();
    bool held = false;
    kept->AddChannel(std::make_shared<TLockProbe>(kept.get(), &held));
    pair.host.session->ReleaseAll();
    EXPECT_EQ(pair.host.session->Peers().Count(), 0);
    kept.reset();
    EXPECT_TRUE(held);
}

TEST(NetSession, JoinsThatAreNeverAnsweredHoldFewPlacesAndGiveWayToNewOnes)
{
    // Anyone can make up identities; each would cost the host a peer.
    TSim sim;
    TNode& host = sim.Add("host");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    std::vector<std::unique_ptr<TRaw>> raws;
    auto join = [&](int i, uint32_t after) {
        raws.push_back(std::make_unique<TRaw>(sim, "m" + std::to_string(i)));
        raws.back()->Send("host", kFalconPort, CHANNEL_ADMIN,
                          JoinPayload(kJoinMagic, kSessionId, MakeIdentity("m" + std::to_string(i)), i));
        sim.Run(after);
    };
    // Joins that have only just been welcomed are sheltered: a newcomer
    // finds no place for now.
    for (int i = 0; i < kPendingJoinsMax + 1; ++i) join(i, 2);
    EXPECT_EQ(host.session->Peers().Count(), kPendingJoinsMax);
    sim.Run(kPendingShelter);
    // Past the shelter the oldest give way, so the newest are kept.
    for (int i = kPendingJoinsMax + 1; i < kPeersMax + 3; ++i) join(i, 50);
    EXPECT_EQ(host.session->Peers().Count(), kPendingJoinsMax);
    for (const auto& peer : host.session->Peers().Snapshot())
        EXPECT_GE(std::stoi(peer->Identity().name.substr(1)), kPeersMax + 3 - kPendingJoinsMax);
    // None answers its welcome: their joins are dropped with their peers,
    // and their addresses shut out for a while.
    sim.Run(kWelcomeAnswerTime + 2000);
    EXPECT_EQ(host.session->Peers().Count(), 0);
    EXPECT_TRUE(host.Logged("Ignoring join request: too many peers"));
    EXPECT_TRUE(host.Logged("room for a newer one"));
    EXPECT_TRUE(host.Logged("the welcome was never answered"));
    raws.back()->Send("host", kFalconPort, CHANNEL_ADMIN,
                      JoinPayload(kJoinMagic, kSessionId, MakeIdentity("again"), 9));
    sim.Run(2);
    EXPECT_EQ(host.session->Peers().Count(), 0);
    join(1000, 2);
    ASSERT_EQ(host.session->Peers().ConnectedPeers().size(), 1u);
    EXPECT_EQ(host.session->Peers().ConnectedPeers()[0]->Identity().name, "m1000");
}

TEST(NetSession, PlayersWhoAnsweredNeverGiveWayToJoins)
{
    TSim sim;
    TNode& host = sim.Add("host");
    (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    for (int i = 0; i < kPeersMax; ++i) {
        TNode& c = sim.Add("c" + std::to_string(i));
        (void)c.session->Open("host");
        ASSERT_TRUE(sim.RunUntil(3000, [&] { return c.session->IsConnected(); })) << i;
    }
    sim.Run(10);
    ASSERT_EQ(host.session->Peers().Count(), kPeersMax);
    TRaw late(sim, "late");
    late.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, MakeIdentity("late"), 1));
    sim.Run(5);
    EXPECT_EQ(int32_t(host.session->Peers().ConnectedPeers().size()), kPeersMax);
    sim.Run(2 * kThrottlePeriod);
    EXPECT_TRUE(host.Logged("Ignoring join request: too many peers"));
    // One leaves: its place is free for the next.
    sim.nodes[1]->session->Close();
    sim.Run(kUnansweredBlock);
    late.Send("host", kFalconPort, CHANNEL_ADMIN, JoinPayload(kJoinMagic, kSessionId, MakeIdentity("late"), 2));
    sim.Run(5);
    bool lateIn = false;
    for (const auto& peer : host.session->Peers().ConnectedPeers()) lateIn |= peer->Connection().Address() == "late";
    EXPECT_TRUE(lateIn);
    EXPECT_EQ(int32_t(host.session->Peers().ConnectedPeers().size()), kPeersMax);
}

TEST(NetSession, AFloodIsTakenInBatchesBetweenTicks)
{
    // However fast datagrams arrive, one pass of the loop ends after a batch,
    // so the tick and the sends queue behind it get their turn.
    TSim sim;
    TNode& node = sim.Add("a");
    (void)node.thread->Host(kFalconPort);  // setup: what the test checks after it shows whether it took
    TRaw raw(sim, "mallory");
    const int32_t flood = 2 * kNetReceiveBatch + 10;
    for (int32_t i = 0; i < flood; ++i) raw.Queue("a", kFalconPort, CHANNEL_ADMIN, TQZByteArray(8, 1));
    raw.thread->Pump();
    sim.net.Advance(1);
    const int64_t expected[] = {kNetReceiveBatch, 2 * kNetReceiveBatch, flood, flood};
    for (int64_t after : expected) {
        node.thread->Pump();
        EXPECT_EQ(sim.net.Stats().delivered, after);
    }
    EXPECT_TRUE(node.Logged("Received packet from unknown address mallory:77 - ignoring"));
}

TEST(NetSession, APeerTheHostHasDroppedHearsNothingMoreAndTimesOut)
{
    // The host has given the client up (its time-out, with the news lost on
    // the way) while the client keeps talking: answering its datagrams would
    // hold the client in a connection the host no longer has.
    TPair pair;
    pair.host.session->DisconnectPeer(pair.host.FirstPeer(), false);
    ASSERT_EQ(pair.host.session->State(), FS_HOST_READY);
    for (uint32_t t = 0; t < 15000 && pair.client.session->IsConnected(); t += 50) {
        pair.clientGame->Send({1, 2, 3}, false);
        pair.sim.Run(50);
    }
    EXPECT_EQ(pair.client.session->State(), FS_DISCONNECTED);
    EXPECT_TRUE(pair.client.Logged("Disconnecting due to timeout."));
}

}  // namespace
