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

bool WriteAdpcmToneWav(const std::string& path, double frequency, double seconds) {
    // clang-format off
    static constexpr int kSteps[89] = {
        7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97,
        107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658, 724, 796,
        876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428,
        4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350,
        22385, 24623, 27086, 29794, 32767};
    // clang-format on
    static constexpr int kIndexMoves[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
    constexpr int kBlockAlign = 1024, kChannels = 2;
    constexpr int kPerBlock = (kBlockAlign - 4 * kChannels) * 8 / (4 * kChannels) + 1;  // samples per channel
    auto samples = ToneSamples(frequency, seconds);
    const std::size_t blocks = (samples.size() / kChannels + kPerBlock - 1) / kPerBlock;
    samples.resize(blocks * kPerBlock * kChannels, 0);
    std::string data;
    int predicted[kChannels] = {}, index[kChannels] = {};
    auto encode = [&](int c, int sample) {
        int diff = sample - predicted[c], nibble = 0, step = kSteps[index[c]], moved = step >> 3;
        if (diff < 0) nibble = 8, diff = -diff;
        for (int bit = 4; bit > 0; bit >>= 1, step >>= 1)
            if (diff >= step) nibble |= bit, diff -= step, moved += step;
        predicted[c] = std::clamp(predicted[c] + ((nibble & 8) ? -moved : moved), -32768, 32767);
        index[c] = std::clamp(index[c] + kIndexMoves[nibble & 7], 0, 88);
        return nibble;
    };
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::int16_t* block = samples.data() + b * kPerBlock * kChannels;
        for (int c = 0; c < kChannels; ++c) {
            predicted[c] = block[c];
            PutU16(data, static_cast<std::uint16_t>(block[c]));
            data += static_cast<char>(index[c]);
            data += '\0';
        }
        // Then, for each channel in turn, eight samples in four bytes, the earlier one in the low nibble.
        for (int group = 0; group < (kPerBlock - 1) / 8; ++group)
            for (int c = 0; c < kChannels; ++c)
                for (int k = 0; k < 8; k += 2) {
                    const auto at = [&](int i) { return block[(1 + group * 8 + i) * kChannels + c]; };
                    const int low = encode(c, at(k));
                    data += static_cast<char>(low | encode(c, at(k + 1)) << 4);
                }
    }
    std::string file = "RIFF";
    PutU32(file, static_cast<std::uint32_t>(4 + 28 + 8 + data.size()));
    file += "WAVEfmt ";
    PutU32(file, 20);
    PutU16(file, 0x11);  // IMA ADPCM
    PutU16(file, kChannels);
    PutU32(file, kRate);
    PutU32(file, static_cast<std::uint32_t>(kRate * kBlockAlign / kPerBlock));  // bytes per second
    PutU16(file, kBlockAlign);
    PutU16(file, 4);  // bits per sample
    PutU16(file, 2);  // size of what follows
    PutU16(file, kPerBlock);
    file += "data";
    PutU32(file, static_cast<std::uint32_t>(data.size()));
    file += data;
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
