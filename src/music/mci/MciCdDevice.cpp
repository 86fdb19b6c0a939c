#include "music/mci/MciCdDevice.h"

#include "base/LittleEndian.h"
#include "music/mci/MciErrors.h"
#include "music/mci/SoundLibraries.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace tav::mci {

namespace {

constexpr std::size_t kRingSectors = 75;  // one second of sound
constexpr int kReadSectors = 8;
constexpr std::size_t kSamplesPerSectorStereo = kSamplesPerSector * 2;

// libcdio's own log handler prints to stderr and ends the whole process on
// some errors (a folder given as a disc image is one); its messages are dropped.
void QuietCdio(cdio_log_level_t, const char*) {}

CdIo_t* Handle(void* p) { return static_cast<CdIo_t*>(p); }

bool EndsWithIgnoreCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && EqualsIgnoringAsciiCase(std::string_view(text).substr(text.size() - n), suffix);
}

}  // namespace

CdToc ReadToc(void* handle) {
    CdToc toc;
    CdIo_t* cdio = Handle(handle);
    if (!cdio) return toc;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || first + count > 100) return toc;
    for (int n = first; n < first + count; ++n) {
        const lsn_t start = cdio_get_track_lsn(cdio, static_cast<track_t>(n));
        if (start == CDIO_INVALID_LSN || start < 0) return {};
        if (!toc.tracks.empty() && start <= toc.tracks.back().start) return {};
        toc.tracks.push_back({n, start, cdio_get_track_format(cdio, static_cast<track_t>(n)) == TRACK_FORMAT_AUDIO});
    }
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN || leadOut <= toc.tracks.back().start) return {};
    toc.leadOut = leadOut;
    return toc;
}

struct CdDevice::Shared {
    ~Shared() {
        if (cdio) cdio_destroy(Handle(cdio));
    }

    void ClearBufferLocked() {
        ringHead = ringCount = 0;
        ++generation;
    }

    void* cdio = nullptr;  // CdIo_t*; once open, only the reader thread uses it

    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    bool playing = false;
    bool paused = false;
    std::uint64_t generation = 0;     // bumped by every play, stop and seek
    std::int64_t positionSample = 0;  // stereo sample frame heard next, from the disc start
    std::int64_t endSector = 0;       // playback stops before this sector
    std::int64_t readSector = 0;      // next sector for the reader
    std::vector<std::int16_t> ring;   // interleaved stereo samples
    std::size_t ringHead = 0;
    std::size_t ringCount = 0;
};

namespace {

// Reads sectors ahead of the audio thread while the device plays.
void ReaderLoop(std::shared_ptr<CdDevice::Shared> shared) {
    auto& s = *shared;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(kReadSectors) * kBytesPerSector);
    std::unique_lock lock(s.mutex);
    while (true) {
        s.wake.wait(lock, [&s] {
            return s.quit || (s.playing && s.readSector < s.endSector &&
                              s.ring.size() - s.ringCount >= kReadSectors * kSamplesPerSectorStereo);
        });
        if (s.quit) return;
        const std::uint64_t generation = s.generation;
        const std::int64_t sector = s.readSector;
        const int count = static_cast<int>(std::min<std::int64_t>(kReadSectors, s.endSector - sector));
        lock.unlock();
        // Some drives refuse a run of sectors that they read one by one; a
        // sector that cannot be read at all plays as silence.
        CdIo_t* cdio = Handle(s.cdio);
        if (cdio_read_audio_sectors(cdio, raw.data(), static_cast<lsn_t>(sector), static_cast<std::uint32_t>(count)) !=
            DRIVER_OP_SUCCESS) {
            for (int k = 0; k < count; ++k) {
                std::uint8_t* one = raw.data() + static_cast<std::size_t>(k) * kBytesPerSector;
                if (cdio_read_audio_sector(cdio, one, static_cast<lsn_t>(sector + k)) != DRIVER_OP_SUCCESS)
                    std::fill(one, one + kBytesPerSector, std::uint8_t{0});
            }
        }
        lock.lock();
        if (generation != s.generation || s.quit) continue;
        const std::size_t samples = static_cast<std::size_t>(count) * kSamplesPerSectorStereo;
        std::size_t tail = (s.ringHead + s.ringCount) % s.ring.size();
        for (std::size_t i = 0; i < samples; ++i) {
            // Disc audio is little-endian whatever the machine.
            s.ring[tail] = ReadI16(raw.data() + 2 * i);
            if (++tail == s.ring.size()) tail = 0;
        }
        s.ringCount += samples;
        s.readSector += count;
    }
}

}  // namespace

CdDevice::CdDevice() : shared_(std::make_shared<Shared>()) {}

CdDevice::~CdDevice() {
    sound::RemoveMixSource(this);
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->wake.notify_all();
}

