#include "pictures/PictureLoader.h"

#include "base/LittleEndian.h"
#include "pictures/HeifLoader.h"
#include "pictures/JpegLoader.h"
#include "pictures/PngLoader.h"
#include "pictures/RasterDecode.h"
#include "pictures/TiffLoader.h"
#include "pictures/WebpLoader.h"
#include "pictures/WmfPlayer.h"

#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <mutex>

namespace tav {
namespace {

// A descriptor of the regular file at path, or -1. O_NONBLOCK keeps the open
// from waiting should a pipe take the file's place after the check.
int OpenRegularFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

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
    if (IsPng(data, size)) return PictureFormat::Png;
    if (IsWebp(data, size)) return PictureFormat::Webp;
    if (IsTiff(data, size)) return PictureFormat::Tiff;
    switch (SniffHeif(data, size)) {
    case HeifKind::Heic: return PictureFormat::Heic;
    case HeifKind::Avif: return PictureFormat::Avif;
    case HeifKind::None: break;
    }
    if (size >= 4 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A)
        return PictureFormat::Wmf;
    if (size >= 6) {
        const unsigned type = ReadU16(data);
        const unsigned headerWords = ReadU16(data + 2);
        const unsigned version = ReadU16(data + 4);
        if ((type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300))
            return PictureFormat::Wmf;
    }
    return PictureFormat::Unknown;
}

DecodedPicture LoadPictureFile(const std::string& path, const std::function<QSize(QSize natural)>& drawSizeFor,
                               QRgb ground) {
    try {
        SetAllocationLimitOnce();
        // Only a regular file is opened: a pipe or a device would keep the
        // composing thread waiting for data that may never come.
        const int fd = OpenRegularFile(path);
        if (fd < 0) return {};
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return {};
        }
        if (file.size() > kMaxPictureFileBytes) return {};
        const QByteArray head = file.peek(kSniffBytes);
        const auto format =
            SniffPictureFormat(reinterpret_cast<const unsigned char*>(head.constData()), std::size_t(head.size()));
        const DecodeRequest request{drawSizeFor, ground};
        switch (format) {
        case PictureFormat::Wmf: return LoadMetafile(file, drawSizeFor, ground);
        case PictureFormat::Bmp: return DecodeWithQt(file, {"bmp"}, request);
        case PictureFormat::Gif: return DecodeWithQt(file, {"gif"}, request);
        case PictureFormat::Jpeg: return LoadJpeg(file, request);
        case PictureFormat::Png: return LoadPng(file, request);
        case PictureFormat::Webp: return LoadWebp(file, request);
        case PictureFormat::Tiff: return LoadTiff(file, request);
        case PictureFormat::Heic:
        case PictureFormat::Avif: return LoadHeif(file, request);
        case PictureFormat::Unknown: break;
        }
    } catch (const std::exception&) {
        // Out of memory while decoding: the picture is simply not shown.
    }
    return {};
}

}  // namespace tav
