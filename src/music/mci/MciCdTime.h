// Table of contents of an audio disc and the time formats of the "cdaudio"
// device: positions are written and read as "mm:ss:ff" (msf, an absolute disc
// address that includes the two-second lead-in), "tt:mm:ss:ff" (tmsf, track
// and offset inside it) or plain milliseconds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::mci {

inline constexpr int kFramesPerSecond = 75;    // sectors per second of CD audio
inline constexpr int kLeadInFrames = 150;      // msf address of sector 0
inline constexpr int kSamplesPerSector = 588;  // stereo sample frames per sector
inline constexpr int kBytesPerSector = 2352;

enum class TimeFormat { Msf, Tmsf, Milliseconds };

struct CdTrackInfo {
    int number = 0;
    std::int64_t start = 0;  // first sector
    bool audio = true;
};

struct CdToc {
    std::vector<CdTrackInfo> tracks;  // in disc order
    std::int64_t leadOut = 0;         // first sector after the last track

    bool Empty() const { return tracks.empty(); }
    bool HasAudio() const;
    int FirstTrack() const { return tracks.empty() ? 0 : tracks.front().number; }
    int LastTrack() const { return tracks.empty() ? 0 : tracks.back().number; }
    // Index into tracks of track number n, or -1.
    int IndexOf(int number) const;
    // Index of the track that holds sector, or -1 outside the disc.
    int IndexAt(std::int64_t sector) const;
    // Index of the first audio track that holds sector or starts after it;
    // -1 outside the disc or where only data tracks are left.
    int AudioIndexFrom(std::int64_t sector) const;
    std::int64_t TrackEnd(int index) const;
};

// Parses a time-format name as the "set ... time format" command takes it.
bool ParseTimeFormat(std::string_view name, TimeFormat& format);
const char* TimeFormatName(TimeFormat format);

// Position of sector in the given format; tmsf needs the table of contents.
std::string FormatPosition(TimeFormat format, std::int64_t sector, const CdToc& toc);
// A duration of sectors: msf and tmsf both answer "mm:ss:ff".
std::string FormatLength(TimeFormat format, std::int64_t sectors);
// Reads a position written in format. Returns 0 or an error code.
std::uint32_t ParsePosition(TimeFormat format, std::string_view text, const CdToc& toc, std::int64_t& sector);

}  // namespace tav::mci
