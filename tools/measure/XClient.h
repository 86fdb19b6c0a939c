#pragma once
// A small client of the X server the show runs on: it types keys through the
// XTEST extension and reads single pixels of the screen. It is opened before
// anything is timed, so its own start-up is never part of a figure.

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
    // The screen's pixel at (x, y) as 0x00RRGGBB.
    std::uint32_t ScreenPixel(int x, int y);
    int ScreenWidth() const;
    int ScreenHeight() const;

private:
    void* display_ = nullptr;  // Display*, kept out of this header with its macros
    bool xtest_ = false;
};

}  // namespace tav
