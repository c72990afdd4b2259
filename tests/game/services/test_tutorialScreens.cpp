// Tutorial pages on the screens of the real engine: a page belongs to the
// screen it opened on, is hidden while another screen covers it, comes back
// where the player left it, and goes (still unseen) with its screen.
#include "tablescreens.h"

#include "UIAdminConsole.h"
#include "UIButton.h"
#include "UIChatWindow.h"
#include "UIEditBox.h"
#include "UITutorial.h"
#include "clTableReport.h"
#include "clTutorialPages.h"
#include "microTutorial.h"
#include "qz7files.h"
#include "stateMenu.h"

#include <regex>
#include <set>
#include <sstream>

namespace {

class TutorialScreens : public shelltest::TableScreens {
protected:
    void SetUp() override
    {
        TableScreens::SetUp();
        tickServices = true;
        SetSetting("Tutorial.Enabled", "true");
    }
    TTutorialService* Tutorial() const { return dynamic_cast<TTutorialService*>(ServiceManager->Running("TUTORIAL")); }
    std::string PageId() const { return Tutorial()->Window()->Page().id; }
};

TEST_F(TutorialScreens, APageCoveredByAnotherScreenComesBackWhereItWasLeft)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Gameflow->TriggerTutorial("welcome", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    // The player moved it.
    TQZRect moved = tutorial->Window()->GetRect();
    moved.left += 40, moved.right += 40, moved.top -= 30, moved.bottom -= 30;
    tutorial->Window()->SetRect(moved);

    ASSERT_TRUE(StateEngine->PushById(STATE_OPTIONS, true));
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the options screen is on top";
    StateEngine->PopState(0);
    Step();
    EXPECT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("welcome", PageId());
    EXPECT_EQ(moved, tutorial->Window()->GetRect());
    EXPECT_EQ(0, SettingInt("Tutorials.welcome")) << "hidden is not seen";
}

TEST_F(TutorialScreens, APageGoesWithItsScreenUnseenAndShowsAgainNextTime)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Gameflow->TriggerTutorial("welcome", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    Command(5);  // "Start New Game"
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the welcome page stays with the menu";

    // The auction's own page, then the auction ends: the page goes.
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    Step();
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("bidding", PageId());
    // Looked at once the page and the panel have faded in.
    paintFrames = true;
    for (int32_t i = 0; i < 120; ++i) Step();
    paintFrames = false;
    ASSERT_EQ(STATE_BIDDING, CurrentId());
    Render("tutorial-bidding");
    SettleAuction(2, {SUIT_HEARTS, 7});
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    Step();
    EXPECT_FALSE(tutorial->WindowShown());
    Render("tutorial-bidcomplete");
    EXPECT_EQ(0, SettingInt("Tutorials.bidding"));

    // Not seen: the next auction shows it again.
    SetSetting("Debug.AutoPlay", "true");
    ASSERT_TRUE(RunUntil(STATE_HANDWIN, 100000));
    ASSERT_TRUE(RunUntil(STATE_BIDDING, 100000));
    Step();
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("bidding", PageId());

    // Seen ("OK" on the last page): not again.
    tutorial->Execute("OK");
    EXPECT_GE(SettingInt("Tutorials.bidding"), 1);
    Command(GUICMD_BACK);
    ASSERT_TRUE(RunUntil(STATE_MENU, 500));
    Step();
    EXPECT_FALSE(tutorial->WindowShown()) << "the welcome page went when the auction's page replaced it";
}

TEST_F(TutorialScreens, TheMiserePageHoldsTheBidResultUntilItIsClosed)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    Command(5);
    ASSERT_TRUE(RunUntil(STATE_BIDDING));
    SettleAuction(2, BID_MISERE);
    ASSERT_TRUE(RunUntil(STATE_BIDCOMPLETE));
    for (int32_t i = 0; i < 200; ++i) Step();
    // Without the page the result would have gone on by itself by now.
    ASSERT_EQ(STATE_BIDCOMPLETE, CurrentId());
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ("misere", PageId());
    tutorial->Window()->HandleCommand(nullptr, UITUTORIAL_GOTIT);  // "OK": one page
    EXPECT_FALSE(tutorial->WindowShown());
    EXPECT_EQ(1, SettingInt("Tutorials.misere"));
    EXPECT_TRUE(RunUntil(STATE_KITTY, 500));
}

