#include "netsim.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace nettest;

TEST(NetHeader, RoundTripsEveryField)
{
    const TQZNetHeader cases[] = {
        {0, kNetUntracked, 0, 0, 0},
        {CHANNEL_ADMIN, 1, 0, 0, 512},
        {CHANNEL_GAME, 0x7FFFFFFF, -5, 0xFFFFFFFFu, 17},
        {CHANNEL_PARTY, 12345, 12344, 0x80000001u, 0},
    };
    for (const auto& h : cases) {
        TQZByteArray bytes;
        WriteNetHeader(bytes, h);
        ASSERT_EQ(bytes.size(), kNetHeaderSize);
        EXPECT_EQ(bytes[0], 'Q');
        EXPECT_EQ(bytes[1], 'Z');
        TQZNetHeader back;
        ASSERT_TRUE(ReadNetHeader(bytes.data(), bytes.size(), back));
        EXPECT_EQ(back.channel, h.channel);
        EXPECT_EQ(back.sequence, h.sequence);
        EXPECT_EQ(back.ack, h.ack);
        EXPECT_EQ(back.ackBits, h.ackBits);
        EXPECT_EQ(back.delay, h.delay);
    }
}

TEST(NetHeader, LittleEndianLayout)
{
    TQZByteArray bytes;
    WriteNetHeader(bytes, {0x0102, 0x03040506, 0x0708090A, 0x0B0C0D0E, 0x0F10});
    const TQZByteArray expected = {'Q', 'Z', 0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 0x0A,
                                   0x09, 0x08, 0x07, 0x0E, 0x0D, 0x0C, 0x0B, 0x10, 0x0F};
    EXPECT_EQ(bytes, expected);
}

TEST(NetHeader, ShortOrForeignDatagramsAreRefused)
{
    TQZByteArray bytes;
    WriteNetHeader(bytes, {});
    TQZNetHeader h;
    EXPECT_FALSE(ReadNetHeader(bytes.data(), 17, h));
    EXPECT_TRUE(ReadNetHeader(bytes.data(), 18, h));
    bytes[1] = 'X';
    EXPECT_FALSE(ReadNetHeader(bytes.data(), bytes.size(), h));
}

// Two bare connections over the hub, "a" talking to "b".
struct TLink {
    TLink() : a(net.CreateEndpoint("a")), b(net.CreateEndpoint("b"))
    {
        net.UseAsNetClock();
        // Setup: what the test checks after it shows whether it took.
        (void)a->Host(1);
        (void)b->Host(2);
        ab = std::make_unique<TQZConnection>(a.get(), "b", 2);
        ba = std::make_unique<TQZConnection>(b.get(), "a", 1);
        ab->SetReceiptCallback(&TLink::OnReceipt, &receiptsA);
        ba->SetReceiveCallback(&TLink::OnReceive, &payloadsB);
    }
    static void OnReceipt(void* user, uint16_t, int32_t sequence, TQZNetPacketState state)
    {
        static_cast<std::vector<std::pair<int32_t, TQZNetPacketState>>*>(user)->emplace_back(sequence, state);
    }
    static void OnReceive(void* user, uint16_t, int32_t, const TQZByteArray& payload)
    {
        static_cast<std::vector<TQZByteArray>*>(user)->push_back(payload);
    }
    void Move(uint32_t ms = 1)
    {
        net.Advance(ms);
        a->Pump();
        b->Pump();
    }

    TQZMemoryNetwork net;
    std::unique_ptr<TQZMemoryNetworkThread> a, b;
    std::unique_ptr<TQZConnection> ab, ba;
    std::vector<std::pair<int32_t, TQZNetPacketState>> receiptsA;
    std::vector<TQZByteArray> payloadsB;
};

TEST(NetConnection, HeaderOnlyDatagramIsProcessedWithEmptyPayload)
{
    TLink link;
    TQZNetPacket p{"a", 1, 0, {}};
    WriteNetHeader(p.bytes, {CHANNEL_GAME, kNetUntracked, 0, 0, 0});
    TQZNetPacket shortOne = p;
    shortOne.bytes.pop_back();
    link.ba->OnDatagram(shortOne);
    EXPECT_TRUE(link.payloadsB.empty());
    EXPECT_EQ(link.ba->Received(), 0);
    link.ba->OnDatagram(p);
    ASSERT_EQ(link.payloadsB.size(), 1u);
    EXPECT_TRUE(link.payloadsB[0].empty());
}

