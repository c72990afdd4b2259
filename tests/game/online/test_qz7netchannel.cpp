#include "netsim.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace nettest;

TEST(NetChannel, PairJoinsAndTalksBothWays)
{
    TPair pair;
    EXPECT_EQ(pair.host.session->State(), FS_HOST_CONNECTED);
    pair.clientGame->Send({1, 2, 3}, true);
    pair.hostGame->Send({4, 5}, false);
    // The acknowledgement rides on the host's next datagram: its keep-alive.
    pair.sim.Run(1100);
    ASSERT_EQ(pair.hostInbox.messages.size(), 1u);
    EXPECT_EQ(pair.hostInbox.messages[0], (TQZByteArray{1, 2, 3}));
    ASSERT_EQ(pair.clientInbox.messages.size(), 1u);
    EXPECT_EQ(pair.clientInbox.messages[0], (TQZByteArray{4, 5}));
    // Only the message that asked for a receipt gets one.
    ASSERT_EQ(pair.clientInbox.receipts.size(), 1u);
    EXPECT_EQ(pair.clientInbox.receipts[0].state, PKT_ACKNOWLEDGED);
    EXPECT_TRUE(pair.hostInbox.receipts.empty());
}

struct FaultCase {
    const char* name;
    TQZNetFaults faults;
    uint64_t seed;
};

TEST(NetChannel, OrderedDeliveryIsExactlyOnceAndInOrderUnderFaults)
{
    const FaultCase cases[] = {
        {"loss 20%", {0.2, 0, 0, 10, 0, 50}, 3},
        {"duplicates 30%", {0, 0.3, 0, 10, 0, 50}, 4},
        {"reordering 40%", {0, 0, 0.4, 5, 0, 120}, 5},
        {"jitter 0..80 ms", {0, 0, 0, 20, 80, 50}, 6},
        {"everything", {0.15, 0.15, 0.2, 30, 40, 150}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPair pair(c.seed);
        pair.sim.net.SetFaults(c.faults);
        const uint32_t count = 300;
        for (uint32_t i = 0; i < count; ++i) {
            pair.clientGame->Send(Numbered(i, 8 + i % 50), false);
            pair.hostGame->Send(Numbered(i, 20), false);
            pair.sim.Run(5);
        }
        ASSERT_TRUE(pair.sim.RunUntil(60000, [&] {
            return pair.hostInbox.messages.size() >= count && pair.clientInbox.messages.size() >= count;
        }));
        pair.sim.Run(3000);
        ASSERT_EQ(pair.hostInbox.messages.size(), count);
        ASSERT_EQ(pair.clientInbox.messages.size(), count);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(pair.hostInbox.messages[i], Numbered(i, 8 + i % 50));
            EXPECT_EQ(pair.clientInbox.messages[i], Numbered(i, 20));
        }
        EXPECT_EQ(pair.clientGame->PendingCount(), 0);
        EXPECT_EQ(pair.hostGame->FutureCount(), 0);
        EXPECT_TRUE(pair.client.session->IsConnected());
    }
}

TEST(NetChannel, TheClockWrapsWithoutLossOfTheLink)
{
    // Joined two seconds before the 32-bit millisecond clock wraps.
    TPair pair(9, 0xFFFFFFFFu - 2000);
    pair.sim.net.SetFaults({0.1, 0, 0, 20, 10, 0});
    for (uint32_t i = 0; i < 200; ++i) {
        pair.clientGame->Send(Numbered(i, 12), false);
        pair.sim.Run(20);
    }
    pair.sim.Run(20000);
    ASSERT_EQ(pair.hostInbox.messages.size(), 200u);
    for (uint32_t i = 0; i < 200; ++i) EXPECT_EQ(pair.hostInbox.messages[i], Numbered(i, 12));
    EXPECT_TRUE(pair.client.session->IsConnected());
    EXPECT_TRUE(pair.host.session->IsConnected());
    EXPECT_LT(pair.sim.net.Now(), 100000u);
}

TEST(NetChannel, ABurstBeyondTheTableIsRepeatedWithoutRecursion)
{
    // Hundreds of unacknowledged reliable datagrams at once: every send pushes
    // an older one out of the table; its re-send must wait for the next step.
    TPair pair;
    pair.sim.net.Partition("host", true);
    for (uint32_t i = 0; i < 400; ++i) pair.clientGame->Send(Numbered(i, 16), false);
    pair.sim.Run(2000);
    pair.sim.net.Partition("host", false);
    ASSERT_TRUE(pair.sim.RunUntil(30000, [&] { return pair.hostInbox.messages.size() >= 400; }));
    for (uint32_t i = 0; i < 400; ++i) ASSERT_EQ(pair.hostInbox.messages[i], Numbered(i, 16));
    EXPECT_TRUE(pair.sim.RunUntil(10000, [&] { return pair.clientGame->PendingCount() == 0; }));
}

