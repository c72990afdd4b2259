#include "sndMusic.h"

#include "sndOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace plat::sound {
namespace {

struct Piece {
    Mix_Music* music = nullptr;
    float volume = 1.0f;
    MusicEndHandler onEnd;
};

struct MusicState {
    std::map<MusicHandle, Piece> pieces;  // main thread
    MusicHandle next = 1;
    // The piece the mixer plays; the mixer's thread takes it when the piece
    // ends, a stop takes it first so that the halt it causes is no end.
    std::atomic<MusicHandle> playing{0};
    std::mutex handlerLock;  // the handlers, read on the mixer's thread
    std::map<MusicHandle, MusicEndHandler> handlers;
};

MusicState& M()
{
    static MusicState m;
    return m;
}

Piece* Find(MusicHandle h)
{
    auto it = M().pieces.find(h);
    return it == M().pieces.end() ? nullptr : &it->second;
}

// The mixer's thread (and a halt's caller): hands the notice on when the
// piece ended by itself.
void MusicFinished()
{
    MusicState& m = M();
    const MusicHandle ended = m.playing.exchange(0);
    if (!ended) return;
    MusicEndHandler handler;
    {
        std::lock_guard<std::mutex> g(m.handlerLock);
        auto it = m.handlers.find(ended);
        if (it != m.handlers.end()) handler = it->second;
    }
    if (handler) handler(ended);
}

void Halt(MusicHandle h)
{
    MusicState& m = M();
    MusicHandle expected = h;
    if (m.playing.compare_exchange_strong(expected, 0)) Mix_HaltMusic();
}

void ApplyVolume(const Piece& p)
{
    Mix_VolumeMusic(int(std::lround(std::clamp(p.volume, 0.0f, 1.0f) * MIX_MAX_VOLUME)));
}

}  // namespace

MusicHandle OpenMusic(const std::string& path)
{
    if (!DeviceOpen() || path.empty()) return 0;
    SetDeviceFreeHook(&FreeAllMusic);
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (!music) return 0;
    Mix_HookMusicFinished(&MusicFinished);
    MusicHandle h = M().next++;
    M().pieces[h].music = music;
    return h;
}

bool FreeMusic(MusicHandle music)
{
    Piece* p = Find(music);
    if (!p) return false;
    (void)SetMusicEndHandler(music, nullptr);  // the piece is known: cannot fail
    Halt(music);
    Mix_FreeMusic(p->music);
    M().pieces.erase(music);
    return true;
}

bool PlayMusic(MusicHandle music, bool loop)
{
    Piece* p = Find(music);
    if (!p) return false;
    Halt(M().playing.load());
    ApplyVolume(*p);
    // Marked before it starts: a piece shorter than one mixing step may end
    // before Mix_PlayMusic returns.
    M().playing.store(music);
    if (Mix_PlayMusic(p->music, loop ? -1 : 1) != 0) {
        M().playing.store(0);
        return false;
    }
    return true;
}

bool StopMusic(MusicHandle music)
{
    if (!Find(music)) return false;
    Halt(music);
    return true;
}

bool MusicPlaying(MusicHandle music)
{
    return Find(music) && M().playing.load() == music && Mix_PlayingMusic() != 0;
}

bool MusicValid(MusicHandle music) { return Find(music) != nullptr; }

bool SetMusicVolume(MusicHandle music, float volume)
{
    Piece* p = Find(music);
    if (!p) return false;
    p->volume = std::clamp(volume, 0.0f, 1.0f);
    if (M().playing.load() == music) ApplyVolume(*p);
    return true;
}

float MusicVolume(MusicHandle music)
{
    Piece* p = Find(music);
    return p ? p->volume : 0.0f;
}

bool SetMusicEndHandler(MusicHandle music, MusicEndHandler handler)
{
    if (!Find(music)) return false;
    std::lock_guard<std::mutex> g(M().handlerLock);
    if (handler) M().handlers[music] = std::move(handler);
    else M().handlers.erase(music);
    return true;
}

bool SimulateMusicEnd()
{
    MusicState& m = M();
    const MusicHandle h = m.playing.exchange(0);
    if (!h) return false;
    Mix_HaltMusic();  // silenced first: with nothing marked playing, no notice
    m.playing.store(h);
    std::thread mixer(&MusicFinished);
    mixer.join();
    return true;
}

void FreeAllMusic()
{
    std::vector<MusicHandle> all;
    for (const auto& [h, p] : M().pieces) all.push_back(h);
    for (MusicHandle h : all) (void)FreeMusic(h);  // each handle is known: cannot fail
}

}  // namespace plat::sound
