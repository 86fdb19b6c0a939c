#include "render/Crc32.h"

#include <libdeflate.h>

#include <bit>

#include "base/LittleEndian.h"

namespace tav {

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc) {
    // The same CRC-32 as zlib's, computed with carry-less multiplication
    // where the processor has it: several times zlib's speed on a frame.
    return libdeflate_crc32(crc, data, size);
}

std::uint32_t FrameCrc32(const Bitmap& frame) {
    // The rows of a bitmap follow one another without a gap, so on a
    // little-endian machine its memory is already the bytes to check.
    if constexpr (std::endian::native == std::endian::little) {
        return Crc32(frame.pixels().data(), frame.pixels().size() * sizeof(Pixel));
    } else {
        std::uint32_t crc = 0;
        for (const Pixel p : frame.pixels()) {
            std::uint8_t bytes[4];
            WriteI32(bytes, static_cast<std::int32_t>(p));
            crc = Crc32(bytes, 4, crc);
        }
        return crc;
    }
}

}  // namespace tav
