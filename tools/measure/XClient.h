#pragma once
// A small client of the X server the show runs on: it types keys, clicks and
// moves the pointer through the XTEST extension, reads single pixels of the
// screen and sees top-level windows come and go. It is opened before anything
// is timed, so its own start-up is never part of a figure.

#include <cstdint>

namespace tav {

class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // False when there is no display or it lacks the XTEST extension.
    bool ok() const { return display_ != nullptr && xtest_; }
    // Presses and releases the key of the letter `letter`, flushed at once.
    void TypeKey(char letter);
    // Presses and releases the first mouse button, flushed at once.
    void Click();
    // Moves the pointer to (x, y) on the screen, flushed at once.
    void MovePointerTo(int x, int y);
    // From now on, top-level windows being mapped, unmapped and destroyed
    // are seen by WaitMapped and WaitGone.
    void WatchWindows();
    // The next top-level window at least half the screen wide that is mapped,
    // or 0 when none is within `ms` milliseconds.
    unsigned long WaitMapped(int ms);
    // Waits until `window` is unmapped or destroyed; false when it is not
    // within `ms` milliseconds.
    bool WaitGone(unsigned long window, int ms);
    // The screen's pixel at (x, y) as 0x00RRGGBB.
    std::uint32_t ScreenPixel(int x, int y);
    int ScreenWidth() const;
    int ScreenHeight() const;

private:
    void* display_ = nullptr;  // Display*, kept out of this header with its macros
    bool xtest_ = false;
};

}  // namespace tav
