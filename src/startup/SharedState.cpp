// The program's settings and run state, the Tavrelle_B module.
#include "startup/SharedState.h"

#include <cstdlib>

namespace tav {

std::string DataFolder;
SaverSettingsData SaverSettings;
CurrentValues Current;
PictureListData PictureList;
std::int16_t ScheduleMode = 0;

namespace {

bool ValidGroup(int n) { return n >= 0 && n < kGroupCount; }

std::optional<std::string>& DataFolderOverride() {
    static std::optional<std::string> folder;
    return folder;
}

ScreenSizeFunction& ScreenFunction() {
    static ScreenSizeFunction function;
    return function;
}

}  // namespace

std::string DataFolderLocation() {
    if (DataFolderOverride()) return *DataFolderOverride();
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/Tavrelle";
}

void SetDataFolderOverride(std::optional<std::string> folder) { DataFolderOverride() = std::move(folder); }

void SetScreenSizeFunction(ScreenSizeFunction function) { ScreenFunction() = std::move(function); }

ScreenSize MeasureScreen() { return ScreenFunction() ? ScreenFunction()() : ScreenSize{1024, 768}; }

void LoadSettings() {
    SaverSettings = ReadAllSettings(DataFolder);
    SelectGroup(SaverSettings.CurrentGroup);
}

void SelectGroup(int n) {
    if (ValidGroup(n)) Current = GroupValues(SaverSettings, n, MeasureScreen());
}

bool SaveAllSettings(const std::vector<std::string>& currentGroupPictures, std::string* failedFile) {
    return WriteAllSettings(DataFolder, SaverSettings, currentGroupPictures, failedFile);
}

void ResetSharedState() {
    SaverSettings = SaverSettingsData{};
    Current = CurrentValues{};
    PictureList.Clear();
    ScheduleMode = 0;
    DataFolder.clear();
}

}  // namespace tav
