#include "support/music_test_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <unistd.h>

namespace tav::test {

namespace {

constexpr int kRate = 44100;
constexpr int kSectorFrames = 588;

void PutLe(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutSamples(std::ofstream& out, const std::vector<std::int16_t>& samples)
{
    for (std::int16_t s : samples) PutLe(out, static_cast<std::uint16_t>(s), 2);
}

std::string Msf(long long frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", frames / (75 * 60), (frames / 75) % 60, frames % 75);
    return text;
}

}  // namespace

MusicTempDir::MusicTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrelle-music-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
}

MusicTempDir::~MusicTempDir()
{
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::vector<std::int16_t> ToneSamples(double frequency, double seconds, double amplitude)
{
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = frequency > 0 ? amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / kRate) : 0;
        samples[2 * i] = samples[2 * i + 1] = static_cast<std::int16_t>(std::lround(v * 32767));
    }
    return samples;
}

bool WriteToneWav(const std::string& path, double frequency, double seconds)
{
    const auto samples = ToneSamples(frequency, seconds);
    std::ofstream out(path, std::ios::binary);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);              // PCM
    PutLe(out, 2, 2);              // channels
    PutLe(out, kRate, 4);
    PutLe(out, kRate * 4, 4);      // bytes per second
    PutLe(out, 4, 2);              // bytes per frame
    PutLe(out, 16, 2);             // bits
    out.write("data", 4);
    PutLe(out, dataBytes, 4);
    PutSamples(out, samples);
    return static_cast<bool>(out);
}

std::string WriteCdImage(const std::string& folder, const std::string& name, const std::vector<CdImageTrack>& tracks)
{
    const std::string bin = name + ".bin";
    std::ofstream binOut(folder + "/" + bin, std::ios::binary);
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
            PutSamples(binOut, samples);
        } else {
            for (long long i = 0; i < sectors * 2352; ++i) binOut.put(static_cast<char>(noise() & 0xFF));
        }
        sector += sectors;
    }
    return folder + "/" + name + ".cue";
}

bool Mp3EncoderAvailable() { return std::system("lame --version >/dev/null 2>&1") == 0; }

bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path)
{
    if (!Mp3EncoderAvailable()) return false;
    const std::string command = "lame --quiet -b 128 '" + wavPath + "' '" + mp3Path + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(mp3Path);
}

double ToneStrength(const std::vector<std::int16_t>& samples, double frequency, int rate)
{
    const std::size_t frames = samples.size() / 2;
    if (frames == 0) return 0;
    double re = 0, im = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double angle = 2 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        const double v = samples[2 * i] / 32768.0;
        re += v * std::cos(angle);
        im += v * std::sin(angle);
    }
    return std::sqrt(re * re + im * im) / static_cast<double>(frames);
}

std::uint32_t RecordingMultimedia::SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                              void* callbackWindow)
{
    commands.emplace_back(command ? command : "");
    results.push_back(SystemMultimedia().SendString(command, returnString, returnLength, callbackWindow));
    return results.back();
}

bool RecordingMultimedia::GetErrorString(std::uint32_t error, char* text, std::uint32_t length)
{
    ++errorTextCalls;
    return SystemMultimedia().GetErrorString(error, text, length);
}

bool RecordingMultimedia::PlaySound(const char* sound, void* module, std::uint32_t flags)
{
    sounds.emplace_back(sound ? sound : "(stop)");
    return SystemMultimedia().PlaySound(sound, module, flags);
}

std::uint32_t RecordingMultimedia::WaveOutDeviceCount()
{
    if (forcedDeviceCount >= 0) return static_cast<std::uint32_t>(forcedDeviceCount);
    return SystemMultimedia().WaveOutDeviceCount();
}

bool RecordingMultimedia::Sent(const std::string& command) const { return Count(command) > 0; }

std::size_t RecordingMultimedia::Count(const std::string& command) const
{
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

}  // namespace tav::test
