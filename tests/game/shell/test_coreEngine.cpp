#include "shellfixture.h"

#include "UIAdminConsole.h"
#include "UIButton.h"
#include "UIChatWindow.h"
#include "UIEditBox.h"
#include "UITable.h"
#include "UIToast.h"
#include "clNotice.h"
#include "osClock.h"
#include "mgrAchievements.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "osDesktop.h"
#include "osFiles.h"
#include "qz7files.h"
#include "stateConfirm.h"
#include "stateMenu.h"

#include <cerrno>

namespace {

using shelltest::EngineFixture;

// A screen standing over the menu, as the game screens will.
class TOverScreen : public TState {};

// Puts a game in progress without dealing it out.
void GameInProgress()
{
    Session->SetScore(1, 120);
}

TEST_F(EngineFixture, StartsOnTheMenuAndExitWithoutAGameEndsTheProgram)
{
    ASSERT_EQ(STATE_MENU, CurrentId());
    EXPECT_FALSE(engine->Terminated());
    StateEngine->Current()->HandleEvent(4);
    Frame();
    EXPECT_TRUE(engine->Terminated());
    EXPECT_TRUE(IsFile(UserFolder() + "Version.txt"));
}

TEST_F(EngineFixture, ExitDuringAGameAsksAndOkSavesAndEnds)
{
    GameInProgress();
    StateEngine->Current()->HandleEvent(4);
    ASSERT_EQ(STATE_CONFIRM, CurrentId());
    EXPECT_EQ(CONFIRM_QUIT, static_cast<TStateConfirm*>(StateEngine->Current())->Kind());
    EXPECT_TRUE(IsFile(UserFolder() + "Savedgame.txt"));
    StateEngine->Current()->HandleEvent(CONFIRM_OK);
    Frame();
    EXPECT_TRUE(engine->Terminated());
}

TEST_F(EngineFixture, NewGameDuringAGameCancelledLeavesEverythingAsItWas)
{
    GameInProgress();
    StateEngine->Current()->HandleEvent(5);
    ASSERT_EQ(STATE_CONFIRM, CurrentId());
    EXPECT_EQ(CONFIRM_RESTART, static_cast<TStateConfirm*>(StateEngine->Current())->Kind());
    StateEngine->Current()->HandleEvent(CONFIRM_CANCEL);
    StateEngine->Current()->HandleEvent(CONFIRM_CANCEL);  // a second click answers nothing
    Frame();
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_EQ(1, StateEngine->Depth());
    EXPECT_EQ(120, Session->Score(1));
}

TEST_F(EngineFixture, NewGameDuringAGameConfirmedStartsAFreshGame)
{
    GameInProgress();
    StateEngine->Current()->HandleEvent(5);
    StateEngine->Current()->HandleEvent(CONFIRM_OK);
    Session->ProcessActions();
    EXPECT_EQ(0, Session->Score(1));
    // The game screen goes over the menu, which it returns to.
    EXPECT_EQ(STATE_GAME, CurrentId());
    EXPECT_EQ(2, StateEngine->Depth());
}

TEST_F(EngineFixture, ClosingTheWindowPopsToTheMenuWhichSavesAndQuits)
{
    GameInProgress();
    StateEngine->PushState(std::make_unique<TOverScreen>(), true);
    StateEngine->PushState(std::make_unique<TOverScreen>(), true);
    engine->OnWindowClose(nullptr);
    EXPECT_TRUE(Logged("Force quit activated"));
    EXPECT_TRUE(IsFile(UserFolder() + "Savedgame.txt"));
    Frame();
    EXPECT_TRUE(engine->Terminated());
}

// A full disk at the end: every save fails, the files from before stay, and
// one box names all that could not be saved, whether the player quit from
// the menu or closed the window.
class FullDiskAtQuit : public EngineFixture, public ::testing::WithParamInterface<bool> {
protected:
    std::vector<plat::os::MessageBoxRequest> boxes;
    void SetUp() override
    {
        EngineFixture::SetUp();
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            boxes.push_back(r);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        plat::os::SetWriteFault(0);
        EngineFixture::TearDown();
        plat::os::SetMessageBoxHandler(nullptr);
    }
    // Quits as the player would: from the menu with OK to the question, or
    // by closing the window.
    void Quit()
    {
        if (GetParam()) {
            engine->OnWindowClose(nullptr);
        } else {
            StateEngine->Current()->HandleEvent(4);
            ASSERT_EQ(STATE_CONFIRM, CurrentId());
            StateEngine->Current()->HandleEvent(CONFIRM_OK);
        }
        Frame();
        ASSERT_TRUE(engine->Terminated());
        engine.reset();
    }
};

TEST_P(FullDiskAtQuit, OneBoxNamesWhatCouldNotBeSavedAndTheOldFilesStay)
{
    const std::string user = UserFolder();
    ASSERT_EQ(QZRES_OK, WriteTextFile(user + "Savedgame.txt", "old game"));
    ASSERT_EQ(QZRES_OK, WriteTextFile(user + "Settings.txt", "Audio.Volume=\"7\"\r\n"));
    GameInProgress();
    Achievements->ResetProgress();  // progress to save
    plat::os::SetWriteFault(ENOSPC);
    Quit();
    plat::os::SetWriteFault(0);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Vantorel Qar - Warning", boxes[0].caption);
    for (const char* what : {"the saved game", "the settings", "the achievements and statistics"})
        EXPECT_NE(std::string::npos, boxes[0].text.find(what)) << what << " in: " << boxes[0].text;
    EXPECT_EQ("old game", vqtest::ReadFile(plat::os::NativePath(user + "Savedgame.txt")));
    EXPECT_EQ("Audio.Volume=\"7\"\r\n", vqtest::ReadFile(plat::os::NativePath(user + "Settings.txt")));
}

TEST_P(FullDiskAtQuit, NothingIsShownWhenEverythingIsSaved)
{
    GameInProgress();
    Achievements->ResetProgress();
    Quit();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(IsFile(UserFolder() + "Savedgame.txt"));
}

INSTANTIATE_TEST_SUITE_P(Way, FullDiskAtQuit, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WindowClosed" : "MenuQuit"; });

TEST(UnsavedTextTest, NamesOneTwoOrThreeThings)
{
    EXPECT_NE(std::string::npos, UnsavedText({"the settings"}).find("could not save the settings in "));
    EXPECT_NE(std::string::npos, UnsavedText({"a", "b"}).find("could not save a and b in "));
    EXPECT_NE(std::string::npos, UnsavedText({"a", "b", "c"}).find("could not save a, b and c in "));
}

TEST_F(EngineFixture, ScreensThatAreNotBuiltAreRefusedWithALogLine)
{
    // The menu asks for 13 and 19, which no screen fills.
    const std::pair<int32_t, int32_t> asks[] = {{11, 13}, {14, 19}};
    for (const auto& [command, id] : asks) {
        StateEngine->Current()->HandleEvent(command);
        EXPECT_TRUE(Logged("TStateEngine.PushById: no state class registered for id " + std::to_string(id) +
                           "; push refused"))
            << command;
    }
    EXPECT_EQ(STATE_MENU, CurrentId());
    EXPECT_EQ(1, StateEngine->Depth());
}

TEST_F(EngineFixture, TheTableCaptionShowsInTheStatusLine)
{
    SetTableCaption("Benchmark complete");
    EXPECT_EQ("Benchmark complete", engine->Table()->status);
}

TEST_F(EngineFixture, TheOverlaysStandAboveEveryScreenAndTakeNoticesAndKeys)
{
    TGUIWindow* root = engine->Root();
    ASSERT_NE(nullptr, engine->Console());
    ASSERT_NE(nullptr, engine->Toast());
    ASSERT_NE(nullptr, engine->Chat());
    EXPECT_GT(engine->Console()->GetIndex(), engine->Layout()->GetIndex());
    EXPECT_LT(engine->Console()->GetIndex(), engine->Toast()->GetIndex());
    EXPECT_LT(engine->Toast()->GetIndex(), engine->Chat()->GetIndex());
    EXPECT_FALSE(engine->Console()->IsVisible());
    EXPECT_FALSE(engine->Toast()->IsVisible());
    EXPECT_TRUE(engine->Chat()->IsVisible());

    ShowNoticeText("Saved game state");
    EXPECT_TRUE(engine->Toast()->IsVisible());
    EXPECT_EQ("Saved game state", engine->Toast()->Current().text);
    Gameflow->Trigger("PLAYER_JOINED", std::make_unique<TEventStringWrapper>("Cleo"));
    EXPECT_EQ("New player connected:<HR>*Cleo*<BR>has joined the game.", engine->Toast()->Current().text);
    Gameflow->Trigger("NOTICE", std::make_unique<TEventStringWrapper>("Multiplayer disconnected"));
    ASSERT_EQ(1u, engine->Toast()->Queue().size()) << "waits behind the player's notice";
    Gameflow->Trigger("PLAYER_LEFT", std::make_unique<TEventStringWrapper>("Dan"));
    EXPECT_EQ("Player has disconnected:<HR>*Dan*", engine->Toast()->Current().text);

    root->DispatchKey(UICHAT_KEY_TOGGLE);
    EXPECT_TRUE(engine->Chat()->Active());
    uint32_t ms = 1000;
    plat::os::SetClockSource([&ms] { return uint64_t(ms) * 1000000ull; });
    root->DispatchKey(UICONSOLE_KEY);
    ms += 100;
    Frame();
    Frame();
    plat::os::SetClockSource(nullptr);
    EXPECT_TRUE(engine->Console()->IsVisible());
    EXPECT_TRUE(engine->Console()->Entry()->IsFocused());
    EXPECT_EQ(STATE_MENU, CurrentId());

    engine.reset();
    ShowNoticeText("after the engine");  // the pop-up is gone: only the log has it
}

TEST_F(EngineFixture, TheMenuOffersContinueOnlyWithAGameInProgress)
{
    auto* menu = dynamic_cast<TMainMenuGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, menu);
    EXPECT_FALSE(menu->Button(1)->IsEnabled());
    EXPECT_TRUE(menu->Button(5)->IsFocused());
    EXPECT_FALSE(menu->Button(11)->IsEnabled());
    GameInProgress();
    menu->RefreshButtons();
    EXPECT_TRUE(menu->Button(1)->IsEnabled());
    EXPECT_TRUE(menu->Button(1)->IsFocused());
}

TEST(OpenWebSettingTest, OnlyWebAddressesReachTheOpener)
{
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    ResetManagerRegistry();
    RegisterSettingsManager();
    CreateManagers();
    plat::os::TakeOpenRequests();
    struct {
        const char* value;
        bool opened;
    } cases[] = {{"", false},
                 {"file:///etc/passwd", false},
                 {"-x https://a", false},
                 {"javascript:alert(1)", false},
                 {"HTTPS://upper.example", false},
                 {"https://example.org/store", true},
                 {"http://example.org/", true}};
    for (const auto& c : cases) {
        SetSetting("Internet.SteamURL", c.value);
        EXPECT_EQ(c.opened, OpenWebSetting("Internet.SteamURL")) << c.value;
    }
    EXPECT_EQ((std::vector<std::string>{"https://example.org/store", "http://example.org/"}),
              plat::os::TakeOpenRequests());
    ResetManagerRegistry();
}

}  // namespace
