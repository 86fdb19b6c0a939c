#include "effects/SlidePush.h"

#include <algorithm>

#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

void SlideEntry(EffectHost& h, const SlideEntryArgs& a) {
    const std::int16_t direction = a.direction;
    const std::int32_t w = h.AreaWidth, ht = h.AreaHeight;
    const std::int32_t s = h.SpeedStep();
    const bool push = a.mode != 1;
    const bool vertical = direction == 3 || direction == 4;
    const std::int32_t limit = vertical ? ht : w;
    DC& d = h.Display();
    while (!h.EffectDone) {
        const std::int32_t ks = h.EffectFrame * s;
        switch (direction) {
        case 1:
            if (push) StretchBlt(d, -ks, 0, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            StretchBlt(d, w - ks, 0, ks, ht, h.Incoming(), 0, 0, ks, ht, SRCCOPY);
            break;
        case 2:
            if (push) StretchBlt(d, ks, 0, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            StretchBlt(d, ks - w, 0, w, ht, h.Incoming(), 0, 0, w, ht, SRCCOPY);
            break;
        case 3:
            if (push) StretchBlt(d, 0, -ks, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            StretchBlt(d, 0, ht - ks, w, ks, h.Incoming(), 0, 0, w, ks, SRCCOPY);
            break;
        case 4:
            if (push) StretchBlt(d, 0, ks, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            StretchBlt(d, 0, ks - ht, w, ht, h.Incoming(), 0, 0, w, ht, SRCCOPY);
            break;
        default:
            // An unknown direction draws nothing and ends on the width.
            break;
        }
        StepFrame(h, s, limit, 10);
    }
}

void SlideCross(EffectHost& h, const SlideCrossArgs& a) {
    const std::int16_t side = a.side;
    const std::int32_t w = h.AreaWidth, ht = h.AreaHeight;
    const std::int32_t s = h.SpeedStep();
    // The vertical copy travels twice as fast, relative to the height, as the
    // horizontal one does relative to the width.
    const double v = static_cast<double>(ht * s) / w * 2;
    DC& d = h.Display();
    while (!h.EffectDone) {
        const std::int32_t k = h.EffectFrame;
        const std::int32_t ks = k * s;
        const double kv = k * v;
        const bool flip = a.alternate != 1 && k % 2 != 0;

        if (a.push == 2) {
            if (side == 1) {
                StretchBlt(d, -ks, 0, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
                StretchBlt(d, 0, RoundEven(-kv), w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            } else {
                StretchBlt(d, ks, 0, w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
                StretchBlt(d, 0, RoundEven(kv), w, ht, h.Outgoing(), 0, 0, w, ht, SRCCOPY);
            }
        } else {
            BitBlt(d, 0, 0, w, ht, h.Outgoing(), 0, 0, SRCCOPY);
        }

        const auto horizontal = [&] {
            if (side == 1)
                StretchBlt(d, w - ks, 0, ks, ht, h.Incoming(), 0, 0, ks, ht, SRCCOPY);
            else
                StretchBlt(d, ks - w, 0, w, ht, h.Incoming(), 0, 0, w, ht, SRCCOPY);
        };
        // From the bottom the copy is the top k·v rows stretched to the full
        // height; from the top it is the whole picture.
        const auto vertical = [&] {
            if (side == 1)
                StretchBlt(d, 0, RoundEven(ht - kv), w, ht, h.Incoming(), 0, 0, w, RoundEven(kv), SRCPAINT);
            else
                StretchBlt(d, 0, RoundEven(kv - ht), w, ht, h.Incoming(), 0, 0, w, ht, SRCPAINT);
        };
        if (flip) {
            vertical();
            horizontal();
        } else {
            horizontal();
            vertical();
        }
        StepFrame(h, s, w, 10);
    }
}

}  // namespace tav
