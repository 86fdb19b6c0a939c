#include "music/mci/MciCdTime.h"

#include "music/mci/MciCommand.h"
#include "music/mci/MciErrors.h"

#include <cstdio>

namespace tav::mci {

namespace {

std::string Msf(std::int64_t frames) {
    if (frames < 0) frames = 0;
    const std::int64_t minutes = frames / (60 * kFramesPerSecond);
    const int seconds = static_cast<int>((frames / kFramesPerSecond) % 60);
    const int rest = static_cast<int>(frames % kFramesPerSecond);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(minutes), seconds, rest);
    return text;
}

// Splits "a:b:c" into at most maxFields numbers; empty fields are not allowed.
bool SplitFields(std::string_view text, int maxFields, std::vector<std::uint64_t>& fields) {
    fields.clear();
    std::size_t pos = 0;
    while (true) {
        const std::size_t colon = text.find(':', pos);
        const std::string_view field =
            text.substr(pos, colon == std::string_view::npos ? std::string_view::npos : colon - pos);
        std::uint64_t value = 0;
        if (!ParseUnsigned(field, value)) return false;
        fields.push_back(value);
        if (static_cast<int>(fields.size()) > maxFields) return false;
        if (colon == std::string_view::npos) return true;
        pos = colon + 1;
    }
}

}  // namespace

bool CdToc::HasAudio() const {
    for (const auto& t : tracks)
        if (t.audio) return true;
    return false;
}

int CdToc::IndexOf(int number) const {
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].number == number) return static_cast<int>(i);
    return -1;
}

int CdToc::IndexAt(std::int64_t sector) const {
    if (tracks.empty() || sector < tracks.front().start || sector >= leadOut) return -1;
    int found = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].start <= sector) found = static_cast<int>(i);
    return found;
}

int CdToc::AudioIndexFrom(std::int64_t sector) const {
    for (int i = IndexAt(sector); i >= 0 && i < static_cast<int>(tracks.size()); ++i)
        if (tracks[static_cast<std::size_t>(i)].audio) return i;
    return -1;
}

std::int64_t CdToc::TrackEnd(int index) const {
    if (index < 0 || index >= static_cast<int>(tracks.size())) return leadOut;
    return index + 1 < static_cast<int>(tracks.size()) ? tracks[static_cast<std::size_t>(index) + 1].start : leadOut;
}

bool ParseTimeFormat(std::string_view name, TimeFormat& format) {
    if (EqualsIgnoringAsciiCase(name, "msf"))
        format = TimeFormat::Msf;
    else if (EqualsIgnoringAsciiCase(name, "tmsf"))
        format = TimeFormat::Tmsf;
    else if (EqualsIgnoringAsciiCase(name, "milliseconds") || EqualsIgnoringAsciiCase(name, "ms"))
        format = TimeFormat::Milliseconds;
    else
        return false;
    return true;
}

const char* TimeFormatName(TimeFormat format) {
    switch (format) {
    case TimeFormat::Msf: return "msf";
    case TimeFormat::Tmsf: return "tmsf";
    case TimeFormat::Milliseconds: return "milliseconds";
    }
    return "msf";
}

std::string FormatPosition(TimeFormat format, std::int64_t sector, const CdToc& toc) {
    switch (format) {
    case TimeFormat::Msf: return Msf(sector + kLeadInFrames);
    case TimeFormat::Milliseconds: return std::to_string((sector + kLeadInFrames) * 1000 / kFramesPerSecond);
    case TimeFormat::Tmsf: {
        int index = toc.IndexAt(sector);
        if (index < 0) index = sector >= toc.leadOut && !toc.Empty() ? static_cast<int>(toc.tracks.size()) - 1 : 0;
        if (toc.Empty()) return "01:00:00:00";
        const auto& track = toc.tracks[static_cast<std::size_t>(index)];
        char text[16];
        std::snprintf(text, sizeof text, "%02d:", track.number);
        return text + Msf(sector - track.start);
    }
    }
    return {};
}

std::string FormatLength(TimeFormat format, std::int64_t sectors) {
    if (format == TimeFormat::Milliseconds) return std::to_string(sectors * 1000 / kFramesPerSecond);
    return Msf(sectors);
}

std::uint32_t ParsePosition(TimeFormat format, std::string_view text, const CdToc& toc, std::int64_t& sector) {
    std::vector<std::uint64_t> f;
    switch (format) {
    case TimeFormat::Milliseconds: {
        std::uint64_t ms = 0;
        if (!ParseUnsigned(text, ms)) return kBadInteger;
        if (ms > 1000000000000ULL) return kOutOfRange;
        sector = static_cast<std::int64_t>(ms) * kFramesPerSecond / 1000 - kLeadInFrames;
        return kOk;
    }
    case TimeFormat::Msf: {
        if (!SplitFields(text, 3, f)) return kBadInteger;
        f.resize(3, 0);
        if (f[0] > 100000 || f[1] > 59 || f[2] >= kFramesPerSecond) return kOutOfRange;
        sector = static_cast<std::int64_t>((f[0] * 60 + f[1]) * kFramesPerSecond + f[2]) - kLeadInFrames;
        return kOk;
    }
    case TimeFormat::Tmsf: {
        if (!SplitFields(text, 4, f)) return kBadInteger;
        f.resize(4, 0);
        if (f[0] > 99 || f[1] > 100000 || f[2] > 59 || f[3] >= kFramesPerSecond) return kOutOfRange;
        const int index = toc.IndexOf(static_cast<int>(f[0]));
        if (index < 0) return kOutOfRange;
        sector = toc.tracks[static_cast<std::size_t>(index)].start +
                 static_cast<std::int64_t>((f[1] * 60 + f[2]) * kFramesPerSecond + f[3]);
        return kOk;
    }
    }
    return kBadInteger;
}

}  // namespace tav::mci
