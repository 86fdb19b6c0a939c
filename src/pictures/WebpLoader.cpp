#include "pictures/WebpLoader.h"

#include "pictures/ExifOrientation.h"

#include <QBuffer>
#include <QSysInfo>
#include <QtEndian>

#include <webp/decode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
    const int orientation = WebpExifOrientation(device);
    const QByteArray data = device.readAll();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    const auto size = static_cast<std::size_t>(data.size());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, size, &features) != VP8_STATUS_OK) return {};
    if (!PictureSizeAcceptable(features.width, features.height)) return {};
    if (features.has_animation) {
        // The first frame of an animation is left to Qt's reader, which composes it.
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        return DecodeWithQt(buffer, {"webp", false, orientation}, request);
    }

    const QImageIOHandler::Transformations turn =
        orientation > 1 ? ExifTransformation(orientation) : QImageIOHandler::TransformationNone;
    const bool turned = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize stored(features.width, features.height);
    const QSize natural = turned ? stored.transposed() : stored;
    // A picture drawn smaller is scaled while it is decoded, to the least
    // size that still covers the draw size: the full-size pixels never exist,
    // and the rescaler averages where a stretch afterwards would drop pixels.
    QSize decode = stored;
    if (request.drawSizeFor) {
        QSize draw = request.drawSizeFor(natural);
        if (turned) draw.transpose();
        if (draw.width() > 0 && draw.height() > 0) {
            const double scale =
                std::max(double(draw.width()) / stored.width(), double(draw.height()) / stored.height());
            if (scale < 1)
                decode = QSize(std::clamp(static_cast<int>(std::ceil(stored.width() * scale)), 1, stored.width()),
                               std::clamp(static_cast<int>(std::ceil(stored.height() * scale)), 1, stored.height()));
        }
    }

    QImage image(decode, features.has_alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    WebPDecoderConfig config;
    if (image.isNull() || !WebPInitDecoderConfig(&config)) return {};
    // Filtering runs on a thread of its own beside the decoding.
    config.options.use_threads = 1;
    if (decode != stored) {
        config.options.use_scaling = 1;
        config.options.scaled_width = decode.width();
        config.options.scaled_height = decode.height();
    }
    // Straight into the image, in its byte order: B, G, R, A in memory on this
    // (little-endian) machine, A, R, G, B on a big-endian one.
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    config.output.colorspace = features.has_alpha ? (little ? MODE_bgrA : MODE_Argb) : (little ? MODE_BGRA : MODE_ARGB);
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = static_cast<int>(image.bytesPerLine());
    config.output.u.RGBA.size = static_cast<std::size_t>(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(bytes, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) return {};
    if (turn != QImageIOHandler::TransformationNone) image = Transformed(image, turn);
    DecodedPicture result;
    result.image = OverGround(image, request.ground);
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

}  // namespace tav
