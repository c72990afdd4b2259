// Sound stand-in: an output device, samples with a limit of simultaneous
// playbacks, and channels that play them with loop and volume. Built on
// SDL_mixer. When no output device can be opened at all, the library counts
// as missing: OpenLibrary answers false and the caller runs silent.
// Main thread only; the mixer plays on its own thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat::sound {

using SampleHandle = uint32_t;   // 0 = none
using ChannelHandle = uint32_t;  // 0 = none

// Sample flags: a new playback beyond the limit takes over the one furthest
// along (without it, such a playback is refused).
inline constexpr uint32_t kSampleOverPosition = 0x20000;

// Probes for a device that can be opened; false = no sound on this machine.
[[nodiscard]] bool OpenLibrary();
void CloseLibrary();
bool LibraryOpen();

// Devices by number: 0 plays nothing, 1 is the system's default output,
// 2 and on are the outputs the system lists. False past the last.
[[nodiscard]] bool GetDeviceName(int32_t device, std::string& name);
// Opens a device (-1 = the default) at a sample rate; false when it cannot
// be opened or one is open already.
[[nodiscard]] bool InitDevice(int32_t device, int32_t rate);
// Closes the device; every sample and channel goes with it, and first what
// the hook below frees.
[[nodiscard]] bool FreeDevice();
// Runs at the start of every FreeDevice while a device is open: music
// streams (sndMusic) register their release here, so this module needs
// nothing of theirs.
void SetDeviceFreeHook(std::function<void()> hook);
bool DeviceOpen();
int32_t CurrentDevice();  // the device number in use, -1 none

// Loads a sound file (WAV, and what the mixer was built for).
SampleHandle LoadSample(const std::string& path, int32_t maxPlaybacks, uint32_t flags);
[[nodiscard]] bool FreeSample(SampleHandle sample);
// A channel for a new playback of the sample; 0 when the limit is reached
// and the sample may not take over.
ChannelHandle GetSampleChannel(SampleHandle sample);
// Playbacks of the sample that hold a channel (playing or about to).
int32_t SamplePlaybacks(SampleHandle sample);

[[nodiscard]] bool SetChannelLoop(ChannelHandle channel, bool loop);
[[nodiscard]] bool SetChannelVolume(ChannelHandle channel, float volume);  // 0 .. 1
float ChannelVolume(ChannelHandle channel);
[[nodiscard]] bool PlayChannel(ChannelHandle channel, bool restart);
[[nodiscard]] bool StopChannel(ChannelHandle channel);
bool ChannelPlaying(ChannelHandle channel);
// False once the channel was taken over or its sample or device went.
bool ChannelValid(ChannelHandle channel);

}  // namespace plat::sound
