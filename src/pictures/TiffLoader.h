// TIFF pictures, decoded by Qt's image-format plugin: the first page, turned
// by the file's orientation tag, transparency over the ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

// Classic and big TIFF, in either byte order.
bool IsTiff(const unsigned char* data, std::size_t size);

DecodedPicture LoadTiff(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
