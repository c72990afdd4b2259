#include "mgrGameflow.h"

#include "coreGameDiagnostics.h"
#include "mgrAI.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "clShellLinks.h"
#include "qz7files.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A listener that records what reaches it and can unsubscribe itself.
class TListener : public TQZClass {
public:
    void OnObject(TQZClass* payload)
    {
        auto* w = dynamic_cast<TEventStringWrapper*>(payload);
        heard.push_back("object:" + (w ? w->text : std::string("?")));
        if (leaveOnHear && flow) flow->Unsubscribe(leaveName, MakeMethod<&TListener::OnObject>(this));
    }
    void OnText(const std::string& text) { heard.push_back("text:" + text); }

    std::vector<std::string> heard;
    TGameflow* flow = nullptr;
    bool leaveOnHear = false;
    std::string leaveName;
};

std::unique_ptr<TEventStringWrapper> Text(const std::string& s) { return std::make_unique<TEventStringWrapper>(s); }

class GameflowEventsTest : public ::testing::Test {
protected:
    TGameflow flow;
    TListener a, b;
    void SetUp() override
    {
        flow.Initialize();
        a.flow = b.flow = &flow;
    }
};

TEST_F(GameflowEventsTest, SubscribingOneMethodTwiceLeavesOneEntry)
{
    flow.SubscribeText("TABLE_CAPTION", MakeMethod<&TListener::OnText>(&a));
    flow.SubscribeText("TABLE_CAPTION", MakeMethod<&TListener::OnText>(&a));
    EXPECT_EQ(1, flow.SubscriptionCount());
    flow.Trigger("TABLE_CAPTION", Text("Hello"));
    EXPECT_EQ((std::vector<std::string>{"text:Hello"}), a.heard);
}

TEST_F(GameflowEventsTest, NamesAreCaseSensitiveAndCutToTwentyFourCharacters)
{
    flow.SubscribeText("TABLE_CAPTION", MakeMethod<&TListener::OnText>(&a));
    flow.SubscribeText("ABCDEFGHIJKLMNOPQRSTUVWXYZ", MakeMethod<&TListener::OnText>(&b));
    flow.Trigger("Table_Caption", Text("x"));
    EXPECT_TRUE(a.heard.empty());
    flow.Trigger("ABCDEFGHIJKLMNOPQRSTUVWX!!", Text("cut"));
    EXPECT_EQ((std::vector<std::string>{"text:cut"}), b.heard);
}

TEST_F(GameflowEventsTest, AHandlerLeavingDuringATriggerDoesNotDisturbTheRest)
{
    a.leaveOnHear = true;
    a.leaveName = "LOBBY";
    flow.Subscribe("LOBBY", MakeMethod<&TListener::OnObject>(&a));
    flow.Subscribe("LOBBY", MakeMethod<&TListener::OnObject>(&b));  // same method, other object: not added
    flow.SubscribeText("LOBBY", MakeMethod<&TListener::OnText>(&b));
    flow.Trigger("LOBBY", Text("1"));
    flow.Trigger("LOBBY", Text("2"));
    EXPECT_EQ((std::vector<std::string>{"object:1"}), a.heard);
    EXPECT_EQ((std::vector<std::string>{"text:1", "text:2"}), b.heard);
}

TEST_F(GameflowEventsTest, ObjectPayloadsStayTheCallersAndTextHandlersGetNothingFromThem)
{
    flow.SubscribeText("X", MakeMethod<&TListener::OnText>(&a));
    TListener notAWrapper;
    flow.Trigger("X", &notAWrapper);
    flow.TriggerTutorial("bidding", 2);
    EXPECT_EQ((std::vector<std::string>{"text:"}), a.heard);
    flow.SubscribeText("TUTORIAL", MakeMethod<&TListener::OnText>(&b));
    flow.TriggerTutorial("bidding", 2);
    EXPECT_EQ((std::vector<std::string>{"text:bidding 2"}), b.heard);
}

TEST(GameflowSeatsTest, LocalSeatRotatesTheBoard)
{
    const int32_t expected[] = {0, 0, 3, 2, 1, 0};
    for (int32_t seat = 0; seat <= 5; ++seat) EXPECT_EQ(expected[seat], SeatRotation(TSeat(seat))) << seat;
}

// The screen the actions see, set by the test.
class TFixedScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = STATE_GAME;
};

// The session and the flow as the program creates them.
class GameflowSessionTest : public ::testing::Test {
protected:
    TFixedScreen screen;
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::vector<std::string> admin;

    void SetUp() override
    {
        ResetManagerRegistry();
        RegisterAIManager();
        RegisterSettingsManager();
        RegisterTimersManager();
        RegisterSteamManager();
        RegisterSessionManager();
        RegisterGameflowManager();
        CreateManagers();
        SetAdminConsole([this](const std::string& line) { admin.push_back(line); });
        SetScreenLink(&screen);
    }
    void TearDown() override
    {
        SetScreenLink(nullptr);
        SetAdminConsole(nullptr);
        ResetManagerRegistry();
    }
    bool Logged(const std::string& line) const { return std::find(admin.begin(), admin.end(), line) != admin.end(); }
};

TEST_F(GameflowSessionTest, ContinueForASeatThatContinuedSubmitsNothing)
{
    ASSERT_NE(Gameflow, nullptr);
    screen.id = STATE_HANDWIN;
    Session->Players().GetPlayer(2)->SetContinue(true);
    Gameflow->ContinueGame(2);
    EXPECT_EQ(0, Session->Governor().QueueLength());
    Gameflow->ContinueGame(3);
    EXPECT_EQ(1, Session->Governor().QueueLength());
    Gameflow->ContinueGame(9);  // no such seat
    EXPECT_EQ(1, Session->Governor().QueueLength());
}

TEST_F(GameflowSessionTest, SavingWithoutAGameDeletesTheSavedFileAndLoadingRestoresAGame)
{
    const std::string file = UserFolder() + "Savedgame.txt";
    Gameflow->NewGame(false);
    Session->ProcessActions();
    Gameflow->NewHand();
    Session->ProcessActions();
    // The deal as the dealing screen does it, every card landed.
    while (Session->Deck().Count() > 3) {
        const int32_t n = Session->Deck().Count();
        Session->MoveCard(TSeat((n - 3) % 4 + 1), Session->Deck().Get(n), MOVE_DEAL);
        Session->FinishMoves();
    }
    Session->StartBidding();
    ASSERT_TRUE(Session->GameInProgress());
    (void)Gameflow->SaveGame();
    EXPECT_TRUE(Logged("Saving game"));
    ASSERT_TRUE(IsFile(file));
    const std::string hand = Session->HandOf(1).ToText();
    ASSERT_EQ(10, Session->HandOf(1).Count());

    ResetManagerRegistry();
    SetUp();
    EXPECT_FALSE(Session->GameInProgress());
    Gameflow->LoadGame();
    EXPECT_TRUE(Logged("Loading saved game"));
    EXPECT_EQ(hand, Session->HandOf(1).ToText());

    ResetManagerRegistry();
    SetUp();
    (void)Gameflow->SaveGame();
    EXPECT_TRUE(Logged("Saved game data deleted"));
    EXPECT_FALSE(IsFile(file));
}

}  // namespace