TEST(NetConnection, WindowBitsExact)
{
    // s greater than latest by d <= 32: bits move up by d, bit d-1 set.
    TLink link;
    auto arrive = [&](int32_t s) {
        TQZNetPacket p{"a", 1, 0, {}};
        WriteNetHeader(p.bytes, {CHANNEL_GAME, s, 0, 0, 0});
        link.ba->OnDatagram(p);
    };
    arrive(1);
    EXPECT_EQ(link.ba->AckBits(), 0x1u);  // from 0 to 1: bit 0
    arrive(3);
    EXPECT_EQ(link.ba->AckBits(), (0x1u << 2) | 0x2u);
    arrive(2);
    EXPECT_EQ(link.ba->AckBits(), 0x7u);
    arrive(35);  // 32 ahead of 3
    EXPECT_EQ(link.ba->AckLatest(), 35u);
    EXPECT_EQ(link.ba->AckBits(), 0x80000000u);
    arrive(68);  // 33 ahead
    EXPECT_EQ(link.ba->AckBits(), 0u);
    arrive(67);
    EXPECT_EQ(link.ba->AckBits(), 0x1u);
    arrive(35);  // 33 behind: no change
    EXPECT_EQ(link.ba->AckBits(), 0x1u);
    arrive(36);  // 32 behind
    EXPECT_EQ(link.ba->AckBits(), 0x80000001u);
}

TEST(NetConnection, AcknowledgementsMarkSentDatagramsAndMeasureRtt)
{
    TLink link;
    link.net.SetFaults({0, 0, 0, 20, 0, 0});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(link.ab->SendDatagram({1, 2, 3}, CHANNEL_GAME, true), i + 1);
    EXPECT_EQ(link.ab->InFlight(), 3);
    for (int i = 0; i < 25; ++i) link.Move();
    // The reply carries the acknowledgement of all three.
    link.ba->SendDatagram({}, CHANNEL_GAME, false);
    for (int i = 0; i < 25; ++i) link.Move();
    ASSERT_EQ(link.receiptsA.size(), 3u);
    for (const auto& [sequence, state] : link.receiptsA) EXPECT_EQ(state, PKT_ACKNOWLEDGED);
    EXPECT_EQ(link.ab->InFlight(), 0);
    // Datagrams leave on the pump a millisecond after they are queued: the
    // three went at +1 and arrived at +21; the reply was queued at +25 (its
    // delay field says 4 ms), left at +26 and arrived at +46. Three samples
    // of 46 ms through the 0.8/0.2 filters, then the receive-time blend.
    int32_t raw = 0, rtt = 150;
    for (int i = 0; i < 3; ++i) {
        raw = int32_t(0.8 * raw + 0.2 * 46);
        rtt = int32_t(0.8 * rtt + 0.2 * 46);
    }
    rtt = int32_t(0.3 * rtt + 0.7 * std::clamp(raw - 4, 0, 2000));
    EXPECT_EQ(link.ab->RawRtt(), raw);
    EXPECT_EQ(link.ab->Rtt(), rtt);
    EXPECT_NEAR(link.ab->DeliveryRatio(), 1.0f, 1e-6);
}

TEST(NetConnection, ThirtyThirdSendReportsTheFirstLostOutsideTheSend)
{
    TLink link;
    for (int i = 0; i < 32; ++i) link.ab->SendDatagram({}, CHANNEL_GAME, true);
    EXPECT_TRUE(link.receiptsA.empty());
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    // Marked at once, reported on the next step, never from inside the send.
    EXPECT_EQ(link.ab->Entry(32).state, PKT_LOST);
    EXPECT_EQ(link.ab->InFlight(), 32);
    EXPECT_EQ(link.ab->Lost(), 1);
    EXPECT_TRUE(link.receiptsA.empty());
    link.ab->DeliverDeferredReceipts();
    ASSERT_EQ(link.receiptsA.size(), 1u);
    EXPECT_EQ(link.receiptsA[0], std::make_pair(1, PKT_LOST));
}

