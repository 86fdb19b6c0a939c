#include "pictures/WmfDib.h"

#include "base/LittleEndian.h"
#include "pictures/DecodedPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstdlib>

namespace tav {
QImage DecodeDib(const std::uint8_t* data, std::size_t size, bool* bottomUp) {
    if (size < 12) return {};
    const std::uint32_t headerSize = ReadU32(data);
    long long width, height;
    unsigned bitCount;
    std::uint32_t compression = 0, colorsUsed = 0;
    bool core = false;
    if (headerSize == 12) {
        core = true;
        width = ReadU16(data + 4);
        height = ReadU16(data + 6);
        bitCount = ReadU16(data + 10);
    } else if (headerSize >= 40 && headerSize <= size) {
        width = static_cast<std::int32_t>(ReadU32(data + 4));
        height = static_cast<std::int32_t>(ReadU32(data + 8));
        bitCount = ReadU16(data + 14);
        compression = ReadU32(data + 16);
        colorsUsed = ReadU32(data + 32);
    } else {
        return {};
    }
    if (bottomUp) *bottomUp = height > 0;
    const long long absHeight = std::llabs(height);
    if (width <= 0 || absHeight == 0 || !PictureSizeAcceptable(width, absHeight)) return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return {};

    // The colour table sits between header and pixels; the reader needs the
    // pixels' offset as a bitmap file states it.
    unsigned long long entries = 0;
    if (bitCount <= 8)
        entries = colorsUsed ? colorsUsed : (1u << bitCount);
    else
        entries = colorsUsed;
    if (entries > 65536) return {};
    unsigned long long tableBytes = entries * (core ? 3 : 4);
    if (headerSize == 40 && (compression == 3 || compression == 6)) tableBytes += compression == 3 ? 12 : 16;
    const unsigned long long pixelOffset = headerSize + tableBytes;
    if (pixelOffset > size) return {};
    const unsigned long long pixelBytes = size - pixelOffset;

    // A bitmap may not claim more pixels than its data can describe: rows are
    // stored whole when uncompressed, and a run-length pair of two bytes gives
    // at most 255 pixels (skips aside, which real bitmaps use sparingly).
    const unsigned long long stride = ((static_cast<unsigned long long>(width) * bitCount + 31) / 32) * 4;
    if (compression == 0 || compression == 3 || compression == 6) {
        if (stride * static_cast<unsigned long long>(absHeight) > pixelBytes) return {};
    } else if (compression == 1 || compression == 2) {
        if (static_cast<unsigned long long>(width) * absHeight > 4'000'000ULL + 128ULL * pixelBytes) return {};
    } else {
        return {};
    }

    QByteArray file;
    file.reserve(qsizetype(14 + size));
    file.append('B');
    file.append('M');
    PutU32(file, std::uint32_t(14 + size));
    PutU16(file, 0);
    PutU16(file, 0);
    PutU32(file, std::uint32_t(14 + pixelOffset));
    file.append(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image;
    if (!reader.read(&image)) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace tav
