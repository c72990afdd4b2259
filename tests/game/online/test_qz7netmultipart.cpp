#include "netsim.h"

#include <gtest/gtest.h>

namespace {

using namespace nettest;

// A raw channel on both sides so that multipart and chunk transfers can be
// started with exact lengths (no ordered-channel number is appended).
struct TCarrierPair : TPair {
    explicit TCarrierPair(uint64_t seed = 1) : TPair(seed)
    {
        TQZPeer* peer = client.FirstPeer();
        sender = peer->AddChannel(std::make_shared<TQZChannel>(peer, 9));
        sender->SetReceiptCallback(&TInbox::OnReceipt, &sent);
        TQZPeer* hostPeer = host.FirstPeer();
        receiver = hostPeer->AddChannel(std::make_shared<TQZChannel>(hostPeer, 9));
        receiver->SetReceiveCallback(&TInbox::OnReceive, &received);
    }
    TQZChannelMultipart* ClientMultipart() { return client.FirstPeer()->Multipart(); }
    TQZChannelMultipart* HostMultipart() { return host.FirstPeer()->Multipart(); }
    TQZChannelChunk* ClientChunk() { return client.FirstPeer()->Chunk(); }
    TQZChannelChunk* HostChunk() { return host.FirstPeer()->Chunk(); }

    TQZChannel* sender = nullptr;
    TQZChannel* receiver = nullptr;
    TInbox sent, received;
};

TQZByteArray Pattern(size_t length, uint8_t salt)
{
    TQZByteArray b(length);
    for (size_t i = 0; i < length; ++i) b[i] = uint8_t((i * 131 + salt) ^ (i >> 8));
    return b;
}

TQZByteArray Part(uint16_t number, uint16_t target, uint8_t index, uint8_t count, size_t length)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.U16(number);
    w.U16(target);
    w.U8(index);
    w.U8(count);
    w.Zero(length);
    return m;
}

