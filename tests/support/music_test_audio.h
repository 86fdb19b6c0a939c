// What the music tests hear and send: the strength of a tone in samples and a
// multimedia layer that records the commands. The sound files they play come
// from the test media library.
#pragma once

#include "music/mci/MciInterpreter.h"
#include "testmedia/SoundWriters.h"
#include "testmedia/TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::test {

// Strength of frequency in interleaved stereo samples (left channel),
// normalised so that a full-scale sine gives about 0.5.
double ToneStrength(const std::vector<std::int16_t>& samples, double frequency, int rate = 44100);

// Passes every call on to the real services and keeps the command strings
// and sound calls, so a test can see what the music module sent.
class RecordingMultimedia final : public MultimediaApi {
public:
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             void* callbackWindow) override;
    bool GetErrorString(std::uint32_t error, char* text, std::uint32_t length) override;
    bool PlaySound(const char* sound, void* module, std::uint32_t flags) override;
    std::uint32_t WaveOutDeviceCount() override;

    std::vector<std::string> commands;
    std::vector<std::uint32_t> results;
    std::vector<std::string> sounds;  // "(stop)" for a null sound
    int errorTextCalls = 0;
    // Forced answers, when set.
    int forcedDeviceCount = -1;

    bool Sent(const std::string& command) const;
    std::size_t Count(const std::string& command) const;
};

}  // namespace tav::test
