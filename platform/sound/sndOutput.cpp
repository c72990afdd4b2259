#include "sndOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace plat::sound {
namespace {

struct Sample {
    Mix_Chunk* chunk = nullptr;
    int32_t maxPlaybacks = 1;
    uint32_t flags = 0;
    double lengthNs = 0;
};

struct Channel {
    SampleHandle sample = 0;
    int mix = -1;           // the mixer channel it holds
    uint64_t serial = 0;    // order of taking, to break ties
    bool loop = false;
    float volume = 1.0f;
    bool started = false;
    bool stopped = false;
    uint64_t startNs = 0;
};

struct State {
    bool library = false;
    bool device = false;
    bool muted = false;
    int32_t deviceNumber = -1;
    int frequency = 0, channels = 0;
    uint16_t format = 0;
    std::map<SampleHandle, Sample> samples;
    std::map<ChannelHandle, Channel> channelMap;
    std::vector<ChannelHandle> mixOwner;  // per mixer channel
    uint32_t nextSample = 1, nextChannel = 1;
    uint64_t serial = 0;
};

State& S()
{
    static State s;
    return s;
}

std::function<void()>& DeviceFreeHook()
{
    static std::function<void()> hook;
    return hook;
}

uint64_t NowNs()
{
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

int OpenMixer(int rate, const char* name)
{
    return Mix_OpenAudioDevice(rate, MIX_DEFAULT_FORMAT, 2, 1024, name, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
}

Channel* Find(ChannelHandle h)
{
    auto it = S().channelMap.find(h);
    return it == S().channelMap.end() ? nullptr : &it->second;
}

// Taken and not yet played, or playing.
bool Busy(const Channel& c)
{
    return c.started ? Mix_Playing(c.mix) != 0 : !c.stopped;
}

// How far a playback has come: what the takeover rule compares.
double Position(const Channel& c, const Sample& s)
{
    if (!c.started) return -1;
    double elapsed = double(NowNs() - c.startNs);
    if (c.loop && s.lengthNs > 0) elapsed = std::fmod(elapsed, s.lengthNs);
    return std::min(elapsed, s.lengthNs);
}

void Drop(ChannelHandle h)
{
    State& s = S();
    auto it = s.channelMap.find(h);
    if (it == s.channelMap.end()) return;
    int mix = it->second.mix;
    if (mix >= 0 && size_t(mix) < s.mixOwner.size() && s.mixOwner[size_t(mix)] == h) {
        Mix_HaltChannel(mix);
        s.mixOwner[size_t(mix)] = 0;
    }
    s.channelMap.erase(it);
}

// A mixer channel nobody plays on, growing the mixer when all are taken.
int FreeMix()
{
    State& s = S();
    for (size_t i = 0; i < s.mixOwner.size(); ++i) {
        ChannelHandle owner = s.mixOwner[i];
        Channel* c = Find(owner);
        if (!c) return int(i);
        if (!Busy(*c)) {
            s.channelMap.erase(owner);  // a finished playback gives its channel back
            s.mixOwner[i] = 0;
            return int(i);
        }
    }
    size_t old = s.mixOwner.size();
    size_t grown = std::max<size_t>(16, old * 2);
    if (Mix_AllocateChannels(int(grown)) != int(grown)) return -1;
    s.mixOwner.resize(grown, 0);
    return int(old);
}

ChannelHandle Take(SampleHandle sample, int mix)
{
    State& s = S();
    ChannelHandle h = s.nextChannel++;
    Channel c;
    c.sample = sample;
    c.mix = mix;
    c.serial = ++s.serial;
    s.channelMap[h] = c;
    s.mixOwner[size_t(mix)] = h;
    return h;
}

}  // namespace

bool OpenLibrary()
{
    State& s = S();
    if (s.library) return true;
    // Tests and headless runs never reach for a sound card: SDL's silent
    // driver stands in, unless a driver was chosen explicitly.
    for (const char* name : {"VANTOREL_HEADLESS", "VQ_TEST"}) {
        const char* value = std::getenv(name);
        if (value && *value && std::string(value) != "0") SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // A driver alone is not enough: some device must open, else no sound.
    if (OpenMixer(44100, nullptr) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_CloseAudio();
    s.library = true;
    return true;
}

void CloseLibrary()
{
    State& s = S();
    if (!s.library) return;
    (void)FreeDevice();  // false only when no device was open
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();  // SDL's own globals go with the last part
    // Handles are never given twice, so a stale one cannot hit a new sample.
    uint32_t nextSample = s.nextSample, nextChannel = s.nextChannel;
    s = State();
    s.nextSample = nextSample;
    s.nextChannel = nextChannel;
}

bool LibraryOpen() { return S().library; }

bool GetDeviceName(int32_t device, std::string& name)
{
    if (!S().library || device < 0) return false;
    if (device == 0) {
        name = "No sound";
        return true;
    }
    if (device == 1) {
        name = "Default";
        return true;
    }
    int n = SDL_GetNumAudioDevices(0);
    if (device - 2 >= n) return false;
    const char* text = SDL_GetAudioDeviceName(device - 2, 0);
    if (!text) return false;
    name = text;
    return true;
}

bool InitDevice(int32_t device, int32_t rate)
{
    State& s = S();
    if (!s.library || s.device || device < -1) return false;
    std::string name;
    if (device >= 2 && !GetDeviceName(device, name)) return false;
    if (OpenMixer(rate, device >= 2 ? name.c_str() : nullptr) != 0) return false;
    Mix_QuerySpec(&s.frequency, &s.format, &s.channels);
    s.mixOwner.assign(size_t(std::max(0, Mix_AllocateChannels(16))), 0);
    s.device = true;
    s.muted = device == 0;
    s.deviceNumber = device == -1 ? 1 : device;
    return true;
}

bool FreeDevice()
{
    State& s = S();
    if (!s.device) return false;
    if (DeviceFreeHook()) DeviceFreeHook()();
    Mix_HaltChannel(-1);
    for (auto& [h, sample] : s.samples) Mix_FreeChunk(sample.chunk);
    s.samples.clear();
    s.channelMap.clear();
    s.mixOwner.clear();
    Mix_CloseAudio();
    s.device = false;
    s.deviceNumber = -1;
    return true;
}

void SetDeviceFreeHook(std::function<void()> hook) { DeviceFreeHook() = std::move(hook); }

bool DeviceOpen() { return S().device; }
int32_t CurrentDevice() { return S().deviceNumber; }

SampleHandle LoadSample(const std::string& path, int32_t maxPlaybacks, uint32_t flags)
{
    State& s = S();
    if (!s.device || maxPlaybacks < 1) return 0;
    // The file is opened and closed here: the mixer does not close it when
    // it cannot tell the format.
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) return 0;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 0);
    SDL_RWclose(file);
    if (!chunk) return 0;
    Sample sample;
    sample.chunk = chunk;
    sample.maxPlaybacks = maxPlaybacks;
    sample.flags = flags;
    int frameBytes = int(SDL_AUDIO_BITSIZE(s.format) / 8) * s.channels;
    if (frameBytes > 0 && s.frequency > 0) {
        sample.lengthNs = double(chunk->alen) / frameBytes / s.frequency * 1e9;
    }
    SampleHandle h = s.nextSample++;
    s.samples[h] = sample;
    return h;
}

bool FreeSample(SampleHandle sample)
{
    State& s = S();
    auto it = s.samples.find(sample);
    if (it == s.samples.end()) return false;
    std::vector<ChannelHandle> gone;
    for (auto& [h, c] : s.channelMap) {
        if (c.sample == sample) gone.push_back(h);
    }
    for (ChannelHandle h : gone) Drop(h);
    Mix_FreeChunk(it->second.chunk);
    s.samples.erase(it);
    return true;
}

int32_t SamplePlaybacks(SampleHandle sample)
{
    int32_t n = 0;
    for (auto& [h, c] : S().channelMap) {
        if (c.sample == sample && Busy(c)) ++n;
    }
    return n;
}

ChannelHandle GetSampleChannel(SampleHandle sample)
{
    State& s = S();
    auto it = s.samples.find(sample);
    if (it == s.samples.end()) return 0;
    const Sample& smp = it->second;
    ChannelHandle furthest = 0;
    double best = -2;
    uint64_t bestSerial = 0;
    int32_t busy = 0;
    for (auto& [h, c] : s.channelMap) {
        if (c.sample != sample || !Busy(c)) continue;
        ++busy;
        double p = Position(c, smp);
        if (p > best || (p == best && c.serial < bestSerial)) {
            best = p;
            bestSerial = c.serial;
            furthest = h;
        }
    }
    if (busy < smp.maxPlaybacks) {
        int mix = FreeMix();
        return mix < 0 ? 0 : Take(sample, mix);
    }
    if (!(smp.flags & kSampleOverPosition) || !furthest) return 0;
    int mix = s.channelMap[furthest].mix;
    Drop(furthest);
    return Take(sample, mix);
}

bool SetChannelLoop(ChannelHandle channel, bool loop)
{
    Channel* c = Find(channel);
    if (!c) return false;
    c->loop = loop;  // the mixer takes it at the next start
    return true;
}

bool SetChannelVolume(ChannelHandle channel, float volume)
{
    Channel* c = Find(channel);
    if (!c) return false;
    c->volume = std::clamp(volume, 0.0f, 1.0f);
    if (c->started) Mix_Volume(c->mix, S().muted ? 0 : int(std::lround(c->volume * MIX_MAX_VOLUME)));
    return true;
}

float ChannelVolume(ChannelHandle channel)
{
    Channel* c = Find(channel);
    return c ? c->volume : 0.0f;
}

bool PlayChannel(ChannelHandle channel, bool restart)
{
    Channel* c = Find(channel);
    if (!c) return false;
    if (!restart && c->started && Mix_Playing(c->mix)) return true;
    const Sample& smp = S().samples[c->sample];
    Mix_Volume(c->mix, S().muted ? 0 : int(std::lround(c->volume * MIX_MAX_VOLUME)));
    if (Mix_PlayChannel(c->mix, smp.chunk, c->loop ? -1 : 0) < 0) return false;
    c->started = true;
    c->stopped = false;
    c->startNs = NowNs();
    return true;
}

bool StopChannel(ChannelHandle channel)
{
    Channel* c = Find(channel);
    if (!c) return false;
    if (c->started) Mix_HaltChannel(c->mix);
    c->started = false;
    c->stopped = true;  // its mixer channel is free for others from now on
    return true;
}

bool ChannelPlaying(ChannelHandle channel)
{
    Channel* c = Find(channel);
    return c && c->started && Mix_Playing(c->mix) != 0;
}

bool ChannelValid(ChannelHandle channel) { return Find(channel) != nullptr; }

}  // namespace plat::sound
