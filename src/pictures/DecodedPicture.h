// What a decoder hands back, and the limits every decoder holds a file to.
// The loaders of each format and the loader that chooses among them all
// include this, so the loaders need not include the one that calls them.
#pragma once

#include <QImage>
#include <QImageIOHandler>

#include <string>

namespace tav {

struct DecodedPicture {
    QImage image;          // QImage::Format_RGB32; may be smaller than the natural size (reduced decode)
    int naturalWidth = 0;  // natural size in pixels, after the file's orientation
    int naturalHeight = 0;
    // The rows went to the caller's RowSink as they were decoded; image is null.
    bool streamed = false;
    // Why there is no picture, in a few words for a person reading a log or a
    // tool's message; empty when ok().
    std::string failure;
    bool ok() const { return (!image.isNull() || streamed) && naturalWidth > 0 && naturalHeight > 0; }
};

// Takes a picture's rows as they are decoded, for a caller that only draws
// them (fitted to the screen, say): a 12-megapixel photo is then never held
// whole, only a row of it at a time.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Before the first row: the natural size, as DecodedPicture's; the size
    // of the rows that follow, as the file stores them and a reduced decode
    // makes them; and the turn that shows them upright (as Transformed does).
    virtual void Begin(QSize natural, QSize decoded, QImageIOHandler::Transformations turn) = 0;
    // Row y of decoded.height(), from the top down: decoded.width() pixels
    // 0xffRRGGBB, valid during the call only.
    virtual void Row(int y, const QRgb* pixels) = 0;
};

// Largest picture accepted, in pixels per side and in total. Anything beyond is
// refused from its header alone, before a single pixel buffer is allocated.
inline constexpr int kMaxPictureSide = 30000;
inline constexpr long long kMaxPicturePixels = 100LL * 1000 * 1000;

// Largest picture file accepted, and largest metafile (metafiles are read
// whole into memory and played from there).
inline constexpr long long kMaxPictureFileBytes = 256LL * 1024 * 1024;
inline constexpr long long kMaxMetafileBytes = 64LL * 1024 * 1024;

// True when a picture of this size may be decoded.
bool PictureSizeAcceptable(long long width, long long height);

}  // namespace tav
