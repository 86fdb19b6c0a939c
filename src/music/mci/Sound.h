// The system sound player: one WAV file at a time, once or looped, read from
// the file as it plays (music/mci/WavStream.h), and the count of wave output
// devices.
#pragma once

#include <cstdint>

namespace tav {

inline constexpr std::uint32_t SND_SYNC = 0x0000;
inline constexpr std::uint32_t SND_ASYNC = 0x0001;
inline constexpr std::uint32_t SND_NODEFAULT = 0x0002;
inline constexpr std::uint32_t SND_MEMORY = 0x0004;
inline constexpr std::uint32_t SND_LOOP = 0x0008;
inline constexpr std::uint32_t SND_NOSTOP = 0x0010;
inline constexpr std::uint32_t SND_PURGE = 0x0040;
inline constexpr std::uint32_t SND_ALIAS = 0x00010000;
inline constexpr std::uint32_t SND_FILENAME = 0x00020000;

// Plays the sound file named by sound; a null sound stops the current one. A
// new sound replaces the one playing (unless SND_NOSTOP asks otherwise).
// SND_LOOP repeats until the next call and needs SND_ASYNC; without
// SND_ASYNC the call returns when the sound has ended. Sounds in memory and
// registry aliases do not exist here and fail. Returns false when nothing
// plays.
bool PlaySoundA(const char* sound, void* module, std::uint32_t flags);

// 0 when no audio output opens, otherwise the number of output devices (at
// least 1).
std::uint32_t waveOutGetNumDevs();

}  // namespace tav
