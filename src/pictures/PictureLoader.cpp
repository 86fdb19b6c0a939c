#include "pictures/PictureLoader.h"

#include "pictures/BmpLoader.h"
#include "pictures/GifLoader.h"
#include "pictures/HeifLoader.h"
#include "pictures/JpegLoader.h"
#include "pictures/PngLoader.h"
#include "pictures/RasterDecode.h"
#include "pictures/TiffLoader.h"
#include "pictures/WebpLoader.h"
#include "pictures/WmfLoader.h"

#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

PictureFormat SniffPictureFormat(const unsigned char* data, std::size_t size) {
    if (IsBmp(data, size)) return PictureFormat::Bmp;
    if (IsGif(data, size)) return PictureFormat::Gif;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return PictureFormat::Jpeg;
    if (IsPng(data, size)) return PictureFormat::Png;
    if (IsWebp(data, size)) return PictureFormat::Webp;
    if (IsTiff(data, size)) return PictureFormat::Tiff;
    switch (SniffHeif(data, size)) {
    case HeifKind::Heic: return PictureFormat::Heic;
    case HeifKind::Avif: return PictureFormat::Avif;
    case HeifKind::None: break;
    }
    if (IsWmf(data, size)) return PictureFormat::Wmf;
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
        case PictureFormat::Wmf: return LoadWmf(file, request);
        case PictureFormat::Bmp: return LoadBmp(file, request);
        case PictureFormat::Gif: return LoadGif(file, request);
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
