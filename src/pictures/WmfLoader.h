// Metafiles, placeable or plain, played by the metafile player (WmfPlayer)
// straight at the size they are drawn at, over the ground.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

bool IsWmf(const unsigned char* data, std::size_t size);

DecodedPicture LoadWmf(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
