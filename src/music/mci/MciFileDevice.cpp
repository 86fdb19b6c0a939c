#include "music/mci/MciFileDevice.h"

#include "music/mci/MciErrors.h"
#include "music/mci/SoundOutput.h"

#include <SDL_mixer.h>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace tav::mci {

namespace {

// The file that owns SDL_mixer's single music stream, if any.
const FileDevice* g_active = nullptr;

std::string Milliseconds(double seconds) {
    if (!(seconds > 0)) return "0";
    return std::to_string(static_cast<long long>(std::llround(seconds * 1000.0)));
}

}  // namespace

FileDevice::~FileDevice() {
    if (g_active == this) {
        Mix_HaltMusic();
        g_active = nullptr;
    }
    if (music_) Mix_FreeMusic(music_);
}

std::uint32_t FileDevice::Open(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return kFileNotFound;
    if (!sound::EnsureAudioOpen()) return kHardware;
    music_ = Mix_LoadMUS(path.c_str());
    return music_ ? kOk : kInvalidFile;
}

bool FileDevice::Sounding() const { return g_active == this && Mix_PlayingMusic(); }

double FileDevice::LengthSeconds() const {
    const double length = Mix_MusicDuration(music_);
    return length > 0 ? length : 0;
}

double FileDevice::PositionSeconds() const {
    if (Sounding()) {
        const double position = Mix_GetMusicPosition(music_);
        return position > 0 ? position : 0;
    }
    if (g_active == this) return LengthSeconds();  // played to its end
    return stoppedAt_;
}

std::uint32_t FileDevice::ParseMs(const std::string& text, double& seconds) const {
    std::uint64_t ms = 0;
    if (!ParseUnsigned(text, ms)) return kBadInteger;
    seconds = static_cast<double>(ms) / 1000.0;
    const double length = LengthSeconds();
    if (length > 0 && seconds > length) return kOutOfRange;
    return kOk;
}

std::uint32_t FileDevice::Play(const std::vector<Word>& words) {
    std::string from, to;
    bool hasFrom = false, hasTo = false;
    if (const auto err = ReadRange(words, from, hasFrom, to, hasTo)) return err;
    if (hasTo) return kUnsupportedFunction;
    double start = 0;
    if (hasFrom) {
        if (const auto err = ParseMs(from, start)) return err;
    } else if (Sounding()) {
        Mix_ResumeMusic();
        return kOk;
    } else {
        start = g_active == this ? 0 : stoppedAt_;
    }
    if (Mix_PlayMusic(music_, 0) != 0) return kHardware;
    Mix_ResumeMusic();
    g_active = this;
    if (start > 0) Mix_SetMusicPosition(start);
    return kOk;
}

std::uint32_t FileDevice::Stop() {
    if (g_active == this) {
        stoppedAt_ = Sounding() ? PositionSeconds() : 0;
        Mix_HaltMusic();
        g_active = nullptr;
    }
    return kOk;
}

std::uint32_t FileDevice::Pause() {
    if (Sounding()) Mix_PauseMusic();
    return kOk;
}

std::uint32_t FileDevice::Resume() {
    if (Sounding()) Mix_ResumeMusic();
    return kOk;
}

std::uint32_t FileDevice::Seek(const std::vector<Word>& words) {
    if (words.size() != 2 || !EqualsIgnoringAsciiCase(words[0].text, "to"))
        return words.empty() ? kMissingParameter : kUnrecognizedKeyword;
    double target = 0;
    if (EqualsIgnoringAsciiCase(words[1].text, "start"))
        target = 0;
    else if (EqualsIgnoringAsciiCase(words[1].text, "end"))
        target = LengthSeconds();
    else if (const auto err = ParseMs(words[1].text, target))
        return err;
    Stop();
    stoppedAt_ = target;
    return kOk;
}

std::uint32_t FileDevice::Set(const std::vector<Word>& words) {
    if (words.size() < 2 || !EqualsIgnoringAsciiCase(words[0].text, "time") ||
        !EqualsIgnoringAsciiCase(words[1].text, "format"))
        return words.empty() ? kMissingParameter : kUnrecognizedKeyword;
    if (words.size() != 3) return words.size() < 3 ? kMissingParameter : kUnrecognizedKeyword;
    if (EqualsIgnoringAsciiCase(words[2].text, "milliseconds") || EqualsIgnoringAsciiCase(words[2].text, "ms"))
        return kOk;
    return kBadTimeFormat;
}

std::uint32_t FileDevice::Status(const std::vector<Word>& words, std::string& reply) {
    std::string item;
    for (const auto& w : words) item += (item.empty() ? "" : " ") + LowerAscii(w.text);
    if (item.empty()) return kMissingParameter;
    if (item == "mode") {
        reply = !Sounding() ? "stopped" : Mix_PausedMusic() ? "paused" : "playing";
    } else if (item == "position") {
        reply = Milliseconds(PositionSeconds());
    } else if (item == "length") {
        reply = Milliseconds(LengthSeconds());
    } else if (item == "ready") {
        reply = "true";
    } else if (item == "time format") {
        reply = "milliseconds";
    } else {
        return kUnrecognizedKeyword;
    }
    return kOk;
}

}  // namespace tav::mci
