#include "storage/GroupChoice.h"

#include <ctime>

#include "storage/SettingsModel.h"
#include "storage/PictureListFile.h"

namespace tav {

ClockReading ReadLocalClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<std::int16_t>(local.tm_wday + 1), static_cast<std::int16_t>(local.tm_hour)};
}

char ScheduleCellFor(const ScheduleRecord& schedule, ClockReading now) {
    switch (schedule.Mode) {
    case 1: return schedule.Cell(now.Weekday, 0);
    case 2: return schedule.Cell(0, now.Hour + 1);
    case 3: return schedule.Cell(now.Weekday, now.Hour + 1);
    default: return '\0';
    }
}

int ChooseGroup(const ScheduleRecord& schedule, ClockReading now, int currentGroup) {
    const char cell = ScheduleCellFor(schedule, now);
    return (cell >= '0' && cell <= '9') ? cell - '0' : currentGroup;
}

RunList ChooseRunList(const std::string& folder, ClockReading now, int currentGroup) {
    ScheduleRecord schedule;  // mode 0 unless the file holds exactly one record
    const std::string schedulePath = SchedulePath(folder);
    if (FileExists(schedulePath)) {
        if (auto record = ReadScheduleFile(schedulePath)) schedule = *record;
    }
    RunList run;
    run.ScheduleMode = schedule.Mode;
    run.Group = ChooseGroup(schedule, now, currentGroup);
    if (CountListRecords(PictureListPath(folder, run.Group)) == 0) run.Group = currentGroup;
    run.Pictures = ReadPictureListFile(PictureListPath(folder, run.Group));
    return run;
}

}  // namespace tav
