#include "pictures/HeifLoader.h"

#include "pictures/HeifLibraries.h"

#include <libde265/de265.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tav {
namespace {

struct HeifFree {
    void operator()(heif_context* p) const { heif_context_free(p); }
    void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
    void operator()(heif_image* p) const { heif_image_release(p); }
    void operator()(heif_decoding_options* p) const { heif_decoding_options_free(p); }
};
template <typename T>
using HeifPtr = std::unique_ptr<T, HeifFree>;

bool BrandIs(const unsigned char* brand, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (std::memcmp(brand, name, 4) == 0) return true;
    return false;
}

// The smallest thumbnail of the picture that covers the draw size and has the
// picture's shape (within 2 %), or nothing.
HeifPtr<heif_image_handle> SmallestCopyOfAtLeast(const heif_image_handle* primary, QSize draw, int width, int height) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    HeifPtr<heif_image_handle> best;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[std::size_t(i)], &raw).code != heif_error_Ok) continue;
        HeifPtr<heif_image_handle> copy(raw);
        const long long w = heif_image_handle_get_width(copy.get()), h = heif_image_handle_get_height(copy.get());
        const bool bigEnough = w >= draw.width() && h >= draw.height() && w < width;
        const bool sameShape = std::llabs(w * height - h * width) * 50 <= (long long)width * h;
        if (bigEnough && sameShape && (!best || w < heif_image_handle_get_width(best.get()))) best = std::move(copy);
    }
    return best;
}

// How a YCbCr picture's samples become RGB: the matrix's weights of red and
// blue and whether the samples use the full 0-255 range. Files without a
// colour box are BT.601 at full range, as libheif reads them.
struct YcbcrMatrix {
    double kr = 0.299, kb = 0.114;
    bool fullRange = true;
};

YcbcrMatrix MatrixOf(const heif_image* image, const heif_image_handle* handle) {
    YcbcrMatrix m;
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_get_nclx_color_profile(image, &nclx).code != heif_error_Ok || !nclx) {
        nclx = nullptr;
        if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok) nclx = nullptr;
    }
    if (!nclx) return m;
    switch (nclx->matrix_coefficients) {
    case heif_matrix_coefficients_ITU_R_BT_709_5: m.kr = 0.2126, m.kb = 0.0722; break;
    case heif_matrix_coefficients_ITU_R_BT_2020_2_non_constant_luminance:
    case heif_matrix_coefficients_ITU_R_BT_2020_2_constant_luminance: m.kr = 0.2627, m.kb = 0.0593; break;
    case heif_matrix_coefficients_SMPTE_240M: m.kr = 0.212, m.kb = 0.087; break;
    default: break;
    }
    m.fullRange = nclx->full_range_flag != 0;
    heif_nclx_color_profile_free(nclx);
    return m;
}

