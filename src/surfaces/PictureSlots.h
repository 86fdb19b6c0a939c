#pragma once
// The surfaces of a slide show: the visible picture area, the loading and
// composition surfaces, and the two picture slots the transitions copy from.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Raster.h"

namespace tav {

// One slot: a memory context holding an area-sized picture.
class clsPicture {
public:
    clsPicture();

    std::unique_ptr<DC> hDC;
    BitmapHeader header;

    void ClearMemory();
    void CreateDC(const DC& reference);
};

struct SlideSurfaces {
    DC Display;   // the picture area the effects draw on and the window shows
    DC Pic_D;     // loading surface: the decoded picture at its natural size
    DC Pic_DD;    // composition surface: the fitted picture on the background colour
    DC Pic_Dumy;  // reference context for the memory contexts

    std::array<std::unique_ptr<clsPicture>, 4> SlotPictures;
    std::array<BitmapPtr, 4> SavedObjects;
    std::uint8_t CurrentSlot = 0;

    // The slot's object, created empty on first use.
    clsPicture& Slot(int k);
    DC& Incoming() { return *Slot(CurrentSlot).hDC; }
    DC& Outgoing() { return *Slot(CurrentSlot ^ 1).hDC; }

    // Puts `bitmap` into slot s, releasing the slot's previous picture.
    void GetImageDC(int s, const DC& reference, BitmapPtr bitmap);
    // Releases the outgoing slot's picture once a transition is over: nothing
    // reads it before the next slide puts a picture in that slot, and on a
    // full screen it is 8 MB the composing of that next picture would add to.
    void ReleaseOutgoing();
    // Sizes the display for a new area. The composition surface is not
    // sized: it takes each slide's own bitmap as the slide is installed, and
    // a full-screen bitmap of its own until the first would only add 8 MB to
    // the start, while the display and the first picture are both made.
    void SetArea(int width, int height, Pixel background);
};

}  // namespace tav
