// Sound files made on the spot for the music tests and the CPU tool: tone WAV
// files, a CD image (.cue sheet over one .bin file) and, where the lame
// encoder is installed, MP3 files. All sound is 44100 Hz stereo 16-bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav::test {

// Interleaved stereo 16-bit samples of a sine tone.
std::vector<std::int16_t> ToneSamples(double frequency, double seconds, double amplitude = 0.5);

// Writes a WAV file of a tone.
bool WriteToneWav(const std::string& path, double frequency, double seconds);
// The same tone compressed 4:1 as IMA ADPCM, in blocks of 1024 bytes.
bool WriteAdpcmToneWav(const std::string& path, double frequency, double seconds);

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

}  // namespace tav::test