// The decoder's 8-bit YCbCr planes straight into an RGB32 picture, reduced
// by a whole factor on the way: each pixel is the mean of a factor x factor
// block of luma and of the chroma samples under it. The full-size RGB copy
// and its conversion never exist, which is most of a photo's memory and a
// good share of its time. A null image when the planes are not of that kind.
QImage YcbcrToRgb32(const heif_image* image, const heif_image_handle* handle, int factor) {
    if (heif_image_get_colorspace(image) != heif_colorspace_YCbCr) return {};
    int shiftX = 0, shiftY = 0;
    switch (heif_image_get_chroma_format(image)) {
    case heif_chroma_420: shiftX = shiftY = 1; break;
    case heif_chroma_422: shiftX = 1; break;
    case heif_chroma_444: break;
    default: return {};
    }
    const heif_channel channels[3] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const std::uint8_t* planes[3];
    int strides[3];
    for (int c = 0; c < 3; ++c) {
        if (heif_image_get_bits_per_pixel_range(image, channels[c]) != 8) return {};
        planes[c] = heif_image_get_plane_readonly(image, channels[c], &strides[c]);
        if (!planes[c]) return {};
    }
    const int width = heif_image_get_width(image, heif_channel_Y);
    const int height = heif_image_get_height(image, heif_channel_Y);
    const int chromaWidth = heif_image_get_width(image, heif_channel_Cb);
    const int chromaHeight = heif_image_get_height(image, heif_channel_Cb);
    if (width <= 0 || height <= 0 || chromaWidth < (width + (1 << shiftX) - 1) >> shiftX ||
        chromaHeight < (height + (1 << shiftY) - 1) >> shiftY ||
        heif_image_get_width(image, heif_channel_Cr) < chromaWidth ||
        heif_image_get_height(image, heif_channel_Cr) < chromaHeight)
        return {};

    const int outWidth = (width + factor - 1) / factor, outHeight = (height + factor - 1) / factor;
    QImage out(outWidth, outHeight, QImage::Format_RGB32);
    if (out.isNull()) return {};

    // Fixed point, 16 fractional bits: R = Y + crR*Cr, G = Y - cbG*Cb - crG*Cr,
    // B = Y + cbB*Cb, with Y and the chroma rescaled from the studio range.
    const YcbcrMatrix m = MatrixOf(image, handle);
    const double kg = 1.0 - m.kr - m.kb;
    const double yScale = m.fullRange ? 1.0 : 255.0 / 219.0, cScale = m.fullRange ? 1.0 : 255.0 / 224.0;
    const double one = 65536.0;
    const std::int64_t yMul = std::llround(yScale * one), yOffset = m.fullRange ? 0 : 16;
    const std::int64_t crR = std::llround(2 * (1 - m.kr) * cScale * one);
    const std::int64_t cbB = std::llround(2 * (1 - m.kb) * cScale * one);
    const std::int64_t cbG = std::llround(2 * (1 - m.kb) * m.kb / kg * cScale * one);
    const std::int64_t crG = std::llround(2 * (1 - m.kr) * m.kr / kg * cScale * one);
    auto clamp = [](std::int64_t v) { return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v >> 16, 0, 255)); };

    const auto columns = static_cast<std::size_t>(outWidth);
    std::vector<std::uint32_t> sumY(columns), sumCb(columns), sumCr(columns), countC(columns);
    for (int oy = 0; oy < outHeight; ++oy) {
        const int y0 = oy * factor, y1 = std::min(height, y0 + factor);
        const int cy0 = y0 >> shiftY, cy1 = ((y1 - 1) >> shiftY) + 1;
        std::fill(sumY.begin(), sumY.end(), 0u);
        std::fill(sumCb.begin(), sumCb.end(), 0u);
        std::fill(sumCr.begin(), sumCr.end(), 0u);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* row = planes[0] + std::ptrdiff_t(y) * strides[0];
            for (int ox = 0, x = 0; ox < outWidth; ++ox) {
                std::uint32_t s = 0;
                for (const int end = std::min(width, x + factor); x < end; ++x) s += row[x];
                sumY[std::size_t(ox)] += s;
            }
        }
        for (int cy = cy0; cy < cy1; ++cy) {
            const std::uint8_t* cb = planes[1] + std::ptrdiff_t(cy) * strides[1];
            const std::uint8_t* cr = planes[2] + std::ptrdiff_t(cy) * strides[2];
            for (int ox = 0; ox < outWidth; ++ox) {
                const int x0 = ox * factor, x1 = std::min(width, x0 + factor);
                std::uint32_t b = 0, r = 0;
                const int cx1 = ((x1 - 1) >> shiftX) + 1;
                for (int cx = x0 >> shiftX; cx < cx1; ++cx) b += cb[cx], r += cr[cx];
                sumCb[std::size_t(ox)] += b;
                sumCr[std::size_t(ox)] += r;
                if (cy == cy0) countC[std::size_t(ox)] = std::uint32_t(cx1 - (x0 >> shiftX));
            }
        }
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(oy));
        const std::uint32_t rows = std::uint32_t(y1 - y0), chromaRows = std::uint32_t(cy1 - cy0);
        for (int ox = 0; ox < outWidth; ++ox) {
            const std::size_t i = std::size_t(ox);
            const std::uint32_t lumaCount = rows * std::uint32_t(std::min(width, ox * factor + factor) - ox * factor);
            const std::uint32_t chromaCount = chromaRows * countC[i];
            // Means kept at 8 fractional bits so a reduced pixel rounds once.
            const std::int64_t luma = (std::int64_t(sumY[i]) * 256 + lumaCount / 2) / lumaCount - yOffset * 256;
            const std::int64_t cb = (std::int64_t(sumCb[i]) * 256 + chromaCount / 2) / chromaCount - 128 * 256;
            const std::int64_t cr = (std::int64_t(sumCr[i]) * 256 + chromaCount / 2) / chromaCount - 128 * 256;
            const std::int64_t y = luma * yMul + (1 << 15) * 256;
            const std::uint32_t red = clamp((y + crR * cr) >> 8);
            const std::uint32_t green = clamp((y - cbG * cb - crG * cr) >> 8);
            const std::uint32_t blue = clamp((y + cbB * cb) >> 8);
            to[ox] = 0xFF000000u | (red << 16) | (green << 8) | blue;
        }
    }
    return out;
}

