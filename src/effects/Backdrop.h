#pragma once
// A picture that stays on the display while the parts of a frame are drawn
// over it. The first frame draws it whole; each frame after draws it back only
// where the parts of the frame before lay, since everywhere else the display
// still shows it. The frames are those of drawing it whole every time, as
// long as nothing else draws on the display between them.

#include <vector>

#include "platform/Raster.h"

namespace tav {

class Backdrop {
public:
    // `picture` shown at its own place over [0, width) × [0, height).
    Backdrop(DC& display, const DC& picture, int width, int height)
        : display_(display), picture_(picture), width_(width), height_(height) {}

    // Puts the picture back under the coming frame's parts.
    void Begin();
    // A part of the frame covers the w × h pixels at (x, y); negative extents
    // cover the pixels before x or y, as a stretch's do.
    void Covered(int x, int y, int w, int h);

private:
    struct Part {
        int x, y, w, h;
    };
    DC& display_;
    const DC& picture_;
    int width_, height_;
    bool whole_ = true;
    std::vector<Part> parts_;
};

}  // namespace tav
