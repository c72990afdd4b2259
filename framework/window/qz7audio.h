// Audio output: the process-wide output device and loaded sound samples.
// Without a sound library (no device can be opened here) every operation
// answers "library not loaded" and the program runs silent.
#pragma once

#include "qz7core.h"

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
