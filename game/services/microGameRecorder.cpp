#include "microGameRecorder.h"

#include "coreGameDiagnostics.h"
#include "mgrGameflow.h"
#include "mgrSession.h"
#include "mgrSettings.h"
#include "mgrStates.h"
#include "qz7text.h"
#include "qz7timer.h"

#include <cctype>

namespace {
constexpr int32_t kGrowth = 4096;

// The screens deal and fly cards a frame at a time; what the recorded
// actions lead to is only reached once that is done, however slow the frames.
bool TableSettled(const TSession& s)
{
    if (s.MoveInProgress() || s.Governor().QueueLength() > 0) return false;
    // Nothing deals while the menu stands over the table.
    return s.CardsLeftToDeal() == 0 || !StateEngine || StateEngine->CurrentId() == STATE_MENU;
}

// Only where the game moves on by itself can a replay stall: a screen that
// waits for the player (the hand's result and its Continue, a question, the
// menu the player went back to) holds the replay on purpose.
bool GameMovesByItself()
{
    if (!StateEngine) return true;
    const int32_t id = StateEngine->CurrentId();
    return id == STATE_DEALING || id == STATE_BIDDING || id == STATE_KITTY || id == STATE_GAME;
}
}  // namespace

TRecorderService::TRecorderService() : TMicroService("TRecorderService"), clock(GetTickMS)
{
    if (Session) {
        listening_ = Session;
        Session->Governor().AddListener(MakeMethod<&TRecorderService::OnActionExecuted>(this));
    }
}

TRecorderService::~TRecorderService() { Shutdown(); }

void TRecorderService::Shutdown()
{
    // The session outlives the services, but a test may free it first.
    if (listening_ && listening_ == Session)
        listening_->Governor().RemoveListener(MakeMethod<&TRecorderService::OnActionExecuted>(this));
    listening_ = nullptr;
}

std::string TRecorderService::FileName() const { return UserFolder() + kRecordingFile; }

void TRecorderService::Execute(const std::string& arguments)
{
    const std::string word = UpperText(arguments.substr(0, arguments.find(' ')));
    if (word == "START") {
        if (mode_ == 1) {
            AdminLog("Error: Recording already running!");
            return;
        }
        AdminLog("START Game Recording!");
        mode_ = 1;
    } else if (word == "CLEAR") {
        Clear();
    } else if (word == "SAVE") {
        Save();
    } else if (word == "LOAD") {
        Load();
    } else if (word == "REPLAY") {
        Replay();
    }
}

void TRecorderService::OnActionExecuted(TGovernAction* action)
{
    if (mode_ == 1 && action) Record(action->SaveTo());
    if (mode_ == 2) ++executed_;
}

void TRecorderService::Record(const std::vector<uint8_t>& bytes)
{
    const int32_t needed = position_ + int32_t(bytes.size());
    if (needed > buffer_.Size()) {
        int32_t size = buffer_.Size();
        while (size < needed) size += kGrowth;
        if (buffer_.Resize(size) != QZRES_OK) {
            AdminLog("Recorder: out of memory, recording stopped");
            mode_ = 0;
            return;
        }
    }
    if (buffer_.Write(bytes.data(), int32_t(bytes.size()), position_) == QZRES_OK) position_ = needed;
}

// The write position goes back to the start with the bytes: a recording made
// after a clear begins at offset 0 and holds nothing of the one before.
void TRecorderService::Clear()
{
    mode_ = 0;
    buffer_.Clear();
    position_ = 0;
    pending_.reset();
}

void TRecorderService::Save()
{
    if (position_ <= 0) return;
    if (buffer_.Resize(position_) != QZRES_OK) return;
    const std::string file = FileName();
    if (buffer_.SaveToFile(file) != QZRES_OK) {
        AdminLog("Recorder file could not be saved to " + file);
        return;
    }
    AdminLog("Recorder file saved to " + file + " (size " + std::to_string(position_) + " bytes)");
}

void TRecorderService::Load()
{
    TQZMemory loaded;
    if (loaded.LoadFromFile(FileName()) != QZRES_OK) loaded.Clear();
    buffer_.Swap(loaded);
    pending_.reset();
    position_ = buffer_.Size();
    AdminLog("Recorder file loaded. (size " + std::to_string(position_) + " bytes)");
}

