#include "measure/XClient.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace tav {
namespace {
Display* D(void* p) { return static_cast<Display*>(p); }
}  // namespace

XClient::XClient() : display_(XOpenDisplay(nullptr)) {
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
