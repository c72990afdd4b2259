// The Steam layer: starting (or not) the client, its capabilities, and the
// dispatch of callbacks by RunFrame with the size of their data checked.
#include "steamtest.h"

#include <cstring>

using namespace steamtest;

namespace {

TEST(SteamLayer, WithoutAHubSteamIsNotRunning)
{
    sw::ConfigureHub(nullptr, 0);
    auto steam = CreateSingleton<TQZSteam>();
    EXPECT_FALSE(steam->Initialised());
    EXPECT_TRUE(steam->Capabilities().empty());
    EXPECT_EQ(steam->Networking(), nullptr);
    EXPECT_EQ(steam->GetSteamID(), 0u);
    EXPECT_EQ(steam->GetAppID(), 0u);
    steam->RunFrame();

    std::vector<std::string> log;
    steam->SetLogCallback([&](const std::string& line) { log.push_back(line); });
    EXPECT_EQ(log, std::vector<std::string>{"Cannot initialize Steam Capabilities - Steam initialization failed"})
        << "the line logged before anyone listened still arrives";
}

TEST(SteamLayer, TheSingletonSignsInToTheConfiguredHub)
{
    vqtest::TempDir home;
    auto hub = std::make_shared<sw::Hub>(home.Path());
    hub->AddUser(kAnna, "Anna");
    FrameworkStart("VantorelQar");
    sw::ConfigureHub(hub, kAnna);
    auto* steam = GetInstance<TQZSteam>(QZSLOT_STEAM);
    ASSERT_NE(steam, nullptr);
    EXPECT_TRUE(steam->Initialised());
    EXPECT_EQ(steam->GetSteamID(), kAnna);
    EXPECT_TRUE(hub->SignedIn(kAnna));
    FrameworkStop();
    EXPECT_FALSE(hub->SignedIn(kAnna)) << "the layer shuts the client down with it";
    sw::ConfigureHub(nullptr, 0);
}

struct LayerTest : THubFixture {
    std::unique_ptr<TUser> anna = User(kAnna);
    TQZSteamCapCallbacks& callbacks = *anna->steam->Callbacks();
};

TEST_F(LayerTest, CapabilitiesStartInOrderAndTheClientIsSetUp)
{
    std::vector<std::string> names;
    for (auto* cap : anna->steam->Capabilities()) names.push_back(cap->Name());
    const std::vector<std::string> order = {"Callbacks", "Images",      "Players", "Statistics",
                                            "Utils",     "Leaderboards", "Lobbies", "Networking"};
    EXPECT_EQ(names, order);
    std::vector<std::string> created;
    for (const auto& line : anna->Lines())
        if (line.find(".PostCreate") != std::string::npos) created.push_back(line);
    ASSERT_EQ(created.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(created[i], order[i] + ": " + order[i] + ".PostCreate");
    EXPECT_EQ(hub->NotificationPosition(kAnna), 3);
    EXPECT_EQ(anna->steam->GetSteamID(), kAnna);
    EXPECT_EQ(anna->steam->GetAppID(), hub->App());
    EXPECT_EQ(anna->steam->Players()->LocalPlayer().name, "Anna");

    hub->Warn(kAnna, 1, "overlay slow");
    EXPECT_TRUE(anna->Logged("overlay slow"));
}

// Data shorter than what a handler expects never reaches it.
TEST_F(LayerTest, FixedSlotsGetOnlyDataAtLeastAsLongAsTheirRecord)
{
    std::vector<sw::LobbyEnter> entered;
    callbacks.SetSlotFor<sw::LobbyEnter>(sw::kCbLobbyEnter, [&](const sw::LobbyEnter& e) { entered.push_back(e); });
    const auto whole = sw::RecordBytes(sw::LobbyEnter{42, sw::kEnterSuccess});
    struct Case {
        size_t size;
        bool delivered;
    } cases[] = {{0, false}, {4, false}, {whole.size() - 1, false}, {whole.size(), true}, {whole.size() + 8, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        entered.clear();
        anna->ClearLog();
        std::vector<uint8_t> data = whole;
        data.resize(c.size, 0xEE);
        hub->Post(kAnna, sw::kCbLobbyEnter, data);
        anna->steam->RunFrame();
        ASSERT_EQ(entered.size(), c.delivered ? 1u : 0u);
        if (c.delivered) {
            EXPECT_EQ(entered[0].lobby, 42u);
        }
        EXPECT_EQ(anna->Logged("DispatchCallback: KID=504, datasize=" + std::to_string(c.size)), !c.delivered);
    }
}

TEST_F(LayerTest, RegisteredCallbacksAreCalledOnlyWithEnoughData)
{
    std::vector<uint32_t> sizes;
    callbacks.Register(4321, [&](const uint8_t*, uint32_t size) { sizes.push_back(size); }, 8);
    for (size_t size : {size_t(3), size_t(8), size_t(12)}) hub->Post(kAnna, 4321, std::vector<uint8_t>(size, 1));
    hub->Post(kAnna, 9999, {1, 2});  // nobody waits for it
    anna->steam->RunFrame();
    EXPECT_EQ(sizes, (std::vector<uint32_t>{8, 12}));
    EXPECT_TRUE(anna->Logged("DispatchCallback: KID=4321, datasize=3 doesn't match expected=8"));
    EXPECT_TRUE(anna->Logged("DispatchCallback: KID=4321, datasize=12 doesn't match expected=8"));
    EXPECT_FALSE(anna->Logged("datasize=8 "));
}

TEST_F(LayerTest, ApiResultsReachTheirHandlerOnceAndOnlyWhenLongEnough)
{
    std::vector<uint32_t> sizes;
    auto record = [&](const uint8_t*, uint32_t size) { sizes.push_back(size); };
    const sw::CallHandle shortCall = hub->PostCallResult(kAnna, 77, std::vector<uint8_t>(4, 0));
    const sw::CallHandle wholeCall = hub->PostCallResult(kAnna, 77, std::vector<uint8_t>(16, 0));
    const sw::CallHandle unknownCall = hub->PostCallResult(kAnna, 77, std::vector<uint8_t>(16, 0));
    callbacks.RegisterAPICall(shortCall, record, 16);
    callbacks.RegisterAPICall(wholeCall, record, 16);
    anna->steam->RunFrame();
    EXPECT_EQ(sizes, std::vector<uint32_t>{16});
    EXPECT_TRUE(anna->Logged("WARNING: APIResult Data Size (4) compared to handler function expected size (16)"));
    EXPECT_TRUE(anna->Logged("DispatchAPI: " + std::to_string(unknownCall) + ", KID=77, datasize=16 = No callback found"));
    EXPECT_EQ(callbacks.PendingAPICalls(), 0u);

    // A completion notice too short to name its call is dropped.
    hub->Post(kAnna, sw::kCbCallCompleted, {1, 2, 3});
    anna->steam->RunFrame();
    EXPECT_TRUE(anna->Logged("DispatchCallback: KID=703, datasize=3"));
}

TEST_F(LayerTest, LobbyListAndLobbyCreatedNoticesAreIgnored)
{
    int calls = 0;
    callbacks.Register(sw::kCbLobbyList, [&](const uint8_t*, uint32_t) { ++calls; }, 0);
    callbacks.Register(sw::kCbLobbyCreated, [&](const uint8_t*, uint32_t) { ++calls; }, 0);
    hub->Post(kAnna, sw::kCbLobbyList, {});
    hub->Post(kAnna, sw::kCbLobbyCreated, {});
    anna->steam->RunFrame();
    EXPECT_EQ(calls, 0);
}

TEST_F(LayerTest, HandlersMayPumpAgainWithoutLosingTheirData)
{
    std::vector<uint64_t> lobbies;
    callbacks.SetSlotFor<sw::LobbyEnter>(sw::kCbLobbyEnter, [&](const sw::LobbyEnter& e) {
        lobbies.push_back(e.lobby);
        anna->steam->RunFrame();
    });
    hub->Post(kAnna, sw::kCbLobbyEnter, sw::RecordBytes(sw::LobbyEnter{1, 1}));
    hub->Post(kAnna, sw::kCbLobbyEnter, sw::RecordBytes(sw::LobbyEnter{2, 1}));
    anna->steam->RunFrame();
    EXPECT_EQ(lobbies, (std::vector<uint64_t>{1, 2}));
}

}  // namespace
