// The orientation tag of an Exif block, and the turn it asks for. Cameras
// store a photo as the sensor saw it and say in this tag how to show it.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QImageIOHandler>

namespace tav {

// The orientation (1 ... 8) of an Exif block: a TIFF header and its first
// directory, with or without the "Exif\0\0" prefix JPEG puts before it.
// 0 when the block holds no readable orientation.
int ExifOrientation(QByteArrayView exif);

// The turn that shows a picture of this orientation upright (none for 0, 1
// or anything unknown).
QImageIOHandler::Transformations ExifTransformation(int orientation);

// The image turned and mirrored as the transformation says.
QImage Transformed(const QImage& image, QImageIOHandler::Transformations turn);

}  // namespace tav
