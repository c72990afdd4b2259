#include "UIChatWindow.h"

#include "UIButton.h"
#include "UIEditBox.h"
#include "UILabel.h"
#include "UIRichContent.h"
#include "mptable.h"
#include "osClock.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace {

using namespace mptest;

TTableOptions Named(const std::string& name)
{
    TTableOptions o;
    o.name = name;
    o.drive = false;
    return o;
}

// A root with the chat window, made in the peer's scope (the chat listens
// to that peer's game flow).
struct TChatScreen {
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUIChatWindow* chat = NewWindow<TUIChatWindow>(root.get());

    void Type(const std::string& text)
    {
        for (char c : text) root->DispatchKey(uint8_t(c));
        root->DispatchKey(GUIKEY_ENTER);
        root->UpdateTree();
    }
    // The lines shown, as "name: text".
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (const TChatMessage& m : chat->Messages())
            out.push_back(static_cast<TRichTextItem*>(m.name)->text + " " + static_cast<TRichTextItem*>(m.text)->text);
        return out;
    }
    TQZColour NameColour(size_t i) const { return chat->Messages()[i].name->colour; }
};

class ChatLocalTest : public ::testing::Test {
protected:
    void SetUp() override { plat::os::SetClockSource([this] { return uint64_t(ms) * 1000000ull; }); }
    void TearDown() override { plat::os::SetClockSource(nullptr); }

    uint32_t ms = 5000;
    TPeerRig alone{Named("Solo")};
    TPeerRig::TScope scope{alone};
    TChatScreen screen;
};

TEST_F(ChatLocalTest, TabOpensTheChatAndALineWithoutASharedGameIsShownHereOnly)
{
    TUIChatWindow* chat = screen.chat;
    const TQZPoint inside{100, 480};
    EXPECT_FALSE(chat->Entry()->IsVisible());
    EXPECT_EQ(screen.root.get(), screen.root->FindWindowAt(inside)) << "a closed chat lets the pointer through";
    screen.root->DispatchKey(UICHAT_KEY_TOGGLE);
    EXPECT_TRUE(chat->Active());
    EXPECT_EQ(chat, screen.root->FindWindowAt(inside));
    EXPECT_TRUE(chat->Entry()->IsVisible());
    EXPECT_TRUE(chat->SendButton()->IsVisible());
    EXPECT_TRUE(chat->Entry()->IsFocused());

    screen.Type("  hello there ");
    EXPECT_EQ((std::vector<std::string>{"Solo: hello there"}), screen.Lines());
    EXPECT_EQ(UICHAT_LOCAL_NAME, screen.NameColour(0));
    EXPECT_EQ("", chat->Entry()->Caption());
    EXPECT_TRUE(chat->Entry()->IsFocused()) << "ready for the next line";
    screen.Type("   ");  // nothing to say
    EXPECT_EQ(1u, chat->Messages().size());
    EXPECT_EQ(0, alone.multiplayer.Traffic().messagesSent);

    screen.root->DispatchKey(UICHAT_KEY_TOGGLE);
    EXPECT_FALSE(chat->Active());
    EXPECT_FALSE(chat->Entry()->IsVisible());
    EXPECT_FALSE(chat->Entry()->IsFocused());
    screen.Type("x");  // keys no longer reach the hidden entry
    EXPECT_EQ(1u, chat->Messages().size());
}

TEST_F(ChatLocalTest, OldLinesHideUntilTheChatOpensAndOnlyTenAreKept)
{
    TUIChatWindow* chat = screen.chat;
    for (int i = 1; i <= 11; ++i) chat->AddMessage("Ann", "line " + std::to_string(i), 2);
    EXPECT_EQ(UICHAT_OTHER_NAME, screen.NameColour(0));
    screen.root->UpdateTree();
    EXPECT_TRUE(chat->Hint()->IsVisible()) << "fresh lines tell how to answer";
    EXPECT_EQ(11u, chat->Messages().size());

    ms += UICHAT_FRESH_MS + 1;
    screen.root->UpdateTree();
    ASSERT_EQ(10u, chat->Messages().size());
    EXPECT_EQ("Ann: line 2", screen.Lines().front());
    EXPECT_EQ(30, chat->View()->Content()->ItemCount());
    for (const TChatMessage& m : chat->Messages()) EXPECT_FALSE(m.text->visible);
    EXPECT_FALSE(chat->Hint()->IsVisible());

    screen.root->DispatchKey(UICHAT_KEY_TOGGLE);
    screen.root->UpdateTree();
    for (const TChatMessage& m : chat->Messages()) EXPECT_TRUE(m.name->visible && m.text->visible);
}

