#pragma once
// A desktop screen saver with several monitors starts one copy of the show
// per monitor. The copies agree through a lock file in the user's runtime
// folder that only one of them plays the music: the copy that holds the lock.
// The lock belongs to the process, so it goes with it however it ends.

#include <string>

namespace tav {

// The lock file for the display the program runs on, in $XDG_RUNTIME_DIR
// (or Qt's fallback for it when that is unset).
std::string MusicClaimPath();

// True when this process holds the music now, also when it already did.
// When no lock file can be made the answer is true, so a copy that cannot
// ask the others plays like a lone copy would.
bool ClaimMusic();

}  // namespace tav
