// The "cdaudio" device: an audio disc read through libcdio (the default drive,
// another drive, or a .cue/.bin image) and played through the audio output.
//
// Sectors are read by a reader thread into a ring buffer of about one second;
// the audio thread only copies out of that buffer, so a slow or stalling drive
// costs silence, never a blocked audio thread or a blocked caller. The table
// of contents is read once, when the device opens.
#pragma once

#include "platform/MciCdTime.h"
#include "platform/MciDevice.h"
#include "platform/SoundOutput.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tav::mci {

class CdDevice final : public Device, private sound::MixSource {
public:
    CdDevice() = default;
    ~CdDevice() override;
    CdDevice(const CdDevice&) = delete;
    CdDevice& operator=(const CdDevice&) = delete;

    // Opens source ("" = the system's default drive). Returns 0 or an error
    // code; a drive with no disc opens and reports "not ready".
    std::uint32_t Open(const std::string& source);

    std::uint32_t Play(const std::vector<Word>& words) override;
    std::uint32_t Stop() override;
    std::uint32_t Pause() override;
    std::uint32_t Resume() override;
    std::uint32_t Seek(const std::vector<Word>& words) override;
    std::uint32_t Set(const std::vector<Word>& words) override;
    std::uint32_t Status(const std::vector<Word>& words, std::string& reply) override;

private:
    void MixInto(std::int16_t* samples, int sampleCount) override;
    void ReaderLoop();
    bool Ready() const { return toc_.HasAudio(); }
    std::int64_t PositionSector();
    std::uint32_t StartPlay(std::int64_t from, std::int64_t to);
    void ClearBufferLocked();

    void* cdio_ = nullptr;  // CdIo_t*, touched by the reader thread once playing
    CdToc toc_;
    TimeFormat format_ = TimeFormat::Msf;

    // Shared with the reader and audio threads, guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool playing_ = false;
    bool paused_ = false;
    std::uint64_t generation_ = 0;     // bumped by every play, stop and seek
    std::int64_t positionSample_ = 0;  // stereo sample frame heard next, from the disc start
    std::int64_t endSector_ = 0;       // playback stops before this sector
    std::int64_t readSector_ = 0;      // next sector for the reader
    std::vector<std::int16_t> ring_;   // interleaved stereo samples
    std::size_t ringHead_ = 0;
    std::size_t ringCount_ = 0;

    std::thread reader_;
};

// Reads the table of contents from an open libcdio handle; an unreadable or
// inconsistent table gives an empty one.
CdToc ReadToc(void* cdio);

}  // namespace tav::mci
