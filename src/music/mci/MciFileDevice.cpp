#include "music/mci/MciFileDevice.h"

#include "music/mci/MciErrors.h"
#include "music/mci/SoundOutput.h"

#include <SDL_mixer.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace tav::mci {

namespace {

// The file that owns SDL_mixer's single music stream, if any.
const FileDevice* g_active = nullptr;

std::string Milliseconds(double seconds) {
    if (!(seconds > 0)) return "0";
    return std::to_string(static_cast<long long>(std::llround(seconds * 1000.0)));
}

// Reads a regular file whole; kFileNotFound for anything else, and nothing
// read (but kOk) for a file longer than `limit`.
std::uint32_t ReadWhole(const std::string& path, std::size_t limit, std::vector<char>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return kFileNotFound;
    struct stat st {};
    std::uint32_t code = kOk;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        code = kFileNotFound;
    } else if (static_cast<std::uint64_t>(st.st_size) <= limit) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        if (done == 0) code = kInvalidFile;
    }
    ::close(fd);
    return code;
}

}  // namespace

// A load on its own thread; shared with that thread, which may outlive the device.
struct FileDevice::Loading {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    std::uint32_t code = kOk;
    Mix_Music* music = nullptr;
    std::shared_ptr<std::vector<char>> bytes;
};

FileDevice::~FileDevice() {
    if (loading_) {
        std::lock_guard lock(loading_->mutex);
        // A load still going on frees what it made when it ends.
        loading_->abandoned = true;
        if (loading_->done && loading_->music) Mix_FreeMusic(loading_->music);
    }
    if (g_active == this) {
        Mix_HaltMusic();
        g_active = nullptr;
    }
    if (music_) Mix_FreeMusic(music_);
}

std::uint32_t FileDevice::Open(const std::string& path) {
    if (!sound::EnsureAudioOpen()) return kHardware;
    auto loading = std::make_shared<Loading>();
    try {
        std::thread([loading, path] {
            const sound::SdlThreadScope sdlThread;
            auto bytes = std::make_shared<std::vector<char>>();
            std::uint32_t code = ReadWhole(path, kMaxFileInMemory, *bytes);
            Mix_Music* music = nullptr;
            if (code == kOk) {
                music = bytes->empty()
                            ? Mix_LoadMUS(path.c_str())
                            : Mix_LoadMUS_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1);
                if (!music) code = kInvalidFile;
            }
            std::lock_guard lock(loading->mutex);
            if (loading->abandoned) {
                if (music) Mix_FreeMusic(music);
                return;
            }
            loading->code = code;
            loading->music = music;
            loading->bytes = std::move(bytes);
            loading->done = true;
            loading->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return kOutOfMemory;
    }
    {
        std::unique_lock lock(loading->mutex);
        loading->finished.wait_for(lock, kOpenWait, [&] { return loading->done; });
    }
    loading_ = std::move(loading);
    if (!Settle()) return kOk;
    return loadCode_;
}

bool FileDevice::Settle() {
    if (!loading_) return true;
    {
        std::lock_guard lock(loading_->mutex);
        if (!loading_->done) return false;
        loadCode_ = loading_->code;
        music_ = loading_->music;
        bytes_ = std::move(loading_->bytes);
    }
    loading_.reset();
    if (playWhenLoaded_ && music_) {
        playWhenLoaded_ = false;
        StartPlay(stoppedAt_);
    }
    return true;
}

bool FileDevice::Sounding() const { return music_ && g_active == this && Mix_PlayingMusic(); }

double FileDevice::LengthSeconds() const {
    if (!music_) return 0;
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
    const bool loaded = Settle();
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
    if (!loaded) {
        // The file is still coming in: it plays from there once it is.
        playWhenLoaded_ = true;
        stoppedAt_ = start;
        return kOk;
    }
    return StartPlay(start);
}

std::uint32_t FileDevice::StartPlay(double start) {
    if (!music_) return kHardware;
    if (Mix_PlayMusic(music_, 0) != 0) return kHardware;
    Mix_ResumeMusic();
    g_active = this;
    if (start > 0) Mix_SetMusicPosition(start);
    return kOk;
}

std::uint32_t FileDevice::Stop() {
    Settle();
    playWhenLoaded_ = false;
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
    const bool loaded = Settle();
    if (item == "mode") {
        reply = !loaded ? "not ready" : !Sounding() ? "stopped" : Mix_PausedMusic() ? "paused" : "playing";
    } else if (item == "position") {
        reply = Milliseconds(PositionSeconds());
    } else if (item == "length") {
        reply = Milliseconds(LengthSeconds());
    } else if (item == "ready") {
        reply = loaded ? "true" : "false";
    } else if (item == "time format") {
        reply = "milliseconds";
    } else {
        return kUnrecognizedKeyword;
    }
    return kOk;
}

}  // namespace tav::mci
