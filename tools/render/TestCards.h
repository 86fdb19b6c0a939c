#pragma once
// The renderer's two built-in pictures, used when no --from or --to is given:
// a warm sunset of bands and a cool field of rings, told apart at a glance.

#include <string>

#include "platform/Raster.h"

namespace tav {

Bitmap SunsetCard(int w, int h);
Bitmap RingsCard(int w, int h);

// The picture file composed as in the show (fitted and centred on the
// background colour), or without a file the outgoing or incoming card.
Bitmap PictureOrCard(const std::string& path, int w, int h, Colorref backColor, bool outgoing);

}  // namespace tav
