#include "pictures/PngLoader.h"

#include "pictures/ExifOrientation.h"

#include <QtEndian>

#include <cstring>

namespace tav {
namespace {

// An Exif block is small; a larger chunk is not what it claims to be.
constexpr quint32 kMaxExifBytes = 1 << 20;

}  // namespace

bool IsPng(const unsigned char* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
}

int PngExifOrientation(QIODevice& device) {
    const qint64 start = device.pos();
    int orientation = 0;
    // Chunk headers only: eight bytes each, the data skipped by seeking. The
    // chunk may come after the image data, so the walk goes to the end.
    qint64 at = 8;
    while (at + 8 <= device.size() && device.seek(at)) {
        const QByteArray header = device.read(8);
        if (header.size() < 8) break;
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        const QByteArrayView type(header.constData() + 4, 4);
        if (type == "eXIf") {
            if (length <= kMaxExifBytes) orientation = ExifOrientation(device.read(length));
            break;
        }
        if (type == "IEND") break;
        at += 12 + qint64(length);
    }
    device.seek(start);
    return orientation;
}

DecodedPicture LoadPng(QIODevice& device, const DecodeRequest& request) {
    return DecodeWithQt(device, {"png", false, PngExifOrientation(device)}, request);
}

}  // namespace tav
