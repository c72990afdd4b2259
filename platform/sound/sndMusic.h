// Music streams: one piece of music at a time streamed from a file (MP3,
// OGG, FLAC, WAV) through SDL_mixer's music channel, with a loop flag, a
// volume and a notice when a piece ends by itself. The notice comes on the
// mixer's thread: its handler must not call into this library, only hand
// the notice on (the framework posts it to the main thread). Stopping or
// freeing a piece gives no notice. Everything else: main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plat::sound {

using MusicHandle = uint32_t;  // 0 = none

// 0 when no device is open or the file cannot be opened as music.
MusicHandle OpenMusic(const std::string& path);
// Stops the piece when it plays; false for an unknown handle.
[[nodiscard]] bool FreeMusic(MusicHandle music);
// Starts the piece from its beginning; another piece playing stops (without
// a notice). With loop it starts again at its end and never ends by itself.
[[nodiscard]] bool PlayMusic(MusicHandle music, bool loop);
[[nodiscard]] bool StopMusic(MusicHandle music);
bool MusicPlaying(MusicHandle music);
bool MusicValid(MusicHandle music);
[[nodiscard]] bool SetMusicVolume(MusicHandle music, float volume);  // 0 .. 1
float MusicVolume(MusicHandle music);

// Called with the piece's handle on the mixer's thread when it ends by
// itself; an empty function removes the handler.
using MusicEndHandler = std::function<void(MusicHandle)>;
[[nodiscard]] bool SetMusicEndHandler(MusicHandle music, MusicEndHandler handler);

// Tests: the end of the playing piece as the mixer reports it, from a
// thread of its own (joined before returning); false when none plays.
bool SimulateMusicEnd();

// Every piece is freed with the device (sndOutput's FreeDevice, through
// the hook the first OpenMusic sets).
void FreeAllMusic();

}  // namespace plat::sound
