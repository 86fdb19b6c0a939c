// Colours at the boundary between stored settings and drawing. Stored
// settings and metafiles hold COLORREF values 0x00BBGGRR; surfaces hold 32-bit
// pixels 0x00RRGGBB; Qt widgets take QColor. Every conversion goes through
// here so the byte order is written once.
#pragma once

#include <QColor>

#include <cstdint>

namespace tav {

using Pixel = std::uint32_t;     // 0x00RRGGBB
using Colorref = std::uint32_t;  // 0x00BBGGRR

constexpr Pixel ColorrefToPixel(Colorref c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }
constexpr Colorref PixelToColorref(Pixel p) { return ColorrefToPixel(p); }

// The top byte of a COLORREF is ignored; the colour is opaque.
inline QColor ColorFromColorref(Colorref c) { return QColor::fromRgb(ColorrefToPixel(c)); }
inline Colorref ColorrefFromColor(const QColor& colour) { return PixelToColorref(colour.rgb() & 0xFFFFFFu); }

}  // namespace tav
