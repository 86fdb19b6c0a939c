#include "testmedia/PictureWriters.h"

#include "base/ColourQt.h"
#include "base/LittleEndian.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

#include <libheif/heif.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <unordered_map>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it uses FILE without including it

namespace tav::pw {
namespace {

void Put8(QByteArray& out, unsigned v) { out.append(char(v & 0xFF)); }
void PutFileHeader(QByteArray& out, std::uint32_t fileSize, std::uint32_t pixelOffset) {
    out.append("BM", 2);
    PutU32(out, fileSize);
    PutU32(out, 0);
    PutU32(out, pixelOffset);
}

void PutInfoHeader(QByteArray& out, int w, int h, int bits, int compression, std::uint32_t imageSize, int colors) {
    PutU32(out, 40);
    PutU32(out, std::uint32_t(w));
    PutU32(out, std::uint32_t(h));
    PutU16(out, 1);
    PutU16(out, unsigned(bits));
    PutU32(out, std::uint32_t(compression));
    PutU32(out, imageSize);
    PutU32(out, 3780);  // 96 dots per inch in pixels per metre
    PutU32(out, 3780);
    PutU32(out, std::uint32_t(colors));
    PutU32(out, 0);
}

QByteArray Rows24(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int stride = (rgb.width() * 3 + 3) & ~3;
    QByteArray rows(qsizetype(stride) * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(rgb.height() - 1 - y));
        char* out = rows.data() + qsizetype(stride) * y;
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x] = char(qBlue(line[x]));
            out[3 * x + 1] = char(qGreen(line[x]));
            out[3 * x + 2] = char(qRed(line[x]));
        }
    }
    return rows;
}

// One row in RLE8: runs of equal indices as (count, index); stretches of
// differing indices in absolute mode (0, count, indices, padded to a word).
void EncodeRle8Row(const uchar* row, int width, QByteArray& out) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
        if (run >= 2) {
            Put8(out, unsigned(run));
            Put8(out, row[x]);
            x += run;
            continue;
        }
        int lit = 1;
        while (x + lit < width && lit < 255 && !(x + lit + 1 < width && row[x + lit] == row[x + lit + 1])) ++lit;
        if (lit < 3) {
            for (int i = 0; i < lit; ++i) {
                Put8(out, 1);
                Put8(out, row[x + i]);
            }
        } else {
            Put8(out, 0);
            Put8(out, unsigned(lit));
            out.append(reinterpret_cast<const char*>(row + x), lit);
            if (lit & 1) Put8(out, 0);
        }
        x += lit;
    }
    Put8(out, 0);
    Put8(out, 0);
}

// LZW as GIF wants it: codes packed from the least significant bit, a clear
// code first and whenever the table is full.
QByteArray LzwEncode(const uchar* pixels, qsizetype count) {
    constexpr int kMinCodeSize = 8;
    constexpr int kClear = 1 << kMinCodeSize;
    constexpr int kEnd = kClear + 1;
    QByteArray out;
    std::uint32_t bits = 0;
    int bitCount = 0;
    int codeSize = kMinCodeSize + 1;
    auto putCode = [&](int code) {
        bits |= std::uint32_t(code) << bitCount;
        bitCount += codeSize;
        while (bitCount >= 8) {
            Put8(out, bits & 0xFF);
            bits >>= 8;
            bitCount -= 8;
        }
    };
    std::unordered_map<std::uint32_t, int> table;
    int maxCode = kEnd;
    putCode(kClear);
    if (count == 0) {
        putCode(kEnd);
    } else {
        int prefix = pixels[0];
        for (qsizetype i = 1; i < count; ++i) {
            const int k = pixels[i];
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | std::uint32_t(k);
            const auto found = table.find(key);
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            putCode(prefix);
            table[key] = ++maxCode;
            if (maxCode >= (1 << codeSize)) ++codeSize;
            if (maxCode == 4095) {
                putCode(kClear);
                table.clear();
                codeSize = kMinCodeSize + 1;
                maxCode = kEnd;
            }
            prefix = k;
        }
        putCode(prefix);
        putCode(kEnd);
    }
    if (bitCount > 0) Put8(out, bits & 0xFF);
    return out;
}

