// The game's services in the whole engine: the recorder, the benchmark and
// the tutorial, started by their instructions as the program starts them.
#include "shellfixture.h"

#include "UIButton.h"
#include "UILabel.h"
#include "UITable.h"
#include "UITheme.h"
#include "UITutorial.h"
#include "clShellLinks.h"
#include "microBenchmark.h"
#include "microGameRecorder.h"
#include "microTutorial.h"
#include "mgrGameflow.h"
#include "mgrServices.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "osDesktop.h"
#include "qz7files.h"
#include "qz7kvdata.h"
#include "stateConfirm.h"

#include <sstream>

namespace {

using shelltest::EngineFixture;

class TFixedScreen : public TScreenLink {
public:
    int32_t CurrentStateId() const override { return id; }
    int32_t id = 0;
};

// What the governor executed, in its byte form.
class TExecuted : public TQZClass {
public:
    void OnAction(TGovernAction* action) { bytes.push_back(action->SaveTo()); }
    std::vector<std::vector<uint8_t>> bytes;
};

std::string DeckText(uint64_t seed)
{
    SeedRandom(uint32_t(seed));
    TCardset deck;
    deck.FillDeck();
    deck.Shuffle();
    return deck.ToText();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class ServicesTest : public EngineFixture {
protected:
    TFixedScreen screen;
    TExecuted executed;
    uint32_t now = 1000;
    std::vector<std::string> warnings;

    void SetUp() override
    {
        EngineFixture::SetUp();
        plat::os::SetMessageBoxHandler([this](const plat::os::MessageBoxRequest& r) {
            warnings.push_back(r.text);
            return plat::os::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        if (Session) Session->Governor().RemoveListener(MakeMethod<&TExecuted::OnAction>(&executed));
        SetScreenLink(nullptr);
        plat::os::SetMessageBoxHandler(nullptr);
        EngineFixture::TearDown();
    }

    TRecorderService* Recorder()
    {
        ServiceManager->MarshalInstruction("Recorder.nothing");
        auto* recorder = dynamic_cast<TRecorderService*>(ServiceManager->Running("RECORDER"));
        if (recorder) recorder->clock = [this] { return now; };
        return recorder;
    }
    TTutorialService* Tutorial() const { return dynamic_cast<TTutorialService*>(ServiceManager->Running("TUTORIAL")); }
    // The benchmark, not started, on the test's clock of seconds.
    TBenchmarkService* Benchmark()
    {
        ServiceManager->MarshalInstruction("Benchmark.prepare");
        auto* bench = dynamic_cast<TBenchmarkService*>(ServiceManager->Running("BENCHMARK"));
        if (bench) bench->clock = [this] { return seconds; };
        return bench;
    }
    float seconds = 100;

    // The actions reach the queue as the screens hand them over.
    void Execute(std::unique_ptr<TGovernAction> action)
    {
        Session->Governor().Submit(std::move(action));
        Session->ProcessActions();
        Session->FinishMoves();
    }
    // A new game and its first deal, with the screen ids the actions wait for.
    void PlayOpening(const std::string& deck)
    {
        SetScreenLink(&screen);
        Execute(std::make_unique<TActionNewGame>(2));
        screen.id = STATE_GAME;
        Execute(std::make_unique<TActionNewHand>(deck));
    }
    // The deal in progress: the cards still to deal and those dealt.
    std::string Deal() const
    {
        std::string text = Session->Deck().ToText();
        for (TSeat s = 1; s <= 4; ++s) text += "|" + Session->HandOf(s).ToText();
        return text;
    }
    std::string Log() const { return ReadTextFile(UserFolder() + "log.txt"); }
};

// ---------------------------------------------------------------- recorder

TEST_F(ServicesTest, RecordingSavedLoadedAndReplayedRunsTheSameActionsAgain)
{
    TRecorderService* recorder = Recorder();
    ASSERT_NE(recorder, nullptr);
    recorder->Execute("start");
    PlayOpening(DeckText(7));
    Session->DealOutNow();  // as the deal's screen would
    const std::string dealt = Deal();
    recorder->Execute("SAVE");
    const std::string file = UserFolder() + "recording.dat";
    EXPECT_EQ(recorder->FileName(), file);
    EXPECT_EQ(file.rfind(home.Path(), 0), 0u) << "the recording stays in the per-user folder: " << file;
    const int64_t size = FileSizeOf(file);
    EXPECT_EQ(size, recorder->Position());
    EXPECT_TRUE(Logged("Recorder file saved to " + file + " (size " + std::to_string(size) + " bytes)"));

    recorder->Execute("CLEAR");
    Execute(std::make_unique<TActionNewGame>(1));  // a different game in between
    Execute(std::make_unique<TActionNewHand>(DeckText(8)));
    ASSERT_NE(Deal(), dealt);
    recorder->Execute("LOAD");
    EXPECT_EQ(recorder->Position(), size);
    Session->Governor().AddListener(MakeMethod<&TExecuted::OnAction>(&executed));
    recorder->Execute("REPLAY");
    EXPECT_FALSE(Session->Governor().Authority()) << "only the recording drives the game";
    // The replay completes once the cards are dealt: the screens deal them.
    for (int step = 0; step < 20 && recorder->Mode() == 2; ++step) {
        now += kReplayStepMs + 1;
        ServiceManager->Tick();
        Session->ProcessActions();
        Session->FinishMoves();
        if (recorder->Mode() == 0) {
            EXPECT_EQ(0, Session->CardsLeftToDeal()) << "step " << step;
        }
        if (step == 4) {
            EXPECT_EQ(recorder->Mode(), 2) << "every action is replayed, but the deal waits";
            Session->DealOutNow();
        }
    }
    EXPECT_EQ(recorder->Mode(), 0);
    EXPECT_TRUE(Logged("Replay complete!"));
    EXPECT_TRUE(Session->Governor().Authority());
    ASSERT_EQ(executed.bytes.size(), 2u);
    EXPECT_EQ(ACTION_NEWGAME, TSessionGovernor::DecodeGovernAction(executed.bytes[0])->Type());
    EXPECT_EQ(Deal(), dealt) << "the replayed deal is the recorded one";
}

TEST_F(ServicesTest, ARecordingAfterClearStartsAtTheBeginning)
{
    TRecorderService* recorder = Recorder();
    ASSERT_NE(recorder, nullptr);
    SetScreenLink(&screen);
    recorder->Execute("START");
    Execute(std::make_unique<TActionNewGame>(1));
    Execute(std::make_unique<TActionNewGame>(4));
    recorder->Execute("CLEAR");
    EXPECT_EQ(recorder->Position(), 0);
    recorder->Execute("START");
    Execute(std::make_unique<TActionNewGame>(3));
    recorder->Execute("SAVE");
    const std::string saved = ReadTextFile(recorder->FileName());
    const std::vector<uint8_t> expected = TActionNewGame(3).SaveTo();
    EXPECT_EQ(saved, std::string(expected.begin(), expected.end())) << "no gap of zeros before the new recording";
}

TEST_F(ServicesTest, RecorderEdgesLogAndLeaveFilesAlone)
{
    TRecorderService* recorder = Recorder();
    ASSERT_NE(recorder, nullptr);
    recorder->Execute("SAVE");
    EXPECT_FALSE(IsFile(recorder->FileName())) << "nothing recorded, nothing written";
    recorder->Execute("LOAD");
    EXPECT_TRUE(Logged("Recorder file loaded. (size 0 bytes)"));
    recorder->Execute("START");
    recorder->Execute("START");
    EXPECT_TRUE(Logged("Error: Recording already running!"));
    EXPECT_EQ(recorder->Mode(), 1);

    // A replay whose last action is cut short ends at the whole ones.
    SetScreenLink(&screen);
    Execute(std::make_unique<TActionNewGame>(1));
    Execute(std::make_unique<TActionNewGame>(2));
    recorder->Execute("SAVE");
    std::string bytes = ReadTextFile(recorder->FileName());
    bytes.pop_back();
    ASSERT_EQ(WriteTextFile(recorder->FileName(), bytes), QZRES_OK);
    recorder->Execute("CLEAR");
    recorder->Execute("LOAD");
    Session->Governor().AddListener(MakeMethod<&TExecuted::OnAction>(&executed));
    recorder->Execute("REPLAY");
    for (int step = 0; step < 10 && recorder->Mode() == 2; ++step) {
        now += kReplayStepMs + 1;
        ServiceManager->Tick();
        Session->ProcessActions();
    }
    EXPECT_EQ(recorder->Mode(), 0);
    EXPECT_EQ(executed.bytes.size(), 1u);
}

// ---------------------------------------------------------------- benchmark

TEST_F(ServicesTest, BenchmarkRunsItsStagesAndWritesItsFile)
{
    TBenchmarkService* bench = Benchmark();
    ASSERT_NE(bench, nullptr);
    EXPECT_EQ(bench->Stage(), 0) << "only START starts it";
    float& t = seconds;
    bench->wallClock = [] { return std::string("12:34:56.789"); };
    for (int run = 0; run < 2; ++run) {
        ServiceManager->MarshalInstruction("Benchmark.Start");
        EXPECT_EQ(CurrentId(), STATE_ABOUT);
        EXPECT_EQ(SettingInt("Speed.Deal"), 100);
        // 60 frames a second: 30 frames each half second.
        for (int frame = 0; frame < 400 && bench->Stage() != 0; ++frame) {
            t += 0.5f;
            SetFrameCounter(FrameCounter() + 30);
            ServiceManager->Tick();
            Frame();
        }
        EXPECT_EQ(bench->Stage(), 0);
    }
    const std::vector<std::string> lines = Lines(ReadTextFile(UserFolder() + "benchmark.txt"));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Benchmark - initiated 12:34:56.789") << "a second start writes the file anew";
    EXPECT_EQ(lines[2], "Version Vantorel Qar Version 1.90");
    EXPECT_EQ(lines[3], "----------------");
    EXPECT_EQ(lines[4], "Initiating benchmark stage 1 (\"About\" Page)");
    EXPECT_EQ(lines[5], "STAGE[1] fps = 60.0000");
    for (const char* line : {"STAGE[1] average FPS = 60.0000", "Initiating benchmark stage 2 (Main Menu screen)",
                             "Initiating benchmark stage 3 (Transitioning to bidding...)", "STAGE[6] fps = 60.0000",
                             "STAGE[6] average FPS = 60.0000"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Benchmark - initiated 12:34:56.789"), 1);
    EXPECT_EQ(lines.back(), "Benchmark Complete");
    EXPECT_EQ(engine->Table()->status, "Benchmark complete");
}

// The running average starts at the first sample and then keeps four fifths
// of itself and takes a fifth of each new one.
TEST_F(ServicesTest, BenchmarkAverageWeighsOldAndNewAsFourToOne)
{
    TBenchmarkService* bench = Benchmark();
    ASSERT_NE(bench, nullptr);
    float& t = seconds;
    ServiceManager->MarshalInstruction("Benchmark.Start");
    // A sample each two seconds: 60, 30, 30, 90, 60 and 120 frames a second.
    for (const int32_t fps : {60, 30, 30, 90, 60, 120}) {
        ASSERT_EQ(bench->Stage(), 1);
        t += 2.0f;
        SetFrameCounter(FrameCounter() + 2 * fps);
        ServiceManager->Tick();
    }
    EXPECT_EQ(bench->Stage(), 2) << "stage 1 ends after its sixth sample";
    const std::vector<std::string> lines = Lines(ReadTextFile(UserFolder() + "benchmark.txt"));
    // 60; 54; 49.2; 57.36; 57.888; 70.3104
    EXPECT_NE(std::find(lines.begin(), lines.end(), "STAGE[1] average FPS = 70.3104"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "STAGE[1] fps = 120.0000"), lines.end());
}

TEST_F(ServicesTest, ARunningBenchmarkKeepsTheFramesAtTheFullRate)
{
    TBenchmarkService* bench = Benchmark();
    ASSERT_NE(bench, nullptr);
    float& t = seconds;
    // Each service tick alone: whether it asked the engine for the next frame.
    auto asks = [] {
        (void)UITakeFrameRequest();
        ServiceManager->Tick();
        return UITakeFrameRequest();
    };
    EXPECT_FALSE(asks()) << "not started";
    ServiceManager->MarshalInstruction("Benchmark.Start");
    for (int frame = 0; frame < 400 && bench->Stage() != 0; ++frame) {
        const int32_t stage = bench->Stage();
        t += 0.5f;
        SetFrameCounter(FrameCounter() + 30);
        ASSERT_TRUE(asks()) << "stage " << stage;
        Frame();
    }
    EXPECT_EQ(bench->Stage(), 0);
    EXPECT_FALSE(asks()) << "finished";
}

// ---------------------------------------------------------------- tutorial

TEST_F(ServicesTest, TheFirstMenuShowsTheWelcomePageWhateverTheCaseOfItsId)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    ASSERT_TRUE(tutorial->WindowShown()) << "the menu triggers \"welcome\"; the window was made for \"Welcome\"";
    EXPECT_EQ(tutorial->Window()->Page().page, 1);
    EXPECT_EQ(tutorial->Window()->TitleLabel()->Caption(), "Welcome to Vantorel Qar");
    EXPECT_EQ(tutorial->Window()->GotItButton()->Caption(), "Next");
    EXPECT_FALSE(tutorial->Window()->PrevButton()->IsEnabled());
    EXPECT_TRUE(tutorial->Window()->HasImage());
    for (const char* id : {"welcome", "Welcome", "WELCOME", "wElCoMe"})
        EXPECT_EQ(tutorial->GetPage(id, 1).title, "Welcome to Vantorel Qar") << id;
    EXPECT_TRUE(tutorial->PageExists("Bidding", 2));
    EXPECT_FALSE(tutorial->PageExists("bidding", 3));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(ServicesTest, SeenPagesAreRememberedAndSaved)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    tutorial->Window()->HandleCommand(nullptr, UITUTORIAL_GOTIT);  // "Next": page 1 seen, page 2 shown
    EXPECT_EQ(tutorial->Window()->Page().page, 2);
    EXPECT_EQ(SettingInt("Tutorials.welcome"), 1);
    tutorial->Window()->HandleCommand(nullptr, UITUTORIAL_NEXT);  // page 2 of 3 seen, page 3 shown
    EXPECT_EQ(tutorial->Window()->Page().page, 3);
    EXPECT_EQ(tutorial->Window()->GotItButton()->Caption(), "OK");
    tutorial->Window()->HandleCommand(nullptr, UITUTORIAL_GOTIT);  // "OK"
    EXPECT_FALSE(tutorial->WindowShown());
    EXPECT_EQ(SettingInt("Tutorials.Welcome"), 3);
    ASSERT_TRUE(SettingsManager->SaveSettings());
    EXPECT_NE(ReadTextFile(UserFolder() + "Settings.txt").find("Tutorials.Welcome=\"3\""), std::string::npos);

    // Seen pages stay hidden; a reset shows them again.
    TutorialTrigger("welcome", 1);
    EXPECT_FALSE(tutorial->WindowShown());
    ServiceManager->MarshalInstruction("tutorial.reset");
    EXPECT_EQ(SettingText("Tutorials.Welcome"), "");
    TutorialTrigger("welcome", 1);
    EXPECT_TRUE(tutorial->WindowShown());
}

// "Tutorials.X" is the last page of X seen: that page and those before it
// are not shown again by PAGEIFNEW, the next one is.
TEST_F(ServicesTest, ShowIfNewSkipsThePagesUpToTheOneSeen)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    const struct {
        const char* seen;
        int32_t page;
        bool shown;
    } cases[] = {{"", 1, true}, {"0", 1, true}, {"1", 1, false}, {"2", 1, false}, {"1", 2, true}, {"2", 2, false}};
    for (const auto& c : cases) {
        tutorial->Execute("OK");
        ASSERT_FALSE(tutorial->WindowShown());
        SetSetting("Tutorials.bidding", c.seen);
        tutorial->Execute("PAGEIFNEW bidding " + std::to_string(c.page));
        EXPECT_EQ(c.shown, tutorial->WindowShown()) << "seen \"" << c.seen << "\", page " << c.page;
        tutorial->Execute("OFF");
    }
}

TEST_F(ServicesTest, TutorialInstructionsFollowTheirRules)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    tutorial->Execute("OK");
    // A trigger while a page shows is ignored.
    tutorial->Execute("PAGE bidding 0");
    EXPECT_EQ(tutorial->Window()->Page().id, "bidding");
    EXPECT_EQ(tutorial->Window()->Page().page, 1) << "page 0 shows page 1";
    TutorialTrigger("kitty", 1);
    EXPECT_EQ(tutorial->Window()->Page().id, "bidding");
    tutorial->Execute("OFF");
    // The rules' triggers reach the window through the game flow.
    TutorialTrigger("Kitty", 1);
    ASSERT_TRUE(tutorial->WindowShown());
    EXPECT_EQ(tutorial->Window()->Page().title, "The kitty");
    tutorial->Execute("HIDE");
    EXPECT_FALSE(tutorial->WindowShown());
    EXPECT_FALSE(SettingBool("Tutorial.Enabled"));
    EXPECT_TRUE(Logged("Tutorials disabled. They can be re-enabled on the Game Options screeen."));
    TutorialTrigger("misere", 1);
    EXPECT_FALSE(tutorial->WindowShown()) << "switched off";
    ServiceManager->MarshalInstruction("Tutorial.On");
    EXPECT_TRUE(tutorial->WindowShown());
    // A confirmation question is never covered by a tutorial.
    ASSERT_TRUE(StateEngine->PushById(STATE_CONFIRM, true, CONFIRM_QUIT));
    ServiceManager->Tick();
    EXPECT_FALSE(tutorial->WindowShown());
}

TEST_F(ServicesTest, AMissingOrBrokenTutorialFileWarnsOnceAndShowsNothing)
{
    vqtest::WriteFile(home.File("cut.json"), "[ {\"ID\": \"welcome\", \"Page\": 1, \"Content\": \"Hel");
    const struct {
        std::string file;
        std::string warning;
    } cases[] = {
        {home.File("none.json"), "Error - file \"" + home.File("none.json") + "\" not found."},
        {home.File("cut.json"),
         "Error - file \"" + home.File("cut.json") + "\" is not a valid tutorial file; no tutorials are shown."},
    };
    for (const auto& c : cases) {
        warnings.clear();
        {
            TTutorialService service(c.file);
            EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
            EXPECT_NE(Log().find("WARNING: " + c.warning), std::string::npos);
            EXPECT_EQ(service.Pages().Count(), 0);
            service.Execute("PAGEIFNEW welcome 1");
            EXPECT_FALSE(service.WindowShown());
            service.Execute("PAGE welcome 1");
            EXPECT_EQ(warnings.back(), "Cannot find Tutorial reference: ID=\"welcome\", Page=1");
            service.Shutdown();
        }
    }
}

TEST_F(ServicesTest, TheTutorialWindowGoesWithTheTreeOrBeforeIt)
{
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    ASSERT_NE(tutorial->Window(), nullptr);
    // The engine frees its windows before the managers: the service hears of it.
    TGUIWindow::Free(tutorial->Window());
    EXPECT_EQ(tutorial->Window(), nullptr);
    tutorial->Execute("ON");
    tutorial->Tick();
}

}  // namespace

namespace {

// Show-if-new in the two builds: the editor's does not ask whether the
// tutorial has the page, and asks also while a page shows.
class TutorialVariantTest : public ServicesTest, public ::testing::WithParamInterface<bool> {
protected:
    TutorialVariantTest() { identity = GetParam() ? QZ_EDITOR_IDENTITY : "Vantorel Qar"; }
};

TEST_P(TutorialVariantTest, ShowIfNewFollowsTheBuild)
{
    const bool editor = GetParam();
    ASSERT_EQ(editor, EditorVariant());
    TTutorialService* tutorial = Tutorial();
    ASSERT_NE(tutorial, nullptr);
    tutorial->Execute("OK");
    ASSERT_FALSE(tutorial->WindowShown());
    tutorial->Execute("PAGEIFNEW nosuchtutorial 4");
    EXPECT_EQ(editor, tutorial->WindowShown()) << "a page the tutorial lacks";
    tutorial->Execute("OFF");

    tutorial->Execute("PAGE bidding 1");
    ASSERT_TRUE(tutorial->WindowShown());
    TutorialTrigger("kitty", 1);
    EXPECT_EQ(editor ? "kitty" : "bidding", tutorial->Window()->Page().id) << "a trigger while a page shows";
}

INSTANTIATE_TEST_SUITE_P(Builds, TutorialVariantTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Editor" : "Game"; });

}  // namespace
