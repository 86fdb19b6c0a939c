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
    // Sizes the display and composition surfaces for a new area.
    void SetArea(int width, int height, Pixel background);
};

struct CompositionParams {
    int areaWidth = 0;
    int areaHeight = 0;
    int fitMode = 1;          // non-zero: scale to the area by the picture's orientation
    Colorref backColor = 0;   // 0x00BBGGRR
};

// Where and how large a picture of natural size w × h is drawn on the area.
struct FitBox {
    int x = 0, y = 0, width = 0, height = 0;
};
FitBox FitPicture(int w, int h, const CompositionParams& params);

// The picture file `path` loaded, fitted and centred on the background colour,
// as a new area-sized bitmap. A picture that cannot be loaded gives the plain
// background colour. It touches no shared state, so it may run on a worker thread.
BitmapPtr ComposePicture(const std::string& path, const CompositionParams& params);

// Puts a composed picture into slot `CurrentSlot`; the composition surface shows it too.
void InstallSlide(SlideSurfaces& surfaces, BitmapPtr composed);

// ComposePicture and InstallSlide in one.
void ComposeSlide(SlideSurfaces& surfaces, const std::string& path, const CompositionParams& params);

}  // namespace tav
