#include "netsim.h"

#include <gtest/gtest.h>

namespace {

using namespace nettest;

struct TChanges {
    static void OnChange(void* user, const TQZPartyChange& c) { static_cast<TChanges*>(user)->list.push_back(c); }
    static void OnList(void* user) { ++static_cast<TChanges*>(user)->lists; }
    bool Has(uint8_t event, uint8_t id) const
    {
        return std::find(list.begin(), list.end(), TQZPartyChange{event, id}) != list.end();
    }
    std::vector<TQZPartyChange> list;
    int lists = 0;
};

struct TParty {
    TParty() : host(sim.Add("host"))
    {
        Watch(host, hostChanges);
        (void)host.session->Host();  // setup: what the test checks after it shows whether it took
    }
    void Watch(TNode& node, TChanges& changes)
    {
        TQZPartyService* party = node.session->GetPartyService();
        party->SetOnChange(&TChanges::OnChange, &changes);
        party->SetOnListChanged(&TChanges::OnList, &changes);
    }
    TNode& Join(const std::string& name)
    {
        TNode& node = sim.Add(name);
        clientChanges.push_back(std::make_unique<TChanges>());
        Watch(node, *clientChanges.back());
        (void)node.session->Open("host");
        EXPECT_TRUE(sim.RunUntil(3000, [&] { return Party(node)->LocalPartyId() != 0; }));
        return node;
    }
    static TQZPartyService* Party(TNode& n) { return n.session->GetPartyService(); }

