#include "pictures/RasterDecode.h"

#include "pictures/ExifOrientation.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tav {
namespace {

// The size DCT scaling by 1/denominator gives, as libjpeg rounds it.
QSize DctScaled(QSize stored, int denominator) {
    return {(stored.width() + denominator - 1) / denominator, (stored.height() + denominator - 1) / denominator};
}

std::uint32_t Le(const QByteArray& b, int at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// How many rows, in the order a bitmap file stores them, its pixel data still
// holds whole: Qt's reader takes a file cut short as read, and leaves the rows
// it never reached as the fresh image's memory happened to be. -1 when every
// row is there or the file is not one this can tell.
int BitmapRowsPresent(QIODevice& device) {
    const QByteArray head = device.peek(64);
    if (head.size() < 26 || head[0] != 'B' || head[1] != 'M') return -1;
    const qint64 offset = Le(head, 10, 4);
    const std::uint32_t headerSize = Le(head, 14, 4);
    qint64 width = 0, height = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        width = Le(head, 18, 2), height = Le(head, 20, 2), bits = static_cast<int>(Le(head, 24, 2));
    } else if (headerSize >= 40 && head.size() >= 34) {
        width = static_cast<std::int32_t>(Le(head, 18, 4));
        height = std::abs(static_cast<qint64>(static_cast<std::int32_t>(Le(head, 22, 4))));
        bits = static_cast<int>(Le(head, 28, 2));
        compression = Le(head, 30, 4);
    } else {
        return -1;
    }
    if (width <= 0 || height <= 0 || bits <= 0 || offset <= 0) return -1;
    const qint64 size = device.size();
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 stride = (width * bits + 31) / 32 * 4;
        const qint64 whole = std::max<qint64>(size - offset, 0) / stride;
        return whole >= height ? -1 : static_cast<int>(whole);
    }
    if (compression != 1 && compression != 2) return -1;
    // Run-length data: walked as the decoder walks it, to the row where it
    // ran out or ended early. Only the rows before that one are whole.
    const QByteArray data = device.peek(size);
    qint64 p = offset, y = 0;
    const qint64 n = data.size();
    while (y < height) {
        if (p + 2 > n) return static_cast<int>(y);
        const auto count = static_cast<std::uint8_t>(data[p]), code = static_cast<std::uint8_t>(data[p + 1]);
        p += 2;
        if (count > 0) continue;
        if (code == 0) {
            ++y;
        } else if (code == 1) {
            return y + 1 >= height ? -1 : static_cast<int>(y + 1);
        } else if (code == 2) {
            if (p + 2 > n) return static_cast<int>(y);
            y += static_cast<std::uint8_t>(data[p + 1]);
            p += 2;
        } else {
            const qint64 bytes = compression == 1 ? code : (code + 1) / 2;
            p += (bytes + 1) & ~qint64(1);
            if (p > n) return static_cast<int>(y);
        }
    }
    return -1;
}

}  // namespace

int DctDenominator(QSize stored, QSize drawStored) {
    if (drawStored.width() <= 0 || drawStored.height() <= 0) return 1;
    for (int d : {8, 4, 2}) {
        const QSize scaled = DctScaled(stored, d);
        if (scaled.width() >= drawStored.width() && scaled.height() >= drawStored.height()) return d;
    }
    return 1;
}

// Transparent pixels are laid over the ground they will be shown on, so a
// logo with holes shows the background colour through them.
QImage OverGround(const QImage& image, QRgb ground) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    out.fill(ground);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

DecodedPicture DecodeWithQt(QIODevice& device, const QtFormat& format, const DecodeRequest& request) {
    // Looked at before the reader moves on from the start of the file.
    const bool bitmap = std::strcmp(format.name, "bmp") == 0;
    const int rowsPresent = bitmap ? BitmapRowsPresent(device) : -1;
    const QByteArray bitmapHead = bitmap ? device.peek(26) : QByteArray();
    const bool topDown = bitmapHead.size() == 26 && static_cast<std::int32_t>(Le(bitmapHead, 22, 4)) < 0;
    QImageReader reader(&device, format.name);
    reader.setDecideFormatFromContent(false);
    const QSize stored = reader.size();
    if (!stored.isValid() || !PictureSizeAcceptable(stored.width(), stored.height())) return {};

    // Qt turns the picture itself where its decoder reads the orientation
    // (JPEG, TIFF); otherwise the orientation found in the file is applied here.
    QImageIOHandler::Transformations turn = reader.transformation();
    const bool ownTurn = turn == QImageIOHandler::TransformationNone && format.exifOrientation > 1;
    if (ownTurn) turn = ExifTransformation(format.exifOrientation);
    const bool turned = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize natural = turned ? stored.transposed() : stored;
    reader.setAutoTransform(true);

    if (format.dctScaling && request.drawSizeFor) {
        const QSize draw = request.drawSizeFor(natural);
        const QSize decode = DctScaled(stored, DctDenominator(stored, turned ? draw.transposed() : draw));
        // The scaled size is given in the file's stored orientation; the turn
        // is applied afterwards.
        if (decode != stored) reader.setScaledSize(decode);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    if (ownTurn) image = Transformed(image, turn);
    DecodedPicture result;
    result.image = OverGround(image, request.ground);
    if (rowsPresent >= 0 && !result.image.isNull()) {
        // The rows the file no longer holds show the ground: the top ones of
        // a file stored bottom row first, else the bottom ones.
        const int h = result.image.height(), missing = std::max(h - rowsPresent, 0);
        const int first = topDown ? h - missing : 0;
        for (int y = first; y < first + missing; ++y) {
            auto* row = reinterpret_cast<QRgb*>(result.image.scanLine(y));
            std::fill(row, row + result.image.width(), request.ground | 0xFF000000u);
        }
    }
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

}  // namespace tav
