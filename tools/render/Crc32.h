#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/Raster.h"

namespace tav {

// CRC-32 with the zlib polynomial, continuing from `crc` (0 to start).
std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

// The checksum of a frame: every pixel row by row from the top, each as the four
// little-endian bytes of 0x00RRGGBB.
std::uint32_t FrameCrc32(const Bitmap& frame);

}  // namespace tav