TEST(NetMultipart, MessagesAreCutAndJoinedUnderLoss)
{
    const struct {
        size_t length;
        int32_t parts;
    } cases[] = {{1025, 2}, {4096, 4}, {16384, 16}, {5000, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        TCarrierPair pair(11);
        pair.sim.net.SetFaults({0.2, 0.1, 0.1, 10, 10, 40});
        const int32_t relayBefore = pair.client.FirstPeer()->Relay()->PendingCount();
        const TQZByteArray message = Pattern(c.length, uint8_t(c.length));
        const int32_t ticket = pair.ClientMultipart()->SendData(message, 9);
        EXPECT_EQ(pair.client.FirstPeer()->Relay()->PendingCount() - relayBefore, c.parts);
        ASSERT_TRUE(pair.sim.RunUntil(60000, [&] { return !pair.sent.receipts.empty(); }));
        pair.sim.Run(1000);
        ASSERT_EQ(pair.received.messages.size(), 1u);
        EXPECT_EQ(pair.received.messages[0], message);
        ASSERT_EQ(pair.sent.receipts.size(), 1u);
        EXPECT_EQ(pair.sent.receipts[0].ticket, ticket);
        EXPECT_EQ(pair.ClientMultipart()->PendingSends(), 0);
        EXPECT_EQ(pair.HostMultipart()->PendingJoins(), 0);
    }
}

TEST(NetMultipart, MalformedPartsAreRefused)
{
    TCarrierPair pair;
    TQZChannelMultipart* m = pair.HostMultipart();
    const TQZByteArray bad[] = {
        {},                                  // no head
        Part(1, 9, 0, 0, 10),                // no parts
        Part(1, 9, 2, 2, 10),                // index past the count
        Part(1, 9, 0, 17, 1024),             // more parts than 16384 bytes
        Part(1, 9, 0, 2, 1000),              // a part before the last must be whole
        Part(1, 9, 1, 2, 0),                 // an empty last part
        Part(1, 9, 1, 2, 1025),              // an oversized last part
        Part(1, CHANNEL_RELAY, 0, 1, 5),     // a carrier as target
        Part(1, CHANNEL_MULTIPART, 0, 1, 5),
    };
    for (const auto& b : bad) m->OnReceiveTS(b);
    pair.host.session->Process();
    EXPECT_EQ(m->PendingJoins(), 0);
    EXPECT_TRUE(pair.received.messages.empty());
    // One line, and the count of the rest once the flood is over.
    EXPECT_EQ(pair.host.CountLogged("Multipart dropping a malformed part"), 1);
    pair.Step(2 * kThrottlePeriod + 20);
    EXPECT_TRUE(pair.host.Logged("Multipart dropping a malformed part (and 8 more like it)"));
}

TEST(NetMultipart, DuplicatePartsAndForeignCountsDoNotCompleteAMessage)
{
    TCarrierPair pair;
    TQZChannelMultipart* m = pair.HostMultipart();
    m->OnReceiveTS(Part(5, 9, 0, 3, 1024));
    m->OnReceiveTS(Part(5, 9, 0, 3, 1024));  // the same part again
    m->OnReceiveTS(Part(5, 9, 1, 2, 1024));  // claims another count
    m->OnReceiveTS(Part(5, 9, 1, 3, 1024));
    pair.host.session->Process();
    EXPECT_TRUE(pair.received.messages.empty());
    // The same number for another target is another message.
    m->OnReceiveTS(Part(5, 7, 0, 2, 1024));
    EXPECT_EQ(m->PendingJoins(), 2);
    m->OnReceiveTS(Part(5, 9, 2, 3, 3));
    pair.host.session->Process();
    ASSERT_EQ(pair.received.messages.size(), 1u);
    EXPECT_EQ(pair.received.messages[0].size(), 2051u);
    EXPECT_EQ(m->PendingJoins(), 1);
}

TEST(NetMultipart, StaleJoinsExpireAndResetClearsThem)
{
    TCarrierPair pair;
    TQZChannelMultipart* m = pair.HostMultipart();
    TQZCacheBudget& budget = pair.host.session->CacheBudget();
    m->OnReceiveTS(Part(1, 9, 0, 2, 1024));
    m->OnReceiveTS(Part(3, 9, 0, 3, 1024));
    EXPECT_EQ(m->PendingJoins(), 2);
    EXPECT_EQ(budget.InUse(), 2048) << "the parts held count against the session's budget";
    m->Reset();
    EXPECT_EQ(m->PendingJoins(), 0);
    EXPECT_EQ(budget.InUse(), 0);
    // The number a peer reused after a reset starts a fresh message.
    m->OnReceiveTS(Part(1, 9, 1, 2, 5));
    pair.host.session->Process();
    EXPECT_TRUE(pair.received.messages.empty());
    EXPECT_EQ(m->PendingJoins(), 1);
    // A message whose parts stopped coming is forgotten; they were
    // acknowledged, so the peer is cut off and what it sent goes along.
    pair.sim.net.Advance(kMultipartExpiry + 1);
    m->OnReceiveTS(Part(2, 9, 0, 2, 1024));
    EXPECT_EQ(m->PendingJoins(), 0);
    EXPECT_FALSE(pair.host.session->IsConnected());
    EXPECT_EQ(budget.InUse(), 0);
}

TEST(NetChunk, TransfersArriveWholeUnderLoss)
{
    const struct {
        size_t length;
        double loss;
    } cases[] = {{2048, 0.0}, {16385, 0.1}, {100000, 0.2}, {300001, 0.05}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        TCarrierPair pair(21);
        pair.sim.net.SetFaults({c.loss, 0.02, 0.02, 25, 5, 30});
        const TQZByteArray payload = Pattern(c.length, 3);
        const int32_t ticket = pair.ClientChunk()->SendData(payload, 9);
        ASSERT_GT(ticket, 0);
        ASSERT_TRUE(pair.sim.RunUntil(600000, [&] { return !pair.sent.receipts.empty(); }));
        ASSERT_EQ(pair.received.messages.size(), 1u);
        EXPECT_EQ(pair.received.messages[0], payload);
        EXPECT_EQ(pair.sent.receipts[0].ticket, ticket);
        EXPECT_EQ(pair.sent.receipts[0].state, PKT_ACKNOWLEDGED);
        pair.sim.Run(500);
        EXPECT_EQ(pair.ClientChunk()->TickInterval(), 0u);
        EXPECT_EQ(pair.HostChunk()->TickInterval(), 0u);
    }
}

TEST(NetChunk, QueuedTransfersFollowInOrderWithTheirOwnTickets)
{
    TCarrierPair pair;
    const TQZByteArray a = Pattern(20000, 1), b = Pattern(30000, 2), c = Pattern(17000, 3);
    const int32_t ta = pair.ClientChunk()->SendData(a, 9);
    const int32_t tb = pair.ClientChunk()->SendData(b, 9);
    const int32_t tc = pair.ClientChunk()->SendData(c, 9);
    EXPECT_EQ(pair.ClientChunk()->QueuedTransfers(), 2);
    ASSERT_TRUE(pair.sim.RunUntil(120000, [&] { return pair.sent.receipts.size() == 3; }));
    ASSERT_EQ(pair.received.messages.size(), 3u);
    EXPECT_EQ(pair.received.messages[0], a);
    EXPECT_EQ(pair.received.messages[1], b);
    EXPECT_EQ(pair.received.messages[2], c);
    EXPECT_EQ(pair.sent.receipts[0].ticket, ta);
    EXPECT_EQ(pair.sent.receipts[1].ticket, tb);
    EXPECT_EQ(pair.sent.receipts[2].ticket, tc);
}

TEST(NetChunk, AnnouncementsOutsideTheLimitsAreRefused)
{
    TCarrierPair pair;
    TQZChannelChunk* chunk = pair.HostChunk();
    for (int64_t length : {int64_t(0), int64_t(-1), kChunkMaxLength + 1, int64_t(0x7FFFFFFFFFFFFFFF)}) {
        chunk->OnReceiveTS(ChunkControl(CHUNK_ANNOUNCE, 1, length, 9));
        EXPECT_EQ(chunk->ReceiveState(), 0) << length;
    }
    chunk->OnReceiveTS(ChunkControl(CHUNK_ANNOUNCE, 1, 5000, CHANNEL_ADMIN));
    EXPECT_EQ(chunk->ReceiveState(), 0);
    TQZByteArray shortOne = ChunkControl(CHUNK_ANNOUNCE, 1, 5000, 9);
    shortOne.resize(20);
    chunk->OnReceiveTS(shortOne);
    EXPECT_EQ(chunk->ReceiveState(), 0);
}

TEST(NetChunk, SlicesMustFitTheirPlace)
{
    TCarrierPair pair;
    TQZChannelChunk* chunk = pair.HostChunk();
    chunk->OnReceiveTS(ChunkControl(CHUNK_ANNOUNCE, 4, 2048 + 10, 9));
    ASSERT_EQ(chunk->ReceiveState(), 3);
    const TQZByteArray bad[] = {ChunkSlice(4, -1, 1024), ChunkSlice(4, 3, 10),   ChunkSlice(4, 0, 1023), ChunkSlice(4, 0, 1025),
                                ChunkSlice(4, 2, 1024),  ChunkSlice(4, 2, 9),    ChunkSlice(5, 0, 1024), TQZByteArray{1, 0, 0, 0, 4}};
    for (const auto& b : bad) chunk->OnReceiveTS(b);
    chunk->OnReceiveTS(ChunkSlice(4, 0, 1024));
    chunk->OnReceiveTS(ChunkSlice(4, 1, 1024));
    pair.host.session->Process();
    EXPECT_TRUE(pair.received.messages.empty());
    chunk->OnReceiveTS(ChunkSlice(4, 2, 10));
    pair.host.session->Process();
    ASSERT_EQ(pair.received.messages.size(), 1u);
    EXPECT_EQ(pair.received.messages[0].size(), 2058u);
}

TEST(NetChunk, AcknowledgementsOutsideTheTransferAreIgnored)
{
    TCarrierPair pair;
    pair.sim.net.Partition("host", true);
    const TQZByteArray payload = Pattern(10 * 1024 + 20000, 5);
    pair.ClientChunk()->SendData(payload, 9);
    // Make the sender pump without the receiver: accept the announce by hand.
    TQZChannelChunk* chunk = pair.ClientChunk();
    auto ack = [&](int32_t gapFree, std::vector<std::pair<int32_t, int32_t>> ranges, std::vector<int32_t> singles,
                   int32_t extra = 0) {
        TQZByteArray m;
        TQZNetWriter w(m);
        w.I32(CHUNK_ACK);
        w.I32(1);
        w.I32(gapFree);
        w.I32(int32_t(ranges.size()) + extra);
        w.I32(int32_t(singles.size()));
        for (auto [f, l] : ranges) {
            w.I32(f);
            w.I32(l);
        }
        for (int32_t s : singles) w.I32(s);
        return m;
    };
    pair.sim.Run(10);
    // Not yet sending slices: acknowledgements change nothing and nothing breaks.
    const TQZByteArray forged[] = {
        ack(-2, {}, {}), ack(1000, {}, {}), ack(0, {{5, 3}}, {}), ack(0, {{0, 1000}}, {}), ack(0, {}, {-1}),
        ack(0, {}, {31}), ack(0, {{1, 2}}, {}, 5), ack(0, std::vector<std::pair<int32_t, int32_t>>(21, {1, 2}), {}),
    };
    for (const auto& f : forged) chunk->OnReceiveTS(f);
    pair.sim.net.Partition("host", false);
    ASSERT_TRUE(pair.sim.RunUntil(120000, [&] { return !pair.received.messages.empty(); }));
    EXPECT_EQ(pair.received.messages[0], payload);
}

TEST(NetChunk, SlicesStopWhileThePeerIsGone)
{
    // A transfer to a peer that has timed out would otherwise repeat its
    // slices to nobody for as long as the peer stays in the list.
    TCarrierPair pair;
    pair.sender->SendPath(TQZByteArray(200000, 5), true);
    pair.sim.Run(300);
    pair.sim.net.Partition("host", true);
    pair.sim.Run(kPeerTimeout + 2000);
    ASSERT_FALSE(pair.client.FirstPeer()->IsConnected());
    ASSERT_FALSE(pair.host.FirstPeer()->IsConnected());
    const int64_t before = pair.sim.net.Stats().sent;
    pair.sim.Run(20000);
    EXPECT_EQ(pair.sim.net.Stats().sent, before);
}

}  // namespace

