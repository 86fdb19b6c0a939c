#include "render/Crc32.h"

#include <zlib.h>

#include <bit>

namespace tav {

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc) {
    return static_cast<std::uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
}

std::uint32_t FrameCrc32(const Bitmap& frame) {
    // The rows of a bitmap follow one another without a gap, so on a
    // little-endian machine its memory is already the bytes to check.
    if constexpr (std::endian::native == std::endian::little) {
        return Crc32(frame.pixels().data(), frame.pixels().size() * sizeof(Pixel));
    } else {
        std::uint32_t crc = 0;
        for (const Pixel p : frame.pixels()) {
            const unsigned char bytes[4] = {static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 8),
                                            static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 24)};
            crc = Crc32(bytes, 4, crc);
        }
        return crc;
    }
}

}  // namespace tav
