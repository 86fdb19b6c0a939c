#include "x11/X11Windows.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string_view>

#include <xcb/randr.h>
#include <xcb/xcb.h>

// Xlib last: its macros (Bool, Status, None) clash with Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "x11/XConnection.h"

namespace tav {

namespace {

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

// The client windows the window manager lists; empty without one.
std::vector<Window> ManagedClients(Display* display) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Window> clients;
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 65536, False, XA_WINDOW, &actualType,
                           &actualFormat, &count, &remaining, &data) == Success &&
        data) {
        // Format-32 properties come back as an array of long, whatever its width.
        if (actualFormat == 32) {
            const auto* ids = reinterpret_cast<const unsigned long*>(data);
            clients.assign(ids, ids + count);
        }
        XFree(data);
    }
    return clients;
}

}  // namespace

bool TopLevelWindowTitled(const std::vector<std::string>& titles) {
    if (titles.empty() || OnOffscreenPlatform()) return false;
    bool found = false;
    // A window can vanish between listing and reading it; it is then passed over.
    const bool answered = WithXDisplay([&](Display* display) {
        const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        auto titled = [&](Window w) { return Titled(display, w, netWmName, utf8, titles); };
        found = [&] {
            for (Window client : ManagedClients(display))
                if (titled(client)) return true;
            // Windows the window manager does not manage (the saver window
            // bypasses it, and there may be no window manager at all) are
            // children of the root; a reparenting window manager puts the
            // others inside a frame, one level further down.
            for (Window top : Children(display, DefaultRootWindow(display))) {
                if (titled(top)) return true;
                for (Window client : Children(display, top))
                    if (titled(client)) return true;
            }
            return false;
        }();
    });
    return answered && found;
}

bool X11ScreenSize(int& width, int& height) {
    int w = 0, h = 0;
    const bool answered = WithXDisplay([&](Display* display) {
        const int screen = DefaultScreen(display);
        w = DisplayWidth(display, screen);
        h = DisplayHeight(display, screen);
    });
    if (!answered) return false;
    width = w;
    height = h;
    return width > 0 && height > 0;
}

bool X11PrimaryMonitorSize(const std::string& name, int& width, int& height) {
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(name.empty() ? nullptr : name.c_str(), &screenNumber), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem <= 0) return false;
    const xcb_screen_t* screen = screens.data;
    int w = screen->width_in_pixels, h = screen->height_in_pixels;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection.get(), &xcb_randr_id);
    std::unique_ptr<xcb_randr_query_version_reply_t, decltype(&std::free)> version(
        randr && randr->present
            ? xcb_randr_query_version_reply(connection.get(), xcb_randr_query_version(connection.get(), 1, 5), nullptr)
            : nullptr,
        &std::free);
    if (version && (version->major_version > 1 || version->minor_version >= 5)) {
        const std::unique_ptr<xcb_randr_get_monitors_reply_t, decltype(&std::free)> monitors(
            xcb_randr_get_monitors_reply(connection.get(), xcb_randr_get_monitors(connection.get(), screen->root, 1),
                                         nullptr),
            &std::free);
        if (monitors) {
            bool first = true;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                if (first || it.data->primary) w = it.data->width, h = it.data->height;
                if (it.data->primary) break;
                first = false;
            }
        }
    }
    width = w;
    height = h;
    return width > 0 && height > 0;
}

bool X11DisplayReachable(const std::string& name) {
    return WithXDisplay(name, [](Display*) {});
}

}  // namespace tav
