// The program's settings and run state, the Tavrelle_B module.
#include "startup/SharedState.h"

#include "storage/Settings.h"

namespace tav {

SaverSettingsData SaverSettings;
CurrentValues Current;
PictureListData PictureList;
std::int16_t ScheduleMode = 0;

namespace {

bool ValidGroup(int n) { return n >= 0 && n < kGroupCount; }

}  // namespace

void LoadSettings() {
    SaverSettings = ReadAllSettings();
    SelectGroup(SaverSettings.CurrentGroup);
}

void SelectGroup(int n) {
    if (ValidGroup(n)) Current = GroupValues(SaverSettings, n);
}

void StoreCurrentIntoGroup(int n) {
    if (ValidGroup(n)) SaverSettings.Groups[static_cast<std::size_t>(n)] = Current.Settings();
}

bool SaveAllSettings(const std::vector<std::string>& currentGroupPictures, std::string* failedFile) {
    return WriteAllSettings(SaverSettings, currentGroupPictures, failedFile);
}

void ResetSharedState() {
    SaverSettings = SaverSettingsData{};
    Current = CurrentValues{};
    PictureList.Clear();
    ScheduleMode = 0;
    DataFolder.clear();
}

}  // namespace tav
