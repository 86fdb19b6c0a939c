// The steps every raster decoder shares: the size cap read from the header,
// the turn that shows a photo upright, and transparency laid over the ground.
#pragma once

#include "pictures/DecodedPicture.h"

#include <QIODevice>

#include <functional>

namespace tav {

// What the caller of LoadPictureFile asked for.
struct DecodeRequest {
    std::function<QSize(QSize natural)> drawSizeFor;  // may be empty
    QRgb ground = qRgb(0, 0, 0);
    RowSink* rows = nullptr;  // may be null; a decoder that can streams the rows here
};

// How Qt decodes one format.
struct QtFormat {
    const char* name;         // Qt's format name ("jpeg", "png", ...)
    bool dctScaling = false;  // the decoder can decode at 1/2, 1/4 or 1/8 of the size
    int exifOrientation = 0;  // the file's own orientation, for formats Qt does not turn itself
};

// The largest reduction libjpeg's DCT scaling offers (1/8, 1/4, 1/2) that
// still gives at least the draw size, both in the file's stored orientation:
// its denominator, 1 when none qualifies.
int DctDenominator(QSize stored, QSize drawStored);

// Decodes the device's picture through Qt's reader for that format.
DecodedPicture DecodeWithQt(QIODevice& device, const QtFormat& format, const DecodeRequest& request);

// The image as Format_RGB32, its transparent pixels laid over ground.
QImage OverGround(const QImage& image, QRgb ground);

}  // namespace tav
