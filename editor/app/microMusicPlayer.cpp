#include "microMusicPlayer.h"

#include "coreGameDiagnostics.h"
#include "mgrSettings.h"
#include "qz7files.h"
#include "qz7text.h"

namespace {
const char* const kMusicFolder = "Assets\\Music\\";
}  // namespace

TMusicPlayerService::TMusicPlayerService() : TMicroService("TMusicPlayerService"), queue_(std::make_unique<TQZMusicQueue>())
{
    name = "MUSIC";
    queue_->SetShuffle(true);
    const int32_t volume = SettingInt("Audio.Music.Volume");
    queue_->SetVolume(volume);
    AdminLog("Music volume set to " + IntToString(volume));
    if (SettingBool("Audio.Music.Enabled")) {
        Scan();
        queue_->PlayNext();
    }
}

TMusicPlayerService::~TMusicPlayerService() = default;

void TMusicPlayerService::Execute(const std::string& arguments)
{
    const std::string what = LowerText(arguments);
    if (what == "list") {
        AdminLog("Listing available music...");
        Scan();
    } else if (what == "play") {
        if (queue_->IsPlaying()) return;
        Scan();
        queue_->PlayNext();
    } else if (what == "volume") {
        queue_->SetVolume(SettingInt("Audio.Music.Volume"));
    } else if (what == "stop") {
        if (queue_->IsPlaying()) queue_->Stop();
    }
}

void TMusicPlayerService::Scan()
{
    const bool wasPlaying = queue_->IsPlaying();
    queue_->Clear();
    for (const std::string& file : ListFiles(std::string(kMusicFolder) + "*.mp3", true, false, false))
        queue_->Add(kMusicFolder + file);
    if (wasPlaying) queue_->PlayNext();
}