    TSim sim;
    TNode& host;
    TChanges hostChanges;
    std::vector<std::unique_ptr<TChanges>> clientChanges;
};

TEST(NetParty, HostGivesIdsAndEveryMemberSeesTheList)
{
    TParty p;
    TNode& a = p.Join("a");
    TNode& b = p.Join("b");
    TNode& c = p.Join("c");
    EXPECT_EQ(TParty::Party(p.host)->LocalPartyId(), 1);
    EXPECT_EQ(TParty::Party(a)->LocalPartyId(), 2);
    EXPECT_EQ(TParty::Party(b)->LocalPartyId(), 3);
    EXPECT_EQ(TParty::Party(c)->LocalPartyId(), 4);
    EXPECT_TRUE(a.Logged("Welcome to party - Local PartyID is 2"));
    p.sim.Run(2500);
    for (TNode* n : {&p.host, &a, &b, &c}) {
        const auto members = TParty::Party(*n)->Members();
        ASSERT_EQ(members.size(), 4u);
        for (uint8_t i = 0; i < 4; ++i) EXPECT_EQ(members[i].partyId, i + 1);
        EXPECT_EQ(members[0].flags & 3u, 3u);
        EXPECT_EQ(members[0].identity.name, "host");
        EXPECT_EQ(members[1].identity.name, "a");
        EXPECT_EQ(members[3].quality, 100);
    }
    for (uint8_t id : {2, 3, 4}) {
        EXPECT_TRUE(p.hostChanges.Has(PARTY_PENDING, id));
        EXPECT_TRUE(p.hostChanges.Has(PARTY_JOINED, id));
    }
    // Clients hear the changes through the update and the member's own peer
    // is found only where it is a direct peer.
    EXPECT_TRUE(p.clientChanges[0]->Has(PARTY_JOINED, 4));
    EXPECT_GT(p.clientChanges[0]->lists, 0);
    EXPECT_NE(TParty::Party(a)->GetMemberPeer(1), nullptr);
    EXPECT_EQ(TParty::Party(a)->GetMemberPeer(3), nullptr);
    EXPECT_EQ(TParty::Party(p.host)->GetMemberPeer(3).get(), p.host.session->Peers().Snapshot()[1].get());
    EXPECT_EQ(TParty::Party(p.host)->PartyState(), PARTY_OPEN);
    TParty::Party(p.host)->SetPartyState(PARTY_OPEN);
    EXPECT_EQ(TParty::Party(p.host)->PartyState(), PARTY_FULL);
}

TEST(NetParty, FreedIdIsReusedAndAFullPartyKicks)
{
    TParty p;
    p.Join("a");
    TNode& b = p.Join("b");
    p.Join("c");
    b.session->Close();
    ASSERT_TRUE(p.sim.RunUntil(5000, [&] { return TParty::Party(p.host)->MemberCount() == 3; }));
    EXPECT_TRUE(p.host.Logged("Killing party entry #2"));
    EXPECT_TRUE(p.hostChanges.Has(PARTY_LEAVE, 3));
    // Members 1, 2, 4: the next joins as 3.
    TNode& d = p.Join("d");
    EXPECT_EQ(TParty::Party(d)->LocalPartyId(), 3);
    // Members 1 to 4 with a maximum of 4: the next is refused and kicked.
    TNode& e = p.sim.Add("e");
    (void)e.session->Open("host");
    ASSERT_TRUE(p.sim.RunUntil(5000, [&] { return e.Logged("Host initiated disconnection"); }));
    EXPECT_TRUE(p.host.Logged("Party exceeds max party size - rejecting"));
    EXPECT_TRUE(p.host.Logged("Party FORCE KICK peer e, party state is PARTY_CLOSED"));
    EXPECT_EQ(TParty::Party(e)->LocalPartyId(), 0);
    EXPECT_EQ(TParty::Party(p.host)->MemberCount(), 4);
}

TEST(NetParty, ClosedPartyKicksNewcomers)
{
    TParty p;
    p.Join("a");
    TParty::Party(p.host)->SetPartyState(PARTY_CLOSED);
    TNode& b = p.sim.Add("b");
    (void)b.session->Open("host");
    ASSERT_TRUE(p.sim.RunUntil(5000, [&] { return b.session->State() == FS_DISCONNECTED; }));
    EXPECT_TRUE(p.host.Logged("Party FORCE KICK peer b"));
}

TEST(NetParty, RejoinWithinTwelveSecondsKeepsTheId)
{
    TParty p;
    TNode& a = p.Join("a");
    TNode& b = p.Join("b");
    p.sim.Run(1500);
    p.sim.net.Partition("a", true);
    ASSERT_TRUE(p.sim.RunUntil(12000, [&] { return a.session->State() == FS_DISCONNECTED; }));
    ASSERT_TRUE(p.sim.RunUntil(2000, [&] { return p.hostChanges.Has(PARTY_DISCONNECT, 2); }));
    EXPECT_NE(TParty::Party(p.host)->GetMember(2).flags & PARTY_FLAG_NOT_CONNECTED, 0u);
    p.sim.net.Partition("a", false);
    (void)a.session->Open("host");
    ASSERT_TRUE(p.sim.RunUntil(5000, [&] { return TParty::Party(a)->LocalPartyId() == 2; }));
    p.sim.Run(13000);
    EXPECT_EQ(TParty::Party(p.host)->GetMember(2).identity.name, "a");
    EXPECT_EQ(TParty::Party(p.host)->GetMember(2).flags & (PARTY_FLAG_NOT_CONNECTED | PARTY_FLAG_LEAVING), 0u);
    EXPECT_EQ(TParty::Party(b)->LocalPartyId(), 3);
    EXPECT_EQ(TParty::Party(p.host)->MemberCount(), 3);
}

TEST(NetParty, AbsenceBeyondTwelveSecondsRemovesTheMember)
{
    // The host scans while it is connected, so another member stays.
    TParty p;
    TNode& a = p.Join("a");
    p.Join("b");
    p.sim.Run(1500);
    p.sim.net.Partition("a", true);
    ASSERT_TRUE(p.sim.RunUntil(12000, [&] { return p.hostChanges.Has(PARTY_DISCONNECT, 2); }));
    const uint32_t gone = p.sim.net.Now();
    ASSERT_TRUE(p.sim.RunUntil(20000, [&] { return TParty::Party(p.host)->MemberCount() == 2; }));
    EXPECT_EQ(TParty::Party(p.host)->GetMember(2).partyId, 0);
    EXPECT_GE(p.sim.net.Now() - gone, kPartyDisconnectRemoval);
    EXPECT_LE(p.sim.net.Now() - gone, kPartyDisconnectRemoval + kPartyGoodbyeRemoval + 2 * kPartyScanInterval);
    (void)a;
}

TEST(NetParty, HostGoodbyeDisbandsTheClient)
{
    TParty p;
    TNode& a = p.Join("a");
    p.sim.Run(1500);
    p.host.session->Close();
    p.sim.Run(50);
    EXPECT_TRUE(p.clientChanges[0]->Has(PARTY_DISBANDED, 2));
    EXPECT_EQ(TParty::Party(a)->LocalPartyId(), 0);
    EXPECT_EQ(TParty::Party(a)->MemberCount(), 0);
}

TEST(NetParty, MaximumSizeMustBePositive)
{
    TParty p;
    TQZPartyService* party = TParty::Party(p.host);
    EXPECT_EQ(party->SetMaxPartySize(0), QZRES_BADARG);
    EXPECT_EQ(party->SetMaxPartySize(-3), QZRES_BADARG);
    EXPECT_EQ(party->MaxPartySize(), 4);
    EXPECT_EQ(party->SetMaxPartySize(4), QZRES_OK);
    EXPECT_EQ(party->SetMaxPartySize(6), QZRES_OK);
    EXPECT_EQ(party->MaxPartySize(), 6);
}

TEST(NetParty, ChangeTextNamesTheEvent)
{
    EXPECT_EQ(PartyChangeText({PARTY_LEAD_CHANGED, 1}), "{Event=Lead changed,PartyID=1}");
    EXPECT_EQ(PartyChangeText({PARTY_PENDING, 3}), "{Event=Pending,PartyID=3}");
}

TQZByteArray Update(uint8_t count, size_t records, uint16_t changes, size_t changeRecords)
{
    TQZByteArray m;
    TQZNetWriter w(m);
    w.U16(PARTY_MSG_UPDATE);
    w.U8(4);
    w.U8(count);
    w.U8(1);
    w.Zero(3);
    w.U32(0);
    for (size_t i = 0; i < records; ++i) {
        TQZPartyMember member;
        member.partyId = uint8_t(i + 1);
        member.identity = MakeIdentity("m" + std::to_string(i));
        WritePartyMember(w, member);
    }
    w.U16(changes);
    for (size_t i = 0; i < changeRecords; ++i) {
        w.U8(PARTY_JOINED);
        w.U8(uint8_t(i + 1));
    }
    return m;
}

TEST(NetParty, UpdatesWithCountsBeyondTheirBytesAreDropped)
{
    TParty p;
    TNode& a = p.Join("a");
    p.sim.Run(1500);
    ASSERT_EQ(TParty::Party(a)->MemberCount(), 2);
    auto party = std::dynamic_pointer_cast<TQZChannelReliable>(a.FirstPeer()->FindChannel(CHANNEL_PARTY));
    p.sim.net.Partition("host", true);  // only our own updates from here on
    auto feed = [&](TQZByteArray payload) {
        TQZNetWriter(payload).U32(party->LastDelivered() + 1);
        party->OnReceiveTS(payload);
        a.session->Process();  // the channel hands it to the service
        a.session->Process();  // the service reports its changes
    };
    feed(Update(3, 2, 0, 0));    // three members claimed, two sent
    feed(Update(255, 0, 0, 0));  // far more than the bytes
    feed(Update(1, 1, 9, 2));    // more changes than sent
    feed(Update(1, 1, 0, 1));    // bytes left over
    TQZByteArray cut = Update(0, 0, 0, 0);
    cut.resize(11);
    feed(cut);
    EXPECT_EQ(TParty::Party(a)->MemberCount(), 2);
    // One line, and the count of the others once they have stopped.
    EXPECT_EQ(a.CountLogged("Party update dropped"), 1);
    p.sim.Run(2 * kThrottlePeriod + 20);
    EXPECT_TRUE(a.Logged("(and 4 more like it)"));
    feed(Update(3, 3, 1, 1));
    EXPECT_EQ(TParty::Party(a)->MemberCount(), 3);
    EXPECT_TRUE(p.clientChanges[0]->Has(PARTY_JOINED, 1));
}

TEST(NetParty, OnlyJoinersThatAnswerTheWelcomeTakeAPlace)
{
    // A join is one datagram from any sender anyone can write: joins that
    // never answer must not fill the party against real players.
    TParty p;
    std::vector<std::unique_ptr<TQZMemoryNetworkThread>> forged;
    for (int i = 0; i < 3; ++i) {
        forged.push_back(p.sim.net.CreateEndpoint("forged" + std::to_string(i)));
        (void)forged.back()->Host(77);  // setup: what the test checks after it shows whether it took
        TQZByteArray m;
        TQZNetWriter w(m);
        WriteNetHeader(m, {CHANNEL_ADMIN, -1, 0, 0, 0});
        w.I32(ADMIN_JOIN);
        w.U32(kJoinMagic);
        w.I32(kSessionId);
        WriteIdentity(w, MakeIdentity("forged" + std::to_string(i)));
        w.I32(i);
        forged.back()->QueueDatagram(TQZNetPacket{"host", kFalconPort, 0, m});
        forged.back()->Pump();
    }
    p.sim.Run(2 * kPartyScanInterval);
    EXPECT_EQ(int32_t(p.host.session->Peers().ConnectedPeers().size()), 3);
    EXPECT_EQ(TParty::Party(p.host)->MemberCount(), 1) << "none of them has a place";
    TNode& ann = p.Join("ann");
    EXPECT_EQ(TParty::Party(ann)->LocalPartyId(), 2);
    EXPECT_TRUE(p.sim.RunUntil(2000, [&] { return p.hostChanges.Has(PARTY_JOINED, 2); }));
    // Unanswered joins expire and leave nothing behind.
    p.sim.Run(kWelcomeAnswerTime + 1000);
    EXPECT_EQ(p.host.session->Peers().Count(), 1);
    EXPECT_TRUE(p.host.Logged("the welcome was never answered"));
    EXPECT_EQ(TParty::Party(p.host)->MemberCount(), 2);
}

}  // namespace
