// A hand played by the computer at the real screens, recorded, saved and
// replayed through the same screens: the replay deals the same cards and
// ends with the same scores, with nothing of the local seat's own.
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

#include <string>
#include <vector>

namespace {

using shelltest::EngineFixture;
using shelltest::TableScreens;

// The table-screen rig with the services' frame, the computer playing every
// seat, and the recorder on the rig's clock.
class RecorderReplay : public TableScreens, public ::testing::WithParamInterface<bool> {
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
    // One frame of the program: the screens, the services, the timers.
    void Step() { TableScreens::Step(int32_t(frameMs)); }
    // Replays what was saved, with another game in between as another start
    // would have, and runs it to its end.
    void Replay(bool autoPlay)
    {
        SetSetting("Debug.AutoPlay", autoPlay ? "true" : "false");
        SeedRandom(12345);
        recorder->Execute("CLEAR");
        recorder->Execute("LOAD");
        recorder->Execute("REPLAY");
        EXPECT_EQ(CurrentId(), STATE_GAME);
        EXPECT_EQ(StateEngine->Depth(), 2) << "the menu stays under the replayed game";
        for (int32_t j = 0; j < 200000 && recorder->Mode() == 2; ++j) Step();
        EXPECT_EQ(recorder->Mode(), 0) << "the replay stopped at screen " << CurrentId();
        EXPECT_TRUE(EngineFixture::Logged("Replay complete!"));
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

INSTANTIATE_TEST_SUITE_P(LocalSeat, RecorderReplay, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "AutoPlay" : "Player"; });

}  // namespace
