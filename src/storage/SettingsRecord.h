// The 224-byte settings record of "Tavrelle_S.rdm".
//
// Layout (little-endian, no padding; arrays by group 0 ... 9):
//   0 CurrentGroup, 2 MouseLock, 4 PicturePreview[10], 24 AreaSize[10],
//   44 FitMode[10], 64 EffectOrder[10], 84 PictureOrder[10],
//   104 IntervalSeconds[10], 124 BackColor[10] (4 bytes each),
//   164 MusicMode[10], 184 CdTrack[10], 204 EffectSpeed[10].
// MusicFile and Opacity are not in the record (they live in the INI file).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/SettingsModel.h"

namespace tav {

inline constexpr std::size_t kSettingsRecordSize = 224;

using SettingsRecordBytes = std::array<std::uint8_t, kSettingsRecordSize>;

SettingsRecordBytes EncodeSettingsRecord(const SaverSettingsData& settings);
// Fills the record fields of settings; MusicFile and Opacity are left as they are.
void DecodeSettingsRecord(const std::uint8_t* record, SaverSettingsData& settings);

enum class RecordRead {
    Read,        // record 1 was read into settings
    Missing,     // no file, or one shorter than a record: to be replaced by the defaults
    Unreadable,  // a file is there that cannot be read: it must be left alone
};

// Reads record 1 of the file (and nothing beyond it). Settings are untouched
// unless the answer is Read.
RecordRead ReadSettingsRecord(const std::string& path, SaverSettingsData& settings);

// The new contents of the file: settings as record 1, the bytes after it
// kept; std::nullopt when the present file cannot be read (its other bytes
// would be lost).
std::optional<std::vector<std::uint8_t>> SettingsFileContents(const std::string& path,
                                                              const SaverSettingsData& settings);

// Writes settings as record 1 of the file, keeping any bytes after it
// (atomic replace). Returns false when the write failed, and when the present
// file cannot be read, since its other bytes would be lost.
bool WriteSettingsRecord(const std::string& path, const SaverSettingsData& settings);

}  // namespace tav
