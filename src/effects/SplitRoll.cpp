#include "effects/SplitRoll.h"

#include <algorithm>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

namespace {

void Present(EffectHost& h) {
    h.Refresh();
    h.Sleep(10);
    h.DoEvents();
}

// The outgoing picture moved by y, the incoming one following it in.
void DrawRoll(EffectHost& h, int direction, std::int32_t y) {
    const std::int32_t w = h.AreaWidth, ht = h.AreaHeight;
    DC& d = h.Display();
    switch (direction) {
    case 0:
        BitBlt(d, 0, 0, w, ht - y, h.Outgoing(), 0, y, SRCCOPY);
        BitBlt(d, 0, ht - y, w, y, h.Incoming(), 0, ht - 2 * y, SRCCOPY);
        break;
    case 1:
        BitBlt(d, 0, y, w, ht - y, h.Outgoing(), 0, 0, SRCCOPY);
        BitBlt(d, 0, 0, w, y, h.Incoming(), 0, y, SRCCOPY);
        break;
    case 2:
        BitBlt(d, 0, 0, w - y, ht, h.Outgoing(), y, 0, SRCCOPY);
        BitBlt(d, w - y, 0, y, ht, h.Incoming(), w - 2 * y, 0, SRCCOPY);
        break;
    case 3:
        BitBlt(d, y, 0, w - y, ht, h.Outgoing(), 0, 0, SRCCOPY);
        BitBlt(d, 0, 0, y, ht, h.Incoming(), y, 0, SRCCOPY);
        break;
    default: break;
    }
}

// Two pieces of the incoming picture, d apart from where they belong.
void DrawClose(EffectHost& h, int direction, std::int32_t dd) {
    const std::int32_t w = h.AreaWidth, ht = h.AreaHeight;
    DC& d = h.Display();
    DC& in = h.Incoming();
    switch (direction) {
    case 0:
        BitBlt(d, 0, 0, w, dd, in, 0, dd, SRCCOPY);
        BitBlt(d, 0, dd, w, ht - dd, in, 0, 0, SRCCOPY);
        break;
    case 1:
        BitBlt(d, 0, dd, w, ht - dd, in, 0, 0, SRCCOPY);
        BitBlt(d, 0, 0, w, ht - dd, in, 0, dd, SRCCOPY);
        break;
    case 2:
        BitBlt(d, 0, 0, dd, ht, in, dd, 0, SRCCOPY);
        BitBlt(d, dd, 0, w - dd, ht, in, 0, 0, SRCCOPY);
        break;
    case 3:
        BitBlt(d, dd, 0, w - dd, ht, in, 0, 0, SRCCOPY);
        BitBlt(d, 0, 0, w - dd, ht, in, dd, 0, SRCCOPY);
        break;
    default: break;
    }
}

}  // namespace

void SplitRoll(EffectHost& h, const SplitRollArgs& a) {
    const std::int16_t direction = a.direction;
    // A speed below 1 would never reach the turning point.
    const std::int32_t s = h.SpeedStep();
    // Direction 2 turns at half the height, direction 3 at half the width.
    const std::int32_t half = direction > 2 ? h.AreaWidth / 2 : h.AreaHeight / 2;

    std::int32_t y = 0;
    std::int32_t d = 0;
    for (;;) {
        DrawRoll(h, direction, y);
        d = y + s;
        // The frame just drawn is not shown: the second phase draws over it.
        if (d > half) break;
        Present(h);
        y = d;
    }
    while (d >= 0) {
        // Whatever the two pieces leave uncovered shows black.
        FillBox(h.Display(), 0, 0, h.AreaWidth, h.AreaHeight, Colorref{0x000000});
        DrawClose(h, direction, d);
        d -= s;
        Present(h);
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
