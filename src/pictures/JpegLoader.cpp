#include "pictures/JpegLoader.h"

#include "pictures/ExifOrientation.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>  // after <cstdio>: it uses FILE without including it

namespace tav {
namespace {

// libjpeg reports a fatal error through error_exit, which must not return:
// it jumps back into Decode. Warnings, a truncated file's among them, are
// not fatal; the missing part decodes grey, as other viewers show it.
struct ErrorJump {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it points to this
    std::jmp_buf back;
};

[[noreturn]] void JumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1); }

void Silent(j_common_ptr, int) {}

int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ExifOrientation(QByteArrayView(reinterpret_cast<const char*>(m->data), m->data_length));
    return 0;
}

// The file is read a piece at a time, as libjpeg asks for it: the whole file
// in memory would add its size to the decode's peak for nothing.
constexpr std::size_t kReadBytes = 64 * 1024;

struct FileSource {
    jpeg_source_mgr manager;  // first, so that libjpeg's pointer to it points to this
    QIODevice* device;
    JOCTET* buffer;
};

void StartReading(j_decompress_ptr) {}

boolean ReadMore(j_decompress_ptr info) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    const qint64 got = source->device->read(reinterpret_cast<char*>(source->buffer), qint64(kReadBytes));
    if (got <= 0) {
        // A file cut short (or unreadable from here on) ends as if its end
        // marker came next: a warning, and the missing rows decode grey.
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        WARNMS(info, JWRN_JPEG_EOF);
        source->manager.next_input_byte = kEnd;
        source->manager.bytes_in_buffer = sizeof kEnd;
        return TRUE;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = static_cast<std::size_t>(got);
    return TRUE;
}

void SkipBytes(j_decompress_ptr info, long count) {
    jpeg_source_mgr& m = *info->src;
    if (count <= 0) return;
    while (count > static_cast<long>(m.bytes_in_buffer)) {
        count -= static_cast<long>(m.bytes_in_buffer);
        ReadMore(info);
    }
    m.next_input_byte += count;
    m.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void StopReading(j_decompress_ptr) {}

// Reads `device` from where it stands; the memory belongs to libjpeg's pool.
void ReadFrom(jpeg_decompress_struct& info, QIODevice& device) {
    auto* source = static_cast<FileSource*>(
        (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(FileSource)));
    source->device = &device;
    source->buffer = static_cast<JOCTET*>(
        (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, kReadBytes));
    source->manager.init_source = StartReading;
    source->manager.fill_input_buffer = ReadMore;
    source->manager.skip_input_data = SkipBytes;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = StopReading;
    source->manager.next_input_byte = nullptr;
    source->manager.bytes_in_buffer = 0;
    info.src = &source->manager;
}

struct Header {
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;  // by the Exif orientation
    QSize natural;                                                                // after the turn
    bool foreignColours = false;                                                  // CMYK or YCCK
    bool streamed = false;                                                        // the rows went to the request's sink
};

// The decode proper. Everything with a destructor belongs to the caller, so
// the jump back from libjpeg leaves no C++ object half done.
bool Decode(jpeg_decompress_struct& info, ErrorJump& errors, QIODevice& device, const DecodeRequest& request,
            Header& header, QImage& image) {
    if (setjmp(errors.back)) return false;
    jpeg_create_decompress(&info);
    ReadFrom(info, device);
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    const QSize stored(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    if (!PictureSizeAcceptable(info.image_width, info.image_height)) return false;
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        header.foreignColours = true;
        return false;
    }
    header.turn = ExifTransformation(OrientationOf(info));
    const bool turned = (header.turn & QImageIOHandler::TransformationRotate90) != 0;
    header.natural = turned ? stored.transposed() : stored;
    if (request.drawSizeFor) {
        const QSize draw = request.drawSizeFor(header.natural);
        info.scale_num = 1;
        info.scale_denom = static_cast<unsigned>(DctDenominator(stored, turned ? draw.transposed() : draw));
    }
    // 0xffRRGGBB in memory on a little-endian machine, which Format_RGB32 is.
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    const QSize decoded(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (request.rows) {
        // Each row goes to the sink from one row of libjpeg's pool, as the
        // file stores it, with the turn that shows it upright: the picture
        // is never whole, turned or not.
        JSAMPARRAY row =
            (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 4, 1);
        header.streamed = true;
        request.rows->Begin(header.natural, decoded, header.turn);
        while (info.output_scanline < info.output_height) {
            const int y = static_cast<int>(info.output_scanline);
            if (jpeg_read_scanlines(&info, row, 1) != 1) return false;
            request.rows->Row(y, reinterpret_cast<const QRgb*>(row[0]));
        }
        jpeg_abort_decompress(&info);
        return true;
    }
    image = QImage(decoded, QImage::Format_RGB32);
    if (image.isNull()) return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
    }
    // Whatever follows the last row (damaged or not) is not read: the picture is whole.
    jpeg_abort_decompress(&info);
    return true;
}

}  // namespace

DecodedPicture LoadJpeg(QIODevice& device, const DecodeRequest& request) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "JCS_EXT_BGRX is Format_RGB32 only on little-endian machines");
    const qint64 start = device.pos();
    jpeg_decompress_struct info{};
    ErrorJump errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    errors.manager.emit_message = Silent;
    Header header;
    QImage image;
    bool decoded = false;
    try {
        decoded = Decode(info, errors, device, request, header, image);
    } catch (...) {
        // The sink ran out of memory: libjpeg's memory goes all the same.
        jpeg_destroy_decompress(&info);
        throw;
    }
    jpeg_destroy_decompress(&info);
    if (header.foreignColours) {
        device.seek(start);
        return DecodeWithQt(device, {"jpeg", true}, request);
    }
    if (header.streamed) {
        if (!decoded) return {};
        DecodedPicture result;
        result.streamed = true;
        result.naturalWidth = header.natural.width();
        result.naturalHeight = header.natural.height();
        return result;
    }
    if (!decoded || image.isNull()) return {};
    DecodedPicture result;
    result.image =
        header.turn == QImageIOHandler::TransformationNone ? std::move(image) : Transformed(image, header.turn);
    result.naturalWidth = header.natural.width();
    result.naturalHeight = header.natural.height();
    return result;
}

}  // namespace tav
