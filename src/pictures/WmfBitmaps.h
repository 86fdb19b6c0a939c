// The records that fill rectangles by raster operation and copy embedded
// device-independent bitmaps onto the picture.
#pragma once

#include "pictures/WmfRecords.h"

#include <cstdint>

namespace tav::wmf {

class Canvas;

Played PlayBitmapRecord(Canvas& canvas, std::uint16_t f, const Params& p);

}  // namespace tav::wmf
