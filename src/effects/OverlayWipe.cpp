#include "effects/OverlayWipe.h"

#include <algorithm>

#include "effects/Backdrop.h"
#include "effects/EffectHost.h"
#include "effects/FrameSteps.h"

namespace tav {

void OverlayFlashWipe(EffectHost& h, const OverlayFlashWipeArgs& a) {
    const std::int16_t axis = a.axis;
    const int w = h.AreaWidth, hgt = h.AreaHeight;
    // A stored speed of 0 would never move the overlay; it moves like speed 1.
    const long long step = h.SpeedStep();
    const long long length = axis == 1 ? w : hgt;
    DC& dst = h.Display();
    const DC& out = h.Outgoing();
    const DC& in = h.Incoming();
    auto offset = [&] { return static_cast<long long>(h.EffectFrame) * step; };

    // The outgoing picture lies under the incoming one, and is drawn back
    // only where the incoming one lay in the frame before.
    Backdrop ground(dst, out, w, hgt);

    // The flag marks the overlay phase; clearing it starts the wipe.
    h.EffectFirstPass = true;
    h.EffectFrame = 0;
    do {
        if (h.EffectFirstPass) {
            const int s = static_cast<int>(offset());
            ground.Begin();
            if (axis == 1) {
                BitBlt(dst, w - s, 0, w, hgt, in, 0, 0, SRCPAINT);
                ground.Covered(w - s, 0, w, hgt);
            } else {
                BitBlt(dst, 0, hgt - s, w, hgt, in, 0, 0, SRCPAINT);
                ground.Covered(0, hgt - s, w, hgt);
            }
            ++h.EffectFrame;
            const bool overlayDone = a.mode == 1 ? offset() > length : length - offset() < -length;
            if (overlayDone) {
                h.EffectFirstPass = false;
                h.EffectFrame = 0;
                BitBlt(dst, 0, 0, w, hgt, out, 0, 0, SRCCOPY);
                if (a.mode == 1) BitBlt(dst, 0, 0, w, hgt, in, 0, 0, SRCPAINT);
                h.Refresh();
                h.Sleep(200);
            }
        } else {
            // The wipe covers [0, s) of the incoming picture; the frames before
            // already copied [0, previous), so only the new band is drawn.
            const long long previous = std::min(std::max(offset() - step, 0LL), length);
            const int from = static_cast<int>(previous);
            const int s = static_cast<int>(offset());
            if (axis == 1)
                BitBlt(dst, from, 0, s - from, hgt, in, from, 0, SRCCOPY);
            else
                BitBlt(dst, 0, from, w, s - from, in, 0, from, SRCCOPY);
            ++h.EffectFrame;
            if (offset() > length) ShowIncomingPicture(h);
            h.Sleep(10);
        }
        h.Refresh();
        h.DoEvents();
    } while (!h.EffectDone);
}

}  // namespace tav