// The pages point the player at the main menu's buttons by their captions:
// each one named must be there.
TEST_F(TutorialScreens, ThePagesNameOnlyButtonsTheMainMenuHas)
{
    auto* menu = dynamic_cast<TMainMenuGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, menu);
    std::set<std::string> captions;
    for (int32_t i = 1; i <= menu->ChildCount(); ++i)
        if (auto* b = dynamic_cast<TUIButton*>(menu->GetChild(i)); b && !b->Caption().empty())
            captions.insert(b->Caption());
    const std::string text = ReadTextFile(kTutorialFile);
    ASSERT_FALSE(text.empty());
    const std::string name = "((?:[A-Z][a-z]*)(?: [A-Z][a-z]*)*)";
    const std::regex named[] = {std::regex("(?:Press )?" + name + " on the main menu"),
                                std::regex("the " + name + " button of the main menu"),
                                std::regex("the main menu's " + name + " button")};
    int32_t found = 0;
    for (const std::regex& pattern : named)
        for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
            ++found;
            const std::string caption = (*it)[1].str();
            EXPECT_EQ(1u, captions.count(caption)) << "\"" << caption << "\" is no button of the main menu";
        }
    EXPECT_GE(found, 1);
}

// The welcome pages closed by clicks: the keys reach the menu's first
// choice again, not the hidden page's button.
TEST_F(TutorialScreens, ClosingThePagesGivesTheFocusBackToTheMenu)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    auto* menu = dynamic_cast<TMainMenuGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, menu);
    Gameflow->TriggerTutorial("welcome", 1);
    Step();
    ASSERT_TRUE(tutorial->WindowShown());
    for (int32_t page = 0; page < 5 && tutorial->WindowShown(); ++page) Click(tutorial->Window()->GotItButton());
    ASSERT_FALSE(tutorial->WindowShown());
    Step();
    EXPECT_TRUE(menu->Button(5)->IsFocused());
    engine->Root()->DispatchKey(GUIKEY_ENTER);  // "Start New Game"
    EXPECT_TRUE(RunUntil(STATE_GAME, 50));
}

}  // namespace

// Scripts that drive the real program wait for what the table report shows
// over the screen: the tutorial's page (and whether it has faded in) with
// its buttons, the admin console, the chat.
TEST_F(TutorialScreens, TheTableReportShowsTheWindowsOverTheScreen)
{
    auto lines = [] {
        std::set<std::string> found;
        std::istringstream in(TTableReport::Text());
        for (std::string line; std::getline(in, line);) found.insert(line.substr(0, line.find(' ')));
        return found;
    };
    auto line = [](const std::string& key) {
        std::smatch m;
        const std::string text = TTableReport::Text();
        return std::regex_search(text, m, std::regex("(^|\n)(" + key + " [^\n]*)")) ? m[2].str() : std::string();
    };
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(nullptr, tutorial);
    EXPECT_FALSE(lines().count("tutorial"));
    Gameflow->TriggerTutorial("welcome", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_TRUE(std::regex_match(line("tutorial"), std::regex("tutorial welcome 1 [01]"))) << line("tutorial");
    EXPECT_TRUE(std::regex_match(line("button " + std::to_string(UITUTORIAL_NEXT)),
                                 std::regex("button 30003 -?[0-9]+ -?[0-9]+")))
        << TTableReport::Text();
    tutorial->Window()->AdvanceFade(60000);
    EXPECT_EQ("tutorial welcome 1 1", line("tutorial"));
    tutorial->Execute("OK");
    EXPECT_FALSE(lines().count("tutorial"));

    EXPECT_FALSE(lines().count("console"));
    engine->Console()->SetVisible(true);
    EXPECT_EQ("console 1 0", line("console"));
    engine->Console()->Entry()->SetFocus(true);
    EXPECT_EQ("console 1 1", line("console"));
    engine->Console()->SetVisible(false);
    EXPECT_FALSE(lines().count("console"));

    EXPECT_EQ("chat 0 0", line("chat"));
    engine->Chat()->SetActive(true);
    EXPECT_EQ("chat 1 0", line("chat"));
}
