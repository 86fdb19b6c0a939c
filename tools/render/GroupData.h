#pragma once
// A picture group as the slide show reads it from the data folder: the
// settings, the group's own values and its picture list. Nothing in the data
// folder is created or written, not even the files the show would make
// when they are missing.

#include <string>
#include <vector>

#include "startup/SharedState.h"

namespace tav {

struct GroupData {
    CurrentValues values;               // the group's current values, area resolved
    std::vector<std::string> pictures;  // its list, entries 1 ... N
    std::string music;                  // the music file it plays (MP3 or WAV), or empty
};

// The area of a group set to the whole screen, when no size is given: the
// renderer runs without a screen.
inline constexpr int kScreenWidth = 1920;
inline constexpr int kScreenHeight = 1080;

// Reads group `group` (0 ... 9). False with `error` when it cannot be shown:
// fewer than two pictures, as the show asks for.
bool ReadGroup(int group, GroupData& data, std::string& error);

}  // namespace tav
