#include "microBenchmark.h"

#include "UITheme.h"
#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "qz7files.h"
#include "qz7sysinfo.h"
#include "qz7text.h"
#include "qz7timer.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {
constexpr float kSampleSeconds = 2.0f;
constexpr float kStageSeconds = 10.1f;
constexpr int32_t kLastStage = 7;

const char* StageDescription(int32_t stage)
{
    switch (stage) {
        case 1: return "\"About\" Page";
        case 2: return "Main Menu screen";
        case 3: return "Transitioning to bidding...";
        case 4: return "\"Bidding screen\"";
        case 5: return "Transitioning to game...";
        case 6: return "Main game board";
        default: return "";
    }
}

std::string Fixed4(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", double(value));
    return text;
}
}  // namespace

std::string BenchmarkTimeText()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, int(ms));
    return text;
}

TBenchmarkService::TBenchmarkService()
    : TMicroService("TBenchmarkService"), clock(SecondsSinceStart), wallClock(BenchmarkTimeText)
{
}

std::string TBenchmarkService::FileName() const { return UserFolder() + "benchmark.txt"; }

void TBenchmarkService::Execute(const std::string& arguments)
{
    if (UpperText(arguments) == "START") Start();
}

void TBenchmarkService::Start()
{
    const std::string header = "Benchmark - initiated " + wallClock() + "\r\n" + SystemInfo()->Summary() + "\r\n" +
                               "Version Vantorel Qar " + kProgramVersion + "\r\n" + "----------------\r\n";
    if (WriteTextFile(FileName(), header) != QZRES_OK) {
        AdminLog("Benchmark: unable to write " + FileName());
        return;
    }
    mode_ = 1;
    GoToStage(1);
}

// The file is small: a line is added by writing it anew.
void TBenchmarkService::Append(const std::string& line) const
{
    if (WriteTextFile(FileName(), ReadTextFile(FileName()) + line + "\r\n") != QZRES_OK)
        AdminLog("Benchmark: unable to write " + FileName());
}

void TBenchmarkService::GoToStage(int32_t stage)
{
    stage_ = stage;
    mode_ = 1;
    lastFrames_ = FrameCounter();
    lastSample_ = stageStart_ = clock();
    switch (stage) {
        case 1:
            if (StateEngine && StateEngine->CurrentId() != STATE_ABOUT) {
                StateEngine->PopUntil(STATE_MENU);
                (void)StateEngine->PushById(STATE_ABOUT, true);  // a refusal is logged inside; the benchmark runs without it
            }
            SetSetting("Speed.Deal", "100");
            SetSetting("Speed.Play", "100");
            SetSetting("Speed.Thinking", "50");
            break;
        case 2:
            if (StateEngine) StateEngine->PopUntil(STATE_MENU);
            break;
        case 3:
            if (StateEngine && StateEngine->Current()) StateEngine->Current()->HandleEvent(5);
            mode_ = 2;
            wait_ = 3.0f;
            break;
        case 5:
            mode_ = 2;
            wait_ = 5.0f;
            // Only while someone is to bid: the auction has no bidder otherwise.
            if (Session && Session->Status() == STATUS_BIDDING && IsSeat(Session->Bidding().CurrentBidder()))
                Session->Bidding().PlaceBid(MakeBid(SUIT_NOTRUMPS, 10), "");
            break;
        case kLastStage:
            Append("Benchmark Complete");
            SetTableCaption("Benchmark complete");
            AdminLog("Benchmark complete");
            stage_ = mode_ = 0;
            return;
        default: break;
    }
    const std::string caption =
        "Initiating benchmark stage " + std::to_string(stage) + " (" + StageDescription(stage) + ")";
    SetTableCaption(caption);
    if (mode_ == 1) AdminLog(" [" + std::to_string(stage) + "]: " + StageDescription(stage));
    Append(caption);
    average_ = 0;
}

void TBenchmarkService::Measure()
{
    const float now = clock();
    if (now - lastSample_ >= kSampleSeconds) {
        const int32_t frames = FrameCounter();
        const float fps = float(frames - lastFrames_) / (now - lastSample_);
        lastFrames_ = frames;
        lastSample_ = now;
        const std::string n = std::to_string(stage_);
        Append("STAGE[" + n + "] fps = " + Fixed4(fps));
        AdminLog("    [" + n + "] fps = " + Fixed4(fps));
        average_ = average_ == 0 ? fps : average_ * 0.8f + fps * 0.2f;
    }
    if (now - stageStart_ >= kStageSeconds) {
        const std::string n = std::to_string(stage_);
        Append("STAGE[" + n + "] average FPS = " + Fixed4(average_));
        AdminLog(" -[" + n + "] fps = " + Fixed4(average_));
        GoToStage(stage_ + 1);
    }
}

void TBenchmarkService::Tick()
{
    // The engine draws an idle screen a few times a second; a benchmark that
    // let it would measure that pause, not the drawing.
    if (mode_ != 0) UIRequestFrames();
    if (mode_ == 1) Measure();
    else if (mode_ == 2 && clock() - stageStart_ >= wait_) GoToStage(stage_ + 1);
}
