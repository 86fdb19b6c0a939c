// Colours at the boundary between stored settings and drawing. Stored
// settings and metafiles hold COLORREF values 0x00BBGGRR; surfaces hold 32-bit
// pixels 0x00RRGGBB. Every conversion goes through here so the byte order is
// written once; Qt's colours are converted in base/ColourQt.h.
#pragma once

#include <cstdint>

namespace tav {

using Pixel = std::uint32_t;  // 0x00RRGGBB

// 0x00BBGGRR. A type of its own, so that a pixel handed where a COLORREF
// belongs, or the other way round, does not compile: the two orders only
// meet through the conversions below. Colorref{0x0000FF} is red;
// ColorrefValue() gives the stored number.
enum class Colorref : std::uint32_t {};

constexpr std::uint32_t ColorrefValue(Colorref c) { return static_cast<std::uint32_t>(c); }

constexpr Pixel ColorrefToPixel(Colorref c) {
    const std::uint32_t v = ColorrefValue(c);
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
constexpr Colorref PixelToColorref(Pixel p) {
    return Colorref{((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu)};
}

}  // namespace tav