TEST(NetConnection, LateAcknowledgementOfALostDatagramUpdatesRttOnly)
{
    TLink link;
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    link.net.Advance(1500);
    link.ab->CheckLoss(1000);
    ASSERT_EQ(link.receiptsA.size(), 1u);
    EXPECT_EQ(link.receiptsA[0].second, PKT_LOST);
    const int32_t rttBefore = link.ab->Rtt();
    link.ab->MarkPacket(1, PKT_ACKNOWLEDGED);
    EXPECT_EQ(link.receiptsA.size(), 1u);
    EXPECT_EQ(link.ab->RawRtt(), int32_t(0.2 * 1500));
    EXPECT_EQ(link.ab->Rtt(), int32_t(0.8 * rttBefore + 0.2 * 1500));
    EXPECT_EQ(link.ab->Lost(), 1);
}

TEST(NetConnection, LossCheckStopsAtTheFirstRecentDatagram)
{
    TLink link;
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    link.net.Advance(600);
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    link.net.Advance(500);
    link.ab->CheckLoss(1000);
    ASSERT_EQ(link.receiptsA.size(), 2u);
    EXPECT_EQ(link.receiptsA[0].first, 1);
    EXPECT_EQ(link.receiptsA[1].first, 2);
    EXPECT_EQ(link.ab->Entry(0).state, PKT_INFLIGHT);
    EXPECT_NEAR(link.ab->DeliveryRatio(), 0.81f, 1e-5);
}

TEST(NetConnection, ADatagramIsLostOneMillisecondAfterItsDeadline)
{
    for (uint32_t timeout : {1000u, 1500u, 3000u}) {
        TLink link;
        link.ab->SendDatagram({}, CHANNEL_GAME, true);
        link.net.Advance(timeout);
        link.ab->CheckLoss(timeout);
        EXPECT_TRUE(link.receiptsA.empty()) << "still in flight at exactly the time-out " << timeout;
        EXPECT_EQ(link.ab->Entry(0).state, PKT_INFLIGHT);
        link.net.Advance(1);
        link.ab->CheckLoss(timeout);
        ASSERT_EQ(link.receiptsA.size(), 1u) << timeout;
        EXPECT_EQ(link.receiptsA[0].second, PKT_LOST);
    }
}

TEST(NetConnection, ForgedAcknowledgementsOutsideTheTableAreIgnored)
{
    TLink link;
    link.ab->SendDatagram({}, CHANNEL_GAME, true);
    for (int32_t ack : {0, -1, 40, 0x7FFFFFFF, int32_t(0x80000000)}) {
        TQZNetPacket p{"b", 2, 0, {}};
        WriteNetHeader(p.bytes, {CHANNEL_GAME, kNetUntracked, ack, 0xFFFFFFFFu, 0xFFFF});
        link.ab->OnDatagram(p);
    }
    EXPECT_TRUE(link.receiptsA.empty());
    EXPECT_EQ(link.ab->InFlight(), 1);
}

TEST(NetConnection, BandwidthCountsTheCurrentQuarterSecond)
{
    TLink link;
    link.net.Advance(256 - link.net.Now() % 256);
    link.ab->SendDatagram(TQZByteArray(100), CHANNEL_GAME, false);
    link.ab->SendDatagram(TQZByteArray(82), CHANNEL_GAME, false);
    EXPECT_EQ(link.ab->BytesPerSecond(), 4 * (118 + 100));
    link.net.Advance(256);
    EXPECT_EQ(link.ab->BytesPerSecond(), 0);
}

TEST(NetConnection, SendsFromSeveralThreadsKeepTheTableInNumberingOrder)
{
    // The slot of a sequence is counter - sequence: that only holds when each
    // number is taken together with its place in the table.
    TLink link;
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) link.ab->SendDatagram({1}, CHANNEL_GAME, true);
        });
    for (auto& t : threads) t.join();
    const int32_t counter = link.ab->SequenceCounter();
    ASSERT_EQ(counter, kThreads * kEach);
    for (int slot = 0; slot < TQZConnection::kTableSize; ++slot) EXPECT_EQ(link.ab->Entry(slot).sequence, counter - slot);
    EXPECT_EQ(link.ab->InFlight(), TQZConnection::kTableSize - 1);
    EXPECT_EQ(link.ab->Lost(), counter - (TQZConnection::kTableSize - 1));
}

}  // namespace
