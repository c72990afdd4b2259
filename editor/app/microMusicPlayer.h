// The music player service ("MUSIC"): every ".mp3" file of "Assets\Music"
// in a shuffled, endless playlist, run by the instructions "MUSIC.list",
// "MUSIC.play", "MUSIC.volume" and "MUSIC.stop".
#pragma once

#include "microService.h"
#include "qz7audio.h"

#include <memory>

class TMusicPlayerService : public TMicroService {
public:
    // Takes the volume from "Audio.Music.Volume" and, when
    // "Audio.Music.Enabled" is on, scans the folder and starts playing.
    TMusicPlayerService();
    ~TMusicPlayerService() override;

    void Execute(const std::string& arguments) override;
    // Lists the folder anew (stopping the music); plays on when it played.
    void Scan();
    TQZMusicQueue& Queue() { return *queue_; }

private:
    std::unique_ptr<TQZMusicQueue> queue_;
};
