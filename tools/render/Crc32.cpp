#include "render/Crc32.h"

#include <array>

namespace tav {
namespace {
constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}
constexpr auto kTable = MakeTable();
}  // namespace

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc) {
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t FrameCrc32(const Bitmap& frame) {
    std::uint32_t crc = 0;
    unsigned char bytes[4];
    for (int y = 0; y < frame.height(); ++y) {
        const Pixel* row = frame.row(y);
        for (int x = 0; x < frame.width(); ++x) {
            const Pixel p = row[x];
            bytes[0] = p & 0xFF;
            bytes[1] = (p >> 8) & 0xFF;
            bytes[2] = (p >> 16) & 0xFF;
            bytes[3] = (p >> 24) & 0xFF;
            crc = Crc32(bytes, 4, crc);
        }
    }
    return crc;
}

}  // namespace tav
