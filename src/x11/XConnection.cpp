#include "x11/XConnection.h"

#include <cstdlib>

#include <X11/Xlib.h>

namespace tav {

namespace {

struct Connection {
    Display* display = nullptr;
    std::string name;
    bool lost = false;  // the server dropped it; Xlib answers every request with a failure
};

Connection& Shared() {
    static Connection connection;
    return connection;
}

// The handlers in place before a call, for errors of other connections.
XErrorHandler previousError = nullptr;
XIOErrorHandler previousIoError = nullptr;

int OnXError(Display* display, XErrorEvent* event) {
    if (display == Shared().display || !previousError) return 0;
    return previousError(display, event);
}

int OnIoError(Display* display) {
    if (display == Shared().display) {
        Shared().lost = true;
        return 0;
    }
    return previousIoError ? previousIoError(display) : 0;
}

// After a broken connection Xlib calls this instead of ending the process.
void KeepRunning(Display*, void*) {}

// The handlers are the process's, not the connection's, and Qt sets its own;
// ours are in place only while a call runs.
class ErrorRule {
public:
    ErrorRule() {
        previousError = XSetErrorHandler(OnXError);
        previousIoError = XSetIOErrorHandler(OnIoError);
    }
    ~ErrorRule() {
        XSetErrorHandler(previousError);
        XSetIOErrorHandler(previousIoError);
    }
    ErrorRule(const ErrorRule&) = delete;
    ErrorRule& operator=(const ErrorRule&) = delete;
};

Display* Open(const std::string& name) {
    Connection& c = Shared();
    if (c.display && (c.lost || c.name != name)) {
        XCloseDisplay(c.display);
        c = Connection{};
    }
    if (!c.display && !name.empty()) {
        c.display = XOpenDisplay(name.c_str());
        if (c.display) {
            c.name = name;
            XSetIOErrorExitHandler(c.display, KeepRunning, nullptr);
        }
    }
    return c.display;
}

}  // namespace

bool WithXDisplay(const std::string& name, const std::function<void(_XDisplay*)>& use) {
    ErrorRule rule;
    Display* display = Open(name);
    if (!display) return false;
    use(display);
    // Errors of requests that have no reply arrive later; they are taken
    // while our handlers are still in place.
    XSync(display, False);
    return !Shared().lost;
}

bool WithXDisplay(const std::function<void(_XDisplay*)>& use) {
    const char* name = std::getenv("DISPLAY");
    return WithXDisplay(std::string(name ? name : ""), use);
}

}  // namespace tav
