#pragma once
// The renderer's two built-in pictures, used when no --from or --to is given:
// a warm sunset of bands and a cool field of rings, told apart at a glance.

#include "platform/Raster.h"

namespace tav {

Bitmap SunsetCard(int w, int h);
Bitmap RingsCard(int w, int h);

}  // namespace tav
