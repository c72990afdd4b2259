// A game session with its own settings, timers and a settable screen id, a
// root window that keeps the commands it hears, and a clock the test moves:
// the card-table widgets driven without the shell.
#pragma once

#include "arcqz7gui.h"
#include "coreGameDiagnostics.h"
#include "osClock.h"
#include "sessionrig.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tabletest {

using tablerig::TTestScreen;

class TableFixture : public ::testing::Test, public tablerig::TSessionRig {
public:
    void SetUp() override
    {
        plat::os::SetClockSource([this] { return ms * 1000000ull; });
        InstallSession(11);
        SetAdminConsole([this](const std::string& line) { admin.push_back(line); });
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    }
    void TearDown() override
    {
        root.reset();
        SetAdminConsole(nullptr);
        RemoveSession();
        plat::os::SetClockSource(nullptr);
    }

    static TCardset Set(std::initializer_list<TCard> cards)
    {
        TCardset s;
        for (TCard c : cards) s.Add(c);
        return s;
    }
    static std::string DeckText()
    {
        TCardset d;
        d.FillDeck();
        return d.ToText();
    }

    // The auction as far as the bids go, opened by the seat.
    void Auction(TSeat opener, std::initializer_list<TBid> bids)
    {
        S().NewHand(DeckText());
        S().Bidding().SetOpeningSeat(opener);
        S().Bidding().Reset();
        S().StartBidding();
        for (const TBid& b : bids) S().Bidding().PlaceBid(b, "");
    }

    // Trick play with the given hands, led by the declarer.
    void StartPlay(TSeat declarer, TBid bid, std::initializer_list<TCardset> hands)
    {
        Auction(declarer, {bid, {SUIT_SPADES, 1}, {SUIT_SPADES, 1}, {SUIT_SPADES, 1}});
        ASSERT_TRUE(S().Bidding().IsComplete());
        TSeat s = 1;
        for (const TCardset& h : hands) S().HandOf(s++) = h;
        S().Deck().Clear();
        S().StartPlay();
        S().SetStatus(STATUS_PLAYING);
        screen.id = STATE_GAME;
    }
    void Play(TSeat seat, TCard card)
    {
        S().Governor().Submit(std::make_unique<TActionPlaycard>(seat, card));
        S().ProcessActions();
    }

    // The commands the root heard, oldest first; emptied.
    std::vector<int32_t> Heard()
    {
        std::vector<int32_t> ids;
        TGUIWindow* sender = nullptr;
        int32_t id = 0;
        while (root->PopCommand(sender, id)) ids.push_back(id);
        return ids;
    }

    uint64_t ms = 1000;
    std::vector<std::string> admin;
    TGUIWindowPtr<TGUIWindow> root;
};

}  // namespace tabletest
