#include "storage/SettingsRecord.h"

#include <algorithm>

#include "base/LittleEndian.h"
#include "storage/AtomicFile.h"

namespace tav {

namespace {

// Offsets of the per-group arrays; each holds ten 16-bit values except
// BackColor (ten 32-bit values).
constexpr std::size_t kCurrentGroupAt = 0;
constexpr std::size_t kMouseLockAt = 2;
constexpr std::size_t kPicturePreviewAt = 4;
constexpr std::size_t kAreaSizeAt = 24;
constexpr std::size_t kFitModeAt = 44;
constexpr std::size_t kEffectOrderAt = 64;
constexpr std::size_t kPictureOrderAt = 84;
constexpr std::size_t kIntervalSecondsAt = 104;
constexpr std::size_t kBackColorAt = 124;
constexpr std::size_t kMusicModeAt = 164;
constexpr std::size_t kCdTrackAt = 184;
constexpr std::size_t kEffectSpeedAt = 204;

// The 16-bit fields of GroupSettings with their array offsets.
struct Int16Field {
    std::size_t offset;
    std::int16_t GroupSettings::*member;
};
constexpr Int16Field kInt16Fields[] = {
    {kPicturePreviewAt, &GroupSettings::PicturePreview},
    {kAreaSizeAt, &GroupSettings::AreaSize},
    {kFitModeAt, &GroupSettings::FitMode},
    {kEffectOrderAt, &GroupSettings::EffectOrder},
    {kPictureOrderAt, &GroupSettings::PictureOrder},
    {kIntervalSecondsAt, &GroupSettings::IntervalSeconds},
    {kMusicModeAt, &GroupSettings::MusicMode},
    {kCdTrackAt, &GroupSettings::CdTrack},
    {kEffectSpeedAt, &GroupSettings::EffectSpeed},
};

}  // namespace

SettingsRecordBytes EncodeSettingsRecord(const SaverSettingsData& settings) {
    SettingsRecordBytes record{};
    WriteI16(&record[kCurrentGroupAt], settings.CurrentGroup);
    WriteI16(&record[kMouseLockAt], settings.MouseLock);
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        const GroupSettings& group = settings.Groups[g];
        for (const Int16Field& field : kInt16Fields) WriteI16(&record[field.offset + 2 * g], group.*field.member);
        WriteI32(&record[kBackColorAt + 4 * g], group.BackColor);
    }
    return record;
}

void DecodeSettingsRecord(const std::uint8_t* record, SaverSettingsData& settings) {
    settings.CurrentGroup = ReadI16(record + kCurrentGroupAt);
    settings.MouseLock = ReadI16(record + kMouseLockAt);
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        GroupSettings& group = settings.Groups[g];
        for (const Int16Field& field : kInt16Fields) group.*field.member = ReadI16(record + field.offset + 2 * g);
        group.BackColor = ReadI32(record + kBackColorAt + 4 * g);
    }
}

RecordRead ReadSettingsRecord(const std::string& path, SaverSettingsData& settings) {
    const FileRead file = ReadDataFile(path, kSettingsRecordSize);
    if (file.state == FileState::Unreadable) return RecordRead::Unreadable;
    if (!file.read() || file.bytes.size() < kSettingsRecordSize) return RecordRead::Missing;
    DecodeSettingsRecord(file.bytes.data(), settings);
    return RecordRead::Read;
}

std::optional<Bytes> SettingsFileContents(const std::string& path, const SaverSettingsData& settings) {
    // Only record 1 changes; whatever follows it in the file is kept.
    std::optional<Bytes> bytes = ContentsToKeep(path);
    if (!bytes) return std::nullopt;
    if (bytes->size() < kSettingsRecordSize) bytes->resize(kSettingsRecordSize);
    const SettingsRecordBytes record = EncodeSettingsRecord(settings);
    std::copy(record.begin(), record.end(), bytes->begin());
    return bytes;
}

bool WriteSettingsRecord(const std::string& path, const SaverSettingsData& settings) {
    const std::optional<Bytes> bytes = SettingsFileContents(path, settings);
    return bytes && WriteFileAtomically(path, *bytes);
}

}  // namespace tav
