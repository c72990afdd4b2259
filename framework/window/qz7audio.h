// Audio output: the process-wide output device, loaded sound samples, and
// streamed music with a playlist. Without a sound library (no device can be
// opened here) every operation answers "library not loaded" and the
// program runs silent.
#pragma once

#include "qz7core.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TQZAudio : public TQZClassSingleton {
public:
    ~TQZAudio() override;
    void Initialise() override;

    void EnumerateDevices();
    // Device -1 is the system default; rates from 2000 to 250000 Hz.
    [[nodiscard]] int32_t InitDevice(int32_t device, int32_t sampleRate);
    int32_t FreeDevice();
    int32_t CheckReady() const;

    int32_t deviceCount = 0;
    std::vector<std::string> deviceNames;
    bool deviceOpen = false;
    bool deviceMuted = false;
    int32_t device = 0;
    int32_t reserved = 0;
    bool libraryLoaded = false;
};

TQZAudio* AudioDevice();

// The sound library binding: true once bound. Unloading answers whether a
// library was released.
bool LoadBassLibrary();
bool IsBassLoaded();
bool UnloadBassLibrary();

class TQZSound : public TQZClass {
public:
    // A sample from a file, playable this many times at once; nullptr when it
    // cannot be loaded.
    static std::unique_ptr<TQZSound> Create(const std::string& fileName, int32_t maxPlaybacks);
    ~TQZSound() override;

    int32_t Play(bool loop);
    int32_t Stop();
    void SetVolume(int32_t percent);

    uint32_t channel = 0;
    uint32_t sample = 0;
    int32_t volume = 100;

private:
    TQZSound() = default;
};

// A sound for the file when the device is ready and the file exists.
std::unique_ptr<TQZSound> LoadSound(const std::string& fileName);

// ---------------------------------------------------------------- music
class TQZMusic;
using TQZMusicEndEvent = TQZMethod<void(TQZMusic*)>;

// One piece of music streamed from a file.
class TQZMusic : public TQZClass {
public:
    // nullptr when the audio device reports an error or the file cannot be
    // streamed.
    static std::unique_ptr<TQZMusic> Create(const std::string& fileName);
    ~TQZMusic() override;

    // The method runs when the stream ends by itself. The end is heard on
    // the mixer's thread and posted to the main thread, where the method
    // runs; an end overtaken by Play, Stop or the object's end is dropped.
    // An empty method removes it.
    void SetEndCallback(TQZMusicEndEvent method);
    [[nodiscard]] int32_t Play(bool loop);
    [[nodiscard]] int32_t Stop();
    void SetVolume(int32_t percent);
    bool Playing() const;

    uint32_t stream = 0;

private:
    struct Link;
    TQZMusic() = default;
    void EndReached();

    std::shared_ptr<Link> link_;
    TQZMusicEndEvent onEnd_;
    bool endSync_ = false;
};

// 2 for an empty name, 4 for a missing file, the audio device's error when
// it has one; otherwise 0 with the music made, or 1 when it cannot be.
int32_t LoadMusic(const std::string& fileName, std::unique_ptr<TQZMusic>& music);

// A playlist played piece after piece, shuffled each time round when asked.
class TQZMusicQueue : public TQZClass {
public:
    TQZMusicQueue();
    ~TQZMusicQueue() override;

    void Add(const std::string& fileName);
    // Stops and empties the list.
    void Clear();
    // Frees the current piece and starts the next (wrapping round, the list
    // shuffled at its start); a piece that will not load leaves nothing
    // playing at that position.
    void PlayNext();
    bool IsPlaying() const { return current_ != nullptr; }
    void SetShuffle(bool shuffle) { shuffle_ = shuffle; }
    void SetVolume(int32_t percent);
    // Stops and frees the current piece.
    void Stop();

    // Where the shuffle draws from (0 .. n - 1); the process generator by default.
    void SetRandomSource(std::function<uint32_t(uint32_t)> source) { random_ = std::move(source); }
    const std::vector<std::string>& Items() const { return items_; }
    int32_t Position() const { return position_; }
    TQZMusic* Current() const { return current_.get(); }
    bool Shuffle() const { return shuffle_; }
    int32_t Volume() const { return volume_; }

private:
    void MusicEnded(TQZMusic* music);

    std::vector<std::string> items_;
    int32_t position_ = -1;
    std::unique_ptr<TQZMusic> current_;
    bool shuffle_ = false;
    int32_t volume_ = 100;
    std::function<uint32_t(uint32_t)> random_;
};
