#pragma once
// Composition of a slide: a picture file loaded, fitted to the picture area and
// centred on the background colour, then put into the incoming slot.

#include <string>

#include "base/Colour.h"
#include "platform/Raster.h"
#include "surfaces/PictureSlots.h"

namespace tav {

struct CompositionParams {
    int areaWidth = 0;
    int areaHeight = 0;
    int fitMode = 1;  // non-zero: scale to the area by the picture's orientation
    Colorref backColor{};
    bool operator==(const CompositionParams&) const = default;
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
