#include "storage/ScheduleFile.h"

#include "base/LittleEndian.h"
#include "storage/SettingsModel.h"
#include "storage/AtomicFile.h"

namespace tav {

namespace {

constexpr std::size_t kCellsAt = 2;

bool InRange(int d, int h) { return d >= 0 && d < kScheduleDays && h >= 0 && h < kScheduleHours; }

}  // namespace

char ScheduleRecord::Cell(int d, int h) const {
    return InRange(d, h) ? Cells[static_cast<std::size_t>(d + kScheduleDays * h)] : ' ';
}

void ScheduleRecord::SetCell(int d, int h, char c) {
    if (InRange(d, h)) Cells[static_cast<std::size_t>(d + kScheduleDays * h)] = c;
}

std::string SchedulePath(const std::string& folder) { return DataFile(folder, kScheduleFileName); }

std::optional<ScheduleRecord> ReadScheduleFile(const std::string& path) {
    // Two records' worth tells "exactly one record" from "more".
    const FileRead file = ReadDataFile(path, 2 * kScheduleRecordSize);
    if (!file.read() || file.bytes.size() / kScheduleRecordSize != 1) return std::nullopt;
    const Bytes& bytes = file.bytes;
    ScheduleRecord record;
    record.Mode = ReadI16(bytes.data());
    for (std::size_t i = 0; i < record.Cells.size(); ++i) record.Cells[i] = static_cast<char>(bytes[kCellsAt + i]);
    return record;
}

ScheduleRecord LoadScheduleOrBlank(const std::string& path) {
    return ReadScheduleFile(path).value_or(ScheduleRecord{});
}

bool WriteScheduleFile(const std::string& path, const ScheduleRecord& record) {
    Bytes bytes(kScheduleRecordSize);
    WriteI16(bytes.data(), record.Mode);
    for (std::size_t i = 0; i < record.Cells.size(); ++i)
        bytes[kCellsAt + i] = static_cast<std::uint8_t>(record.Cells[i]);
    return WriteFileAtomically(path, bytes);
}

}  // namespace tav