std::uint32_t CdDevice::Open(const std::string& source) {
    // Without the disc library there is no drive, and no disc image either.
    if (!sound::DiscLibraryAvailable()) return kDeviceNotInstalled;
    static const bool quiet = (cdio_log_set_handler(&QuietCdio), true);
    (void)quiet;
    CdIo_t* cdio = nullptr;
    if (source.empty()) {
        char* drive = cdio_get_default_device(nullptr);
        if (!drive) return kDeviceNotInstalled;
        cdio = cdio_open(drive, DRIVER_DEVICE);
        std::free(drive);
        if (!cdio) return kDeviceNotInstalled;
    } else {
        cdio = cdio_open(source.c_str(), EndsWithIgnoreCase(source, ".cue") ? DRIVER_BINCUE : DRIVER_UNKNOWN);
        if (!cdio) return kFileNotFound;
    }
    shared_->cdio = cdio;
    toc_ = ReadToc(cdio);
    if (Ready()) shared_->positionSample = toc_.tracks.front().start * kSamplesPerSector;
    shared_->ring.assign(kRingSectors * kSamplesPerSectorStereo, 0);
    std::thread(ReaderLoop, shared_).detach();
    sound::EnsureAudioOpen();
    sound::AddMixSource(this);
    return kOk;
}

std::int64_t CdDevice::PositionSector() {
    std::lock_guard lock(shared_->mutex);
    return shared_->positionSample / kSamplesPerSector;
}

void CdDevice::MixInto(std::int16_t* samples, int sampleCount) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->playing || shared_->paused) return;
    const std::int64_t endSample = shared_->endSector * kSamplesPerSector;
    std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(sampleCount) / 2, shared_->ringCount / 2);
    frames = std::min<std::size_t>(
        frames, static_cast<std::size_t>(std::max<std::int64_t>(0, endSample - shared_->positionSample)));
    for (std::size_t i = 0; i < frames * 2; ++i) {
        samples[i] = sound::MixSample(samples[i], shared_->ring[shared_->ringHead]);
        if (++shared_->ringHead == shared_->ring.size()) shared_->ringHead = 0;
    }
    shared_->ringCount -= frames * 2;
    shared_->positionSample += static_cast<std::int64_t>(frames);
    if (shared_->positionSample >= endSample) {
        shared_->playing = false;
        shared_->ClearBufferLocked();
    }
    shared_->wake.notify_all();
}

std::uint32_t CdDevice::StartPlay(std::int64_t from, std::int64_t to) {
    // Data tracks are skipped at the start and end the play where they begin.
    const int index = toc_.AudioIndexFrom(from);
    if (index < 0) return kOutOfRange;
    from = std::max(from, toc_.tracks[static_cast<std::size_t>(index)].start);
    for (std::size_t k = static_cast<std::size_t>(index) + 1; k < toc_.tracks.size(); ++k)
        if (!toc_.tracks[k].audio) to = std::min(to, toc_.tracks[k].start);
    if (to <= from) return kOutOfRange;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->ClearBufferLocked();
        shared_->positionSample = from * kSamplesPerSector;
        shared_->readSector = from;
        shared_->endSector = to;
        shared_->playing = true;
        shared_->paused = false;
    }
    shared_->wake.notify_all();
    return kOk;
}

std::uint32_t CdDevice::Play(const std::vector<Word>& words) {
    std::string fromText, toText;
    bool hasFrom = false, hasTo = false;
    if (const auto err = ReadRange(words, fromText, hasFrom, toText, hasTo)) return err;
    if (!Ready()) return kDeviceNotReady;
    std::int64_t from = 0, to = toc_.leadOut;
    if (hasFrom) {
        if (const auto err = ParsePosition(format_, fromText, toc_, from)) return err;
    } else {
        std::lock_guard lock(shared_->mutex);
        if (shared_->playing && !hasTo) {
            shared_->paused = false;
            return kOk;
        }
        from = shared_->positionSample / kSamplesPerSector;
    }
    if (hasTo) {
        if (const auto err = ParsePosition(format_, toText, toc_, to)) return err;
        if (to > toc_.leadOut) return kOutOfRange;
    }
    // A plain "play" with nothing left to play starts the disc again: at the
    // lead-out, and also where only data tracks follow, since a play stops
    // where a data track begins and an enhanced disc puts its data last.
    if (!hasFrom && toc_.AudioIndexFrom(from) < 0) from = toc_.tracks.front().start;
    return StartPlay(from, to);
}

std::uint32_t CdDevice::Stop() {
    if (!Ready()) return kDeviceNotReady;
    std::lock_guard lock(shared_->mutex);
    shared_->playing = shared_->paused = false;
    shared_->ClearBufferLocked();
    return kOk;
}

std::uint32_t CdDevice::Pause() {
    if (!Ready()) return kDeviceNotReady;
    std::lock_guard lock(shared_->mutex);
    if (shared_->playing) shared_->paused = true;
    return kOk;
}

