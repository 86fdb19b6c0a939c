// The file player of the interpreter (types "MPEGVideo", "waveaudio",
// "sequencer"): one music file played by SDL_mixer's music stream. Positions
// are milliseconds. Only one file sounds at a time: playing one file stops
// another that was playing.
//
// The file is read on a thread of its own, so a file on a share that stopped
// answering never holds the caller: an open that has not finished after a
// short wait succeeds, the device is "not ready" until the file is in, and a
// "play" sent meanwhile starts once it is. A file of up to
// kMaxFileInMemory bytes is read whole, so playing it never touches the file
// system again; a longer one is played from the file.
#pragma once

#include "music/mci/MciDevice.h"

#include <chrono>
#include <memory>

struct _Mix_Music;

namespace tav::mci {

class FileDevice final : public Device {
public:
    static constexpr std::size_t kMaxFileInMemory = 256u << 20;
    // How long Open waits for the file before it lets it come in later.
    static constexpr std::chrono::milliseconds kOpenWait{250};

    ~FileDevice() override;
    // Loads the file. Returns 0 or an error code; 0 also while the file is
    // still being read after kOpenWait.
    std::uint32_t Open(const std::string& path);

    std::uint32_t Play(const std::vector<Word>& words) override;
    std::uint32_t Stop() override;
    std::uint32_t Pause() override;
    std::uint32_t Resume() override;
    std::uint32_t Seek(const std::vector<Word>& words) override;
    std::uint32_t Set(const std::vector<Word>& words) override;
    std::uint32_t Status(const std::vector<Word>& words, std::string& reply) override;

private:
    struct Loading;
    // Takes over a load that has finished; false while it goes on.
    bool Settle();
    std::uint32_t StartPlay(double start);

    bool Sounding() const;  // this file owns the music stream and it has not ended
    double PositionSeconds() const;
    double LengthSeconds() const;
    std::uint32_t ParseMs(const std::string& text, double& seconds) const;

    _Mix_Music* music_ = nullptr;
    std::shared_ptr<std::vector<char>> bytes_;  // the file read whole, which music_ plays from
    std::shared_ptr<Loading> loading_;          // the load still going on
    bool playWhenLoaded_ = false;
    std::uint32_t loadCode_ = 0;
    double stoppedAt_ = 0;  // seconds, where the next plain "play" starts
};

}  // namespace tav::mci
