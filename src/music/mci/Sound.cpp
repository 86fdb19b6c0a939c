#include "music/mci/Sound.h"

#include "music/mci/SoundOutput.h"
#include "music/mci/WavStream.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace tav {

namespace {

// The sound playing, read from its file by a thread of its own.
std::unique_ptr<sound::WavStream> g_sound;

// How long a call waits for its file to open: a file that answers by then
// is played or refused at once, one on a share that does not answer plays
// when it comes in, and the caller goes on meanwhile.
constexpr std::chrono::milliseconds kOpenWait{100};

}  // namespace

bool PlaySoundA(const char* sound, void*, std::uint32_t flags) {
    if (!sound) {
        g_sound.reset();
        return true;
    }
    if ((flags & (SND_MEMORY | SND_ALIAS)) != 0) return false;
    if ((flags & SND_LOOP) != 0 && (flags & SND_ASYNC) == 0) return false;
    if ((flags & SND_NOSTOP) != 0 && g_sound && g_sound->Playing()) return false;
    if (!sound::EnsureAudioOpen()) return false;
    g_sound.reset();
    // A pipe, a device or a file that is not a WAV file is refused by the reader.
    g_sound = sound::WavStream::Start(sound, (flags & SND_LOOP) != 0, kOpenWait);
    if (!g_sound) return false;
    if ((flags & SND_ASYNC) == 0) {
        while (g_sound->Playing()) SDL_Delay(5);
        g_sound.reset();
    }
    return true;
}

std::uint32_t waveOutGetNumDevs() {
    if (!sound::EnsureAudioOpen()) return 0;
    return static_cast<std::uint32_t>(std::max(1, SDL_GetNumAudioDevices(0)));
}

}  // namespace tav
