#include "x11/ForeignWindow.h"

#include <X11/Xlib.h>

namespace tav {
namespace {

// A window that goes away between two calls must not end the program through
// Xlib's default error handler.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

Display* Connection() {
    static Display* display = [] {
        XSetErrorHandler(IgnoreXErrors);
        return XOpenDisplay(nullptr);
    }();
    return display;
}

}  // namespace

bool ForeignWindowSize(unsigned long windowId, int& width, int& height) {
    Display* d = Connection();
    if (!d || windowId == 0) return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, static_cast<Window>(windowId), &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool ForeignWindowExists(unsigned long windowId) {
    int w = 0, h = 0;
    return ForeignWindowSize(windowId, w, h);
}

}  // namespace tav
