// The bytes on the wire, written out by hand: a peer that only knows the
// message layouts must read what a session sends, and be read by it.
#include "netsim.h"

#include <gtest/gtest.h>

namespace {

using namespace nettest;

using TBytes = std::vector<uint8_t>;

TBytes operator+(TBytes a, const TBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TBytes Le16(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
TBytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// Header: "QZ", channel, sequence, ack, ack bits, delay.
TBytes Head(uint16_t channel, int32_t sequence, int32_t ack = 0, uint32_t bits = 0, uint16_t delay = 0)
{
    return TBytes{'Q', 'Z'} + Le16(channel) + Le32(uint32_t(sequence)) + Le32(uint32_t(ack)) + Le32(bits) +
           Le16(delay);
}

// Kind 1, magic 0x1CEDC0FF, session 731.
const TBytes kJoinHead = {1, 0, 0, 0, 0xFF, 0xC0, 0xED, 0x1C, 0xDB, 0x02, 0, 0};

TQZIdentity Fixed(const std::string& name, uint8_t first)
{
    TQZIdentity id;
    id.name = name;
    for (size_t i = 0; i < id.guid.size(); ++i) id.guid[i] = uint8_t(first + i);
    return id;
}

// 32-byte length-prefixed text, then the 16-byte GUID.
TBytes IdentityBytes(const std::string& name, uint8_t first)
{
    TBytes b(32, 0);
    b[0] = uint8_t(name.size());
    std::copy(name.begin(), name.end(), b.begin() + 1);
    for (int i = 0; i < 16; ++i) b.push_back(uint8_t(first + i));
    return b;
}

TBytes Pattern(size_t length, uint8_t seed)
{
    TBytes b(length);
    for (size_t i = 0; i < length; ++i) b[i] = uint8_t(i * 13 + seed);
    return b;
}

TBytes Slice(const TBytes& b, size_t from, size_t length)
{
    return TBytes(b.begin() + ptrdiff_t(from), b.begin() + ptrdiff_t(from + length));
}

// A session that joins an endpoint which speaks only hand-made bytes.
struct TRawHost {
    TRawHost() : client(sim.Add("client")), raw(sim.net.CreateEndpoint("host"))
    {
        (void)raw->Host(kFalconPort);  // setup: what the test checks after it shows whether it took
        client.session->SetIdentity(Fixed("ann", 1));
    }
    void Put(const TBytes& datagram)
    {
        // Setup: what the test checks after it shows whether it took.
        (void)raw->Send(TQZNetPacket{"client", client.thread->LocalPort(), 0, datagram});
        sim.Run(1);
    }
    std::vector<TBytes> Take()
    {
        sim.Run(1);
        std::vector<TBytes> out;
        TQZNetPacket p;
        while (raw->Receive(p)) out.push_back(p.bytes);
        return out;
    }
    // Open and welcome; returns what the client sent.
    std::vector<TBytes> Join()
    {
        EXPECT_EQ(client.session->Open("host"), 0);
        std::vector<TBytes> sent = Take();
        // The welcome echoes the salt of the join, whatever it drew.
        if (!sent.empty() && sent[0].size() == 82) {
            TQZNetReader r(sent[0].data() + 78, 4);
            salt = r.U32();
        }
        Put(Head(CHANNEL_ADMIN, 1) + Le32(3) + IdentityBytes("bob", 0x40) + Le32(salt));
        for (const auto& b : Take()) sent.push_back(b);
        return sent;
    }
    TQZPeer* Peer() { return client.FirstPeer(); }

    TSim sim;
    TNode& client;
    std::unique_ptr<TQZMemoryNetworkThread> raw;
    uint32_t salt = 0;  // drawn by the client for its join
};

TEST(NetWire, JoinRequestAndKeepAliveAsAClientSendsThem)
{
    TRawHost h;
    const std::vector<TBytes> sent = h.Join();
    ASSERT_EQ(sent.size(), 2u);
    // Untracked join: the head above, identity, salt.
    EXPECT_EQ(sent[0], Head(CHANNEL_ADMIN, -1) + kJoinHead +
                           IdentityBytes("ann", 1) + Le32(h.salt));
    EXPECT_EQ(sent[0].size(), 82u);
    EXPECT_EQ(int32_t(h.salt), h.Peer()->Salt());
    ASSERT_EQ(h.client.session->State(), FS_CLIENT_CONNECTED);
    EXPECT_EQ(h.Peer()->Identity().name, "bob");
    // The keep-alive that answers the welcome: tracked, acknowledging it (the
    // window starts at 0, which counts as received).
    EXPECT_EQ(sent[1], Head(CHANNEL_ADMIN, 1, 1, 1) + Le32(2) + Le32(0));
}

TEST(NetWire, OrderedRelayedAndMultipartMessages)
{
    TRawHost h;
    h.Join();
    TQZPeer* peer = h.Peer();
    auto* game = peer->AddChannel(std::make_shared<TQZChannelReliable>(peer, true, CHANNEL_GAME));
    auto* raw9 = peer->AddChannel(std::make_shared<TQZChannel>(peer, 9));

    game->Send({0xAA, 0xBB}, false);
    std::vector<TBytes> sent = h.Take();
    ASSERT_EQ(sent.size(), 1u);
    // Payload, then the message number.
    EXPECT_EQ(Slice(sent[0], 18, sent[0].size() - 18), (TBytes{0xAA, 0xBB} + Le32(1)));
    EXPECT_EQ(Slice(sent[0], 0, 8), Slice(Head(CHANNEL_GAME, 2), 0, 8));

    // 2100 bytes: three parts through the relay, each {target, number,
    // target, index, count, data} and the relay's own message number.
    const TBytes message = Pattern(2100, 3);
    raw9->SendPath(message, true);
    sent = h.Take();
    ASSERT_EQ(sent.size(), 3u);
    const size_t lengths[] = {1024, 1024, 52};
    for (uint8_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(int(i));
        EXPECT_EQ(Slice(sent[i], 0, 8), Slice(Head(CHANNEL_RELAY, 3 + i), 0, 8));
        const TBytes indexAndCount = {i, 3};
        const TBytes payload = Le16(CHANNEL_MULTIPART) + Le16(1) + Le16(9) + indexAndCount +
                               Slice(message, size_t(i) * 1024, lengths[i]) + Le32(1u + i);
        EXPECT_EQ(Slice(sent[i], 18, sent[i].size() - 18), payload);
    }
}

TEST(NetWire, ChunkAnnounceAndSliceAsASenderWritesThem)
{
    TRawHost h;
    h.Join();
    TQZPeer* peer = h.Peer();
    auto* raw9 = peer->AddChannel(std::make_shared<TQZChannel>(peer, 9));
    const TBytes message = Pattern(20000, 7);
    const int32_t ticket = raw9->SendPath(message, true);
    std::vector<TBytes> sent = h.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(ticket, 2);
    // Control: kind 0, announce, transfer 1, 4 zero, i64 length, target, 6 zero.
    const TBytes control = Le32(0) + Le32(0) + Le32(1) + Le32(0) + Le32(20000) + Le32(0) + Le16(9) + TBytes(6, 0);
    EXPECT_EQ(control.size(), 32u);
    EXPECT_EQ(Slice(sent[0], 0, 16), Slice(Head(CHANNEL_RELAY, 2, 1, 1), 0, 16));
    EXPECT_EQ(Slice(sent[0], 18, sent[0].size() - 18), Le16(CHANNEL_CHUNK) + control + Le32(1));

    // The announce acknowledged, slices follow: {kind 1, transfer, index, data}.
    h.Put(Head(CHANNEL_ADMIN, 2, 2, 0) + Le32(2) + Le32(0));
    sent = h.Take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Slice(sent[0], 18, sent[0].size() - 18),
              Le16(CHANNEL_CHUNK) + Le32(1) + Le32(1) + Le32(0) + Slice(message, 0, 1024) + Le32(2));
}

TEST(NetWire, ChunkReceiverAcknowledgesAndCompletes)
{
    TRawHost h;
    h.Join();
    TQZPeer* peer = h.Peer();
    auto* raw9 = peer->AddChannel(std::make_shared<TQZChannel>(peer, 9));
    TInbox inbox;
    raw9->SetReceiveCallback(&TInbox::OnReceive, &inbox);
    // A 2048-byte transfer: two whole slices, the second held back.
    const TBytes message = Pattern(2048, 9);
    const TBytes announce = Le32(0) + Le32(0) + Le32(5) + Le32(0) + Le32(2048) + Le32(0) + Le16(9) + TBytes(6, 0);
    h.Put(Head(CHANNEL_RELAY, 2, 1) + Le16(CHANNEL_CHUNK) + announce + Le32(1));
    h.Put(Head(CHANNEL_RELAY, 3, 1) + Le16(CHANNEL_CHUNK) + Le32(1) + Le32(5) + Le32(0) + Slice(message, 0, 1024) +
          Le32(2));
    h.sim.Run(300);
    TBytes lastAck;
    for (const auto& b : h.Take()) {
        TQZNetHeader head;
        ASSERT_TRUE(ReadNetHeader(b.data(), b.size(), head));
        if (head.channel != CHANNEL_CHUNK) continue;
        EXPECT_EQ(head.sequence, -1);
        lastAck = Slice(b, 18, b.size() - 18);
    }
    // Untracked on the chunk channel: {kind 2, transfer, gap-free 0, no ranges, no singles}.
    EXPECT_EQ(lastAck, Le32(2) + Le32(5) + Le32(0) + Le32(0) + Le32(0));
    h.Put(Head(CHANNEL_RELAY, 4, 1) + Le16(CHANNEL_CHUNK) + Le32(1) + Le32(5) + Le32(1) +
          Slice(message, 1024, 1024) + Le32(3));
    h.client.session->Process();
    ASSERT_EQ(inbox.messages.size(), 1u);
    EXPECT_EQ(inbox.messages[0], message);
    // Complete: the control record with operation 2, sent by the relay.
    const TBytes complete = Le32(0) + Le32(2) + Le32(5) + Le32(0) + Le32(2048) + Le32(0) + Le16(9) + TBytes(6, 0);
    bool completed = false;
    for (const auto& b : h.Take())
        if (b.size() > 18 && Slice(b, 18, b.size() - 18) == Le16(CHANNEL_CHUNK) + complete + Le32(1)) completed = true;
    EXPECT_TRUE(completed);
}

TEST(NetWire, WelcomeAndGoodbyeAsAHostSendsThem)
{
    TSim sim;
    TNode& host = sim.Add("host");
    host.session->SetIdentity(Fixed("bob", 0x40));
    ASSERT_EQ(host.session->Host(), 0);
    auto raw = sim.net.CreateEndpoint("ann");
    (void)raw->Host(4000);  // setup: what the test checks after it shows whether it took
    const TBytes join = Head(CHANNEL_ADMIN, -1) + kJoinHead +
                        IdentityBytes("ann", 1) + Le32(0x12345678);
    // Setup: what the test checks after it shows whether it took.
    (void)raw->Send(TQZNetPacket{"host", kFalconPort, 0, join});
    sim.Run(3);
    ASSERT_EQ(host.session->State(), FS_HOST_CONNECTED);
    EXPECT_EQ(host.FirstPeer()->Identity().name, "ann");
    TQZNetPacket p;
    ASSERT_TRUE(raw->Receive(p));
    // Tracked welcome: kind 3, the host's identity, the salt echoed.
    EXPECT_EQ(p.bytes, Head(CHANNEL_ADMIN, 1) + Le32(3) + IdentityBytes("bob", 0x40) + Le32(0x12345678));
    while (raw->Receive(p)) {
    }
    host.session->Close();
    sim.Run(1);
    int goodbyes = 0;
    while (raw->Receive(p)) {
        TQZNetHeader head;
        ASSERT_TRUE(ReadNetHeader(p.bytes.data(), p.bytes.size(), head));
        if (Slice(p.bytes, 18, p.bytes.size() - 18) != Le32(4)) continue;
        EXPECT_EQ(head.sequence, -1);
        EXPECT_EQ(head.channel, CHANNEL_ADMIN);
        ++goodbyes;
    }
    EXPECT_EQ(goodbyes, 3);
}

TEST(NetWire, PartyWelcomeAndUpdateAsAHostSendsThem)
{
    TSim sim;
    TNode& host = sim.Add("host");
    host.session->SetIdentity(Fixed("bob", 0x40));
    host.session->GetPartyService();
    ASSERT_EQ(host.session->Host(), 0);
    auto raw = sim.net.CreateEndpoint("ann");
    // Setup: what the test checks after it shows whether it took.
    (void)raw->Host(4000);
    (void)raw->Send(TQZNetPacket{"host", kFalconPort, 0, Head(CHANNEL_ADMIN, -1) + kJoinHead + IdentityBytes("ann", 1) + Le32(7)});
    // A place in the party waits for the welcome (repeated while it goes
    // unanswered) to be acknowledged.
    sim.Run(2 * kPartyScanInterval);
    TQZNetPacket p;
    int32_t welcome = -1;
    while (raw->Receive(p)) {
        TQZNetHeader head;
        ASSERT_TRUE(ReadNetHeader(p.bytes.data(), p.bytes.size(), head));
        EXPECT_NE(head.channel, CHANNEL_PARTY) << "no party message before the answer";
        if (head.channel == CHANNEL_ADMIN && Slice(p.bytes, 18, 4) == Le32(3)) welcome = head.sequence;
    }
    ASSERT_GE(welcome, 0);
    // Setup: what the test checks after it shows whether it took.
    (void)raw->Send(TQZNetPacket{"host", kFalconPort, 0, Head(CHANNEL_ADMIN, -1, welcome, 0) + Le32(2) + Le32(0)});
    sim.Run(kPartyScanInterval + 50);
    std::vector<TBytes> party;
    while (raw->Receive(p)) {
        TQZNetHeader head;
        ASSERT_TRUE(ReadNetHeader(p.bytes.data(), p.bytes.size(), head));
        if (head.channel == CHANNEL_PARTY) party.push_back(Slice(p.bytes, 18, p.bytes.size() - 18));
    }
    ASSERT_GE(party.size(), 2u);
    // Welcome: kind 2, the receiver's party id, a zero; then the message number.
    EXPECT_EQ(party[0], Le16(2) + Le16(2) + Le32(1));
    // Update: 12-byte head, 72-byte members, changes, the message number.
    const TBytes& u = party[1];
    const TBytes head = {1, 0, 4, 2, 1, 0, 0, 0};
    EXPECT_EQ(Slice(u, 0, 8), head);
    const size_t changes = (u.size() - 14 - 2 * 72 - 4) / 2;
    ASSERT_EQ(u.size(), 14 + 2 * 72 + 2 * changes + 4);
    const TBytes hostEntry = TBytes{1, 0, 0, 0} + IdentityBytes("bob", 0x40) + Le32(3) + Le32(0) + Le32(100) +
                             Le32(0) + Le32(0);
    EXPECT_EQ(Slice(u, 12, 72), hostEntry);
    EXPECT_EQ(Slice(u, 84, 52), (TBytes{2, 0, 0, 0} + IdentityBytes("ann", 1)));
    EXPECT_EQ(Slice(u, 84 + 64, 8), TBytes(8, 0));  // the host's peer pointer, no removal time
    EXPECT_EQ(Slice(u, 156, 2), Le16(uint32_t(changes)));
    EXPECT_EQ(Slice(u, 158, 2), (TBytes{PARTY_PENDING, 2}));
    EXPECT_EQ(Slice(u, u.size() - 4, 4), Le32(2));
}

}  // namespace
