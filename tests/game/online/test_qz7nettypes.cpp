#include "qz7nettypes.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(NetTypes, AddressTexts)
{
    EXPECT_EQ(NetAddressText("10.0.0.1", 6969), "[10.0.0.1]:6969");
    EXPECT_EQ(NetAddressPlain("10.0.0.1", 6969), "10.0.0.1:6969");
    EXPECT_EQ(ClampNetAddress(std::string(200, 'x')).size(), kNetAddressMax);
}

TEST(NetTypes, ClockIsInjectableAndWrapsAsSigned)
{
    SetNetTimeSource([] { return 0xFFFFFFF0u; });
    EXPECT_EQ(GetNetTime(), 0xFFFFFFF0u);
    EXPECT_EQ(NetTimeDiff(0x10u, GetNetTime()), 0x20);
    SetNetTimeSource(nullptr);
}

TEST(NetTypes, QueuesPopOldestFirst)
{
    TQZNetQueueManager q;
    TQZNetPacket p;
    EXPECT_FALSE(q.Pop(p));
    for (uint16_t i = 0; i < 200; ++i) EXPECT_EQ(q.Push(TQZNetPacket{"a", i, 0, {}}), int32_t(i));
    for (uint16_t i = 0; i < 150; ++i) {
        ASSERT_TRUE(q.Pop(p));
        EXPECT_EQ(p.port, i);
    }
    EXPECT_EQ(q.Count(), 50);
    EXPECT_EQ(q.Largest(), 200);
    q.Clear();
    EXPECT_EQ(q.Count(), 0);

    TQZSafeQueue<int> s;
    s.Push(1);
    s.Push(2);
    int v = 0;
    EXPECT_TRUE(s.Pop(v));
    EXPECT_EQ(v, 1);
    EXPECT_EQ(s.Count(), 1);
}

TEST(NetTypes, SafeArrayFindsByItsEquality)
{
    struct Rec {
        int32_t ticket;
        uint16_t target;
    };
    TQZSafeArray<Rec> a([](const Rec& x, const Rec& y) { return x.ticket == y.ticket && x.target == y.target; });
    a.Add({1, 5});
    a.Add({2, 5});
    a.Add({1, 6});
    EXPECT_EQ(a.IndexOf({1, 6}), 2);
    EXPECT_EQ(a.IndexOf({3, 5}), -1);
    EXPECT_TRUE(a.Remove({2, 5}));
    EXPECT_FALSE(a.Remove({2, 5}));
    auto snap = a.Snapshot();
    a.Clear();
    EXPECT_EQ(snap.size(), 2u);
    EXPECT_EQ(a.Count(), 0);
}

TEST(NetTypes, TicketsAreUniqueAcrossThreads)
{
    TQZNetTicketer t;
    std::vector<int32_t> seen[4];
    std::vector<std::thread> threads;
    for (auto& list : seen)
        threads.emplace_back([&t, &list] {
            for (int i = 0; i < 1000; ++i) list.push_back(t.Next());
        });
    for (auto& th : threads) th.join();
    std::vector<int32_t> all;
    for (auto& list : seen) all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 4000u);
    for (int32_t i = 0; i < 4000; ++i) EXPECT_EQ(all[size_t(i)], i + 1);
}

TEST(NetTypes, ReaderStopsAtTheEnd)
{
    const TQZByteArray bytes = {1, 2, 3};
    TQZNetReader r(bytes);
    EXPECT_EQ(r.U16(), 0x0201);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.Bytes(1).empty());
}

}  // namespace
