#include "music/mci/SoundOutput.h"

#include "music/mci/SoundLibraries.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace tav::sound {

namespace {

enum class State { Closed, Open, Failed };

State g_state = State::Closed;

// The sources the audio thread mixes in. Never destroyed, so that the audio
// thread cannot meet a destroyed list whatever the order of the end.
struct Sources {
    std::mutex mutex;
    std::vector<MixSource*> list;
};

Sources& TheSources() {
    static Sources* const sources = new Sources;
    return *sources;
}

void SDLCALL PostMix(void*, Uint8* stream, int length) {
    Sources& sources = TheSources();
    std::lock_guard lock(sources.mutex);
    for (MixSource* source : sources.list) source->MixInto(reinterpret_cast<std::int16_t*>(stream), length / 2);
}

// At the end of the process the output is closed before any static object
// and any library goes away: SDL's audio thread would otherwise keep running
// the mixer callback, music decoders and sources while they are destroyed.
// Registered at the first open, it runs before the destructors of every
// object made earlier.
void CloseAtExit() { ShutdownAudio(); }

extern "C" void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints its configuration complaints straight to stderr (a machine with
// no sound card gets a screenful). SDL loads the library itself; loading it
// here first gives both the same instance, whose error handler is replaced.
void SilenceAlsa() {
    static bool done = false;
    if (done) return;
    done = true;
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&QuietAlsa);
}

}  // namespace

bool EnsureAudioOpen() {
    if (g_state != State::Closed) return g_state == State::Open;
    g_state = State::Failed;
    if (!SoundLibrariesAvailable()) return false;
    SilenceAlsa();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudioDevice(kOutputRate, AUDIO_S16SYS, kOutputChannels, 2048, nullptr, 0) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(8);
    Mix_ReserveChannels(kSystemSoundChannel + 1);
    Mix_SetPostMix(&PostMix, nullptr);
    static const bool closesAtExit = std::atexit(&CloseAtExit) == 0;
    (void)closesAtExit;
    g_state = State::Open;
    return true;
}

void ShutdownAudio() {
    if (g_state == State::Open) {
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    g_state = State::Closed;
}

void AddMixSource(MixSource* source) {
    Sources& sources = TheSources();
    std::lock_guard lock(sources.mutex);
    if (std::find(sources.list.begin(), sources.list.end(), source) == sources.list.end())
        sources.list.push_back(source);
}

void RemoveMixSource(MixSource* source) {
    Sources& sources = TheSources();
    std::lock_guard lock(sources.mutex);
    std::erase(sources.list, source);
}

SdlThreadScope::~SdlThreadScope() { SDL_TLSCleanup(); }

}  // namespace tav::sound
