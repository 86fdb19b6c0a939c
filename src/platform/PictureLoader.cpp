#include "platform/PictureLoader.h"

#include "platform/WmfPlayer.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>

#include <cstring>
#include <exception>
#include <mutex>

namespace tav {
namespace {

// Qt's own guard against decompression bombs stays on; it is raised only as
// far as our cap on picture size, so that every picture the cap lets through
// can also be decoded at full size.
constexpr int kAllocationLimitMb = int(kMaxPicturePixels * 4 / (1024 * 1024)) + 16;

void SetAllocationLimitOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QImageReader::allocationLimit() < kAllocationLimitMb) QImageReader::setAllocationLimit(kAllocationLimitMb);
    });
}

// The smallest size libjpeg's DCT scaling (1/2, 1/4, 1/8) can produce that is
// still at least the draw size; the stored size when no scaling qualifies.
QSize JpegDecodeSize(QSize stored, QSize drawStored) {
    if (drawStored.width() <= 0 || drawStored.height() <= 0) return stored;
    for (int d : {8, 4, 2}) {
        const QSize scaled((stored.width() + d - 1) / d, (stored.height() + d - 1) / d);
        if (scaled.width() >= drawStored.width() && scaled.height() >= drawStored.height()) return scaled;
    }
    return stored;
}

// Transparent pixels are laid over the ground they will be shown on, so a
// logo with holes shows the background colour through them.
QImage ToOpaqueRgb32(const QImage& image, QRgb ground) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    out.fill(ground);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

DecodedPicture LoadRaster(QFile& file, PictureFormat format, const std::function<QSize(QSize)>& drawSizeFor,
                          QRgb ground) {
    const char* name = format == PictureFormat::Bmp ? "bmp" : format == PictureFormat::Gif ? "gif" : "jpeg";
    QImageReader reader(&file, name);
    reader.setDecideFormatFromContent(false);
    const QSize stored = reader.size();
    if (!stored.isValid() || !PictureSizeAcceptable(stored.width(), stored.height())) return {};

    const bool turned = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    const QSize natural = turned ? stored.transposed() : stored;
    reader.setAutoTransform(true);

    if (format == PictureFormat::Jpeg && drawSizeFor) {
        const QSize draw = drawSizeFor(natural);
        const QSize decode = JpegDecodeSize(stored, turned ? draw.transposed() : draw);
        // The scaled size is given in the file's stored orientation; the turn
        // is applied afterwards.
        if (decode != stored) reader.setScaledSize(decode);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    DecodedPicture result;
    result.image = ToOpaqueRgb32(image, ground);
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

DecodedPicture LoadMetafile(QFile& file, const std::function<QSize(QSize)>& drawSizeFor, QRgb ground) {
    if (file.size() > kMaxMetafileBytes) return {};
    const QByteArray data = file.readAll();
    WmfInfo info;
    if (!ReadWmfInfo(data, info)) return {};
    const QSize natural = info.naturalSize;
    if (!PictureSizeAcceptable(natural.width(), natural.height())) return {};
    // A metafile is drawn straight at the size it is shown at, sharp at any scale.
    QSize target = natural;
    if (drawSizeFor) {
        const QSize draw = drawSizeFor(natural);
        if (draw.width() > 0 && draw.height() > 0 && PictureSizeAcceptable(draw.width(), draw.height())) target = draw;
    }
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(ground);
    PlayWmf(data, info, image);
    DecodedPicture result;
    result.image = std::move(image);
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

}  // namespace

PictureFormat SniffPictureFormat(const unsigned char* data, std::size_t size) {
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bmp;
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
        return PictureFormat::Gif;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return PictureFormat::Jpeg;
    if (size >= 4 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A) return PictureFormat::Wmf;
    if (size >= 6) {
        const unsigned type = data[0] | (data[1] << 8);
        const unsigned headerWords = data[2] | (data[3] << 8);
        const unsigned version = data[4] | (data[5] << 8);
        if ((type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300))
            return PictureFormat::Wmf;
    }
    return PictureFormat::Unknown;
}

bool PictureSizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

DecodedPicture LoadPictureFile(const std::string& path, const std::function<QSize(QSize natural)>& drawSizeFor,
                               QRgb ground) {
    try {
        SetAllocationLimitOnce();
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return {};
        if (file.size() > kMaxPictureFileBytes) return {};
        const QByteArray head = file.peek(16);
        const auto format =
            SniffPictureFormat(reinterpret_cast<const unsigned char*>(head.constData()), std::size_t(head.size()));
        switch (format) {
        case PictureFormat::Wmf: return LoadMetafile(file, drawSizeFor, ground);
        case PictureFormat::Bmp:
        case PictureFormat::Gif:
        case PictureFormat::Jpeg: return LoadRaster(file, format, drawSizeFor, ground);
        case PictureFormat::Unknown: break;
        }
    } catch (const std::exception&) {
        // Out of memory while decoding: the picture is simply not shown.
    }
    return {};
}

}  // namespace tav
