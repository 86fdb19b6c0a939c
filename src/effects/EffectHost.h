#pragma once
// The effect host: everything a transition routine may touch.
//
// A routine receives the host and up to three small integer arguments from the
// effect table. From the host it reads the area size, centre, background
// colour, speed and the effect state, and the surfaces: the incoming picture
// (slot CurrentSlot), the outgoing picture (slot CurrentSlot xor 1), the loading
// surface Pic_D and the display.
//
// A routine may:
//   - draw on Display() with the raster operations of platform/Raster.h, reading
//     from the slots, from Display() itself, or from scratch contexts it creates
//     and releases itself (RAII);
//   - resize and draw on PicD() where its effect needs a source of its own;
//   - present a frame with Refresh(), let input run with DoEvents(), wait with
//     Sleep(ms), and draw random numbers with Rnd(), in the order its effect
//     prescribes: every Refresh() is one frame. EndFrame() in effects/Dispatch.h
//     is the usual order: Refresh(), DoEvents(), Sleep(ms).
// A routine must not:
//   - write the slots, keep state between transitions (except through the
//     effect state below), sleep or read the clock by other means, or draw
//     random numbers from anywhere else;
//   - test whether the show has ended: when input ends the show inside
//     DoEvents() or Sleep(), the host leaves the transition itself.
// It ends with the incoming picture on the whole display, usually through
// ShowIncomingPicture(); the dispatcher presents the last frame.

#include <cstdint>

#include "platform/Random.h"
#include "platform/Raster.h"
#include "surfaces/PictureSlots.h"

namespace tav {

class EffectHost {
public:
    explicit EffectHost(SlideSurfaces& surfaces) : surfaces_(surfaces) {}
    virtual ~EffectHost() = default;
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    // The state the saver window shares with the effects.
    std::int16_t AreaWidth = 0;
    std::int16_t AreaHeight = 0;
    double AreaCentreX = 0;
    double AreaCentreY = 0;
    Colorref BackColor = 0;  // 0x00BBGGRR
    std::int16_t EffectSpeed = 1;
    std::int16_t EffectNumber = 0;
    std::int16_t EffectOrder = 0;
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
