#include "qz7audio.h"

#include "qz7files.h"
#include "osFiles.h"
#include "sndOutput.h"

namespace snd = plat::sound;

namespace {
bool bound = false;
}

bool LoadBassLibrary()
{
    bound = snd::OpenLibrary();
    return bound;
}

bool IsBassLoaded() { return bound; }

bool UnloadBassLibrary()
{
    if (!bound) return false;
    snd::CloseLibrary();
    bound = false;
    return true;
}

// ---------------------------------------------------------------- device
TQZAudio* AudioDevice()
{
    return GetInstance<TQZAudio>(QZSLOT_AUDIO);
}

void TQZAudio::Initialise()
{
    deviceNames.clear();
    deviceCount = 0;
    device = 0;
    reserved = 0;
    if (!IsBassLoaded()) LoadBassLibrary();
    libraryLoaded = IsBassLoaded();
    if (libraryLoaded) EnumerateDevices();
}

// Device 0 (no sound) is answered too, so the count is one less than the
// devices answered. Every answered name is kept, the last one included.
void TQZAudio::EnumerateDevices()
{
    deviceNames.clear();
    std::string name;
    int32_t answered = 0;
    while (snd::GetDeviceName(answered, name)) {
        deviceNames.push_back(name);
        ++answered;
    }
    deviceCount = answered - 1;
}

int32_t TQZAudio::InitDevice(int32_t wanted, int32_t sampleRate)
{
    if (sampleRate < 2000 || sampleRate > 250000 || wanted < -1 || wanted > deviceCount) {
        return ErrorResult(QZRES_BADARG);
    }
    if (!libraryLoaded) return ErrorResult(QZRES_AUDIO_NOLIBRARY);
    if (!snd::InitDevice(wanted, sampleRate)) return ErrorResult(QZRES_AUDIO_NOINIT);
    deviceOpen = true;
    device = snd::CurrentDevice();
    return QZRES_OK;
}

int32_t TQZAudio::FreeDevice()
{
    if (!libraryLoaded) return ErrorResult(QZRES_FAILED);
    if (!deviceOpen) return ErrorResult(QZRES_AUDIO_NODEVICE);
    snd::FreeDevice();
    deviceOpen = false;
    return QZRES_OK;
}

int32_t TQZAudio::CheckReady() const
{
    if (!libraryLoaded) return QZRES_AUDIO_NOLIBRARY;
    if (!deviceOpen) return QZRES_AUDIO_NODEVICE;
    return QZRES_OK;
}

TQZAudio::~TQZAudio()
{
    if (deviceOpen) FreeDevice();
    if (libraryLoaded) UnloadBassLibrary();
    deviceNames.clear();
}

// ---------------------------------------------------------------- sounds
namespace {
bool AudioReady()
{
    TQZAudio* audio = FrameworkStarted() ? AudioDevice() : nullptr;
    return audio && audio->CheckReady() == QZRES_OK;
}
}  // namespace

std::unique_ptr<TQZSound> LoadSound(const std::string& fileName)
{
    if (!AudioReady() || fileName.empty() || !IsFile(fileName)) return nullptr;
    return TQZSound::Create(fileName, 1);
}

std::unique_ptr<TQZSound> TQZSound::Create(const std::string& fileName, int32_t maxPlaybacks)
{
    std::unique_ptr<TQZSound> sound(new TQZSound());
    sound->sample = snd::LoadSample(plat::os::NativePath(fileName), maxPlaybacks, snd::kSampleOverPosition);
    if (!sound->sample) return nullptr;
    return sound;
}

TQZSound::~TQZSound()
{
    if (sample) snd::FreeSample(sample);
}

int32_t TQZSound::Play(bool loop)
{
    if (!AudioReady()) return QZRES_FAILED;
    channel = snd::GetSampleChannel(sample);
    snd::SetChannelLoop(channel, loop);
    snd::SetChannelVolume(channel, float(volume) / 100.0f);
    return snd::PlayChannel(channel, true) ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZSound::Stop()
{
    if (!AudioReady()) return QZRES_FAILED;
    snd::StopChannel(channel);
    return QZRES_OK;
}

void TQZSound::SetVolume(int32_t percent)
{
    volume = percent;
    snd::SetChannelVolume(channel, float(percent) / 100.0f);
}