void PutColorTable(QByteArray& out, const QVector<QRgb>& colors) {
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < colors.size() ? colors[i] : 0;
        Put8(out, unsigned(qRed(c)));
        Put8(out, unsigned(qGreen(c)));
        Put8(out, unsigned(qBlue(c)));
    }
}

}  // namespace

QImage ToIndexed8(const QImage& image) {
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (indexed.colorCount() > 256) indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    return indexed;
}

QByteArray WriteBmp24(const QImage& image) {
    const QByteArray rows = Rows24(image);
    QByteArray out;
    PutFileHeader(out, std::uint32_t(54 + rows.size()), 54);
    PutInfoHeader(out, image.width(), image.height(), 24, 0, std::uint32_t(rows.size()), 0);
    out.append(rows);
    return out;
}

QByteArray WriteBmp8(const QImage& image, bool rle8) {
    const QImage indexed = image.format() == QImage::Format_Indexed8 ? image : ToIndexed8(image);
    const int w = indexed.width(), h = indexed.height();
    QByteArray pixels;
    if (rle8) {
        for (int y = h - 1; y >= 0; --y) EncodeRle8Row(indexed.constScanLine(y), w, pixels);
        pixels[pixels.size() - 1] = 1;  // the last end of line becomes the end of the bitmap
    } else {
        const int stride = (w + 3) & ~3;
        pixels.fill('\0', qsizetype(stride) * h);
        for (int y = 0; y < h; ++y)
            std::copy_n(indexed.constScanLine(h - 1 - y), w, pixels.data() + qsizetype(stride) * y);
    }
    const QVector<QRgb> colors = indexed.colorTable();
    const int colorCount = int(colors.size());
    const std::uint32_t offset = 54 + 4 * std::uint32_t(colorCount);
    QByteArray out;
    PutFileHeader(out, offset + std::uint32_t(pixels.size()), offset);
    PutInfoHeader(out, w, h, 8, rle8 ? 1 : 0, std::uint32_t(pixels.size()), colorCount);
    for (QRgb c : colors) {
        Put8(out, unsigned(qBlue(c)));
        Put8(out, unsigned(qGreen(c)));
        Put8(out, unsigned(qRed(c)));
        Put8(out, 0);
    }
    out.append(pixels);
    return out;
}

QByteArray WriteGif(const std::vector<QImage>& frames) {
    if (frames.empty()) return {};
    const QImage first =
        frames.front().format() == QImage::Format_Indexed8 ? frames.front() : ToIndexed8(frames.front());
    const int w = first.width(), h = first.height();
    QByteArray out("GIF89a", 6);
    PutU16(out, unsigned(w));
    PutU16(out, unsigned(h));
    Put8(out, 0xF7);  // global colour table of 256 entries, 8 bits per primary
    Put8(out, 0);
    Put8(out, 0);
    PutColorTable(out, first.colorTable());
    // The first fully transparent colour of the table becomes the transparent index.
    const QVector<QRgb> colors = first.colorTable();
    const auto clear = std::find_if(colors.begin(), colors.end(), [](QRgb c) { return qAlpha(c) == 0; });
    const bool transparent = clear != colors.end();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        QImage frame = i == 0 ? first : frames[i].convertToFormat(QImage::Format_Indexed8, first.colorTable());
        if (i > 0 || transparent) {
            // A graphic control block, so that viewers show the frames one
            // after another and know the transparent index.
            out.append("\x21\xF9\x04", 3);
            Put8(out, transparent ? 1 : 0);
            PutU16(out, i > 0 ? 0x32 : 0);
            Put8(out, transparent ? unsigned(clear - colors.begin()) : 0);
            Put8(out, 0);
        }
        Put8(out, 0x2C);
        PutU16(out, 0);
        PutU16(out, 0);
        PutU16(out, unsigned(w));
        PutU16(out, unsigned(h));
        Put8(out, 0);
        QByteArray pixels;
        pixels.reserve(qsizetype(w) * h);
        for (int y = 0; y < h; ++y) pixels.append(reinterpret_cast<const char*>(frame.constScanLine(y)), w);
        const QByteArray lzw = LzwEncode(reinterpret_cast<const uchar*>(pixels.constData()), pixels.size());
        Put8(out, 8);
        for (qsizetype at = 0; at < lzw.size(); at += 255) {
            const qsizetype n = std::min<qsizetype>(255, lzw.size() - at);
            Put8(out, unsigned(n));
            out.append(lzw.constData() + at, n);
        }
        Put8(out, 0);
    }
    Put8(out, 0x3B);
    return out;
}

