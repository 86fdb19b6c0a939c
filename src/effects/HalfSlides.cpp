#include "effects/HalfSlides.h"

#include <algorithm>

#include "effects/Backdrop.h"
#include "effects/FrameSteps.h"

namespace tav {

void CentreDoorSlide(EffectHost& h, const CentreDoorSlideArgs& a) {
    const std::int16_t variant = a.variant;
    if (variant < 1 || variant > 7) {
        ShowIncomingPicture(h);
        return;
    }
    const double w = h.AreaWidth, ht = h.AreaHeight;
    const double hw = h.AreaCentreX, hh = h.AreaCentreY;
    const int step = h.SpeedStep();
    DC& in = h.Incoming();
    DC& out = h.Outgoing();
    const bool overOutgoing = variant == 1 || variant == 3 || variant == 6;
    Backdrop ground(h.Display(), overOutgoing ? out : in, h.AreaWidth, h.AreaHeight);
    // A stretched copy from `src` over the ground; every real value is
    // rounded on its own as the call receives it.
    const auto part = [&](const DC& src, double sx, double sy, double sw, double sh, double dx, double dy, double dw,
                          double dh) {
        const int x = RoundEven(dx), y = RoundEven(dy), width = RoundEven(dw), height = RoundEven(dh);
        StretchBlt(h.Display(), x, y, width, height, src, RoundEven(sx), RoundEven(sy), RoundEven(sw), RoundEven(sh),
                   SRCCOPY);
        ground.Covered(x, y, width, height);
    };

    auto sidesIn = [&](double s) {
        part(in, hw, 0, s, ht, hw + hw - s, 0, s, ht);
        part(in, hw - s, 0, s, ht, 0, 0, s, ht);
    };
    auto sidesOpen = [&](double s) {
        part(out, hw, 0, hw, ht, hw + s, 0, hw, ht);
        part(out, 0, 0, hw, ht, -s, 0, hw, ht);
    };
    auto edgesIn = [&](double s) {
        part(in, 0, hh, w, s, 0, hh + hh - s, w, s);
        part(in, 0, hh - s, w, s, 0, 0, w, s);
    };
    auto edgesOpen = [&](double s) {
        part(out, 0, hh, w, hh, 0, hh + s, w, hh);
        part(out, 0, 0, w, hh, 0, -s, w, hh);
    };
    auto quartersOut = [&](double s) {
        part(out, hw, 0, hw, hh, hw + s, -s, hw, hh);
        part(out, hw, hh, hw, hh, hw + s, hh + s, hw, hh);
        part(out, 0, 0, hw, hh, -s, -s, hw, hh);
        part(out, 0, hh, hw, hh, -s, hh + s, hw, hh);
    };

    // Variant 4 moves vertically yet stops on the half width: on a landscape
    // area its last frames show the incoming picture alone.
    const double limit = (variant == 3 || variant == 5 || variant == 6) ? hh : hw;

    while (!h.EffectDone) {
        const double s = static_cast<double>(h.EffectFrame) * step;
        ground.Begin();
        switch (variant) {
        case 1: sidesIn(s); break;
        case 2: sidesOpen(s); break;
        case 3: edgesIn(s); break;
        case 4: edgesOpen(s); break;
        case 5: quartersOut(s); break;
        case 6:
            sidesIn(s);
            edgesIn(s);
            break;
        case 7:
            sidesOpen(s);
            edgesOpen(s);
            break;
        }
        StepFrame(h, step, limit, 10);
    }
}

void FourWaySlideIn(EffectHost& h) {
    const long long w = h.AreaWidth, ht = h.AreaHeight;
    const int step = h.SpeedStep();
    DC& d = h.Display();
    DC& in = h.Incoming();
    // A finish does not end the frame's remaining tests: each one that holds
    // shows the incoming picture again.
    auto finishIf = [&](bool holds) {
        if (holds) ShowIncomingPicture(h);
    };
    for (;;) {
        const long long s = static_cast<long long>(h.EffectFrame) * step;
        const int si = static_cast<int>(s), wi = h.AreaWidth, hi = h.AreaHeight;
        switch (h.EffectFrame % 4) {
        case 0:
            StretchBlt(d, wi - si, 0, si, hi, in, 0, 0, si, hi, SRCCOPY);
            finishIf(s > w);
            finishIf(s > ht);
            ++h.EffectFrame;
            finishIf(s + step > w);
            break;
        case 1:
            StretchBlt(d, si - wi, 0, wi, hi, in, 0, 0, wi, hi, SRCCOPY);
            finishIf(s > w);
            finishIf(s > ht);
            ++h.EffectFrame;
            finishIf(s + step > ht);
            break;
        case 2:
            StretchBlt(d, 0, hi - si, wi, si, in, 0, 0, wi, si, SRCCOPY);
            finishIf(s > ht);
            ++h.EffectFrame;
            finishIf(s + step > ht);
            finishIf(s + step > w);
            break;
        default:
            StretchBlt(d, 0, si - hi, wi, hi, in, 0, 0, wi, hi, SRCCOPY);
            ++h.EffectFrame;
            finishIf(s + step > ht);
            finishIf(s + step > w);
            break;
        }
        EndFrame(h, 10);
        if (h.EffectDone) {
            ShowIncomingPicture(h);
            return;
        }
    }
}

void CrossBandWipe(EffectHost& h) {
    const int w = h.AreaWidth, ht = h.AreaHeight;
    const int step = h.SpeedStep();
    DC& d = h.Display();
    DC& in = h.Incoming();

    // The frame in which the bands reach the far edge is drawn but never
    // presented; this phase lets no messages run between its frames.
    //
    // The bands lie over the outgoing picture.
    Backdrop ground(d, h.Outgoing(), w, ht);
    for (;;) {
        const int s = h.EffectFrame * step;
        ground.Begin();
        StretchBlt(d, w - 2 * s, 0, s, ht, in, 0, 0, s, ht, SRCCOPY);
        ground.Covered(w - 2 * s, 0, s, ht);
        StretchBlt(d, 0, ht - 2 * s, w, s, in, 0, 0, w, s, SRCCOPY);
        ground.Covered(0, ht - 2 * s, w, s);
        ++h.EffectFrame;
        if (static_cast<long long>(h.EffectFrame) * step >= w) break;
        h.Refresh();
        h.Sleep(10);
    }

    // The incoming picture in its own place grows from the left edge: each
    // frame draws only what it grew by.
    h.EffectFrame = 0;
    int shown = 0;
    for (;;) {
        const int s = h.EffectFrame * step;
        if (2 * s > shown) {
            StretchBlt(d, shown, 0, 2 * s - shown, ht, in, shown, 0, 2 * s - shown, ht, SRCCOPY);
            shown = 2 * s;
        }
        ++h.EffectFrame;
        if (static_cast<long long>(h.EffectFrame) * step >= w) break;
        EndFrame(h, 10);
    }
    ShowIncomingPicture(h);
}

}  // namespace tav
