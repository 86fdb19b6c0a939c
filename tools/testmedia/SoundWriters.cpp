#include "testmedia/SoundWriters.h"

#include "base/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

namespace tav::test {

namespace {

constexpr int kRate = 44100;
constexpr int kSectorFrames = 588;

void PutSamples(std::string& out, const std::vector<std::int16_t>& samples) {
    for (std::int16_t s : samples) PutU16(out, static_cast<std::uint16_t>(s));
}

std::string Msf(long long frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", frames / (75 * 60), (frames / 75) % 60, frames % 75);
    return text;
}

}  // namespace

std::vector<std::int16_t> ToneSamples(double frequency, double seconds, double amplitude) {
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double v =
            frequency > 0 ? amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / kRate) : 0;
        samples[2 * i] = samples[2 * i + 1] = static_cast<std::int16_t>(std::lround(v * 32767));
    }
    return samples;
}

bool WriteToneWav(const std::string& path, double frequency, double seconds) {
    const auto samples = ToneSamples(frequency, seconds);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string file = "RIFF";
    PutU32(file, 36 + dataBytes);
    file += "WAVEfmt ";
    PutU32(file, 16);
    PutU16(file, 1);  // PCM
    PutU16(file, 2);  // channels
    PutU32(file, kRate);
    PutU32(file, kRate * 4);  // bytes per second
    PutU16(file, 4);          // bytes per frame
    PutU16(file, 16);         // bits
    file += "data";
    PutU32(file, dataBytes);
    PutSamples(file, samples);
    std::ofstream out(path, std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

std::string WriteCdImage(const std::string& folder, const std::string& name, const std::vector<CdImageTrack>& tracks) {
    const std::string bin = name + ".bin";
    std::string data;
    std::ofstream cue(folder + "/" + name + ".cue");
    cue << "FILE \"" << bin << "\" BINARY\n";
    long long sector = 0;
    std::mt19937 noise(7);
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const long long sectors = std::max<long long>(1, std::llround(tracks[t].seconds * 75));
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", t + 1);
        cue << "  TRACK " << number << (tracks[t].frequency > 0 ? " AUDIO\n" : " MODE1/2352\n");
        cue << "    INDEX 01 " << Msf(sector) << "\n";
        if (tracks[t].frequency > 0) {
            auto samples = ToneSamples(tracks[t].frequency, static_cast<double>(sectors) / 75);
            samples.resize(static_cast<std::size_t>(sectors) * kSectorFrames * 2, 0);
            PutSamples(data, samples);
        } else {
            for (long long i = 0; i < sectors * 2352; ++i) data.push_back(static_cast<char>(noise() & 0xFF));
        }
        sector += sectors;
    }
    std::ofstream(folder + "/" + bin, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return folder + "/" + name + ".cue";
}

bool Mp3EncoderAvailable() { return std::system("lame --version >/dev/null 2>&1") == 0; }

bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path) {
    if (!Mp3EncoderAvailable()) return false;
    const std::string command = "lame --quiet -b 128 '" + wavPath + "' '" + mp3Path + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(mp3Path);
}

}  // namespace tav::test
