#include "measure/XClient.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <chrono>

namespace tav {
namespace {
Display* D(void* p) { return static_cast<Display*>(p); }

// A window that went between its event and a question about it is no fault
// of the measurement.
int IgnoreError(Display*, XErrorEvent*) { return 0; }
}  // namespace

XClient::XClient() : display_(XOpenDisplay(nullptr)) {
    XSetErrorHandler(&IgnoreError);
    int event = 0, error = 0, major = 0, minor = 0;
    xtest_ = display_ && XTestQueryExtension(D(display_), &event, &error, &major, &minor);
}

XClient::~XClient() {
    if (display_) XCloseDisplay(D(display_));
}

void XClient::TypeKey(char letter) {
    const char name[2] = {letter, '\0'};
    const KeyCode code = XKeysymToKeycode(D(display_), XStringToKeysym(name));
    XTestFakeKeyEvent(D(display_), code, True, CurrentTime);
    XTestFakeKeyEvent(D(display_), code, False, CurrentTime);
    XFlush(D(display_));
}

void XClient::Click() {
    XTestFakeButtonEvent(D(display_), 1, True, CurrentTime);
    XTestFakeButtonEvent(D(display_), 1, False, CurrentTime);
    XFlush(D(display_));
}

void XClient::MovePointerTo(int x, int y) {
    XTestFakeMotionEvent(D(display_), DefaultScreen(D(display_)), x, y, CurrentTime);
    XFlush(D(display_));
}

void XClient::WatchWindows() {
    Display* d = D(display_);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
}

namespace {

// The next event within the time left until `end`; false when none came.
bool NextEvent(Display* d, std::chrono::steady_clock::time_point end, XEvent& event) {
    for (;;) {
        if (XPending(d) > 0) {
            XNextEvent(d, &event);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
}

}  // namespace

unsigned long XClient::WaitMapped(int ms) {
    Display* d = D(display_);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    XEvent event;
    while (NextEvent(d, end, event)) {
        if (event.type != MapNotify || event.xmap.event != DefaultRootWindow(d)) continue;
        XWindowAttributes a;
        if (XGetWindowAttributes(d, event.xmap.window, &a) && a.width * 2 >= ScreenWidth()) return event.xmap.window;
    }
    return 0;
}

bool XClient::WaitGone(unsigned long window, int ms) {
    Display* d = D(display_);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    XEvent event;
    while (NextEvent(d, end, event)) {
        if (event.type == UnmapNotify && event.xunmap.window == window) return true;
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) return true;
    }
    return false;
}

std::uint32_t XClient::ScreenPixel(int x, int y) {
    Display* d = D(display_);
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const std::uint32_t p = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return p;
}

int XClient::ScreenWidth() const { return DisplayWidth(D(display_), DefaultScreen(D(display_))); }
int XClient::ScreenHeight() const { return DisplayHeight(D(display_), DefaultScreen(D(display_))); }

}  // namespace tav
