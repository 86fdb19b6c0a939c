// The file player of the interpreter (types "MPEGVideo", "waveaudio",
// "sequencer"): one music file played by SDL_mixer's music stream. Positions
// are milliseconds. Only one file sounds at a time: playing one file stops
// another that was playing.
#pragma once

#include "music/mci/MciDevice.h"

struct _Mix_Music;

namespace tav::mci {

class FileDevice final : public Device {
public:
    ~FileDevice() override;
    // Loads the file. Returns 0 or an error code.
    std::uint32_t Open(const std::string& path);

    std::uint32_t Play(const std::vector<Word>& words) override;
    std::uint32_t Stop() override;
    std::uint32_t Pause() override;
    std::uint32_t Resume() override;
    std::uint32_t Seek(const std::vector<Word>& words) override;
    std::uint32_t Set(const std::vector<Word>& words) override;
    std::uint32_t Status(const std::vector<Word>& words, std::string& reply) override;

private:
    bool Sounding() const;  // this file owns the music stream and it has not ended
    double PositionSeconds() const;
    double LengthSeconds() const;
    std::uint32_t ParseMs(const std::string& text, double& seconds) const;

    _Mix_Music* music_ = nullptr;
    double stoppedAt_ = 0;  // seconds, where the next plain "play" starts
};

}  // namespace tav::mci
