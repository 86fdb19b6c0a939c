#include "pictures/ExifOrientation.h"

#include "base/LittleEndian.h"

#include <QTransform>

#include <cstdint>

namespace tav {

int ExifOrientation(QByteArrayView exif) {
    if (exif.startsWith(QByteArrayView("Exif\0\0", 6))) exif = exif.sliced(6);
    const auto* data = reinterpret_cast<const unsigned char*>(exif.data());
    const std::uint64_t size = std::uint64_t(exif.size());
    if (size < 8) return 0;
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M')) return 0;
    const auto read16 = [&](std::uint64_t at) -> unsigned {
        return little ? ReadU16(data + at) : (data[at] << 8) | data[at + 1];
    };
    const auto read32 = [&](std::uint64_t at) -> std::uint64_t {
        return little ? std::uint64_t(ReadU32(data + at)) : (std::uint64_t(read16(at)) << 16) | read16(at + 2);
    };
    if (read16(2) != 42) return 0;
    const std::uint64_t directory = read32(4);
    if (directory + 2 > size) return 0;
    const unsigned entries = read16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::uint64_t entry = directory + 2 + 12ULL * i;
        if (entry + 12 > size) break;
        // The tag is a SHORT, its one value in the first two bytes of the value field.
        if (read16(entry) == 0x0112 && read16(entry + 2) == 3) {
            const unsigned orientation = read16(entry + 8);
            return orientation >= 1 && orientation <= 8 ? int(orientation) : 0;
        }
    }
    return 0;
}

QImageIOHandler::Transformations ExifTransformation(int orientation) {
    static const QImageIOHandler::Transformations kTurns[] = {QImageIOHandler::TransformationNone,
                                                              QImageIOHandler::TransformationMirror,
                                                              QImageIOHandler::TransformationRotate180,
                                                              QImageIOHandler::TransformationFlip,
                                                              QImageIOHandler::TransformationFlipAndRotate90,
                                                              QImageIOHandler::TransformationRotate90,
                                                              QImageIOHandler::TransformationMirrorAndRotate90,
                                                              QImageIOHandler::TransformationRotate270};
    return orientation >= 1 && orientation <= 8 ? kTurns[orientation - 1] : QImageIOHandler::TransformationNone;
}

QImage Transformed(const QImage& image, QImageIOHandler::Transformations turn) {
    if (turn == QImageIOHandler::TransformationNone) return image;
    // Rotate270 is Mirror|Flip|Rotate90 as bits; a single turn is cheaper.
    if (turn == QImageIOHandler::TransformationRotate270) return image.transformed(QTransform().rotate(270));
    QImage out =
        image.mirrored(turn & QImageIOHandler::TransformationMirror, turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90) out = out.transformed(QTransform().rotate(90));
    return out;
}

}  // namespace tav
