#include "effects/StripSqueeze.h"

#include <algorithm>

#include "effects/Dispatch.h"
#include "effects/EffectHost.h"

namespace tav {
namespace {

// The outgoing strips, each squeezed to width sw - d about its centre line;
// once d is past the strip width the whole outgoing picture is drawn.
void DrawOutgoingLayer(EffectHost& h, int strips, double sw, int d) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    if (d > sw) {
        BitBlt(h.Display(), 0, 0, W, H, h.Outgoing(), 0, 0, SRCCOPY);
        return;
    }
    const double w = sw - d;
    for (int i = 0; i < strips; ++i)
        StretchBlt(h.Display(), RoundEven(sw * i + (sw - w) / 2), 0, RoundEven(w), H, h.Outgoing(),
                   RoundEven(sw * i), 0, RoundEven(sw), H, SRCCOPY);
}

// The incoming strips, each stretched to height d out of its centre line;
// once d is past the strip height the whole incoming picture is drawn.
void DrawIncomingLayer(EffectHost& h, int strips, double sh, int d) {
    const int W = h.AreaWidth, H = h.AreaHeight;
    if (d > sh) {
        BitBlt(h.Display(), 0, 0, W, H, h.Incoming(), 0, 0, SRCCOPY);
        return;
    }
    for (int i = 0; i < strips; ++i)
        StretchBlt(h.Display(), 0, RoundEven(sh * i + (sh - d) / 2), W, d, h.Incoming(), 0, RoundEven(sh * i), W,
                   RoundEven(sh), SRCCOPY);
}

}  // namespace

void StripSqueeze(EffectHost& h, std::int16_t mode, std::int16_t strips) {
    // Without strips nothing would ever complete.
    if (strips < 1) {
        ShowIncomingPicture(h);
        return;
    }
    const int W = h.AreaWidth, H = h.AreaHeight;
    const double sw = static_cast<double>(W) / strips;
    const double sh = static_cast<double>(H) / strips;
    // A speed below 1 would never move; it runs as 1.
    const int speed = h.SpeedStep();
    // Once the layer drawn last has grown past its strips it is a whole
    // picture over everything else: the frame is that picture, and the frames
    // after it, until the other layer ends too, are the same frame again.
    const DC& top = mode == 2 ? h.Outgoing() : h.Incoming();
    const double topStrip = mode == 2 ? sw : sh;
    const bool topCovers = top.width() >= W && top.height() >= H;
    bool topShown = false;
    while (!h.EffectDone) {
        const int d = h.EffectFrame * speed;
        if (topCovers && d > topStrip) {
            if (!topShown) BitBlt(h.Display(), 0, 0, W, H, top, 0, 0, SRCCOPY);
            topShown = true;
        } else if (mode == 2) {
            FillBox(h.Display(), 0, 0, W - 1, H - 1, h.BackColor);
            DrawIncomingLayer(h, strips, sh, d);
            DrawOutgoingLayer(h, strips, sw, d);
        } else {
            FillBox(h.Display(), 0, 0, W - 1, H - 1, h.BackColor);
            DrawOutgoingLayer(h, strips, sw, d);
            DrawIncomingLayer(h, strips, sh, d);
        }
        if (d > sw && d > sh) ShowIncomingPicture(h);
        ++h.EffectFrame;
        EndFrame(h, 0);
    }
}

}  // namespace tav
