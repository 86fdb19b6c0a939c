// WebP pictures, decoded by libwebp (scaled while decoding when drawn
// smaller) and, for the first frame of an animation, by Qt's image-format
// plugin: upright by the orientation of an EXIF chunk, transparency over the
// ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

bool IsWebp(const unsigned char* data, std::size_t size);

// The orientation (1 ... 8) of the file's EXIF chunk, 0 when it has none.
// The device is left where it was.
int WebpExifOrientation(QIODevice& device);

DecodedPicture LoadWebp(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
