// Decoding of the picture files of a list (BMP, GIF, JPEG, WMF, PNG, WebP,
// TIFF, HEIC/HEIF, AVIF) into one 32-bit raster, recognised by their content
// rather than by their names.
#pragma once

#include <QColor>
#include <QSize>

#include <functional>
#include <string>

#include "pictures/DecodedPicture.h"

namespace tav {

// Decodes a picture file: the first frame or page of GIF, PNG, WebP and TIFF, the primary image of
// a HEIF file, a photo turned upright by its orientation. drawSizeFor, when given, receives the
// natural size and returns the size the picture will be drawn at; the decoder may then decode
// reduced (JPEG DCT scaling, a HEIF file's own thumbnail, WMF rendered directly at that size) but
// never below that size. Transparent pixels, and whatever a metafile leaves unpainted, show
// `ground`: the colour the picture is laid on. Failure (missing, damaged, absurd size) gives a
// DecodedPicture whose ok() is false; never throws or crashes.
// `rows`, when given, may take the picture row by row instead (a JPEG): the
// result then says streamed and holds no image. A failure after the first
// rows leaves the sink with part of them.
DecodedPicture LoadPictureFile(const std::string& path, const std::function<QSize(QSize natural)>& drawSizeFor = {},
                               QRgb ground = qRgb(0, 0, 0), RowSink* rows = nullptr);

enum class PictureFormat { Unknown, Bmp, Gif, Jpeg, Wmf, Png, Webp, Tiff, Heic, Avif };

// How many leading bytes SniffPictureFormat looks at, at most.
inline constexpr std::size_t kSniffBytes = 64;

// The format told by the first bytes of a file.
PictureFormat SniffPictureFormat(const unsigned char* data, std::size_t size);

// The format of the picture file at `path` by its first bytes, opened as
// LoadPictureFile opens it (a regular file only); Unknown when it cannot be read.
PictureFormat SniffPictureFile(const std::string& path);

}  // namespace tav
