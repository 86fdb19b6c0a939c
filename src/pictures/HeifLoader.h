// HEIF pictures through libheif: HEIC photos (HEVC) and AVIF (AV1). The
// primary image is decoded with its rotation and mirror boxes applied, so the
// photo is upright, and its alpha is laid over the ground. A picture drawn
// small is decoded from the file's own thumbnail when that is large enough.
#pragma once

#include "pictures/RasterDecode.h"

#include <cstddef>

namespace tav {

enum class HeifKind { None, Heic, Avif };

// What the file's leading "ftyp" box says: one of the HEIF brands (HEVC
// pictures and the generic image brands) or an AVIF brand, or neither.
HeifKind SniffHeif(const unsigned char* data, std::size_t size);

DecodedPicture LoadHeif(QIODevice& device, const DecodeRequest& request);

}  // namespace tav
