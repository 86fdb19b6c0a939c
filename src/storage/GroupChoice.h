// Which picture group a slide-show run uses, and reading its list.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/ScheduleFile.h"

namespace tav {

// The moment a run starts: weekday 1 = Sunday ... 7 = Saturday, hour 0 ... 23.
struct ClockReading {
    std::int16_t Weekday = 1;
    std::int16_t Hour = 0;
};
using ClockFunction = std::function<ClockReading()>;

// The local clock, read now.
ClockReading ReadLocalClock();

// The schedule cell for a mode: mode 1 -> cell (weekday, 0), mode 2 ->
// cell (0, hour + 1), mode 3 -> cell (weekday, hour + 1); any other mode
// gives no cell (returns '\0').
char ScheduleCellFor(const ScheduleRecord& schedule, ClockReading now);

// The group of the run: the cell's digit, or currentGroup when the cell is
// blank, not a digit, or the mode has no cell.
int ChooseGroup(const ScheduleRecord& schedule, ClockReading now, int currentGroup);

// The result of choosing the run's list.
struct RunList {
    int Group = 0;                      // group whose list was read
    std::vector<std::string> Pictures;  // its entries, trimmed
    std::int16_t ScheduleMode = 0;      // mode of the schedule file read (0 without one)
};

// Reads the schedule file of the data folder (its mode into ScheduleMode), chooses the
// group for now, and reads that group's list; when it has no record, the list
// of currentGroup is read instead. An empty Pictures means neither list holds
// a record.
RunList ChooseRunList(const std::string& folder, ClockReading now, int currentGroup);

}  // namespace tav
