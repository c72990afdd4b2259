// The network thread over the hub's networking messages, stepped by hand:
// channels, the hello, the peer list, refused addresses, and the peer session
// joining a client to a host over it.
#include "steamtest.h"

#include "qz7falcon.h"
#include "qz7netadmin.h"
#include "qz7netsteam.h"

using namespace steamtest;

namespace {

// Without a hub the transport over the layer opens nothing, and a session
// over that stays disconnected.
TEST(SteamTransport, WithoutAHubNothingOpens)
{
    sw::ConfigureHub(nullptr, 0);
    auto steam = CreateSingleton<TQZSteam>();
    auto thread = std::make_unique<TQZNetworkThreadSteam>(steam.get(), false);
    EXPECT_EQ(thread->GetLocalAddress(), "Unnamed");
    TQZNetPacket remote;
    EXPECT_NE(thread->Connect("76561001", 6969, remote), 0);
    EXPECT_NE(thread->Host(6969), 0);
    EXPECT_FALSE(thread->IsOpen());
    TQZFalcon session(731, std::move(thread));
    EXPECT_NE(session.Open("76561001"), 0);
    EXPECT_EQ(session.State(), FS_DISCONNECTED);
    EXPECT_NE(session.Host(), 0);
    EXPECT_FALSE(session.IsHost());
}

TEST(SteamTransport, PortSelectsTheChannel)
{
    const std::pair<uint16_t, uint8_t> cases[] = {{6969, 2}, {5, 5}, {2, 2}, {0, 0}, {0x1234, 0x34}, {6970, 0x3A}};
    for (auto [port, channel] : cases) EXPECT_EQ(SteamChannelForPort(port), channel) << port;
}

TEST(SteamTransport, WaitIsCappedAt25MsAndNeverBelow1Ms)
{
    struct Case {
        uint32_t due, now;
        int32_t wait;
    } cases[] = {
        {kNetNoTick, 1000, 25}, {1100, 1000, 25}, {1025, 1000, 25}, {1010, 1000, 10}, {1001, 1000, 1},
        {1000, 1000, 1},        {999, 1000, -1},  {5, 0xFFFFFFF0u, 21}, {0xFFFFFFF8u, 4, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(SteamWaitTime(c.due, c.now), c.wait) << c.due << " at " << c.now;
}

// Received datagrams, by callback.
struct TInbox {
    static void OnPacket(void* user, const TQZNetPacket& packet) { static_cast<TInbox*>(user)->packets.push_back(packet); }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto& p : packets) out.emplace_back(p.bytes.begin(), p.bytes.end());
        return out;
    }
    std::vector<TQZNetPacket> packets;
};

TQZNetPacket Datagram(uint64_t to, uint16_t port, const std::string& text)
{
    return TQZNetPacket{std::to_string(to), port, 0, TQZByteArray(text.begin(), text.end())};
}

struct TransportTest : THubFixture {
    std::unique_ptr<TUser> anna = User(kAnna), bram = User(kBram);
    std::unique_ptr<TQZNetworkThreadSteam> host = std::make_unique<TQZNetworkThreadSteam>(anna->steam.get(), false);
    std::unique_ptr<TQZNetworkThreadSteam> client = std::make_unique<TQZNetworkThreadSteam>(bram->steam.get(), false);
    TInbox hostUnknown, hostInbox, clientInbox;

