#include "pictures/JpegLoader.h"

#include "pictures/ExifOrientation.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

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

struct Header {
    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone;  // by the Exif orientation
    QSize natural;                                                                // after the turn
    bool foreignColours = false;                                                  // CMYK or YCCK
};

// The decode proper. Everything with a destructor belongs to the caller, so
// the jump back from libjpeg leaves no C++ object half done.
bool Decode(jpeg_decompress_struct& info, ErrorJump& errors, const QByteArray& data, const DecodeRequest& request,
            Header& header, QImage& image) {
    if (setjmp(errors.back)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
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
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB32);
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
    const QByteArray data = device.readAll();
    jpeg_decompress_struct info{};
    ErrorJump errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    errors.manager.emit_message = Silent;
    Header header;
    QImage image;
    const bool decoded = Decode(info, errors, data, request, header, image);
    jpeg_destroy_decompress(&info);
    if (header.foreignColours) {
        device.seek(start);
        return DecodeWithQt(device, {"jpeg", true}, request);
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
