// The schedule file "Tavrelle_P.rdm": one 202-byte record.
//   offset 0: ScheduleMode, signed 16-bit little-endian (0 none, 1 by weekday,
//             2 by hour, 3 by weekday and hour);
//   offset 2: 8 x 25 one-byte cells, cell (d, h) at 2 + d + 8h,
//             d = 0 ... 7, h = 0 ... 24.
// A cell holds a group digit "0" ... "9"; a blank (or any other byte) means
// the default group.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tav {

inline constexpr std::size_t kScheduleRecordSize = 202;
inline constexpr int kScheduleDays = 8;    // d = 0 ... 7 (1 = Sunday ... 7 = Saturday)
inline constexpr int kScheduleHours = 25;  // h = 0 ... 24 (h + 1 is the hour h:00 ... h:59)

struct ScheduleRecord {
    std::int16_t Mode = 0;
    // The 200 cells in file order (index d + 8h); all blanks by default.
    std::array<char, kScheduleDays* kScheduleHours> Cells = BlankCells();

    // Cell (d, h); d or h out of range gives a blank.
    char Cell(int d, int h) const;
    void SetCell(int d, int h, char c);

    static constexpr std::array<char, kScheduleDays * kScheduleHours> BlankCells() {
        std::array<char, kScheduleDays * kScheduleHours> cells{};
        for (auto& c : cells) c = ' ';
        return cells;
    }
    bool operator==(const ScheduleRecord&) const = default;
};

// Full path of the schedule file in the data folder.
std::string SchedulePath(const std::string& folder);

// The record when the file exists and holds exactly one record
// (length / 202 == 1); std::nullopt otherwise. Never creates the file.
std::optional<ScheduleRecord> ReadScheduleFile(const std::string& path);

// What the schedule dialog starts from: the file's record, or mode 0 with
// every cell blank when the file does not hold exactly one record.
ScheduleRecord LoadScheduleOrBlank(const std::string& path);

// Replaces the file by the 202-byte record (atomic).
bool WriteScheduleFile(const std::string& path, const ScheduleRecord& record);

}  // namespace tav
