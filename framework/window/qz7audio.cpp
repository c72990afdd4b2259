#include "qz7audio.h"

#include "qz7files.h"
#include "osFiles.h"
#include "sndMusic.h"
#include "sndOutput.h"

#include <atomic>
#include <utility>

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
    (void)snd::FreeDevice();  // the device is open: it goes
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
    if (sample) (void)snd::FreeSample(sample);  // false only when the device took it already
}

int32_t TQZSound::Play(bool loop)
{
    if (!AudioReady()) return QZRES_FAILED;
    channel = snd::GetSampleChannel(sample);
    // A channel refused at the limit fails each step; PlayChannel reports it.
    (void)snd::SetChannelLoop(channel, loop);
    (void)snd::SetChannelVolume(channel, float(volume) / 100.0f);
    return snd::PlayChannel(channel, true) ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZSound::Stop()
{
    if (!AudioReady()) return QZRES_FAILED;
    (void)snd::StopChannel(channel);  // a channel taken over or gone plays nothing already
    return QZRES_OK;
}

void TQZSound::SetVolume(int32_t percent)
{
    volume = percent;
    (void)snd::SetChannelVolume(channel, float(percent) / 100.0f);  // kept for the next Play either way
}

// ---------------------------------------------------------------- music
// Shared with the mixer's end handler: the music object (main thread only)
// and the play it belongs to, so a late end can be told from a current one.
struct TQZMusic::Link {
    TQZMusic* music = nullptr;
    std::atomic<uint32_t> play{0};
};

std::unique_ptr<TQZMusic> TQZMusic::Create(const std::string& fileName)
{
    TQZAudio* audio = FrameworkStarted() ? AudioDevice() : nullptr;
    if (!audio || audio->CheckReady() != QZRES_OK) return nullptr;
    std::unique_ptr<TQZMusic> music(new TQZMusic());
    music->stream = snd::OpenMusic(plat::os::NativePath(fileName));
    if (!music->stream) return nullptr;
    music->link_ = std::make_shared<Link>();
    music->link_->music = music.get();
    return music;
}

TQZMusic::~TQZMusic()
{
    if (link_) link_->music = nullptr;
    if (stream) (void)snd::FreeMusic(stream);  // false only when the device took it already
}

void TQZMusic::SetEndCallback(TQZMusicEndEvent method)
{
    onEnd_ = method;
    if (method && !endSync_) {
        // Runs on the mixer's thread: nothing here but the hand-over.
        std::shared_ptr<Link> link = link_;
        endSync_ = snd::SetMusicEndHandler(stream, [link](snd::MusicHandle) {
            const uint32_t play = link->play.load();
            QueueForMainThread([link, play] {
                if (link->music && link->play.load() == play) link->music->EndReached();
            });
        });
    } else if (!method && endSync_) {
        (void)snd::SetMusicEndHandler(stream, nullptr);  // a stream gone has no handler left
        endSync_ = false;
    }
}

void TQZMusic::EndReached()
{
    // The method may free this object: nothing of it is touched afterwards.
    if (onEnd_) onEnd_(this);
}

int32_t TQZMusic::Play(bool loop)
{
    TQZAudio* audio = FrameworkStarted() ? AudioDevice() : nullptr;
    if (!audio) return QZRES_AUDIO_NOLIBRARY;
    if (int32_t r = audio->CheckReady(); r != QZRES_OK) return r;
    ++link_->play;
    return snd::PlayMusic(stream, loop) ? QZRES_OK : QZRES_FAILED;
}

int32_t TQZMusic::Stop()
{
    TQZAudio* audio = FrameworkStarted() ? AudioDevice() : nullptr;
    if (!audio) return QZRES_AUDIO_NOLIBRARY;
    if (int32_t r = audio->CheckReady(); r != QZRES_OK) return r;
    ++link_->play;  // an end already on its way is no longer this play's
    return snd::StopMusic(stream) ? QZRES_OK : QZRES_FAILED;
}

void TQZMusic::SetVolume(int32_t percent)
{
    (void)snd::SetMusicVolume(stream, float(percent) / 100.0f);  // no stream, nothing to set
}

bool TQZMusic::Playing() const { return snd::MusicPlaying(stream); }

int32_t LoadMusic(const std::string& fileName, std::unique_ptr<TQZMusic>& music)
{
    music.reset();
    if (fileName.empty()) return QZRES_BADARG;
    if (!IsFile(fileName)) return QZRES_NOFILE;
    TQZAudio* audio = FrameworkStarted() ? AudioDevice() : nullptr;
    if (!audio) return QZRES_AUDIO_NOLIBRARY;
    if (int32_t r = audio->CheckReady(); r != QZRES_OK) return r;
    music = TQZMusic::Create(fileName);
    return music ? QZRES_OK : QZRES_FAILED;
}

TQZMusicQueue::TQZMusicQueue() : random_([](uint32_t n) { return RandomInt(n); }) {}

TQZMusicQueue::~TQZMusicQueue()
{
    Stop();
}

void TQZMusicQueue::Add(const std::string& fileName) { items_.push_back(fileName); }

void TQZMusicQueue::Clear()
{
    Stop();
    items_.clear();
}

void TQZMusicQueue::PlayNext()
{
    if (items_.empty()) return;
    current_.reset();
    const int32_t count = int32_t(items_.size());
    position_ = position_ + 1 >= count ? 0 : position_ + 1;
    if (position_ == 0 && shuffle_) {
        for (int32_t i = 0; i < count; ++i) {
            const int32_t j = int32_t(random_(uint32_t(count)) % uint32_t(count));
            if (j != i) std::swap(items_[size_t(i)], items_[size_t(j)]);
        }
    }
    std::unique_ptr<TQZMusic> music;
    if (LoadMusic(items_[size_t(position_)], music) != QZRES_OK) return;
    music->SetVolume(volume_);
    music->SetEndCallback(MakeMethod<&TQZMusicQueue::MusicEnded>(this));
    current_ = std::move(music);
    (void)current_->Play(false);  // a piece that will not start just stays silent
}

void TQZMusicQueue::MusicEnded(TQZMusic* music)
{
    // Only the current piece moves the list on.
    if (music == current_.get()) PlayNext();
}

void TQZMusicQueue::SetVolume(int32_t percent)
{
    volume_ = percent;
    if (current_) current_->SetVolume(percent);
}

void TQZMusicQueue::Stop()
{
    if (!current_) return;
    (void)current_->Stop();
    current_.reset();
}
