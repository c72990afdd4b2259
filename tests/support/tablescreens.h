// The card table's screens on the whole engine without a display, driven
// frame by frame on a clock that moves only with the frames.
#pragma once

#include "shellfixture.h"

#include "UIBidButton.h"
#include "UIBidding.h"
#include "UICardset.h"
#include "sgCapture.h"
#include "mgrGameflow.h"
#include "mgrServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrVideo.h"
#include "mgrTimers.h"
#include "osClock.h"
#include "qz7direct3d.h"
#include "sessionTricks.h"
#include "stateBidding.h"
#include "stateGame.h"
#include "stateKitty.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace shelltest {

class TableScreens : public EngineFixture {
protected:
    uint64_t now = 0;
    void SetUp() override
    {
        // The program's clock moves only with the frames (key presses show
        // for a moment before they click, cards fly for their time).
        now = plat::os::MonotonicNanoseconds();
        plat::os::SetClockSource([this] { return now; });
        EngineFixture::SetUp();
        SeedRandom(7);
        SetSetting("Debug.InstantPlay", "true");
        SetSetting("Gameplay.Discardwarning", "false");
        // The tutorial pages would stand over the table (the start showed the
        // welcome page); a player closes them, this test does without.
        SetSetting("Tutorial.Enabled", "false");
        if (ServiceManager) ServiceManager->MarshalInstruction("Tutorial.Off");
    }
    void TearDown() override
    {
        EngineFixture::TearDown();
        plat::os::SetClockSource(nullptr);
    }
    // One frame: input and the screen on top, then the timers.
    void Step(int32_t ms = 16)
    {
        now += uint64_t(ms) * 1000000ull;
        Frame();
        if (tickServices && ServiceManager) ServiceManager->Tick();
        if (paintFrames && Video && Video->Window()) Video->Window()->Paint(0);
        if (Timers) Timers->Tick(ms);
    }
    // The services' frame too, as the program runs it after the screens.
    bool tickServices = false;
    // Frames painted as the program paints them: fades move on with the
    // time between paints (unpainted, a frame counts 1 ms).
    bool paintFrames = false;
    // Frames until the screen on top is the one asked for (or a limit).
    bool RunUntil(int32_t id, int32_t limit = 5000)
    {
        for (int32_t i = 0; i < limit && CurrentId() != id; ++i) Step();
        return CurrentId() == id;
    }
    void Command(int32_t id)
    {
        ASSERT_NE(nullptr, StateEngine->Current());
        StateEngine->Current()->HandleEvent(id);
    }
    // A press and release of the left button over the window's middle, as
    // the frames of the program take it.
    void Click(TGUIWindow* w)
    {
        ASSERT_NE(nullptr, w);
        const TQZRect r = w->GetScreenRect();
        const TQZPoint p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        GetMouse()->SetPosition(p);
        Step();
        GetMouse()->AddButtonEvent(1, true, 0, 0, p);
        Step();
        GetMouse()->AddButtonEvent(1, false, 0, 0, p);
        Step();
    }
    // The local player's bid on the panel: its suit and count tiles, then
    // "Place Bid" (or "Pass").
    void BidOnPanel(const TBid& bid)
    {
        TUIBidding* panel = static_cast<TStateBidding*>(StateEngine->Current())->Panel();
        ASSERT_NE(nullptr, panel);
        ASSERT_TRUE(panel->ButtonArea()->IsVisible());
        if (bid.count == 1) {
            Click(panel->PassButton());
            return;
        }
        Click(panel->SuitButton(bid.suit));
        Click(panel->TrickButton(bid.count));
        ASSERT_TRUE(panel->PlaceBidButton()->IsEnabled());
        Click(panel->PlaceBidButton());
    }
    // Ends the auction at once with the declarer's bid: the seats before
    // it open low so that the auction reaches it, the rest pass.
    void SettleAuction(TSeat declarer, TBid bid)
    {
        TSessionBidding& b = S().Bidding();
        int32_t low = SUIT_SPADES;
        for (int32_t guard = 0; guard < 16 && !b.IsComplete(); ++guard) {
            const TSeat s = b.CurrentBidder();
            if (s == declarer) b.PlaceBid(bid, "");
            else if (BidPoints(b.GetBid(declarer)) > 0) b.PlaceBid({b.GetBid(s).suit, 1}, "");
            else b.PlaceBid({TSuit(low++), 6}, "");
        }
        ASSERT_TRUE(b.HasContract());
        ASSERT_EQ(declarer, b.HighBidder());
    }

    // The frame drawn; with VQ_TABLE_FRAMES set to a folder, written there
    // as <name>.png to look at.
    void Render(const std::string& name)
    {
        StateEngine->Render();
        if (const char* folder = std::getenv("VQ_TABLE_FRAMES")) {
            std::shared_ptr<plat::softgpu::Surface> back;
            Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
            (void)plat::softgpu::WritePng(*back, std::string(folder) + "/" + name + ".png");  // a look, not a check
        }
    }
    TSession& S() { return *Session; }
    TSeat Local() { return S().LocalSeat(); }
    bool Logged(const std::string& part) const
    {
        for (const std::string& l : admin)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    // The position of the first card the local player may play.
    int32_t LegalPosition()
    {
        const TCardset& hand = S().HandOf(Local());
        const TSessionTricks& t = S().Tricks();
        const bool leading = t.CardsPlayed() == 0;
        for (int32_t i = 1; i <= hand.Count(); ++i)
            if (leading || IsLegalPlay(hand.Get(i), hand, t.LedSuit(), t.CurrentTrump())) return i;
        return 0;
    }
    // The cheapest bid of seven or eight tricks that beats the standing bid,
    // else a pass (a game is not won or lost in one hand).
    TBid LowestRaise()
    {
        const int32_t standing = BidPoints(S().Bidding().WinningBid());
        for (int32_t count = 7; count <= 8; ++count)
            for (int32_t suit = SUIT_SPADES; suit <= SUIT_NOTRUMPS; ++suit) {
                const TBid bid{TSuit(suit), count};
                if (BidPoints(bid) > standing) return bid;
            }
        return TBid{S().Bidding().GetBid(Local()).suit, 1};
    }
    // Plays the local seat's part of the hand: bids the lowest raise, discards its first cards, plays its first legal
    // card; the computer seats play by themselves. The look, when given, sees every frame of the hand.
    void PlayLocalHand(bool& declared, const std::function<void()>& look = nullptr)
    {
        declared = false;
        for (int32_t guard = 0; guard < 20000; ++guard) {
            if (look) look();
            switch (CurrentId()) {
            case STATE_BIDDING:
                if (!S().Bidding().IsComplete() && S().Bidding().CurrentBidder() == Local() &&
                    S().Governor().CountActions(ACTION_BID) == 0) {
                    BidOnPanel(LowestRaise());
                }
                break;
            case STATE_KITTY:
                if (S().Bidding().HighBidder() == Local()) declared = true;
                if (static_cast<TStateKitty*>(StateEngine->Current())->Phase() == 1 &&
                    S().HandOf(Local()).Count() > 10 && S().Governor().QueueLength() == 0)
                    Command(GUICMD_CARD + 1);
                break;
            case STATE_GAME:
                if (S().Status() == STATUS_PLAYING && S().Tricks().SeatToPlay() == Local() &&
                    !S().Tricks().TrickComplete() && !static_cast<TStateGame*>(StateEngine->Current())->Busy())
                    Command(GUICMD_CARD + LegalPosition());
                break;
            case STATE_HANDWIN: return;
            default: break;
            }
            Step();
        }
    }
};

}  // namespace shelltest