namespace {

// A little-endian TIFF header and one IFD holding only the orientation tag
// (0x0112, SHORT, one value): the Exif block of every format that carries one.
QByteArray ExifOrientationBlock(int orientation) {
    QByteArray exif("II", 2);
    PutU16(exif, 42);
    PutU32(exif, 8);
    PutU16(exif, 1);
    PutU16(exif, 0x0112);
    PutU16(exif, 3);
    PutU32(exif, 1);
    PutU16(exif, unsigned(orientation));
    PutU16(exif, 0);
    PutU32(exif, 0);
    return exif;
}

QByteArray WriteWithQt(const QImage& image, const char* format, int quality = -1,
                       QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setTransformation(turn);
    if (!writer.write(image)) return {};
    return bytes;
}

bool ValidOrientation(int orientation) { return orientation >= 1 && orientation <= 8; }

void PutBigEndian32(QByteArray& out, std::uint32_t v) {
    for (int shift : {24, 16, 8, 0}) Put8(out, v >> shift);
}

}  // namespace

QByteArray WriteJpeg(const QImage& image, int quality, int exifOrientation) {
    QByteArray jpeg = WriteWithQt(image.convertToFormat(QImage::Format_RGB32), "jpeg", quality);
    if (jpeg.isEmpty() || !ValidOrientation(exifOrientation)) return jpeg;
    const QByteArray exif = ExifOrientationBlock(exifOrientation);
    QByteArray app1("\xFF\xE1", 2);
    Put8(app1, 0);
    Put8(app1, unsigned(2 + 6 + exif.size()));  // segment length, big-endian, counting its own two bytes
    app1.append("Exif\0\0", 6);
    app1.append(exif);
    jpeg.insert(2, app1);
    return jpeg;
}

QByteArray WriteCmykJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(rgb.width()) * 4);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            row[4 * x] = static_cast<unsigned char>(qRed(in[x]));
            row[4 * x + 1] = static_cast<unsigned char>(qGreen(in[x]));
            row[4 * x + 2] = static_cast<unsigned char>(qBlue(in[x]));
            row[4 * x + 3] = 255;
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

QByteArray WritePng(const QImage& image, int exifOrientation) {
    QByteArray png = WriteWithQt(image, "png");
    if (png.isEmpty() || !ValidOrientation(exifOrientation)) return png;
    // An eXIf chunk right after the header chunk (8 + 25 bytes in).
    const QByteArray exif = ExifOrientationBlock(exifOrientation);
    QByteArray chunk;
    PutBigEndian32(chunk, std::uint32_t(exif.size()));
    chunk.append("eXIf", 4);
    chunk.append(exif);
    PutBigEndian32(
        chunk, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(chunk.constData() + 4), uInt(chunk.size() - 4))));
    png.insert(8 + 25, chunk);
    return png;
}

QByteArray WriteWebp(const QImage& image, int exifOrientation) {
    const QByteArray simple = WriteWithQt(image, "webp", 100);
    if (simple.size() < 12 || !ValidOrientation(exifOrientation)) return simple;
    // The extended layout: a VP8X chunk announcing Exif (and alpha), the image
    // chunk of the simple file, then the EXIF chunk.
    QByteArray body("WEBP", 4);
    body.append("VP8X", 4);
    PutU32(body, 10);
    Put8(body, image.hasAlphaChannel() ? 0x18 : 0x08);
    for (int i = 0; i < 3; ++i) Put8(body, 0);
    for (int side : {image.width() - 1, image.height() - 1}) {
        PutU16(body, unsigned(side));
        Put8(body, unsigned(side) >> 16);
    }
    body.append(simple.mid(12));
    const QByteArray exif = ExifOrientationBlock(exifOrientation);
    body.append("EXIF", 4);
    PutU32(body, std::uint32_t(exif.size()));
    body.append(exif);
    if (exif.size() % 2) Put8(body, 0);
    QByteArray webp("RIFF", 4);
    PutU32(webp, std::uint32_t(body.size()));
    return webp + body;
}

