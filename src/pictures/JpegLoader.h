// JPEG pictures, decoded by libjpeg straight into the 32-bit raster: reduced
// by DCT scaling where the draw size allows it, and upright by the Exif
// orientation. The colour spaces libjpeg cannot turn into RGB (CMYK, YCCK)
// go through Qt's reader, which can.
#pragma once

#include "pictures/RasterDecode.h"

namespace tav {

DecodedPicture LoadJpeg(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
