// Little-endian integer fields of the fixed-record data files, metafiles and
// bitmaps. Records are always read and written field by field through these,
// never by casting, so the layout holds whatever the machine's byte order.
// The Put functions append to any byte container with push_back (QByteArray,
// std::string, std::vector<std::uint8_t>), for files built up as they go.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tav {

inline std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

inline std::int16_t ReadI16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadU16(p)); }

inline std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t ReadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32(p)); }

inline void WriteI16(std::uint8_t* p, std::int16_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteI32(std::uint8_t* p, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

template <typename Bytes>
void PutU16(Bytes& out, std::uint16_t value) {
    using Byte = typename Bytes::value_type;
    out.push_back(static_cast<Byte>(value & 0xFF));
    out.push_back(static_cast<Byte>(value >> 8));
}

template <typename Bytes>
void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace tav