// HEVC decoding for libheif through libde265 on every core: libheif's own
// plugin starts one worker thread, so a photo that is not a grid of tiles
// decoded on one core however many there are. Its wavefront rows decode side
// by side here. The calls mirror libheif's plugin otherwise.
namespace hevc {

struct Decoder {
    de265_decoder_context* context = de265_new_decoder();
};

heif_error Ok() { return {heif_error_Ok, heif_suberror_Unspecified, "Success"}; }
heif_error Broken() { return {heif_error_Decoder_plugin_error, heif_suberror_End_of_data, "Damaged HEVC data"}; }

const char* Name() { return "libde265 on every core"; }

int Supports(heif_compression_format format) { return format == heif_compression_HEVC ? 200 : 0; }

heif_error New(void** decoder) {
    auto* d = new Decoder;
    if (!d->context) {
        delete d;
        return {heif_error_Memory_allocation_error, heif_suberror_Unspecified, "No decoder"};
    }
    de265_start_worker_threads(d->context, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    *decoder = d;
    return Ok();
}

void Free(void* decoder) {
    auto* d = static_cast<Decoder*>(decoder);
    de265_free_decoder(d->context);
    delete d;
}

// The data comes as NAL units, each after its size in four bytes.
heif_error Push(void* decoder, const void* data, std::size_t size) {
    auto* d = static_cast<Decoder*>(decoder);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t at = 0;
    while (at < size) {
        if (size - at < 4) return Broken();
        const std::size_t length = (std::size_t(bytes[at]) << 24) | (std::size_t(bytes[at + 1]) << 16) |
                                   (std::size_t(bytes[at + 2]) << 8) | bytes[at + 3];
        at += 4;
        if (length > size - at || length > std::size_t(INT32_MAX)) return Broken();
        de265_push_NAL(d->context, bytes + at, static_cast<int>(length), 0, nullptr);
        at += length;
    }
    return Ok();
}

heif_error Copy(const de265_image* picture, heif_image** out) {
    const bool mono = de265_get_chroma_format(picture) == de265_chroma_mono;
    heif_image* image = nullptr;
    heif_error error = heif_image_create(de265_get_image_width(picture, 0), de265_get_image_height(picture, 0),
                                         mono ? heif_colorspace_monochrome : heif_colorspace_YCbCr,
                                         static_cast<heif_chroma>(de265_get_chroma_format(picture)), &image);
    if (error.code != heif_error_Ok) return error;
    const heif_channel channels[3] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    for (int c = 0; c < (mono ? 1 : 3); ++c) {
        const int bits = de265_get_bits_per_pixel(picture, c);
        const int w = de265_get_image_width(picture, c), h = de265_get_image_height(picture, c);
        int stride = 0;
        const std::uint8_t* from = de265_get_image_plane(picture, c, &stride);
        error = heif_image_add_plane(image, channels[c], w, h, bits);
        if (error.code != heif_error_Ok || !from) {
            heif_image_release(image);
            return error.code != heif_error_Ok ? error : Broken();
        }
        int toStride = 0;
        std::uint8_t* to = heif_image_get_plane(image, channels[c], &toStride);
        for (int y = 0; y < h; ++y)
            std::memcpy(to + std::ptrdiff_t(y) * toStride, from + std::ptrdiff_t(y) * stride,
                        std::size_t(w) * ((bits + 7) / 8));
    }
    *out = image;
    return Ok();
}

heif_error Decode(void* decoder, heif_image** out) {
    auto* d = static_cast<Decoder*>(decoder);
    de265_flush_data(d->context);
    *out = nullptr;
    int more = 0;
    do {
        more = 0;
        if (de265_decode(d->context, &more) != DE265_OK) break;
        if (const de265_image* picture = de265_get_next_picture(d->context)) {
            if (*out) heif_image_release(*out);
            *out = nullptr;
            const heif_error error = Copy(picture, out);
            de265_release_next_picture(d->context);
            if (error.code != heif_error_Ok) return error;
        }
    } while (more);
    return *out ? Ok() : Broken();
}

void SetStrict(void*, int) {}

const heif_decoder_plugin kPlugin{
    3, Name, nullptr, nullptr, Supports, New, Free, Push, Decode, SetStrict, "libde265-every-core",
};

}  // namespace hevc

}  // namespace