namespace {

using namespace nettest;

// Whatever path gives up a reliable message after its datagram was
// acknowledged leaves the receiver waiting for it: the connection ends with
// a log line, and the other side hears the goodbye at once.
TEST(NetCarriers, AGivenUpMessageEndsTheConnectionInsteadOfStalling)
{
    const struct {
        const char* name;
        std::function<void(TCarrierPair&)> drop;
        const char* line;
    } cases[] = {
        {"ordered message far ahead",
         [](TCarrierPair& p) {
             TQZByteArray m{1};
             TQZNetWriter(m).U32(kFutureWindow + 2);
             p.hostGame->OnReceiveTS(m);
         },
         "channel 1 cannot go on past message 1"},
        {"multipart message whose parts stopped",
         [](TCarrierPair& p) {
             p.HostMultipart()->OnReceiveTS(Part(1, 9, 0, 2, 1024));
             p.Step(kMultipartExpiry + 100);
             p.HostMultipart()->OnReceiveTS(Part(2, 9, 0, 2, 1024));
         },
         "multipart message(s) could not be completed"},
        {"chunk transfer whose slices stopped",
         [](TCarrierPair& p) {
             p.HostChunk()->OnReceiveTS(ChunkControl(CHUNK_ANNOUNCE, 3, 40000, 9));
             p.HostChunk()->OnReceiveTS(ChunkSlice(3, 0, 1024));
             p.Step(kChunkReceiveExpiry + 1000);
         },
         "chunk transfer 3 stopped arriving"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCarrierPair pair;
        c.drop(pair);
        pair.Step(50);
        EXPECT_TRUE(pair.host.Logged(std::string("Ending the connection to [client]")));
        EXPECT_TRUE(pair.host.Logged(c.line));
        EXPECT_FALSE(pair.host.session->IsConnected());
        EXPECT_EQ(pair.client.session->State(), FS_DISCONNECTED) << "the goodbye reached the client";
        EXPECT_EQ(pair.host.session->CacheBudget().InUse(), 0);
    }
}

TEST(NetChunk, PagesAreTakenAsSlicesArriveWithinTheSessionsBudget)
{
    TCarrierPair pair;
    TQZChannelChunk* chunk = pair.HostChunk();
    TQZCacheBudget& budget = pair.host.session->CacheBudget();
    // An announce of the largest transfer costs nothing until slices come.
    chunk->OnReceiveTS(ChunkControl(CHUNK_ANNOUNCE, 1, kChunkMaxLength, 9));
    ASSERT_EQ(chunk->ReceiveState(), 3);
    EXPECT_EQ(budget.InUse(), 0);
    chunk->OnReceiveTS(ChunkSlice(1, 0, 1024));
    chunk->OnReceiveTS(ChunkSlice(1, 1, 1024));
    EXPECT_EQ(budget.InUse(), int64_t(kChunkPageSize)) << "one page for both slices";
    chunk->OnReceiveTS(ChunkSlice(1, int32_t(kChunkPageSlices) * 5, 1024));
    EXPECT_EQ(budget.InUse(), 2 * int64_t(kChunkPageSize));
    EXPECT_EQ(chunk->PageBytes(), budget.InUse());
    // The same peer's early message takes from the same budget: the last
    // page no longer fits, and its slice is not taken (the sender repeats it
    // later) while nothing more is allocated.
    TQZByteArray early(1000, 1);
    TQZNetWriter(early).U32(2);
    pair.hostGame->OnReceiveTS(early);
    const int64_t pages = kChunkMaxLength / int64_t(kChunkPageSize);
    ASSERT_EQ(pages * int64_t(kChunkPageSize), budget.Limit());
    for (int64_t p = 0; p < pages; ++p) chunk->OnReceiveTS(ChunkSlice(1, int32_t(p * int64_t(kChunkPageSlices)), 1024));
    EXPECT_EQ(budget.InUse(), budget.Limit() - int64_t(kChunkPageSize) + 1000);
    EXPECT_EQ(chunk->ReceiveState(), 3);
    EXPECT_TRUE(pair.host.session->IsConnected()) << "nobody else holds more";
    // What goes takes its pages along.
    chunk->Reset();
    EXPECT_EQ(budget.InUse(), 1000);
}

TEST(NetChunk, ATransferStillArrivesWholeThroughThePages)
{
    TCarrierPair pair(7);
    pair.sim.net.SetFaults({0.1, 0.05, 0.1, 2, 3, 50});
    const TQZByteArray payload = Pattern(3 * kChunkPageSize + 777, 9);
    pair.ClientChunk()->SendData(payload, 9);
    ASSERT_TRUE(pair.sim.RunUntil(120000, [&] { return !pair.received.messages.empty(); }));
    EXPECT_EQ(pair.received.messages[0], payload);
    EXPECT_EQ(pair.HostChunk()->PageBytes(), 0);
}

}  // namespace
