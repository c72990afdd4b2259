// A hand played by the computer at the real screens, recorded, saved and
// replayed through the same screens: the replay deals the same cards and
// ends with the same scores, with nothing of the local seat's own. A
// recording the game cannot follow ends its replay instead of hanging.
#include "tablescreens.h"

#include "microGameRecorder.h"
#include "mgrGameflow.h"
#include "mgrServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrTimers.h"
#include "osDesktop.h"
#include "qz7files.h"
#include "stateConfirm.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

class RecorderReplay : public shelltest::TableScreens, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
        TableScreens::SetUp();
        tickServices = true;
        SeedRandom(11);
        SetSetting("Debug.AutoPlay", "true");
        ServiceManager->MarshalInstruction("Recorder.nothing");
        recorder = dynamic_cast<TRecorderService*>(ServiceManager->Running("RECORDER"));
        ASSERT_NE(recorder, nullptr);
        recorder->clock = [this] { return uint32_t(now / 1000000ull); };
    }
    void TearDown() override
    {
        TableScreens::TearDown();
        plat::os::SetMessageBoxHandler(nullptr);
    }
    // One frame of the program at the fixture's frame time. Long frames are
    // painted: unpainted, the table's animations count a frame as 1 ms and
    // would lag the replay's clock as the program's never do (painting every
    // frame is too slow to do always).
    void Step()
    {
        paintFrames = paint || frameMs >= 100;
        TableScreens::Step(int32_t(frameMs));
    }
    // Loads what was saved, with another game in between as another start
    // would have, and starts its replay.
    void StartReplay(bool autoPlay)
    {
        SetSetting("Debug.AutoPlay", autoPlay ? "true" : "false");
        SeedRandom(12345);
        recorder->Execute("CLEAR");
        recorder->Execute("LOAD");
        recorder->Execute("REPLAY");
        EXPECT_EQ(CurrentId(), STATE_GAME);
        EXPECT_EQ(StateEngine->Depth(), 2) << "the menu stays under the replayed game";
    }
    // Runs the replay to its end; the frames it took.
    int32_t RunReplay()
    {
        int32_t frames = 0;
        for (; frames < 200000 && recorder->Mode() == 2; ++frames) Step();
        EXPECT_EQ(recorder->Mode(), 0) << "the replay stopped at screen " << CurrentId();
        return frames;
    }
    void Replay(bool autoPlay)
    {
        StartReplay(autoPlay);
        RunReplay();
        EXPECT_TRUE(EngineFixture::Logged("Replay complete!"));  // the whole line
    }
    // The computer's first hand from a new game recorded and saved.
    void RecordTheFirstHand()
    {
        recorder->Execute("START");
        Command(5);  // "Start New Game"
        PlayTheFirstHand();
        StateEngine->PopUntil(STATE_MENU);
        Step();
        recorder->Execute("SAVE");
    }
    // Steps until the first hand is scored.
    void PlayTheFirstHand()
    {
        for (int32_t i = 0; i < 100000 && (Session->Score(1) == 0 && Session->Score(2) == 0); ++i) Step();
        ASSERT_TRUE(Session->Score(1) != 0 || Session->Score(2) != 0) << "the first hand did not end";
    }
    // What the table holds: scores, the cards of every seat and the deck.
    std::string Table() const
    {
        const TSession& s = *Session;
        std::string text = std::to_string(s.Score(1)) + ":" + std::to_string(s.Score(2)) + "|" + s.Deck().ToText();
        for (TSeat seat = 1; seat <= 4; ++seat) text += "|" + s.HandOf(seat).ToText();
        return text;
    }

    uint32_t frameMs = 16;
    bool paint = false;  // every frame painted, as the program paints them
    TRecorderService* recorder = nullptr;
    std::vector<std::string> boxes;  // message boxes stay off the screen
};

