#include "pictures/WebpLoader.h"

#include "pictures/ExifOrientation.h"

#include <QtEndian>

#include <cstring>

namespace tav {
namespace {

constexpr quint32 kMaxExifBytes = 1 << 20;

}  // namespace

bool IsWebp(const unsigned char* data, std::size_t size) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

int WebpExifOrientation(QIODevice& device) {
    const qint64 start = device.pos();
    int orientation = 0;
    // The RIFF chunks after the twelve-byte file header; each is padded to an
    // even length.
    qint64 at = 12;
    while (at + 8 <= device.size() && device.seek(at)) {
        const QByteArray header = device.read(8);
        if (header.size() < 8) break;
        const quint32 length = qFromLittleEndian<quint32>(header.constData() + 4);
        if (QByteArrayView(header.constData(), 4) == "EXIF") {
            if (length <= kMaxExifBytes) orientation = ExifOrientation(device.read(length));
            break;
        }
        at += 8 + qint64(length) + (length & 1);
    }
    device.seek(start);
    return orientation;
}

DecodedPicture LoadWebp(QIODevice& device, const DecodeRequest& request) {
    return DecodeWithQt(device, {"webp", false, WebpExifOrientation(device)}, request);
}

}  // namespace tav
