// Every button of every screen is alive: the pointer can reach it and its
// command reaches a window that acts on commands (a screen or a compound
// widget), not a plain container that drops them. The about screen's two
// buttons by click, "Continue" also by Return.
#include "tablescreens.h"

#include "UIAdminConsole.h"
#include "UIBidding.h"
#include "UIButton.h"
#include "UIChatWindow.h"
#include "UIImageSelector.h"
#include "UIMovableFrame.h"
#include "UITable.h"
#include "UIToast.h"
#include "osDesktop.h"
#include "stateConfirm.h"
#include "stateMenu.h"

#include <set>
#include <typeinfo>

namespace {

// The windows whose HandleCommand acts (screens and compound widgets), and
// the table, which hands its commands to the screen on top.
bool HandlesCommands(TGUIWindow* w)
{
    return dynamic_cast<TStateGUI*>(w) || dynamic_cast<TUITable*>(w) || dynamic_cast<TUIMovableFrame*>(w) ||
           dynamic_cast<TUIImageSelector*>(w) || dynamic_cast<TUIBidding*>(w) || dynamic_cast<TUIChatWindow*>(w) ||
           dynamic_cast<TUIToast*>(w) || dynamic_cast<TUIAdminConsole*>(w) || dynamic_cast<TGUIListbox*>(w);
}

std::string Describe(TGUIWindow* w)
{
    std::string text = typeid(*w).name();
    text.erase(0, text.find_first_not_of("0123456789"));  // the length of the mangled name
    if (auto* label = dynamic_cast<TGUILabel*>(w)) text += " \"" + label->Caption() + "\"";
    return text + " (command " + std::to_string(w->commandId) + ")";
}

// What is wrong with the shown buttons of a tree: one line each.
void DeadButtons(TGUIWindow* w, int32_t screen, std::set<std::string>& out)
{
    if (!w || !w->IsVisible()) return;
    if (w->commandId != 0 && (w->mouseEnabled || w->focusable)) {
        if (w->mouseEnabled)
            for (TGUIWindow* a = w->GetParent(); a; a = a->GetParent())
                if (a->clickThrough) out.insert("screen " + std::to_string(screen) + ": " + Describe(w) +
                                                " lies under the click-through " + Describe(a));
        TGUIWindow* receiver = w->GetParent();
        while (receiver && !HandlesCommands(receiver) && receiver->forwardCommands && receiver->GetParent())
            receiver = receiver->GetParent();
        if (!receiver || !HandlesCommands(receiver))
            out.insert("screen " + std::to_string(screen) + ": the commands of " + Describe(w) + " stop at " +
                       (receiver ? Describe(receiver) : std::string("nothing")));
    }
    for (int32_t i = 1; i <= w->ChildCount(); ++i) DeadButtons(w->GetChild(i), screen, out);
}

class ScreenWidgets : public shelltest::TableScreens {
protected:
    std::set<std::string> dead;
    std::set<int32_t> walked;
    void Walk()
    {
        DeadButtons(engine->Root(), CurrentId(), dead);
        walked.insert(CurrentId());
    }
    // Opens a screen from the menu, walks it, and goes back.
    void Visit(int32_t menuCommand, int32_t screen)
    {
        Command(menuCommand);
        ASSERT_EQ(screen, CurrentId());
        Step();
        Walk();
        StateEngine->PopUntil(STATE_MENU);
        Step();
    }
    TUIButton* FindButton(TGUIWindow* w, const std::string& caption)
    {
        if (!w) return nullptr;
        if (auto* b = dynamic_cast<TUIButton*>(w); b && b->Caption() == caption) return b;
        for (int32_t i = 1; i <= w->ChildCount(); ++i)
            if (TUIButton* found = FindButton(w->GetChild(i), caption)) return found;
        return nullptr;
    }
    // A key to the focused window; a key shows its press for a moment first.
    void Key(uint32_t key)
    {
        engine->Root()->DispatchKey(key);
        for (int32_t i = 0; i < 10; ++i) Step();
    }
};

TEST_F(ScreenWidgets, EveryButtonOfEveryScreenReachesTheScreen)
{
    Walk();
    Visit(3, STATE_ABOUT);
    Visit(6, STATE_ACHIEVEMENTS);
    Visit(7, STATE_OPTIONS);
    Visit(8, STATE_CHECKVERSION);
    Command(2);  // preferences, with a selector open
    ASSERT_EQ(STATE_PREFERENCES, CurrentId());
    Command(-3);
    Step();
    Walk();
    StateEngine->PopUntil(STATE_MENU);
    ASSERT_TRUE(StateEngine->PushById(STATE_TESTING, true));
    Step();
    Walk();
    StateEngine->PopUntil(STATE_MENU);
    ASSERT_TRUE(StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_QUIT));
    Step();
    Walk();
    StateEngine->PopUntil(STATE_MENU);
    Step();