// The local seat is played by the computer (AutoPlay) or left to a player
// who does nothing; in both the recording alone moves it in the replay.
TEST_P(RecorderReplay, AReplayedHandEndsWithTheRecordedDealAndScores)
{
    const bool autoPlayInReplay = GetParam();
    recorder->Execute("START");
    StateEngine->Current()->HandleEvent(5);  // "Start New Game"
    // The first hand to its end and the next one dealt.
    int32_t i = 0;
    for (; i < 100000 && (Session->Score(1) == 0 && Session->Score(2) == 0); ++i) Step();
    for (; i < 100000 && CurrentId() != STATE_BIDDING; ++i) Step();
    ASSERT_EQ(CurrentId(), STATE_BIDDING) << "the first hand did not end";
    StateEngine->PopUntil(STATE_MENU);
    Step();
    const std::string recorded = Table();
    recorder->Execute("SAVE");
    ASSERT_TRUE(IsFile(recorder->FileName()));

    Replay(autoPlayInReplay);
    EXPECT_EQ(Table(), recorded);
    // Leaving the table leads back to the menu.
    StateEngine->PopUntil(STATE_MENU);
    EXPECT_EQ(CurrentId(), STATE_MENU);
}

// The player leaves the table while the next hand is being dealt (or just
// before its first card), as Escape does, quits and starts again; the replay
// runs at four times the frame time of the recording, at a quarter of it, and
// at frames longer than its own step, so that the screens get anything from
// one to a hundred frames between two replayed actions. Whatever the frame
// rate, the replay ends with the hands and scores the recording left.
TEST_P(RecorderReplay, AReplayEndsInTheRecordedStateAtAnyFrameRate)
{
    for (const int32_t dealt : {0, 1, 6}) {
        for (const uint32_t replayFrameMs : {64u, 4u, 600u}) {
            SCOPED_TRACE("left after " + std::to_string(dealt) + " cards, replayed at " +
                         std::to_string(replayFrameMs) + " ms a frame");
            frameMs = 16;
            SetSetting("Debug.AutoPlay", "true");
            recorder->Execute("CLEAR");
            recorder->Execute("START");
            StateEngine->PopUntil(STATE_MENU);
            StateEngine->Current()->HandleEvent(5);  // "Start New Game"
            if (CurrentId() == STATE_CONFIRM) StateEngine->Current()->HandleEvent(CONFIRM_OK);
            PlayTheFirstHand();
            for (int32_t i = 0; i < 100000 && !(Session->Status() == STATUS_DEALING && Session->Deck().Count() <= 43 - dealt);
                 ++i)
                Step();
            ASSERT_EQ(Session->Status(), STATUS_DEALING);
            for (int32_t k = 0; k < 10000 && CurrentId() != STATE_MENU; ++k) {
                if (StateEngine->Current()) StateEngine->Current()->HandleEvent(GUICMD_BACK);
                Step();
            }
            ASSERT_EQ(CurrentId(), STATE_MENU);
            Step();
            const std::string recorded = Table();
            recorder->Execute("SAVE");
            // The program quits, saving the game, and starts again with it.
            ASSERT_TRUE(Gameflow->SaveGame());
            Session->NewGame(1);
            Gameflow->LoadGame();
            frameMs = replayFrameMs;
            Replay(GetParam());
            EXPECT_EQ(Table(), recorded);
            StateEngine->PopUntil(STATE_MENU);
        }
    }
}