QByteArray WriteTiff(const QImage& image, int exifOrientation) {
    static const QImageIOHandler::Transformations kTurns[] = {QImageIOHandler::TransformationNone,
                                                              QImageIOHandler::TransformationMirror,
                                                              QImageIOHandler::TransformationRotate180,
                                                              QImageIOHandler::TransformationFlip,
                                                              QImageIOHandler::TransformationFlipAndRotate90,
                                                              QImageIOHandler::TransformationRotate90,
                                                              QImageIOHandler::TransformationMirrorAndRotate90,
                                                              QImageIOHandler::TransformationRotate270};
    return WriteWithQt(image, "tiff", -1, kTurns[ValidOrientation(exifOrientation) ? exifOrientation - 1 : 0]);
}

namespace {

heif_error AppendToByteArray(heif_context*, const void* data, std::size_t size, void* out) {
    static_cast<QByteArray*>(out)->append(static_cast<const char*>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

}  // namespace

QByteArray WriteHeif(const QImage& image, HeifCodec codec, int quality, int orientation, int thumbnailSide) {
    const bool alpha = image.hasAlphaChannel();
    const QImage rgba = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    heif_image* picture = nullptr;
    if (heif_image_create(rgba.width(), rgba.height(), heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &picture)
            .code != heif_error_Ok)
        return {};
    QByteArray out;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    if (heif_image_add_plane(picture, heif_channel_interleaved, rgba.width(), rgba.height(), 8).code == heif_error_Ok &&
        heif_context_get_encoder_for_format(
            context, codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1, &encoder)
                .code == heif_error_Ok) {
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        const int rowBytes = rgba.width() * (alpha ? 4 : 3);
        for (int y = 0; y < rgba.height(); ++y)
            std::memcpy(plane + std::ptrdiff_t(y) * stride, rgba.constScanLine(y), std::size_t(rowBytes));
        heif_encoder_set_lossy_quality(encoder, quality);
        options->image_orientation = heif_orientation(ValidOrientation(orientation) ? orientation : 1);
        heif_writer writer{1, AppendToByteArray};
        heif_image_handle* primary = nullptr;
        bool written = heif_context_encode_image(context, picture, encoder, options, &primary).code == heif_error_Ok;
        if (written && thumbnailSide > 0)
            written = heif_context_encode_thumbnail(context, picture, primary, encoder, options, thumbnailSide, nullptr)
                          .code == heif_error_Ok;
        if (primary) heif_image_handle_release(primary);
        if (!written || heif_context_write(context, &writer, &out).code != heif_error_Ok) out.clear();
    }
    if (encoder) heif_encoder_release(encoder);
    heif_encoding_options_free(options);
    heif_context_free(context);
    heif_image_release(picture);
    return out;
}

bool SaveBytes(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

bool SaveFlatPicture(const std::string& path, int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path));
}

QByteArray MakeDib24(const QImage& image) {
    const QByteArray rows = Rows24(image);
    QByteArray dib;
    PutInfoHeader(dib, image.width(), image.height(), 24, 0, std::uint32_t(rows.size()), 0);
    dib.append(rows);
    return dib;
}

// ---- Metafile writer ----

void WmfWriter::setPlaceable(QRect bounds, int unitsPerInch) {
    placeable_ = true;
    bounds_ = bounds;
    unitsPerInch_ = unitsPerInch;
}

void WmfWriter::recordBytes(std::uint16_t function, const QByteArray& params) {
    QByteArray p = params;
    if (p.size() & 1) p.append('\0');
    const std::uint32_t words = 3 + std::uint32_t(p.size() / 2);
    PutU32(records_, words);
    PutU16(records_, function);
    records_.append(p);
    maxRecordWords_ = std::max(maxRecordWords_, words);
}

void WmfWriter::record(std::uint16_t function, const std::vector<std::int16_t>& words) {
    QByteArray p;
    for (std::int16_t w : words) PutU16(p, std::uint16_t(w));
    recordBytes(function, p);
}

namespace {
std::int16_t S(int v) { return static_cast<std::int16_t>(v); }
QByteArray ColorParams(QColor c) {
    QByteArray p;
    PutU32(p, ColorrefValue(ColorrefFromColor(c)));
    return p;
}
}  // namespace

void WmfWriter::setWindowOrg(int x, int y) { record(0x020B, {S(y), S(x)}); }
void WmfWriter::setWindowExt(int w, int h) { record(0x020C, {S(h), S(w)}); }
void WmfWriter::setViewportOrg(int x, int y) { record(0x020D, {S(y), S(x)}); }
void WmfWriter::setViewportExt(int w, int h) { record(0x020E, {S(h), S(w)}); }
void WmfWriter::setMapMode(int mode) { record(0x0103, {S(mode)}); }
void WmfWriter::setBkMode(int mode) { record(0x0102, {S(mode)}); }
void WmfWriter::setBkColor(QColor c) { recordBytes(0x0201, ColorParams(c)); }
void WmfWriter::setTextColor(QColor c) { recordBytes(0x0209, ColorParams(c)); }
void WmfWriter::setTextAlign(int align) { record(0x012E, {S(align)}); }
void WmfWriter::setPolyFillMode(int mode) { record(0x0106, {S(mode)}); }
void WmfWriter::setRop2(int rop) { record(0x0104, {S(rop)}); }
void WmfWriter::saveDc() { record(0x001E, {}); }
void WmfWriter::restoreDc(int n) { record(0x0127, {S(n)}); }

int WmfWriter::allocate() {
    for (std::size_t i = 0; i < used_.size(); ++i) {
        if (!used_[i]) {
            used_[i] = true;
            return int(i);
        }
    }
    used_.push_back(true);
    return int(used_.size() - 1);
}

int WmfWriter::createPen(int style, int width, QColor color) {
    QByteArray p;
    PutU16(p, unsigned(style));
    PutU16(p, unsigned(width));
    PutU16(p, 0);
    PutU32(p, ColorrefValue(ColorrefFromColor(color)));
    recordBytes(0x02FA, p);
    return allocate();
}

int WmfWriter::createBrush(int style, QColor color, int hatch) {
    QByteArray p;
    PutU16(p, unsigned(style));
    PutU32(p, ColorrefValue(ColorrefFromColor(color)));
    PutU16(p, unsigned(hatch));
    recordBytes(0x02FC, p);
    return allocate();
}

int WmfWriter::createFont(int height, int weight, bool italic, const std::string& face, int escapement, int charset) {
    QByteArray p;
    PutU16(p, std::uint16_t(S(height)));
    PutU16(p, 0);
    PutU16(p, std::uint16_t(S(escapement)));
    PutU16(p, std::uint16_t(S(escapement)));
    PutU16(p, unsigned(weight));
    Put8(p, italic ? 1 : 0);
    Put8(p, 0);
    Put8(p, 0);
    Put8(p, unsigned(charset));
    Put8(p, 0);
    Put8(p, 0);
    Put8(p, 0);
    Put8(p, 0);
    QByteArray name = QByteArray::fromStdString(face).left(31);
    name.append('\0');
    p.append(name);
    recordBytes(0x02FB, p);
    return allocate();
}

int WmfWriter::createPalette() {
    record(0x00F7, {0x0300, 1, 0, 0});
    return allocate();
}

void WmfWriter::selectObject(int index) { record(0x012D, {S(index)}); }
void WmfWriter::deleteObject(int index) {
    record(0x01F0, {S(index)});
    if (index >= 0 && std::size_t(index) < used_.size()) used_[std::size_t(index)] = false;
}

void WmfWriter::moveTo(int x, int y) { record(0x0214, {S(y), S(x)}); }
void WmfWriter::lineTo(int x, int y) { record(0x0213, {S(y), S(x)}); }

namespace {
std::vector<std::int16_t> PointWords(const std::vector<QPoint>& points) {
    std::vector<std::int16_t> w;
    for (const QPoint& pt : points) {
        w.push_back(S(pt.x()));
        w.push_back(S(pt.y()));
    }
    return w;
}
}  // namespace

void WmfWriter::polyline(const std::vector<QPoint>& points) {
    std::vector<std::int16_t> w{S(int(points.size()))};
    const auto pw = PointWords(points);
    w.insert(w.end(), pw.begin(), pw.end());
    record(0x0325, w);
}

void WmfWriter::polygon(const std::vector<QPoint>& points) {
    std::vector<std::int16_t> w{S(int(points.size()))};
    const auto pw = PointWords(points);
    w.insert(w.end(), pw.begin(), pw.end());
    record(0x0324, w);
}

void WmfWriter::polyPolygon(const std::vector<std::vector<QPoint>>& polygons) {
    std::vector<std::int16_t> w{S(int(polygons.size()))};
    for (const auto& poly : polygons) w.push_back(S(int(poly.size())));
    for (const auto& poly : polygons) {
        const auto pw = PointWords(poly);
        w.insert(w.end(), pw.begin(), pw.end());
    }
    record(0x0538, w);
}

void WmfWriter::rectangle(int l, int t, int r, int b) { record(0x041B, {S(b), S(r), S(t), S(l)}); }
void WmfWriter::roundRect(int l, int t, int r, int b, int w, int h) {
    record(0x061C, {S(h), S(w), S(b), S(r), S(t), S(l)});
}
void WmfWriter::ellipse(int l, int t, int r, int b) { record(0x0418, {S(b), S(r), S(t), S(l)}); }
void WmfWriter::arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    record(0x0817, {S(ye), S(xe), S(ys), S(xs), S(b), S(r), S(t), S(l)});
}
void WmfWriter::pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    record(0x081A, {S(ye), S(xe), S(ys), S(xs), S(b), S(r), S(t), S(l)});
}
void WmfWriter::chord(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    record(0x0830, {S(ye), S(xe), S(ys), S(xs), S(b), S(r), S(t), S(l)});
}