TEST_F(ChatLocalTest, TheWindowSitsAboveTheScoreboard)
{
    TUIChatWindow* chat = screen.chat;
    // 1280 x 800: the scoreboard is 200 high, the chat 320 x 150... at least 160.
    EXPECT_EQ((TQZRect{0, 430, 320, 590}), chat->GetRect());
    EXPECT_EQ((TQZRect{2, 124, 250, 158}), chat->Entry()->GetRect());
    EXPECT_EQ((TQZRect{10, 10, 310, 120}), chat->View()->GetRect());
    EXPECT_EQ(0, chat->View()->Content()->hAlign);
    EXPECT_EQ(2, chat->View()->Content()->vAlign);
}

// Two tables of a shared game: a line typed at one reaches both chats once,
// by way of the host.
class ChatSharedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedRandom(3);
        host = &game.AddHost(Named("Hannah"));
        client = &game.AddClient(Named("Cleo"), "c1");
        ASSERT_TRUE(game.RunUntil(5000, [&] { return client->Logged("Receive session data"); }));
        {
            TPeerRig::TScope scope(*host);
            hostScreen = std::make_unique<TChatScreen>();
        }
        TPeerRig::TScope scope(*client);
        clientScreen = std::make_unique<TChatScreen>();
    }
    void TearDown() override
    {
        {
            TPeerRig::TScope scope(*host);
            hostScreen.reset();
        }
        TPeerRig::TScope scope(*client);
        clientScreen.reset();
    }
    void Type(TPeerRig& rig, TChatScreen& screen, const std::string& text)
    {
        TPeerRig::TScope scope(rig);
        if (!screen.chat->Active()) screen.root->DispatchKey(UICHAT_KEY_TOGGLE);
        screen.Type(text);
    }

    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    TSharedGame game{3};
    TPeerRig* host = nullptr;
    TPeerRig* client = nullptr;
    std::unique_ptr<TChatScreen> hostScreen, clientScreen;
};

TEST_F(ChatSharedTest, ALineTypedAtOneTableArrivesInTheOthersChat)
{
    Type(*client, *clientScreen, "hello all");
    EXPECT_TRUE(clientScreen->chat->Messages().empty()) << "shown when the host's copy comes back";
    ASSERT_TRUE(game.RunUntil(3000, [&] { return hostScreen->Lines().size() == 1 && clientScreen->Lines().size() == 1; }));
    game.Run(200);
    EXPECT_EQ((std::vector<std::string>{"Cleo: hello all"}), hostScreen->Lines());
    EXPECT_EQ((std::vector<std::string>{"Cleo: hello all"}), clientScreen->Lines());
    EXPECT_EQ(UICHAT_OTHER_NAME, hostScreen->NameColour(0));
    EXPECT_EQ(UICHAT_LOCAL_NAME, clientScreen->NameColour(0));

    Type(*host, *hostScreen, "welcome");
    EXPECT_EQ(2u, hostScreen->Lines().size()) << "the host shows its own line at once";
    ASSERT_TRUE(game.RunUntil(3000, [&] { return clientScreen->Lines().size() == 2; }));
    game.Run(200);
    EXPECT_EQ("Hannah: welcome", clientScreen->Lines().back());
    EXPECT_EQ(UICHAT_OTHER_NAME, clientScreen->NameColour(1));
    EXPECT_EQ(2u, hostScreen->Lines().size());
}

}  // namespace
