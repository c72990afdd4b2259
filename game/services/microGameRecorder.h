// The game recorder: records the game actions the governor executes, saves
// them to "recording.dat" in the per-user folder, loads them back and
// replays them through the governor with the computer opponents stopped.
// The replay waits for the game, not for the clock: an action goes in once
// the governor would take it, and the replay completes once the table has
// come to rest, so it ends in the recorded state at any frame rate. A game
// that cannot follow the recording (it stalls short of the recorded point)
// ends the replay: back to the menu, with the seats played as usual again.
#pragma once

#include "microService.h"
#include "qz7memory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TGovernAction;
class TSession;

constexpr const char* kRecordingFile = "recording.dat";
// Replayed actions are at least this far apart.
constexpr uint32_t kReplayStepMs = 500;
// A replay with no progress (no action taken or executed, no card dealt) for
// this long on its clock, or for this many frames, whichever comes first, on
// screens where the game moves by itself, is one the game cannot follow.
constexpr uint32_t kReplayStallMs = 30000;
constexpr int32_t kReplayStallFrames = 1000;

class TRecorderService : public TMicroService {
public:
    TRecorderService();
    ~TRecorderService() override;

    // "START", "CLEAR", "SAVE", "LOAD", "REPLAY" (the first word, any case).
    void Execute(const std::string& arguments) override;
    void Tick() override;
    void Shutdown() override;

    // Milliseconds; tests replace it.
    std::function<uint32_t()> clock;

    std::string FileName() const;
    int32_t Mode() const { return mode_; }  // 0 idle, 1 recording, 2 replaying
    int32_t Position() const { return position_; }
    const TQZMemory& Buffer() const { return buffer_; }

private:
    void OnActionExecuted(TGovernAction* action);
    void Record(const std::vector<uint8_t>& bytes);
    void Clear();
    void Save();
    void Load();
    void Replay();
    void ReplayStep();
    // Counts the frame toward the stall limits; true once either is reached.
    bool Stalled(uint32_t now);
    void EndStalledReplay(uint32_t now);
    // The action at the position, which then moves past it; nullptr at the
    // end or where the bytes hold no whole action.
    std::unique_ptr<TGovernAction> DecodeNext();

    int32_t mode_ = 0;
    int32_t position_ = 0;
    TQZMemory buffer_;
    std::unique_ptr<TGovernAction> pending_;
    uint32_t lastStep_ = 0;
    // Since the replay last moved on: its clock and its frames.
    uint32_t progressAt_ = 0;
    int32_t framesStill_ = 0;
    int32_t cardsLeftToDeal_ = 0;
    int32_t executed_ = 0;  // actions the governor ran during the replay
    int32_t executedSeen_ = 0;
    TSession* listening_ = nullptr;
};