void WmfWriter::textOut(int x, int y, const std::string& text) {
    QByteArray p;
    PutU16(p, unsigned(text.size()));
    p.append(text.data(), qsizetype(text.size()));
    if (p.size() & 1) p.append('\0');
    PutU16(p, std::uint16_t(S(y)));
    PutU16(p, std::uint16_t(S(x)));
    recordBytes(0x0521, p);
}

void WmfWriter::extTextOut(int x, int y, int options, const QRect* rect, const std::string& text,
                           const std::vector<int>& dx) {
    QByteArray p;
    PutU16(p, std::uint16_t(S(y)));
    PutU16(p, std::uint16_t(S(x)));
    PutU16(p, unsigned(text.size()));
    PutU16(p, unsigned(options));
    if (rect) {
        PutU16(p, std::uint16_t(S(rect->left())));
        PutU16(p, std::uint16_t(S(rect->top())));
        PutU16(p, std::uint16_t(S(rect->left() + rect->width())));
        PutU16(p, std::uint16_t(S(rect->top() + rect->height())));
    }
    p.append(text.data(), qsizetype(text.size()));
    if (p.size() & 1) p.append('\0');
    for (int d : dx) PutU16(p, std::uint16_t(S(d)));
    recordBytes(0x0A32, p);
}

