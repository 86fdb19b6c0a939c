#include "pictures/RasterDecode.h"

#include "pictures/ExifOrientation.h"

#include <QImageReader>
#include <QPainter>

namespace tav {
namespace {

// The size DCT scaling by 1/denominator gives, as libjpeg rounds it.
QSize DctScaled(QSize stored, int denominator) {
    return {(stored.width() + denominator - 1) / denominator, (stored.height() + denominator - 1) / denominator};
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
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

}  // namespace tav
