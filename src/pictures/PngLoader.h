// PNG pictures, decoded by Qt: the first frame of an animated PNG, upright
// by the orientation of an eXIf chunk, transparency over the ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

bool IsPng(const unsigned char* data, std::size_t size);

// The orientation (1 ... 8) of the file's eXIf chunk, 0 when it has none.
// The device is left where it was.
int PngExifOrientation(QIODevice& device);

DecodedPicture LoadPng(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
