#include "mgrAudio.h"

#include "coreGameDiagnostics.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "microService.h"
#include "qz7audio.h"
#include "qz7kvdata.h"

TAudio* Audio = nullptr;

namespace {
constexpr int32_t kDefaultDevice = -1;
constexpr int32_t kSampleRate = 44100;
}  // namespace

void RegisterAudioManager()
{
    RegisterManagerClass<TAudio, &Audio>(MGR_AUDIO, DomainBit(MGR_SETTINGS), "Audio Engine");
}

void TAudio::Initialize()
{
    SetGameSoundsReady([this] { return IsReady(); });
    failed_ = deviceOpen_ = enabled_ = false;
    StartDevice();
    if (Settings) {
        audioGroup_ = Settings->GetNode("Audio");
        audioGroup_->onChange = MakeMethod<&TAudio::OnAudioSettings>(this);
    }
    AddPostInitCall([this] { ApplySettings(); });
}

TAudio::~TAudio()
{
    SetGameSoundsReady(nullptr);
    if (deviceOpen_ && FrameworkStarted()) AudioDevice()->FreeDevice();
    if (audioGroup_ && Settings && Settings->FindNode("Audio") == audioGroup_ &&
        audioGroup_->onChange == MakeMethod<&TAudio::OnAudioSettings>(this))
        audioGroup_->onChange = {};
}

void TAudio::StartDevice()
{
    if (enabled_ || failed_) return;
    if (!deviceOpen_) {
        TQZAudio* device = FrameworkStarted() ? AudioDevice() : nullptr;
        if (!device || device->InitDevice(kDefaultDevice, kSampleRate) != QZRES_OK) {
            ShowWarning("Unable to initialize audio; sounds will not play");
            failed_ = true;
            return;
        }
        deviceOpen_ = true;
    }
    enabled_ = true;
    volume_ = volume2_ = 100;
}

void TAudio::PlaySound(int32_t id, bool loop)
{
    if (!enabled_ || SettingBool("Debug.AutoPlay")) return;
    if (SettingInt("Audio.Volume") == 0 || !SettingBool("Audio.Enabled")) return;
    // A sound that did not load is simply not heard.
    TQZSound* sound = Resources ? Resources->GetSound(id) : nullptr;
    if (!sound) return;
    sound->SetVolume(SettingInt("Audio.Volume"));
    sound->Play(loop);
}

void TAudio::StopSound(int32_t id)
{
    if (!enabled_) return;
    if (TQZSound* sound = Resources ? Resources->GetSound(id) : nullptr) sound->Stop();
}

void TAudio::ApplySettings()
{
    if (Settings) OnAudioSettings(Settings->GetNode("Audio"));
}

void TAudio::OnAudioSettings(TQZKeyValue*)
{
    const bool wanted = SettingBool("Audio.Enabled");
    if (wanted != enabled_) {
        if (wanted) StartDevice();
        else enabled_ = false;
    }
    if (enabled_) volume_ = SettingInt("Audio.Volume");
    ApplyMusicSettings();
}

void TAudio::ApplyMusicSettings()
{
    // A working device, not the sounds' switch: switching all audio off must
    // still reach the music to stop it.
    if (!deviceOpen_ || failed_) return;
    TMicroService* music = FindRunningService("MUSIC");
    if (!music) return;
    const bool on = SettingBool("Audio.Music.Enabled") && SettingBool("Audio.Enabled");
    music->Execute(on ? "play" : "stop");
    music->Execute("volume");
}
