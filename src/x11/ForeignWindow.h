#pragma once
// Windows of other programs that host ours: the preview window of a desktop's
// settings, or the full-screen window a desktop screen saver hands its hacks.

namespace tav {

// The window's size in pixels; false when it does not exist (or no display).
bool ForeignWindowSize(unsigned long windowId, int& width, int& height);
bool ForeignWindowExists(unsigned long windowId);

}  // namespace tav
