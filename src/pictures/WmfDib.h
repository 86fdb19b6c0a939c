// Device-independent bitmaps as metafile records carry them: a bitmap info
// header, an optional colour table and the pixels, without a file header.
#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

namespace tav {

// Decodes the bitmap (1, 4, 8, 16, 24 or 32 bits, uncompressed, RLE or bit
// fields) into Format_RGB32. A null image when the bitmap is damaged, larger
// than a picture may be, or claims more pixels than its data can hold.
// bottomUp, when given, tells whether the rows were stored bottom first.
QImage DecodeDib(const std::uint8_t* data, std::size_t size, bool* bottomUp = nullptr);

}  // namespace tav
