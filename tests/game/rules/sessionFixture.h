// A session with its own timers and a settable screen id, for tests that
// drive the rules without any shell.
#pragma once

#include "qz7kvdata.h"
#include "clShellLinks.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "mgrSession.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

class TTestScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = 0;
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedRandom(11);
        Settings = &settings;
        timers.Initialize();
        Timers = &timers;
        SetScreenLink(&screen);
        session = std::make_unique<TSession>();
        session->Initialize();
    }
    void TearDown() override
    {
        session.reset();
        SetScreenLink(nullptr);
        Timers = nullptr;
        Settings = nullptr;
    }

    TSession& S() { return *session; }

    static TCardset Set(std::initializer_list<TCard> cards)
    {
        TCardset s;
        for (TCard c : cards) s.Add(c);
        return s;
    }

    // An auction that ended with the seat's bid, everyone else passing.
    void Contract(TSeat declarer, TBid bid)
    {
        S().NewHand(DeckText());
        S().Bidding().SetOpeningSeat(declarer);
        S().Bidding().Reset();
        S().StartBidding();
        S().Bidding().PlaceBid(bid, "");
        for (int i = 0; i < 3; ++i) S().Bidding().PlaceBid({SUIT_SPADES, 1}, "");
        ASSERT_TRUE(S().Bidding().IsComplete());
    }

    // Play begins with the given hands, led by the declarer.
    void StartPlay(TSeat declarer, TBid bid, std::initializer_list<TCardset> hands)
    {
        Contract(declarer, bid);
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

    static std::string DeckText()
    {
        TCardset d;
        d.FillDeck();
        return d.ToText();
    }

    TQZKeyValue settings;
    TTimers timers;
    TTestScreen screen;
    std::unique_ptr<TSession> session;
};
