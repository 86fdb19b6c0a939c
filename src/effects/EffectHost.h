#pragma once
// The effect host: everything a transition routine may touch.
//
// A routine receives the host and its argument struct, filled by name in the
// effect table (effects/EffectTable.cpp). From the host it reads the area size,
// centre, background colour and speed, and the surfaces: the incoming picture
// (slot CurrentSlot), the outgoing picture (slot CurrentSlot xor 1), the loading
// surface Pic_D and the display.
//
// A routine may:
//   - draw on Display() with the raster operations of platform/Raster.h, reading
//     from the slots, from Display() itself, or from scratch contexts it creates
//     and releases itself (RAII);
//   - resize and draw on PicD() where its effect needs a source of its own;
//   - write the effect state, and only that: EffectFrame, EffectDone and
//     EffectFirstPass. Everything else of the host is read-only to it;
//   - present a frame with Refresh(), let input run with DoEvents(), wait with
//     Sleep(ms), and draw random numbers with Rnd(), in the order its effect
//     prescribes: every Refresh() is one frame. The steps in
//     effects/FrameSteps.h give the usual orders.
// A routine must not:
//   - write the slots, keep state between transitions (except through the
//     effect state), sleep or read the clock by other means, or draw random
//     numbers from anywhere else;
//   - test whether the show has ended, nor catch ShowEnded.
// When input ends the show, Refresh(), DoEvents(), Sleep() or ShowDirect()
// throws ShowEnded out of the routine, at any of its frames: all it holds must
// be released by destructors, and what it leaves on the display does not
// matter. The host that owns the window catches it.
// It ends with the incoming picture on the whole display, usually through
// ShowIncomingPicture(); the dispatcher presents the last frame.

#include <cstdint>

#include "platform/Random.h"
#include "platform/Raster.h"
#include "surfaces/PictureSlots.h"

namespace tav {

// Thrown out of the host when input has ended the show inside a transition.
struct ShowEnded {};

class EffectHost {
public:
    explicit EffectHost(SlideSurfaces& surfaces) : surfaces_(surfaces) {}
    virtual ~EffectHost() = default;
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    // Set by the show before each transition; read-only to a routine.
    std::int16_t AreaWidth = 0;
    std::int16_t AreaHeight = 0;
    double AreaCentreX = 0;
    double AreaCentreY = 0;
    Colorref BackColor{};
    std::int16_t EffectSpeed = 1;
    std::int16_t EffectNumber = 0;
    std::int16_t EffectOrder = 0;
    // The effect state: the one part of the host a routine writes.
    std::int32_t EffectFrame = 0;
    bool EffectDone = false;
    bool EffectFirstPass = true;

    SlideSurfaces& surfaces() { return surfaces_; }
    DC& Display() { return surfaces_.Display; }
    DC& Incoming() { return surfaces_.Incoming(); }
    DC& Outgoing() { return surfaces_.Outgoing(); }
    DC& PicD() { return surfaces_.Pic_D; }
    std::uint8_t CurrentSlot() const { return surfaces_.CurrentSlot; }

    // Presents Display: one frame.
    virtual void Refresh() = 0;
    // Lets pending window messages (input) run.
    virtual void DoEvents() = 0;
    virtual void Sleep(int ms) = 0;
    // A transition begins: a host that really sleeps keeps the sleeps from
    // here on against one running deadline.
    virtual void BeginTransition() {}
    // Shows what was drawn on Display at once, for the routine that draws
    // straight to the window; it is not a frame.
    virtual void ShowDirect() {}

    double Rnd() { return tav::Rnd(); }

    // The distance a stepping effect advances per frame. A stored speed of 0
    // (or less) moves as 1, so no effect can stall.
    int SpeedStep() const { return EffectSpeed < 1 ? 1 : EffectSpeed; }

private:
    SlideSurfaces& surfaces_;
};

}  // namespace tav
