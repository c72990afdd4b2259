// The hub behind the client stand-in: callbacks handed out by frame,
// networking messages with session requests, lobbies, sign-out and the
// process-wide configuration.
#include "swClient.h"
#include "swHub.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sw = plat::steamworks;

namespace {

constexpr sw::UserId kHost = 1001;
constexpr sw::UserId kGuest = 1002;
constexpr sw::UserId kThird = 1003;

struct TCallback {
    int32_t id;
    std::vector<uint8_t> data;
    template <class T> T As() const
    {
        T record;
        EXPECT_GE(data.size(), sizeof(T));
        std::memcpy(&record, data.data(), sizeof(T));
        return record;
    }
};

std::vector<TCallback> Frame(sw::Client& c)
{
    std::vector<TCallback> out;
    const sw::Pipe pipe = c.GetPipe();
    c.RunFrame(pipe);
    sw::CallbackView view;
    while (c.NextCallback(pipe, view)) {
        out.push_back(TCallback{view.id, std::vector<uint8_t>(view.data, view.data + view.size)});
        c.FreeLastCallback(pipe);
    }
    return out;
}

std::vector<int32_t> Ids(const std::vector<TCallback>& frame)
{
    std::vector<int32_t> ids;
    for (const auto& c : frame) ids.push_back(c.id);
    return ids;
}

sw::NetIdentity To(sw::UserId user)
{
    sw::NetIdentity id;
    id.SetUserId(user);
    return id;
}

std::vector<std::string> Texts(const std::vector<sw::NetMessage>& messages)
{
    std::vector<std::string> out;
    for (const auto& m : messages) out.emplace_back(m.bytes.begin(), m.bytes.end());
    return out;
}

struct HubTest : ::testing::Test {
    vqtest::TempDir home;
    std::shared_ptr<sw::Hub> hub = std::make_shared<sw::Hub>(home.Path());
    std::unique_ptr<sw::Client> host, guest;
    HubTest()
    {
        hub->AddUser(kHost, "Hostess");
        hub->AddUser(kGuest, "Guest");
        hub->AddUser(kThird, "Third");
        host = hub->SignIn(kHost);
        guest = hub->SignIn(kGuest);
        // Setup: what the test checks after it shows whether it took.
        (void)host->ManualDispatchInit();
        (void)guest->ManualDispatchInit();
    }
    sw::Result Send(sw::Client& from, sw::UserId to, const std::string& text, int32_t channel = 2)
    {
        return from.SendMessage(To(to), text.data(), uint32_t(text.size()), 0x28, channel);
    }
    std::vector<std::string> Take(sw::Client& c, int32_t channel = 2, int32_t max = 32)
    {
        std::vector<sw::NetMessage> got;
        c.ReceiveMessages(channel, max, got);
        return Texts(got);
    }
};

TEST_F(HubTest, CallbacksWaitForRunFrameAndComeOneAtATime)
{
    auto third = hub->SignIn(kThird);
    hub->Post(kThird, 4242, {1, 2, 3});
    const sw::Pipe pipe = third->GetPipe();
    third->RunFrame(pipe);
    sw::CallbackView view;
    EXPECT_FALSE(third->NextCallback(pipe, view)) << "nothing before manual dispatch starts";

    (void)third->ManualDispatchInit();  // setup: what the test checks after it shows whether it took
    hub->Post(kThird, 4243, {});
    EXPECT_FALSE(third->NextCallback(pipe, view)) << "nothing before the frame";
    third->RunFrame(pipe);
    ASSERT_TRUE(third->NextCallback(pipe, view));
    EXPECT_EQ(view.id, 4242);
    ASSERT_EQ(view.size, 3u);
    EXPECT_FALSE(third->NextCallback(pipe, view)) << "the last one is not freed yet";
    third->FreeLastCallback(pipe);
    hub->Post(kThird, 4244, {});  // posted while the frame is handed out
    ASSERT_TRUE(third->NextCallback(pipe, view));
    EXPECT_EQ(view.id, 4243);
    third->FreeLastCallback(pipe);
    EXPECT_FALSE(third->NextCallback(pipe, view));
    EXPECT_EQ(Ids(Frame(*third)), std::vector<int32_t>{4244});
    EXPECT_FALSE(third->NextCallback(pipe + 1000, view));
}

TEST_F(HubTest, CallResultsAreFetchedOnceWithTheirIdAndWholeSize)
{
    const sw::CallHandle call = hub->PostCallResult(kHost, 77, {9, 8, 7, 6});
    auto frame = Frame(*host);
    ASSERT_EQ(Ids(frame), std::vector<int32_t>{sw::kCbCallCompleted});
    const auto done = frame[0].As<sw::CallCompleted>();
    EXPECT_EQ(done.call, call);
    EXPECT_EQ(done.callbackId, 77);
    EXPECT_EQ(done.size, 4u);
    uint8_t buffer[8] = {};
    bool failed = true;
    const sw::Pipe pipe = host->GetPipe();
    EXPECT_FALSE(host->GetCallResult(pipe, call, buffer, 4, 78, failed)) << "another id";
    EXPECT_FALSE(host->GetCallResult(pipe, call, buffer, 3, 77, failed)) << "a buffer too small";
    ASSERT_TRUE(host->GetCallResult(pipe, call, buffer, 8, 77, failed));
    EXPECT_FALSE(failed);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(buffer[3], 6);
    EXPECT_FALSE(host->GetCallResult(pipe, call, buffer, 8, 77, failed)) << "fetched once";
}

TEST_F(HubTest, AFirstMessageWaitsUntilTheReceiverAcceptsTheSession)
{
    ASSERT_EQ(Send(*guest, kHost, "hello"), sw::Result::Ok);
    ASSERT_EQ(Send(*guest, kHost, "join"), sw::Result::Ok);
    EXPECT_TRUE(Take(*host).empty());
    auto frame = Frame(*host);
    ASSERT_EQ(Ids(frame), std::vector<int32_t>{sw::kCbSessionRequest}) << "one request, not one per message";
    EXPECT_EQ(frame[0].As<sw::SessionRequest>().remote, kGuest);

    ASSERT_TRUE(host->AcceptSession(To(kGuest)));
    EXPECT_EQ(Take(*host), (std::vector<std::string>{"hello", "join"}));
    // The guest opened the session, so the host's answers need no request.
    ASSERT_EQ(Send(*host, kGuest, "welcome"), sw::Result::Ok);
    EXPECT_EQ(Take(*guest), std::vector<std::string>{"welcome"});
    EXPECT_TRUE(Frame(*guest).empty());

    // Channels are kept apart and every message keeps its sender.
    ASSERT_EQ(Send(*guest, kHost, "five", 5), sw::Result::Ok);
    ASSERT_EQ(Send(*guest, kHost, "two", 2), sw::Result::Ok);
    std::vector<sw::NetMessage> got;
    ASSERT_EQ(host->ReceiveMessages(5, 32, got), 1);
    EXPECT_EQ(got[0].sender, kGuest);
    EXPECT_EQ(got[0].channel, 5);
    EXPECT_EQ(Take(*host), std::vector<std::string>{"two"});

    // Once the host closes it, the guest must be accepted again.
    EXPECT_TRUE(host->CloseSession(To(kGuest)));
    ASSERT_EQ(Send(*guest, kHost, "again"), sw::Result::Ok);
    EXPECT_TRUE(Take(*host).empty());
    EXPECT_EQ(Ids(Frame(*host)), std::vector<int32_t>{sw::kCbSessionRequest});
}

TEST_F(HubTest, TheMessageHookFiresWheneverMessagesBecomeReady)
{
    int woken = 0;
    host->SetMessageHook([&] { ++woken; });
    Send(*guest, kHost, "waits");
    EXPECT_EQ(woken, 0) << "nothing is ready before the session is accepted";
    (void)host->AcceptSession(To(kGuest));  // setup: what the test checks after it shows whether it took
    EXPECT_EQ(woken, 1);
    Send(*guest, kHost, "straight in");
    EXPECT_EQ(woken, 2);
    host->SetMessageHook(nullptr);
    Send(*guest, kHost, "unheard");
    EXPECT_EQ(woken, 2);
    EXPECT_EQ(Take(*host).size(), 3u);
}

TEST_F(HubTest, ReceiveTakesAtMostTheNumberAsked)
{
    (void)host->AcceptSession(To(kGuest));  // setup: what the test checks after it shows whether it took
    for (int i = 0; i < 5; ++i) Send(*guest, kHost, std::to_string(i));
    EXPECT_EQ(Take(*host, 2, 3), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(Take(*host, 2, 3), (std::vector<std::string>{"3", "4"}));
}

TEST_F(HubTest, SendRefusesWhatCannotBeDelivered)
{
    const std::string big(sw::kMessageMax + 1, 'x');
    struct Case {
        const char* what;
        sw::UserId to;
        const void* data;
        uint32_t size;
        int32_t channel;
        sw::Result expected;
    } cases[] = {
        {"user 0", 0, "x", 1, 2, sw::Result::InvalidParam},
        {"oneself", kGuest, "x", 1, 2, sw::Result::InvalidParam},
        {"no bytes", kHost, "x", 0, 2, sw::Result::InvalidParam},
        {"no data", kHost, nullptr, 1, 2, sw::Result::InvalidParam},
        {"negative channel", kHost, "x", 1, -1, sw::Result::InvalidParam},
        {"too large", kHost, big.data(), uint32_t(big.size()), 2, sw::Result::LimitExceeded},
        {"unknown user", 999, "x", 1, 2, sw::Result::NoConnection},
        {"user signed out", kThird, "x", 1, 2, sw::Result::NoConnection},
        {"largest", kHost, big.data(), uint32_t(sw::kMessageMax), 2, sw::Result::Ok},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guest->SendMessage(To(c.to), c.data, c.size, 0x28, c.channel), c.expected) << c.what;
}

TEST_F(HubTest, LobbyMembersHearOfEntriesDataAndDepartures)
{
    const sw::LobbyId lobby = hub->CreateLobby(kHost, 2, {{"Title", "Evening game"}});
    ASSERT_NE(lobby, 0u);
    EXPECT_EQ(Ids(Frame(*host)), (std::vector<int32_t>{sw::kCbLobbyCreated, sw::kCbLobbyEnter}));

    guest->JoinLobby(lobby);
    auto entered = Frame(*guest);
    ASSERT_EQ(Ids(entered), std::vector<int32_t>{sw::kCbLobbyEnter});
    EXPECT_EQ(entered[0].As<sw::LobbyEnter>().response, sw::kEnterSuccess);
    auto update = Frame(*host);
    ASSERT_EQ(Ids(update), std::vector<int32_t>{sw::kCbLobbyRoomUpdate});
    EXPECT_EQ(update[0].As<sw::LobbyRoomUpdate>().changed, kGuest);
    EXPECT_EQ(update[0].As<sw::LobbyRoomUpdate>().change, sw::kMemberEntered);
    EXPECT_EQ(guest->LobbyMemberCount(lobby), 2);
    EXPECT_EQ(guest->LobbyMemberByIndex(lobby, 1), kGuest);
    EXPECT_EQ(guest->LobbyData(lobby, "Title"), "Evening game");

    EXPECT_EQ(hub->EnterLobby(lobby, kThird), sw::kEnterFull);
    EXPECT_FALSE(guest->SetLobbyData(lobby, "Title", "Mine")) << "only the owner sets data";
    ASSERT_TRUE(host->SetLobbyData(lobby, "Title", "Late game"));
    EXPECT_EQ(Ids(Frame(*guest)), std::vector<int32_t>{sw::kCbLobbyDataUpdate});
    EXPECT_EQ(Ids(Frame(*host)), std::vector<int32_t>{sw::kCbLobbyDataUpdate});

    host->LeaveLobby(lobby);
    EXPECT_EQ(Ids(Frame(*guest)), std::vector<int32_t>{sw::kCbLobbyRoomUpdate});
    EXPECT_EQ(guest->LobbyOwner(lobby), kGuest) << "the member left behind owns the lobby";
    EXPECT_TRUE(Frame(*host).empty());
    guest->LeaveLobby(lobby);
    EXPECT_EQ(hub->LobbyMembers(lobby), std::vector<sw::UserId>{});
    EXPECT_EQ(guest->JoinLobby(lobby) != 0, true);
    EXPECT_EQ(Frame(*guest)[0].As<sw::LobbyEnter>().response, sw::kEnterNoLobby);
}

TEST_F(HubTest, SigningOutLeavesLobbiesAndFailsOpenSessions)
{
    const sw::LobbyId lobby = hub->CreateLobby(kHost, 4);
    guest->JoinLobby(lobby);
    Send(*guest, kHost, "hello");
    (void)host->AcceptSession(To(kGuest));  // setup: what the test checks after it shows whether it took
    Frame(*host);
    Frame(*guest);

    guest.reset();
    EXPECT_FALSE(hub->SignedIn(kGuest));
    auto frame = Frame(*host);
    ASSERT_EQ(Ids(frame), (std::vector<int32_t>{sw::kCbLobbyRoomUpdate, sw::kCbSessionFailed}));
    EXPECT_EQ(frame[0].As<sw::LobbyRoomUpdate>().change, sw::kMemberDisconnected);
    EXPECT_EQ(frame[1].As<sw::SessionFailed>().remote, kGuest);
    EXPECT_EQ(hub->LobbyMembers(lobby), std::vector<sw::UserId>{kHost});
    EXPECT_EQ(Send(*host, kGuest, "gone"), sw::Result::NoConnection);

    guest = hub->SignIn(kGuest);
    EXPECT_NE(guest, nullptr) << "signed in again";
    EXPECT_EQ(hub->SignIn(kGuest), nullptr) << "but only once at a time";
}

TEST_F(HubTest, WithoutAConfiguredHubTheServiceIsNotRunning)
{
    sw::ConfigureHub(nullptr, 0);
    EXPECT_EQ(sw::Init(), nullptr);
    sw::ConfigureHub(hub, kThird);
    auto third = sw::Init();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetUserId(), kThird);
    EXPECT_EQ(third->PersonaName(), "Third");
    sw::ConfigureHub(hub, 424242);
    EXPECT_EQ(sw::Init(), nullptr) << "an unknown user cannot sign in";
    sw::ConfigureHub(nullptr, 0);
}

TEST_F(HubTest, RichPresenceKeepsKeysWithinItsLimits)
{
    EXPECT_TRUE(guest->SetRichPresence("mode", "Multiplayer"));
    EXPECT_EQ(hub->RichPresence(kGuest, "mode"), "Multiplayer");
    EXPECT_TRUE(guest->SetRichPresence("mode", ""));
    EXPECT_EQ(hub->RichPresence(kGuest, "mode"), "");
    EXPECT_FALSE(guest->SetRichPresence("", "x"));
    EXPECT_FALSE(guest->SetRichPresence(std::string(sw::kRichKeyMax + 1, 'k'), "x"));
    EXPECT_FALSE(guest->SetRichPresence("k", std::string(sw::kRichValueMax + 1, 'v')));
    for (size_t i = 0; i < sw::kRichKeysMax; ++i) EXPECT_TRUE(guest->SetRichPresence("k" + std::to_string(i), "v"));
    EXPECT_FALSE(guest->SetRichPresence("one-more", "v"));
    EXPECT_TRUE(guest->SetRichPresence("k0", "changed")) << "an existing key may change";
}

TEST_F(HubTest, FriendsSeeEachOthersNamesStatesAndAvatars)
{
    hub->MakeFriends(kHost, kGuest);
    ASSERT_EQ(host->FriendCount(), 1);
    EXPECT_EQ(host->FriendByIndex(0), kGuest);
    EXPECT_EQ(host->FriendByIndex(1), 0u);
    EXPECT_EQ(host->FriendPersonaName(kGuest), "Guest");
    EXPECT_EQ(host->FriendRelation(kGuest), sw::Relation::Friend);
    EXPECT_EQ(host->FriendRelation(kThird), sw::Relation::None);
    EXPECT_EQ(host->FriendPersonaState(kGuest), sw::PersonaState::Online);
    EXPECT_EQ(host->FriendPersonaState(kThird), sw::PersonaState::Offline);
    sw::FriendGame game;
    ASSERT_TRUE(host->FriendGamePlayed(kGuest, game));
    EXPECT_EQ(game.game, hub->App());
    EXPECT_FALSE(host->FriendGamePlayed(kThird, game));
    Frame(*host);

    const sw::ImageId image = hub->SetAvatar(kGuest, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_GT(image, 0);
    EXPECT_EQ(hub->SetAvatar(kGuest, 2, 2, {1, 2, 3}), 0) << "pixels that do not fill the size";
    auto frame = Frame(*host);
    ASSERT_EQ(Ids(frame), std::vector<int32_t>{sw::kCbAvatarLoaded});
    EXPECT_EQ(frame[0].As<sw::AvatarLoaded>().image, image);
    EXPECT_EQ(host->LargeAvatar(kGuest), image);
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(host->ImageSize(image, w, h));
    EXPECT_EQ(w * 10 + h, 21u);
    ASSERT_TRUE(host->ImageRGBA(image, rgba));
    EXPECT_EQ(rgba.size(), 8u);
}

}  // namespace
