#include "support/music_test_audio.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tav::test {

double ToneStrength(const std::vector<std::int16_t>& samples, double frequency, int rate) {
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
                                              void* callbackWindow) {
    commands.emplace_back(command ? command : "");
    results.push_back(SystemMultimedia().SendString(command, returnString, returnLength, callbackWindow));
    return results.back();
}

bool RecordingMultimedia::GetErrorString(std::uint32_t error, char* text, std::uint32_t length) {
    ++errorTextCalls;
    return SystemMultimedia().GetErrorString(error, text, length);
}

bool RecordingMultimedia::PlaySound(const char* sound, void* module, std::uint32_t flags) {
    sounds.emplace_back(sound ? sound : "(stop)");
    return SystemMultimedia().PlaySound(sound, module, flags);
}

std::uint32_t RecordingMultimedia::WaveOutDeviceCount() {
    if (forcedDeviceCount >= 0) return static_cast<std::uint32_t>(forcedDeviceCount);
    return SystemMultimedia().WaveOutDeviceCount();
}

bool RecordingMultimedia::Sent(const std::string& command) const { return Count(command) > 0; }

std::size_t RecordingMultimedia::Count(const std::string& command) const {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

}  // namespace tav::test
