#include "platform/X11Windows.h"

#include <QGuiApplication>
#include <cstdlib>
#include <string_view>

// Xlib last: its macros (Bool, Status, None) clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tav {

namespace {

// A window can vanish between listing and reading it; the default handler
// would end the process on the resulting BadWindow.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

bool OnOffscreenPlatform() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::platformName() == QLatin1String("offscreen");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && std::string_view(platform).starts_with("offscreen");
}

std::string TextProperty(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &actualFormat, &count,
                           &remaining, &data) == Success &&
        data) {
        if (actualFormat == 8) text.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return text;
}

bool Titled(Display* display, Window window, Atom netWmName, Atom utf8, const std::vector<std::string>& titles) {
    std::string title = TextProperty(display, window, netWmName, utf8);
    if (title.empty()) title = TextProperty(display, window, XA_WM_NAME, AnyPropertyType);
    if (title.empty()) return false;
    for (const std::string& wanted : titles)
        if (title == wanted) return true;
    return false;
}

std::vector<Window> Children(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

}  // namespace

bool TopLevelWindowTitled(const std::vector<std::string>& titles) {
    if (titles.empty() || OnOffscreenPlatform()) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    bool found = false;
    // Without a window manager the program's windows are children of the
    // root; a reparenting window manager puts each inside a frame, one level
    // further down.
    for (Window top : Children(display, DefaultRootWindow(display))) {
        if (Titled(display, top, netWmName, utf8, titles)) {
            found = true;
            break;
        }
        for (Window client : Children(display, top)) {
            if (Titled(display, client, netWmName, utf8, titles)) {
                found = true;
                break;
            }
        }
        if (found) break;
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return found;
}

bool X11ScreenSize(int& width, int& height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    width = DisplayWidth(display, screen);
    height = DisplayHeight(display, screen);
    XCloseDisplay(display);
    return width > 0 && height > 0;
}

}  // namespace tav