    // A hand: every table screen as the local player meets it.
    Command(5);
    bool declared = false;
    PlayLocalHand(declared, [this] { Walk(); });
    ASSERT_EQ(STATE_HANDWIN, CurrentId());
    Walk();
    ASSERT_TRUE(StateEngine->PushById(STATE_GAMEWIN, true, 1));
    Step();
    Walk();
    // The chat opened over the table.
    engine->Root()->DispatchKey(UICHAT_KEY_TOGGLE);
    Step();
    Walk();

    for (int32_t screen : {STATE_MENU, STATE_ABOUT, STATE_ACHIEVEMENTS, STATE_OPTIONS, STATE_CHECKVERSION,
                           STATE_PREFERENCES, STATE_TESTING, STATE_CONFIRM, STATE_BIDDING, STATE_KITTY, STATE_GAME,
                           STATE_HANDWIN, STATE_GAMEWIN})
        EXPECT_EQ(1u, walked.count(screen)) << "screen " << screen << " was not reached";
    for (const std::string& line : dead) ADD_FAILURE() << line;
}

TEST_F(ScreenWidgets, AboutContinuesByClickAndByKeyAndOpensTheBlog)
{
    SetSetting("Internet.BlogURL", "https://example.org/blog");
    plat::os::TakeOpenRequests();
    for (uint32_t key : {0u, GUIKEY_ENTER}) {
        Command(3);
        ASSERT_EQ(STATE_ABOUT, CurrentId());
        Step();
        TGUIWindow* gui = StateEngine->Current()->Window();
        TUIButton* blog = FindButton(gui, "Visit Game Blog");
        ASSERT_NE(nullptr, blog);
        if (key == 0) {
            Click(blog);
            EXPECT_EQ((std::vector<std::string>{"https://example.org/blog"}), plat::os::TakeOpenRequests());
            EXPECT_EQ(STATE_ABOUT, CurrentId());
            Click(FindButton(gui, "Continue"));
        } else {
            ASSERT_TRUE(FindButton(gui, "Continue")->IsFocused());
            Key(key);
        }
        EXPECT_EQ(STATE_MENU, CurrentId()) << "key " << key;
        Step();
    }
}

// The store and the blog open addresses from the settings, empty by
// default: their buttons stay disabled until one is configured.
TEST_F(ScreenWidgets, TheStoreAndBlogButtonsWaitForAnAddress)
{
    auto* menu = dynamic_cast<TMainMenuGUI*>(StateEngine->Current()->Window());
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ("", SettingText("Internet.SteamURL"));
    EXPECT_FALSE(menu->Button(13)->IsEnabled());
    SetSetting("Internet.SteamURL", "https://example.org/store");
    menu->RefreshButtons();
    EXPECT_TRUE(menu->Button(13)->IsEnabled());

    for (const char* blog : {"", "https://example.org/blog"}) {
        SetSetting("Internet.BlogURL", blog);
        Command(3);
        ASSERT_EQ(STATE_ABOUT, CurrentId());
        TUIButton* button = FindButton(StateEngine->Current()->Window(), "Visit Game Blog");
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(*blog != 0, button->IsEnabled()) << blog;
        Command(GUICMD_BACK);
        Step();
    }
}

}  // namespace
