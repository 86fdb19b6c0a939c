// BMP pictures, decoded by Qt's reader, transparency over the ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

bool IsBmp(const unsigned char* data, std::size_t size);

DecodedPicture LoadBmp(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
