#include "music/mci/SoundLibraries.h"

#include "base/LateLibrary.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace tav::sound {

namespace {

// The names are read from the library files the build found (cmake/LateLibraries.cmake).
LateLibrary& Sdl() {
    static LateLibrary library(TAVRELLE_SONAME_SDL2);
    return library;
}

LateLibrary& Mixer() {
    static LateLibrary library(TAVRELLE_SONAME_SDL2_MIXER);
    return library;
}

LateLibrary& Cdio() {
    static LateLibrary library(TAVRELLE_SONAME_CDIO);
    return library;
}

}  // namespace

bool SoundLibrariesAvailable() { return LateLibrary::AllAvailable({&Sdl(), &Mixer()}); }

bool DiscLibraryAvailable() { return LateLibrary::AllAvailable({&Cdio()}); }

}  // namespace tav::sound

// The functions the music layer calls, declared by the libraries' headers
// above: one whose type differs from the header's does not compile.
using tav::sound::Cdio;
using tav::sound::Mixer;
using tav::sound::Sdl;

extern "C" {

SDL_bool SDL_SetHint(const char* name, const char* value) { return TAV_REAL(Sdl(), SDL_SetHint)(name, value); }
int SDL_InitSubSystem(Uint32 flags) { return TAV_REAL(Sdl(), SDL_InitSubSystem)(flags); }
void SDL_QuitSubSystem(Uint32 flags) { return TAV_REAL(Sdl(), SDL_QuitSubSystem)(flags); }
void SDL_TLSCleanup(void) { return TAV_REAL(Sdl(), SDL_TLSCleanup)(); }
int SDL_AudioStreamAvailable(SDL_AudioStream* stream) { return TAV_REAL(Sdl(), SDL_AudioStreamAvailable)(stream); }
int SDL_AudioStreamFlush(SDL_AudioStream* stream) { return TAV_REAL(Sdl(), SDL_AudioStreamFlush)(stream); }
int SDL_AudioStreamGet(SDL_AudioStream* stream, void* buf, int len) {
    return TAV_REAL(Sdl(), SDL_AudioStreamGet)(stream, buf, len);
}
int SDL_AudioStreamPut(SDL_AudioStream* stream, const void* buf, int len) {
    return TAV_REAL(Sdl(), SDL_AudioStreamPut)(stream, buf, len);
}
void SDL_FreeAudioStream(SDL_AudioStream* stream) { return TAV_REAL(Sdl(), SDL_FreeAudioStream)(stream); }
void SDL_FreeWAV(Uint8* audio_buf) { return TAV_REAL(Sdl(), SDL_FreeWAV)(audio_buf); }
SDL_AudioSpec* SDL_LoadWAV_RW(SDL_RWops* src, int freesrc, SDL_AudioSpec* format, Uint8** audio_buf,
                              Uint32* audio_len) {
    return TAV_REAL(Sdl(), SDL_LoadWAV_RW)(src, freesrc, format, audio_buf, audio_len);
}
SDL_AudioStream* SDL_NewAudioStream(const SDL_AudioFormat src_format, const Uint8 src_channels, const int src_rate,
                                    const SDL_AudioFormat dst_format, const Uint8 dst_channels, const int dst_rate) {
    return TAV_REAL(Sdl(), SDL_NewAudioStream)(src_format, src_channels, src_rate, dst_format, dst_channels, dst_rate);
}
SDL_RWops* SDL_RWFromConstMem(const void* mem, int size) { return TAV_REAL(Sdl(), SDL_RWFromConstMem)(mem, size); }
void SDL_Delay(Uint32 ms) { return TAV_REAL(Sdl(), SDL_Delay)(ms); }
int SDL_GetNumAudioDevices(int iscapture) { return TAV_REAL(Sdl(), SDL_GetNumAudioDevices)(iscapture); }
int Mix_Init(int flags) { return TAV_REAL(Mixer(), Mix_Init)(flags); }
void Mix_Quit(void) { return TAV_REAL(Mixer(), Mix_Quit)(); }
int Mix_OpenAudioDevice(int frequency, Uint16 format, int channels, int chunksize, const char* device,
                        int allowed_changes) {
    return TAV_REAL(Mixer(), Mix_OpenAudioDevice)(frequency, format, channels, chunksize, device, allowed_changes);
}
void Mix_CloseAudio(void) { return TAV_REAL(Mixer(), Mix_CloseAudio)(); }
int Mix_AllocateChannels(int numchans) { return TAV_REAL(Mixer(), Mix_AllocateChannels)(numchans); }
int Mix_ReserveChannels(int num) { return TAV_REAL(Mixer(), Mix_ReserveChannels)(num); }
void Mix_SetPostMix(void(SDLCALL* mix_func)(void* udata, Uint8* stream, int len), void* arg) {
    return TAV_REAL(Mixer(), Mix_SetPostMix)(mix_func, arg);
}
int Mix_HaltChannel(int channel) { return TAV_REAL(Mixer(), Mix_HaltChannel)(channel); }
Mix_Music* Mix_LoadMUS(const char* file) { return TAV_REAL(Mixer(), Mix_LoadMUS)(file); }
Mix_Music* Mix_LoadMUS_RW(SDL_RWops* src, int freesrc) { return TAV_REAL(Mixer(), Mix_LoadMUS_RW)(src, freesrc); }
void Mix_FreeMusic(Mix_Music* music) { return TAV_REAL(Mixer(), Mix_FreeMusic)(music); }
int Mix_PlayMusic(Mix_Music* music, int loops) { return TAV_REAL(Mixer(), Mix_PlayMusic)(music, loops); }
int Mix_HaltMusic(void) { return TAV_REAL(Mixer(), Mix_HaltMusic)(); }
void Mix_PauseMusic(void) { return TAV_REAL(Mixer(), Mix_PauseMusic)(); }
void Mix_ResumeMusic(void) { return TAV_REAL(Mixer(), Mix_ResumeMusic)(); }
int Mix_PausedMusic(void) { return TAV_REAL(Mixer(), Mix_PausedMusic)(); }
int Mix_PlayingMusic(void) { return TAV_REAL(Mixer(), Mix_PlayingMusic)(); }
double Mix_MusicDuration(Mix_Music* music) { return TAV_REAL(Mixer(), Mix_MusicDuration)(music); }
double Mix_GetMusicPosition(Mix_Music* music) { return TAV_REAL(Mixer(), Mix_GetMusicPosition)(music); }
int Mix_SetMusicPosition(double position) { return TAV_REAL(Mixer(), Mix_SetMusicPosition)(position); }
cdio_log_handler_t cdio_log_set_handler(cdio_log_handler_t new_handler) {
    return TAV_REAL(Cdio(), cdio_log_set_handler)(new_handler);
}
char* cdio_get_default_device(const CdIo_t* p_cdio) { return TAV_REAL(Cdio(), cdio_get_default_device)(p_cdio); }
CdIo_t* cdio_open(const char* psz_source, driver_id_t driver_id) {
    return TAV_REAL(Cdio(), cdio_open)(psz_source, driver_id);
}
void cdio_destroy(CdIo_t* p_cdio) { return TAV_REAL(Cdio(), cdio_destroy)(p_cdio); }
track_t cdio_get_first_track_num(const CdIo_t* p_cdio) { return TAV_REAL(Cdio(), cdio_get_first_track_num)(p_cdio); }
track_t cdio_get_num_tracks(const CdIo_t* p_cdio) { return TAV_REAL(Cdio(), cdio_get_num_tracks)(p_cdio); }
track_format_t cdio_get_track_format(const CdIo_t* p_cdio, track_t i_track) {
    return TAV_REAL(Cdio(), cdio_get_track_format)(p_cdio, i_track);
}
lsn_t cdio_get_track_lsn(const CdIo_t* p_cdio, track_t i_track) {
    return TAV_REAL(Cdio(), cdio_get_track_lsn)(p_cdio, i_track);
}
driver_return_code_t cdio_read_audio_sector(const CdIo_t* p_cdio, void* p_buf, lsn_t i_lsn) {
    return TAV_REAL(Cdio(), cdio_read_audio_sector)(p_cdio, p_buf, i_lsn);
}
driver_return_code_t cdio_read_audio_sectors(const CdIo_t* p_cdio, void* p_buf, lsn_t i_lsn, uint32_t i_blocks) {
    return TAV_REAL(Cdio(), cdio_read_audio_sectors)(p_cdio, p_buf, i_lsn, i_blocks);
}

}  // extern "C"
