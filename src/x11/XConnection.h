// The program's one connection to the X server, for what Qt does not tell:
// foreign windows, window titles, the screen before Qt starts.
#pragma once

#include <functional>
#include <string>

struct _XDisplay;  // Xlib's Display, without Xlib's macros in every file

namespace tav {

// Runs `use` with the connection to the display named by $DISPLAY, read at
// each call as Xlib itself reads it. The connection is opened at the first
// call and kept for the next ones; a call for another display name closes it
// and opens that one.
//
// One rule for X errors holds inside `use`: a request that fails (a window
// that went away between two requests) only makes that request fail, and a
// connection the server drops makes the call fail and is opened anew at the
// next call. Neither ends the program, as Xlib's default handlers would.
//
// Returns false, without calling `use`, when no display can be opened, and
// false when the connection broke during the call. User-interface thread only.
bool WithXDisplay(const std::function<void(_XDisplay*)>& use);
// The same for the display of that name (":0", "host:1.0"); an empty name
// opens nothing.
bool WithXDisplay(const std::string& name, const std::function<void(_XDisplay*)>& use);

}  // namespace tav
