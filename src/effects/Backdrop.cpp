#include "effects/Backdrop.h"

#include <algorithm>

namespace tav {

void Backdrop::Begin() {
    if (whole_) {
        BitBlt(display_, 0, 0, width_, height_, picture_, 0, 0, SRCCOPY);
        whole_ = false;
    } else {
        for (const Part& p : parts_) {
            // Only the area is the picture's; outside it the whole copy drew nothing either.
            const int x0 = std::max(p.x, 0), y0 = std::max(p.y, 0);
            const int x1 = std::min(p.x + p.w, width_), y1 = std::min(p.y + p.h, height_);
            if (x0 < x1 && y0 < y1) BitBlt(display_, x0, y0, x1 - x0, y1 - y0, picture_, x0, y0, SRCCOPY);
        }
    }
    parts_.clear();
}

void Backdrop::Covered(int x, int y, int w, int h) {
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
    if (w > 0 && h > 0) parts_.push_back({x, y, w, h});
}

}  // namespace tav
