// Images the program draws into and sends to one window: two in memory it
// shares with the X server when the server runs on this machine and offers
// MIT-SHM, else one in the program's own memory whose pixels travel in the
// requests. FrameSink is the whole contract, so the bookkeeping above it runs
// without a server.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

struct xcb_connection_t;

namespace tav {

// Pixels [x0, x1) × [y0, y1).
struct ImageRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

class FrameSink {
public:
    enum class PutState { Done, Busy, Failed };

    virtual ~FrameSink() = default;
    // 2 when the server reads the images from shared memory (an image is
    // free again only once the server has read it), 1 when a put carries the
    // pixels (the image is free again at once).
    virtual int ImageCount() const = 0;
    // Image k: rows of the window's width, 32-bit pixels 0x00RRGGBB.
    virtual std::uint32_t* Image(int k) = 0;
    // Sends the rectangles of image k to the same places in the window, as
    // one batch: the server is asked once, after the last, whether it read them.
    virtual void Put(int k, std::span<const ImageRect> rects) = 0;
    // Whether the server has read every put of image k so far; never waits.
    // Failed when one of them failed (it then counts as read).
    virtual PutState Poll(int k) = 0;
    // The same, waiting until the server has answered: for a server that
    // lags two frames behind. Never waits on a connection that broke.
    virtual PutState Wait(int k) = 0;
    // Shared memory failed the server: puts from now on carry the pixels.
    virtual void SendPlain() = 0;
};

// Images of width × height for `window` on `connection`; nullptr when the
// window's pixels are not 32-bit true colour (the caller then draws as before).
std::unique_ptr<FrameSink> OpenWindowImages(xcb_connection_t* connection, std::uint32_t window, int width, int height);

}  // namespace tav
