// The "cdaudio" device: an audio disc read through libcdio (the default drive,
// another drive, or a .cue/.bin image) and played through the audio output.
//
// Sectors are read by a reader thread into a ring buffer of about one second;
// the audio thread only copies out of that buffer, so a slow or stalling drive
// costs silence, never a blocked audio thread or a blocked caller. The table
// of contents is read once, when the device opens.
#pragma once

#include "music/mci/MciCdTime.h"
#include "music/mci/MciDevice.h"
#include "music/mci/SoundOutput.h"

#include <memory>
#include <vector>

namespace tav::mci {

class CdDevice final : public Device, private sound::MixSource {
public:
    struct Shared;

    CdDevice();
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
    bool Ready() const { return toc_.HasAudio(); }
    std::int64_t PositionSector();
    std::uint32_t StartPlay(std::int64_t from, std::int64_t to);

    CdToc toc_;
    TimeFormat format_ = TimeFormat::Msf;

    // The drive handle, the ring buffer and the play state, shared with the
    // reader and audio threads. The reader thread keeps its own reference, so
    // closing never waits for a read that a bad disc holds up: the thread
    // lets go of the drive when that read returns.
    std::shared_ptr<Shared> shared_;
};

// Reads the table of contents from an open libcdio handle; an unreadable or
// inconsistent table gives an empty one.
CdToc ReadToc(void* cdio);

}  // namespace tav::mci
