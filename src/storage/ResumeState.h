// Where a slide show in a desktop saver's window stopped, per picture group,
// so the next start goes on from there. A desktop saver starts its program
// afresh at every activation and every few minutes, and the list from the top
// each time would show the same first pictures again and again.
//
// One small text file per group, $XDG_STATE_HOME/tavrelle/resume-<group>
// (~/.local/state when XDG_STATE_HOME is unset or not absolute), replaced
// atomically:
//
//   tavrelle-resume 1
//   list <entries> <64-bit FNV-1a of the entries, 16 hex digits>
//   next <picture to show first, 1 ... entries>
//   effect <effect last run, 0 ... 143>
//   pictures <one 0/1 per picture: drawn in the bag's cycle; "-" for an empty bag>
//   effects <the same for the effect bag>
//
// A file that is missing, cannot be read, holds anything else (a value out of
// range, a bag of the wrong size) or belongs to another list counts as no
// state: the show starts as usual.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav {

struct ResumeState {
    int NextPicture = 1;
    int EffectNumber = 0;
    // Entry i - 1 is entry i of the bag: true when drawn in the current cycle.
    // Empty: the bag is empty and refills at its next draw.
    std::vector<bool> PictureBag;
    std::vector<bool> EffectBag;
    bool operator==(const ResumeState&) const = default;
};

// The file of a group.
std::string ResumeStatePath(int group);

// The state saved for `group` when it belongs to this list of pictures.
std::optional<ResumeState> ReadResumeState(int group, const std::vector<std::string>& pictures, int effectCount);

// Saves the state; false when the file cannot be written (the show goes on).
bool WriteResumeState(int group, const std::vector<std::string>& pictures, const ResumeState& state);

// The text of the file and its reading, for tests.
std::string ResumeStateText(const std::vector<std::string>& pictures, const ResumeState& state);
std::optional<ResumeState> ParseResumeState(const std::string& text, const std::vector<std::string>& pictures,
                                            int effectCount);

}  // namespace tav
