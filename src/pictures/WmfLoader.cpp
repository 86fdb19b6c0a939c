#include "pictures/WmfLoader.h"

#include "base/LittleEndian.h"
#include "pictures/WmfPlayer.h"

namespace tav {

bool IsWmf(const unsigned char* data, std::size_t size) {
    if (size >= 4 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A) return true;
    if (size >= 6) {
        const unsigned type = ReadU16(data);
        const unsigned headerWords = ReadU16(data + 2);
        const unsigned version = ReadU16(data + 4);
        if ((type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300)) return true;
    }
    return false;
}

DecodedPicture LoadWmf(QIODevice& device, const DecodeRequest& request) {
    if (device.size() > kMaxMetafileBytes) return {};
    const QByteArray data = device.readAll();
    WmfInfo info;
    if (!ReadWmfInfo(data, info)) return {};
    const QSize natural = info.naturalSize;
    if (!PictureSizeAcceptable(natural.width(), natural.height())) return {};
    // A metafile is drawn straight at the size it is shown at, sharp at any scale.
    QSize target = natural;
    if (request.drawSizeFor) {
        const QSize draw = request.drawSizeFor(natural);
        if (draw.width() > 0 && draw.height() > 0 && PictureSizeAcceptable(draw.width(), draw.height())) target = draw;
    }
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(request.ground);
    PlayWmf(data, info, image);
    DecodedPicture result;
    result.image = std::move(image);
    result.naturalWidth = natural.width();
    result.naturalHeight = natural.height();
    return result;
}

}  // namespace tav