namespace {
// The parameters of a blit record: the raster operation, the colour usage
// word where the record has one, the coordinate words, the DIB.
QByteArray BlitParams(std::uint32_t rop, bool colourUsage, std::initializer_list<int> words, const QImage& image) {
    QByteArray p;
    PutU32(p, rop);
    if (colourUsage) PutU16(p, 0);  // DIB_RGB_COLORS
    for (int v : words) PutU16(p, std::uint16_t(S(v)));
    p.append(MakeDib24(image));
    return p;
}
}  // namespace

void WmfWriter::stretchDib(QRect dst, QRect src, const QImage& image, std::uint32_t rop) {
    recordBytes(
        0x0F43,
        BlitParams(rop, true,
                   {src.height(), src.width(), src.y(), src.x(), dst.height(), dst.width(), dst.y(), dst.x()}, image));
}

void WmfWriter::dibStretchBlt(QRect dst, QRect src, const QImage& image, std::uint32_t rop) {
    recordBytes(
        0x0B41,
        BlitParams(rop, false,
                   {src.height(), src.width(), src.y(), src.x(), dst.height(), dst.width(), dst.y(), dst.x()}, image));
}

void WmfWriter::dibBitBlt(QPoint dst, QRect src, const QImage& image, std::uint32_t rop) {
    recordBytes(0x0940, BlitParams(rop, false, {src.y(), src.x(), src.height(), src.width(), dst.y(), dst.x()}, image));
}

