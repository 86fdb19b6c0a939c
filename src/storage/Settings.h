// Loading, selecting and saving the settings of the ten picture groups.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "storage/SettingsModel.h"

namespace tav {

// The settings in "Tavrelle_S.rdm" and "Tavrelle.ini" of the data folder.
//  - A settings file shorter than one record (absent, empty, damaged) is
//    replaced by the defaults at once; a longer one is read normally.
//  - A CurrentGroup outside 0 ... 9 in the file is taken as group 0.
//  - A music path that is empty or names no existing file becomes empty, and
//    music kind 2 (file) of that group is turned off.
//  - An opacity is read as a number rounded down; a missing, empty,
//    non-numeric or out-of-range value gives 200, and loading carries on.
SaverSettingsData ReadAllSettings(const std::string& folder);

// Screen size in pixels for area size 3.
struct ScreenSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// The values of group n (0 ... 9; any other n gives group 0's) of settings,
// resolving AreaSize: 0 = 640x480, 1 = 800x600, 2 = 1024x768, 3 = screen;
// any other value is taken as 640x480. Storage never looks at the screen
// itself: the caller measures it.
CurrentValues GroupValues(const SaverSettingsData& settings, int n, ScreenSize screen);

// The opacity rule of the INI file: a decimal number rounded down; std::nullopt
// when the text is empty, not a number, or outside the signed 16-bit range.
std::optional<std::int16_t> ParseOpacity(const std::string& text);

// The settings dialog's save of settings, in this order (the dialog has
// already stored its controls into the group of CurrentGroup):
//  1. the picture list of CurrentGroup is rewritten with currentGroupPictures;
//  2. record 1 of "Tavrelle_S.rdm" is written from settings (the file's
//     other bytes are kept);
//  3. for n = 0 ... 9, "BGMﾌｧｲﾙ_" + n := MusicFile and "半透明_" + n :=
//     Opacity (decimal) in section "Section" of "Tavrelle.ini".
// The three files are saved as one (FileTransaction): all are written before
// any is replaced, and a failure before the replacing changes none of them.
// Returns false when the save failed, with failedFile (when given) set to the
// full path of the file that could not be written.
bool WriteAllSettings(const std::string& folder, const SaverSettingsData& settings,
                      const std::vector<std::string>& currentGroupPictures, std::string* failedFile = nullptr);

}  // namespace tav