    TransportTest() { host->SetUnknownCallback(&TInbox::OnPacket, &hostUnknown); }
    // Two passes, so what either side sends reaches the other.
    void Step()
    {
        for (int pass = 0; pass < 2; ++pass) {
            anna->steam->RunFrame();
            bram->steam->RunFrame();
            host->Pump();
            client->Pump();
        }
    }
    void Join(TQZNetworkThreadSteam& from, uint16_t port = 6969)
    {
        TQZNetPacket remote;
        ASSERT_EQ(from.Connect(std::to_string(kAnna), port, remote), 0);
        Step();
    }
};

TEST_F(TransportTest, TwoPeersExchangeDatagrams)
{
    ASSERT_EQ(host->Host(6969), 0);
    EXPECT_EQ(host->Channel(), 2);
    TQZNetPacket remote;
    ASSERT_EQ(client->Connect("00" + std::to_string(kAnna), 6969, remote), 0);
    EXPECT_EQ(remote.address, std::to_string(kAnna)) << "written back in canonical form";
    EXPECT_EQ(remote.port, 2) << "the port becomes the channel";
    EXPECT_EQ(client->State(), TQZNetworkThreadSteam::Connecting);
    client->RegisterReceiveTarget(remote.address, remote.port, &TInbox::OnPacket, &clientInbox);

    Step();
    EXPECT_TRUE(anna->Logged("Networking: Session request received from user:" + std::to_string(kBram)));
    EXPECT_TRUE(anna->Logged("Networking: Accepting session with user " + std::to_string(kBram)));
    EXPECT_EQ(host->Peers(), std::vector<uint64_t>{kBram});
    EXPECT_TRUE(hostUnknown.packets.empty()) << "the hello is no datagram";

    client->QueueDatagram(Datagram(kAnna, 2, "join"));
    Step();
    ASSERT_EQ(hostUnknown.Texts(), std::vector<std::string>{"join"});
    const TQZNetPacket& got = hostUnknown.packets[0];
    EXPECT_EQ(got.address, std::to_string(kBram));
    EXPECT_EQ(got.port, 2);

    host->RegisterReceiveTarget(got.address, got.port, &TInbox::OnPacket, &hostInbox);
    host->QueueDatagram(Datagram(kBram, got.port, "welcome"));
    client->QueueDatagram(Datagram(kAnna, 2, "thanks"));
    client->QueueDatagram(Datagram(kAnna, 2, "again"));
    Step();
    EXPECT_EQ(clientInbox.Texts(), std::vector<std::string>{"welcome"});
    EXPECT_EQ(hostInbox.Texts(), (std::vector<std::string>{"thanks", "again"}));
    EXPECT_EQ(hostUnknown.packets.size(), 1u);
}

TEST_F(TransportTest, OtherPortsUseTheirOwnChannel)
{
    ASSERT_EQ(host->Host(5), 0);
    EXPECT_EQ(host->Channel(), 5);
    Join(*client, 5);
    EXPECT_EQ(client->Channel(), 5);
    client->QueueDatagram(Datagram(kAnna, 5, "five"));
    Step();
    ASSERT_EQ(hostUnknown.Texts(), std::vector<std::string>{"five"});
    EXPECT_EQ(hostUnknown.packets[0].port, 5);
}

TEST_F(TransportTest, AHelloAddsItsSenderOnceAndOtherFourByteMessagesAreDatagrams)
{
    ASSERT_EQ(host->Host(6969), 0);
    Join(*client);
    Join(*client);  // a second hello from the same user
    EXPECT_EQ(host->Peers(), std::vector<uint64_t>{kBram});
    client->QueueDatagram(Datagram(kAnna, 2, "\xD0\xEA\xED\x1D"));
    client->QueueDatagram(Datagram(kAnna, 2, "\xD0\xEA\xED\x1C"));
    Step();
    ASSERT_EQ(hostUnknown.packets.size(), 1u) << "the first is not the hello word";
    EXPECT_EQ(hostUnknown.packets[0].bytes, (TQZByteArray{0xD0, 0xEA, 0xED, 0x1D}));
    EXPECT_EQ(host->Peers(), std::vector<uint64_t>{kBram});
}

TEST_F(TransportTest, AnAddressThatIsNoUserIdIsNeverSentTo)
{
    ASSERT_EQ(host->Host(6969), 0);
    const std::string bad[] = {"", "host", "12ab", "-5", " 12", "12 ", "+12", "0", "000",
                               "18446744073709551616", "1.5"};
    for (const std::string& address : bad) {
        TQZNetPacket remote;
        EXPECT_NE(client->Connect(address, 6969, remote), 0) << '"' << address << '"';
        EXPECT_FALSE(client->IsOpen()) << address;
        EXPECT_FALSE(client->Send(TQZNetPacket{address, 2, 0, {1}})) << address;
    }
    Step();
    EXPECT_FALSE(anna->Logged("Session request")) << "nothing reached anyone";
    EXPECT_TRUE(host->Peers().empty());
    EXPECT_TRUE(bram->Logged("refused - not a user id"));

    TQZNetPacket remote;
    EXPECT_EQ(client->Connect("18446744073709551615", 6969, remote), QZRES_FAILED) << "a user id nobody has";
    EXPECT_TRUE(bram->Logged("SendMessage failed - error NoConnection"));
}

TEST_F(TransportTest, CloseEndsEverySessionLastFirstAndStopsAccepting)
{
    auto cora = User(kCora);
    auto third = std::make_unique<TQZNetworkThreadSteam>(cora->steam.get(), false);
    ASSERT_EQ(host->Host(6969), 0);
    Join(*client);
    Join(*third);
    cora->steam->RunFrame();
    ASSERT_EQ(host->Peers(), (std::vector<uint64_t>{kBram, kCora}));
    anna->ClearLog();
    host->Close();
    EXPECT_FALSE(host->IsOpen());
    EXPECT_TRUE(host->Peers().empty());
    const auto lines = anna->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Networking: Closed session with user " + std::to_string(kCora));
    EXPECT_EQ(lines[1], "Networking: Closed session with user " + std::to_string(kBram));

    // Closed, the host takes no new session.
    auto dirk = User(kDirk);
    TQZNetworkThreadSteam fourth(dirk->steam.get(), false);
    Join(fourth);
    EXPECT_TRUE(anna->Logged("Session request received"));
    EXPECT_FALSE(anna->Logged("Accepting session"));
    EXPECT_TRUE(host->Peers().empty());
}

TEST_F(TransportTest, LocalAddressIsThePersonaName)
{
    EXPECT_EQ(host->GetLocalAddress(), "Anna");
    EXPECT_EQ(client->GetLocalAddress(), "Bram");
}

TEST_F(TransportTest, ADetachedTransportTakesNoSessionRequests)
{
    ASSERT_EQ(host->Host(6969), 0);
    host->Detach();
    Join(*client);
    EXPECT_TRUE(host->Peers().empty());
    EXPECT_FALSE(anna->Logged("Accepting session"));
}

// The peer session over the transport, every step run by hand on a
// simulated clock.
struct SessionOverSteam : TransportTest {
    uint32_t now = 5000;
    std::unique_ptr<TQZFalcon> hostSession, clientSession;
    SessionOverSteam()
    {
        SetNetTimeSource([this] { return now; });
        hostSession = std::make_unique<TQZFalcon>(731, std::move(host));
        clientSession = std::make_unique<TQZFalcon>(731, std::move(client));
    }
    ~SessionOverSteam() override
    {
        clientSession.reset();
        hostSession.reset();
        SetNetTimeSource(nullptr);
    }
    void Run(uint32_t ms)
    {
        for (uint32_t i = 0; i < ms; ++i) {
            ++now;
            anna->steam->RunFrame();
            bram->steam->RunFrame();
            hostSession->Process();
            clientSession->Process();
            hostSession->Thread()->Pump();
            clientSession->Thread()->Pump();
        }
    }
    template <class F> bool RunUntil(uint32_t limit, F done)
    {
        for (uint32_t i = 0; i < limit && !done(); ++i) Run(1);
        return done();
    }
};

TEST_F(SessionOverSteam, AClientJoinsAHostAndTheyTalk)
{
    ASSERT_EQ(hostSession->Host(), 0);
    ASSERT_EQ(clientSession->Open(std::to_string(kAnna)), 0);
    ASSERT_TRUE(RunUntil(3000, [&] { return clientSession->State() == FS_CLIENT_CONNECTED; }));
    EXPECT_EQ(hostSession->State(), FS_HOST_CONNECTED);
    EXPECT_EQ(hostSession->Peers().First()->Identity().name, "Bram");
    EXPECT_EQ(clientSession->Peers().First()->Identity().name, "Anna");

    TInbox got;
    auto addGame = [](TQZFalcon& s) {
        TQZPeer* peer = s.Peers().First().get();
        return peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
    };
    TQZChannelReliable* hostGame = addGame(*hostSession);
    TQZChannelReliable* clientGame = addGame(*clientSession);
    std::vector<TQZByteArray> received;
    hostGame->SetReceiveCallback(
        [](void* user, TQZChannel*, const TQZByteArray& payload) {
            static_cast<std::vector<TQZByteArray>*>(user)->push_back(payload);
        },
        &received);
    for (uint8_t i = 0; i < 20; ++i) clientGame->Send(TQZByteArray(3 + i, i), false);
    ASSERT_TRUE(RunUntil(3000, [&] { return received.size() == 20; }));
    for (uint8_t i = 0; i < 20; ++i) EXPECT_EQ(received[i], TQZByteArray(3 + i, i));

    clientSession->Close();
    ASSERT_TRUE(RunUntil(3000, [&] { return hostSession->State() == FS_HOST_READY; }));
}

TEST_F(SessionOverSteam, OpeningANameInsteadOfAUserIdFails)
{
    EXPECT_NE(clientSession->Open("Anna"), 0);
    EXPECT_EQ(clientSession->State(), FS_DISCONNECTED);
    EXPECT_TRUE(clientSession->Peers().Snapshot().empty());
}

TEST(SteamTransport, TheRegisteredClassIsWhatTheSessionMakes)
{
    vqtest::TempDir home;
    auto hub = std::make_shared<sw::Hub>(home.Path());
    hub->AddUser(kAnna, "Anna");
    FrameworkStart("VantorelQar");
    sw::ConfigureHub(hub, kAnna);
    RegisterSteamNetworkThread();
    {
        TQZFalcon session(731, nullptr);
        ASSERT_NE(dynamic_cast<TQZNetworkThreadSteam*>(session.Thread()), nullptr);
        EXPECT_EQ(session.LocalIdentity().name, "Anna");
    }
    RegisterNetworkThreadClass(nullptr);
    FrameworkStop();
    sw::ConfigureHub(nullptr, 0);
}

}  // namespace
