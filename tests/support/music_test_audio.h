// Sound files made on the spot for the music tests and the CPU tool: tone
// WAV files, a CD image (.cue sheet over one .bin file) and, where the lame
// encoder is installed, MP3 files.
#pragma once

#include "music/mci/MciInterpreter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tav::test {

// A fresh folder below the system's temporary folder, removed with its files
// when the object goes.
class MusicTempDir {
public:
    MusicTempDir();
    ~MusicTempDir();
    MusicTempDir(const MusicTempDir&) = delete;
    MusicTempDir& operator=(const MusicTempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Interleaved stereo 16-bit samples of a sine tone at 44100 Hz.
std::vector<std::int16_t> ToneSamples(double frequency, double seconds, double amplitude = 0.5);

// Writes a 44100 Hz stereo 16-bit WAV file of a tone.
bool WriteToneWav(const std::string& path, double frequency, double seconds);

struct CdImageTrack {
    double frequency = 440;  // a tone, or 0 for a data track
    double seconds = 2;
};

// Writes name.bin and name.cue into folder with the given tracks, each a
// whole number of sectors, and returns the path of the .cue sheet.
std::string WriteCdImage(const std::string& folder, const std::string& name, const std::vector<CdImageTrack>& tracks);

// True when the lame encoder can be run.
bool Mp3EncoderAvailable();
// Encodes a WAV file to MP3; false when the encoder is missing or fails.
bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path);

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
