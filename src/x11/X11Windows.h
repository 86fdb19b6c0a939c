// Finding the program's own windows on the X display by their titles.
#pragma once

#include <string>
#include <vector>

namespace tav {

// True when a top-level window of the display (or the client window inside a
// window manager's frame) has one of the titles, read from _NET_WM_NAME
// (UTF-8) or else WM_NAME. Mapped and unmapped windows both count. False when
// no display can be opened or Qt runs on the offscreen platform.
bool TopLevelWindowTitled(const std::vector<std::string>& titles);

// Size in pixels of the default screen of the X display; false when no
// display can be opened.
bool X11ScreenSize(int& width, int& height);

// Size in pixels of the display's primary monitor, as the toolkit measures
// its primary screen: the RandR monitor marked primary, else the first one,
// else (without RandR 1.5) the whole default screen. `name` is the display
// (":0"); empty takes $DISPLAY. False when no display can be opened. It
// opens a connection of its own, so any thread may ask, also before the
// toolkit has started.
bool X11PrimaryMonitorSize(const std::string& name, int& width, int& height);

// Whether the X display of that name (":0", "host:1.0") accepts a connection;
// an empty name (no $DISPLAY) is not reachable.
bool X11DisplayReachable(const std::string& name);

}  // namespace tav
