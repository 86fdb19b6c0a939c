#include "render/TestCards.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pictures/PictureLoader.h"
#include "surfaces/Composition.h"

namespace tav {

Bitmap SunsetCard(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / std::max(1, h - 1);
        for (int x = 0; x < w; ++x) {
            const double band = 0.5 + 0.5 * std::sin((x + 2.0 * y) * 0.05);
            const int r = static_cast<int>(255 * (1.0 - 0.3 * t));
            const int g = static_cast<int>(90 + 100 * t * band);
            const int bl = static_cast<int>(40 + 120 * t);
            b.setPixel(x, y, (r << 16) | (g << 8) | bl);
        }
    }
    return b;
}

Bitmap RingsCard(int w, int h) {
    Bitmap b(w, h);
    const double cx = w / 2.0, cy = h / 2.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            const double ring = 0.5 + 0.5 * std::cos(d * 0.12);
            const int r = static_cast<int>(20 + 60 * ring);
            const int g = static_cast<int>(80 + 120 * ring);
            const int bl = static_cast<int>(150 + 100 * (1 - ring));
            b.setPixel(x, y, (r << 16) | (g << 8) | std::min(255, bl));
        }
    return b;
}

Bitmap PictureOrCard(const std::string& path, int w, int h, Colorref backColor, bool outgoing) {
    if (path.empty()) return outgoing ? SunsetCard(w, h) : RingsCard(w, h);
    // A picture that cannot be read is shown as the background, as in the
    // show; the tool says why. Asking for a tiny draw size keeps the look cheap.
    if (const DecodedPicture look = LoadPictureFile(path, [](QSize) { return QSize(1, 1); }); !look.ok())
        std::fprintf(stderr, "tavrelle-render: %s: %s\n", path.c_str(), look.failure.c_str());
    SlideSurfaces s;
    ComposeSlide(s, path, {w, h, 1, backColor});
    return s.Incoming().bitmap();
}

}  // namespace tav