HeifKind SniffHeif(const unsigned char* data, std::size_t size) {
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0) return HeifKind::None;
    const std::size_t boxSize = (std::size_t(data[0]) << 24) | (data[1] << 16) | (data[2] << 8) | data[3];
    const std::size_t end = std::min(size, boxSize);
    // The major brand, then the compatible brands after the minor version.
    HeifKind kind = HeifKind::None;
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        if (BrandIs(data + at, {"avif", "avis"})) return HeifKind::Avif;
        if (BrandIs(data + at, {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs", "mif1", "msf1"}))
            kind = HeifKind::Heic;
    }
    return kind;
}

DecodedPicture LoadHeif(QIODevice& device, const DecodeRequest& request) {
    if (!HeifLibrariesAvailable()) {
        DecodedPicture none;
        none.failure = HeifLibrariesMissing();
        return none;
    }
    static std::once_flag once;
    std::call_once(once, [] {
        heif_init(nullptr);
        heif_register_decoder_plugin(&hevc::kPlugin);
    });

    const QByteArray data = device.readAll();
    HeifPtr<heif_context> context(heif_context_alloc());
    if (!context) return {};
    // libheif refuses larger pictures while it parses the boxes, before any pixel buffer exists.
    heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
    // A phone's photo is a grid of tiles, decoded side by side on every core.
    heif_context_set_max_decoding_threads(context.get(),
                                          static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    if (heif_context_read_from_memory_without_copy(context.get(), data.constData(), std::size_t(data.size()), nullptr)
            .code != heif_error_Ok)
        return {};
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok) return {};
    HeifPtr<heif_image_handle> handle(rawHandle);
    // The size after the rotation boxes, which is how the photo is shown.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (!PictureSizeAcceptable(width, height)) return {};

    // A photo's own small copy decodes far faster: it serves when it is at
    // least the draw size and has the picture's shape (a copy stored without
    // the picture's turn has the other shape and is passed over).
    QSize draw;
    if (request.drawSizeFor) {
        draw = request.drawSizeFor(QSize(width, height));
        if (draw.width() > 0 && draw.height() > 0) {
            if (HeifPtr<heif_image_handle> small = SmallestCopyOfAtLeast(handle.get(), draw, width, height))
                handle = std::move(small);
        }
    }

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    HeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    if (!options) return {};
    options->convert_hdr_to_8bit = 1;
    // An opaque 8-bit picture stays in the decoder's YCbCr planes (turned
    // upright by libheif) and becomes RGB32 here, reduced by the largest
    // whole factor that still covers the draw size. 4:2:0 is asked for by
    // name, as libheif 1.15 turns planes of an undefined kind into RGB; it is
    // what cameras write, so their planes pass through untouched.
    if (!alpha && heif_image_handle_get_luma_bits_per_pixel(handle.get()) == 8 &&
        heif_image_handle_get_chroma_bits_per_pixel(handle.get()) == 8) {
        heif_image* rawPlanes = nullptr;
        if (heif_decode_image(handle.get(), &rawPlanes, heif_colorspace_YCbCr, heif_chroma_420, options.get()).code !=
            heif_error_Ok)
            return {};
        HeifPtr<heif_image> planes(rawPlanes);
        const int decodedWidth = heif_image_get_width(planes.get(), heif_channel_Y);
        const int decodedHeight = heif_image_get_height(planes.get(), heif_channel_Y);
        int factor = 1;
        if (draw.width() > 0 && draw.height() > 0 && decodedWidth > 0 && decodedHeight > 0)
            factor = std::max(1, std::min(decodedWidth / draw.width(), decodedHeight / draw.height()));
        QImage converted = YcbcrToRgb32(planes.get(), handle.get(), factor);
        if (!converted.isNull()) {
            DecodedPicture result;
            result.image = std::move(converted);
            result.naturalWidth = width;
            result.naturalHeight = height;
            return result;
        }
    }

    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())
            .code != heif_error_Ok)
        return {};
    HeifPtr<heif_image> image(rawImage);
    int stride = 0;
    const std::uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int decodedWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int decodedHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || decodedWidth <= 0 || decodedHeight <= 0 || stride < decodedWidth * (alpha ? 4 : 3)) return {};

    // The decoded planes are read in place; OverGround makes the picture's own copy.
    const QImage::Format format = !alpha ? QImage::Format_RGB888
                                  : heif_image_is_premultiplied_alpha(image.get())
                                      ? QImage::Format_RGBA8888_Premultiplied
                                      : QImage::Format_RGBA8888;
    const QImage view(pixels, decodedWidth, decodedHeight, stride, format);
    DecodedPicture result;
    result.image = OverGround(view, request.ground);
    result.naturalWidth = width;
    result.naturalHeight = height;
    return result;
}

}  // namespace tav