std::uint32_t CdDevice::Resume() {
    if (!Ready()) return kDeviceNotReady;
    std::lock_guard lock(shared_->mutex);
    shared_->paused = false;
    return kOk;
}

std::uint32_t CdDevice::Seek(const std::vector<Word>& words) {
    if (words.size() != 2 || !EqualsIgnoringAsciiCase(words[0].text, "to"))
        return words.empty() ? kMissingParameter : kUnrecognizedKeyword;
    if (!Ready()) return kDeviceNotReady;
    std::int64_t target = 0;
    if (EqualsIgnoringAsciiCase(words[1].text, "start"))
        target = toc_.tracks.front().start;
    else if (EqualsIgnoringAsciiCase(words[1].text, "end"))
        target = toc_.leadOut;
    else if (const auto err = ParsePosition(format_, words[1].text, toc_, target))
        return err;
    if (target < toc_.tracks.front().start || target > toc_.leadOut) return kOutOfRange;
    std::lock_guard lock(shared_->mutex);
    shared_->playing = shared_->paused = false;
    shared_->ClearBufferLocked();
    shared_->positionSample = target * kSamplesPerSector;
    return kOk;
}

std::uint32_t CdDevice::Set(const std::vector<Word>& words) {
    if (words.empty()) return kMissingParameter;
    if (words.size() >= 2 && EqualsIgnoringAsciiCase(words[0].text, "time") &&
        EqualsIgnoringAsciiCase(words[1].text, "format")) {
        if (words.size() != 3) return words.size() < 3 ? kMissingParameter : kUnrecognizedKeyword;
        TimeFormat format;
        if (!ParseTimeFormat(words[2].text, format)) return kBadConstant;
        format_ = format;
        return kOk;
    }
    if (EqualsIgnoringAsciiCase(words[0].text, "door")) return kUnsupportedFunction;
    return kUnrecognizedKeyword;
}

std::uint32_t CdDevice::Status(const std::vector<Word>& words, std::string& reply) {
    if (words.empty()) return kMissingParameter;
    std::vector<std::string> w;
    for (const auto& word : words) w.push_back(LowerAscii(word.text));
    const auto is = [&w](std::initializer_list<const char*> expected) {
        if (w.size() != expected.size()) return false;
        std::size_t i = 0;
        for (const char* e : expected)
            if (w[i++] != e) return false;
        return true;
    };
    // "position track n", "length track n", "type track n": n must be a track of the disc.
    int trackIndex = -1;
    const bool perTrack = w.size() == 3 && w[1] == "track";
    if (perTrack) {
        std::uint64_t n = 0;
        if (!ParseUnsigned(w[2], n)) return kBadInteger;
        if (!Ready()) return kDeviceNotReady;
        trackIndex = n <= 99 ? toc_.IndexOf(static_cast<int>(n)) : -1;
        if (trackIndex < 0) return kOutOfRange;
    }

    if (is({"mode"})) {
        if (!Ready())
            reply = "not ready";
        else {
            std::lock_guard lock(shared_->mutex);
            reply = !shared_->playing ? "stopped" : shared_->paused ? "paused" : "playing";
        }
    } else if (is({"ready"}) || is({"media", "present"})) {
        reply = Ready() ? "true" : "false";
    } else if (is({"time", "format"})) {
        reply = TimeFormatName(format_);
    } else if (is({"number", "of", "tracks"})) {
        if (!Ready()) return kDeviceNotReady;
        reply = std::to_string(toc_.tracks.size());
    } else if (is({"current", "track"})) {
        if (!Ready()) return kDeviceNotReady;
        const int index = toc_.IndexAt(std::min(PositionSector(), toc_.leadOut - 1));
        reply = std::to_string(toc_.tracks[static_cast<std::size_t>(std::max(index, 0))].number);
    } else if (is({"position"})) {
        if (!Ready()) return kDeviceNotReady;
        reply = FormatPosition(format_, PositionSector(), toc_);
    } else if (is({"length"})) {
        if (!Ready()) return kDeviceNotReady;
        reply = FormatLength(format_, toc_.leadOut - toc_.tracks.front().start);
    } else if (perTrack && w[0] == "position") {
        reply = FormatPosition(format_, toc_.tracks[static_cast<std::size_t>(trackIndex)].start, toc_);
    } else if (perTrack && w[0] == "length") {
        reply =
            FormatLength(format_, toc_.TrackEnd(trackIndex) - toc_.tracks[static_cast<std::size_t>(trackIndex)].start);
    } else if (perTrack && w[0] == "type") {
        reply = toc_.tracks[static_cast<std::size_t>(trackIndex)].audio ? "audio" : "other";
    } else {
        return kUnrecognizedKeyword;
    }
    return kOk;
}

}  // namespace tav::mci
