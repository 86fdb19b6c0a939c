// GIF pictures, decoded by Qt's reader: the first frame, transparency over the
// ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

// GIF87a and GIF89a.
bool IsGif(const unsigned char* data, std::size_t size);

DecodedPicture LoadGif(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