void TRecorderService::Replay()
{
    AdminLog("Replaying recording of size " + std::to_string(position_) + " bytes.");
    if (buffer_.Resize(position_) != QZRES_OK) return;
    position_ = 0;
    pending_.reset();
    mode_ = 2;
    lastStep_ = clock();
    progressAt_ = lastStep_;
    framesStill_ = 0;
    cardsLeftToDeal_ = -1;
    executed_ = executedSeen_ = 0;
    if (StateEngine) StateEngine->PopUntil(STATE_MENU);
    // Authority off first: the new game then starts no game of its own, and
    // only the replayed actions drive it.
    if (Session) Session->Governor().SetAuthority(false);
    // Over the menu, as a game the player starts: leaving the replayed game
    // goes back to it rather than ending the program.
    if (Gameflow) Gameflow->NewGame(true);
}

std::unique_ptr<TGovernAction> TRecorderService::DecodeNext()
{
    if (position_ >= buffer_.Size()) return nullptr;
    std::vector<uint8_t> rest(buffer_.Data() + position_, buffer_.Data() + buffer_.Size());
    std::unique_ptr<TGovernAction> action = TSessionGovernor::DecodeGovernAction(rest);
    if (action) position_ += int32_t(action->SaveTo().size());
    return action;
}

void TRecorderService::ReplayStep()
{
    if (!Session) return;
    const uint32_t now = clock();
    bool ended = false;
    if (Session->MoveInProgress()) {
        lastStep_ = now;
    } else if (now - lastStep_ > kReplayStepMs) {
        if (!pending_) {
            pending_ = DecodeNext();
            ended = pending_ == nullptr;
        }
        lastStep_ = now;
    }
    // Ready is not enough: an action the governor would not accept yet (a
    // discard before the kitty is in) is dropped as it is submitted. How
    // many frames the screens get between two steps depends on the frame
    // rate, so the replay waits for the game instead.
    bool moved = false;
    if (pending_ && pending_->IsReady(*Session) && pending_->Acceptable(*Session)) {
        AdminLog("[" + std::to_string(position_) + "] " + pending_->Describe(*Session));
        Session->Governor().Submit(std::move(pending_));
        moved = true;
    }
    if (ended && TableSettled(*Session)) {
        AdminLog("Replay complete!");
        mode_ = 0;
        Session->Governor().SetAuthority(true);
        return;
    }
    // Cards dealt and actions run count as the game moving on too: a deal
    // at long frames takes longer than the limit between two actions.
    if (executed_ != executedSeen_) {
        executedSeen_ = executed_;
        moved = true;
    }
    if (Session->CardsLeftToDeal() != cardsLeftToDeal_) {
        cardsLeftToDeal_ = Session->CardsLeftToDeal();
        moved = true;
    }
    if (!GameMovesByItself()) moved = true;
    if (moved) {
        progressAt_ = now;
        framesStill_ = 0;
    } else if (Stalled(now)) {
        EndStalledReplay(now);
    }
}

bool TRecorderService::Stalled(uint32_t now)
{
    ++framesStill_;
    return framesStill_ >= kReplayStallFrames || now - progressAt_ >= kReplayStallMs;
}

// The player gets the game back where it stopped, over the menu as after a
// replay that completed; the recorder's commands go on working.
void TRecorderService::EndStalledReplay(uint32_t now)
{
    std::string waiting = "the table to come to rest after the last recorded action";
    if (pending_) waiting = "[" + std::to_string(position_) + "] " + pending_->Describe(*Session);
    AdminLog("Replay ended: the game cannot follow the recording (no progress for " + std::to_string(framesStill_) +
             " frames, " + std::to_string(now - progressAt_) + " ms; waiting for " + waiting + ")");
    mode_ = 0;
    pending_.reset();
    if (StateEngine) StateEngine->PopUntil(STATE_MENU);
    Session->Governor().SetAuthority(true);
}

void TRecorderService::Tick()
{
    if (mode_ == 2) ReplayStep();
}
