#include "UILobbyPlayer.h"

#include "UIButton.h"
#include "clShellLinks.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "qz7kvdata.h"

#include <gtest/gtest.h>

namespace {

class LobbyRowTest : public ::testing::Test {
protected:
    TQZKeyValue settings;
    TTimers timers;
    std::unique_ptr<TSession> session;
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 800, 600}, nullptr, 0);
    TUILobbyPlayer* rows[5] = {};

    void SetUp() override
    {
        Settings = &settings;
        timers.Initialize();
        Timers = &timers;
        session = std::make_unique<TSession>();
        session->Initialize();
        Session = session.get();
        for (TSeat s = 1; s <= 4; ++s) rows[s] = MakeUILobbyPlayer({0, s * 100, 400, s * 100 + 90}, s, root.get());
    }
    void TearDown() override
    {
        root.reset();
        Session = nullptr;
        session.reset();
        Timers = nullptr;
        Settings = nullptr;
    }
    TSessionPlayers& Players() { return session->Players(); }
    TSeat LocalSeat() { return Players().LocalPlayer()->SeatId(); }
};

TEST_F(LobbyRowTest, TheButtonIsPlacedAtTheRightAndCarriesTheSeat)
{
    for (TSeat s = 1; s <= 4; ++s) {
        EXPECT_EQ((TQZRect{260, 10, 390, 80}), rows[s]->TakeSeatButton()->GetRect());
        EXPECT_EQ(int32_t(s), rows[s]->TakeSeatButton()->commandId);
        EXPECT_EQ("Take Seat", rows[s]->TakeSeatButton()->Caption());
    }
}

TEST_F(LobbyRowTest, OnlyOpenSeatsOfferTheButtonAndNotOnceTheLocalPlayerIsReady)
{
    const TSeat local = LocalSeat();
    const TSeat remote = local % 4 + 1;
    Players().GetPlayer(remote)->MakeRemote(2, TPlayerGUID{1}, "Remy");
    root->UpdateTree();
    for (TSeat s = 1; s <= 4; ++s) {
        const bool open = s != local && s != remote;
        EXPECT_EQ(open, rows[s]->TakeSeatButton()->IsVisible()) << int(s);
        EXPECT_TRUE(rows[s]->TakeSeatButton()->IsEnabled()) << int(s);
    }
    Players().LocalPlayer()->SetContinue(true);
    root->UpdateTree();
    for (TSeat s = 1; s <= 4; ++s) EXPECT_FALSE(rows[s]->TakeSeatButton()->IsEnabled()) << int(s);
}

TEST_F(LobbyRowTest, NamesReadComputerOpenForAComputerSeatAndColourTheLocalPlayer)
{
    const TSeat local = LocalSeat();
    const TSeat remote = local % 4 + 1;
    const TSeat open = remote % 4 + 1;
    Players().GetPlayer(remote)->MakeRemote(2, TPlayerGUID{1}, "Remy");
    Players().LocalPlayer()->SetName("Lou");
    struct {
        TSeat seat;
        std::string text;
        TQZColour colour;
    } cases[] = {{local, "Lou", 0xFFFFFF00}, {remote, "Remy", 0xFFFFFFFF}, {open, "Computer (Open)", 0xFFC0C0C0}};
    for (const auto& c : cases) {
        const TSessionPlayer& p = *Players().GetPlayer(c.seat);
        EXPECT_EQ(c.text, TUILobbyPlayer::NameText(p)) << int(c.seat);
        EXPECT_EQ(c.colour, TUILobbyPlayer::NameColour(p)) << int(c.seat);
    }
}

TEST_F(LobbyRowTest, TheButtonsCommandReachesTheRowsParent)
{
    std::vector<int32_t> heard;
    struct TListener : TGUIWindow {
        using TGUIWindow::TGUIWindow;
        std::vector<int32_t>* heard = nullptr;
        void HandleCommand(TGUIWindow*, int32_t id) override { heard->push_back(id); }
    };
    auto* panel = NewWindow<TListener>(TQZRect{0, 0, 800, 600}, root.get(), 0);
    panel->heard = &heard;
    TUILobbyPlayer* row = MakeUILobbyPlayer({0, 0, 400, 90}, 3, panel);
    row->TakeSeatButton()->Click();
    for (int i = 0; i < 3; ++i) root->UpdateTree();
    EXPECT_EQ((std::vector<int32_t>{3}), heard);
}

}  // namespace