// The computer's first hand recorded, then replayed whole or with the first
// bid of a computer seat left out: without it the replay waits for the next
// seat's bid, which is never its turn. A stall at long frames ends on the
// replay's clock (30 s are 50 frames of 600 ms), at short frames on the
// frame count (1000 frames of 16 ms are 16 s); a replay the game follows ends
// complete. An ended replay leaves to the menu and gives the seats
// back, so the computer bids on in the game it left, and the recorder's
// commands still work.
TEST_P(RecorderReplay, AReplayTheGameCannotFollowEndsAndTheComputerPlaysOn)
{
    RecordTheFirstHand();
    const std::vector<uint8_t> whole(recorder->Buffer().Data(), recorder->Buffer().Data() + recorder->Buffer().Size());
    ASSERT_FALSE(whole.empty());
    std::vector<uint8_t> cut;
    TSeat left = 0;
    for (size_t at = 0; at < whole.size();) {
        const std::unique_ptr<TGovernAction> action =
            TSessionGovernor::DecodeGovernAction(std::vector<uint8_t>(whole.begin() + ptrdiff_t(at), whole.end()));
        ASSERT_NE(action, nullptr);
        const std::vector<uint8_t> bytes = action->SaveTo();
        at += bytes.size();
        if (!left && action->Type() == ACTION_BID && action->Seat() != Session->LocalSeat()) {
            left = action->Seat();
            continue;
        }
        cut.insert(cut.end(), bytes.begin(), bytes.end());
    }
    ASSERT_NE(left, 0);

    struct Case {
        const char* name;
        uint32_t frameMs;
        bool bidLeftOut;
        bool paint;
        const char* why;  // the end's log line; none for a replay that completes
    };
    const Case cases[] = {
        {"a stall at 600 ms a frame ends on the clock", 600, true, false, "no progress for 50 frames, 30000 ms"},
        {"a stall at 16 ms a frame ends on the frame count", 16, true, false, "no progress for 1000 frames, 16000 ms"},
        {"followed at 600 ms a frame", 600, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t>& file = c.bidLeftOut ? cut : whole;
        {
            std::ofstream out(recorder->FileName(), std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        }
        admin.clear();
        frameMs = c.frameMs;
        paint = c.paint;
        StartReplay(GetParam());
        RunReplay();
        if (!c.why) {
            EXPECT_TRUE(EngineFixture::Logged("Replay complete!"));  // the whole line
            EXPECT_FALSE(Logged("Replay ended"));
            StateEngine->PopUntil(STATE_MENU);
            paint = false;
            continue;
        }
        EXPECT_FALSE(Logged("Replay complete!"));
        EXPECT_TRUE(Logged(std::string("Replay ended: the game cannot follow the recording (") + c.why));
        EXPECT_EQ(CurrentId(), STATE_MENU);
        EXPECT_TRUE(Session->Governor().Authority());
        ASSERT_EQ(Session->Status(), STATUS_BIDDING);
        ASSERT_EQ(Session->Bidding().CurrentBidder(), left);
        // The player goes back to the table, and the seat the replay waited
        // for bids by itself.
        frameMs = 16;
        paint = false;
        Command(1);  // "Continue Game"
        for (int32_t i = 0; i < 5000 && Session->Status() == STATUS_BIDDING && Session->Bidding().CurrentBidder() == left; ++i)
            Step();
        EXPECT_TRUE(Session->Status() != STATUS_BIDDING || Session->Bidding().CurrentBidder() != left)
            << "the computer did not play on";
        StateEngine->PopUntil(STATE_MENU);
        recorder->Execute("CLEAR");
        EXPECT_EQ(recorder->Buffer().Size(), 0);
        recorder->Execute("LOAD");
        EXPECT_EQ(recorder->Buffer().Size(), int32_t(cut.size()));
        recorder->Execute("START");
        EXPECT_EQ(recorder->Mode(), 1);
        recorder->Execute("CLEAR");
    }
}

// A player who leaves a replay for the menu, and stays there longer than the
// stall limits, holds it, not stalls it: "Continue Game" takes it on to its
// end.
TEST_P(RecorderReplay, AReplayThePlayerHoldsAtTheMenuIsNoStall)
{
    RecordTheFirstHand();
    frameMs = 16;
    StartReplay(GetParam());
    for (int32_t i = 0; i < 200 && recorder->Mode() == 2; ++i) Step();
    ASSERT_EQ(recorder->Mode(), 2) << "the replay ended before the player left it";
    StateEngine->PopUntil(STATE_MENU);
    for (int32_t i = 0; i < 2000; ++i) Step();  // 32 s, past both limits
    EXPECT_FALSE(Logged("Replay ended"));
    Command(1);  // "Continue Game"
    RunReplay();
    EXPECT_TRUE(EngineFixture::Logged("Replay complete!"));  // the whole line
    EXPECT_FALSE(Logged("Replay ended"));
}

INSTANTIATE_TEST_SUITE_P(LocalSeat, RecorderReplay, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "AutoPlay" : "Player"; });

}  // namespace
