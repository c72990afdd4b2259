// The game's sounds by id, following the "Audio" settings. The device opens
// at start-up whatever the settings say; switching sounds off leaves it open.
#pragma once

#include "coreManager.h"

class TQZKeyValue;

enum TSoundId : int32_t {
    SOUND_FIREWORK = 1,
    SOUND_CARDPLAY = 2,
    SOUND_TRICK = 3,
    SOUND_DEALING = 4,
    SOUND_BUTTON = 5,
    SOUND_ACHIEVE = 6,
    SOUND_ALERT = 7,
    SOUND_THUMP = 8,
};

class TAudio : public TManagerClass {
public:
    ~TAudio() override;
    void Initialize() override;

    void StartDevice();
    // Sounds are on and the device works: the resource manager loads sounds
    // only then.
    bool IsReady() const { return enabled_ && !failed_; }
    void PlaySound(int32_t id, bool loop);
    void StopSound(int32_t id);
    void ApplySettings();
    // Sends the running music service "music.play" or "music.stop" as
    // "Audio.Music.Enabled" and "Audio.Enabled" say, then "music.volume".
    void ApplyMusicSettings();
    // The change handler of the "Audio" settings group.
    void OnAudioSettings(TQZKeyValue* node);

    bool Failed() const { return failed_; }
    bool DeviceOpen() const { return deviceOpen_; }
    bool Enabled() const { return enabled_; }
    int32_t Volume() const { return volume_; }

private:
    bool failed_ = false;
    bool deviceOpen_ = false;
    bool enabled_ = false;
    int32_t volume_ = 100;
    int32_t volume2_ = 100;
    TQZKeyValue* audioGroup_ = nullptr;
};

extern TAudio* Audio;
void RegisterAudioManager();
