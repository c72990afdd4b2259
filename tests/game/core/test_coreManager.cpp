#include "coreManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<TManagerDomain> gInitialized;

template <TManagerDomain D> class TFakeManager : public TManagerClass {
public:
    void Initialize() override
    {
        EXPECT_EQ(Domain(), D);
        EXPECT_EQ(global, this) << "the global is published before Initialize";
        gInitialized.push_back(D);
    }
    static inline TFakeManager* global = nullptr;
};

template <TManagerDomain D> void Register(uint32_t deps)
{
    RegisterManagerClass<TFakeManager<D>, &TFakeManager<D>::global>(D, deps, "fake " + std::to_string(D));
}

class ManagerRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetManagerRegistry();
        gInitialized.clear();
    }
    void TearDown() override
    {
        ResetManagerRegistry();
        SetManagerFatalHandler(nullptr);
    }
};

constexpr uint32_t B(TManagerDomain d) { return DomainBit(d); }

TEST_F(ManagerRegistryTest, GameRegistrationsAreCreatedInDependencyOrder)
{
    Register<MGR_AI>(0);
    Register<MGR_ACHIEVEMENTS>(B(MGR_SETTINGS));
    Register<MGR_AUDIO>(B(MGR_SETTINGS));
    Register<MGR_GAMEFLOW>(B(MGR_SESSION));
    Register<MGR_LOADERS>(0);
    Register<MGR_RESOURCES>(B(MGR_AUDIO) | B(MGR_LOADERS) | B(MGR_SETTINGS) | B(MGR_VIDEO));
    Register<MGR_SESSION>(B(MGR_SETTINGS) | B(MGR_TIMERS));
    Register<MGR_SETTINGS>(0);
    Register<MGR_STATES>(B(MGR_VIDEO));
    Register<MGR_TIMERS>(0);
    Register<MGR_SERVICES>(B(MGR_GAMEFLOW) | B(MGR_SESSION));
    Register<MGR_STEAM>(0);
    Register<MGR_MULTIPLAYER>(B(MGR_GAMEFLOW) | B(MGR_SESSION) | B(MGR_SETTINGS));
    Register<MGR_VIDEO>(B(MGR_SETTINGS));
    CreateManagers();
    const std::pair<TManagerDomain, int> expected[] = {
        {MGR_AI, 1},         {MGR_LOADERS, 2},  {MGR_SETTINGS, 3},  {MGR_TIMERS, 4},    {MGR_STEAM, 5},
        {MGR_VIDEO, 6},      {MGR_ACHIEVEMENTS, 7}, {MGR_AUDIO, 8}, {MGR_RESOURCES, 9}, {MGR_SESSION, 10},
        {MGR_STATES, 11},    {MGR_GAMEFLOW, 12}, {MGR_SERVICES, 13}, {MGR_MULTIPLAYER, 14},
    };
    for (auto [d, n] : expected) EXPECT_EQ(ManagerCreationNumber(d), n) << d;
    FreeManagers();
    EXPECT_FALSE(IsManagerCreated(MGR_AI));
    EXPECT_EQ(TFakeManager<MGR_VIDEO>::global, nullptr);
}

TEST_F(ManagerRegistryTest, PostInitCallsAddedDuringTheDrainRunToo)
{
    Register<MGR_TIMERS>(0);
    std::vector<int> order;
    AddPostInitCall([&] {
        order.push_back(1);
        AddPostInitCall([&] { order.push_back(3); });
    });
    AddPostInitCall([&] { order.push_back(2); });
    CreateManagers();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(ManagerRegistryTest, UnmeetableDependenciesAreFatal)
{
    Register<MGR_SESSION>(B(MGR_SETTINGS));  // settings never registered
    std::string fatal;
    SetManagerFatalHandler([&](const std::string& text) { fatal = text; });
    CreateManagers();
    EXPECT_EQ(fatal, kUnrealizedDependencies);
    EXPECT_FALSE(IsManagerCreated(MGR_SESSION));
}

}  // namespace

TEST_F(ManagerRegistryTest, TheEditorsMaskClearsExactlyItsFiveDomains)
{
    Register<MGR_AI>(0);
    Register<MGR_ACHIEVEMENTS>(0);
    Register<MGR_AUDIO>(0);
    Register<MGR_GAMEFLOW>(0);
    Register<MGR_LOADERS>(0);
    Register<MGR_RESOURCES>(0);
    Register<MGR_SESSION>(0);
    Register<MGR_SETTINGS>(0);
    Register<MGR_STATES>(0);
    Register<MGR_TIMERS>(0);
    Register<MGR_SERVICES>(0);
    Register<MGR_STEAM>(0);
    Register<MGR_MULTIPLAYER>(0);
    Register<MGR_VIDEO>(0);
    ClearManagerRegistrations(kEditorDroppedManagers | 0xC000u);  // bits above 13 name nothing
    for (int32_t n = 0; n < MGR_COUNT; ++n) {
        const auto d = TManagerDomain(n);
        const bool dropped = d == MGR_GAMEFLOW || d == MGR_SESSION || d == MGR_SERVICES || d == MGR_STEAM ||
                             d == MGR_MULTIPLAYER;
        EXPECT_EQ(!dropped, IsManagerRegistered(d)) << n;
    }
    CreateManagers();
    EXPECT_FALSE(IsManagerCreated(MGR_SESSION));
    EXPECT_TRUE(IsManagerCreated(MGR_LOADERS));
}
