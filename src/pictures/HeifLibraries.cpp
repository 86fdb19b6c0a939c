#include "pictures/HeifLibraries.h"

#include "base/LateLibrary.h"

#include <libde265/de265.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

namespace tav {

namespace {

// The names are read from the library files the build found (cmake/LateLibraries.cmake).
LateLibrary& Heif() {
    static LateLibrary library(TAVRELLE_SONAME_HEIF);
    return library;
}

LateLibrary& De265() {
    static LateLibrary library(TAVRELLE_SONAME_DE265);
    return library;
}

}  // namespace

bool HeifLibrariesAvailable() { return LateLibrary::AllAvailable({&Heif(), &De265()}); }

std::string HeifLibrariesMissing() {
    return "the HEIF library is not available (" + LateLibrary::Missing({&Heif(), &De265()}) + ")";
}

}  // namespace tav

// The functions the HEIF loader and its HEVC decoder call, declared by the
// libraries' headers above: one whose type differs from the header's does not
// compile.
using tav::De265;
using tav::Heif;

extern "C" {

struct heif_error heif_init(struct heif_init_params* params) {
    return TAV_REAL(Heif(), heif_init)(params);
}
struct heif_error heif_register_decoder_plugin(const struct heif_decoder_plugin* plugin) {
    return TAV_REAL(Heif(), heif_register_decoder_plugin)(plugin);
}
struct heif_context* heif_context_alloc(void) {
    return TAV_REAL(Heif(), heif_context_alloc)();
}
void heif_context_free(struct heif_context* ctx) { return TAV_REAL(Heif(), heif_context_free)(ctx); }
void heif_context_set_maximum_image_size_limit(struct heif_context* ctx, int maximum_width) {
    return TAV_REAL(Heif(), heif_context_set_maximum_image_size_limit)(ctx, maximum_width);
}
void heif_context_set_max_decoding_threads(struct heif_context* ctx, int max_threads) {
    return TAV_REAL(Heif(), heif_context_set_max_decoding_threads)(ctx, max_threads);
}
struct heif_error heif_context_read_from_memory_without_copy(struct heif_context* ctx, const void* mem, size_t size,
                                                             const struct heif_reading_options* options) {
    return TAV_REAL(Heif(), heif_context_read_from_memory_without_copy)(ctx, mem, size, options);
}
struct heif_error heif_context_get_primary_image_handle(struct heif_context* ctx, struct heif_image_handle** handle) {
    return TAV_REAL(Heif(), heif_context_get_primary_image_handle)(ctx, handle);
}
int heif_image_handle_get_width(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_width)(handle);
}
int heif_image_handle_get_height(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_height)(handle);
}
int heif_image_handle_has_alpha_channel(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_has_alpha_channel)(handle);
}
int heif_image_handle_get_luma_bits_per_pixel(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_luma_bits_per_pixel)(handle);
}
int heif_image_handle_get_chroma_bits_per_pixel(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_chroma_bits_per_pixel)(handle);
}
int heif_image_handle_get_number_of_thumbnails(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_number_of_thumbnails)(handle);
}
int heif_image_handle_get_list_of_thumbnail_IDs(const struct heif_image_handle* handle, heif_item_id* ids, int count) {
    return TAV_REAL(Heif(), heif_image_handle_get_list_of_thumbnail_IDs)(handle, ids, count);
}
struct heif_error heif_image_handle_get_thumbnail(const struct heif_image_handle* main_image_handle,
                                                  heif_item_id thumbnail_id,
                                                  struct heif_image_handle** out_thumbnail_handle) {
    return TAV_REAL(Heif(), heif_image_handle_get_thumbnail)(main_image_handle, thumbnail_id, out_thumbnail_handle);
}
struct heif_error heif_image_handle_get_nclx_color_profile(const struct heif_image_handle* handle,
                                                           struct heif_color_profile_nclx** out_data) {
    return TAV_REAL(Heif(), heif_image_handle_get_nclx_color_profile)(handle, out_data);
}
void heif_image_handle_release(const struct heif_image_handle* handle) {
    return TAV_REAL(Heif(), heif_image_handle_release)(handle);
}
struct heif_decoding_options* heif_decoding_options_alloc(void) {
    return TAV_REAL(Heif(), heif_decoding_options_alloc)();
}
void heif_decoding_options_free(struct heif_decoding_options* options) {
    return TAV_REAL(Heif(), heif_decoding_options_free)(options);
}
struct heif_error heif_decode_image(const struct heif_image_handle* in_handle, struct heif_image** out_img,
                                    enum heif_colorspace colorspace, enum heif_chroma chroma,
                                    const struct heif_decoding_options* options) {
    return TAV_REAL(Heif(), heif_decode_image)(in_handle, out_img, colorspace, chroma, options);
}
struct heif_error heif_image_create(int width, int height, enum heif_colorspace colorspace, enum heif_chroma chroma,
                                    struct heif_image** out_image) {
    return TAV_REAL(Heif(), heif_image_create)(width, height, colorspace, chroma, out_image);
}
struct heif_error heif_image_add_plane(struct heif_image* image, enum heif_channel channel, int width, int height,
                                       int bit_depth) {
    return TAV_REAL(Heif(), heif_image_add_plane)(image, channel, width, height, bit_depth);
}
enum heif_colorspace heif_image_get_colorspace(const struct heif_image* image) {
    return TAV_REAL(Heif(), heif_image_get_colorspace)(image);
}
enum heif_chroma heif_image_get_chroma_format(const struct heif_image* image) {
    return TAV_REAL(Heif(), heif_image_get_chroma_format)(image);
}
int heif_image_get_width(const struct heif_image* image, enum heif_channel channel) {
    return TAV_REAL(Heif(), heif_image_get_width)(image, channel);
}
int heif_image_get_height(const struct heif_image* image, enum heif_channel channel) {
    return TAV_REAL(Heif(), heif_image_get_height)(image, channel);
}
int heif_image_get_bits_per_pixel_range(const struct heif_image* image, enum heif_channel channel) {
    return TAV_REAL(Heif(), heif_image_get_bits_per_pixel_range)(image, channel);
}
const uint8_t* heif_image_get_plane_readonly(const struct heif_image* image, enum heif_channel channel,
                                             int* out_stride) {
    return TAV_REAL(Heif(), heif_image_get_plane_readonly)(image, channel, out_stride);
}
uint8_t* heif_image_get_plane(struct heif_image* image, enum heif_channel channel, int* out_stride) {
    return TAV_REAL(Heif(), heif_image_get_plane)(image, channel, out_stride);
}
int heif_image_is_premultiplied_alpha(struct heif_image* image) {
    return TAV_REAL(Heif(), heif_image_is_premultiplied_alpha)(image);
}
struct heif_error heif_image_get_nclx_color_profile(const struct heif_image* image,
                                                    struct heif_color_profile_nclx** out_data) {
    return TAV_REAL(Heif(), heif_image_get_nclx_color_profile)(image, out_data);
}
void heif_nclx_color_profile_free(struct heif_color_profile_nclx* nclx_profile) {
    return TAV_REAL(Heif(), heif_nclx_color_profile_free)(nclx_profile);
}
void heif_image_release(const struct heif_image* image) { return TAV_REAL(Heif(), heif_image_release)(image); }
de265_decoder_context* de265_new_decoder(void) { return TAV_REAL(De265(), de265_new_decoder)(); }
de265_error de265_start_worker_threads(de265_decoder_context* context, int number_of_threads) {
    return TAV_REAL(De265(), de265_start_worker_threads)(context, number_of_threads);
}
de265_error de265_free_decoder(de265_decoder_context* context) {
    return TAV_REAL(De265(), de265_free_decoder)(context);
}
de265_error de265_push_NAL(de265_decoder_context* context, const void* data, int length, de265_PTS pts,
                           void* user_data) {
    return TAV_REAL(De265(), de265_push_NAL)(context, data, length, pts, user_data);
}
de265_error de265_flush_data(de265_decoder_context* context) { return TAV_REAL(De265(), de265_flush_data)(context); }
de265_error de265_decode(de265_decoder_context* context, int* more) {
    return TAV_REAL(De265(), de265_decode)(context, more);
}
const struct de265_image* de265_get_next_picture(de265_decoder_context* context) {
    return TAV_REAL(De265(), de265_get_next_picture)(context);
}
void de265_release_next_picture(de265_decoder_context* context) {
    return TAV_REAL(De265(), de265_release_next_picture)(context);
}
enum de265_chroma de265_get_chroma_format(const struct de265_image* image) {
    return TAV_REAL(De265(), de265_get_chroma_format)(image);
}
int de265_get_image_width(const struct de265_image* image, int channel) {
    return TAV_REAL(De265(), de265_get_image_width)(image, channel);
}
int de265_get_image_height(const struct de265_image* image, int channel) {
    return TAV_REAL(De265(), de265_get_image_height)(image, channel);
}
int de265_get_bits_per_pixel(const struct de265_image* image, int channel) {
    return TAV_REAL(De265(), de265_get_bits_per_pixel)(image, channel);
}
const uint8_t* de265_get_image_plane(const struct de265_image* image, int channel, int* out_stride) {
    return TAV_REAL(De265(), de265_get_image_plane)(image, channel, out_stride);
}

}  // extern "C"
