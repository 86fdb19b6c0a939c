#include "music/mci/Sound.h"

#include "music/mci/SoundOutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tav {

namespace {

Mix_Chunk* g_chunk = nullptr;

void StopSystemSound() {
    if (!g_chunk) return;
    // Once the output has closed (at the end of the process) the mixer has
    // no channels left, and halting one would touch freed memory.
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) Mix_HaltChannel(sound::kSystemSoundChannel);
    Mix_FreeChunk(g_chunk);
    g_chunk = nullptr;
}

}  // namespace

bool PlaySoundA(const char* sound, void*, std::uint32_t flags) {
    if (!sound) {
        StopSystemSound();
        return true;
    }
    if ((flags & (SND_MEMORY | SND_ALIAS)) != 0) return false;
    if ((flags & SND_LOOP) != 0 && (flags & SND_ASYNC) == 0) return false;
    if ((flags & SND_NOSTOP) != 0 && g_chunk && Mix_Playing(sound::kSystemSoundChannel)) return false;
    // A pipe or device would block the loader or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(sound, ec)) return false;
    if (!sound::EnsureAudioOpen()) return false;
    StopSystemSound();
    g_chunk = Mix_LoadWAV(sound);
    if (!g_chunk) return false;
    if (Mix_PlayChannel(sound::kSystemSoundChannel, g_chunk, (flags & SND_LOOP) != 0 ? -1 : 0) < 0) {
        StopSystemSound();
        return false;
    }
    if ((flags & SND_ASYNC) == 0) {
        while (Mix_Playing(sound::kSystemSoundChannel)) SDL_Delay(5);
        StopSystemSound();
    }
    return true;
}

std::uint32_t waveOutGetNumDevs() {
    if (!sound::EnsureAudioOpen()) return 0;
    return static_cast<std::uint32_t>(std::max(1, SDL_GetNumAudioDevices(0)));
}

}  // namespace tav
