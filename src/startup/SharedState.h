// The program's one copy of its settings and run state.
//
// One process runs one mode (slide show, settings dialog, preview), all on the
// user-interface thread, so the state below is plain globals with no locking.
// Only the top of the program keeps them; the layers below take and return
// the values (storage/SettingsModel.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "storage/Settings.h"
#include "storage/SettingsModel.h"

namespace tav {

// The data folder of this run, without a trailing "/". Set by the entry
// routine (PrepareDataFolder) from DataFolderLocation(); every reader and
// writer of the data files is handed it.
extern std::string DataFolder;

// Where the data folder is: $XDG_DATA_HOME/Tavrelle, or
// ~/.local/share/Tavrelle when XDG_DATA_HOME is unset or empty (or not
// absolute), or the override set for tests.
std::string DataFolderLocation();
// Tests point the data folder at a temporary folder; std::nullopt removes
// the override.
void SetDataFolderOverride(std::optional<std::string> folder);

// The function that measures the screen for area size 3: the program's entry
// installs the real one (startup/ScreenMeasure.h), tests and tools their own.
// Without one the screen counts as 1024x768.
using ScreenSizeFunction = std::function<ScreenSize()>;
void SetScreenSizeFunction(ScreenSizeFunction function);
ScreenSize MeasureScreen();

extern SaverSettingsData SaverSettings;
extern CurrentValues Current;
extern PictureListData PictureList;

// Mode of the schedule file read at the slide-show start: 0 = none,
// 1 = by weekday, 2 = by hour, 3 = by weekday and hour.
extern std::int16_t ScheduleMode;

// SaverSettings := the settings files of DataFolder (ReadAllSettings), then
// SelectGroup(CurrentGroup).
void LoadSettings();

// Current := the values of group n of SaverSettings (GroupValues, on the
// screen MeasureScreen gives). An n outside 0 ... 9 changes nothing.
void SelectGroup(int n);

// Saves SaverSettings and the current group's pictures into DataFolder
// (WriteAllSettings).
bool SaveAllSettings(const std::vector<std::string>& currentGroupPictures, std::string* failedFile = nullptr);

// Resets every shared value above, and DataFolder, to its start-of-process state (tests).
void ResetSharedState();

}  // namespace tav
