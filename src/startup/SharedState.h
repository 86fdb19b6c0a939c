// The program's one copy of its settings and run state.
//
// One process runs one mode (slide show, settings dialog, preview), all on the
// user-interface thread, so the state below is plain globals with no locking.
// Only the top of the program keeps them; the layers below take and return
// the values (storage/SettingsModel.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/SettingsModel.h"

namespace tav {

extern SaverSettingsData SaverSettings;
extern CurrentValues Current;
extern PictureListData PictureList;

// Mode of the schedule file read at the slide-show start: 0 = none,
// 1 = by weekday, 2 = by hour, 3 = by weekday and hour.
extern std::int16_t ScheduleMode;

// SaverSettings := the settings files of DataFolder (ReadAllSettings), then
// SelectGroup(CurrentGroup).
void LoadSettings();

// Current := the values of group n of SaverSettings (GroupValues). An n
// outside 0 ... 9 changes nothing.
void SelectGroup(int n);

// Copies Current back into group n of SaverSettings (AreaWidth/Height and the
// centres are not stored). The settings dialog uses it to store its working
// values before switching groups or saving. An n outside 0 ... 9 changes nothing.
void StoreCurrentIntoGroup(int n);

// Saves SaverSettings and the current group's pictures (WriteAllSettings).
bool SaveAllSettings(const std::vector<std::string>& currentGroupPictures, std::string* failedFile = nullptr);

// Resets every shared value above, and DataFolder, to its start-of-process state (tests).
void ResetSharedState();

}  // namespace tav