TEST(NetChannel, EveryLengthTakesItsCarrierAndArrivesWhole)
{
    struct Case {
        size_t length;
        int32_t partsOnTheRelay;  // relay messages the length costs
    };
    // A message carries a 4-byte number on an ordered channel, so the
    // boundaries of the payload sit 4 bytes lower.
    const Case cases[] = {{1396, 0}, {1397, 2}, {1468, 2}, {1469, 2}, {16380, 16}, {16381, 0}, {40000, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        TPair pair;
        pair.sim.net.SetFaults({0.1, 0.05, 0.05, 15, 5, 30});
        TQZByteArray message(c.length);
        for (size_t i = 0; i < c.length; ++i) message[i] = uint8_t(i * 31 + c.length);
        const int32_t ticket = pair.clientGame->Send(message, true);
        EXPECT_GT(ticket, 0);
        ASSERT_TRUE(pair.sim.RunUntil(120000, [&] { return !pair.clientInbox.receipts.empty(); }));
        pair.sim.Run(2000);
        ASSERT_EQ(pair.hostInbox.messages.size(), 1u);
        EXPECT_EQ(pair.hostInbox.messages[0], message);
        ASSERT_EQ(pair.clientInbox.receipts.size(), 1u);
        EXPECT_EQ(pair.clientInbox.receipts[0].ticket, ticket);
        EXPECT_EQ(pair.clientInbox.receipts[0].state, PKT_ACKNOWLEDGED);
        EXPECT_EQ(pair.clientGame->PendingCount(), 0);
    }
}

TEST(NetChannel, SendPathChoosesByLength)
{
    // The base channel's path: one datagram up to 1472 bytes, multipart up to
    // 16384, the chunk channel above.
    const struct {
        size_t length;
        bool multipart, chunk;
        int32_t datagrams;  // at once: the datagram, the parts, or the announce
    } cases[] = {{1472, false, false, 1}, {1473, true, false, 2}, {16384, true, false, 16}, {16385, false, true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        TPair pair;
        TQZPeer* peer = pair.client.FirstPeer();
        auto* raw = peer->AddChannel(std::make_shared<TQZChannel>(peer, 7));
        TQZPeer* hostPeer = pair.host.FirstPeer();
        TInbox inbox;
        auto* target = hostPeer->AddChannel(std::make_shared<TQZChannel>(hostPeer, 7));
        target->SetReceiveCallback(&TInbox::OnReceive, &inbox);
        const int32_t sentBefore = peer->Connection().Sent();
        raw->SendPath(TQZByteArray(c.length, 9), true);
        const int32_t datagrams = peer->Connection().Sent() - sentBefore;
        EXPECT_EQ(datagrams, c.datagrams);
        EXPECT_EQ(peer->Multipart()->PendingSends(), c.multipart ? 1 : 0);
        EXPECT_EQ(peer->Chunk()->SendState() != 0, c.chunk);
        ASSERT_TRUE(pair.sim.RunUntil(60000, [&] { return !inbox.messages.empty(); }));
        EXPECT_EQ(inbox.messages[0], TQZByteArray(c.length, 9));
    }
}

// A host without a peer or a session: channels get the lock, the log and
// every way to send from it alone.
class THostAlone : public TQZChannelHost {
public:
    struct TCarried {
        size_t length;
        uint16_t target;
        bool lockHeld;  // the host's lock was held by the sending thread
    };

    TQZCriticalSection& SessionLock() override { return lock; }
    void Log(const std::string& line) override { log.push_back(line); }
    TQZConnection& Connection() override { return connection; }
    TQZChannelRelay* Relay() const override { return nullptr; }
    int32_t SendCarried(const TQZByteArray& message, uint16_t target) override
    {
        bool held = false;
        std::thread other([&] {
            if (lock.try_lock()) lock.unlock();
            else held = true;
        });
        other.join();
        carried.push_back({message.size(), target, held});
        return 77;
    }
    std::shared_ptr<TQZChannel> FindChannel(uint16_t) override { return nullptr; }
    bool IsConnected() const override { return true; }
    TQZPeer* AsPeer() override { return nullptr; }
    void Abandon(const std::string& reason) override { abandoned.push_back(reason); }
    bool TakeCacheBytes(int64_t bytes) override { return budget.Charge(this, bytes); }
    void ReturnCacheBytes(int64_t bytes) override { budget.Release(this, bytes); }
    void LogRepeated(const std::string&, const std::string& line) override { log.push_back(line); }

    TQZCriticalSection lock;
    TQZCacheBudget budget;
    std::vector<std::string> abandoned;
    std::vector<std::string> log;
    TQZConnection connection{nullptr, "far", kFalconPort};
    std::vector<TCarried> carried;
};

TEST(NetChannel, AChannelReachesOnlyItsHost)
{
    THostAlone host;
    TQZChannel raw(&host, 7);
    EXPECT_EQ(&host, raw.Host());
    EXPECT_EQ(nullptr, raw.Peer());
    // Sends: one datagram on the host's connection, or the host's carriers
    // with this channel as the target, always under the host's lock.
    EXPECT_EQ(kNetUntracked, raw.SendPath(TQZByteArray(kNetMaxDatagramPayload, 1), false));
    EXPECT_EQ(1, host.connection.Sent());
    for (size_t length : {kNetMaxDatagramPayload + 1, kMultipartMax + 1}) {
        SCOPED_TRACE(length);
        host.carried.clear();
        EXPECT_EQ(77, raw.SendPath(TQZByteArray(length, 1), true));
        ASSERT_EQ(1u, host.carried.size());
        EXPECT_EQ(length, host.carried[0].length);
        EXPECT_EQ(7, host.carried[0].target);
        EXPECT_TRUE(host.carried[0].lockHeld);
    }
    // A reliable message over one datagram (its number included) is carried.
    TQZChannelReliable ordered(&host, true, CHANNEL_GAME);
    host.carried.clear();
    EXPECT_EQ(77, ordered.Send(TQZByteArray(kReliableSingleMax - 3, 2), false));
    ASSERT_EQ(1u, host.carried.size());
    EXPECT_EQ(kReliableSingleMax + 1, host.carried[0].length);
    EXPECT_EQ(CHANNEL_GAME, host.carried[0].target);
    EXPECT_TRUE(host.carried[0].lockHeld);
    EXPECT_EQ(1, ordered.PendingCount());
    // The log is the host's.
    raw.OnReceiveTS({1});
    raw.Process();
    ordered.OnReceiptTS(999, PKT_ACKNOWLEDGED);
    ASSERT_EQ(2u, host.log.size());
    EXPECT_EQ("Channel 7 purging 1 received packets; no callback!", host.log[0]);
    EXPECT_EQ("Error! Reliable receipt received with no cache (SeqID=999, receipt " +
                  NetPacketStateName(PKT_ACKNOWLEDGED) + ")",
              host.log[1]);
}

TEST(NetChannel, APeerHostsItsChannelsWithTheSessionsLockAndLog)
{
    TPair pair;
    TQZPeer* peer = pair.client.FirstPeer();
    EXPECT_EQ(static_cast<TQZChannelHost*>(peer), pair.clientGame->Host());
    EXPECT_EQ(peer, pair.clientGame->Peer());
    EXPECT_EQ(&pair.client.session->Lock(), &peer->SessionLock());
    peer->Log("through the host");
    EXPECT_TRUE(pair.client.Logged("through the host"));
}

// Feeds an ordered channel messages with hand-made numbers.
TQZByteArray WithNumber(uint32_t n, TQZByteArray payload)
{
    TQZNetWriter(payload).U32(n);
    return payload;
}

TEST(NetChannel, OrderedReceiveHoldsTheFutureAndDropsRepeats)
{
    TPair pair;
    auto& in = pair.hostInbox.messages;
    pair.hostGame->OnReceiveTS(WithNumber(1, {10}));
    pair.hostGame->OnReceiveTS(WithNumber(3, {30}));
    pair.host.session->Process();
    ASSERT_EQ(in.size(), 1u);
    EXPECT_EQ(pair.hostGame->FutureCount(), 1);
    pair.hostGame->OnReceiveTS(WithNumber(2, {20}));
    pair.hostGame->OnReceiveTS(WithNumber(2, {21}));
    pair.hostGame->OnReceiveTS(WithNumber(1, {11}));
    pair.host.session->Process();
    ASSERT_EQ(in.size(), 3u);
    EXPECT_EQ(in[1], TQZByteArray{20});
    EXPECT_EQ(in[2], TQZByteArray{30});
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
    EXPECT_EQ(pair.hostGame->LastDelivered(), 3u);
}

TEST(NetChannel, MalformedOrderedAndRelayedMessagesAreDropped)
{
    TPair pair;
    for (const TQZByteArray& bad : {TQZByteArray{}, TQZByteArray{1}, TQZByteArray{1, 0, 0}})
        pair.hostGame->OnReceiveTS(bad);
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
    // Relay: short, unknown target, itself, the admin channel.
    TQZChannelRelay* relay = pair.host.FirstPeer()->Relay();
    for (const TQZByteArray& bad :
         {TQZByteArray{}, TQZByteArray{0x01}, TQZByteArray{0x09, 0x00, 1, 2}, TQZByteArray{0xFE, 0xFF, 1, 0, 1, 0, 0, 0},
          TQZByteArray{0xFF, 0xFF, 3, 0, 0, 0}})
        relay->Deliver(bad);
    pair.host.session->Process();
    EXPECT_TRUE(pair.hostInbox.messages.empty());
    EXPECT_TRUE(pair.host.session->IsConnected());
}

TEST(NetChannel, UnknownChannelIsAbandonedWithALogLine)
{
    TPair pair;
    TQZPeer* peer = pair.client.FirstPeer();
    auto* stray = peer->AddChannel(std::make_shared<TQZChannel>(peer, 42));
    stray->Send({1}, false);
    pair.sim.Run(30);
    EXPECT_TRUE(pair.host.Logged("Abandoning packet for channel 42 as doesn't exist!"));
}

TEST(NetChannel, ProcessPurgesWhenNobodyListens)
{
    TPair pair;
    pair.hostGame->SetReceiveCallback(nullptr, nullptr);
    pair.clientGame->Send({1}, false);
    pair.clientGame->Send({2}, false);
    pair.sim.Run(40);
    EXPECT_TRUE(pair.host.Logged("Channel 1 purging 2 received packets; no callback!"));
    EXPECT_EQ(pair.hostGame->QueuedReceives(), 0);
}

TEST(NetChannel, AMessageNoCarrierTakesIsRefusedWithoutStallingTheOrder)
{
    // Beyond the chunk channel's limit nothing can carry a message; it must
    // not take a number that the receiver would then wait for for good.
    TPair pair;
    const TQZByteArray tooLong(size_t(kChunkMaxLength) - 3, 1);
    EXPECT_EQ(pair.clientGame->Send(tooLong, true), kNetUntracked);
    EXPECT_EQ(pair.clientGame->PendingCount(), 0);
    pair.clientGame->Send({7, 7}, true);
    ASSERT_TRUE(pair.sim.RunUntil(5000, [&] { return !pair.hostInbox.messages.empty(); }));
    EXPECT_EQ(pair.hostInbox.messages[0], (TQZByteArray{7, 7}));
    EXPECT_TRUE(pair.sim.RunUntil(5000, [&] { return pair.clientGame->PendingCount() == 0; }));
}

TEST(NetChannel, MessagesAheadOfAGapAreKeptUpToTheByteLimit)
{
    // A peer that holds back one message and sends large ones after it
    // cannot make the receiver keep more than the byte limit.
    TPair pair;
    const size_t size = 1u << 20;
    const int32_t fit = int32_t(kFutureBytesMax / size);
    for (uint32_t n = 2; n <= uint32_t(fit) + 1; ++n) pair.hostGame->OnReceiveTS(WithNumber(n, TQZByteArray(size, 1)));
    EXPECT_EQ(pair.hostGame->FutureCount(), fit);
    EXPECT_EQ(pair.host.session->CacheBudget().InUse(), int64_t(fit) * int64_t(size));
    // The gap filled, what was kept follows in order.
    pair.hostGame->OnReceiveTS(WithNumber(1, {1}));
    pair.host.session->Process();
    EXPECT_EQ(int32_t(pair.hostInbox.messages.size()), fit + 1);
    EXPECT_EQ(pair.hostGame->LastDelivered(), uint32_t(fit) + 1);
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
    EXPECT_EQ(pair.host.session->CacheBudget().InUse(), 0);
    // Past the limit a message is dropped: it was acknowledged, so the
    // channel could never go on, and the connection ends with what it kept.
    const uint32_t next = uint32_t(fit) + 2;
    for (uint32_t n = next + 1; n <= next + uint32_t(fit) + 1; ++n)
        pair.hostGame->OnReceiveTS(WithNumber(n, TQZByteArray(size, 1)));
    EXPECT_FALSE(pair.host.session->IsConnected());
    EXPECT_TRUE(pair.host.Logged("too far ahead of " + std::to_string(next - 1)));
    EXPECT_EQ(pair.hostGame->FutureCount(), 0);
    EXPECT_EQ(pair.host.session->CacheBudget().InUse(), 0);
}

}  // namespace
