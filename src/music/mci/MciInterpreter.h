// The multimedia services the music player calls: the command-string
// interface, its error texts, the looped system sound and the count of wave
// output devices. They are reached through MultimediaApi so that tests can
// watch or replace them; SystemMultimedia() is the real implementation.
//
// Commands understood (keywords in any case; "wait" and "notify" are accepted
// and ignored, nothing ever blocks):
//   open cdaudio [alias a]                 the default drive (see SetDefaultCdSource)
//   open <drive or .cue> type cdaudio [alias a]
//   open <file> [type MPEGVideo|waveaudio|sequencer] [alias a] [shareable]
//   close <name>|all
//   play <name> [from x] [to y]            (files: from only, in milliseconds)
//   stop | pause | resume <name>
//   seek <name> to <x>|start|end
//   set <name> time format msf|tmsf|milliseconds
//   status <name> mode | ready | time format | position | length
//   status cdaudio number of tracks | current track | media present
//                  | position track n | length track n | type track n
// Replies: mode is "playing", "paused", "stopped" or "not ready"; msf positions
// are "mm:ss:ff", tmsf "tt:mm:ss:ff", lengths "mm:ss:ff" (or milliseconds).
#pragma once

#include <cstdint>
#include <string>

namespace tav {

// Sends a command string to the interpreter. The reply (if any) is written to
// returnString, cut to returnLength - 1 characters and NUL-terminated; a reply
// that did not fit gives the "buffer too small" error. No callback window is
// ever notified. Returns 0 or an error code (256 + n).
std::uint32_t mciSendStringA(const char* command, char* returnString, std::uint32_t returnLength, void* callbackWindow);
// Writes the text of an error code; false for a code without text or no buffer.
bool mciGetErrorStringA(std::uint32_t error, char* text, std::uint32_t length);

class MultimediaApi {
public:
    virtual ~MultimediaApi() = default;
    virtual std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                     void* callbackWindow) = 0;
    virtual bool GetErrorString(std::uint32_t error, char* text, std::uint32_t length) = 0;
    virtual bool PlaySound(const char* sound, void* module, std::uint32_t flags) = 0;
    virtual std::uint32_t WaveOutDeviceCount() = 0;
};

MultimediaApi& SystemMultimedia();

namespace mci {

// The drive or disc image that "open cdaudio" opens; empty (the start value)
// means the system's default drive. Tests hand it a .cue image.
void SetDefaultCdSource(const std::string& source);

// Closes every open device and stops the system sound.
void CloseAll();

}  // namespace mci

}  // namespace tav