QByteArray WmfWriter::finish() const {
    QByteArray body = records_;
    PutU32(body, 3);
    PutU16(body, 0);  // the end record
    QByteArray out;
    if (placeable_) {
        QByteArray head;
        PutU32(head, 0x9AC6CDD7u);
        PutU16(head, 0);
        PutU16(head, std::uint16_t(S(bounds_.left())));
        PutU16(head, std::uint16_t(S(bounds_.top())));
        PutU16(head, std::uint16_t(S(bounds_.left() + bounds_.width())));
        PutU16(head, std::uint16_t(S(bounds_.top() + bounds_.height())));
        PutU16(head, unsigned(unitsPerInch_));
        PutU32(head, 0);
        unsigned checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= ReadU16(reinterpret_cast<const std::uint8_t*>(head.constData()) + i);
        PutU16(head, checksum);
        out.append(head);
    }
    const std::uint32_t totalWords = 9 + std::uint32_t(body.size() / 2);
    PutU16(out, 1);
    PutU16(out, 9);
    PutU16(out, 0x0300);
    PutU32(out, totalWords);
    PutU16(out, unsigned(std::max<std::size_t>(used_.size(), 1)));
    PutU32(out, maxRecordWords_);
    PutU16(out, 0);
    out.append(body);
    return out;
}

QByteArray WriteCostlyMetafile(CostlyMetafile kind, std::size_t bytes) {
    WmfWriter w;
    w.setPlaceable(QRect(0, 0, 1000, 750), 1000);
    std::size_t written = 0;
    for (int i = 0; written < bytes; ++i) {
        switch (kind) {
        case CostlyMetafile::ClipMaze: {
            // 0x0415 ExcludeClipRect (bottom, right, top, left), 0x041F SetPixel (colour, y, x).
            const int x = (i * 7) % 997, y = (i * 13) % 743;
            w.record(0x0415, {S(y + 2), S(x + 2), S(y), S(x)});
            w.record(0x041F, {S(0xFF), 0, S(y), S(x + 3)});
            written += 14 + 14;
            break;
        }
        case CostlyMetafile::LargeShapes:
            w.ellipse(-(i % 9), -(i % 7), 1000 + i % 5, 750 + i % 3);
            written += 14;
            break;
        case CostlyMetafile::TinyRecords:
            w.record(0x041F, {S(i & 0xFF), 0, S(i % 750), S(i % 1000)});
            written += 14;
            break;
        case CostlyMetafile::LargeText:
            if (i == 0) w.selectObject(w.createFont(-700, 700, false, "DejaVu Sans"));
            w.textOut(0, 0, "WWWWWWWWWWWWWWWW");
            written += 30;
            break;
        case CostlyMetafile::ManyEdges: {
            std::vector<QPoint> zigzag;
            for (int k = 0; k < 8000; ++k) zigzag.push_back({k % 2 ? 1000 : 0, (k * 750) / 8000});
            w.polygon(zigzag);
            written += 8 + 4 * zigzag.size();
            break;
        }
        }
    }
    return w.finish();
}

}  // namespace tav::pw
