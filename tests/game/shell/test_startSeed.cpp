#include "clStartSeed.h"
#include "coreEngine.h"
#include "coreGameDiagnostics.h"
#include "mgrSession.h"
#include "mgrStates.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

TEST(StartSeedTest, OnlyDecimalNumbersThatFitAreSeeds)
{
    const struct {
        const char* text;
        std::optional<uint64_t> seed;
    } cases[] = {{"0", 0},
                 {"42", 42},
                 {"007", 7},
                 {"18446744073709551615", 18446744073709551615ull},
                 {"18446744073709551616", std::nullopt},
                 {"", std::nullopt},
                 {"-1", std::nullopt},
                 {"+5", std::nullopt},
                 {" 5", std::nullopt},
                 {"5 ", std::nullopt},
                 {"0x10", std::nullopt},
                 {"12a", std::nullopt}};
    for (const auto& c : cases) {
        uint64_t seed = 99;
        EXPECT_EQ(c.seed.has_value(), ParseSeed(c.text, seed)) << c.text;
        if (c.seed) {
            EXPECT_EQ(*c.seed, seed) << c.text;
        }
    }
}

// The program started as the main routine starts it, to its first deal:
// the opponents' names and the order of the first deck.
class FirstDeal : public ::testing::Test {
protected:
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::filesystem::path old = std::filesystem::current_path();

    void SetUp() override { std::filesystem::current_path(VQ_RUNTIME_DIR); }
    void TearDown() override { std::filesystem::current_path(old); }

    std::string OfAStart()
    {
        ResetManagerRegistry();
        RegisterGameManagers();
        FrameworkStart("Vantorel Qar");
        // Every process begins with the generator at one built-in state.
        SeedRandom(1);
        SeedStartRandom();
        std::string deal;
        {
            TMainEngine engine;
            engine.Start();
            StateEngine->Current()->HandleEvent(5);  // "Start New Game"
            for (int32_t i = 0; i < 50 && Session->Status() != STATUS_DEALING; ++i) StateEngine->Update();
            EXPECT_EQ(STATUS_DEALING, Session->Status());
            for (TSeat s = 2; s <= 4; ++s) deal += Session->Players().GetPlayer(s)->Name() + ", ";
            deal += Session->Deck().ToText();
        }
        FrameworkStop();
        ResetManagerRegistry();
        return deal;
    }
};

TEST_F(FirstDeal, TwoStartsWithoutASeedDealDifferently)
{
    vqtest::ScopedEnv unset{kSeedVariable, ""};
    ::unsetenv(kSeedVariable);
    const std::string first = OfAStart();
    const std::string second = OfAStart();
    EXPECT_NE(first, second);
}

TEST_F(FirstDeal, AGivenSeedDealsTheSameOnEveryStart)
{
    vqtest::ScopedEnv seed{kSeedVariable, "4242"};
    const std::string first = OfAStart();
    EXPECT_EQ(first, OfAStart());
    vqtest::ScopedEnv other{kSeedVariable, "4243"};
    EXPECT_NE(first, OfAStart());
}

TEST_F(FirstDeal, ASeedThatDoesNotParseIsLoggedAndAFreshOneUsed)
{
    vqtest::ScopedEnv seed{kSeedVariable, "twelve"};
    const std::string log = home.File("seed-log.txt");
    SetLogFileForTesting(log);
    const std::string first = OfAStart();
    const std::string second = OfAStart();
    SetLogFileForTesting("");
    EXPECT_NE(first, second);
    EXPECT_NE(std::string::npos,
              vqtest::ReadFile(log).find("VANTOREL_SEED=\"twelve\" is not a decimal number: a fresh seed is used"));
}

}  // namespace
