// The one audio output of the process: SDL's audio subsystem (no video) and
// SDL_mixer, opened on first use and kept open; at the end of the process it
// is closed, and the audio thread stopped, before static objects are
// destroyed. Every sound of the program (music files, looped system sounds,
// CD audio) goes through it.
//
// The output is always 44100 Hz, signed 16-bit, stereo: SDL converts to what
// the device really takes, so CD sectors can be mixed in without resampling.
#pragma once

#include <cstdint>

namespace tav::sound {

inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

// Mixer channel kept for the looped system sound.
inline constexpr int kSystemSoundChannel = 0;

// Opens the output if it is not open yet and tells whether it is open; the
// first open loads the sound libraries (SoundLibraries.h), and nothing calls
// them before it succeeded. A failed open is remembered: it is not retried
// until ShutdownAudio.
bool EnsureAudioOpen();

// Closes the mixer and the audio subsystem. The next EnsureAudioOpen opens
// them again, with the audio driver the environment names at that moment.
void ShutdownAudio();

// Lives for the whole of a thread of our own that calls SDL or SDL_mixer.
// SDL keeps per-thread data (its error text among it) that it frees only for
// threads it started itself; a reader thread that failed to open a file would
// otherwise leave that data behind when it ends.
class SdlThreadScope {
public:
    SdlThreadScope() = default;
    SdlThreadScope(const SdlThreadScope&) = delete;
    SdlThreadScope& operator=(const SdlThreadScope&) = delete;
    ~SdlThreadScope();
};

// A source that adds its own samples to the mixed output (the CD player).
// MixInto runs on the audio thread with interleaved stereo samples.
class MixSource {
public:
    virtual ~MixSource() = default;
    virtual void MixInto(std::int16_t* samples, int sampleCount) = 0;
};

// Adds and removes a source. After RemoveMixSource returns, the audio thread
// no longer uses the source, so it may be destroyed.
void AddMixSource(MixSource* source);
void RemoveMixSource(MixSource* source);

// Adds b to a, clipped to the 16-bit range.
inline std::int16_t MixSample(std::int16_t a, std::int16_t b) {
    int sum = int{a} + int{b};
    if (sum > 32767) sum = 32767;
    if (sum < -32768) sum = -32768;
    return static_cast<std::int16_t>(sum);
}

}  // namespace tav::sound
