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

#include <cerrno>
#include <exception>
#include <mutex>
#include <system_error>

namespace tav {
namespace {

// A descriptor of the regular file at path, or -1 and why. O_NONBLOCK keeps
// the open from waiting should a pipe take the file's place after the check.
int OpenRegularFile(const std::string& path, std::string& why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        why = std::error_code(errno, std::generic_category()).message();
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        why = "not a regular file";
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::error_code(errno, std::generic_category()).message();
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "not a regular file";
        return -1;
    }
    return fd;
}

DecodedPicture Failure(std::string why) {
    DecodedPicture none;
    none.failure = std::move(why);
    return none;
}

const char* FormatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Wmf: return "metafile";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Webp: return "WebP";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Heic: return "HEIC";
    case PictureFormat::Avif: return "AVIF";
    case PictureFormat::Unknown: break;
    }
    return "unknown";
}

DecodedPicture Decode(PictureFormat format, QIODevice& file, const DecodeRequest& request) {
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
    return {};
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

PictureFormat SniffPictureFile(const std::string& path) {
    std::string why;
    const int fd = OpenRegularFile(path, why);
    if (fd < 0) return PictureFormat::Unknown;
    unsigned char head[kSniffBytes];
    ssize_t got = 0;
    do got = ::read(fd, head, sizeof head);
    while (got < 0 && errno == EINTR);
    ::close(fd);
    return got > 0 ? SniffPictureFormat(head, std::size_t(got)) : PictureFormat::Unknown;
}

DecodedPicture LoadPictureFile(const std::string& path, const std::function<QSize(QSize natural)>& drawSizeFor,
                               QRgb ground, RowSink* rows) {
    try {
        SetAllocationLimitOnce();
        // Only a regular file is opened: a pipe or a device would keep the
        // composing thread waiting for data that may never come.
        std::string why;
        const int fd = OpenRegularFile(path, why);
        if (fd < 0) return Failure(why);
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return Failure("cannot be opened");
        }
        if (file.size() > kMaxPictureFileBytes) return Failure("larger than the largest picture file read");
        const QByteArray head = file.peek(kSniffBytes);
        const auto format =
            SniffPictureFormat(reinterpret_cast<const unsigned char*>(head.constData()), std::size_t(head.size()));
        if (format == PictureFormat::Unknown) return Failure("not in a picture format this program reads");
        DecodedPicture picture = Decode(format, file, DecodeRequest{drawSizeFor, ground, rows});
        // A decoder that knows better says so itself; otherwise the file is
        // damaged, cut short or beyond the size limits.
        if (!picture.ok() && picture.failure.empty())
            picture.failure = std::string("the ") + FormatName(format) + " file is damaged or too large";
        return picture;
    } catch (const std::exception&) {
        return Failure("out of memory while decoding");
    }
}

}  // namespace tav
